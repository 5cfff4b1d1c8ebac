#include "db/odbc/OdbcColumns.h"

#include "db/Failure.h"
#include "db/odbc/OdbcApi.h"
#include "db/odbc/OdbcDiagnostics.h"
#include "db/odbc/OdbcTemporalText.h"

#include <QDateTime>

#include <cmath>
#include <cstring>

namespace tw {

namespace {

// Driver-specific SQL types that SQL Server drivers report.
constexpr SQLSMALLINT kSqlServerVariant = -150;
constexpr SQLSMALLINT kSqlServerXml = -152;

// Longer values than this are fetched in pieces; it is the largest size of a
// char, varchar, binary or varbinary column that is not (max).
constexpr SQLULEN kLargestBoundSize = 8000;
// Size of one piece of a long value, in bytes.
constexpr SQLLEN kPieceBytes = 256 * 1024;
// Room for 38 digits, a sign, a point and the terminator.
constexpr SQLLEN kDecimalTextBytes = 48;

OdbcValueKind kindOf(SQLSMALLINT sqlType)
{
    switch (sqlType) {
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
        return OdbcValueKind::Integer;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return OdbcValueKind::Float;
    case SQL_BIT:
        return OdbcValueKind::Boolean;
    case SQL_DECIMAL:
    case SQL_NUMERIC:
        return OdbcValueKind::Decimal;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
        return OdbcValueKind::DateTime;
    // Only the date and time types of SQL Server 2008 and later come as
    // these (sent as such from TDS 7.3 on; before, as nvarchar of their text).
    case SQL_TYPE_DATE:
    case SQL_DATE:
    case kSqlServerTime:
    case kSqlServerDateTimeOffset:
        return OdbcValueKind::Temporal;
    case SQL_GUID:
        return OdbcValueKind::Guid;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
        return OdbcValueKind::Bytes;
    default:
        // Character types, and everything else in its text form: sql_variant,
        // xml.
        return OdbcValueKind::Text;
    }
}

bool isLongColumn(SQLSMALLINT sqlType, SQLULEN size, OdbcValueKind kind)
{
    switch (sqlType) {
    case SQL_LONGVARCHAR:
    case SQL_WLONGVARCHAR:
    case SQL_LONGVARBINARY:
    case kSqlServerVariant:
    case kSqlServerXml:
        return true;
    default:
        break;
    }
    if (kind == OdbcValueKind::Text || kind == OdbcValueKind::Bytes)
        return size == 0 || size > kLargestBoundSize;
    return false;
}

static_assert(sizeof(CellTimestamp) == sizeof(SQL_TIMESTAMP_STRUCT) && sizeof(CellGuid) == sizeof(SQLGUID),
              "the cell layouts are those of the driver's structures");

QString guidText(const char* data)
{
    CellGuid guid;
    std::memcpy(&guid, data, sizeof guid);
    QString text(36, Qt::Uninitialized);
    writeGuidText(guid, reinterpret_cast<char16_t*>(text.data()));
    return text;
}

SqlValue dateTimeValue(const SQL_TIMESTAMP_STRUCT& ts)
{
    // The fraction is in nanoseconds; datetime's 1/300 s ticks arrive as
    // thirds of milliseconds and round to the millisecond the server shows.
    const qint64 milliseconds = qint64(std::llround(double(ts.fraction) / 1e6));
    const QDateTime whole(QDate(ts.year, ts.month, ts.day), QTime(ts.hour, ts.minute, ts.second), Qt::UTC);
    return SqlValue(whole.addMSecs(milliseconds));
}

// How a date, time, datetime2 or datetimeoffset value is read: the C type,
// and the structure it fills, whose size is exactly the room a bound value
// takes (in a block of rows the driver places each row's value one
// structure further on).
struct TemporalRead {
    SQLSMALLINT cType;
    SQLLEN bytes;
};

TemporalRead temporalRead(SQLSMALLINT sqlType)
{
    switch (sqlType) {
    case SQL_TYPE_DATE:
    case SQL_DATE:
        return {SQL_C_TYPE_DATE, sizeof(SQL_DATE_STRUCT)};
    case kSqlServerTime:
        return {SQL_C_BINARY, sizeof(SqlServerTime2)};
    case kSqlServerDateTimeOffset:
        return {SQL_C_BINARY, sizeof(SqlServerTimestampOffset)};
    default:  // datetime2
        return {SQL_C_TYPE_TIMESTAMP, sizeof(SQL_TIMESTAMP_STRUCT)};
    }
}

// The text of a date, time, datetime2 or datetimeoffset value at the
// column's scale, from the structure its C type fills.
SqlValue temporalValue(const OdbcColumn& column, const char* data)
{
    switch (column.sqlType) {
    case SQL_TYPE_DATE:
    case SQL_DATE: {
        SQL_DATE_STRUCT date;
        std::memcpy(&date, data, sizeof date);
        return SqlValue(dateText(date));
    }
    case kSqlServerTime: {
        SqlServerTime2 time;
        std::memcpy(&time, data, sizeof time);
        return SqlValue(timeText(time, column.digits));
    }
    case kSqlServerDateTimeOffset: {
        SqlServerTimestampOffset stamp;
        std::memcpy(&stamp, data, sizeof stamp);
        return SqlValue(dateTimeOffsetText(stamp, column.digits));
    }
    default: {
        SQL_TIMESTAMP_STRUCT stamp;
        std::memcpy(&stamp, data, sizeof stamp);
        return SqlValue(dateTime2Text(stamp, column.digits));
    }
    }
}

// datetime2 shares its SQL type with datetime and smalldatetime; the
// driver's type name tells them apart.
bool isDateTime2(SQLHSTMT statement, SQLUSMALLINT number)
{
    SQLWCHAR name[64] = {};
    SQLSMALLINT bytes = 0;
    checkOdbc(SQLColAttributeW(statement, number, SQL_DESC_TYPE_NAME, name, SQLSMALLINT(sizeof name), &bytes, nullptr),
              SQL_HANDLE_STMT, statement, "SQLColAttribute");
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(name)) == QLatin1String("datetime2");
}

QString utf16Text(const char* data, SQLLEN bytes)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(data), qsizetype(bytes / 2));
}

