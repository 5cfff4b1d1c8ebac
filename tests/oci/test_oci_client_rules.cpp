// What Oracle's documentation says the client must do, through the real OCI
// layer and a stand-in that follows the same documents: values that the
// session's NLS settings cannot change, LONG and LOB columns in one table,
// no commit of unfinished work when the session ends, and batches sent in
// parts inside one transaction.

#include "OciTestBed.h"
#include "db/oci/OciRowWriter.h"
#include "support/FailureOf.h"
#include "support/Printers.h"

#include <gtest/gtest.h>

namespace {

using tw::SqlValue;

struct OciClientRules : ::testing::Test {
    OciTestBed bed;
    std::unique_ptr<tw::OciTargetConnection> connection;
    std::unique_ptr<tw::RowWriter> writer;

    void open(const QString& table, qint64 heldBytesBudget = tw::oci::OciRowWriter::kDefaultHeldBytesBudget)
    {
        if (!connection)
            connection = bed.connect();
        writer = connection->createRowWriter();
        dynamic_cast<tw::oci::OciRowWriter&>(*writer).setHeldBytesBudget(heldBytesBudget);
        writer->setCommandText(QStringLiteral("select * from \"%1\" where 1=0").arg(table));
        writer->open();
    }

    void addRow(const QVector<SqlValue>& values)
    {
        writer->append();
        for (int i = 0; i < values.size(); ++i)
            writer->setFieldValue(i, values[i]);
        writer->post();
    }
};

TEST_F(OciClientRules, TimestampsIntervalsRawAndBinaryFloatsArriveExactlyWhateverTheClientsNls)
{
    // A German client: decimal comma and a timestamp format of its own.
    qputenv("NLS_LANG", "GERMAN_GERMANY.AL32UTF8");
    qputenv("NLS_NUMERIC_CHARACTERS", ",.");
    qputenv("NLS_TIMESTAMP_FORMAT", "DD.MM.RR HH24:MI:SSXFF");
    qputenv("NLS_TIMESTAMP_TZ_FORMAT", "DD.MM.RR HH24:MI:SSXFF TZR");
    bed.createStubTable(QStringLiteral("NLS"), QStringLiteral("ID NUMBER, TS TIMESTAMP(6), BD BINARY_DOUBLE, "
                                                              "BF BINARY_FLOAT, N NUMBER, TZ TIMESTAMP(7) WITH TIME ZONE, "
                                                              "IV INTERVAL DAY(0) TO SECOND(7), R RAW(8)"));
    connection = bed.connect();
    for (const char* name : {"NLS_LANG", "NLS_NUMERIC_CHARACTERS", "NLS_TIMESTAMP_FORMAT", "NLS_TIMESTAMP_TZ_FORMAT"})
        qunsetenv(name);
    open(QStringLiteral("NLS"));

    const QByteArray raw = QByteArray::fromHex("00ff7f8001020304");
    const struct {
        QVector<SqlValue> values;
        QString stored;
    } rows[] = {
        {{1, QStringLiteral("2024-02-29 23:59:59.123456"), QStringLiteral("1.5"), 0.25, SqlValue::decimal("12.5"),
          QStringLiteral("2024-02-29 23:59:59.1234567 +05:30"), QStringLiteral("23:59:59.9999999"), raw},
         QStringLiteral("1\t2024-02-29 23:59:59.123456\t1.5\t0.25\t12.5\t2024-02-29 23:59:59.1234567 +05:30\t"
                        "+00 23:59:59.9999999\t00ff7f8001020304")},
        {{2, SqlValue::dateTime(2024, 2, 29, 23, 59, 58, 997), 1.5, QStringLiteral("-2.5"), 7,
          QStringLiteral("9999-12-31 23:59:59.9999999 +14:00"), QStringLiteral("00:00:00.0000000"), QByteArray(1, '\0')},
         QStringLiteral("2\t2024-02-29 23:59:58.997000\t1.5\t-2.5\t7\t9999-12-31 23:59:59.9999999 +14:00\t"
                        "+00 00:00:00.0000000\t00")},
        {{3, QStringLiteral("2000-01-01"), SqlValue(qint64(1) << 53), true, {},
          QStringLiteral("0001-01-01 00:00:00.0000000 -00:30"), QStringLiteral("12:30:00"), {}},
         QStringLiteral("3\t2000-01-01 00:00:00.000000\t9007199254740992\t1\tNULL\t0001-01-01 00:00:00.0000000 -00:30\t"
                        "+00 12:30:00.0000000\tNULL")},
        {{4, QStringLiteral("1999-12-31T08:00:00.1234564"), 0.1, {}, {}, {}, {}, {}},
         QStringLiteral("4\t1999-12-31 08:00:00.123456\t0.1\tNULL\tNULL\tNULL\tNULL\tNULL")},
    };
    for (const auto& row : rows)
        addRow(row.values);
    const tw::ApplyResult result = writer->applyUpdates();
    EXPECT_EQ(result.stored, 4) << qPrintable(result.message);
    QStringList expected;
    for (const auto& row : rows)
        expected.append(row.stored);
    EXPECT_EQ(bed.stubTableRows(QStringLiteral("NLS")), expected);

    writer->append();
    EXPECT_FALSE(failureOf([&] { writer->setFieldValue(1, QStringLiteral("29.02.2024")); }).isEmpty());
    EXPECT_FALSE(failureOf([&] { writer->setFieldValue(2, QStringLiteral("1,5")); }).isEmpty());
}

TEST_F(OciClientRules, ATableWithALongAndLobColumnsTakesLargeValuesInEveryColumn)
{
    // E is a VARCHAR2 of an extended-string database: its binds may be long
    // too and must not come before the short ones.
    const QString wide(4500, QLatin1Char('e'));
    const QString text5000(5000, QLatin1Char('l'));
    const QString umlauts(3000, QChar(0x00FC));  // 6000 bytes in UTF-8
    const QByteArray bytes(7000, '\x5a');
    for (const QString& longType : {QStringLiteral("LONG"), QStringLiteral("LONG RAW")}) {
        SCOPED_TRACE(qPrintable(longType));
        const bool raw = longType == QLatin1String("LONG RAW");
        const SqlValue longValue = raw ? SqlValue(QByteArray(5000, '\x01')) : SqlValue(text5000);
        const QString longStored = raw ? QString::fromLatin1(QByteArray(5000, '\x01').toHex()) : text5000;
        bed.createStubTable(QStringLiteral("DOCS"),
                            QStringLiteral("E VARCHAR2(32767), L %1, C CLOB, B BLOB, ID NUMBER").arg(longType));
        open(QStringLiteral("DOCS"));
        addRow({wide, longValue, umlauts, bytes, 1});
        addRow({QStringLiteral("e"), {}, QStringLiteral("short"), QByteArray("\x01\x02", 2), 2});
        addRow({{}, longValue, {}, {}, 3});
        const tw::ApplyResult result = writer->applyUpdates();
        EXPECT_EQ(result.stored, 3) << qPrintable(result.message);
        EXPECT_EQ(bed.stubTableRows(QStringLiteral("DOCS")),
                  QStringList({QStringLiteral("%1\t%2\t%3\t%4\t1")
                                   .arg(wide, longStored, umlauts, QString::fromLatin1(bytes.toHex())),
                               QStringLiteral("e\tNULL\tshort\t0102\t2"),
                               QStringLiteral("NULL\t%1\tNULL\tNULL\t3").arg(longStored)}));
    }
}

TEST_F(OciClientRules, WorkNoFinishedBatchCommittedIsNotStoredWhenTheSessionEnds)
{
    enum class End { CloseWriterThenApplyAnother, StatementThenApply, CloseConnection, DestroyConnection };
    const struct {
        const char* name;
        bool sentMidBatch;  // else: a refused batch whose rollback failed
        int failingRollbacks;
        End end;
        QVector<QVector<SqlValue>> stored;
    } cases[] = {
        {"rows sent mid-batch, writer closed", true, 0, End::CloseWriterThenApplyAnother, {{99, {}}}},
        {"rows sent mid-batch, then a table definition", true, 0, End::StatementThenApply, {}},
        {"rows sent mid-batch, connection closed", true, 0, End::CloseConnection, {}},
        {"rows sent mid-batch, connection destroyed", true, 0, End::DestroyConnection, {}},
        {"rollback of a refused batch failed once", false, 1, End::CloseConnection, {}},
        {"every rollback fails", false, 100, End::CloseConnection, {}},
    };
    int number = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString table = QStringLiteral("M%1").arg(++number);
        connection = bed.connect();
        OciTestBed::execute(*connection, QStringLiteral("Create table \"%1\" (\"ID\" NUMBER(10,0), \"B\" BLOB)").arg(table));
        open(table, 10000);
        bed.clearCalls();
        if (c.sentMidBatch) {
            for (int i = 1; i <= 25; ++i)
                addRow({i, QByteArray(1000, 'x')});
            ASSERT_FALSE(bed.executes(QStringLiteral("insert into")).isEmpty());
        } else {
            // The second row is refused after the first was inserted.
            bed.refuseRow(2);
            bed.failRollbacks(c.failingRollbacks);
            addRow({1, {}});
            addRow({2, {}});
            EXPECT_FALSE(failureOf([&] { writer->applyUpdates(); }).isEmpty());
        }
        switch (c.end) {
        case End::CloseWriterThenApplyAnother:
            writer->close();
            writer->open();
            addRow({99, {}});
            EXPECT_EQ(writer->applyUpdates().stored, 1);
            connection->close();
            break;
        case End::StatementThenApply:
            // DDL commits the open transaction: the layer rolls back first,
            // and the batch then knows its first part is gone.
            OciTestBed::execute(*connection, QStringLiteral("Create table \"%1X\" (\"ID\" NUMBER)").arg(table));
            EXPECT_EQ(writer->applyUpdates().refused, 25);
            connection->close();
            break;
        case End::CloseConnection:
            connection->close();
            break;
        case End::DestroyConnection:
            writer.reset();
            connection.reset();
            break;
        }
        bed.failRollbacks(0);
        EXPECT_EQ(bed.targetRows(table), c.stored);
        writer.reset();
        connection.reset();
    }
}

