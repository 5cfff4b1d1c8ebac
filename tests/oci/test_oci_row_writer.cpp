// The OCI row writer: describe, value conversion and binding, one array
// execute per apply, refused batches and a lost connection, through the
// stand-in client.

#include "OciTestBed.h"
#include "db/Failure.h"
#include "support/FailureOf.h"
#include "support/Printers.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using tw::SqlValue;

struct OciRowWriterTest : ::testing::Test {
    OciTestBed bed;
    std::unique_ptr<tw::OciTargetConnection> connection;
    std::unique_ptr<tw::RowWriter> writer;

    void SetUp() override
    {
        connection = bed.connect();
        OciTestBed::execute(*connection, QStringLiteral(
            "Create table \"V\" (\"ID\" NUMBER(10,0), \"B\" BLOB, \"DEC\" NUMBER(38,10), \"BIG\" NUMBER(19,0), "
            "\"AMOUNT\" NUMBER, \"D\" date, \"TXT\" varchar2(200), \"G\" BLOB, \"FLAG\" NUMBER(3))"));
        writer = connection->createRowWriter();
    }

    void openOn(const QString& table)
    {
        writer->setCommandText(QStringLiteral("select * from \"%1\" where 1=0").arg(table));
        writer->open();
    }

    void addRow(const QVector<QPair<QString, SqlValue>>& fields)
    {
        writer->append();
        for (const auto& field : fields)
            writer->setFieldValue(field.first, field.second);
        writer->post();
    }
};

TEST_F(OciRowWriterTest, OpenDescribesTheTableColumnsOncePerCommandAndSession)
{
    const QString describe = QStringLiteral("select * from \"V\" where 1=0");
    openOn(QStringLiteral("V"));
    EXPECT_EQ(writer->fieldNames(), QStringList({"ID", "B", "DEC", "BIG", "AMOUNT", "D", "TXT", "G", "FLAG"}));
    EXPECT_EQ(writer->pendingCount(), 0);
    EXPECT_EQ(bed.executes(describe).first().left(23), QStringLiteral("EXECUTE iters=0 mode=16"));

    // Reopening reuses the description; a command set again, or another
    // session, describes anew.
    const struct {
        const char* step;
        std::function<void()> reopen;
        int describes;
    } steps[] = {
        {"reopen", [&] { writer->close(); writer->open(); }, 1},
        {"same text set again", [&] { writer->close(); openOn(QStringLiteral("V")); }, 2},
        {"new session", [&] { writer->close(); connection->open(); writer->open(); }, 3},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.step);
        step.reopen();
        addRow({{"ID", 1}});
        EXPECT_EQ(writer->applyUpdates().stored, 1);
        EXPECT_EQ(bed.executes(describe).size(), step.describes);
    }

    writer->setCommandText(QStringLiteral("select * from \"Missing\" where 1=0"));
    EXPECT_EQ(failureOf([&] { writer->open(); }), QStringLiteral("ORA-00942: table or view does not exist"));
}

