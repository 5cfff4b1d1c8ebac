// Row transfer: batches, the row-count line, stop, and what the target
// refuses, checked against the rows actually present in the model Oracle.

#include "support/DboTable.h"
#include "convert/RowTransfer.h"
#include "db/Failure.h"
#include "support/FakeHost.h"
#include "support/ModelServers.h"

#include <array>
#include <gtest/gtest.h>

namespace {

struct RowTransferTest : ::testing::Test {
    std::unique_ptr<ModelServers> servers = std::make_unique<ModelServers>();
    tw::Tcc cc;
    tw::RunLog log;
    FakeHost host;
    bool ok = false;
    QString error;
    QVector<int> committedAtYield;

    void SetUp() override
    {
        host.onYield = [this](int) { committedAtYield.append(int(servers->targetRows(QStringLiteral("T")).size())); };
    }

    // A source table T with an int column N holding 1..rows.
    void seedNumbers(int rows)
    {
        auto& t = servers->sourceDb.table(QStringLiteral("T")).column(QStringLiteral("N"), QStringLiteral("int"));
        for (int i = 1; i <= rows; ++i)
            t.row({i});
        servers->connect();
    }
    void createTarget()
    {
        cc.CreateOracleTable(*servers->query, *servers->target, dboTable(QStringLiteral("T"), QStringLiteral("T")), true, ok, error);
        ASSERT_TRUE(ok) << qPrintable(error);
    }
    tw::RowTransfer transfer()
    {
        log.append(QStringLiteral("Insert table T... "));
        tw::RowTransfer rows(*servers->query, *servers->writer, log, cc, host);
        rows.run(dboTable(QStringLiteral("T"), QStringLiteral("T")), ok, error);
        return rows;
    }
};

TEST_F(RowTransferTest, BatchBoundaries)
{
    struct Case {
        int rows;
        QVector<int> committedAtYield;
    };
    QVector<int> at5100(51, 100);
    at5100.last() = 5100;
    const QVector<Case> cases{{0, {}}, {99, {}}, {100, {100}}, {5100, at5100}};
    for (const Case& c : cases) {
        servers = std::make_unique<ModelServers>();
        committedAtYield.clear();
        log.clear();
        seedNumbers(c.rows);
        createTarget();
        transfer();
        EXPECT_TRUE(ok) << c.rows << qPrintable(error);
        EXPECT_EQ(committedAtYield, c.committedAtYield) << c.rows;
        EXPECT_EQ(log.lines().last(), QStringLiteral("Insert table T %1 Rows ").arg(c.rows));
        const auto rows = servers->targetRows(QStringLiteral("T"));
        ASSERT_EQ(rows.size(), c.rows);
        if (c.rows) {
            EXPECT_EQ(rows.last().at(0).toInteger(), c.rows);
        }
    }
}

TEST_F(RowTransferTest, BooleansBecomeOneZeroAndNullStaysUnset)
{
    servers->sourceDb.table(QStringLiteral("T"))
        .column(QStringLiteral("Id"), QStringLiteral("int"))
        .column(QStringLiteral("Flag"), QStringLiteral("bit"))
        .row({1, true})
        .row({2, false})
        .row({3, tw::SqlValue()});
    servers->connect();
    createTarget();
    transfer();
    ASSERT_TRUE(ok) << qPrintable(error);
    const auto rows = servers->targetRows(QStringLiteral("T"));
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0][1].toInteger(), 1);
    EXPECT_EQ(rows[1][1].toInteger(), 0);
    EXPECT_TRUE(rows[2][1].isNull());
}

TEST_F(RowTransferTest, StopAtRow300KeepsTheFirstBatchOnly)
{
    seedNumbers(1000);
    createTarget();
    host.onYield = [this](int yield) { host.stop = yield == 3; };
    transfer();
    EXPECT_FALSE(ok);
    EXPECT_EQ(error, QStringLiteral("Operation aborted"));
    EXPECT_EQ(log.lines().last(), QStringLiteral("Insert table T 300 Rows "));
    EXPECT_EQ(servers->targetRows(QStringLiteral("T")).size(), 100);
}

