#pragma once

#include <QString>

namespace tw {

// Run once on every target session right after logon. Table definitions
// write character columns as varchar2(n) with n the source column's length
// in characters; measured in bytes, as Oracle does by default, n characters
// of a non-Latin script (three bytes each in AL32UTF8) would not fit and
// their rows would be refused. With character length semantics the same
// statement text makes a column that holds n characters of any script.
inline QString characterLengthSemanticsSql()
{
    return QStringLiteral("ALTER SESSION SET NLS_LENGTH_SEMANTICS = CHAR");
}

} // namespace tw
