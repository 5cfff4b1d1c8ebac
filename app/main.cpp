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

    // The first argument, when there is one, is a job settings file: the
    // wizard then runs unattended.
    Taaform1 wizard(std::make_unique<tw::OdbcSourceConnection>(), std::make_unique<tw::OciTargetConnection>(),
                    QApplication::arguments().mid(1));
    wizard.show();
    app.exec();
    return wizard.exitCode();
}
