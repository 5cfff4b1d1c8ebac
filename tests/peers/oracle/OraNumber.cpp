#include "peers/oracle/OraNumber.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace peers::ora {

namespace {

// Adds one to a string of decimal digits; returns false when it carried out
// of the leftmost digit (the string is then all zeros).
bool incrementDigits(QString& digits)
{
    for (int i = digits.size() - 1; i >= 0; --i) {
        if (digits[i] != QLatin1Char('9')) {
            digits[i] = QChar(digits[i].unicode() + 1);
            return true;
        }
        digits[i] = QLatin1Char('0');
    }
    return false;
}

} // namespace

std::optional<OraNumber> OraNumber::parse(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^\\s*([+-]?)(\\d*)(?:\\.(\\d*))?(?:[eE]([+-]?\\d+))?\\s*$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch() || (m.capturedLength(2) == 0 && m.capturedLength(3) == 0))
        return std::nullopt;
    OraNumber number;
    QString all = m.captured(2) + m.captured(3);
    int point = m.capturedLength(2);
    if (m.capturedLength(4) > 0) {
        bool ok = false;
        const int exponent = m.captured(4).toInt(&ok);
        if (!ok || std::abs(exponent) > 1000)
            return std::nullopt;
        point += exponent;
    }
    int leading = 0;
    while (leading < all.size() && all[leading] == QLatin1Char('0'))
        ++leading;
    all = all.mid(leading);
    point -= leading;
    while (all.endsWith(QLatin1Char('0')))
        all.chop(1);
    number.digits_ = all;
    number.pointPosition_ = all.isEmpty() ? 0 : point;
    number.negative_ = !all.isEmpty() && m.captured(1) == QLatin1String("-");
    return number;
}

OraNumber OraNumber::fromInteger(qint64 value)
{
    return *parse(QString::number(value));
}

std::optional<OraNumber> OraNumber::fromDouble(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    return parse(QString::number(value, 'e', QLocale::FloatingPointShortest));
}

OraNumber OraNumber::roundedToSignificant(int count) const
{
    return roundedToScale(count - pointPosition_);
}

OraNumber OraNumber::roundedToScale(int scale) const
{
    const int keep = pointPosition_ + scale;  // digits that stay
    if (keep >= digits_.size())
        return *this;
    OraNumber result = *this;
    if (keep < 0)
        return OraNumber();
    QString kept = digits_.left(keep);
    const bool roundUp = digits_[keep] >= QLatin1Char('5');
    int point = pointPosition_;
    if (roundUp && !incrementDigits(kept)) {
        kept.prepend(QLatin1Char('1'));
        ++point;
    }
    while (kept.endsWith(QLatin1Char('0')))
        kept.chop(1);
    result.digits_ = kept;
    result.pointPosition_ = kept.isEmpty() ? 0 : point;
    result.negative_ = negative_ && !kept.isEmpty();
    return result;
}

QString OraNumber::plainText(bool leadingZero) const
{
    if (isZero())
        return QStringLiteral("0");
    QString text;
    if (pointPosition_ <= 0) {
        text = (leadingZero ? QStringLiteral("0.") : QStringLiteral(".")) + QString(-pointPosition_, QLatin1Char('0'))
            + digits_;
    } else if (pointPosition_ >= digits_.size()) {
        text = digits_ + QString(pointPosition_ - digits_.size(), QLatin1Char('0'));
    } else {
        text = digits_.left(pointPosition_) + QLatin1Char('.') + digits_.mid(pointPosition_);
    }
    return negative_ ? QLatin1Char('-') + text : text;
}

tw::SqlValue OraNumber::toValue() const
{
    const QString text = plainText(true);
    if (!text.contains(QLatin1Char('.'))) {
        bool ok = false;
        const qint64 whole = text.toLongLong(&ok);
        if (ok)
            return tw::SqlValue(whole);
    }
    return tw::SqlValue::decimal(text);
}

QString OraNumber::toOracleText() const
{
    // Oracle switches to scientific notation where the plain form would need
    // more than 40 characters.
    const QString plain = plainText(false);
    if (plain.size() <= 40)
        return plain;
    QString mantissa = digits_.left(1);
    if (digits_.size() > 1)
        mantissa += QLatin1Char('.') + digits_.mid(1);
    const int exponent = pointPosition_ - 1;
    return (negative_ ? QStringLiteral("-") : QString()) + mantissa + QLatin1Char('E')
        + (exponent < 0 ? QLatin1Char('-') : QLatin1Char('+')) + QString::number(std::abs(exponent)).rightJustified(2, QLatin1Char('0'));
}

} // namespace peers::ora
