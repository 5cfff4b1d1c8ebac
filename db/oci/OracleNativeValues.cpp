#include "db/oci/OracleNativeValues.h"

#include "db/Failure.h"
#include "db/oci/OciTypes.h"

#include <QStringView>
#include <cstring>

namespace tw::oci {

namespace {

constexpr int kMaxDigitPairs = 20;
constexpr int kMaxExponent = 62;   // below 1e126
constexpr int kMinExponent = -65;  // 1e-130 and above

// A decimal number as its sign and digits: the integer digits without
// leading zeros, the fraction digits without trailing zeros.
struct DecimalDigits {
    bool negative = false;
    QStringView integer;
    QStringView fraction;
};

bool isDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// Reads [+-]digits[.digits] with at least one digit; false for any other
// text.
bool readDecimal(QStringView text, DecimalDigits& number)
{
    qsizetype i = 0;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        number.negative = text[i++] == u'-';
    const qsizetype integerStart = i;
    while (i < text.size() && isDigit(text[i]))
        ++i;
    number.integer = text.mid(integerStart, i - integerStart);
    if (i < text.size() && text[i] == u'.') {
        const qsizetype fractionStart = ++i;
        while (i < text.size() && isDigit(text[i]))
            ++i;
        number.fraction = text.mid(fractionStart, i - fractionStart);
    }
    if (i != text.size() || (number.integer.isEmpty() && number.fraction.isEmpty()))
        return false;
    while (!number.integer.isEmpty() && number.integer.front() == u'0')
        number.integer = number.integer.mid(1);
    while (!number.fraction.isEmpty() && number.fraction.back() == u'0')
        number.fraction.chop(1);
    return true;
}

// Base-100 digits of the magnitude, most significant first, and the
// base-100 exponent of the first digit; no leading or trailing zero digits.
// More than 20 digits are rounded half away from zero, as Oracle rounds.
struct Base100 {
    int digits[kMaxDigitPairs + 1] = {};
    int count = 0;
    int exponent = 0;
};

Base100 toBase100(const DecimalDigits& number)
{
    // Digit pairs line up around the decimal point: an odd integer part
    // takes a zero in front, an odd fraction one behind.
    const qsizetype integerPad = number.integer.size() % 2;
    const qsizetype length = integerPad + number.integer.size() + number.fraction.size() + number.fraction.size() % 2;
    const auto digitAt = [&](qsizetype k) -> int {
        k -= integerPad;
        if (k < 0)
            return 0;
        if (k < number.integer.size())
            return number.integer[k].unicode() - u'0';
        k -= number.integer.size();
        return k < number.fraction.size() ? number.fraction[k].unicode() - u'0' : 0;
    };
    Base100 result;
    result.exponent = int((integerPad + number.integer.size()) / 2) - 1;
    for (qsizetype k = 0; k < length && result.count <= kMaxDigitPairs; k += 2) {
        const int pair = digitAt(k) * 10 + digitAt(k + 1);
        if (result.count == 0 && pair == 0) {
            --result.exponent;
            continue;
        }
        result.digits[result.count++] = pair;
    }
    if (result.count > kMaxDigitPairs) {
        const bool roundUp = result.digits[kMaxDigitPairs] >= 50;
        result.count = kMaxDigitPairs;
        int i = kMaxDigitPairs - 1;
        while (roundUp && i >= 0 && ++result.digits[i] == 100) {
            result.digits[i] = 0;
            --i;
        }
        if (roundUp && i < 0) {
            // Every digit was 99: the number becomes the next power of 100.
            result.digits[0] = 1;
            result.count = 1;
            ++result.exponent;
        }
    }
    while (result.count > 0 && result.digits[result.count - 1] == 0)
        --result.count;
    return result;
}

// False, with out untouched, for a magnitude of 1e126 or more.
bool writeNumber(const DecimalDigits& number, char* out)
{
    const Base100 magnitude = toBase100(number);
    if (magnitude.count > 0 && magnitude.exponent > kMaxExponent)
        return false;
    std::memset(out, 0, ORACLE_NUMBER_SIZE);
    if (magnitude.count == 0 || magnitude.exponent < kMinExponent) {
        out[0] = 1;
        out[1] = char(0x80);  // zero
        return true;
    }
    int length = 1;
    // Positive: exponent byte 193 + e, digits plus 1. Negative: the exponent
    // byte inverted (62 - e), digits taken from 101, and a closing 102 when
    // there are fewer than 20 digits.
    out[length++] = char(number.negative ? 62 - magnitude.exponent : 193 + magnitude.exponent);
    for (int i = 0; i < magnitude.count; ++i)
        out[length++] = char(number.negative ? 101 - magnitude.digits[i] : magnitude.digits[i] + 1);
    if (number.negative && magnitude.count < kMaxDigitPairs)
        out[length++] = char(102);
    out[0] = char(length - 1);
    return true;
}

} // namespace

void writeOracleNumber(qint64 n, char* out)
{
    // The base-100 digits of the magnitude straight from the integer, least
    // significant first (at most 10 for 64 bits, so nothing to round).
    std::memset(out, 0, ORACLE_NUMBER_SIZE);
    if (n == 0) {
        out[0] = 1;
        out[1] = char(0x80);
        return;
    }
    quint64 magnitude = n < 0 ? 0 - quint64(n) : quint64(n);
    int digits[10];
    int count = 0;
    while (magnitude > 0) {
        digits[count++] = int(magnitude % 100);
        magnitude /= 100;
    }
    const int exponent = count - 1;
    int last = 0;  // trailing zero digits are not written
    while (digits[last] == 0)
        ++last;
    const bool negative = n < 0;
    int length = 1;
    out[length++] = char(negative ? 62 - exponent : 193 + exponent);
    for (int i = count - 1; i >= last; --i)
        out[length++] = char(negative ? 101 - digits[i] : digits[i] + 1);
    if (negative)
        out[length++] = char(102);
    out[0] = char(length - 1);
}

bool writePlainOracleNumber(QStringView text, char* out)
{
    DecimalDigits number;
    return readDecimal(text, number) && writeNumber(number, out);
}

void writeOracleNumber(const SqlValue& value, char* out)
{
    if (value.kind() == SqlValue::Kind::Integer) {
        writeOracleNumber(value.asInteger(), out);
        return;
    }
    DecimalDigits number;
    if (!readDecimal(value.asDecimal().text, number))
        throw Failure(QStringLiteral("'%1' is not a number").arg(value.asDecimal().text));
    if (!writeNumber(number, out))
        throw Failure(QStringLiteral("%1 is too large for an Oracle NUMBER").arg(value.asDecimal().text));
}

QByteArray oracleNumber(const SqlValue& value)
{
    QByteArray number(ORACLE_NUMBER_SIZE, '\0');
    writeOracleNumber(value, number.data());
    return number;
}

void writeOracleDate(const QDateTime& value, char* out)
{
    const QDate date = value.date();
    const QTime time = value.time();
    if (!date.isValid() || date.year() < 1 || date.year() > 9999)
        throw Failure(QStringLiteral("the date %1 is outside the years 1 to 9999").arg(value.toString(Qt::ISODate)));
    out[0] = char(date.year() / 100 + 100);
    out[1] = char(date.year() % 100 + 100);
    out[2] = char(date.month());
    out[3] = char(date.day());
    out[4] = char(time.hour() + 1);
    out[5] = char(time.minute() + 1);
    out[6] = char(time.second() + 1);
}

QByteArray oracleDate(const QDateTime& value)
{
    QByteArray bytes(ORACLE_DATE_SIZE, '\0');
    writeOracleDate(value, bytes.data());
    return bytes;
}

} // namespace tw::oci
