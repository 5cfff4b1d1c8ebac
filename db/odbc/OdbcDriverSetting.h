#pragma once

#include <QStringList>

namespace tw {

// A setting of the source client as the user set it: the environment
// variable when set, else the saved setting of that key, else empty.
QString userSetting(const char* environmentVariable, const QString& savedKey);

// The ODBC driver the source connection uses, as the user set it: the
// environment variable TABLEWRIGHT_ODBC_DRIVER when set, else the saved
// setting "OdbcDriver", else "FreeTDS" (on Windows, where FreeTDS is rarely
// installed, the preferred installed driver). The value is a registered
// driver name ("ODBC Driver 18 for SQL Server") or the path of a driver
// library.
QString configuredOdbcDriver();

// Of the installed drivers, the newest "ODBC Driver N for SQL Server", else
// "SQL Server", which every Windows has.
QString preferredWindowsDriver(const QStringList& installed);

// The driver names the driver manager lists.
QStringList installedOdbcDrivers();

// The driver as it goes into the connection string. A registered name or a
// path stays as it is; FreeTDS named but not registered with the driver
// manager becomes the path of its installed library, so that a machine with
// the driver package and no odbcinst.ini entry still connects.
QString resolveOdbcDriver(const QString& driver);

// Whether the driver manager lists a driver of that name.
bool isRegisteredOdbcDriver(const QString& name);

} // namespace tw
