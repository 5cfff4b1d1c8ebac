// The conversion run with both real client layers: the source over ODBC,
// unixODBC and FreeTDS to the loopback TDS peer, the target over OCI to the
// stand-in client library. The rows found in the target afterwards are
// compared with the source.

#include "OciTestBed.h"
#include "convert/ConversionRun.h"
#include "db/odbc/OdbcSourceConnection.h"
#include "peers/tds/TdsLoopback.h"
#include "support/FakeHost.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(EndToEnd, TablesOfEveryTypeArriveRowForRow)
{
    peers::isolateOdbcEnvironment();
    peers::ModelSqlServer server;
    server.addLogin(QStringLiteral("sa"), QStringLiteral("secret"));
    auto& shop = server.database(QStringLiteral("Shop"));

    auto& numbers = shop.table(QStringLiteral("Numbers"))
                        .column(QStringLiteral("Id"), QStringLiteral("int"), false)
                        .column(QStringLiteral("Label"), QStringLiteral("varchar(20)"))
                        .primaryKey(QStringLiteral("PK_Numbers"), {QStringLiteral("Id")});
    for (int i = 1; i <= 12345; ++i)
        numbers.row({i, QStringLiteral("n%1").arg(i)});

    const QByteArray blob(1 << 20, '\x7e');
    const QString notes = QString(999999, QChar(0x4E2D)) + QStringLiteral("!");
    shop.table(QStringLiteral("Sample"))
        .column(QStringLiteral("Amount"), QStringLiteral("decimal(28,10)"))
        .column(QStringLiteral("Shipped"), QStringLiteral("datetime"))
        .column(QStringLiteral("Customer Name"), QStringLiteral("nvarchar(40)"))
        .column(QStringLiteral("Flag"), QStringLiteral("bit"))
        .column(QStringLiteral("Payload"), QStringLiteral("varbinary(max)"))
        .column(QStringLiteral("Code"), QStringLiteral("nchar(4)"))
        .column(QStringLiteral("Notes"), QStringLiteral("nvarchar(max)"))
        .index(QStringLiteral("IX_Shipped"), {QStringLiteral("Shipped")})
        .row({tw::SqlValue::decimal(QStringLiteral("-123456789012345678.0123456789")),
              tw::SqlValue::dateTime(2026, 12, 7, 23, 52, 23, 997), QStringLiteral("订单 Zoë"), true, blob, QStringLiteral("订单数据"), notes})
        .row({tw::SqlValue(), tw::SqlValue(), tw::SqlValue(), tw::SqlValue(), tw::SqlValue(), tw::SqlValue(),
              tw::SqlValue()});

    peers::TdsLoopback loopback(server);
    tw::OdbcSourceConnection source;
    source.setConnectionString(
        loopback.sqlLoginString(QStringLiteral("sa"), QStringLiteral("secret"), QStringLiteral("Shop")));
    source.open();
    std::unique_ptr<tw::SourceQuery> query = source.createQuery();

    OciTestBed bed;
    std::unique_ptr<tw::OciTargetConnection> target = bed.connect();
    std::unique_ptr<tw::RowWriter> writer = target->createRowWriter();

    QTemporaryDir dataFolder;
    FakeHost host;
    host.tables = {QStringLiteral("Numbers"), QStringLiteral("Sample")};
    host.dataFolder = dataFolder.path() + QLatin1Char('/');
    tw::Tcc cc;
    tw::RunLog log;
    tw::ConversionRun run(host, cc, *query, *target, *writer, log);
    ASSERT_EQ(run.run(), tw::ConversionRun::Outcome::Completed);
    const QString logText = log.lines().join(QLatin1Char('\n'));
    EXPECT_TRUE(log.lines().contains(QStringLiteral("Insert table NUMBERS 12345 Rows ...Done"))) << logText.toStdString();
    EXPECT_TRUE(log.lines().contains(QStringLiteral("Insert table SAMPLE 2 Rows ...Done"))) << logText.toStdString();
    EXPECT_FALSE(logText.contains(QStringLiteral("ORA-"))) << logText.toStdString();

    // One array insert per batch: 100, 5,000, 5,000 and the last 2,245 rows.
    EXPECT_EQ(bed.executes(QStringLiteral("insert into \"NUMBERS\"")).size(), 4);

    const auto numberRows = bed.targetRows(QStringLiteral("NUMBERS"));
    ASSERT_EQ(numberRows.size(), 12345);
    for (int i = 0; i < numberRows.size(); ++i) {
        ASSERT_EQ(numberRows[i][0].toInteger(), i + 1);
        ASSERT_EQ(numberRows[i][1].toText(), QStringLiteral("n%1").arg(i + 1));
    }

    const auto sampleRows = bed.targetRows(QStringLiteral("SAMPLE"));
    ASSERT_EQ(sampleRows.size(), 2);
    EXPECT_EQ(sampleRows[0][0].toText(), QStringLiteral("-123456789012345678.0123456789"));
    EXPECT_EQ(sampleRows[0][1].toText(), QStringLiteral("2026-12-07 23:52:23"));
    EXPECT_EQ(sampleRows[0][2].toText(), QStringLiteral("订单 Zoë"));
    EXPECT_EQ(sampleRows[0][3].toInteger(), 1);
    EXPECT_EQ(sampleRows[0][4], tw::SqlValue(blob));
    // nchar(4) became varchar2(4), which the session measures in characters.
    EXPECT_EQ(sampleRows[0][5].toText(), QStringLiteral("订单数据"));
    // nvarchar(max) became a CLOB, which takes the million characters whole.
    EXPECT_EQ(sampleRows[0][6].toText(), notes);
    for (const tw::SqlValue& value : sampleRows[1])
        EXPECT_TRUE(value.isNull()) << tw::describe(value).toStdString();

    const auto model = bed.target();
    EXPECT_EQ(model.constraints(QStringLiteral("SCOTT"), QStringLiteral("NUMBERS")).size(), 1);
    EXPECT_EQ(model.indexes(QStringLiteral("SCOTT"), QStringLiteral("SAMPLE")).size(), 1);
}

