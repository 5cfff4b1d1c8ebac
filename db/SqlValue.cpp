#include "db/SqlValue.h"

#include "db/Failure.h"

#include <charconv>
#include <cmath>

namespace tw {

SqlValue SqlValue::real(float v)
{
    if (!std::isfinite(v))
        return SqlValue(double(v));
    // The shortest digits that read back as the same float have at most nine
    // significant digits, which a double holds exactly enough to give them
    // back as its own shortest form.
    char digits[32];
    const std::to_chars_result written = std::to_chars(digits, digits + sizeof digits, v);
    double nearest = double(v);
    std::from_chars(digits, written.ptr, nearest);
    return SqlValue(nearest);
}

SqlValue SqlValue::dateTime(int y, int mo, int d, int h, int mi, int s, int ms)
{
    return SqlValue(QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC));
}

QString SqlValue::toText() const
{
    switch (kind()) {
    case Kind::Null:
        return QString();
    case Kind::Integer:
        return QString::number(asInteger());
    case Kind::Decimal:
        return asDecimal().text;
    case Kind::Float:
        return QString::number(asFloat(), 'g', 17);
    case Kind::DateTime: {
        const QDateTime& dt = asDateTime();
        return dt.toString(dt.time().msec() ? QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")
                                            : QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    case Kind::Text:
        return asText();
    case Kind::Bytes:
        return QString::fromLatin1(asBytes().toHex().toUpper());
    case Kind::Boolean:
        return asBoolean() ? QStringLiteral("True") : QStringLiteral("False");
    }
    return QString();
}

qint64 SqlValue::toInteger() const
{
    bool ok = false;
    qint64 result = 0;
    switch (kind()) {
    case Kind::Integer:
        return asInteger();
    case Kind::Boolean:
        return asBoolean() ? 1 : 0;
    case Kind::Float:
        if (asFloat() >= -9.2e18 && asFloat() <= 9.2e18)
            return qint64(asFloat());
        break;
    case Kind::Decimal: {
        const QString whole = asDecimal().text.section(QLatin1Char('.'), 0, 0);
        result = whole.toLongLong(&ok);
        if (ok)
            return result;
        break;
    }
    case Kind::Text:
        result = asText().trimmed().toLongLong(&ok);
        if (ok)
            return result;
        break;
    default:
        break;
    }
    if (isNull())
        throw Failure(QStringLiteral("Could not convert variant of type (Null) into type (Int64)"));
    throw Failure(QStringLiteral("'%1' is not a valid integer value").arg(toText()));
}

QString describe(const SqlValue& value)
{
    static const char* const names[] = {"Null", "Integer", "Decimal", "Float", "DateTime", "Text", "Bytes", "Boolean"};
    const QString text = value.toText();
    return QStringLiteral("%1(%2)").arg(QLatin1String(names[int(value.kind())]),
                                        text.size() > 80 ? text.left(77) + QStringLiteral("...") : text);
}

} // namespace tw
