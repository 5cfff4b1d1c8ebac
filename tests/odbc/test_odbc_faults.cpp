// A real server's faults met through the real client stack (ODBC layer,
// unixODBC, FreeTDS, TCP, loopback TDS peer) with the model Oracle as
// target: the default port, a dropped or silent server in the middle of a
// run, a table name found in several schemas, and the closing line of a run
// in which a table failed.

#include "convert/ConversionRun.h"
#include "db/Failure.h"
#include "db/odbc/OdbcRowFetcher.h"
#include "db/odbc/OdbcSourceConnection.h"
#include "peers/tds/TdsLoopback.h"
#include "support/FailureOf.h"
#include "support/FakeHost.h"
#include "support/ModelTarget.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace peers;

namespace {

const QString failedLine = QStringLiteral("Wizard has migrated your MSSQL database to Oracle server, but %1 of %2 "
                                          "tables failed.");
const QString cleanLine = QStringLiteral("Wizard has migrated your MSSQL database to Oracle server successfully.");

class OdbcFaultTest : public ::testing::Test {
protected:
    ModelSqlServer server;
    TdsLoopback loopback{server};
    tw::OdbcSourceConnection source;
    std::unique_ptr<tw::SourceQuery> query = source.createQuery();
    ModelTarget target;
    ModelOracle& oracle = target.oracle;
    QTemporaryDir dataFolder;
    FakeHost host;
    tw::Tcc cc;
    tw::RunLog log;

    OdbcFaultTest()
    {
        server.addLogin(QStringLiteral("sa"), QStringLiteral("secret"));
        host.dataFolder = dataFolder.path() + QLatin1Char('/');
    }

    MsTable& numbered(const QString& name, int rows, const QString& schema = QStringLiteral("dbo"))
    {
        MsTable& table = server.database(QStringLiteral("Shop"))
                             .table(name, schema)
                             .column(QStringLiteral("Id"), QStringLiteral("int"), false)
                             .column(QStringLiteral("Label"), QStringLiteral("nvarchar(20)"));
        for (int i = 1; i <= rows; ++i)
            table.row({i, QStringLiteral("n%1").arg(i)});
        return table;
    }

    // Runs the conversion; the escaped failure's message, if any.
    QString convert(const QStringList& tables)
    {
        source.setConnectionString(
            loopback.sqlLoginString(QStringLiteral("sa"), QStringLiteral("secret"), QStringLiteral("Shop")));
        source.open();
        host.tables = tables;
        tw::ConversionRun run(host, cc, *query, target.connection, *target.writer, log);
        const QString failure = failureOf([&] { run.run(); });
        failedTables = run.failedTables();
        return failure;
    }

    QString logText() const { return log.lines().join(QLatin1Char('\n')); }

    // The saved log file's lines (the run saves exactly one).
    QStringList savedLog() const
    {
        const QStringList files = QDir(dataFolder.path()).entryList({QStringLiteral("*.log")});
        if (files.size() != 1)
            return {};
        QFile file(dataFolder.filePath(files.first()));
        file.open(QIODevice::ReadOnly);
        return QString::fromLocal8Bit(file.readAll()).split(QStringLiteral("\r\n"));
    }

