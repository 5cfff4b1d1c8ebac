#pragma once

#include <QMap>
#include <QString>

namespace tw {

// SQL Server's default instance listens here; FreeTDS's driver has no port of
// its own unless a configuration file gives one.
inline constexpr char kDefaultSqlServerPort[] = "1433";

// Where a SQL Server listens, as a "Data Source" value names it: "host",
// "host,port", "host\instance", optionally with a "tcp:" prefix; "." and
// "(local)" stand for this machine.
struct SqlServerAddress {
    QString host;
    QString port;      // empty: the default port, or the instance's
    QString instance;  // empty: the default instance
};
SqlServerAddress parseDataSource(const QString& dataSource);

// Whether the pairs of a connection string ask for the Windows (trusted)
// logon: Integrated Security=SSPI, or "true"/"yes" there or in
// Trusted_Connection.
bool isIntegratedLogon(const QMap<QString, QString>& pairs);

// A value as it may stand in an ODBC connection string: enclosed in braces
// (a closing brace doubled) when it holds a semicolon, begins with a brace or
// has blanks at either end; unchanged otherwise.
QString quoteOdbcValue(const QString& value);

// Whether the driver (a registered name or a library path) is FreeTDS's.
bool isFreeTdsDriver(const QString& driver);

// Translates the wizard's "Provider=SQLOLEDB.1;..." string into an ODBC
// connection string for the given driver: Data Source becomes the server (and
// port or instance), Initial Catalog the database, User ID and Password the
// SQL Server login, Integrated Security=SSPI the driver's trusted logon.
// Keys the driver has no use for (Provider, Persist Security Info, unknown
// ones) are left out.
QString odbcConnectionString(const QString& oledbString, const QString& driver);

} // namespace tw