TEST_F(RowTransferTest, RefusedBatchIsReportedAndLaterBatchesStillCopied)
{
    seedNumbers(5250);
    // NUMBER(3) takes 1..999: rows 1000.. are refused.
    servers->targetExecute(QStringLiteral("Create table \"T\" (\"N\" NUMBER(3))"));
    const tw::RowTransfer rows = transfer();

    EXPECT_FALSE(ok);
    // A refused batch does not end the copy: the source was read to its end.
    EXPECT_EQ((std::array<qint64, 4>{rows.rowsRead(), rows.rowsStored(), rows.rowsRefused(), rows.readToEnd()}),
              (std::array<qint64, 4>{5250, 100, 5150, 1}));
    const QStringList reports = error.split(QStringLiteral("\r\n"));
    ASSERT_EQ(reports.size(), 2) << qPrintable(error);
    EXPECT_TRUE(reports[0].startsWith(QStringLiteral("Rows 101 to 5100 were not stored (5000 rows refused): ORA-01438")))
        << qPrintable(reports[0]);
    EXPECT_TRUE(reports[1].startsWith(QStringLiteral("Rows 5101 to 5250 were not stored (150 rows refused): ORA-01438")))
        << qPrintable(reports[1]);
    EXPECT_EQ(log.lines().last(), QStringLiteral("Insert table T 5250 Rows "));
    EXPECT_EQ(servers->targetRows(QStringLiteral("T")).size(), 100);
}

TEST_F(RowTransferTest, ColumnFailuresAreReportedOncePerColumn)
{
    auto& t = servers->sourceDb.table(QStringLiteral("T"))
                  .column(QStringLiteral("N"), QStringLiteral("int"))
                  .column(QStringLiteral("Blob"), QStringLiteral("varbinary(10)"))
                  .column(QStringLiteral("Extra"), QStringLiteral("int"));
    for (int i = 1; i <= 250; ++i)
        t.row({i, QByteArray("\x01\x02"), i});
    servers->connect();
    servers->targetExecute(QStringLiteral("Create table \"T\" (\"N\" NUMBER(10,0), \"BLOB\" NUMBER)"));
    const tw::RowTransfer rows = transfer();

    EXPECT_TRUE(ok) << qPrintable(error);
    EXPECT_EQ(host.columnReports.size(), 2);
    ASSERT_EQ(rows.columnProblems().size(), 2);
    EXPECT_TRUE(rows.columnProblems()[0].startsWith(QStringLiteral("T -----  Extra: "))) << qPrintable(rows.columnProblems()[0]);
    EXPECT_TRUE(rows.columnProblems()[1].startsWith(QStringLiteral("T -----  Blob: "))) << qPrintable(rows.columnProblems()[1]);
    // Every value the target refused is counted, one per row; a column the
    // target lacks is a column problem, not refused values.
    EXPECT_EQ(rows.valuesNotStored(), 250);
    const auto stored = servers->targetRows(QStringLiteral("T"));
    ASSERT_EQ(stored.size(), 250);
    EXPECT_EQ(stored[249][0].toInteger(), 250);
    EXPECT_TRUE(stored[249][1].isNull());
}

