#pragma once

#include <QString>

namespace tw {

// The ODBC driver the source connection uses, as the user set it: the
// environment variable TABLEWRIGHT_ODBC_DRIVER when set, else the saved
// setting "OdbcDriver", else "FreeTDS". The value is a registered driver name
// ("ODBC Driver 18 for SQL Server") or the path of a driver library.
QString configuredOdbcDriver();

// The driver as it goes into the connection string. A registered name or a
// path stays as it is; FreeTDS named but not registered with the driver
// manager becomes the path of its installed library, so that a machine with
// the driver package and no odbcinst.ini entry still connects.
QString resolveOdbcDriver(const QString& driver);

// Whether the driver manager lists a driver of that name.
bool isRegisteredOdbcDriver(const QString& name);

} // namespace tw
