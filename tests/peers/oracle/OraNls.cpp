#include "peers/oracle/OraNls.h"

#include "peers/oracle/ModelOracle.h"

#include <QDate>
#include <QRegularExpression>

namespace peers::ora {

namespace {

const char* const kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

[[noreturn]] void literalMismatch()
{
    throw OraError(1861, QStringLiteral("literal does not match format string"));
}

// Reads the input against a format model, element by element.
class TimestampReader {
public:
    TimestampReader(const QString& text, const QString& format, QChar decimalCharacter)
        : text_(text.trimmed()), format_(format.toUpper()), decimal_(decimalCharacter)
    {
    }

    OraTimestamp read()
    {
        while (f_ < format_.size()) {
            if (format_[f_] == QLatin1Char('"')) {
                quoted();
            } else if (!format_[f_].isLetterOrNumber()) {
                // Punctuation in the format matches any punctuation.
                if (t_ >= text_.size() || text_[t_].isLetterOrNumber())
                    literalMismatch();
                ++f_;
                ++t_;
            } else {
                element();
            }
        }
        if (t_ < text_.size())
            throw OraError(1830, QStringLiteral("date format picture ends before converting entire input string"));
        if (pm_ && value_.hour < 12)
            value_.hour += 12;
        if (!QDate(value_.year, value_.month, value_.day).isValid() || value_.hour > 23 || value_.minute > 59
            || value_.second > 59)
            throw OraError(1839, QStringLiteral("date not valid for month specified"));
        return value_;
    }

private:
    bool takeFormat(const char* element)
    {
        const QLatin1String name(element);
        if (!format_.mid(f_).startsWith(name))
            return false;
        f_ += name.size();
        return true;
    }

    int digits(int most)
    {
        int count = 0;
        int value = 0;
        while (count < most && t_ < text_.size() && text_[t_].isDigit()) {
            value = value * 10 + text_[t_].digitValue();
            ++t_;
            ++count;
        }
        if (count == 0)
            literalMismatch();
        return value;
    }

    void quoted()
    {
        const int end = format_.indexOf(QLatin1Char('"'), f_ + 1);
        const QString literal = format_.mid(f_ + 1, end - f_ - 1);
        if (text_.mid(t_, literal.size()).toUpper() != literal)
            literalMismatch();
        t_ += literal.size();
        f_ = end + 1;
    }

    void element()
    {
        if (takeFormat("YYYY") || takeFormat("RRRR")) {
            value_.year = digits(4);
        } else if (takeFormat("RR") || takeFormat("YY")) {
            const int year = digits(2);
            value_.year = year < 50 ? 2000 + year : 1900 + year;  // RR seen from this century's first half
        } else if (takeFormat("MONTH") || takeFormat("MON")) {
            const QString month = text_.mid(t_, 3).toUpper();
            for (int i = 0; i < 12; ++i) {
                if (month == QLatin1String(kMonths[i]))
                    value_.month = i + 1;
            }
            if (value_.month == 0)
                throw OraError(1843, QStringLiteral("not a valid month"));
            t_ += 3;
        } else if (takeFormat("MM")) {
            value_.month = digits(2);
        } else if (takeFormat("MI")) {
            value_.minute = digits(2);
        } else if (takeFormat("DD")) {
            value_.day = digits(2);
        } else if (takeFormat("HH24")) {
            value_.hour = digits(2);
        } else if (takeFormat("HH12") || takeFormat("HH")) {
            value_.hour = digits(2) % 12;
        } else if (takeFormat("SS")) {
            value_.second = digits(2);
        } else if (takeFormat("FF")) {
            int most = 9;
            if (f_ < format_.size() && format_[f_].isDigit())
                most = format_[f_++].digitValue();
            const int start = t_;
            const qint64 fraction = digits(most);
            qint64 scale = 1;
            for (int i = t_ - start; i < 9; ++i)
                scale *= 10;
            value_.nanoseconds = fraction * scale;
        } else if (takeFormat("X")) {
            if (t_ >= text_.size() || text_[t_] != decimal_)
                literalMismatch();
            ++t_;
        } else if (takeFormat("AM") || takeFormat("PM")) {
            const QString marker = text_.mid(t_, 2).toUpper();
            if (marker != QLatin1String("AM") && marker != QLatin1String("PM"))
                throw OraError(1855, QStringLiteral("AM/A.M. or PM/P.M. required"));
            pm_ = marker == QLatin1String("PM");
            t_ += 2;
        } else if (takeFormat("TZH")) {
            int sign = 1;
            if (t_ < text_.size() && (text_[t_] == QLatin1Char('+') || text_[t_] == QLatin1Char('-')))
                sign = text_[t_++] == QLatin1Char('-') ? -1 : 1;
            const int hours = digits(2);
            // Oracle Database Error Messages, ORA-01874.
            if (hours > 15)
                throw OraError(1874, QStringLiteral("time zone hour must be between -15 and 15"));
            zoneSign_ = sign;
            value_.offsetMinutes = sign * hours * 60;
        } else if (takeFormat("TZM")) {
            const int minutes = digits(2);
            if (minutes > 59)
                throw OraError(1875, QStringLiteral("time zone minute must be between -59 and 59"));
            value_.offsetMinutes = value_.offsetMinutes.value_or(0) + zoneSign_ * minutes;
        } else if (takeFormat("TZR")) {
            while (t_ < text_.size() && !text_[t_].isSpace())
                ++t_;
        } else {
            throw OraError(1821, QStringLiteral("date format not recognized"));
        }
    }