// The whole of a long value grows in place: a text as UTF-16 code units
// (the pieces of SQL_C_WCHAR hold whole units), bytes as they come.
void reserveBytes(QByteArray& whole, qsizetype bytes)
{
    whole.reserve(bytes);
}

void reserveBytes(QString& whole, qsizetype bytes)
{
    whole.reserve(bytes / 2);
}

void appendBytes(QByteArray& whole, const char* data, qsizetype bytes)
{
    whole.append(data, bytes);
}

void appendBytes(QString& whole, const char* data, qsizetype bytes)
{
    whole.append(reinterpret_cast<const QChar*>(data), bytes / 2);
}

// Reads a character or binary value piece by piece into whole; false for
// NULL. The driver reports the bytes still to come (or SQL_NO_TOTAL) and
// SQL_SUCCESS_WITH_INFO while pieces remain.
template <typename Whole>
bool readPieces(SQLHSTMT statement, SQLUSMALLINT number, SQLSMALLINT cType, Whole& whole)
{
    const SQLLEN terminator = cType == SQL_C_WCHAR ? 2 : 0;
    QByteArray piece(int(kPieceBytes), Qt::Uninitialized);
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(statement, number, cType, piece.data(), kPieceBytes, &indicator);
        if (rc == SQL_NO_DATA)
            break;
        checkOdbc(rc, SQL_HANDLE_STMT, statement, "SQLGetData");
        if (indicator == SQL_NULL_DATA)
            return false;
        const SQLLEN room = kPieceBytes - terminator;
        const bool lastPiece = indicator != SQL_NO_TOTAL && indicator <= room;
        // The first piece tells the whole length: one allocation of exactly
        // that size, instead of a buffer regrown as pieces arrive, and no
        // second copy to turn bytes into text.
        if (whole.isEmpty() && indicator != SQL_NO_TOTAL && !lastPiece)
            reserveBytes(whole, qsizetype(indicator));
        appendBytes(whole, piece.constData(), qsizetype(lastPiece ? indicator : room));
        // The indicator counts the bytes still to come: when they fit, this
        // piece was the last, whatever warning the driver attached to it.
        if (rc == SQL_SUCCESS || lastPiece)
            break;
    }
    return true;
}

} // namespace

SQLSMALLINT OdbcColumn::cType() const
{
    switch (kind) {
    case OdbcValueKind::Integer:
        return SQL_C_SBIGINT;
    case OdbcValueKind::Float:
        return SQL_C_DOUBLE;
    case OdbcValueKind::Boolean:
        return SQL_C_BIT;
    case OdbcValueKind::Decimal:
        return SQL_C_CHAR;
    case OdbcValueKind::DateTime:
        return SQL_C_TYPE_TIMESTAMP;
    case OdbcValueKind::Temporal:
        return temporalRead(sqlType).cType;
    case OdbcValueKind::Guid:
        return SQL_C_GUID;
    case OdbcValueKind::Text:
        return SQL_C_WCHAR;
    case OdbcValueKind::Bytes:
        return SQL_C_BINARY;
    }
    return SQL_C_WCHAR;
}

SQLLEN OdbcColumn::bufferWidth() const
{
    switch (kind) {
    case OdbcValueKind::Integer:
        return sizeof(SQLBIGINT);
    case OdbcValueKind::Float:
        return sizeof(SQLDOUBLE);
    case OdbcValueKind::Boolean:
        return sizeof(SQLCHAR);
    case OdbcValueKind::Decimal:
        return kDecimalTextBytes;
    case OdbcValueKind::DateTime:
        return sizeof(SQL_TIMESTAMP_STRUCT);
    case OdbcValueKind::Temporal:
        return temporalRead(sqlType).bytes;
    case OdbcValueKind::Guid:
        return sizeof(SQLGUID);
    case OdbcValueKind::Text:
        return SQLLEN(size + 1) * 2;
    case OdbcValueKind::Bytes:
        return SQLLEN(qMax<SQLULEN>(size, 1));
    }
    return 0;
}