// The date and time types of SQL Server 2008 and later arrive as the
// server's own text at their scale, into the varchar2 of their catalogue
// precision; CLR values arrive as their bytes in a BLOB.
TEST(EndToEnd, DateTimeAndClrValuesArriveExactly)
{
    peers::isolateOdbcEnvironment();
    peers::ModelSqlServer server;
    server.addLogin(QStringLiteral("sa"), QStringLiteral("secret"));
    auto& shop = server.database(QStringLiteral("Shop"));
    const QStringList low{QStringLiteral("0001-01-01"), QStringLiteral("00:00:00.0000000"),
                          QStringLiteral("0001-01-01 00:00:00.0000000"),
                          QStringLiteral("0001-01-01 00:00:00.0000000 -14:00")};
    const QStringList high{QStringLiteral("9999-12-31"), QStringLiteral("23:59:59.9999999"),
                           QStringLiteral("9999-12-31 23:59:59.9999999"),
                           QStringLiteral("9999-12-31 23:59:59.9999999 +14:00")};
    const QStringList leap{QStringLiteral("2024-02-29"), QStringLiteral("23:59:59.1234567"),
                           QStringLiteral("2024-02-29 23:59:59.1234567"),
                           QStringLiteral("2024-02-29 23:59:59.1234567 +05:30")};
    auto& times = shop.table(QStringLiteral("Times"))
                      .column(QStringLiteral("D"), QStringLiteral("date"))
                      .column(QStringLiteral("T"), QStringLiteral("time(7)"))
                      .column(QStringLiteral("D2"), QStringLiteral("datetime2(7)"))
                      .column(QStringLiteral("O"), QStringLiteral("datetimeoffset(7)"));
    const auto row = [](const QStringList& texts) {
        return QVector<tw::SqlValue>{texts[0], texts[1], texts[2], texts[3]};
    };
    // 5,100 rows: the first batch ends after row 100, the second holds 5,000.
    times.row(row(low)).row(row(high)).row({});
    for (int i = 4; i <= 5100; ++i)
        times.row(row(i % 2 ? high : leap));

    const QByteArray point = QByteArray::fromHex("e6100000010c00000000000049400000000000003e40");
    const QByteArray node = QByteArray::fromHex("5ac0");
    shop.table(QStringLiteral("Places"))
        .column(QStringLiteral("Geo"), QStringLiteral("geography"))
        .column(QStringLiteral("Node"), QStringLiteral("hierarchyid"))
        .row({point, node});

    peers::TdsLoopback loopback(server);
    tw::OdbcSourceConnection source;
    source.setConnectionString(
        loopback.sqlLoginString(QStringLiteral("sa"), QStringLiteral("secret"), QStringLiteral("Shop")));
    source.open();
    std::unique_ptr<tw::SourceQuery> query = source.createQuery();
    OciTestBed bed;
    std::unique_ptr<tw::OciTargetConnection> target = bed.connect();
    std::unique_ptr<tw::RowWriter> writer = target->createRowWriter();
    QTemporaryDir dataFolder;
    FakeHost host;
    host.tables = {QStringLiteral("Times"), QStringLiteral("Places")};
    host.dataFolder = dataFolder.path() + QLatin1Char('/');
    tw::Tcc cc;
    tw::RunLog log;
    tw::ConversionRun run(host, cc, *query, *target, *writer, log);
    ASSERT_EQ(run.run(), tw::ConversionRun::Outcome::Completed);
    const QString logText = log.lines().join(QLatin1Char('\n'));
    EXPECT_TRUE(log.lines().contains(QStringLiteral("Insert table TIMES 5100 Rows ...Done"))) << logText.toStdString();
    EXPECT_TRUE(log.lines().contains(QStringLiteral("Insert table PLACES 1 Rows ...Done"))) << logText.toStdString();
    EXPECT_EQ(run.failedTables(), 0) << logText.toStdString();

    const QStringList creates = bed.executes(QStringLiteral("Create table"));
    ASSERT_EQ(creates.size(), 2);
    EXPECT_TRUE(creates[0].contains(QStringLiteral("\"D\" varchar2(10)"))) << creates[0].toStdString();
    EXPECT_TRUE(creates[0].contains(QStringLiteral("\"T\" varchar2(16)"))) << creates[0].toStdString();
    EXPECT_TRUE(creates[0].contains(QStringLiteral("\"D2\" varchar2(27)"))) << creates[0].toStdString();
    EXPECT_TRUE(creates[0].contains(QStringLiteral("\"O\" varchar2(34)"))) << creates[0].toStdString();
    EXPECT_TRUE(creates[1].contains(QStringLiteral("\"GEO\" BLOB"))) << creates[1].toStdString();
    EXPECT_TRUE(creates[1].contains(QStringLiteral("\"NODE\" BLOB"))) << creates[1].toStdString();
    // One array insert of 100 rows, one of 5,000; none refused.
    EXPECT_EQ(bed.executes(QStringLiteral("insert into \"TIMES\"")).size(), 2);

    const auto texts = [](const QVector<tw::SqlValue>& values) {
        QStringList result;
        for (const tw::SqlValue& value : values)
            result << (value.isNull() ? QStringLiteral("NULL") : value.toText());
        return result;
    };
    const auto timeRows = bed.targetRows(QStringLiteral("TIMES"));
    ASSERT_EQ(timeRows.size(), 5100);
    EXPECT_EQ(texts(timeRows[0]), low);
    EXPECT_EQ(texts(timeRows[1]), high);
    EXPECT_EQ(texts(timeRows[2]), QStringList(4, QStringLiteral("NULL")));
    EXPECT_EQ(texts(timeRows[3]), leap);
    EXPECT_EQ(texts(timeRows[5099]), leap);

    const auto placeRows = bed.targetRows(QStringLiteral("PLACES"));
    ASSERT_EQ(placeRows.size(), 1);
    EXPECT_EQ(placeRows[0][0], tw::SqlValue(point));
    EXPECT_EQ(placeRows[0][1], tw::SqlValue(node));
}

} // namespace
