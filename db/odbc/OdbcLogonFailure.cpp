#include "db/odbc/OdbcLogonFailure.h"

#include "db/ConnectionString.h"
#include "db/odbc/OdbcConnectionString.h"

namespace tw {

QString logonFailureText(const QString& oledbString, const QString& driver, const QString& driverText,
                         bool windowsLogonNeedsKerberos)
{
    const QMap<QString, QString> pairs = parseConnectionString(oledbString);
    const SqlServerAddress address = parseDataSource(pairs.value(QStringLiteral("data source")));
    QString host = address.host.isEmpty() ? QStringLiteral("(no server name given)") : address.host;
    // Without a port the drivers ask the server's browser service for a
    // named instance's port, and take the default port otherwise.
    QString port = QStringLiteral("port ") + address.port;
    if (!address.instance.isEmpty())
        host += QLatin1Char('\\') + address.instance;
    if (address.port.isEmpty()) {
        port = address.instance.isEmpty() ? QStringLiteral("port ") + QLatin1String(kDefaultSqlServerPort)
                                          : QStringLiteral("port from the SQL Server Browser");
    }
    QString text = QStringLiteral("Cannot connect to SQL Server at %1, %2 (driver %3):\n").arg(host, port, driver);
    if (windowsLogonNeedsKerberos && isIntegratedLogon(pairs)) {
        text += QStringLiteral("The driver can use Windows authentication here only with a Kerberos ticket of a "
                               "Windows domain account (see kinit); without one, choose SQL Server Authentication "
                               "and a SQL Server login.\n");
    }
    return text + driverText;
}

} // namespace tw
