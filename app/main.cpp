#include "app/HelpPage.h"
#include "app/Taaform1.h"
#include "db/oci/OciTargetConnection.h"
#include "db/odbc/OdbcSourceConnection.h"
#include "settings/CommandLine.h"

#include <QApplication>

int main(int argc, char** argv)
{
    if (const std::optional<int> endsHere = tw::prepareStart(argc, argv, tw::helpPagesFolder))
        return *endsHere;

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quillmoor"));
    QApplication::setApplicationName(QStringLiteral("Tablewright"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tablewright 4.0"));
    // Qt keeps the program's path once asked. Asked now, while the program's
    // file is surely in place: a package upgrade replaces the file while the
    // wizard is open, after which the system no longer names it, and the
    // launchers the builder writes and the help pages would point nowhere.
    QApplication::applicationFilePath();

    // The first argument, when there is one, is a job settings file: the
    // wizard then runs unattended.
    Taaform1 wizard(std::make_unique<tw::OdbcSourceConnection>(), std::make_unique<tw::OciTargetConnection>(),
                    QApplication::arguments().mid(1));
    wizard.show();
    app.exec();
    return wizard.exitCode();
}
