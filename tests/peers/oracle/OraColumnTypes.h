#pragma once

#include "peers/oracle/OraCursor.h"

// Column data types as CREATE TABLE spells them, with Oracle's limits.
namespace peers::ora {

// Reads a data type at the cursor and returns the column as the dictionary
// describes it (name left empty): NUMBER[(p[,s])], INTEGER/INT/SMALLINT,
// VARCHAR2(n [BYTE|CHAR]), CHAR[(n [BYTE|CHAR])], DATE, TIMESTAMP[(f)]
// [WITH TIME ZONE], INTERVAL DAY[(d)] TO SECOND[(f)], RAW(n), BINARY_FLOAT,
// BINARY_DOUBLE, BLOB, CLOB.
// lengthUnqualified, when given, tells whether a character size named
// neither BYTE nor CHAR.
OraColumn parseColumnType(Cursor& cursor, bool* lengthUnqualified = nullptr);

// Makes an unqualified character size count characters, as a session with
// NLS_LENGTH_SEMANTICS=CHAR creates it.
void measureInCharacters(OraColumn& column);

} // namespace peers::ora
