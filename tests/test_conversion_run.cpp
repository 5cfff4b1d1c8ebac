// The conversion run as a whole: the log of every existing-table mode, long
// names, stop, and the saved log file.

#include "convert/ConversionRun.h"
#include "support/FakeHost.h"
#include "support/ModelServers.h"
#include "support/ScriptStatements.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kCompleted = QStringLiteral("Conversion is Completed");
const QString kMigrated = QStringLiteral("Wizard has migrated your MSSQL database to Oracle server successfully.");
const QString kFinish = QStringLiteral("Click 'Finish' to exit the wizard.");

struct ConversionRunTest : ::testing::Test {
    ModelServers servers;
    tw::Tcc cc;
    tw::RunLog log;
    FakeHost host;
    QTemporaryDir dataFolder;

    void SetUp() override { host.dataFolder = dataFolder.path() + QLatin1Char('/'); }

    void seedOrders(const QString& name = QStringLiteral("Orders"), int rows = 3)
    {
        auto& t = servers.sourceDb.table(name)
                      .column(QStringLiteral("OrderID"), QStringLiteral("int"), false)
                      .column(QStringLiteral("Amount"), QStringLiteral("money"))
                      .primaryKey(QStringLiteral("PK_") + name, {QStringLiteral("OrderID")});
        for (int i = 1; i <= rows; ++i)
            t.row({i, tw::SqlValue::decimal(QStringLiteral("%1.2500").arg(i))});
    }
    tw::ConversionRun::Outcome run()
    {
        tw::ConversionRun conversion(host, cc, *servers.query, *servers.target, *servers.writer, log);
        return conversion.run();
    }
    // The log with its time stamps masked.
    QStringList maskedLog() const
    {
        QStringList lines = log.lines();
        for (QString& line : lines) {
            for (const QString& prefix : {QStringLiteral("Start time:"), QStringLiteral("The end time:")}) {
                if (line.startsWith(prefix))
                    line = prefix + QLatin1Char('*');
            }
        }
        return lines;
    }
    static QStringList framed(const QStringList& blocks)
    {
        return QStringList{QStringLiteral("Start time:*")} + blocks
            + QStringList{kCompleted, kMigrated, QStringLiteral("The end time:*"), kFinish};
    }
    QStringList savedLogFiles() const { return QDir(dataFolder.path()).entryList(QDir::Files); }
};

TEST_F(ConversionRunTest, NewTableIsCreatedIndexedAndFilled)
{
    seedOrders();
    servers.connect();
    host.tables = {QStringLiteral("Orders")};
    EXPECT_EQ(run(), tw::ConversionRun::Outcome::Completed);

    EXPECT_EQ(maskedLog(), framed({"Create table ORDERS...Done", "", "Insert table ORDERS 3 Rows ...Done", ""}));
    EXPECT_TRUE(host.running);
    EXPECT_EQ(servers.targetRows(QStringLiteral("ORDERS")).size(), 3);
    EXPECT_EQ(servers.targetRows(QStringLiteral("ORDERS"))[2][1], tw::SqlValue::decimal(QStringLiteral("3.25")));
    EXPECT_EQ(servers.oracle.constraints(QStringLiteral("SCOTT"), QStringLiteral("ORDERS")).size(), 1);

    // The saved file holds every line but the last, with CR LF endings.
    const QStringList files = savedLogFiles();
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^twjobs_\\d{8}_\\d{6}\\.log$")).match(files[0]).hasMatch());
    QFile file(dataFolder.filePath(files[0]));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()), log.lines().mid(0, log.lines().size() - 1).join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

