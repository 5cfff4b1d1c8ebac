#pragma once

#include "db/odbc/OdbcApi.h"

#include <QString>

namespace tw {

// The SQL types and structures of SQL Server's time and datetimeoffset
// (Microsoft's "Data Type Support for ODBC Date and Time Improvements";
// msodbcsql.h), which unixODBC's headers do not declare. A driver fills the
// structures when the column is read as SQL_C_BINARY ("SQLBindCol": "to
// retrieve time and datetimeoffset columns as their corresponding
// structures, TargetType must be SQL_C_DEFAULT or SQL_C_BINARY"); FreeTDS's
// driver does so too, and knows no other C type for them.
constexpr SQLSMALLINT kSqlServerTime = -154;            // SQL_SS_TIME2
constexpr SQLSMALLINT kSqlServerDateTimeOffset = -155;  // SQL_SS_TIMESTAMPOFFSET

struct SqlServerTime2 {
    SQLUSMALLINT hour;
    SQLUSMALLINT minute;
    SQLUSMALLINT second;
    SQLUINTEGER fraction;  // nanoseconds
};

struct SqlServerTimestampOffset {
    SQLSMALLINT year;
    SQLUSMALLINT month;
    SQLUSMALLINT day;
    SQLUSMALLINT hour;
    SQLUSMALLINT minute;
    SQLUSMALLINT second;
    SQLUINTEGER fraction;  // nanoseconds
    SQLSMALLINT timezoneHour;
    SQLSMALLINT timezoneMinute;
};

// SQL Server's own text of a value of its date and time types of 2008 and
// later, with exactly `scale` fractional digits (none for scale 0), as the
// types' "default string literal format": date "2024-02-29", time
// "23:59:59.1234567", datetime2 "2024-02-29 23:59:59.1234567", datetimeoffset
// "2024-02-29 23:59:59.1234567 +05:30" (the local time and its offset).
QString dateText(const SQL_DATE_STRUCT& date);
QString timeText(const SqlServerTime2& time, int scale);
QString dateTime2Text(const SQL_TIMESTAMP_STRUCT& stamp, int scale);
QString dateTimeOffsetText(const SqlServerTimestampOffset& stamp, int scale);

} // namespace tw
