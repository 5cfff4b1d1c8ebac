#pragma once

#include "db/SourceAccess.h"
#include "db/SourceTable.h"
#include "db/TargetAccess.h"

#include <QStringList>

#include <functional>

namespace tw {

// The source connection string the wizard builds from page 2: Windows
// authentication carries no user name; a SQL Server login carries user and
// password. The server name is inserted as typed; login and password are
// quoted where they would otherwise break the string (quoteConnectionValue).
QString sourceConnectionString(bool windowsAuthentication, const QString& server, const QString& login,
                               const QString& password);
// The same string naming a database: ";Initial Catalog=" + the database
// name, quoted like the login.
QString sourceConnectionString(const QString& serverString, const QString& database);

// Reconnects the source with the given string and returns the database
// names in the server's order.
QStringList connectAndListDatabases(SourceConnection& connection, SourceQuery& query,
                                    const QString& connectionString);
// The listing of a database's user tables (never "dtproperties"): each
// table's schema and name in one row, both as nvarchar, sorted by name.
QString tableListSql();
// Reconnects the source on a database and hands its user tables, sorted by
// name, to addTable one by one, once the whole listing has been read (a name's
// entry depends on every schema that holds it).
void connectAndListTables(SourceConnection& connection, SourceQuery& query, const QString& connectionString,
                          const std::function<void(const SourceTable&)>& addTable);

// The parameter lines of the target logon, in their fixed order.
QStringList targetLogonParams(const QString& service, const QString& user, const QString& password);
// Logs the target connection on afresh with the given parameter lines.
void connectTarget(TargetConnection& connection, const QStringList& params);

} // namespace tw
