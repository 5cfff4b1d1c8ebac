#include "db/odbc/OdbcTemporalText.h"

#include <cstddef>

namespace tw {

// The layouts that drivers write (msodbcsql.h).
static_assert(sizeof(SqlServerTime2) == 12 && offsetof(SqlServerTime2, fraction) == 8);
static_assert(sizeof(SqlServerTimestampOffset) == 20 && offsetof(SqlServerTimestampOffset, fraction) == 12);

namespace {

QString digits(qint64 value, int width)
{
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}

// hh:mm:ss, then a point and the first `scale` digits of the nanoseconds.
// The types keep 100 ns at most, so seven digits are exact.
QString clockText(unsigned hour, unsigned minute, unsigned second, SQLUINTEGER nanoseconds, int scale)
{
    QString text = digits(hour, 2) + QLatin1Char(':') + digits(minute, 2) + QLatin1Char(':') + digits(second, 2);
    if (scale > 0)
        text += QLatin1Char('.') + digits(nanoseconds, 9).left(qMin(scale, 7));
    return text;
}

QString calendarText(int year, unsigned month, unsigned day)
{
    return digits(year, 4) + QLatin1Char('-') + digits(month, 2) + QLatin1Char('-') + digits(day, 2);
}

} // namespace

QString dateText(const SQL_DATE_STRUCT& date)
{
    return calendarText(date.year, date.month, date.day);
}

QString timeText(const SqlServerTime2& time, int scale)
{
    return clockText(time.hour, time.minute, time.second, time.fraction, scale);
}

QString dateTime2Text(const SQL_TIMESTAMP_STRUCT& stamp, int scale)
{
    return calendarText(stamp.year, stamp.month, stamp.day) + QLatin1Char(' ')
           + clockText(stamp.hour, stamp.minute, stamp.second, stamp.fraction, scale);
}

QString dateTimeOffsetText(const SqlServerTimestampOffset& stamp, int scale)
{
    // The offset's two parts carry the same sign: -05:30 is -5 and -30.
    const bool negative = stamp.timezoneHour < 0 || stamp.timezoneMinute < 0;
    return calendarText(stamp.year, stamp.month, stamp.day) + QLatin1Char(' ')
           + clockText(stamp.hour, stamp.minute, stamp.second, stamp.fraction, scale)
           + (negative ? QStringLiteral(" -") : QStringLiteral(" +")) + digits(qAbs(stamp.timezoneHour), 2)
           + QLatin1Char(':') + digits(qAbs(stamp.timezoneMinute), 2);
}

} // namespace tw