TEST_F(OciRowWriterTest, EveryValueKindArrivesExactly)
{
    QByteArray mebibyte(1024 * 1024, '\0');
    for (int i = 0; i < mebibyte.size(); ++i)
        mebibyte[i] = char(i * 7 % 251);
    const QString unicode = QStringLiteral("Grüße, 中文, 😀, Ω");
    openOn(QStringLiteral("V"));
    addRow({{"id", 1},
            {"DEC", SqlValue::decimal(QStringLiteral("1234567890123456789012345678.0123456789"))},
            {"Big", SqlValue(std::numeric_limits<qint64>::min())},
            {"AMOUNT", SqlValue::decimal(QStringLiteral("-922337203685477.5808"))},
            {"D", SqlValue::dateTime(2024, 2, 29, 23, 59, 58, 997)},
            {"TXT", unicode},
            {"B", mebibyte},
            {"G", QStringLiteral("{6F9619FF-8B86-D011-B42D-00C04FC964FF}")},
            {"FLAG", QStringLiteral("1")}});
    addRow({{"ID", 2}});
    addRow({{"ID", 3},
            {"DEC", SqlValue::decimal(QStringLiteral("-0.0000000001"))},
            {"BIG", SqlValue(std::numeric_limits<qint64>::max())},
            {"AMOUNT", 0.1},
            {"D", QStringLiteral("2000-01-01")},
            {"TXT", QString()},
            {"B", QByteArray()},
            {"FLAG", false}});
    const tw::ApplyResult result = writer->applyUpdates();
    EXPECT_EQ(result.stored, 3);
    EXPECT_EQ(result.refused, 0);
    EXPECT_EQ(writer->pendingCount(), 0);

    const auto rows = bed.targetRows(QStringLiteral("V"));
    ASSERT_EQ(rows.size(), 3);
    const QVector<SqlValue> first{1,
                                  mebibyte,
                                  SqlValue::decimal(QStringLiteral("1234567890123456789012345678.0123456789")),
                                  SqlValue(std::numeric_limits<qint64>::min()),
                                  SqlValue::decimal(QStringLiteral("-922337203685477.5808")),
                                  SqlValue::dateTime(2024, 2, 29, 23, 59, 58),
                                  unicode,
                                  QByteArray("{6F9619FF-8B86-D011-B42D-00C04FC964FF}"),
                                  1};
    EXPECT_EQ(rows[0], first);
    EXPECT_EQ(rows[1], QVector<SqlValue>({2, {}, {}, {}, {}, {}, {}, {}, {}}));
    // Oracle keeps an empty string and an empty byte string as NULL.
    const QVector<SqlValue> third{3, {}, SqlValue::decimal(QStringLiteral("-0.0000000001")),
                                  SqlValue(std::numeric_limits<qint64>::max()), SqlValue::decimal(QStringLiteral("0.1")),
                                  SqlValue::dateTime(2000, 1, 1), {}, {}, 0};
    EXPECT_EQ(rows[2], third);
}

TEST_F(OciRowWriterTest, OneArrayExecuteWithNativeNumbersAndLobsBoundLast)
{
    openOn(QStringLiteral("V"));
    bed.clearCalls();
    for (int i = 1; i <= 250; ++i)
        addRow({{"ID", i}, {"DEC", SqlValue::decimal(QStringLiteral("12.50"))}, {"B", QByteArray(5000, 'x')}});
    EXPECT_EQ(writer->applyUpdates().stored, 250);

    const QStringList inserts = bed.executes(QStringLiteral("insert into"));
    ASSERT_EQ(inserts.size(), 1);
    // The commit rides on the execute (OCI_COMMIT_ON_SUCCESS): one round trip.
    EXPECT_TRUE(inserts[0].startsWith(QStringLiteral("EXECUTE iters=250 mode=32 rows=250 result=OK")))
        << qPrintable(inserts[0]);
    EXPECT_TRUE(inserts[0].endsWith(QStringLiteral(
        "sql=insert into \"V\" (\"ID\",\"DEC\",\"BIG\",\"AMOUNT\",\"D\",\"TXT\",\"FLAG\",\"B\",\"G\") "
        "values (:1,:2,:3,:4,:5,:6,:7,:8,:9)")))
        << qPrintable(inserts[0]);
    // NUMBER goes as OCINumber and DATE as 7-byte DATE: no session setting
    // takes part. Text and LOBs come through callbacks, the LOBs last.
    const QStringList binds = bed.calls().filter(QStringLiteral("BIND "));
    EXPECT_EQ(binds, QStringList({"BIND pos=1 dty=6 size=22 mode=0", "BIND pos=2 dty=6 size=22 mode=0",
                                  "BIND pos=3 dty=6 size=22 mode=0", "BIND pos=4 dty=6 size=22 mode=0",
                                  "BIND pos=5 dty=12 size=7 mode=0", "BIND pos=6 dty=1 size=1 mode=2",
                                  "BIND pos=7 dty=6 size=22 mode=0", "BIND pos=8 dty=24 size=5000 mode=2",
                                  "BIND pos=9 dty=24 size=4001 mode=2"}));
    EXPECT_EQ(bed.calls().filter(QStringLiteral("COMMIT")).size(), 1);
    EXPECT_EQ(bed.targetRows(QStringLiteral("V")).last().at(2), SqlValue::decimal(QStringLiteral("12.5")));
}

