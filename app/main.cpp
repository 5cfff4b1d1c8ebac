#include "app/Taaform1.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tablewright"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tablewright 4.0"));
    Taaform1 wizard;
    wizard.show();
    return app.exec();
}
