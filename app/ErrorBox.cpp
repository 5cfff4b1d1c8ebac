#include "app/ErrorBox.h"

#include <QApplication>
#include <QMessageBox>

QString errorBoxText(const QString& message)
{
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + QLatin1Char('.');
    return message;
}

void showErrorBox(QWidget* parent, const QString& message)
{
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), errorBoxText(message),
                    QMessageBox::Ok, parent);
    box.exec();
}
