// The conversion steps on the real OCI target layer: table definition,
// probe, drop and keys, and the row transfer in its batches, with the model
// SQL Server as source and the stand-in client in front of the model Oracle.

#include "support/DboTable.h"
#include "OciTestBed.h"
#include "convert/RowTransfer.h"
#include "support/FakeHost.h"
#include "support/ModelServers.h"

#include <gtest/gtest.h>

namespace {

using tw::SqlValue;

struct OciConversionSteps : ::testing::Test {
    ModelServers source;
    OciTestBed bed;
    std::unique_ptr<tw::OciTargetConnection> target;
    tw::Tcc cc;
    tw::RunLog log;
    FakeHost host;
    bool ok = false;
    QString error;

    // The batches applied while the next is copied never use the session
    // at the same time as the copy.
    void TearDown() override { EXPECT_EQ(bed.calls().filter(QStringLiteral("CONCURRENT")), QStringList()); }

    void connect()
    {
        source.connect();
        target = bed.connect();
    }

    void copy(const QString& table)
    {
        cc.CreateOracleTable(*source.query, *target, dboTable(table, table), true, ok, error);
        ASSERT_TRUE(ok) << qPrintable(error);
        auto writer = target->createRowWriter();
        log.append(QStringLiteral("Insert table %1... ").arg(table));
        tw::RowTransfer transfer(*source.query, *writer, log, cc, host);
        transfer.run(dboTable(table, table), ok, error);
    }

