#pragma once

#include "peers/oracle/OraStatements.h"

// Parses one statement text into the statement the model executes, raising
// the error Oracle's parser gives for a text it cannot read. Shapes the model
// does not execute are ORA-00900.
namespace peers::ora {

Statement parseStatement(const QString& sql);

} // namespace peers::ora