TEST_F(ConversionRunTest, ExistingTableInEachMode)
{
    seedOrders();
    servers.connect();
    host.tables = {QStringLiteral("Orders")};
    // Without the primary key, so that merged rows may repeat the keys.
    host.skipIdx = true;
    const QStringList created{"Create table ORDERS...Done", "", "Insert table ORDERS 3 Rows ...Done", ""};
    run();

    struct Case {
        int mode;
        QStringList blocks;
        int rowsAfter;
        const char* outcome;
        int rowsStored;
    };
    const QVector<Case> cases{
        {1, {"Insert table ORDERS 3 Rows ...Done", ""}, 6, "merged", 3},
        {-1, {"Insert table ORDERS 3 Rows ...Done", ""}, 9, "merged", 3},
        {2, {"Skip table ORDERS... ", "", "Skip table ORDERS", ""}, 9, "skipped", 0},
        {0, QStringList{"Drop table ORDERS...Done", ""} + created, 3, "overwritten", 3},
    };
    for (const Case& c : cases) {
        log.clear();
        host.mode = c.mode;
        tw::ConversionRun conversion(host, cc, *servers.query, *servers.target, *servers.writer, log);
        conversion.run();
        EXPECT_EQ(maskedLog(), framed(c.blocks)) << "mode " << c.mode;
        EXPECT_EQ(servers.targetRows(QStringLiteral("ORDERS")).size(), c.rowsAfter) << "mode " << c.mode;
        ASSERT_EQ(conversion.summary().size(), 1);
        EXPECT_EQ(tw::outcomeKeyword(conversion.summary()[0].outcome), QLatin1String(c.outcome));
        EXPECT_EQ(conversion.summary()[0].stored, c.rowsStored) << "mode " << c.mode;
    }
}

TEST_F(ConversionRunTest, DefinitionsOnlyAndEmptyList)
{
    seedOrders();
    servers.connect();
    host.tables = {QStringLiteral("Orders")};
    host.definitionsOnly = true;
    run();
    EXPECT_EQ(maskedLog(), framed({"Create table ORDERS...Done", ""}));
    EXPECT_TRUE(servers.targetRows(QStringLiteral("ORDERS")).isEmpty());

    log.clear();
    host.tables.clear();
    EXPECT_EQ(run(), tw::ConversionRun::Outcome::Completed);
    EXPECT_EQ(maskedLog(), framed({}));
    EXPECT_FALSE(savedLogFiles().isEmpty());
}

TEST_F(ConversionRunTest, LongNamesTakeTheFirstFreeSuffix)
{
    const QString name30 = QStringLiteral("abcdefghijklmnopqrstuvwxyz1234");
    const QString name31 = name30 + QStringLiteral("5");
    seedOrders(name30, 1);
    seedOrders(name31, 1);
    servers.connect();
    servers.targetExecute(QStringLiteral("Create table \"ABCDEFGHIJKLMNOPQRSTUVWXYZ0000\" (\"A\" NUMBER)"));
    host.tables = {name30, name31};
    host.skipIdx = true;
    run();
    EXPECT_EQ(maskedLog(), framed({"Create table ABCDEFGHIJKLMNOPQRSTUVWXYZ1234...Done", "",
                                   "Insert table ABCDEFGHIJKLMNOPQRSTUVWXYZ1234 1 Rows ...Done", "",
                                   "Create table ABCDEFGHIJKLMNOPQRSTUVWXYZ0001...Done", "",
                                   "Insert table ABCDEFGHIJKLMNOPQRSTUVWXYZ12345 1 Rows ...Done", ""}));
}

// The source queries address the table by its listed schema and name; the
// upper-case option shapes only the names the log and the target show.
TEST_F(ConversionRunTest, SourceQueriesReachTheListedTableWhateverTheCaseOption)
{
    servers.sqlServer.setCaseSensitive(true);
    seedOrders(QStringLiteral("orders"));
    servers.connect();
    host.tables = {QStringLiteral("orders")};
    host.skipIdx = true;
    for (const QString& target : {QStringLiteral("ORDERS"), QStringLiteral("orders")}) {
        log.clear();
        host.upper = target == QStringLiteral("ORDERS");
        run();
        EXPECT_EQ(maskedLog(), framed({"Create table " + target + "...Done", "",
                                       "Insert table " + target + " 3 Rows ...Done", ""}));
    }
}

