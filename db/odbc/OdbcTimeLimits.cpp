#include "db/odbc/OdbcTimeLimits.h"

#include "db/Failure.h"
#include "db/odbc/OdbcDriverSetting.h"

namespace tw {

namespace {

int configuredSeconds(const char* environmentVariable, const char* savedKey, int defaultSeconds)
{
    const QString text = userSetting(environmentVariable, QLatin1String(savedKey));
    if (text.isEmpty())
        return defaultSeconds;
    bool number = false;
    const int seconds = text.toInt(&number);
    if (!number || seconds < 0)
        throw Failure(QStringLiteral("The time limit %1 (%2) must be a whole number of seconds, 0 for none; it is "
                                     "\"%3\".")
                          .arg(QLatin1String(savedKey), QLatin1String(environmentVariable), text));
    return seconds;
}

} // namespace

int configuredQueryTimeout()
{
    return configuredSeconds("TABLEWRIGHT_QUERY_TIMEOUT", "QueryTimeout", 600);
}

int configuredFetchTimeout()
{
    return configuredSeconds("TABLEWRIGHT_FETCH_TIMEOUT", "FetchTimeout", 120);
}

} // namespace tw
