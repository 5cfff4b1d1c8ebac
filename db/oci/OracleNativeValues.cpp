#include "db/oci/OracleNativeValues.h"

#include "db/Failure.h"
#include "db/oci/OciTypes.h"

#include <QRegularExpression>
#include <QVector>

namespace tw::oci {

namespace {

constexpr int kMaxDigitPairs = 20;
constexpr int kMaxExponent = 62;   // below 1e126
constexpr int kMinExponent = -65;  // 1e-130 and above

// Base-100 digits of the magnitude, most significant first, and the base-100
// exponent of the first digit; no leading or trailing zero digits.
struct Base100 {
    QVector<int> digits;
    int exponent = 0;
};

Base100 toBase100(QString integerDigits, QString fractionDigits)
{
    // Pad so that digit pairs line up around the decimal point.
    if (integerDigits.size() % 2)
        integerDigits.prepend(QLatin1Char('0'));
    if (fractionDigits.size() % 2)
        fractionDigits.append(QLatin1Char('0'));
    const QString all = integerDigits + fractionDigits;
    Base100 number;
    number.exponent = integerDigits.size() / 2 - 1;
    bool leading = true;
    for (int i = 0; i < all.size(); i += 2) {
        const int pair = all.mid(i, 2).toInt();
        if (leading && pair == 0) {
            --number.exponent;
            continue;
        }
        leading = false;
        number.digits.append(pair);
    }
    if (number.digits.size() > kMaxDigitPairs) {
        const bool roundUp = number.digits[kMaxDigitPairs] >= 50;
        number.digits.resize(kMaxDigitPairs);
        int i = kMaxDigitPairs - 1;
        while (roundUp && i >= 0 && ++number.digits[i] == 100) {
            number.digits[i] = 0;
            --i;
        }
        if (roundUp && i < 0) {
            number.digits.prepend(1);
            number.digits.resize(kMaxDigitPairs);
            ++number.exponent;
        }
    }
    while (!number.digits.isEmpty() && number.digits.last() == 0)
        number.digits.removeLast();
    return number;
}

} // namespace

QByteArray oracleNumber(const SqlValue& value)
{
    const QString text = value.kind() == SqlValue::Kind::Integer ? QString::number(value.asInteger())
                                                                 : value.asDecimal().text;
    static const QRegularExpression form(QStringLiteral("^([+-]?)(\\d*)(?:\\.(\\d*))?$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch() || (m.captured(2).isEmpty() && m.captured(3).isEmpty()))
        throw Failure(QStringLiteral("'%1' is not a number").arg(text));
    QString integerDigits = m.captured(2);
    QString fractionDigits = m.captured(3);
    while (integerDigits.startsWith(QLatin1Char('0')))
        integerDigits.remove(0, 1);
    while (fractionDigits.endsWith(QLatin1Char('0')))
        fractionDigits.chop(1);

    QByteArray number(ORACLE_NUMBER_SIZE, '\0');
    const Base100 magnitude = toBase100(integerDigits, fractionDigits);
    if (magnitude.digits.isEmpty() || magnitude.exponent < kMinExponent) {
        number[0] = 1;
        number[1] = char(0x80);  // zero
        return number;
    }
    if (magnitude.exponent > kMaxExponent)
        throw Failure(QStringLiteral("%1 is too large for an Oracle NUMBER").arg(text));

    const bool negative = m.captured(1) == QLatin1String("-");
    int length = 1;
    // Positive: exponent byte 193 + e, digits plus 1. Negative: the exponent
    // byte inverted (62 - e), digits taken from 101, and a closing 102 when
    // there are fewer than 20 digits.
    number[length++] = char(negative ? 62 - magnitude.exponent : 193 + magnitude.exponent);
    for (int digit : magnitude.digits)
        number[length++] = char(negative ? 101 - digit : digit + 1);
    if (negative && magnitude.digits.size() < kMaxDigitPairs)
        number[length++] = char(102);
    number[0] = char(length - 1);
    return number;
}

QByteArray oracleDate(const QDateTime& value)
{
    const QDate date = value.date();
    const QTime time = value.time();
    if (!date.isValid() || date.year() < 1 || date.year() > 9999)
        throw Failure(QStringLiteral("the date %1 is outside the years 1 to 9999").arg(value.toString(Qt::ISODate)));
    QByteArray bytes(ORACLE_DATE_SIZE, '\0');
    bytes[0] = char(date.year() / 100 + 100);
    bytes[1] = char(date.year() % 100 + 100);
    bytes[2] = char(date.month());
    bytes[3] = char(date.day());
    bytes[4] = char(time.hour() + 1);
    bytes[5] = char(time.minute() + 1);
    bytes[6] = char(time.second() + 1);
    return bytes;
}

} // namespace tw::oci
