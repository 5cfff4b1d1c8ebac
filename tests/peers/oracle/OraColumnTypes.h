#pragma once

#include "peers/oracle/OraCursor.h"

// Column data types as CREATE TABLE spells them, with Oracle's limits.
namespace peers::ora {

// Reads a data type at the cursor and returns the column as the dictionary
// describes it (name left empty): NUMBER[(p[,s])], INTEGER/INT/SMALLINT,
// VARCHAR2(n [BYTE|CHAR]), CHAR[(n [BYTE|CHAR])], DATE, TIMESTAMP[(f)],
// BLOB, CLOB.
OraColumn parseColumnType(Cursor& cursor);

} // namespace peers::ora
