// Loading the client library, logging on and single statements through the
// real OCI target layer and the stand-in client.

#include "OciTestBed.h"
#include "db/Failure.h"
#include "db/oci/OciLibrary.h"
#include "support/FailureOf.h"

#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(OciLibrary, MissingLibrarySaysWhatToInstallAndHowToPointAtIt)
{
    const QByteArray missing = "/nonexistent/instantclient/libclntsh.so";
    qputenv("TABLEWRIGHT_OCI_LIBRARY", missing);
    tw::OciTargetConnection connection;
    connection.setParams({QStringLiteral("Database=ORCL"), QStringLiteral("User_Name=scott"),
                          QStringLiteral("Password=tiger")});
    const QString message = failureOf([&] { connection.open(); });
    qunsetenv("TABLEWRIGHT_OCI_LIBRARY");
    EXPECT_TRUE(message.contains(QString::fromUtf8(missing))) << qPrintable(message);
    EXPECT_TRUE(message.contains(QStringLiteral("Oracle Instant Client"))) << qPrintable(message);
    EXPECT_TRUE(message.contains(QStringLiteral("TABLEWRIGHT_OCI_LIBRARY"))) << qPrintable(message);
    EXPECT_TRUE(message.contains(QStringLiteral("OciLibrary"))) << qPrintable(message);
    EXPECT_FALSE(connection.isOpen());
}

TEST(OciLibrary, SearchOrderFollowsTheSettingThenTheUsualSearchThenOracleHome)
{
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    qunsetenv("TABLEWRIGHT_OCI_LIBRARY");
    // Each system's own names: the library by name first (the system's
    // search), then the one in the Oracle home.
#ifdef Q_OS_WIN
    qputenv("ORACLE_HOME", "C:\\oracle\\home");
    EXPECT_EQ(tw::oci::clientLibraryCandidates(),
              QStringList({QStringLiteral("oci.dll"), QStringLiteral("C:/oracle/home/bin/oci.dll")}));
#else
    qputenv("ORACLE_HOME", "/opt/oracle/home");
    EXPECT_EQ(tw::oci::clientLibraryCandidates(),
              QStringList({QStringLiteral("libclntsh.so"), QStringLiteral("/opt/oracle/home/lib/libclntsh.so")}));
#endif

    QSettings(QStringLiteral("Quillmoor"), QStringLiteral("Tablewright"))
        .setValue(QStringLiteral("OciLibrary"), QStringLiteral("/from/settings/libclntsh.so"));
    EXPECT_EQ(tw::oci::clientLibraryCandidates(), QStringList{QStringLiteral("/from/settings/libclntsh.so")});

    qputenv("TABLEWRIGHT_OCI_LIBRARY", "/from/environment/libclntsh.so");
    EXPECT_EQ(tw::oci::clientLibraryCandidates(), QStringList{QStringLiteral("/from/environment/libclntsh.so")});
    qunsetenv("TABLEWRIGHT_OCI_LIBRARY");
    qunsetenv("ORACLE_HOME");
}

TEST(OciLogon, LogsOnInUnicodeWithTheWizardsParameterLines)
{
    OciTestBed bed;
    auto connection = bed.connect();
    EXPECT_TRUE(connection->isOpen());
    const QStringList calls = bed.calls();
    EXPECT_TRUE(calls.contains(QStringLiteral("ENV charset=873 ncharset=873 mode=0"))) << qPrintable(calls.join('\n'));
    EXPECT_TRUE(calls.contains(QStringLiteral("ATTACH ORCL")));
    EXPECT_TRUE(calls.contains(QStringLiteral("LOGON scott")));
    connection->close();
    EXPECT_FALSE(connection->isOpen());
    EXPECT_TRUE(bed.calls().contains(QStringLiteral("LOGOFF scott")));
}

TEST(OciLogon, RefusedLogonCarriesOraclesMessage)
{
    OciTestBed bed;
    EXPECT_EQ(failureOf([&] { bed.connect(QStringLiteral("scott"), QStringLiteral("wrong")); }),
              QStringLiteral("ORA-01017: invalid username/password; logon denied"));
    const QString unknownService = failureOf([&] { bed.connect(QStringLiteral("scott"), QStringLiteral("tiger"),
                                                                QStringLiteral("NOSUCHDB")); });
    EXPECT_TRUE(unknownService.startsWith(QStringLiteral("ORA-12154: "))) << qPrintable(unknownService);
    // A later logon with good values works on the same process-wide client.
    EXPECT_TRUE(bed.connect()->isOpen());
}

TEST(OciStatement, ExecutesDdlAndCountsWithOraclesErrors)
{
    OciTestBed bed;
    auto connection = bed.connect();
    OciTestBed::execute(*connection, QStringLiteral("Create table \"Orders\" (\"ID\" NUMBER(10,0))"));
    EXPECT_EQ(bed.target().tables(QStringLiteral("SCOTT")), QStringList{QStringLiteral("Orders")});

    auto probe = connection->createStatement();
    probe->setSql(QStringLiteral("select count(*) cn from all_tables where table_name='Orders' and upper(owner)='SCOTT'"));
    EXPECT_EQ(probe->queryInteger(), 1);
    probe->setSql(QStringLiteral("select count(*) cn from all_tables where table_name='ORDERS' and upper(owner)='SCOTT'"));
    EXPECT_EQ(probe->queryInteger(), 0);

    const QString duplicate = failureOf(
        [&] { OciTestBed::execute(*connection, QStringLiteral("Create table \"Orders\" (\"ID\" NUMBER(10,0))")); });
    EXPECT_EQ(duplicate, QStringLiteral("ORA-00955: name is already used by an existing object"));
    const QString missing = failureOf([&] { OciTestBed::execute(*connection, QStringLiteral("drop table \"Nope\"")); });
    EXPECT_EQ(missing, QStringLiteral("ORA-00942: table or view does not exist"));
    // The statement text goes out with CR LF after every line, as held.
    EXPECT_EQ(bed.executes(QStringLiteral("drop table")).size(), 1);
    EXPECT_TRUE(bed.executes(QStringLiteral("drop table")).first().endsWith(QStringLiteral("\"Nope\"\\r\\n")));
}

TEST(OciStatement, ClosedConnectionFailsClearly)
{
    OciTestBed bed;
    auto connection = bed.connect();
    auto statement = connection->createStatement();
    connection->close();
    statement->setSql(QStringLiteral("drop table \"T\""));
    EXPECT_EQ(failureOf([&] { statement->executeDirect(); }), QStringLiteral("The connection to Oracle is closed."));
}

} // namespace
