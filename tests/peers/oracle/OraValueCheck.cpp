#include "peers/oracle/OraValueCheck.h"

#include "peers/oracle/OraErrors.h"
#include "peers/oracle/OraNumber.h"


namespace peers::ora {

namespace {

using Kind = SqlValue::Kind;

constexpr int kMaxSignificantDigits = 38;
constexpr int kMaxMagnitude = 126;  // NUMBER holds values below 1E126

// The session's default date format, DD-MON-RR, in both directions.
const char* const kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

QString dateText(const QDateTime& value)
{
    const QDate date = value.date();
    return QStringLiteral("%1-%2-%3")
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(QLatin1String(kMonths[date.month() - 1]))
        .arg(date.year() % 100, 2, 10, QLatin1Char('0'));
}

std::optional<QDateTime> dateFromText(const QString& text)
{
    const QStringList parts = text.trimmed().split(QLatin1Char('-'));
    if (parts.size() != 3)
        return std::nullopt;
    bool dayOk = false;
    bool yearOk = false;
    const int day = parts[0].toInt(&dayOk);
    int year = parts[2].toInt(&yearOk);
    int month = 0;
    for (int i = 0; i < 12; ++i) {
        if (parts[1].compare(QLatin1String(kMonths[i]), Qt::CaseInsensitive) == 0)
            month = i + 1;
    }
    if (parts[2].size() == 2)
        year += year < 50 ? 2000 : 1900;  // the RR rule, seen from this century's first half
    const QDate date(year, month, day);
    if (!dayOk || !yearOk || !date.isValid())
        return std::nullopt;
    return QDateTime(date, QTime(0, 0), Qt::UTC);
}

// The type name Oracle's ORA-00932 gives for a bound value.
QString boundTypeName(Kind kind)
{
    switch (kind) {
    case Kind::Integer:
    case Kind::Decimal:
        return QStringLiteral("NUMBER");
    case Kind::Float:
        return QStringLiteral("BINARY_DOUBLE");
    case Kind::DateTime:
        return QStringLiteral("DATE");
    case Kind::Text:
        return QStringLiteral("CHAR");
    case Kind::Bytes:
        return QStringLiteral("BINARY");
    case Kind::Boolean:
        return QStringLiteral("BOOLEAN");
    case Kind::Null:
        break;
    }
    return QString();
}

[[noreturn]] void refuseKind(const QString& expected, const SqlValue& value)
{
    throw inconsistentDatatypes(expected, boundTypeName(value.kind()));
}

OraNumber numberOf(const SqlValue& value)
{
    switch (value.kind()) {
    case Kind::Integer:
        return OraNumber::fromInteger(value.asInteger());
    case Kind::Decimal:
        if (auto n = OraNumber::parse(value.asDecimal().text))
            return *n;
        throw invalidNumber();
    case Kind::Float:
        if (auto n = OraNumber::fromDouble(value.asFloat()))
            return *n;
        throw invalidNumber();
    case Kind::Text:
        if (auto n = OraNumber::parse(value.asText()))
            return *n;
        throw invalidNumber();
    default:
        refuseKind(QStringLiteral("NUMBER"), value);
    }
}

SqlValue storedNumber(const SqlValue& value, const OraColumn& column)
{
    OraNumber number = numberOf(value);
    // Plain NUMBER has neither precision nor scale. (NUMBER(*,-1) would
    // describe the same way; the model takes such a column as plain NUMBER.)
    if (column.precision < 0 && column.scale == -1) {
        number = number.roundedToSignificant(kMaxSignificantDigits);
    } else {
        // NUMBER(p,s): rounded to s places, then at most p-s digits before
        // the point; NUMBER(*,s) has the largest precision.
        const int precision = column.precision < 0 ? kMaxSignificantDigits : column.precision;
        number = number.roundedToScale(column.scale);
        if (!number.fitsIntegerDigits(precision - column.scale))
            throw valueLargerThanPrecision();
    }
    if (number.magnitude() > kMaxMagnitude)
        throw numericOverflow();
    return number.toValue();
}

QString characterText(const SqlValue& value, const QString& expected)
{
    switch (value.kind()) {
    case Kind::Text:
        return value.asText();
    case Kind::Integer:
    case Kind::Decimal:
    case Kind::Float:
        return numberOf(value).toOracleText();
    case Kind::DateTime:
        return dateText(value.asDateTime());
    case Kind::Bytes:
        return QString::fromLatin1(value.asBytes().toHex().toUpper());
    default:
        refuseKind(expected, value);
    }
}

SqlValue storedCharacter(const SqlValue& value, const OraColumn& column, const QString& owner, const QString& table)
{
    QString text = characterText(value, column.type == QLatin1String("CLOB") ? column.type : QStringLiteral("CHAR"));
    if (text.isEmpty())
        return SqlValue();
    if (column.type == QLatin1String("CLOB"))
        return SqlValue(text);
    const bool inChars = column.charLength > 0;
    const int limit = inChars ? column.charLength : column.length;
    int size = inChars ? int(text.toUcs4().size()) : int(text.toUtf8().size());
    if (size > limit || text.toUtf8().size() > column.length)
        throw valueTooLarge(owner, table, column.name, size, limit);
    if (column.type == QLatin1String("CHAR"))
        text += QString(limit - size, QLatin1Char(' '));
    return SqlValue(text);
}

SqlValue storedDate(const SqlValue& value, const OraColumn& column)
{
    const QString expected = column.type == QLatin1String("DATE") ? column.type : QStringLiteral("TIMESTAMP");
    QDateTime dateTime;
    if (value.kind() == Kind::DateTime) {
        dateTime = value.asDateTime();
    } else if (value.kind() == Kind::Text) {
        if (value.asText().isEmpty())
            return SqlValue();
        const auto parsed = dateFromText(value.asText());
        if (!parsed)
            throw literalDoesNotMatchFormat();
        dateTime = *parsed;
    } else {
        refuseKind(expected, value);
    }
    // DATE keeps whole seconds; TIMESTAMP(f) keeps what its f digits can
    // hold of the milliseconds that a date-time value carries.
    const int digits = column.type == QLatin1String("DATE") ? 0 : qMin(column.scale, 3);
    int step = 1;
    for (int i = digits; i < 3; ++i)
        step *= 10;
    const QTime time = dateTime.time();
    const QTime kept = QTime(time.hour(), time.minute(), time.second(), time.msec() / step * step);
    return SqlValue(QDateTime(dateTime.date(), kept, Qt::UTC));
}

SqlValue storedBlob(const SqlValue& value)
{
    QByteArray bytes;
    if (value.kind() == Kind::Bytes) {
        bytes = value.asBytes();
    } else if (value.kind() == Kind::Text) {
        // Text reaches a BLOB through HEXTORAW.
        const QString text = value.asText();
        static const QString hexDigits = QStringLiteral("0123456789abcdefABCDEF");
        for (const QChar c : text) {
            if (!hexDigits.contains(c))
                throw invalidHexNumber();
        }
        bytes = QByteArray::fromHex((text.size() % 2 ? QStringLiteral("0") + text : text).toLatin1());
    } else {
        refuseKind(QStringLiteral("BLOB"), value);
    }
    return bytes.isEmpty() ? SqlValue() : SqlValue(bytes);
}

// BINARY_DOUBLE and BINARY_FLOAT keep IEEE 754 values; a number given as
// text or decimal is converted as TO_BINARY_DOUBLE / TO_BINARY_FLOAT would
// (SQL Language Reference, "Floating-Point Numbers").
SqlValue storedBinaryFloat(const SqlValue& value, const OraColumn& column)
{
    double number = 0;
    bool ok = true;
    switch (value.kind()) {
    case Kind::Float:
        number = value.asFloat();
        break;
    case Kind::Integer:
        number = double(value.asInteger());
        break;
    case Kind::Decimal:
        number = value.asDecimal().text.toDouble(&ok);
        break;
    case Kind::Text:
        if (value.asText().isEmpty())
            return SqlValue();
        number = value.asText().trimmed().toDouble(&ok);
        break;
    default:
        refuseKind(column.type, value);
    }
    if (!ok)
        throw invalidNumber();
    return column.type == QLatin1String("BINARY_FLOAT") ? SqlValue(double(float(number))) : SqlValue(number);
}

} // namespace

SqlValue storedValue(const SqlValue& value, const OraColumn& column, const QString& owner, const QString& table,
                     const NlsSettings& nls)
{
    if (value.isNull())
        return value;
    const QString& type = column.type;
    // Text reaches the datetime and interval columns through the session's
    // formats (SQL Language Reference, "Data Type Comparison Rules":
    // implicit conversion; "Interval Literals").
    const bool text = value.kind() == Kind::Text && !value.asText().isEmpty();
    const QChar decimal = nls.numericCharacters.isEmpty() ? QLatin1Char('.') : nls.numericCharacters[0];
    if (type.startsWith(QLatin1String("INTERVAL DAY"))) {
        if (!text)
            refuseKind(QStringLiteral("INTERVAL DAY TO SECOND"), value);
        return SqlValue(readDaySecondInterval(value.asText(), column.precision, column.scale));
    }
    if (type.startsWith(QLatin1String("TIMESTAMP")) && type.endsWith(QLatin1String("WITH TIME ZONE")) && text)
        return SqlValue(readTimestamp(value.asText(), nls.timestampTzFormat, decimal).zonedText(column.scale));
    if (type.startsWith(QLatin1String("TIMESTAMP")) && text)
        return SqlValue(readTimestamp(value.asText(), nls.timestampFormat, decimal).text(column.scale));
    if (type == QLatin1String("NUMBER")) {
        if (value.kind() == Kind::Text && value.asText().isEmpty())
            return SqlValue();
        return storedNumber(value, column);
    }
    if (type == QLatin1String("VARCHAR2") || type == QLatin1String("CHAR") || type == QLatin1String("CLOB"))
        return storedCharacter(value, column, owner, table);
    if (type == QLatin1String("BINARY_DOUBLE") || type == QLatin1String("BINARY_FLOAT"))
        return storedBinaryFloat(value, column);
    if (type == QLatin1String("DATE") || type.startsWith(QLatin1String("TIMESTAMP")))
        return storedDate(value, column);
    return storedBlob(value);
}

} // namespace peers::ora