    int failedTables = -1;
};

TEST(OdbcDefaultPort, BareHostConnectsOnPort1433)
{
    ModelSqlServer server;
    server.addLogin(QStringLiteral("sa"), QStringLiteral("secret"));
    isolateOdbcEnvironment();
    TdsServer peer(server);
    try {
        peer.start(1433);
    } catch (const std::runtime_error&) {
        GTEST_SKIP() << "port 1433 of 127.0.0.1 is taken or may not be bound by this user";
    }
    tw::OdbcSourceConnection source;
    source.setConnectionString(QStringLiteral("Provider=SQLOLEDB.1;Persist Security Info=True;User ID=sa;"
                                              "Password=secret;Data Source=127.0.0.1"));
    EXPECT_EQ(failureOf([&] { source.open(); }), QString());
    EXPECT_EQ(peer.logins(), QStringList{QStringLiteral("sa@")});
}

TEST_F(OdbcFaultTest, SilentServerFailsTheTableWithinTheLimitAndTheRunEndsWithItsLogSaved)
{
    numbered(QStringLiteral("A"), 6000);
    numbered(QStringLiteral("B"), 1);
    numbered(QStringLiteral("C"), 1);
    // The first answer keeps its long limit; the silence is met by the fetch
    // limit alone.
    source.setFetchTimeout(2);
#ifdef Q_OS_WIN
    // Where the driver's sockets cannot be found (Windows), the silence is
    // met by a cancel; FreeTDS then waits the query's time limit for the
    // server to acknowledge it before it closes the connection.
    source.setQueryTimeout(5);
#endif
    // Rows arrive in blocks of 512: five whole blocks, then silence.
    loopback.server().stallAfterRows(3000);
    QElapsedTimer timer;
    timer.start();
    const QString failure = convert({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    EXPECT_LT(timer.elapsed(), 20000);

    const QString lost = QStringLiteral("Rows 101 to 2560 were not stored: The server sent nothing for 2 seconds; the "
                                        "connection to it was closed.");
    EXPECT_EQ(failure, lost);
    const QStringList tail = log.lines().mid(log.lines().size() - 6);
    EXPECT_EQ(tail.mid(0, 5), (QStringList{QStringLiteral("Insert table A 2500 Rows "), lost, QString(),
                                          QStringLiteral("Tables not reached: B, C"), QString()}))
        << logText().toStdString();
    EXPECT_TRUE(tail.last().startsWith(QStringLiteral("The end time:")));
    EXPECT_EQ(savedLog(), log.lines() + QStringList{QString()});
    EXPECT_EQ(failedTables, 3);
    EXPECT_EQ(oracle.rows(QStringLiteral("SCOTT"), QStringLiteral("A")).size(), 100);
    EXPECT_EQ(oracle.tables(QStringLiteral("SCOTT")), QStringList{QStringLiteral("A")});
}

TEST_F(OdbcFaultTest, DroppedConnectionNamesTheRowsNotStoredAndEndsTheRunOnce)
{
    numbered(QStringLiteral("A"), 6000);
    numbered(QStringLiteral("B"), 1);
    loopback.server().dropConnectionAfterRows(5600);
    const QString failure = convert({QStringLiteral("A"), QStringLiteral("B")});

    // Rows 1 to 100 and 101 to 5,100 were committed; the rows read after
    // that were dropped with the connection.
    QVector<qint64> stored;
    for (const auto& row : oracle.rows(QStringLiteral("SCOTT"), QStringLiteral("A")))
        stored.append(row[0].toInteger());
    ASSERT_EQ(stored.size(), 5100);
    EXPECT_EQ(stored.first(), 1);
    EXPECT_EQ(stored.last(), 5100);
    EXPECT_TRUE(failure.startsWith(QStringLiteral("Rows 5101 to 5120 were not stored: [FreeTDS]")))
        << failure.toStdString();
    EXPECT_TRUE(log.lines().contains(failure));
    EXPECT_TRUE(log.lines().contains(QStringLiteral("Tables not reached: B")));
    EXPECT_EQ(failedTables, 2);
    // One failure, not one per remaining table.
    EXPECT_FALSE(logText().contains(QStringLiteral("Create table B")));
}

TEST_F(OdbcFaultTest, SourceLostBetweenTablesSavesTheLogWithTheErrorAndTheEndTime)
{
    numbered(QStringLiteral("A"), 150);
    numbered(QStringLiteral("B"), 1);
    numbered(QStringLiteral("C"), 1);
    // At A's first yield the peer has sent all of A; the next result that
    // has rows (B's first catalogue query) loses the connection.
    host.onYield = [this](int) { loopback.server().dropConnectionAfterRows(0); };
    const QString failure = convert({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});

    EXPECT_TRUE(failure.startsWith(QStringLiteral("[FreeTDS]"))) << failure.toStdString();
    EXPECT_TRUE(log.lines().contains(QStringLiteral("Insert table A 150 Rows ...Done"))) << logText().toStdString();
    const QStringList saved = savedLog();
    // The file ends with the end-time line and its line break.
    ASSERT_GE(saved.size(), 6);
    EXPECT_EQ(saved.mid(saved.size() - 6, 4),
              (QStringList{failure, QString(), QStringLiteral("Tables not reached: C"), QString()}));
    EXPECT_TRUE(saved[saved.size() - 2].startsWith(QStringLiteral("The end time:")));
    EXPECT_EQ(failedTables, 2);
}

TEST_F(OdbcFaultTest, NameInTwoSchemasLeavesTheTargetUntouchedAndTheRunSaysATableFailed)
{
    numbered(QStringLiteral("Orders"), 3);
    numbered(QStringLiteral("Orders"), 2, QStringLiteral("sales"));
    numbered(QStringLiteral("Items"), 2);
    executeInSession(target.connection, QStringLiteral("create table \"ORDERS\" (\"KEEP\" NUMBER(10))"));
    executeInSession(target.connection, QStringLiteral("insert into \"ORDERS\" values (7)"));
    target.connection.session().commit();
    host.mode = 0;
    EXPECT_EQ(convert({QStringLiteral("Orders"), QStringLiteral("Items")}), QString());

    EXPECT_EQ(log.lines().mid(1, 3),
              (QStringList{QStringLiteral("Drop table ORDERS... "),
                           QStringLiteral("The name ORDERS matches tables in several schemas (dbo, sales); the table "
                                          "was not converted and its target was left as it is."),
                           QString()}));
    EXPECT_EQ(oracle.columns(QStringLiteral("SCOTT"), QStringLiteral("ORDERS")).size(), 1);
    const auto kept = oracle.rows(QStringLiteral("SCOTT"), QStringLiteral("ORDERS"));
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(kept[0][0].toText(), QStringLiteral("7"));
    EXPECT_EQ(oracle.rows(QStringLiteral("SCOTT"), QStringLiteral("ITEMS")).size(), 2);
    EXPECT_EQ(failedTables, 1);
    EXPECT_TRUE(log.lines().contains(failedLine.arg(1).arg(2)));
    EXPECT_FALSE(log.lines().contains(cleanLine));
}

// A block is checked once when it is taken: the first row the driver could
// not fetch, or whose value is longer than its buffer holds, is the one that
// fails; NULLs and values that fill their buffer exactly pass.
TEST(OdbcBlockCheck, FindsTheFirstRowThatFails)
{
    const std::vector<SQLLEN> mostBytes{8, 100};
    const struct {
        const char* what;
        std::vector<SQLUSMALLINT> status;
        std::vector<SQLLEN> first;
        std::vector<SQLLEN> second;
        SQLULEN expected;
    } cases[] = {
        {"all good", {0, 0, 0, 0}, {8, SQL_NULL_DATA, 0, 1}, {100, 5, SQL_NULL_DATA, 0}, 4},
        {"a row the driver could not fetch", {0, 0, SQL_ROW_ERROR, 0}, {1, 1, 1, 1}, {1, 1, 1, 1}, 2},
        {"too long in the second column", {0, 0, 0, 0}, {1, 1, 1, 1}, {1, 1, 1, 101}, 3},
        {"the earlier of two", {0, 0, 0, SQL_ROW_ERROR}, {1, 9, 1, 1}, {1, 1, -4, 1}, 1},
        {"a negative length that is not NULL", {0, 0, 0, 0}, {1, 1, 1, 1}, {1, 1, -4, 1}, 2},
    };
    for (const auto& c : cases) {
        tw::OdbcBlock block;
        block.rowStatus = c.status;
        block.indicators = {c.first, c.second};
        block.fetched = c.status.size();
        EXPECT_EQ(tw::firstBadRow(block, mostBytes), c.expected) << c.what;
        // Rows past those fetched are not looked at.
        block.fetched = 1;
        EXPECT_EQ(tw::firstBadRow(block, mostBytes), std::min<SQLULEN>(c.expected, 1)) << c.what;
    }
}

} // namespace
