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

// Run once on every target session of the OCI layer right after logon.
// Values of the TIMESTAMP types, and of column types the layer does not
// bind natively, go to the server as text, which it reads with the session's
// NLS_TIMESTAMP_FORMAT, NLS_TIMESTAMP_TZ_FORMAT and NLS_NUMERIC_CHARACTERS;
// those come from the client's NLS_LANG and NLS_* settings and differ from
// machine to machine (a decimal comma under a German NLS_LANG). Fixed here,
// the texts the layer writes always read the same: nine fractional digits
// keep every fraction of a second, and a TIMESTAMP WITH TIME ZONE value
// keeps the offset written after it (TZH:TZM).
inline QString clientFormatsSql()
{
    return QStringLiteral("ALTER SESSION SET NLS_NUMERIC_CHARACTERS = '.,' "
                          "NLS_TIMESTAMP_FORMAT = 'YYYY-MM-DD HH24:MI:SS.FF9' "
                          "NLS_TIMESTAMP_TZ_FORMAT = 'YYYY-MM-DD HH24:MI:SS.FF9 TZH:TZM'");
}

} // namespace tw