// Tables that a job names but the database lacks are logged first, listed
// in the summary as not found and counted as failed.
TEST_F(ConversionRunTest, JobTablesNotInTheDatabaseFailTheRun)
{
    seedOrders();
    servers.connect();
    host.tables = {QStringLiteral("Orders")};
    host.notFound = {QStringLiteral("Missing"), QStringLiteral("Sales.Orders")};
    host.skipIdx = true;
    tw::ConversionRun conversion(host, cc, *servers.query, *servers.target, *servers.writer, log);
    EXPECT_EQ(conversion.run(), tw::ConversionRun::Outcome::Completed);

    const QStringList expected{"Start time:*",
                               "Table Missing named by the job is not in database Shop",
                               "",
                               "Table Sales.Orders named by the job is not in database Shop",
                               "",
                               "Create table ORDERS...Done",
                               "",
                               "Insert table ORDERS 3 Rows ...Done",
                               "",
                               kCompleted,
                               "Wizard has migrated your MSSQL database to Oracle server, but 2 of 3 tables failed.",
                               "The end time:*",
                               kFinish};
    EXPECT_EQ(maskedLog(), expected);
    EXPECT_EQ(conversion.failedTables(), 2);
    ASSERT_EQ(conversion.summary().size(), 3);
    EXPECT_EQ(tw::summaryCsv(conversion.summary()).split(QStringLiteral("\r\n")).mid(1, 2),
              (QStringList{"Missing,,not found,0,0,0,0.000,0,0", "Sales.Orders,,not found,0,0,0,0.000,0,0"}));
    EXPECT_EQ(servers.targetRows(QStringLiteral("ORDERS")).size(), 3);
}

TEST_F(ConversionRunTest, ProgressAtEveryReportOfTheCopy)
{
    seedOrders(QStringLiteral("Big"), 12345);
    seedOrders(QStringLiteral("Empty"), 0);
    servers.connect();
    host.skipIdx = true;
    host.tables = {QStringLiteral("Big")};
    run();
    // Before the first row, at rows 100 ... 12,300, at the end, and when
    // the table is done; one second passes between reports.
    const QStringList& shown = host.progressShown;
    ASSERT_EQ(shown.size(), 1 + 123 + 1 + 1);
    EXPECT_EQ(shown.mid(0, 3), (QStringList{"0/12345 0 0/1 0 0/s -1", "100/12345 8 0/1 0 100/s 123",
                                            "200/12345 16 0/1 0 100/s 122"}));
    EXPECT_EQ(shown.mid(shown.size() - 3), (QStringList{"12300/12345 996 0/1 0 100/s 1", "12345/12345 1000 0/1 0 100/s 0",
                                                        "12345/12345 1000 1/1 1000 100/s 0"}));

    struct Case {
        QStringList tables;
        QStringList shown;
    };
    const QVector<Case> cases{
        {{QStringLiteral("Empty")}, {"0/0 1000 0/1 0 0/s 0", "0/0 1000 0/1 0 0/s 0", "0/0 1000 1/1 1000 0/s 0"}},
        {{}, {}},
    };
    for (const Case& c : cases) {
        host.tables = c.tables;
        host.progressShown.clear();
        run();
        EXPECT_EQ(host.progressShown, c.shown) << c.tables.size();
        EXPECT_EQ(host.progress.runBar(), tw::RunProgress::kBarMaximum);
    }
}

TEST_F(ConversionRunTest, RowsLostInTheTargetFailTheTableWithReadStoredAndFound)
{
    seedOrders(QStringLiteral("Big"), 250);
    servers.connect();
    host.skipIdx = true;
    host.tables = {QStringLiteral("Big")};
    // Another user of the target deletes a row that the copy has committed.
    peers::OraSession other = servers.oracle.logon(QStringLiteral("scott"), QStringLiteral("tiger"), QStringLiteral("ORCL"));
    host.onYield = [&](int yield) {
        if (yield == 2) {
            other.execute(QStringLiteral("delete from BIG where rownum <= 1"));
            other.commit();
        }
    };
    struct Case {
        int mode;
        QString countLine;
    };
    const QVector<Case> cases{
        {0, "Row count check of BIG failed: read 250, stored 250, found 249"},
        // Merge is checked by the table's growth.
        {1, "Row count check of BIG failed: read 250, stored 250, found 249 (the table grew from 249 to 498 rows)"},
    };
    for (const Case& c : cases) {
        log.clear();
        host.mode = c.mode;
        host.yields = 0;
        tw::ConversionRun conversion(host, cc, *servers.query, *servers.target, *servers.writer, log);
        conversion.run();
        const QStringList lines = maskedLog();
        const int insert = int(lines.indexOf(QStringLiteral("Insert table BIG 250 Rows ")));
        ASSERT_GE(insert, 0) << qPrintable(lines.join('\n'));
        EXPECT_EQ(lines.mid(insert + 1, 2), (QStringList{c.countLine, QString()}));
        EXPECT_EQ(lines.at(lines.size() - 3),
                  QStringLiteral("Wizard has migrated your MSSQL database to Oracle server, but 1 of 1 tables failed."));
        EXPECT_EQ(conversion.failedTables(), 1);
        EXPECT_EQ(conversion.summary()[0].outcome, tw::TableSummary::Outcome::Failed);
    }

    // A merge whose growth is the rows stored passes.
    log.clear();
    host.onYield = nullptr;
    run();
    EXPECT_EQ(maskedLog(), framed({"Insert table BIG 250 Rows ...Done", ""}));
}

