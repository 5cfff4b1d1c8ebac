#include "app/Taaform1.h"

#include "ui_Taaform1.h"

#include "convert/Tcc.h"

#include <QDir>

Taaform1::Taaform1(QWidget* parent)
    : QWidget(parent), ui(new Ui::Taaform1)
{
    ui->setupUi(this);
    // The data folder holds the interactive run logs; create it when missing.
    QDir().mkpath(tw::Tcc::GetAppDataFolder());
}

Taaform1::~Taaform1()
{
    delete ui;
}