TEST_F(RowTransferTest, RenamedColumnsFindTheColumnsMadeFromThem)
{
    const QString longName = QStringLiteral("A_very_long_column_name_beyond_thirty");
    servers->sourceDb.table(QStringLiteral("T"))
        .column(QStringLiteral("Customer Name"), QStringLiteral("nvarchar(40)"))
        .column(longName, QStringLiteral("int"))
        .column(QStringLiteral("Say \"hi\""), QStringLiteral("int"))
        .row({QStringLiteral("Zoë"), 7, 8});
    servers->connect();
    for (bool upper : {true, false}) {
        if (!upper)
            servers->targetExecute(QStringLiteral("drop table \"T\""));
        cc.CreateOracleTable(*servers->query, *servers->target, dboTable(QStringLiteral("T"), QStringLiteral("T")), upper, ok, error);
        ASSERT_TRUE(ok) << qPrintable(error);
        transfer();
        EXPECT_TRUE(ok) << qPrintable(error);
        EXPECT_TRUE(host.columnReports.isEmpty()) << qPrintable(host.columnReports.join(QLatin1Char('\n')));
        const auto rows = servers->targetRows(QStringLiteral("T"));
        ASSERT_EQ(rows.size(), 1);
        EXPECT_EQ(rows[0][0], tw::SqlValue(QStringLiteral("Zoë")));
        EXPECT_EQ(rows[0][1].toInteger(), 7);
        EXPECT_EQ(rows[0][2].toInteger(), 8);
    }
}

TEST_F(RowTransferTest, NoMatchingColumnFailsTheTableWithoutWritingRows)
{
    servers->sourceDb.table(QStringLiteral("T")).column(QStringLiteral("A"), QStringLiteral("int")).row({1}).row({2});
    servers->connect();
    servers->targetExecute(QStringLiteral("Create table \"T\" (\"X\" NUMBER)"));
    transfer();
    EXPECT_FALSE(ok);
    EXPECT_TRUE(error.endsWith(QStringLiteral("No column of T matches a column of T: no row was copied"))) << qPrintable(error);
    EXPECT_TRUE(servers->targetRows(QStringLiteral("T")).isEmpty());
}

TEST_F(RowTransferTest, NamesWithQuotesAndBracketsRoundTrip)
{
    const QString name = QStringLiteral("Q'x]y");
    servers->sourceDb.table(name).column(QStringLiteral("N"), QStringLiteral("int")).row({1}).row({2});
    servers->connect();
    cc.CreateOracleTable(*servers->query, *servers->target, dboTable(name, QStringLiteral("Q'X]Y")), true, ok, error);
    ASSERT_TRUE(ok) << qPrintable(error);

    log.append(QStringLiteral("Insert table Q'X]Y... "));
    tw::RowTransfer rows(*servers->query, *servers->writer, log, cc, host);
    rows.run(dboTable(name, QStringLiteral("Q'X]Y")), ok, error);
    EXPECT_TRUE(ok) << qPrintable(error);
    EXPECT_EQ(servers->targetRows(QStringLiteral("Q'X]Y")).size(), 2);
    EXPECT_EQ(servers->query->sql(), QStringLiteral("select * from [dbo].[Q'x]]y]"));
}

TEST_F(RowTransferTest, TextOfFullColumnLengthFitsInAnyScript)
{
    // nvarchar(4) becomes varchar2(4); four Chinese characters are twelve
    // bytes, and the session counts characters, so they fit.
    servers->sourceDb.table(QStringLiteral("T"))
        .column(QStringLiteral("Name"), QStringLiteral("nvarchar(4)"))
        .row({QStringLiteral("订单数据")});
    servers->connect();
    createTarget();
    transfer();
    EXPECT_TRUE(ok) << qPrintable(error);
    ASSERT_EQ(servers->targetRows(QStringLiteral("T")).size(), 1);
    EXPECT_EQ(servers->targetRows(QStringLiteral("T"))[0][0], tw::SqlValue(QStringLiteral("订单数据")));
}

TEST_F(RowTransferTest, MissingSourceTableFailsBeforeWriting)
{
    servers->connect();
    transfer();
    EXPECT_FALSE(ok);
    EXPECT_EQ(error, QStringLiteral("Invalid object name 'dbo.T'."));
}

} // namespace

