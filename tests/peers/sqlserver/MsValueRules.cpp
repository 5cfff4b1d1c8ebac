#include "peers/sqlserver/MsValueRules.h"

#include "peers/sqlserver/MsCollation.h"
#include "peers/sqlserver/MsTemporal.h"

#include <QRegularExpression>
#include <QUuid>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace peers {

namespace {

using Kind = SqlValue::Kind;

class ValueCheck {
public:
    ValueCheck(const MsColumnType& type, const SqlValue& value, const QString& column)
        : type_(type), value_(value), column_(column)
    {
    }

    [[noreturn]] void fail(const char* why) const
    {
        throw std::invalid_argument(QStringLiteral("column '%1' (%2): value %3 %4")
                                        .arg(column_, type_.typeName, tw::describe(value_), QLatin1String(why))
                                        .toStdString());
    }

    void requireKind(std::initializer_list<Kind> kinds) const
    {
        for (const Kind kind : kinds) {
            if (value_.kind() == kind)
                return;
        }
        fail("is of the wrong kind");
    }

    SqlValue integer(qint64 low, qint64 high) const
    {
        requireKind({Kind::Integer});
        if (value_.asInteger() < low || value_.asInteger() > high)
            fail("is out of range");
        return value_;
    }

    SqlValue exact(int precision, int scale) const
    {
        requireKind({Kind::Integer, Kind::Decimal});
        const QString text = value_.kind() == Kind::Integer ? QString::number(value_.asInteger())
                                                            : value_.asDecimal().text;
        static const QRegularExpression shape(QStringLiteral(R"(^([+-]?)(\d*)(?:\.(\d*))?$)"));
        const QRegularExpressionMatch match = shape.match(text);
        if (!match.hasMatch() || match.captured(2).size() + match.captured(3).size() == 0)
            fail("is not a number");
        QString whole = match.captured(2);
        while (whole.size() > 1 && whole.startsWith(QLatin1Char('0')))
            whole.remove(0, 1);
        if (whole.isEmpty())
            whole = QStringLiteral("0");
        QString fraction = match.captured(3);
        while (fraction.size() > scale && fraction.endsWith(QLatin1Char('0')))
            fraction.chop(1);
        if (fraction.size() > scale)
            fail("has more decimal places than the column's scale");
        fraction = fraction.leftJustified(scale, QLatin1Char('0'));
        if (whole != QLatin1String("0") && whole.size() > precision - scale)
            fail("has more digits than the column's precision");
        const bool zero = whole == QLatin1String("0") && !fraction.contains(QRegularExpression(QStringLiteral("[1-9]")));
        const QString sign = match.captured(1) == QLatin1String("-") && !zero ? QStringLiteral("-") : QString();
        return SqlValue::decimal(sign + whole + (scale > 0 ? QLatin1Char('.') + fraction : QString()));
    }

    SqlValue approximate(bool single) const
    {
        requireKind({Kind::Integer, Kind::Float});
        const double v = value_.kind() == Kind::Integer ? double(value_.asInteger()) : value_.asFloat();
        if (!std::isfinite(v))
            fail("is not a finite number");
        return single ? SqlValue(double(float(v))) : SqlValue(v);
    }

    SqlValue boolean() const
    {
        requireKind({Kind::Boolean, Kind::Integer});
        return value_.kind() == Kind::Boolean ? value_ : SqlValue(value_.asInteger() != 0);
    }

    // Rounds to the step (in milliseconds) that the type keeps.
    SqlValue dateTime(qint64 stepMs) const
    {
        requireKind({Kind::DateTime});
        const QDateTime& dt = value_.asDateTime();
        if (!dt.isValid())
            fail("is not a valid date-time");
        const qint64 ms = dt.toMSecsSinceEpoch();
        const qint64 rounded = qint64(std::floor(double(ms) / double(stepMs) + 0.5)) * stepMs;
        return SqlValue(QDateTime::fromMSecsSinceEpoch(rounded, Qt::UTC));
    }