TEST_F(OciRowWriterTest, ARefusedRowRollsBackTheWholeBatchAndReportsTheServersText)
{
    OciTestBed::execute(*connection, QStringLiteral("Create table \"S\" (\"ID\" NUMBER(10,0), \"NAME\" varchar2(5))"));
    openOn(QStringLiteral("S"));
    addRow({{"ID", 1}, {"NAME", QStringLiteral("ok")}});
    addRow({{"ID", 2}, {"NAME", QStringLiteral("far too long")}});
    addRow({{"ID", 3}, {"NAME", QStringLiteral("ok")}});
    const tw::ApplyResult refused = writer->applyUpdates();
    EXPECT_EQ(refused.stored, 0);
    EXPECT_EQ(refused.refused, 3);
    EXPECT_TRUE(refused.message.startsWith(QStringLiteral("ORA-12899: value too large for column")))
        << qPrintable(refused.message);
    EXPECT_EQ(writer->pendingCount(), 0);
    // Row 1 was inserted before row 2 was refused; the rollback undoes it.
    EXPECT_TRUE(bed.executes(QStringLiteral("insert into")).last().contains(QStringLiteral("rows=1 result=ORA-12899")));
    EXPECT_EQ(bed.calls().filter(QStringLiteral("ROLLBACK")).size(), 1);
    EXPECT_TRUE(bed.targetRows(QStringLiteral("S")).isEmpty());

    addRow({{"ID", 4}, {"NAME", QStringLiteral("fine")}});
    EXPECT_EQ(writer->applyUpdates().stored, 1);
    EXPECT_EQ(bed.targetRows(QStringLiteral("S")), QVector<QVector<SqlValue>>({{4, QStringLiteral("fine")}}));
}

TEST_F(OciRowWriterTest, FieldsAreFoundRegardlessOfCaseAndCheckedForTheirType)
{
    openOn(QStringLiteral("V"));
    writer->append();
    EXPECT_EQ(failureOf([&] { writer->setFieldValue(QStringLiteral("Customer Name"), QStringLiteral("x")); }),
              QStringLiteral("Field 'Customer Name' not found"));
    EXPECT_FALSE(failureOf([&] { writer->setFieldValue(QStringLiteral("d"), QStringLiteral("31.12.2024")); }).isEmpty());
    EXPECT_FALSE(failureOf([&] { writer->setFieldValue(QStringLiteral("dec"), QStringLiteral("12,50")); }).isEmpty());
    writer->setFieldValue(QStringLiteral("id"), 7);
    writer->post();
    EXPECT_EQ(writer->applyUpdates().stored, 1);
    EXPECT_EQ(bed.targetRows(QStringLiteral("V")).first().first(), SqlValue(7));
}

TEST_F(OciRowWriterTest, ClosingDropsPendingRowsAndAnEmptyApplySendsNothing)
{
    openOn(QStringLiteral("V"));
    addRow({{"ID", 1}});
    writer->close();
    openOn(QStringLiteral("V"));
    bed.clearCalls();
    EXPECT_EQ(writer->applyUpdates().stored, 0);
    EXPECT_TRUE(bed.calls().isEmpty());
    EXPECT_TRUE(bed.targetRows(QStringLiteral("V")).isEmpty());
}

TEST_F(OciRowWriterTest, ALostConnectionIsAFailureNotARefusedBatch)
{
    openOn(QStringLiteral("V"));
    addRow({{"ID", 1}});
    bed.dropConnectionAfter(0);
    EXPECT_EQ(failureOf([&] { writer->applyUpdates(); }), QStringLiteral("ORA-03113: end-of-file on communication channel"));
    addRow({{"ID", 2}});
    EXPECT_EQ(failureOf([&] { writer->applyUpdates(); }), QStringLiteral("ORA-03114: not connected to ORACLE"));
    EXPECT_TRUE(bed.targetRows(QStringLiteral("V")).isEmpty());
}

} // namespace

namespace {

template <typename T>
QByteArray bytesOf(const T& value)
{
    return QByteArray(reinterpret_cast<const char*>(&value), sizeof value);
}

} // namespace