SQLLEN OdbcColumn::terminatorBytes() const
{
    switch (kind) {
    case OdbcValueKind::Text:
        return 2;
    case OdbcValueKind::Decimal:
        return 1;
    default:
        return 0;
    }
}

CellForm OdbcColumn::cellForm() const
{
    if (isLong)
        return CellForm::None;
    switch (kind) {
    case OdbcValueKind::Integer:
        return CellForm::Int64;
    case OdbcValueKind::Boolean:
        return CellForm::Bit;
    case OdbcValueKind::Decimal:
        return CellForm::DecimalText;
    case OdbcValueKind::DateTime:
        return CellForm::Timestamp;
    case OdbcValueKind::Guid:
        return CellForm::Guid;
    case OdbcValueKind::Text:
        return CellForm::Utf16Text;
    case OdbcValueKind::Bytes:
        return CellForm::Bytes;
    case OdbcValueKind::Float:
    case OdbcValueKind::Temporal:
        break;
    }
    return CellForm::None;
}

QVector<OdbcColumn> describeColumns(SQLHSTMT statement)
{
    SQLSMALLINT count = 0;
    checkOdbc(SQLNumResultCols(statement, &count), SQL_HANDLE_STMT, statement, "SQLNumResultCols");
    QVector<OdbcColumn> columns;
    for (SQLUSMALLINT number = 1; number <= count; ++number) {
        SQLWCHAR name[512] = {};
        SQLSMALLINT nameLength = 0;
        OdbcColumn column;
        SQLSMALLINT nullable = 0;
        checkOdbc(SQLDescribeColW(statement, number, name, SQLSMALLINT(sizeof name / sizeof name[0]), &nameLength,
                                  &column.sqlType, &column.size, &column.digits, &nullable),
                  SQL_HANDLE_STMT, statement, "SQLDescribeCol");
        column.name = QString::fromUtf16(reinterpret_cast<const char16_t*>(name),
                                         qMin<qsizetype>(nameLength, qsizetype(sizeof name / sizeof name[0]) - 1));
        column.kind = kindOf(column.sqlType);
        if (column.sqlType == SQL_TYPE_TIMESTAMP && isDateTime2(statement, number))
            column.kind = OdbcValueKind::Temporal;
        column.isLong = isLongColumn(column.sqlType, column.size, column.kind);
        columns.append(column);
    }
    return columns;
}

QString canonicalDecimalText(const QString& text)
{
    QString result = text.trimmed();
    if (result.startsWith(QLatin1Char('.')))
        result.prepend(QLatin1Char('0'));
    else if (result.startsWith(QLatin1String("-.")))
        result.insert(1, QLatin1Char('0'));
    return result;
}

SqlValue valueFromBuffer(const OdbcColumn& column, const char* data, SQLLEN indicator)
{
    if (indicator == SQL_NULL_DATA)
        return SqlValue();
    switch (column.kind) {
    case OdbcValueKind::Integer: {
        SQLBIGINT v = 0;
        std::memcpy(&v, data, sizeof v);
        return SqlValue(qint64(v));
    }
    case OdbcValueKind::Float: {
        SQLDOUBLE v = 0;
        std::memcpy(&v, data, sizeof v);
        // A real arrives widened to a double; narrowing it back is exact.
        return column.sqlType == SQL_REAL ? SqlValue::real(float(v)) : SqlValue(double(v));
    }
    case OdbcValueKind::Boolean:
        return SqlValue(data[0] != 0);
    case OdbcValueKind::Decimal:
        return SqlValue::decimal(canonicalDecimalText(QString::fromLatin1(data, int(indicator))));
    case OdbcValueKind::DateTime: {
        SQL_TIMESTAMP_STRUCT ts;
        std::memcpy(&ts, data, sizeof ts);
        return dateTimeValue(ts);
    }
    case OdbcValueKind::Temporal:
        return temporalValue(column, data);
    case OdbcValueKind::Guid:
        return SqlValue(guidText(data));
    case OdbcValueKind::Text:
        return SqlValue(utf16Text(data, indicator));
    case OdbcValueKind::Bytes:
        return SqlValue(QByteArray(data, int(indicator)));
    }
    return SqlValue();
}

SqlValue readColumnData(SQLHSTMT statement, SQLUSMALLINT number, const OdbcColumn& column)
{
    if (column.kind == OdbcValueKind::Text) {
        QString whole;
        return readPieces(statement, number, column.cType(), whole) ? SqlValue(std::move(whole)) : SqlValue();
    }
    if (column.kind == OdbcValueKind::Bytes) {
        QByteArray whole;
        return readPieces(statement, number, column.cType(), whole) ? SqlValue(std::move(whole)) : SqlValue();
    }
    char buffer[kDecimalTextBytes] = {};
    SQLLEN indicator = 0;
    checkOdbc(SQLGetData(statement, number, column.cType(), buffer, sizeof buffer, &indicator), SQL_HANDLE_STMT,
              statement, "SQLGetData");
    return valueFromBuffer(column, buffer, indicator);
}

} // namespace tw
