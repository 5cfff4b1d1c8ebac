#include "db/OracleValueConversion.h"

#include "db/Failure.h"

#include <QLocale>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace tw {

namespace {

const char* kindName(SqlValue::Kind kind)
{
    static const char* const names[] = {"null", "integer", "decimal", "float", "date-time", "text", "bytes", "Boolean"};
    return names[int(kind)];
}

[[noreturn]] void refuse(const SqlValue& value, const OracleColumnType& type, const QString& reason = QString())
{
    throw Failure(QStringLiteral("a %1 value cannot be stored in a %2 column%3")
                      .arg(QLatin1String(kindName(value.kind())), type.typeName,
                           reason.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(reason)));
}

// Plain decimal text: optional sign, digits, optional fraction. No exponent,
// no grouping, always a point: the same on every client locale.
SqlValue numberFromText(const SqlValue& value, const OracleColumnType& type)
{
    // Whole numbers (Booleans arrive as "1" and "0") are read without the
    // pattern below.
    const QString& text = value.asText();
    const qsizetype signs = !text.isEmpty() && (text[0] == QLatin1Char('-') || text[0] == QLatin1Char('+')) ? 1 : 0;
    if (text.size() > signs && text.size() <= 18
        && std::all_of(text.begin() + signs, text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return SqlValue(text.toLongLong());
    static const QRegularExpression plain(QStringLiteral("^\\s*([+-]?)(\\d*)(?:\\.(\\d*))?\\s*$"));
    const QRegularExpressionMatch m = plain.match(value.asText());
    if (!m.hasMatch() || (m.captured(2).isEmpty() && m.captured(3).isEmpty()))
        refuse(value, type, QStringLiteral("'%1' is not a number").arg(value.asText()));
    QString digits = m.captured(2);
    const QString fraction = m.captured(3);
    const QString sign = m.captured(1) == QLatin1String("-") ? QStringLiteral("-") : QString();
    if (digits.isEmpty())
        digits = QStringLiteral("0");
    if (fraction.isEmpty()) {
        bool ok = false;
        const qint64 n = (sign + digits).toLongLong(&ok);
        if (ok)
            return SqlValue(n);
        return SqlValue::decimal(sign + digits);
    }
    return SqlValue::decimal(sign + digits + QLatin1Char('.') + fraction);
}

SqlValue numberFromFloat(const SqlValue& value, const OracleColumnType& type)
{
    const double d = value.asFloat();
    if (!std::isfinite(d))
        refuse(value, type, QStringLiteral("not a finite number"));
    // The shortest text that reads back as the same double, written without
    // an exponent.
    QString text = QString::number(d, 'f', QLocale::FloatingPointShortest);
    if (text.contains(QLatin1Char('.')))
        return SqlValue::decimal(text);
    bool ok = false;
    const qint64 n = text.toLongLong(&ok);
    return ok ? SqlValue(n) : SqlValue::decimal(text);
}

SqlValue dateFromText(const SqlValue& value, const OracleColumnType& type)
{
    const QString text = value.asText().trimmed();
    for (const char* format : {"yyyy-MM-dd HH:mm:ss.zzz", "yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd"}) {
        QDateTime dt = QDateTime::fromString(text, QLatin1String(format));
        if (dt.isValid()) {
            dt.setTimeSpec(Qt::UTC);
            return SqlValue(dt);
        }
    }
    refuse(value, type, QStringLiteral("'%1' is not a date").arg(text));
}

// A timestamp as the text the session reads with YYYY-MM-DD HH24:MI:SS.FF9:
// nine fractional digits, so that text with microseconds or nanoseconds
// keeps them all. For a TIMESTAMP WITH TIME ZONE column the text's offset
// ("+05:30") follows, which the session reads with TZH:TZM.
SqlValue timestampText(const SqlValue& value, const OracleColumnType& type)
{
    if (value.kind() == SqlValue::Kind::DateTime)
        return SqlValue(value.asDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")) + QStringLiteral("000000"));
    if (value.kind() != SqlValue::Kind::Text)
        refuse(value, type);
    static const QRegularExpression form(QStringLiteral(
        "^\\s*(\\d{4}-\\d{2}-\\d{2})(?:[ T](\\d{2}:\\d{2}:\\d{2})(?:\\.(\\d{1,9}))?)?\\s*([+-]\\d{2}:\\d{2})?\\s*$"));
    const QRegularExpressionMatch m = form.match(value.asText());
    const QString time = m.captured(2).isEmpty() ? QStringLiteral("00:00:00") : m.captured(2);
    const bool zoned = type.typeName == QLatin1String("TIMESTAMP WITH TIME ZONE");
    if (!m.hasMatch() || (!zoned && !m.captured(4).isEmpty())
        || !QDateTime::fromString(m.captured(1) + QLatin1Char(' ') + time, QStringLiteral("yyyy-MM-dd HH:mm:ss")).isValid())
        refuse(value, type, QStringLiteral("'%1' is not a date").arg(value.asText().trimmed()));
    QString text = m.captured(1) + QLatin1Char(' ') + time + QLatin1Char('.') + m.captured(3).leftJustified(9, QLatin1Char('0'));
    if (!m.captured(4).isEmpty())
        text += QLatin1Char(' ') + m.captured(4);
    return SqlValue(text);
}

// A time of day ("23:59:59.1234567") as the day-to-second interval text the
// server reads, "0 23:59:59.1234567": days, then the time (SQL Language
// Reference, "Interval Literals", INTERVAL DAY TO SECOND). Other values go
// as they are, for the server to judge.
SqlValue daySecondIntervalText(const SqlValue& value)
{
    static const QRegularExpression timeOfDay(QStringLiteral("^\\s*\\d{1,2}:\\d{2}:\\d{2}(?:\\.\\d{1,9})?\\s*$"));
    if (value.kind() == SqlValue::Kind::Text && timeOfDay.match(value.asText()).hasMatch())
        return SqlValue(QStringLiteral("0 ") + value.asText().trimmed());
    return value;
}

SqlValue binaryFloat(const SqlValue& value, const OracleColumnType& type)
{
    switch (value.kind()) {
    case SqlValue::Kind::Integer:
        return SqlValue(double(value.asInteger()));
    case SqlValue::Kind::Boolean:
        return SqlValue(value.asBoolean() ? 1.0 : 0.0);
    case SqlValue::Kind::Decimal:
    case SqlValue::Kind::Text: {
        const QString text = value.kind() == SqlValue::Kind::Text ? value.asText() : value.asDecimal().text;
        bool ok = false;
        const double d = QLocale::c().toDouble(text.trimmed(), &ok);
        if (!ok)
            refuse(value, type, QStringLiteral("'%1' is not a number").arg(text));
        return SqlValue(d);
    }
    default:
        refuse(value, type);
    }
}

} // namespace

OracleColumnType OracleColumnType::fromTypeName(const QString& typeName, int size, int precision, int scale)
{
    OracleColumnType type;
    type.typeName = typeName.toUpper();
    type.size = size;
    type.precision = precision;
    type.scale = scale;
    if (type.typeName == QLatin1String("NUMBER") || type.typeName == QLatin1String("FLOAT")
        || type.typeName == QLatin1String("INTEGER"))
        type.kind = Kind::Number;
    else if (type.typeName == QLatin1String("VARCHAR2") || type.typeName == QLatin1String("NVARCHAR2")
             || type.typeName == QLatin1String("CHAR") || type.typeName == QLatin1String("NCHAR")
             || type.typeName == QLatin1String("CLOB") || type.typeName == QLatin1String("NCLOB"))
        type.kind = Kind::Varchar2;
    else if (type.typeName == QLatin1String("DATE"))
        type.kind = Kind::Date;
    else if (type.typeName.startsWith(QLatin1String("TIMESTAMP")))
        type.kind = Kind::Timestamp;
    else if (type.typeName == QLatin1String("BINARY_FLOAT") || type.typeName == QLatin1String("BINARY_DOUBLE"))
        type.kind = Kind::BinaryFloat;
    else if (type.typeName == QLatin1String("BLOB") || type.typeName == QLatin1String("RAW")
             || type.typeName == QLatin1String("LONG RAW"))
        type.kind = Kind::Blob;
    return type;
}

bool takesAsIs(const SqlValue& value, const OracleColumnType& type)
{
    using K = SqlValue::Kind;
    switch (type.kind) {
    case OracleColumnType::Kind::Number:
        return value.kind() == K::Null || value.kind() == K::Integer || value.kind() == K::Decimal;
    case OracleColumnType::Kind::Date:
        return value.kind() == K::Null || value.kind() == K::DateTime;
    case OracleColumnType::Kind::Varchar2:
        return value.kind() == K::Null || value.kind() == K::Text;
    case OracleColumnType::Kind::Blob:
        return value.kind() == K::Null || value.kind() == K::Bytes;
    case OracleColumnType::Kind::BinaryFloat:
        return value.kind() == K::Null || value.kind() == K::Float;
    case OracleColumnType::Kind::Timestamp:
        return value.kind() == K::Null;
    case OracleColumnType::Kind::Other:
        return type.typeName != QLatin1String("INTERVAL DAY TO SECOND");
    }
    return false;
}

SqlValue convertForOracleColumn(const SqlValue& value, const OracleColumnType& type)
{
    using K = SqlValue::Kind;
    if (takesAsIs(value, type))
        return value;
    switch (type.kind) {
    case OracleColumnType::Kind::Number:
        switch (value.kind()) {
        case K::Boolean:
            return SqlValue(qint64(value.asBoolean() ? 1 : 0));
        case K::Float:
            return numberFromFloat(value, type);
        case K::Text:
            return numberFromText(value, type);
        default:
            refuse(value, type);
        }
    case OracleColumnType::Kind::Date:
        if (value.kind() == K::Text)
            return dateFromText(value, type);
        refuse(value, type);
    case OracleColumnType::Kind::Timestamp:
        return timestampText(value, type);
    case OracleColumnType::Kind::BinaryFloat:
        return binaryFloat(value, type);
    case OracleColumnType::Kind::Varchar2:
        return SqlValue(value.toText());
    case OracleColumnType::Kind::Blob:
        if (value.kind() == K::Text)
            return SqlValue(value.asText().toUtf8());
        refuse(value, type);
    case OracleColumnType::Kind::Other:
        if (type.typeName == QLatin1String("INTERVAL DAY TO SECOND"))
            return daySecondIntervalText(value);
        break;
    }
    return value;
}

} // namespace tw