// A value taken straight from the source's buffer is stored exactly as the
// value object the source would make of it; the rare values only the
// value objects convert are declined, and forms a column does not take are
// not offered.
TEST_F(OciRowWriterTest, ValuesFromTheSourcesBuffersArriveAsTheirValueObjectsDo)
{
    using tw::CellForm;
    const tw::CellGuid guid{0x12345678, 0x9abc, 0xdef0, {1, 2, 3, 4, 5, 6, 7, 8}};
    const QString guidText = QStringLiteral("12345678-9ABC-DEF0-0102-030405060708");
    const QString text = QStringLiteral("Grüße, 東京");
    const struct {
        const char* column;
        CellForm form;
        QByteArray cell;
        SqlValue value;  // what the source makes of it (Booleans: the copy's "1" and "0")
        bool taken;
    } cases[] = {
        {"BIG", CellForm::Int64, bytesOf(std::numeric_limits<qint64>::min()), std::numeric_limits<qint64>::min(), true},
        {"TXT", CellForm::Int64, bytesOf(qint64(-42)), -42, true},
        {"DEC", CellForm::DecimalText, "-.5000", SqlValue::decimal("-0.5000"), true},
        {"AMOUNT", CellForm::DecimalText, "12345678901234.1234", SqlValue::decimal("12345678901234.1234"), true},
        {"AMOUNT", CellForm::DecimalText, " 1.5", SqlValue::decimal("1.5"), false},
        {"FLAG", CellForm::Bit, QByteArray(1, '\1'), "1", true},
        {"FLAG", CellForm::Bit, QByteArray(1, '\0'), "0", true},
        {"TXT", CellForm::Bit, QByteArray(1, '\1'), "1", true},
        {"D", CellForm::Timestamp, bytesOf(tw::CellTimestamp{2024, 2, 29, 23, 59, 59, 400000000}),
         SqlValue::dateTime(2024, 2, 29, 23, 59, 59, 400), true},
        {"D", CellForm::Timestamp, bytesOf(tw::CellTimestamp{2024, 12, 31, 23, 59, 59, 999600000}),
         SqlValue::dateTime(2025, 1, 1), false},
        {"D", CellForm::Timestamp, bytesOf(tw::CellTimestamp{1900, 2, 28, 0, 0, 0, 999499999}),
         SqlValue::dateTime(1900, 2, 28, 0, 0, 0, 999), true},
        {"D", CellForm::Timestamp, bytesOf(tw::CellTimestamp{2000, 2, 29, 12, 0, 0, 999500000}),
         SqlValue::dateTime(2000, 2, 29, 12, 0, 1), false},
        {"TXT", CellForm::Guid, bytesOf(guid), guidText, true},
        {"G", CellForm::Guid, bytesOf(guid), guidText, true},
        {"TXT", CellForm::Utf16Text, QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2), text,
         true},
        {"B", CellForm::Utf16Text, QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2), text,
         true},
        {"B", CellForm::Bytes, QByteArray("\0\1\xff", 3), QByteArray("\0\1\xff", 3), true},
        {"TXT", CellForm::Bytes, QByteArray("\1", 1), QByteArray("\1", 1), false},
        {"D", CellForm::Int64, bytesOf(qint64(1)), {}, false},
    };
    openOn(QStringLiteral("V"));
    const QStringList names = writer->fieldNames();
    int id = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.column);
        const int column = names.indexOf(QLatin1String(c.column));
        const bool offered = writer->takesCells(column, c.form);
        writer->append();
        writer->setFieldValue(0, ++id);
        const bool taken = offered && writer->setFieldCell(column, c.form, tw::SourceCell{c.cell.data(), c.cell.size()});
        EXPECT_EQ(taken, c.taken);
        if (!taken)
            writer->setFieldValue(column, c.value);  // as the copy falls back
        writer->post();
        addRow({{"ID", ++id}, {c.column, c.value}});
    }
    EXPECT_EQ(writer->applyUpdates().refused, 0);
    const auto rows = bed.targetRows(QStringLiteral("V"));
    ASSERT_EQ(rows.size(), 2 * std::size(cases));
    for (int i = 0; i + 1 < rows.size(); i += 2) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rows[i].mid(1), rows[i + 1].mid(1));
    }
}
