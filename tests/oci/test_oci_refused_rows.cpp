// Rows that Oracle refuses, through the real OCI layer and the stand-in
// client: 12,345 rows merged into a table that refuses rows 17 (a text too
// long for its column), 5,050 (a duplicate key) and 12,000 (a number beyond
// its column's precision). Without the option each refusal costs its batch;
// with it only the three rows are missing, and they are in the reject file.

#include "OciTestBed.h"
#include "convert/ConversionRun.h"
#include "db/oci/OciRowWriter.h"
#include "support/FakeHost.h"
#include "support/ModelServers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using tw::SqlValue;

const QString kRejects = QStringLiteral(
    "table,row,error,ID,Payee,Amount\r\n"
    "PAYMENTS,17,\"ORA-12899: value too large for column \"\"SCOTT\"\".\"\"PAYMENTS\"\".\"\"PAYEE\"\" "
    "(actual: 21, maximum: 10)\",17,\"Longer, \"\"quoted\"\" name\",17\r\n"
    "PAYMENTS,5050,ORA-00001: unique constraint (SCOTT.PK_PAYMENTS) violated,5049,P5050,\r\n"
    "PAYMENTS,12000,ORA-01438: value larger than specified precision allowed for this column,"
    "12000,P12000,123456\r\n");

struct OciRefusedRows : ::testing::Test {
    // The batches applied while the next is copied never use the session
    // at the same time as the copy.
    void TearDown() override { EXPECT_EQ(bed.calls().filter(QStringLiteral("CONCURRENT")), QStringList()); }

    ModelServers source;
    OciTestBed bed;
    std::unique_ptr<tw::OciTargetConnection> target;
    std::unique_ptr<tw::RowWriter> writer;
    tw::Tcc cc;
    tw::RunLog log;
    FakeHost host;
    QTemporaryDir folder;

    void SetUp() override
    {
        auto& payments = source.sourceDb.table(QStringLiteral("Payments"))
                             .column(QStringLiteral("ID"), QStringLiteral("int"))
                             .column(QStringLiteral("Payee"), QStringLiteral("nvarchar(40)"))
                             .column(QStringLiteral("Amount"), QStringLiteral("int"));
        for (int i = 1; i <= 12345; ++i) {
            if (i == 17)
                payments.row({i, QStringLiteral("Longer, \"quoted\" name"), i});
            else if (i == 5050)
                payments.row({5049, QStringLiteral("P5050"), SqlValue()});
            else
                payments.row({i, QStringLiteral("P%1").arg(i), i == 12000 ? 123456 : i % 1000});
        }
        source.connect();
        target = bed.connect();
        OciTestBed::execute(*target, QStringLiteral("Create table \"PAYMENTS\" (\"ID\" NUMBER(10,0), "
                                                    "\"PAYEE\" VARCHAR2(10), \"AMOUNT\" NUMBER(5,0))"));
        OciTestBed::execute(*target,
                            QStringLiteral("alter table PAYMENTS add constraint PK_PAYMENTS primary key (ID)"));
        writer = target->createRowWriter();
        host.tables = {QStringLiteral("Payments")};
        host.mode = 1;  // Merge into the table above
        host.dataFolder = folder.path() + QLatin1Char('/');
    }

    tw::TableSummary run()
    {
        tw::ConversionRun conversion(host, cc, *source.query, *target, *writer, log);
        EXPECT_EQ(conversion.run(), tw::ConversionRun::Outcome::Completed);
        EXPECT_EQ(conversion.failedTables(), 1);
        return conversion.summary().value(0);
    }

    // The table's block of the log: from its insert line to the line before
    // the closing caption.
    QStringList tableBlock() const
    {
        const QStringList& lines = log.lines();
        return lines.mid(1, lines.indexOf(QStringLiteral("Conversion is Completed")) - 1);
    }

    QStringList files() const { return QDir(folder.path()).entryList(QDir::Files, QDir::Name); }

    QString rejectFile(const QString& name) const
    {
        QFile file(folder.filePath(name));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QStringLiteral("(missing)");
    }
};