    // datetime keeps three-hundredths of a second: .000, .003, .007.
    SqlValue classicDateTime() const
    {
        requireKind({Kind::DateTime});
        const QDateTime& dt = value_.asDateTime();
        const qint64 ms = dt.toMSecsSinceEpoch();
        const qint64 second = qint64(std::floor(double(ms) / 1000.0)) * 1000;
        const qint64 ticks = qint64(std::floor(double(ms - second) * 0.3 + 0.5));
        const qint64 rounded = second + qint64(std::floor(double(ticks) * 10.0 / 3.0 + 0.5));
        return SqlValue(QDateTime::fromMSecsSinceEpoch(rounded, Qt::UTC));
    }

    // The date and time types of SQL Server 2008 and later hold their values
    // exactly, as the server's own text at the column's scale. A test seeds
    // them as text, as a literal converted by the server (up to seven
    // fractional digits, rounded to the scale).
    SqlValue temporal(MsTemporalType temporalType, int scale) const
    {
        requireKind({Kind::Text});
        const std::optional<MsTemporal> exact = parseTemporal(value_.asText(), temporalType, scale);
        if (!exact)
            fail("is not a value of the type");
        return SqlValue(temporalText(*exact, temporalType, scale));
    }

    SqlValue text(int maxChars, bool fixed, bool codePage) const
    {
        requireKind({Kind::Text});
        QString text = codePage ? toCodePageText(value_.asText()) : value_.asText();
        if (maxChars > 0 && text.size() > maxChars)
            fail("is longer than the column");
        if (fixed)
            text = text.leftJustified(maxChars, QLatin1Char(' '));
        return SqlValue(text);
    }

    SqlValue bytes(int maxBytes, bool fixed) const
    {
        requireKind({Kind::Bytes});
        QByteArray bytes = value_.asBytes();
        if (maxBytes > 0 && bytes.size() > maxBytes)
            fail("is longer than the column");
        if (fixed)
            bytes = bytes.leftJustified(maxBytes, '\0');
        return SqlValue(bytes);
    }

    SqlValue guid() const
    {
        requireKind({Kind::Text});
        const QUuid uuid = QUuid::fromString(value_.asText().trimmed());
        if (uuid.isNull() && !value_.asText().startsWith(QLatin1String("00000000")))
            fail("is not a GUID");
        return SqlValue(uuid.toString(QUuid::WithoutBraces).toUpper());
    }

private:
    const MsColumnType& type_;
    const SqlValue& value_;
    const QString& column_;
};

} // namespace

SqlValue columnValue(const MsColumnType& type, const SqlValue& value, const QString& columnName)
{
    if (value.isNull())
        return value;
    const ValueCheck check(type, value, columnName);
    const QString& base = type.baseName;
    const auto is = [&](const char* name) { return base == QLatin1String(name); };

    // A CLR type's value is its serialised form, bytes.
    if (isClrType(type))
        return check.bytes(type.length, false);
    if (is("tinyint"))
        return check.integer(0, 255);
    if (is("smallint"))
        return check.integer(-32768, 32767);
    if (is("int"))
        return check.integer(-2147483648LL, 2147483647LL);
    if (is("bigint"))
        return check.integer(std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max());
    if (is("bit"))
        return check.boolean();
    if (is("decimal") || is("numeric") || is("money") || is("smallmoney"))
        return check.exact(type.precision, type.scale);
    if (is("float") || is("real"))
        return check.approximate(is("real"));
    if (is("datetime"))
        return check.classicDateTime();
    if (is("smalldatetime"))
        return check.dateTime(60000);
    if (const std::optional<MsTemporalType> temporalType = temporalTypeOf(base))
        return check.temporal(*temporalType, type.scale);
    if (is("char") || is("varchar") || is("text"))
        return check.text(type.size, is("char"), true);
    if (is("nchar") || is("nvarchar") || is("ntext") || is("xml"))
        return check.text(type.size, is("nchar"), false);
    if (is("binary") || is("varbinary") || is("image"))
        return check.bytes(type.size, is("binary"));
    if (is("timestamp")) {
        check.requireKind({Kind::Bytes});
        if (value.asBytes().size() != 8)
            check.fail("is not eight bytes");
        return value;
    }
    if (is("uniqueidentifier"))
        return check.guid();
    return value;  // sql_variant holds any value as it is
}

} // namespace peers