TEST_F(OciClientRules, LargeBatchesGoInPartsAndAreCommittedOrRefusedWhole)
{
    connection = bed.connect();
    OciTestBed::execute(*connection, QStringLiteral("Create table \"M\" (\"ID\" NUMBER(10,0), \"B\" BLOB)"));
    open(QStringLiteral("M"), 10000);
    bed.clearCalls();
    for (int i = 1; i <= 25; ++i)
        addRow({i, QByteArray(1000, 'x')});
    EXPECT_EQ(writer->pendingCount(), 25);
    EXPECT_EQ(writer->applyUpdates().stored, 25);
    QStringList iterations;
    for (const QString& line : bed.executes(QStringLiteral("insert into")))
        iterations.append(line.section(QLatin1Char(' '), 1, 1));
    EXPECT_EQ(iterations, QStringList({"iters=10", "iters=10", "iters=5"}));
    EXPECT_EQ(bed.calls().filter(QStringLiteral("COMMIT")).size(), 1);
    EXPECT_EQ(bed.targetRows(QStringLiteral("M")).size(), 25);

    // Row 17 of the next batch is refused in its second part: the first
    // part is rolled back with it and the third is never sent.
    bed.clearCalls();
    bed.refuseRow(17);
    for (int i = 1; i <= 25; ++i)
        addRow({100 + i, QByteArray(1000, 'y')});
    const tw::ApplyResult refused = writer->applyUpdates();
    EXPECT_EQ(refused.stored, 0);
    EXPECT_EQ(refused.refused, 25);
    EXPECT_EQ(refused.refusedRow, 17);
    EXPECT_EQ(refused.message, QStringLiteral("ORA-00001: unique constraint (STUB.REFUSED_ROW) violated"));
    EXPECT_EQ(bed.executes(QStringLiteral("insert into")).size(), 2);
    EXPECT_EQ(bed.calls().filter(QStringLiteral("COMMIT")).size(), 0);
    EXPECT_EQ(bed.targetRows(QStringLiteral("M")).size(), 25);

    // With the good rows kept, the refused rows of every part are counted
    // from the batch's first row, and the one commit stores the others.
    writer->setKeepGoodRows(true);
    bed.clearCalls();
    bed.refuseRow(7);
    for (int i = 1; i <= 25; ++i)
        addRow({200 + i, QByteArray(1000, 'z')});
    const tw::ApplyResult kept = writer->applyUpdates();
    EXPECT_EQ(std::tie(kept.stored, kept.refused), std::make_tuple(24, 1));
    const QString duplicate = QStringLiteral("ORA-00001: unique constraint (STUB.REFUSED_ROW) violated");
    EXPECT_EQ(kept.refusedRows, (QVector<tw::RefusedRow>{{7, duplicate}}));
    EXPECT_EQ(bed.executes(QStringLiteral("insert into")).size(), 3);
    EXPECT_EQ(bed.calls().filter(QStringLiteral("COMMIT")).size(), 1);
    EXPECT_EQ(bed.targetRows(QStringLiteral("M")).size(), 49);

    bed.refuseRow(17);
    for (int i = 1; i <= 25; ++i)
        addRow({300 + i, QByteArray(1000, 'w')});
    EXPECT_EQ(writer->applyUpdates().refusedRows, (QVector<tw::RefusedRow>{{17, duplicate}}));
    EXPECT_EQ(bed.targetRows(QStringLiteral("M")).size(), 73);
}

