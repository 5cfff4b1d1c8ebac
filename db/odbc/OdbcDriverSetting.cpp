#include "db/odbc/OdbcDriverSetting.h"

#include "db/odbc/OdbcApi.h"
#include "db/odbc/OdbcHandle.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QStringList>

#include <algorithm>
#include <iterator>

namespace tw {

namespace {

const char* const kDriverVariable = "TABLEWRIGHT_ODBC_DRIVER";
const char* const kFreeTds = "FreeTDS";

// Where distributions install FreeTDS's ODBC driver library.
QStringList freeTdsLibraryCandidates()
{
    QStringList candidates;
#ifdef TW_LIBRARY_ARCHITECTURE
    candidates << QStringLiteral("/usr/lib/" TW_LIBRARY_ARCHITECTURE "/odbc/libtdsodbc.so");
#endif
    candidates << QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so")
               << QStringLiteral("/usr/lib/aarch64-linux-gnu/odbc/libtdsodbc.so")
               << QStringLiteral("/usr/lib64/libtdsodbc.so.0") << QStringLiteral("/usr/lib64/libtdsodbc.so")
               << QStringLiteral("/usr/local/lib/libtdsodbc.so") << QStringLiteral("/usr/lib/odbc/libtdsodbc.so");
    return candidates;
}

} // namespace

QString userSetting(const char* environmentVariable, const QString& savedKey)
{
    const QString fromEnvironment = qEnvironmentVariable(environmentVariable).trimmed();
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    const QSettings settings(QStringLiteral("Quillmoor"), QStringLiteral("Tablewright"));
    return settings.value(savedKey).toString().trimmed();
}

QString configuredOdbcDriver()
{
    const QString configured = userSetting(kDriverVariable, QStringLiteral("OdbcDriver"));
    if (!configured.isEmpty())
        return configured;
#ifdef _WIN32
    return preferredWindowsDriver(installedOdbcDrivers());
#else
    return QLatin1String(kFreeTds);
#endif
}

QString preferredWindowsDriver(const QStringList& installed)
{
    // "ODBC Driver 18 for SQL Server": the number tells the newest.
    static const QRegularExpression numbered(QStringLiteral("^ODBC Driver (\\d+) for SQL Server$"),
                                             QRegularExpression::CaseInsensitiveOption);
    QString newest;
    int newestNumber = -1;
    for (const QString& name : installed) {
        const QRegularExpressionMatch match = numbered.match(name);
        if (match.hasMatch() && match.captured(1).toInt() > newestNumber) {
            newestNumber = match.captured(1).toInt();
            newest = name;
        }
    }
    return newest.isEmpty() ? QStringLiteral("SQL Server") : newest;
}

bool isRegisteredOdbcDriver(const QString& name)
{
    const QStringList installed = installedOdbcDrivers();
    return std::any_of(installed.cbegin(), installed.cend(),
                       [&](const QString& driver) { return name.compare(driver, Qt::CaseInsensitive) == 0; });
}

QStringList installedOdbcDrivers()
{
    QStringList drivers;
    OdbcHandle env(SQL_HANDLE_ENV);
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, env.out())))
        return drivers;
    SQLSetEnvAttr(env.get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    // The wide form: Windows builds define UNICODE, and Wine's odbc32 has no
    // ANSI form of this call; unixODBC has both.
    SQLWCHAR description[512];
    SQLWCHAR attributes[2048];
    SQLSMALLINT descriptionLength = 0;
    SQLSMALLINT attributesLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(SQLDriversW(env.get(), direction, description, SQLSMALLINT(std::size(description)),
                                     &descriptionLength, attributes, SQLSMALLINT(std::size(attributes)),
                                     &attributesLength))) {
        const SQLSMALLINT length = std::min<SQLSMALLINT>(descriptionLength, SQLSMALLINT(std::size(description) - 1));
        drivers << QString::fromUtf16(reinterpret_cast<const char16_t*>(description), length);
        direction = SQL_FETCH_NEXT;
    }
    return drivers;
}

QString resolveOdbcDriver(const QString& driver)
{
    if (driver.compare(QLatin1String(kFreeTds), Qt::CaseInsensitive) != 0 || isRegisteredOdbcDriver(driver))
        return driver;
    for (const QString& candidate : freeTdsLibraryCandidates()) {
        if (QFileInfo::exists(candidate))
            return candidate;
    }
    return driver;
}

} // namespace tw