TEST_F(ConversionRunTest, StopEndsTheRunAfterTheStoppedTableAndSavesItsLog)
{
    seedOrders(QStringLiteral("Big"), 250);
    seedOrders(QStringLiteral("Next"), 1);
    servers.connect();
    const QString stopped = QStringLiteral("The conversion was stopped by the user.");
    using Outcome = tw::TableSummary::Outcome;
    const struct Case {
        const char* name;
        QStringList tables;
        QStringList tail;  // the log from the stopped table's row line on
        QVector<Outcome> outcomes;
    } cases[] = {
        {"first of two", {"Big", "Next"},
         {"Insert table BIG 200 Rows ", "Operation aborted", "", "Tables not reached: Next", "", stopped,
          "The end time:*"},
         {Outcome::Stopped, Outcome::NotReached}},
        // Stopped in the last table, the run also ends as stopped.
        {"last", {"Big"}, {"Insert table BIG 200 Rows ", "Operation aborted", "", stopped, "The end time:*"},
         {Outcome::Stopped}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        log.clear();
        host.tables = c.tables;
        host.mode = 0;
        host.yields = 0;
        host.onYield = [this](int yield) { host.stop = yield == 2; };
        for (const QString& file : savedLogFiles())
            QFile::remove(dataFolder.filePath(file));
        tw::ConversionRun conversion(host, cc, *servers.query, *servers.target, *servers.writer, log);
        EXPECT_EQ(conversion.run(), tw::ConversionRun::Outcome::Stopped);

        const QStringList lines = maskedLog();
        EXPECT_EQ(lines.mid(lines.indexOf(QStringLiteral("Insert table BIG 200 Rows "))), c.tail);
        // The stopped table stored its first batch; the next was never reached.
        QVector<Outcome> outcomes;
        for (const tw::TableSummary& table : conversion.summary())
            outcomes.append(table.outcome);
        EXPECT_EQ(outcomes, c.outcomes);
        EXPECT_EQ(conversion.summary()[0].read, 200);
        EXPECT_EQ(conversion.summary()[0].stored, 100);
        EXPECT_EQ(conversion.summary().last().source, c.tables.size() > 1 ? QStringLiteral("NEXT") : QStringLiteral("BIG"));
        EXPECT_FALSE(host.stop);
        EXPECT_EQ(servers.targetRows(QStringLiteral("BIG")).size(), 100);
        EXPECT_FALSE(servers.oracle.tables(QStringLiteral("SCOTT")).contains(QStringLiteral("NEXT")));
        // Saved like the log of a completed run, up to the end time.
        const QStringList files = savedLogFiles();
        ASSERT_EQ(files.size(), 1);
        QFile file(dataFolder.filePath(files[0]));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), (log.lines().join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLocal8Bit());
    }
}