// The stand-in's measuring tables judge values by their bytes; they must
// refuse exactly what a table that keeps its rows refuses.
TEST_F(OciClientRules, ADiscardingTableRefusesWhatAKeepingTableRefuses)
{
    const QString columns = QStringLiteral("N NUMBER, D DATE, S VARCHAR2(5)");
    bed.createStubTable(QStringLiteral("KEPT"), columns);
    bed.createStubTable(QStringLiteral("CHECKED"), columns, true);
    const struct {
        QVector<SqlValue> values;
        bool refused;
    } rows[] = {
        {{7, SqlValue::dateTime(2024, 2, 29, 23, 59, 58), QStringLiteral("abcde")}, false},
        {{SqlValue::decimal("-12.5"), SqlValue::dateTime(1, 1, 1), SqlValue()}, false},
        {{SqlValue(), SqlValue(), QStringLiteral("äbcd")}, false},
        {{SqlValue(), SqlValue(), QStringLiteral("äbcde")}, true},
    };
    for (const auto& row : rows) {
        QStringList outcomes;
        for (const QString& table : {QStringLiteral("KEPT"), QStringLiteral("CHECKED")}) {
            open(table);
            addRow(row.values);
            const tw::ApplyResult result = writer->applyUpdates();
            EXPECT_EQ(result.refused > 0, row.refused) << table.toStdString() << ": " << result.message.toStdString();
            outcomes.append(result.message);
        }
        EXPECT_EQ(outcomes[0], outcomes[1]);
    }
    EXPECT_EQ(bed.stubTableRows(QStringLiteral("KEPT")).size(), 3);
    EXPECT_EQ(bed.stubTableReceived(QStringLiteral("CHECKED")), 3);
}

} // namespace

