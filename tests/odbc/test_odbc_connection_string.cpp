// The translation of the wizard's connection strings into ODBC connection
// strings, the message of a failed logon, and the choice of the driver.
#include "support/Printers.h"
#include "db/odbc/OdbcConnectionString.h"
#include "db/odbc/OdbcDriverSetting.h"
#include "db/odbc/OdbcLogonFailure.h"
#include "db/odbc/OdbcTimeLimits.h"
#include "support/FailureOf.h"
#include "peers/tds/TdsLoopback.h"

#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tw;

namespace {

const QString freeTds = QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so");
const QString microsoft = QStringLiteral("ODBC Driver 18 for SQL Server");

QString sqlLogin(const QString& server, const QString& extra = QString())
{
    return QStringLiteral("Provider=SQLOLEDB.1;Persist Security Info=True;User ID=sa;Password=secret;Data Source=")
           + server + extra;
}

QString windowsLogon(const QString& server)
{
    return QStringLiteral("Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;Data Source=")
           + server;
}

} // namespace

TEST(OdbcConnectionString, SqlServerLoginForFreeTdsNamesServerPortDatabaseAndLogin)
{
    EXPECT_EQ(odbcConnectionString(sqlLogin("db1.example.com,1533", ";Initial Catalog=Shop"), freeTds),
              "DRIVER={/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so};Server=db1.example.com;Port=1533;"
              "TDS_Version=7.4;ClientCharset=UTF-8;Database=Shop;UID=sa;PWD=secret;APP=Tablewright;");
    // Without a catalogue (the database-list step) no database is named.
    EXPECT_EQ(odbcConnectionString(sqlLogin("db1"), QStringLiteral("FreeTDS")),
              "DRIVER={FreeTDS};Server=db1;Port=1433;TDS_Version=7.4;ClientCharset=UTF-8;UID=sa;PWD=secret;"
              "APP=Tablewright;");
}

