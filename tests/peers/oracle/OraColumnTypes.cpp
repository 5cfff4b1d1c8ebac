#include "peers/oracle/OraColumnTypes.h"

#include "peers/oracle/OraErrors.h"

namespace peers::ora {

namespace {

constexpr int kLobLength = 4000;  // what the dictionary shows for a LOB locator
constexpr int kMaxBytesPerChar = 4;  // AL32UTF8

OraColumn described(const char* type, int length, int precision = -1, int scale = -1)
{
    OraColumn column;
    column.type = QLatin1String(type);
    column.length = length;
    column.precision = precision;
    column.scale = scale;
    return column;
}

OraColumn number(Cursor& cursor)
{
    OraColumn column = described("NUMBER", 22);
    if (!cursor.acceptSymbol('('))
        return column;
    if (cursor.acceptSymbol('*')) {
        column.scale = 0;  // NUMBER(*[,s]): the largest precision
    } else {
        const qint64 precision = cursor.takeInteger(precisionOutOfRange);
        if (precision < 1 || precision > 38)
            throw precisionOutOfRange();
        column.precision = int(precision);
        column.scale = 0;
    }
    if (cursor.acceptSymbol(',')) {
        const qint64 scale = cursor.takeInteger(scaleOutOfRange);
        if (scale < -84 || scale > 127)
            throw scaleOutOfRange();
        column.scale = int(scale);
    }
    cursor.expectSymbol(')', missingRightParenthesis);
    return column;
}

// VARCHAR2(n) and CHAR(n), n in bytes or, with CHAR, in characters.
OraColumn character(Cursor& cursor, const char* type, int maxBytes, bool sizeRequired, bool* lengthUnqualified)
{
    OraColumn column = described(type, 1);
    if (!cursor.acceptSymbol('(')) {
        if (sizeRequired)
            throw missingLeftParenthesis();
        return column;
    }
    // The size is read as a signed number; whether Oracle's parser reports a
    // negative size with this error or another could not be established, so
    // it is treated like a size beyond the limit.
    const qint64 size = cursor.takeInteger(lengthTooLong);
    if (size == 0)
        throw zeroLengthColumns();
    if (size < 0 || size > maxBytes)
        throw lengthTooLong();
    if (cursor.acceptWord("CHAR")) {
        column.charLength = int(size);
        column.length = int(qMin<qint64>(size * kMaxBytesPerChar, maxBytes));
    } else {
        const bool qualified = cursor.acceptWord("BYTE");
        if (lengthUnqualified)
            *lengthUnqualified = !qualified;
        column.length = int(size);
    }
    cursor.expectSymbol(')', missingRightParenthesis);
    return column;
}

// A datetime or interval precision in parentheses, 0 to 9, or the default.
int datetimePrecision(Cursor& cursor, int byDefault)
{
    if (!cursor.acceptSymbol('('))
        return byDefault;
    const qint64 precision = cursor.takeInteger(datetimePrecisionOutOfRange);
    if (precision < 0 || precision > 9)
        throw datetimePrecisionOutOfRange();
    cursor.expectSymbol(')', missingRightParenthesis);
    return int(precision);
}

// TIMESTAMP [(f)] [WITH TIME ZONE]: f defaults to 6; the dictionary names
// the type with its precision, 11 bytes, 13 with the time zone (Oracle
// Database SQL Language Reference, "Datetime and Interval Data Types").
OraColumn timestamp(Cursor& cursor)
{
    const int digits = datetimePrecision(cursor, 6);
    OraColumn column = described("TIMESTAMP", 11, -1, digits);
    column.type = QStringLiteral("TIMESTAMP(%1)").arg(digits);
    if (cursor.acceptWord("WITH")) {
        cursor.expectWord("TIME", missingKeyword);
        cursor.expectWord("ZONE", missingKeyword);
        column.type += QStringLiteral(" WITH TIME ZONE");
        column.length = 13;
    }
    return column;
}

// INTERVAL DAY [(d)] TO SECOND [(f)]: d defaults to 2, f to 6; 11 bytes.
// INTERVAL YEAR TO MONTH is not part of the model.
OraColumn interval(Cursor& cursor)
{
    cursor.expectWord("DAY", missingKeyword);
    const int days = datetimePrecision(cursor, 2);
    cursor.expectWord("TO", missingKeyword);
    cursor.expectWord("SECOND", missingKeyword);
    const int digits = datetimePrecision(cursor, 6);
    OraColumn column = described("INTERVAL", 11, days, digits);
    column.type = QStringLiteral("INTERVAL DAY(%1) TO SECOND(%2)").arg(days).arg(digits);
    return column;
}

// RAW(n): n bytes, 1 to 2000, the size required ("RAW and LONG RAW Data
// Types").
OraColumn raw(Cursor& cursor)
{
    cursor.expectSymbol('(', missingLeftParenthesis);
    const qint64 size = cursor.takeInteger(lengthTooLong);
    if (size == 0)
        throw zeroLengthColumns();
    if (size < 0 || size > 2000)
        throw lengthTooLong();
    cursor.expectSymbol(')', missingRightParenthesis);
    return described("RAW", int(size));
}

} // namespace

void measureInCharacters(OraColumn& column)
{
    if (column.charLength > 0)
        return;
    const int maxBytes = column.type == QLatin1String("CHAR") ? 2000 : 4000;
    column.charLength = column.length;
    column.length = qMin(column.length * kMaxBytesPerChar, maxBytes);
}

OraColumn parseColumnType(Cursor& cursor, bool* lengthUnqualified)
{
    const Token& token = cursor.peek();
    if (token.kind == Token::Kind::End || token.isSymbol(',') || token.isSymbol(')'))
        throw datatypeRequired();
    if (token.kind != Token::Kind::Word)
        throw invalidDatatype();
    const QString word = cursor.take().text.toUpper();
    if (word == QLatin1String("NUMBER"))
        return number(cursor);
    if (word == QLatin1String("INTEGER") || word == QLatin1String("INT") || word == QLatin1String("SMALLINT"))
        return described("NUMBER", 22, -1, 0);
    if (word == QLatin1String("VARCHAR2") || word == QLatin1String("VARCHAR"))
        return character(cursor, "VARCHAR2", 4000, true, lengthUnqualified);
    if (word == QLatin1String("CHAR"))
        return character(cursor, "CHAR", 2000, false, lengthUnqualified);
    if (word == QLatin1String("DATE"))
        return described("DATE", 7);
    if (word == QLatin1String("TIMESTAMP"))
        return timestamp(cursor);
    if (word == QLatin1String("INTERVAL"))
        return interval(cursor);
    if (word == QLatin1String("RAW"))
        return raw(cursor);
    // IEEE 754 binary32 and binary64, 4 and 8 bytes ("Floating-Point Numbers").
    if (word == QLatin1String("BINARY_FLOAT"))
        return described("BINARY_FLOAT", 4);
    if (word == QLatin1String("BINARY_DOUBLE"))
        return described("BINARY_DOUBLE", 8);
    if (word == QLatin1String("BLOB") || word == QLatin1String("CLOB"))
        return described(word == QLatin1String("BLOB") ? "BLOB" : "CLOB", kLobLength);
    throw invalidDatatype();
}

} // namespace peers::ora