TEST_F(OciRefusedRows, WithoutTheOptionEachRefusalCostsItsWholeBatchAsBefore)
{
    const tw::TableSummary table = run();
    EXPECT_EQ(tableBlock(),
              (QStringList{
                  QStringLiteral("Insert table PAYMENTS 12345 Rows "),
                  QStringLiteral("Rows 1 to 100 were not stored (100 rows refused): row 17: ORA-12899: value too large "
                                 "for column \"SCOTT\".\"PAYMENTS\".\"PAYEE\" (actual: 21, maximum: 10)"),
                  QStringLiteral("Rows 101 to 5100 were not stored (5000 rows refused): row 5,050: ORA-00001: unique "
                                 "constraint (SCOTT.PK_PAYMENTS) violated"),
                  QStringLiteral("Rows 10101 to 12345 were not stored (2245 rows refused): row 12,000: ORA-01438: value "
                                 "larger than specified precision allowed for this column"),
                  QString(),
              }));
    EXPECT_EQ(std::tie(table.read, table.stored, table.refused), std::make_tuple(12345, 5000, 7345));
    EXPECT_EQ(bed.targetRows(QStringLiteral("PAYMENTS")).size(), 5000);
    // Each batch's commit rides on its execute (OCI_COMMIT_ON_SUCCESS).
    EXPECT_EQ(bed.executes(QStringLiteral("insert into")).filter(QStringLiteral("mode=32")).size(), 4);
    EXPECT_EQ(files().size(), 1);  // the log alone
}

TEST_F(OciRefusedRows, WithTheOptionOnlyTheRefusedRowsAreMissingAndGoToTheRejectFile)
{
    host.keepGood = true;
    bed.clearCalls();
    const tw::TableSummary table = run();

    // The reject file is named after the log, beside it.
    const QStringList saved = files();
    ASSERT_EQ(saved.size(), 2) << qPrintable(saved.join(QLatin1Char(' ')));
    const QString logName = saved.filter(QStringLiteral(".log")).value(0);
    const QString rejectName = logName.chopped(4) + QStringLiteral(".rejects.csv");
    EXPECT_EQ(saved, (QStringList{logName, rejectName}));
    EXPECT_EQ(tableBlock(), (QStringList{
                                QStringLiteral("Insert table PAYMENTS 12345 Rows "),
                                QStringLiteral("Rows 1 to 100: 1 rows refused, see %1").arg(rejectName),
                                QStringLiteral("Rows 101 to 5100: 1 rows refused, see %1").arg(rejectName),
                                QStringLiteral("Rows 10101 to 12345: 1 rows refused, see %1").arg(rejectName),
                                QString(),
                            }));
    // Stored and refused are exact, and the count check found the rows
    // stored (it adds no line).
    EXPECT_EQ(std::tie(table.read, table.stored, table.refused), std::make_tuple(12345, 12342, 3));
    EXPECT_EQ(table.outcome, tw::TableSummary::Outcome::Failed);
    const auto rows = bed.targetRows(QStringLiteral("PAYMENTS"));
    ASSERT_EQ(rows.size(), 12342);
    EXPECT_EQ(rows[15], (QVector<SqlValue>{16, QStringLiteral("P16"), 16}));
    EXPECT_EQ(rows[16], (QVector<SqlValue>{18, QStringLiteral("P18"), 18}));

    EXPECT_EQ(rejectFile(rejectName), kRejects);

    // Batch error mode costs a clean batch nothing: one execute that
    // commits on success, as without the option (OCI_BATCH_ERRORS |
    // OCI_COMMIT_ON_SUCCESS); a batch with refused rows is committed by a
    // call of its own.
    const QStringList inserts = bed.executes(QStringLiteral("insert into"));
    EXPECT_EQ(inserts.size(), 4);
    EXPECT_EQ(inserts.filter(QStringLiteral("mode=160")).size(), 4);
    EXPECT_EQ(inserts.filter(QStringLiteral("refused=1")).size(), 3);
    EXPECT_EQ(bed.calls().filter(QStringLiteral("COMMIT")).size(), 4);
    EXPECT_EQ(bed.calls().filter(QStringLiteral("ROLLBACK")).size(), 0);
}

// A writer that sends its rows in parts before the apply, to bound its
// memory, lets go of the kept values of the rows sent, except those of the
// rows refused among them.
TEST_F(OciRefusedRows, RowsSentInPartsBeforeTheApplyKeepTheValuesOfTheirRefusedRows)
{
    host.keepGood = true;
    dynamic_cast<tw::oci::OciRowWriter&>(*writer).setHeldBytesBudget(20000);
    bed.clearCalls();
    const tw::TableSummary table = run();
    EXPECT_EQ(std::tie(table.stored, table.refused), std::make_tuple(12342, 3));
    EXPECT_GT(bed.executes(QStringLiteral("insert into")).size(), 12);
    EXPECT_EQ(bed.calls().filter(QStringLiteral("COMMIT")).size(), 4);
    EXPECT_EQ(rejectFile(files().filter(QStringLiteral(".rejects.csv")).value(0)), kRejects);
}

} // namespace