    // The iteration counts of the array inserts, in order.
    QStringList insertIterations()
    {
        QStringList iterations;
        for (const QString& line : bed.executes(QStringLiteral("insert into")))
            iterations.append(line.section(QLatin1Char(' '), 1, 1));
        return iterations;
    }
};

TEST_F(OciConversionSteps, TableDefinitionProbeKeysAndDrop)
{
    source.sourceDb.table(QStringLiteral("Orders"))
        .column(QStringLiteral("OrderID"), QStringLiteral("int"), false)
        .column(QStringLiteral("Customer Name"), QStringLiteral("nvarchar(40)"))
        .column(QStringLiteral("Price"), QStringLiteral("decimal(10,2)"))
        .column(QStringLiteral("Shipped"), QStringLiteral("datetime"))
        .primaryKey(QStringLiteral("PK_Orders"), {QStringLiteral("OrderID")})
        .index(QStringLiteral("IX_Shipped"), {QStringLiteral("Shipped")});
    connect();

    cc.CreateOracleTable(*source.query, *target, dboTable(QStringLiteral("ORDERS"), QStringLiteral("ORDERS")), true, ok, error);
    ASSERT_TRUE(ok) << qPrintable(error);
    cc.CreateOracleIndexes(*source.query, *target, dboTable(QStringLiteral("ORDERS"), QStringLiteral("ORDERS")), true, ok, error);
    ASSERT_TRUE(ok) << qPrintable(error);
    const peers::ModelOracle oracle = bed.target();
    const auto columns = oracle.columns(QStringLiteral("SCOTT"), QStringLiteral("ORDERS"));
    ASSERT_EQ(columns.size(), 4);
    EXPECT_EQ(columns[1].name, QStringLiteral("CUSTOMER_NAME"));
    EXPECT_EQ(columns[2].precision, 12);
    EXPECT_EQ(columns[2].scale, 2);
    EXPECT_EQ(oracle.constraints(QStringLiteral("SCOTT"), QStringLiteral("ORDERS")).size(), 1);
    EXPECT_EQ(oracle.indexes(QStringLiteral("SCOTT"), QStringLiteral("ORDERS")).size(), 2);

    EXPECT_TRUE(cc.OracleTableExists(*target, QStringLiteral("ORDERS"), QStringLiteral("scott")));
    EXPECT_FALSE(cc.OracleTableExists(*target, QStringLiteral("Orders"), QStringLiteral("scott")));

    // A table that exists already is refused; the error text holds Oracle's
    // message and the statement.
    cc.CreateOracleTable(*source.query, *target, dboTable(QStringLiteral("Orders"), QStringLiteral("ORDERS")), true, ok, error);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(error.startsWith(
        QStringLiteral("ORA-00955: name is already used by an existing object\r\nCreate table \"ORDERS\" (\r\n")))
        << qPrintable(error);

    cc.DropOracleTable(*target, QStringLiteral("ORDERS"), ok, error);
    EXPECT_TRUE(ok) << qPrintable(error);
    EXPECT_FALSE(cc.OracleTableExists(*target, QStringLiteral("ORDERS"), QStringLiteral("SCOTT")));
}

TEST_F(OciConversionSteps, TwelveThousandRowsCommitInTheRunsBatchesWithOneExecuteEach)
{
    auto& table = source.sourceDb.table(QStringLiteral("T"))
                      .column(QStringLiteral("N"), QStringLiteral("int"))
                      .column(QStringLiteral("Name"), QStringLiteral("nvarchar(20)"));
    for (int i = 1; i <= 12345; ++i)
        table.row({i, QStringLiteral("row %1").arg(i)});
    connect();
    bed.clearCalls();

    copy(QStringLiteral("T"));
    ASSERT_TRUE(ok) << qPrintable(error);
    EXPECT_EQ(insertIterations(), QStringList({"iters=100", "iters=5000", "iters=5000", "iters=2245"}));
    // One round trip per batch: its execute, which commits on success; the
    // table is described once, however often the writer is reopened.
    EXPECT_EQ(bed.executes(QStringLiteral("insert into")).filter(QStringLiteral("mode=32 ")).size(), 4);
    EXPECT_EQ(bed.calls().filter(QStringLiteral("COMMIT")).size(), 4);
    EXPECT_EQ(bed.executes(QStringLiteral("select * from \"T\" where 1=0")).size(), 1);
    EXPECT_EQ(bed.targetRows(QStringLiteral("T")), source.sourceDb.table(QStringLiteral("T")).rows());
    EXPECT_EQ(log.lines().last(), QStringLiteral("Insert table T 12345 Rows "));
}

TEST_F(OciConversionSteps, ARefusedRowLosesOnlyItsBatchAndIsReported)
{
    auto& table = source.sourceDb.table(QStringLiteral("T")).column(QStringLiteral("N"), QStringLiteral("int"));
    for (int i = 1; i <= 12345; ++i)
        table.row({i});
    connect();
    bed.refuseRow(5050);

    copy(QStringLiteral("T"));
    EXPECT_EQ(error, QStringLiteral("Rows 101 to 5100 were not stored (5000 rows refused): row 5,050: "
                                    "ORA-00001: unique constraint (STUB.REFUSED_ROW) violated"));
    EXPECT_EQ(bed.calls().filter(QStringLiteral("ROLLBACK")).size(), 1);
    const auto rows = bed.targetRows(QStringLiteral("T"));
    ASSERT_EQ(rows.size(), 12345 - 5000);
    EXPECT_EQ(rows[99], QVector<SqlValue>{100});
    EXPECT_EQ(rows[100], QVector<SqlValue>{5101});
    EXPECT_EQ(rows.last(), QVector<SqlValue>{12345});
}

} // namespace

namespace {

// A batch applied while the next rows are read fails when the connection
// is lost: the copy ends with every row read since the last commit named
// as not stored, and the batches after it are not sent.
TEST_F(OciConversionSteps, ALostConnectionEndsTheCopyNamingEveryRowNotStored)
{
    auto& table = source.sourceDb.table(QStringLiteral("T")).column(QStringLiteral("N"), QStringLiteral("int"));
    for (int i = 1; i <= 12345; ++i)
        table.row({i});
    connect();
    bed.clearCalls();
    bed.dropConnectionAfter(4);  // create, describe and two batches

    copy(QStringLiteral("T"));
    EXPECT_FALSE(ok);
    EXPECT_EQ(error, QStringLiteral("Rows 5101 to 12345 were not stored: ORA-03113: end-of-file on communication "
                                    "channel"));
    EXPECT_EQ(insertIterations(), QStringList({"iters=100", "iters=5000", "iters=5000"}));
}

} // namespace