// OCI_COMMIT_ON_SUCCESS commits the transaction after an execute that
// completes successfully (OCI Programmer's Guide, OCIStmtExecute): not
// after a refused row, nor after a batch-error execute that refused rows
// (OCI_SUCCESS_WITH_INFO). The commit is recorded after the execute.
TEST_F(OciClientRules, CommitOnSuccessCommitsOnlyAnExecuteThatSucceeds)
{
    using namespace tw::oci;
    const struct {
        const char* name;
        ub4 mode;
        int refusedRow;
        sword status;
        int committedRows;
    } cases[] = {
        {"commit on success", OCI_COMMIT_ON_SUCCESS, 0, OCI_SUCCESS, 3},
        {"a refused row", OCI_COMMIT_ON_SUCCESS, 2, OCI_ERROR, 0},
        {"batch errors", OCI_BATCH_ERRORS | OCI_COMMIT_ON_SUCCESS, 2, OCI_SUCCESS_WITH_INFO, 0},
        {"default mode", OCI_DEFAULT, 0, OCI_SUCCESS, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        connection = bed.connect();
        OciTestBed::execute(*connection, QStringLiteral("create table C (ID NUMBER)"));
        bed.clearCalls();
        bed.refuseRow(c.refusedRow);
        OciStatement insert(connection->session(), QStringLiteral("insert into C values (1)"));
        EXPECT_EQ(insert.execute(3, c.mode), c.status);
        const QStringList calls = bed.calls();
        EXPECT_EQ(calls.filter(QStringLiteral("COMMIT")).size(), c.committedRows > 0 ? 1 : 0);
        if (c.committedRows > 0) {
            EXPECT_TRUE(calls.last() == QStringLiteral("COMMIT") && calls[calls.size() - 2].startsWith("EXECUTE"));
        }
        connection->session()->rollback();
        connection->close();
        EXPECT_EQ(bed.targetRows(QStringLiteral("C")).size(), c.committedRows);
        connection = bed.connect();
        OciTestBed::execute(*connection, QStringLiteral("drop table C"));
    }
}