    const QString text_;
    const QString format_;
    const QChar decimal_;
    int t_ = 0;
    int f_ = 0;
    bool pm_ = false;
    int zoneSign_ = 1;
    OraTimestamp value_;
};

QString unquoted(const QString& value)
{
    QString text = value.trimmed();
    if (text.size() >= 2 && text.startsWith(QLatin1Char('\'')) && text.endsWith(QLatin1Char('\'')))
        text = text.mid(1, text.size() - 2).replace(QLatin1String("''"), QLatin1String("'"));
    return text;
}

} // namespace

NlsSettings NlsSettings::fromClientEnvironment()
{
    NlsSettings settings;
    if (qEnvironmentVariableIsEmpty("NLS_LANG"))
        return settings;
    for (const char* name : {"NLS_NUMERIC_CHARACTERS", "NLS_TIMESTAMP_FORMAT", "NLS_TIMESTAMP_TZ_FORMAT", "NLS_DATE_FORMAT"}) {
        if (!qEnvironmentVariableIsEmpty(name))
            settings.set(QLatin1String(name), qEnvironmentVariable(name));
    }
    return settings;
}

bool NlsSettings::set(const QString& parameter, const QString& value)
{
    const QString name = parameter.toUpper();
    if (name == QLatin1String("NLS_NUMERIC_CHARACTERS"))
        numericCharacters = unquoted(value);
    else if (name == QLatin1String("NLS_TIMESTAMP_FORMAT"))
        timestampFormat = unquoted(value);
    else if (name == QLatin1String("NLS_TIMESTAMP_TZ_FORMAT"))
        timestampTzFormat = unquoted(value);
    else if (name == QLatin1String("NLS_DATE_FORMAT"))
        dateFormat = unquoted(value);
    else
        return false;
    return true;
}

QString OraTimestamp::text(int fractionDigits) const
{
    qint64 unit = 1;
    for (int i = fractionDigits; i < 9; ++i)
        unit *= 10;
    // Rounded to the column's digits; a carry into the seconds is not
    // needed by the values the tests write.
    const qint64 fraction = (nanoseconds + unit / 2) / unit;
    QString result = QStringLiteral("%1-%2-%3 %4:%5:%6")
                         .arg(year, 4, 10, QLatin1Char('0'))
                         .arg(month, 2, 10, QLatin1Char('0'))
                         .arg(day, 2, 10, QLatin1Char('0'))
                         .arg(hour, 2, 10, QLatin1Char('0'))
                         .arg(minute, 2, 10, QLatin1Char('0'))
                         .arg(second, 2, 10, QLatin1Char('0'));
    if (fractionDigits > 0)
        result += QLatin1Char('.') + QStringLiteral("%1").arg(fraction, fractionDigits, 10, QLatin1Char('0'));
    return result;
}

QString OraTimestamp::zonedText(int fractionDigits) const
{
    const int offset = offsetMinutes.value_or(0);
    const int magnitude = offset < 0 ? -offset : offset;
    return text(fractionDigits)
        + QStringLiteral(" %1%2:%3")
              .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
              .arg(magnitude / 60, 2, 10, QLatin1Char('0'))
              .arg(magnitude % 60, 2, 10, QLatin1Char('0'));
}

QString readDaySecondInterval(const QString& text, int leading, int fractionDigits)
{
    static const QRegularExpression form(
        QStringLiteral("^\\s*([+-]?)(\\d{1,9})\\s+(\\d{1,2}):(\\d{2}):(\\d{2})(?:\\.(\\d{1,9}))?\\s*$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch() || m.captured(3).toInt() > 23 || m.captured(4).toInt() > 59 || m.captured(5).toInt() > 59)
        throw OraError(1867, QStringLiteral("the interval is invalid"));
    qint64 days = m.captured(2).toLongLong();
    qint64 unit = 1;
    for (int i = fractionDigits; i < 9; ++i)
        unit *= 10;
    const qint64 nanoseconds = m.captured(6).leftJustified(9, QLatin1Char('0')).toLongLong();
    const qint64 fraction = (nanoseconds + unit / 2) / unit;
    QString digits = QString::number(days);
    if (days != 0 && digits.size() > leading)
        throw OraError(1873, QStringLiteral("the leading precision of the interval is too small"));
    QString result = QStringLiteral("%1%2 %3:%4:%5")
                         .arg(m.captured(1) == QLatin1String("-") ? QLatin1Char('-') : QLatin1Char('+'))
                         .arg(days, 2, 10, QLatin1Char('0'))
                         .arg(m.captured(3).toInt(), 2, 10, QLatin1Char('0'))
                         .arg(m.captured(4), m.captured(5));
    if (fractionDigits > 0)
        result += QLatin1Char('.') + QStringLiteral("%1").arg(fraction, fractionDigits, 10, QLatin1Char('0'));
    return result;
}

OraTimestamp readTimestamp(const QString& text, const QString& format, QChar decimalCharacter)
{
    return TimestampReader(text, format, decimalCharacter).read();
}

double readNumber(const QString& text, QChar decimalCharacter)
{
    QString plain = text.trimmed();
    if (decimalCharacter != QLatin1Char('.')) {
        if (plain.contains(QLatin1Char('.')))
            throw OraError(1722, QStringLiteral("invalid number"));
        plain.replace(decimalCharacter, QLatin1Char('.'));
    }
    bool ok = false;
    const double value = plain.toDouble(&ok);
    if (!ok)
        throw OraError(1722, QStringLiteral("invalid number"));
    return value;
}

} // namespace peers::ora
