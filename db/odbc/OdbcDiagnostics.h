#pragma once

#include "db/odbc/OdbcApi.h"

#include <QString>

namespace tw {

// The diagnostic records of a handle as one text, each record as the driver
// words it followed by its SQLSTATE and native error number:
// "[FreeTDS][SQL Server]Login failed for user 'sa'. (SQLSTATE 28000, native error 18456)".
// Several records are separated by line breaks; with none, the fallback.
QString odbcDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle, const QString& fallback);

// Throws a Failure with the handle's diagnostics unless the call succeeded.
void checkOdbc(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const char* call);

} // namespace tw
