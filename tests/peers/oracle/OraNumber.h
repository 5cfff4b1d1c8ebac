#pragma once

#include "db/SqlValue.h"

#include <optional>

// An exact decimal number as Oracle's NUMBER holds it: sign, significant
// digits and the position of the decimal point; no binary rounding ever.
namespace peers::ora {

class OraNumber {
public:
    // Text with an optional sign, digits with an optional '.', and an
    // optional exponent ("-12.50", ".5", "1e3"); surrounding blanks allowed.
    static std::optional<OraNumber> parse(const QString& text);
    static OraNumber fromInteger(qint64 value);
    // The shortest decimal that reads back as the same double.
    static std::optional<OraNumber> fromDouble(double value);

    bool isZero() const { return digits_.isEmpty(); }
    // Rounded, half away from zero, to this many places after the point
    // (before it when negative).
    OraNumber roundedToScale(int scale) const;
    OraNumber roundedToSignificant(int count) const;
    // True when |value| < 10^digits.
    bool fitsIntegerDigits(int digits) const { return isZero() || pointPosition_ <= digits; }
    // The decimal exponent of the leading digit plus one (0.05 gives -1).
    int magnitude() const { return pointPosition_; }

    // As a stored value: Integer when whole and within 64 bits, else Decimal
    // in the value variant's canonical text ("-0.05", "123.4").
    tw::SqlValue toValue() const;
    // As Oracle writes a NUMBER as text: no leading zero before the point
    // (".5"), no trailing zeros.
    QString toOracleText() const;

private:
    QString plainText(bool leadingZero) const;

    bool negative_ = false;
    QString digits_;  // significant digits, no leading or trailing zeros; empty for zero
    int pointPosition_ = 0;  // digits before the decimal point (may be <= 0 or > digits_.size())
};

} // namespace peers::ora
