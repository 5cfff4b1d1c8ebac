// Existence probe, drop, the data folder and the clipboard.

#include "convert/Tcc.h"
#include "support/ModelServers.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <gtest/gtest.h>

namespace {

struct Probes : ::testing::Test {
    ModelServers servers;
    tw::Tcc cc;
    bool ok = false;
    QString error = QStringLiteral("untouched");

    void SetUp() override { servers.connect(); }
    bool exists(const QString& table, const QString& owner = QStringLiteral("scott"))
    {
        return cc.OracleTableExists(*servers.target, table, owner);
    }
};

TEST_F(Probes, NamesMatchExactlyAndOwnersRegardlessOfCase)
{
    servers.targetExecute(QStringLiteral("Create table \"Orders\" (\"A\" NUMBER)"));
    servers.targetExecute(QStringLiteral("create table INVOICES (A NUMBER)"));

    EXPECT_TRUE(exists(QStringLiteral("Orders")));
    EXPECT_FALSE(exists(QStringLiteral("ORDERS")));
    EXPECT_TRUE(exists(QStringLiteral("INVOICES")));
    EXPECT_FALSE(exists(QStringLiteral("Invoices")));
    EXPECT_TRUE(exists(QStringLiteral("Orders"), QStringLiteral("ScOtT")));
    EXPECT_FALSE(exists(QStringLiteral("Orders"), QStringLiteral("SYSTEM")));
    EXPECT_EQ(servers.oracle.statementLog().last(),
              QStringLiteral("select count(*) cn from all_tables where table_name='Orders' and upper(owner)='SYSTEM'\r\n"));
}

TEST_F(Probes, QuotesInNamesAreEscapedInProbeAndDrop)
{
    servers.targetExecute(QStringLiteral("Create table \"O'BRIEN\" (\"A\" NUMBER)"));
    EXPECT_TRUE(exists(QStringLiteral("O'BRIEN")));
    EXPECT_FALSE(exists(QStringLiteral("X' or '1'='1")));

    cc.DropOracleTable(*servers.target, QStringLiteral("O'BRIEN"), ok, error);
    EXPECT_TRUE(ok) << qPrintable(error);
    EXPECT_FALSE(exists(QStringLiteral("O'BRIEN")));
}

TEST_F(Probes, DropFailuresReportTheMessageAlone)
{
    servers.targetExecute(QStringLiteral("Create table \"PARENT\" (\"ID\" NUMBER(10,0))"));
    servers.targetExecute(QStringLiteral("alter table PARENT add constraint PK_PARENT primary key (ID)"));
    servers.targetExecute(QStringLiteral("Create table \"CHILD\" (\"PID\" NUMBER(10,0))"));
    servers.targetExecute(
        QStringLiteral("alter table CHILD add constraint FK_CHILD foreign key (PID) references PARENT (ID)"));

    cc.DropOracleTable(*servers.target, QStringLiteral("PARENT"), ok, error);
    EXPECT_FALSE(ok);
    EXPECT_EQ(error, QStringLiteral("ORA-02449: unique/primary keys in table referenced by foreign keys"));
    EXPECT_TRUE(exists(QStringLiteral("PARENT")));

    cc.DropOracleTable(*servers.target, QStringLiteral("NOSUCH"), ok, error);
    EXPECT_FALSE(ok);
    EXPECT_EQ(error, QStringLiteral("ORA-00942: table or view does not exist"));

    cc.DropOracleTable(*servers.target, QStringLiteral("CHILD"), ok, error);
    EXPECT_TRUE(ok);
    EXPECT_EQ(error, QStringLiteral("ORA-00942: table or view does not exist"));  // untouched on success
}

TEST(Services, AppDataFolderAndClipboard)
{
    const QString folder = tw::Tcc::GetAppDataFolder();
    EXPECT_TRUE(folder.endsWith(QDir::toNativeSeparators(QStringLiteral("/Harrowgate Data/")))) << qPrintable(folder);
    EXPECT_TRUE(folder.startsWith(QDir::toNativeSeparators(tw::Tcc::GetSpecialFolderPath(26))));

    tw::Tcc cc;
    cc.CopyTextToClipboard(QStringLiteral("select * from \"ORDERS\" where 1=0"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("select * from \"ORDERS\" where 1=0"));
}

} // namespace
