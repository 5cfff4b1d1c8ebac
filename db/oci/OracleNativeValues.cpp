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
// leading zeros, the fraction digits without trailing zeros. Char is the
// text's code unit: char16_t for QString, char for Latin-1 text.
template <typename Char>
struct DecimalDigits {
    bool negative = false;
    const Char* integer = nullptr;
    qsizetype integerSize = 0;
    const Char* fraction = nullptr;
    qsizetype fractionSize = 0;
};

template <typename Char>
bool isDigit(Char c)
{
    return c >= Char('0') && c <= Char('9');
}

// Reads [+-]digits[.digits] with at least one digit; false for any other
// text.
template <typename Char>
bool readDecimal(const Char* text, qsizetype size, DecimalDigits<Char>& number)
{
    qsizetype i = 0;
    if (i < size && (text[i] == Char('-') || text[i] == Char('+')))
        number.negative = text[i++] == Char('-');
    while (i < size && text[i] == Char('0'))
        ++i;
    number.integer = text + i;
    while (i < size && isDigit(text[i]))
        ++i;
    number.integerSize = text + i - number.integer;
    const bool anyIntegerDigit = number.integerSize > 0 || (i > 0 && text[i - 1] == Char('0'));
    if (i < size && text[i] == Char('.')) {
        number.fraction = text + ++i;
        while (i < size && isDigit(text[i]))
            ++i;
        number.fractionSize = text + i - number.fraction;
    }
    if (i != size || (!anyIntegerDigit && number.fractionSize == 0))
        return false;
    while (number.fractionSize > 0 && number.fraction[number.fractionSize - 1] == Char('0'))
        --number.fractionSize;
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

template <typename Char>
Base100 toBase100(const DecimalDigits<Char>& number)
{
    // Digit pairs line up around the decimal point: an odd integer part
    // takes a zero in front, an odd fraction one behind. The decimal digits
    // are laid out once as that sequence, as far as the 21 base-100 digits
    // that rounding needs; a fraction's leading zero pairs only lower the
    // exponent.
    Base100 result;
    const qsizetype integerPad = number.integerSize % 2;
    result.exponent = int((integerPad + number.integerSize) / 2) - 1;
    qsizetype fractionStart = 0;
    if (number.integerSize == 0) {
        while (fractionStart < number.fractionSize && number.fraction[fractionStart] == Char('0'))
            ++fractionStart;
        fractionStart -= fractionStart % 2;
        result.exponent -= int(fractionStart / 2);
    }
    constexpr int kKept = 2 * (kMaxDigitPairs + 1);
    unsigned char sequence[kKept + 1];
    int length = 0;
    if (integerPad)
        sequence[length++] = 0;
    for (qsizetype i = 0; i < number.integerSize && length < kKept; ++i)
        sequence[length++] = static_cast<unsigned char>(number.integer[i] - Char('0'));
    for (qsizetype i = fractionStart; i < number.fractionSize && length < kKept; ++i)
        sequence[length++] = static_cast<unsigned char>(number.fraction[i] - Char('0'));
    if (length % 2)
        sequence[length++] = 0;
    for (int k = 0; k < length; k += 2) {
        const int pair = sequence[k] * 10 + sequence[k + 1];
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
template <typename Char>
bool writeNumber(const DecimalDigits<Char>& number, char* out)
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

// magnitude / 100^fractionPairs with its sign, its base-100 digits straight
// from the integer, least significant first (at most 10 for 64 bits, so
// nothing to round).
void writeBase100(quint64 magnitude, bool negative, int fractionPairs, char* out)
{
    std::memset(out, 0, ORACLE_NUMBER_SIZE);
    if (magnitude == 0) {
        out[0] = 1;
        out[1] = char(0x80);
        return;
    }
    // Trailing zero digits are not written but count for the exponent.
    int zeros = 0;
    while (magnitude % 100 == 0) {
        magnitude /= 100;
        ++zeros;
    }
    // The digits from the least significant on, each into its place from
    // the end; in 32 bits once the value fits, which divide faster.
    const int base = negative ? 101 : 1;
    const int sign = negative ? -1 : 1;
    char digits[10];
    int first = 10;
    for (; magnitude > 0xFFFFFFFFu; magnitude /= 100)
        digits[--first] = char(base + sign * int(magnitude % 100));
    for (quint32 rest = quint32(magnitude); rest > 0; rest /= 100)
        digits[--first] = char(base + sign * int(rest % 100));
    const int written = 10 - first;
    const int exponent = written + zeros - 1 - fractionPairs;
    out[1] = char(negative ? 62 - exponent : 193 + exponent);
    std::memcpy(out + 2, digits + first, size_t(written));
    int length = written + 2;
    if (negative)
        out[length++] = char(102);
    out[0] = char(length - 1);
}

// Plain decimal text of at most 18 significant digits and 38 fraction
// digits, the form of nearly every decimal and money value, read as one
// integer and a scale: false for any other text, which the digit by digit
// reading then takes or refuses.
template <typename Char>
bool writeShortDecimal(const Char* text, qsizetype size, char* out)
{
    const Char* at = text;
    const Char* const end = text + size;
    const auto digit = [](Char c) { return unsigned(c - Char('0')); };
    bool negative = false;
    if (at < end && (*at == Char('-') || *at == Char('+')))
        negative = *at++ == Char('-');
    const Char* const digits = at;
    while (at < end && *at == Char('0'))
        ++at;
    quint64 mantissa = 0;
    const Char* significant = at;
    while (at < end && digit(*at) < 10)
        mantissa = mantissa * 10 + digit(*at++);
    qsizetype significantDigits = at - significant;
    bool anyDigit = at > digits;
    qsizetype scale = 0;
    if (at < end && *at == Char('.')) {
        const Char* const fraction = ++at;
        if (mantissa == 0) {
            while (at < end && *at == Char('0'))
                ++at;
        }
        significant = at;
        while (at < end && digit(*at) < 10)
            mantissa = mantissa * 10 + digit(*at++);
        significantDigits += at - significant;
        scale = at - fraction;
        anyDigit = anyDigit || scale > 0;
    }
    // More digits than 18 may have overflowed the integer: they go digit
    // by digit.
    if (at != end || !anyDigit || significantDigits > 18 || scale > 38)
        return false;
    // Base-100 digits line up on the decimal point.
    if (scale % 2) {
        mantissa *= 10;
        ++scale;
    }
    writeBase100(mantissa, negative, int(scale / 2), out);
    return true;
}

} // namespace

void writeOracleNumber(qint64 n, char* out)
{
    writeBase100(n < 0 ? 0 - quint64(n) : quint64(n), n < 0, 0, out);
}

bool writePlainOracleNumber(QLatin1String text, char* out)
{
    if (writeShortDecimal(text.data(), text.size(), out))
        return true;
    DecimalDigits<char> number;
    return readDecimal(text.data(), text.size(), number) && writeNumber(number, out);
}

void writeOracleNumber(const SqlValue& value, char* out)
{
    if (value.kind() == SqlValue::Kind::Integer) {
        writeOracleNumber(value.asInteger(), out);
        return;
    }
    const QStringView text = value.asDecimal().text;
    if (writeShortDecimal(text.utf16(), text.size(), out))
        return;
    DecimalDigits<char16_t> number;
    if (!readDecimal(text.utf16(), text.size(), number))
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
