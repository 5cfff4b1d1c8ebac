#include "db/odbc/OdbcDriverSetting.h"

#include "db/odbc/OdbcApi.h"
#include "db/odbc/OdbcHandle.h"

#include <QFileInfo>
#include <QSettings>
#include <QStringList>

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

QString configuredOdbcDriver()
{
    const QString fromEnvironment = qEnvironmentVariable(kDriverVariable).trimmed();
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    const QSettings settings(QStringLiteral("Quillmoor"), QStringLiteral("Tablewright"));
    const QString saved = settings.value(QStringLiteral("OdbcDriver")).toString().trimmed();
    if (!saved.isEmpty())
        return saved;
    return QLatin1String(kFreeTds);
}

bool isRegisteredOdbcDriver(const QString& name)
{
    OdbcHandle env(SQL_HANDLE_ENV);
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, env.out())))
        return false;
    SQLSetEnvAttr(env.get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLCHAR description[512];
    SQLCHAR attributes[2048];
    SQLSMALLINT descriptionLength = 0;
    SQLSMALLINT attributesLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(SQLDrivers(env.get(), direction, description, sizeof description, &descriptionLength,
                                    attributes, sizeof attributes, &attributesLength))) {
        if (name.compare(QString::fromUtf8(reinterpret_cast<const char*>(description)), Qt::CaseInsensitive) == 0)
            return true;
        direction = SQL_FETCH_NEXT;
    }
    return false;
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
