#include "peers/sqlserver/MsTemporal.h"

#include <QDate>
#include <QRegularExpression>

namespace peers {

namespace {

const QDate& firstDay()
{
    static const QDate day(1, 1, 1);
    return day;
}

// Offsets run from -14:00 to +14:00 ("datetimeoffset (Transact-SQL)").
constexpr int kLargestOffsetMinutes = 14 * 60;

QString twoDigits(qint64 value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

// The value brought to the column's scale: ticks rounded half up to
// 10^(7 - scale) units; a time of day that rounds to midnight becomes
// 00:00:00, a date-time moves to the next day. Nothing when the value is
// past the type's range.
std::optional<MsTemporal> roundedToScale(MsTemporal value, MsTemporalType type, int scale)
{
    const qint64 unit = ticksPerUnit(scale);
    value.ticks = (value.ticks + unit / 2) / unit * unit;
    if (value.ticks >= MsTemporal::kTicksPerDay) {
        value.ticks -= MsTemporal::kTicksPerDay;
        if (type != MsTemporalType::Time)
            ++value.days;
    }
    if (value.days < 0 || value.days > MsTemporal::kLastDay)
        return std::nullopt;
    // A datetimeoffset is kept in UTC, which must fall in the range too.
    if (type == MsTemporalType::DateTimeOffset) {
        const qint64 utc = value.utcTicks();
        if (utc < 0 || utc >= (MsTemporal::kLastDay + 1) * MsTemporal::kTicksPerDay)
            return std::nullopt;
    }
    return value;
}

} // namespace

std::optional<MsTemporalType> temporalTypeOf(const QString& baseName)
{
    if (baseName == QLatin1String("date"))
        return MsTemporalType::Date;
    if (baseName == QLatin1String("time"))
        return MsTemporalType::Time;
    if (baseName == QLatin1String("datetime2"))
        return MsTemporalType::DateTime2;
    if (baseName == QLatin1String("datetimeoffset"))
        return MsTemporalType::DateTimeOffset;
    return std::nullopt;
}

qint64 ticksPerUnit(int scale)
{
    qint64 unit = 1;
    for (int i = scale; i < 7; ++i)
        unit *= 10;
    return unit;
}

std::optional<MsTemporal> parseTemporal(const QString& text, MsTemporalType type, int scale)
{
    static const QRegularExpression shape(QStringLiteral(
        R"(^(?:(\d{4})-(\d{2})-(\d{2}))?\s*(?:(\d{2}):(\d{2}):(\d{2})(?:\.(\d{1,7}))?)?\s*(?:([+-])(\d{2}):(\d{2}))?$)"));
    const QRegularExpressionMatch match = shape.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    const bool hasDate = match.capturedStart(1) >= 0;
    const bool hasTime = match.capturedStart(4) >= 0;
    const bool hasOffset = match.capturedStart(8) >= 0;
    if (!hasDate && !hasTime)
        return std::nullopt;

    // As the server converts a literal: a date alone stands at midnight, a
    // time alone on 1900-01-01; the parts a type does not keep are dropped,
    // and a datetimeoffset given without offset gets +00:00.
    MsTemporal value;
    value.days = firstDay().daysTo(QDate(1900, 1, 1));
    if (hasDate) {
        const QDate date(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
        if (!date.isValid())
            return std::nullopt;
        value.days = firstDay().daysTo(date);
    }
    if (hasTime) {
        const int hour = match.captured(4).toInt();
        const int minute = match.captured(5).toInt();
        const int second = match.captured(6).toInt();
        if (hour > 23 || minute > 59 || second > 59)
            return std::nullopt;
        const qint64 fraction = match.captured(7).leftJustified(7, QLatin1Char('0')).toLongLong();
        value.ticks = ((hour * 60 + minute) * 60 + second) * 10000000LL + fraction;
    }
    if (type == MsTemporalType::Date)
        value.ticks = 0;
    if (type == MsTemporalType::Time)
        value.days = 0;
    if (hasOffset && type == MsTemporalType::DateTimeOffset) {
        const int minutes = match.captured(9).toInt() * 60 + match.captured(10).toInt();
        if (match.captured(10).toInt() > 59 || minutes > kLargestOffsetMinutes)
            return std::nullopt;
        value.offsetMinutes = match.captured(8) == QLatin1String("-") ? -minutes : minutes;
    }
    return roundedToScale(value, type, scale);
}

QString temporalText(const MsTemporal& value, MsTemporalType type, int scale)
{
    const QDate date = firstDay().addDays(value.days);
    const QString dateText = QStringLiteral("%1-%2-%3")
                                 .arg(date.year(), 4, 10, QLatin1Char('0'))
                                 .arg(twoDigits(date.month()), twoDigits(date.day()));
    if (type == MsTemporalType::Date)
        return dateText;

    const qint64 seconds = value.ticks / 10000000LL;
    QString timeText = twoDigits(seconds / 3600) + QLatin1Char(':') + twoDigits(seconds / 60 % 60) + QLatin1Char(':')
        + twoDigits(seconds % 60);
    if (scale > 0) {
        const qint64 fraction = value.ticks % 10000000LL / ticksPerUnit(scale);
        timeText += QLatin1Char('.') + QStringLiteral("%1").arg(fraction, scale, 10, QLatin1Char('0'));
    }
    if (type == MsTemporalType::Time)
        return timeText;

    QString text = dateText + QLatin1Char(' ') + timeText;
    if (type == MsTemporalType::DateTimeOffset) {
        const int minutes = qAbs(value.offsetMinutes);
        text += (value.offsetMinutes < 0 ? QStringLiteral(" -") : QStringLiteral(" +")) + twoDigits(minutes / 60)
            + QLatin1Char(':') + twoDigits(minutes % 60);
    }
    return text;
}

} // namespace peers