TEST_F(ConversionRunTest, FailedStepsAndRefusedKeysAreLogged)
{
    servers.sourceDb.table(QStringLiteral("Guids"))
        .column(QStringLiteral("Id"), QStringLiteral("uniqueidentifier"), false)
        .primaryKey(QStringLiteral("PK_Guids"), {QStringLiteral("Id")})
        .row({QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC964FF")})
        .row({QStringLiteral("7F9619FF-8B86-D011-B42D-00C04FC964FF")});
    servers.connect();
    host.tables = {QStringLiteral("Guids")};
    run();
    const QStringList lines = maskedLog();
    // A uniqueidentifier becomes a BLOB, on which Oracle builds no key; the
    // refusal is written after the create step's block.
    EXPECT_EQ(lines.at(1), QStringLiteral("Create table GUIDS...Done"));
    EXPECT_EQ(lines.at(2), QString());
    EXPECT_TRUE(lines.at(3).startsWith(QStringLiteral("ORA-"))) << qPrintable(lines.join('\n'));
    EXPECT_EQ(lines.at(4), QStringLiteral("alter table Guids  add constraint PRIMARYGuids1 primary key (Id)"));
    EXPECT_TRUE(lines.contains(QStringLiteral("Insert table GUIDS 2 Rows ...Done")));
}

TEST_F(ConversionRunTest, UnattendedRunSavesBesideTheJobFileAndCloses)
{
    seedOrders();
    servers.connect();
    host.tables = {QStringLiteral("Orders")};
    host.isUnattended = true;
    host.jobFile = dataFolder.filePath(QStringLiteral("nightly.twjobs"));
    run();
    EXPECT_TRUE(host.closed);
    EXPECT_TRUE(QFile::exists(dataFolder.filePath(QStringLiteral("nightly.log"))));
    EXPECT_EQ(log.lines().last(), kFinish);
}

// With the good rows kept, a refused row costs only itself: the rows go to
// the reject file beside the job log, created at the first refused row
// only, with a header for each table; a new table's count check counts the
// rows stored.
TEST_F(ConversionRunTest, KeptGoodRowsLeaveTheRefusedRowsInTheRejectFile)
{
    servers.sourceDb.table(QStringLiteral("Clean")).column(QStringLiteral("N"), QStringLiteral("int")).row({1});
    // Keys that repeat in the source: Oracle's primary key refuses the repeats.
    servers.sourceDb.table(QStringLiteral("Orders"))
        .column(QStringLiteral("OrderID"), QStringLiteral("int"), false)
        .column(QStringLiteral("Note"), QStringLiteral("nvarchar(20)"))
        .column(QStringLiteral("Code"), QStringLiteral("varbinary(4)"))
        .primaryKey(QStringLiteral("PK_Orders"), {QStringLiteral("OrderID")})
        .row({1, QStringLiteral("a"), QByteArray("\x01\x02", 2)})
        .row({1, tw::SqlValue(), QByteArray("\xff", 1)})
        .row({2, QStringLiteral("b"), tw::SqlValue()});
    servers.sourceDb.table(QStringLiteral("Items"))
        .column(QStringLiteral("Id"), QStringLiteral("int"), false)
        .primaryKey(QStringLiteral("PK_Items"), {QStringLiteral("Id")})
        .row({5})
        .row({5});
    servers.connect();
    host.keepGood = true;
    host.isUnattended = true;
    host.jobFile = dataFolder.filePath(QStringLiteral("nightly.twjobs"));
    const QString rejectPath = dataFolder.filePath(QStringLiteral("nightly.rejects.csv"));

    host.tables = {QStringLiteral("Clean")};
    run();
    EXPECT_EQ(maskedLog(), framed({"Create table CLEAN...Done", "", "Insert table CLEAN 1 Rows ...Done", ""}));
    EXPECT_FALSE(QFile::exists(rejectPath));

    log.clear();
    host.tables = {QStringLiteral("Orders"), QStringLiteral("Items")};
    tw::ConversionRun conversion(host, cc, *servers.query, *servers.target, *servers.writer, log);
    conversion.run();
    const QString ordersKey = QStringLiteral("ORA-00001: unique constraint (SCOTT.PRIMARYORDERS1) violated");
    const QString itemsKey = QStringLiteral("ORA-00001: unique constraint (SCOTT.PRIMARYITEMS1) violated");
    EXPECT_EQ(log.lines().mid(1, 10),
              (QStringList{"Create table ORDERS...Done", "", "Insert table ORDERS 3 Rows ",
                           "Rows 1 to 3: 1 rows refused, see nightly.rejects.csv", "", "Create table ITEMS...Done", "",
                           "Insert table ITEMS 2 Rows ", "Rows 1 to 2: 1 rows refused, see nightly.rejects.csv", ""}));
    EXPECT_EQ(conversion.failedTables(), 2);
    EXPECT_EQ(std::tie(conversion.summary()[0].stored, conversion.summary()[0].refused), std::make_tuple(2, 1));
    EXPECT_EQ(servers.targetRows(QStringLiteral("ORDERS")).size(), 2);
    QFile rejects(rejectPath);
    ASSERT_TRUE(rejects.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(rejects.readAll()),
              QStringLiteral("table,row,error,OrderID,Note,Code\r\nORDERS,2,%1,1,,FF\r\n"
                             "table,row,error,Id\r\nITEMS,2,%2,5\r\n")
                  .arg(ordersKey, itemsKey));
}

} // namespace

namespace {

// The statements the model Oracle was sent that change the schema: every
// statement but the probes, the counts and the row writer's work.
QStringList schemaStatements(const QStringList& statementLog)
{
    QStringList statements;
    for (const QString& sql : statementLog) {
        if (!sql.startsWith(QLatin1String("select"), Qt::CaseInsensitive)
            && !sql.startsWith(QLatin1String("insert"), Qt::CaseInsensitive))
            statements.append(sql);
    }
    return statements;
}

} // namespace

TEST_F(ConversionRunTest, ScriptHoldsEveryStatementButTheRowsBesideTheLog)
{
    seedOrders();
    servers.sourceDb.table(QStringLiteral("Items"))
        .column(QStringLiteral("Id"), QStringLiteral("int"), false)
        .index(QStringLiteral("IX_Id"), {QStringLiteral("Id")});
    servers.connect();
    host.tables = {QStringLiteral("Orders")};
    run();
    const int before = int(servers.oracle.statementLog().size());

    // Overwrite: two drops, two creates, a key and an index.
    servers.targetExecute(QStringLiteral("create table ITEMS (X NUMBER)"));
    log.clear();
    host.mode = 0;
    host.script = true;
    host.tables = {QStringLiteral("Orders"), QStringLiteral("Items")};
    host.isUnattended = true;
    host.jobFile = dataFolder.filePath(QStringLiteral("nightly.twjobs"));
    run();

    const QStringList script = scriptFileLines(dataFolder.filePath(QStringLiteral("nightly.sql")));
    const QStringList sent = schemaStatements(servers.oracle.statementLog().mid(before + 1));
    EXPECT_EQ(scriptStatements(script), sent);
    EXPECT_EQ(sent.size(), 6) << qPrintable(sent.join('\n'));
    EXPECT_EQ(script.mid(0, 3), (QStringList{"SET DEFINE OFF", "-- Table ORDERS", "drop table \"ORDERS\";"}));
    EXPECT_EQ(script.filter(QStringLiteral("-- Table ITEMS")).size(), 3);
    EXPECT_TRUE(script.contains(QStringLiteral(" ) ;")));

    // Without the option no script is written.
    host.script = false;
    host.jobFile = dataFolder.filePath(QStringLiteral("other.twjobs"));
    run();
    EXPECT_TRUE(QFile::exists(dataFolder.filePath(QStringLiteral("other.log"))));
    EXPECT_FALSE(QFile::exists(dataFolder.filePath(QStringLiteral("other.sql"))));
}

// With full definitions off, a table with everything full definitions
// would carry gets the plain statements, word for word, and no note.
TEST_F(ConversionRunTest, WithoutFullDefinitionsTheStatementsArePlain)
{
    servers.sourceDb.table(QStringLiteral("Customers"))
        .identityColumn(QStringLiteral("Id"))
        .column({QStringLiteral("Status"), QStringLiteral("int"), false, QStringLiteral("((0))"), false})
        .column(QStringLiteral("Email"), QStringLiteral("nvarchar(80)"))
        .column(QStringLiteral("Weight"), QStringLiteral("float"))
        .primaryKey(QStringLiteral("PK_Customers"), {QStringLiteral("Id")})
        .uniqueConstraint(QStringLiteral("UQ_Customers_Email"), {QStringLiteral("Email")})
        .checkConstraint(QStringLiteral("CK_Status"), QStringLiteral("([Status]>=(0))"))
        .row({1, 1, QStringLiteral("a@example.com"), 2.5});
    servers.sourceDb.table(QStringLiteral("Orders"))
        .column(QStringLiteral("CustomerId"), QStringLiteral("int"))
        .foreignKey({QStringLiteral("FK_Orders_Customers"), {QStringLiteral("CustomerId")}, QStringLiteral("Customers"),
                     {QStringLiteral("Id")}, QStringLiteral("CASCADE")});
    servers.connect();
    host.tables = {QStringLiteral("Customers"), QStringLiteral("Orders")};
    const int before = int(servers.oracle.statementLog().size());
    run();
    EXPECT_EQ(schemaStatements(servers.oracle.statementLog().mid(before)),
              (QStringList{"Create table \"CUSTOMERS\" (\r\n\"ID\" NUMBER(10,0) , \r\n\"STATUS\" NUMBER(10,0) , \r\n"
                           "\"EMAIL\" varchar2(80) , \r\n\"WEIGHT\" NUMBER\r\n ) \r\n",
                           "alter table Customers  add constraint PRIMARYCustomers1 primary key (Id)\r\n",
                           "create index idx_UQ_Customers_EmailCUSTOMER on CUSTOMERS (Email)\r\n",
                           "Create table \"ORDERS\" (\r\n\"CUSTOMERID\" NUMBER(10,0)\r\n ) \r\n"}));
    const QString logText = log.lines().join(QLatin1Char('\n'));
    for (const char* absent : {"Check constraint", "Foreign key", "Identity of table", "Default of"})
        EXPECT_FALSE(logText.contains(QLatin1String(absent))) << absent;
}

TEST(StatementScript, StatementsEndBySemicolonAndBlocksBySlash)
{
    tw::StatementScript script;
    script.setTable(QStringLiteral("T"));
    script.add({QStringLiteral("create table T ("), QStringLiteral("A NUMBER )")});
    script.add({QStringLiteral("BEGIN null; END;")});
    EXPECT_EQ(script.lines(), (QStringList{"SET DEFINE OFF", "-- Table T", "create table T (", "A NUMBER );",
                                           "-- Table T", "BEGIN null; END;", "/"}));
    EXPECT_EQ(tw::scriptPathFor(QStringLiteral("/d/twjobs_20260101_101010.log")),
              QStringLiteral("/d/twjobs_20260101_101010.sql"));
}

// Full definitions: the identity key, the NOT NULL column with its default
// and the unique constraint arrive; after the rows the identity goes on from
// the highest copied value; the run's script builds the same schema in an
// empty database.
TEST_F(ConversionRunTest, FullDefinitionsArriveAndTheScriptRebuildsThem)
{
    servers.sourceDb.table(QStringLiteral("Customers"))
        .identityColumn(QStringLiteral("Id"))
        .column({QStringLiteral("Status"), QStringLiteral("int"), false, QStringLiteral("((0))"), false})
        .column(QStringLiteral("Email"), QStringLiteral("nvarchar(80)"))
        .primaryKey(QStringLiteral("PK_Customers"), {QStringLiteral("Id")})
        .uniqueConstraint(QStringLiteral("UQ_Customers_Email"), {QStringLiteral("Email")})
        .row({1, 1, QStringLiteral("a@example.com")})
        .row({5, 2, QStringLiteral("b@example.com")});
    servers.sourceDb.table(QStringLiteral("Orders"))
        .column(QStringLiteral("Id"), QStringLiteral("int"), false)
        .column(QStringLiteral("CustomerId"), QStringLiteral("int"))
        .column(QStringLiteral("RegionId"), QStringLiteral("int"))
        .primaryKey(QStringLiteral("PK_Orders"), {QStringLiteral("Id")})
        .foreignKey({QStringLiteral("FK_Orders_Customers"), {QStringLiteral("CustomerId")}, QStringLiteral("Customers"),
                     {QStringLiteral("Id")}, QStringLiteral("CASCADE"), QStringLiteral("CASCADE")})
        .foreignKey({QStringLiteral("FK_Orders_Regions"), {QStringLiteral("RegionId")}, QStringLiteral("Regions"),
                     {QStringLiteral("Id")}})
        .checkConstraint(QStringLiteral("CK_Orders_Id"), QStringLiteral("([Id]>(0))"))
        .row({10, 5, 1});
    servers.connect();
    // The child first: its key waits until its parent exists.
    host.tables = {QStringLiteral("Orders"), QStringLiteral("Customers")};
    host.fullDefs = true;
    host.script = true;
    host.isUnattended = true;
    host.jobFile = dataFolder.filePath(QStringLiteral("schema.twjobs"));
    run();
    const QStringList lines = log.lines();
    for (const char* line :
         {"Check constraint CK_Orders_Id of ORDERS not carried: ([Id]>(0))", "Identity of table CUSTOMERS...Done",
          "Foreign key FK_Orders_Customers of ORDERS: ON UPDATE CASCADE has no Oracle counterpart; the key is "
          "created without it",
          "Foreign key FK_Orders_Customers of ORDERS...Done",
          "Foreign key FK_Orders_Regions of ORDERS not created: its table dbo.Regions is not converted in this run"})
        EXPECT_TRUE(lines.contains(QLatin1String(line))) << line << "\n" << qPrintable(lines.join('\n'));
    EXPECT_TRUE(lines.contains(kMigrated));
    const auto keys = servers.oracle.constraints(QStringLiteral("SCOTT"), QStringLiteral("ORDERS"));
    const auto foreign = std::find_if(keys.begin(), keys.end(), [](const auto& k) { return k.type == 'R'; });
    ASSERT_NE(foreign, keys.end());
    EXPECT_EQ(foreign->referencedTable, QStringLiteral("CUSTOMERS"));
    EXPECT_EQ(foreign->deleteRule, QStringLiteral("CASCADE"));

    peers::OraSession session = servers.oracle.logon(QStringLiteral("scott"), QStringLiteral("tiger"), QStringLiteral("ORCL"));
    session.execute(QStringLiteral("insert into CUSTOMERS (EMAIL) values ('c@example.com')"));
    session.commit();
    const auto rows = servers.targetRows(QStringLiteral("CUSTOMERS"));
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[2], (QVector<tw::SqlValue>{qint64(6), qint64(0), QStringLiteral("c@example.com")}));
    // The key's ON DELETE CASCADE takes the order with its customer.
    session.execute(QStringLiteral("delete from CUSTOMERS"));
    session.commit();
    EXPECT_TRUE(servers.targetRows(QStringLiteral("ORDERS")).isEmpty());

    auto schemaOf = [](const peers::ModelOracle& oracle) {
        QStringList shape;
        for (const QString& table : oracle.tables(QStringLiteral("SCOTT"))) {
            for (const peers::OraColumn& c : oracle.columns(QStringLiteral("SCOTT"), table))
                shape.append(QStringLiteral("%1 %2 %3 %4 %5")
                                 .arg(c.name, c.type)
                                 .arg(c.nullable)
                                 .arg(c.defaultExpression)
                                 .arg(int(c.identity)));
            for (const peers::OraConstraintInfo& k : oracle.constraints(QStringLiteral("SCOTT"), table))
                shape.append(QStringLiteral("%1 %2 %3 %4 %5")
                                 .arg(k.name, QString(QLatin1Char(k.type)), k.columns.join(','), k.referencedTable,
                                      k.deleteRule));
            for (const peers::OraIndexInfo& i : oracle.indexes(QStringLiteral("SCOTT"), table))
                shape.append(QStringLiteral("%1 %2 %3").arg(i.name, i.columns.join(',')).arg(i.unique));
        }
        return shape;
    };
    const QStringList converted = schemaOf(servers.oracle);
    EXPECT_TRUE(converted.contains(QStringLiteral("STATUS NUMBER 0 0 0"))) << qPrintable(converted.join('\n'));
    EXPECT_TRUE(converted.contains(QStringLiteral("UQ_CUSTOMERS_EMAIL U EMAIL  NO ACTION")))
        << qPrintable(converted.join('\n'));

    peers::ModelOracle empty;
    empty.addUser(QStringLiteral("SCOTT"), QStringLiteral("tiger"));
    peers::OraSession replay = empty.logon(QStringLiteral("scott"), QStringLiteral("tiger"), QStringLiteral("ORCL"));
    for (const QString& statement : scriptStatements(scriptFileLines(dataFolder.filePath(QStringLiteral("schema.sql")))))
        replay.execute(statement);
    EXPECT_EQ(schemaOf(empty), converted);
}