TEST(OdbcConnectionString, ServerForms)
{
    struct Case {
        const char* dataSource;
        const char* freeTdsServer;
        const char* microsoftServer;
    };
    const Case cases[] = {
        // FreeTDS has no default port of its own: the default instance's.
        {"db1", "Server=db1;Port=1433;TDS", "Server=db1;Encrypt"},
        {"db1\\SQLEXPRESS", "Server=db1\\SQLEXPRESS;TDS", "Server=db1\\SQLEXPRESS;Encrypt"},
        // A port overrides the instance: no browser lookup is needed.
        {"db1\\SQLEXPRESS,1533", "Server=db1;Port=1533;TDS", "Server=db1,1533;Encrypt"},
        {"tcp:db1, 1533", "Server=db1;Port=1533;TDS", "Server=db1,1533;Encrypt"},
        {"(local)", "Server=localhost;Port=1433;TDS", "Server=localhost;Encrypt"},
        {".\\SQLEXPRESS", "Server=localhost\\SQLEXPRESS;TDS", "Server=localhost\\SQLEXPRESS;Encrypt"},
        {" 10.0.0.5 ", "Server=10.0.0.5;Port=1433;TDS", "Server=10.0.0.5;Encrypt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dataSource);
        EXPECT_TRUE(odbcConnectionString(sqlLogin(QString::fromUtf8(c.dataSource)), freeTds)
                        .contains(QString::fromUtf8(c.freeTdsServer)));
        EXPECT_TRUE(odbcConnectionString(sqlLogin(QString::fromUtf8(c.dataSource)), microsoft)
                        .contains(QString::fromUtf8(c.microsoftServer)));
    }
}

TEST(OdbcConnectionString, WindowsAuthenticationBecomesTheTrustedLogonWithoutUserOrPassword)
{
    const QString odbc = odbcConnectionString(
        windowsLogon("db1") + QStringLiteral(";User ID=ignored;Password=ignored;Initial Catalog=Shop"), freeTds);
    EXPECT_TRUE(odbc.contains("Database=Shop;Trusted_Connection=Yes;"));
    EXPECT_FALSE(odbc.contains("UID="));
    EXPECT_FALSE(odbc.contains("PWD="));
    EXPECT_TRUE(odbcConnectionString(windowsLogon("db1"), microsoft).contains("Trusted_Connection=Yes"));
}

TEST(OdbcConnectionString, MicrosoftDriverGetsItsOwnServerFormAndNoFreeTdsKeys)
{
    EXPECT_EQ(odbcConnectionString(sqlLogin("db1,1533", ";Initial Catalog=Shop"), microsoft),
              "DRIVER={ODBC Driver 18 for SQL Server};Server=db1,1533;Encrypt=no;Database=Shop;UID=sa;PWD=secret;"
              "APP=Tablewright;");
}

TEST(OdbcConnectionString, ValuesThatWouldBreakTheStringAreBraced)
{
    EXPECT_EQ(quoteOdbcValue("plain"), "plain");
    EXPECT_EQ(quoteOdbcValue("a=b}c(d)@"), "a=b}c(d)@");
    EXPECT_EQ(quoteOdbcValue("a;b"), "{a;b}");
    EXPECT_EQ(quoteOdbcValue("a;}b"), "{a;}}b}");
    EXPECT_EQ(quoteOdbcValue("{x"), "{{x}");
    EXPECT_EQ(quoteOdbcValue(" padded"), "{ padded}");
    EXPECT_EQ(quoteOdbcValue(QString()), "");

    // The wizard's own quoting of the password survives into the ODBC string.
    const QString odbc = odbcConnectionString(
        QStringLiteral("Provider=SQLOLEDB.1;User ID=sa;Password=\"p;w d\";Data Source=db1"), freeTds);
    EXPECT_TRUE(odbc.contains("PWD={p;w d};")) << odbc.toStdString();
}

TEST(OdbcConnectionString, UnknownAndProviderKeysAreLeftOut)
{
    const QString odbc = odbcConnectionString(sqlLogin("db1", ";Application Name=x;Workstation ID=y"), freeTds);
    EXPECT_FALSE(odbc.contains("Provider"));
    EXPECT_FALSE(odbc.contains("Persist"));
    EXPECT_FALSE(odbc.contains("Application Name"));
    EXPECT_FALSE(odbc.contains("Workstation"));
}

TEST(OdbcConnectionString, DriverKindIsToldByName)
{
    EXPECT_TRUE(isFreeTdsDriver("FreeTDS"));
    EXPECT_TRUE(isFreeTdsDriver(freeTds));
    EXPECT_FALSE(isFreeTdsDriver(microsoft));
    EXPECT_FALSE(isFreeTdsDriver("/opt/microsoft/msodbcsql18/lib64/libmsodbcsql-18.4.so.1.1"));
}

TEST(OdbcLogonFailure, FirstLineNamesServerPortAndDriverAndTheDriversTextFollows)
{
    const QString driverText = QStringLiteral("[FreeTDS][SQL Server]Unable to connect to data source (SQLSTATE 08001, "
                                              "native error 0)");
    const QString kerberos = QStringLiteral(
        "The driver can use Windows authentication here only with a Kerberos ticket of a Windows domain account (see "
        "kinit); without one, choose SQL Server Authentication and a SQL Server login.\n");
    const struct {
        QString oledb;
        bool needsKerberos;
        QString firstLines;
    } cases[] = {
        {sqlLogin("db1.example.com"), true,
         "Cannot connect to SQL Server at db1.example.com, port 1433 (driver FreeTDS):\n"},
        {sqlLogin("tcp:db1,1533"), true, "Cannot connect to SQL Server at db1, port 1533 (driver FreeTDS):\n"},
        {sqlLogin("(local)\\SQLEXPRESS"), true,
         "Cannot connect to SQL Server at localhost\\SQLEXPRESS, port from the SQL Server Browser (driver FreeTDS):\n"},
        {sqlLogin(""), true, "Cannot connect to SQL Server at (no server name given), port 1433 (driver FreeTDS):\n"},
        {windowsLogon("db1"), true, "Cannot connect to SQL Server at db1, port 1433 (driver FreeTDS):\n" + kerberos},
        // Where the drivers use the signed-on user's logon, nothing to add.
        {windowsLogon("db1"), false, "Cannot connect to SQL Server at db1, port 1433 (driver FreeTDS):\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.oledb.toStdString());
        EXPECT_EQ(logonFailureText(c.oledb, QStringLiteral("FreeTDS"), driverText, c.needsKerberos),
                  c.firstLines + driverText);
    }
}

TEST(OdbcDriverSetting, EnvironmentBeatsSavedSettingWhichBeatsFreeTds)
{
    peers::isolateOdbcEnvironment();
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    const QByteArray saved = qgetenv("TABLEWRIGHT_ODBC_DRIVER");

    qunsetenv("TABLEWRIGHT_ODBC_DRIVER");
#ifdef Q_OS_WIN
    // Windows names its own SQL Server driver, the newest one installed.
    EXPECT_EQ(configuredOdbcDriver(), preferredWindowsDriver(installedOdbcDrivers()));
#else
    EXPECT_EQ(configuredOdbcDriver(), "FreeTDS");
#endif
    {
        QSettings settings(QStringLiteral("Quillmoor"), QStringLiteral("Tablewright"));
        settings.setValue(QStringLiteral("OdbcDriver"), microsoft);
    }
    EXPECT_EQ(configuredOdbcDriver(), microsoft);
    qputenv("TABLEWRIGHT_ODBC_DRIVER", " /opt/drivers/libcustom.so ");
    EXPECT_EQ(configuredOdbcDriver(), "/opt/drivers/libcustom.so");

    qputenv("TABLEWRIGHT_ODBC_DRIVER", saved);
    QSettings(QStringLiteral("Quillmoor"), QStringLiteral("Tablewright")).remove(QStringLiteral("OdbcDriver"));
}

TEST(OdbcDriverSetting, UnregisteredFreeTdsIsFoundAsItsInstalledLibrary)
{
    // The test run's odbcinst.ini is empty: FreeTDS is not registered.
    peers::isolateOdbcEnvironment();
    EXPECT_FALSE(isRegisteredOdbcDriver("FreeTDS"));
    const QString resolved = resolveOdbcDriver("FreeTDS");
    EXPECT_TRUE(resolved.endsWith("libtdsodbc.so") || resolved.contains("libtdsodbc.so.")) << resolved.toStdString();
    EXPECT_TRUE(QFileInfo::exists(resolved));
    // Any other name or path is the user's choice and stays as it is.
    EXPECT_EQ(resolveOdbcDriver(microsoft), microsoft);
    EXPECT_EQ(resolveOdbcDriver("/opt/drivers/libcustom.so"), "/opt/drivers/libcustom.so");
}

TEST(OdbcDriverSetting, WindowsDefaultIsTheNewestMicrosoftDriverElseSqlServer)
{
    struct Case {
        QStringList installed;
        const char* chosen;
    };
    const Case cases[] = {
        {{"SQL Server", "ODBC Driver 17 for SQL Server", "ODBC Driver 18 for SQL Server"},
         "ODBC Driver 18 for SQL Server"},
        // By number, not by text: 9 is older than 11.
        {{"ODBC Driver 11 for SQL Server", "ODBC Driver 9 for SQL Server"}, "ODBC Driver 11 for SQL Server"},
        {{"SQL Server", "SQL Server Native Client 11.0", "Microsoft Access Driver (*.mdb)"}, "SQL Server"},
        {{}, "SQL Server"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(preferredWindowsDriver(c.installed), c.chosen) << c.installed.join(", ").toStdString();
}

TEST(OdbcTimeLimits, EnvironmentBeatsSavedSettingWhichBeatsTheDefault)
{
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QSettings settings(QStringLiteral("Quillmoor"), QStringLiteral("Tablewright"));
    qunsetenv("TABLEWRIGHT_QUERY_TIMEOUT");
    qunsetenv("TABLEWRIGHT_FETCH_TIMEOUT");
    EXPECT_EQ(configuredQueryTimeout(), 600);
    EXPECT_EQ(configuredFetchTimeout(), 120);

    settings.setValue(QStringLiteral("FetchTimeout"), QStringLiteral("30"));
    settings.sync();
    EXPECT_EQ(configuredFetchTimeout(), 30);
    qputenv("TABLEWRIGHT_FETCH_TIMEOUT", "0");
    EXPECT_EQ(configuredFetchTimeout(), 0);
    qputenv("TABLEWRIGHT_QUERY_TIMEOUT", "ten");
    EXPECT_EQ(failureOf([] { configuredQueryTimeout(); }),
              "The time limit QueryTimeout (TABLEWRIGHT_QUERY_TIMEOUT) must be a whole number of seconds, 0 for "
              "none; it is \"ten\".");

    qunsetenv("TABLEWRIGHT_QUERY_TIMEOUT");
    qunsetenv("TABLEWRIGHT_FETCH_TIMEOUT");
    settings.remove(QStringLiteral("FetchTimeout"));
}
