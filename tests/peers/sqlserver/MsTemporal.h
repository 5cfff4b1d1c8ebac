#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace peers {

// The date and time types of SQL Server 2008 and later, which keep time to
// 100 ns and (datetimeoffset) the offset from UTC the value was given with.
enum class MsTemporalType { Date, Time, DateTime2, DateTimeOffset };

// The type for a system type name ("date", "time", "datetime2",
// "datetimeoffset"); none for any other.
std::optional<MsTemporalType> temporalTypeOf(const QString& baseName);

// One value as the server keeps it: the local date and time of day and the
// offset that turns them into UTC (UTC = local - offset).
struct MsTemporal {
    qint64 days = 0;         // days since 0001-01-01
    qint64 ticks = 0;        // 100-ns units since midnight
    int offsetMinutes = 0;   // -840 to +840

    static constexpr qint64 kTicksPerMinute = 600000000LL;
    static constexpr qint64 kTicksPerDay = 1440 * kTicksPerMinute;
    // The last day the types hold, 9999-12-31.
    static constexpr qint64 kLastDay = 3652058;

    // The moment in UTC, in ticks since 0001-01-01 00:00.
    qint64 utcTicks() const { return days * kTicksPerDay + ticks - offsetMinutes * kTicksPerMinute; }
};

// Reads a value from the text "YYYY-MM-DD hh:mm:ss[.f…] {+|-}hh:mm", any
// part but one of date and time left out (up to seven fractional digits),
// keeping the parts the type keeps. The value is rounded to the column's
// scale as the server rounds a literal it converts. Nothing when the text is
// not of that form or out of the type's range (a datetimeoffset's UTC too).
std::optional<MsTemporal> parseTemporal(const QString& text, MsTemporalType type, int scale);

// The server's own text of the value ("default string literal format" of
// the date and time types' reference pages), with exactly `scale`
// fractional digits: "2024-02-29", "23:59:59.1234567",
// "2024-02-29 23:59:59.1234567", "2024-02-29 23:59:59.1234567 +05:30".
QString temporalText(const MsTemporal& value, MsTemporalType type, int scale);

// The ticks of a scale's unit: 10^(7 - scale).
qint64 ticksPerUnit(int scale);

} // namespace peers
