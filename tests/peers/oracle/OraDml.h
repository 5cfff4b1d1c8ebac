#pragma once

#include "peers/oracle/OraDictionary.h"
#include "peers/oracle/OraStatements.h"

// Queries and inserts in the session user's schema, and the session's
// transaction: inserted rows wait in the session until it commits, and no
// other session sees them before that.
namespace peers::ora {

OraResult countTables(SessionState& session, const CountTables& statement);
OraResult selectRows(SessionState& session, const SelectRows& statement);
void insertRow(SessionState& session, const Insert& statement, const QVector<SqlValue>& binds);
void deleteRows(SessionState& session, const Delete& statement);
void commitSession(SessionState& session);
void rollbackSession(SessionState& session);

} // namespace peers::ora
