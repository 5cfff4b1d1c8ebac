#pragma once

#include "peers/oracle/OraDictionary.h"
#include "peers/oracle/OraStatements.h"

// Data definition in the session user's schema, with Oracle's checks. The
// caller has committed the session's pending work first, as Oracle does
// before every DDL statement.
namespace peers::ora {

void createTable(SessionState& session, const CreateTable& statement);
void createAlias(SessionState& session, const CreateView& statement);
void dropTable(SessionState& session, const DropTable& statement);
void addConstraint(SessionState& session, const AddConstraint& statement);
void createIndex(SessionState& session, const CreateIndex& statement);
void modifyIdentity(SessionState& session, const ModifyIdentity& statement);

} // namespace peers::ora