namespace {

// A writer whose batches end one batch late, as when each is applied on a
// thread of its own while the next is copied: the outcome of a batch given
// to applyInBackground is known only once the next batch is given, or when
// the caller waits. After a batch fails as a whole, the later ones fail too.
class LateOutcomes : public tw::RowWriter {
public:
    LateOutcomes(tw::RowWriter& inner, int failingApply) : inner_(inner), failingApply_(failingApply) {}

    void close() override { inner_.close(); }
    void open() override
    {
        inner_.setCommandText(commandText());
        inner_.open();
    }
    QStringList fieldNames() const override { return inner_.fieldNames(); }
    void append() override { inner_.append(); }
    using tw::RowWriter::setFieldValue;
    void setFieldValue(int index, const tw::SqlValue& value) override { inner_.setFieldValue(index, value); }
    void post() override { inner_.post(); }
    int pendingCount() const override { return inner_.pendingCount(); }
    tw::ApplyResult applyUpdates() override
    {
        if (++applies_ == failingApply_ || (failingApply_ > 0 && applies_ > failingApply_))
            throw tw::Failure(QStringLiteral("the connection is gone"));
        return inner_.applyUpdates();
    }
    void applyInBackground() override
    {
        tw::RowWriter::applyInBackground();
        ++given_;
    }
    bool takeApplied(tw::ApplyResult& result, bool wait) override
    {
        if (taken_ == given_ || (!wait && taken_ == given_ - 1))
            return false;
        ++taken_;
        return tw::RowWriter::takeApplied(result, wait);
    }

private:
    tw::RowWriter& inner_;
    const int failingApply_;
    int applies_ = 0;
    int given_ = 0;
    int taken_ = 0;
};

// The reports come out as when every batch ends before the next begins.
TEST_F(RowTransferTest, BatchesEndingLateAreReportedAsTheirOwn)
{
    const struct {
        const char* name;
        int failingApply;
        int stopAtYield;
        QString numberType;
        QStringList reports;
        int stored;
    } cases[] = {
        {"refused batches", 0, 0, QStringLiteral("NUMBER(3)"),
         {QStringLiteral("Rows 101 to 5100 were not stored (5000 rows refused): ORA-01438"),
          QStringLiteral("Rows 5101 to 10100 were not stored (5000 rows refused): ORA-01438"),
          QStringLiteral("Rows 10101 to 12345 were not stored (2245 rows refused): ORA-01438")},
         100},
        {"a stop", 0, 52, QStringLiteral("NUMBER(10)"), {QStringLiteral("Operation aborted")}, 5100},
        {"a failed batch", 2, 0, QStringLiteral("NUMBER(10)"),
         {QStringLiteral("Rows 101 to 10100 were not stored: the connection is gone")}, 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        servers = std::make_unique<ModelServers>();
        log.clear();
        seedNumbers(12345);
        servers->targetExecute(QStringLiteral("Create table \"T\" (\"N\" %1)").arg(c.numberType));
        host.yields = 0;
        host.stop = false;
        host.onYield = [&](int yield) { host.stop = yield == c.stopAtYield; };
        LateOutcomes writer(*servers->writer, c.failingApply);
        log.append(QStringLiteral("Insert table T... "));
        tw::RowTransfer rows(*servers->query, writer, log, cc, host);
        rows.run(dboTable(QStringLiteral("T"), QStringLiteral("T")), ok, error);
        EXPECT_FALSE(ok);
        const QStringList reports = error.split(QStringLiteral("\r\n"));
        ASSERT_EQ(reports.size(), c.reports.size()) << qPrintable(error);
        for (int i = 0; i < reports.size(); ++i)
            EXPECT_TRUE(reports[i].startsWith(c.reports[i])) << qPrintable(reports[i]);
        EXPECT_EQ(rows.rowsStored(), c.stored);
        EXPECT_EQ(servers->targetRows(QStringLiteral("T")).size(), c.stored);
    }
}

} // namespace
