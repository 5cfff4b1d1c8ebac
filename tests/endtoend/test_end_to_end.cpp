// The conversion run with both real client layers: the source over ODBC,
// unixODBC and FreeTDS to the loopback TDS peer, the target over OCI to the
// stand-in client library. The rows found in the target afterwards are
// compared with the source.

#include "OciTestBed.h"
#include "convert/ConversionRun.h"
#include "db/Failure.h"
#include "db/odbc/OdbcSourceConnection.h"
#include "peers/tds/TdsLoopback.h"
#include "support/FakeHost.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The real client layers around a model SQL Server: FreeTDS's ODBC driver
// through the loopback TDS peer, the OCI layer through the stand-in client
// library, and a conversion run over them for the given tables.
struct RealLayers {
    RealLayers(peers::ModelSqlServer& server, const QStringList& tables)
        : loopback(server), query(openQuery(source, loopback)), target(bed.connect()),
          writer(target->createRowWriter()), conversion(host, cc, *query, *target, *writer, log)
    {
        host.tables = tables;
        host.dataFolder = dataFolder.path() + QLatin1Char('/');
    }

    static std::unique_ptr<tw::SourceQuery> openQuery(tw::OdbcSourceConnection& source, peers::TdsLoopback& loopback)
    {
        source.setConnectionString(
            loopback.sqlLoginString(QStringLiteral("sa"), QStringLiteral("secret"), QStringLiteral("Shop")));
        source.open();
        return source.createQuery();
    }

    peers::TdsLoopback loopback;
    tw::OdbcSourceConnection source;
    std::unique_ptr<tw::SourceQuery> query;
    OciTestBed bed;
    std::unique_ptr<tw::OciTargetConnection> target;
    std::unique_ptr<tw::RowWriter> writer;
    QTemporaryDir dataFolder;
    FakeHost host;
    tw::Tcc cc;
    tw::RunLog log;
    tw::ConversionRun conversion;
};

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

    RealLayers real(server, {QStringLiteral("Numbers"), QStringLiteral("Sample")});
    ASSERT_EQ(real.conversion.run(), tw::ConversionRun::Outcome::Completed);
    const QString logText = real.log.lines().join(QLatin1Char('\n'));
    EXPECT_TRUE(real.log.lines().contains(QStringLiteral("Insert table NUMBERS 12345 Rows ...Done"))) << logText.toStdString();
    EXPECT_TRUE(real.log.lines().contains(QStringLiteral("Insert table SAMPLE 2 Rows ...Done"))) << logText.toStdString();
    EXPECT_FALSE(logText.contains(QStringLiteral("ORA-"))) << logText.toStdString();

    // One array insert per batch: 100, 5,000, 5,000 and the last 2,245 rows.
    EXPECT_EQ(real.bed.executes(QStringLiteral("insert into \"NUMBERS\"")).size(), 4);

    const auto numberRows = real.bed.targetRows(QStringLiteral("NUMBERS"));
    ASSERT_EQ(numberRows.size(), 12345);
    for (int i = 0; i < numberRows.size(); ++i) {
        ASSERT_EQ(numberRows[i][0].toInteger(), i + 1);
        ASSERT_EQ(numberRows[i][1].toText(), QStringLiteral("n%1").arg(i + 1));
    }

    const auto sampleRows = real.bed.targetRows(QStringLiteral("SAMPLE"));
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

    const auto model = real.bed.target();
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

    RealLayers real(server, {QStringLiteral("Times"), QStringLiteral("Places")});
    ASSERT_EQ(real.conversion.run(), tw::ConversionRun::Outcome::Completed);
    const QString logText = real.log.lines().join(QLatin1Char('\n'));
    EXPECT_TRUE(real.log.lines().contains(QStringLiteral("Insert table TIMES 5100 Rows ...Done"))) << logText.toStdString();
    EXPECT_TRUE(real.log.lines().contains(QStringLiteral("Insert table PLACES 1 Rows ...Done"))) << logText.toStdString();
    EXPECT_EQ(real.conversion.failedTables(), 0) << logText.toStdString();

    const QStringList creates = real.bed.executes(QStringLiteral("Create table"));
    ASSERT_EQ(creates.size(), 2);
    EXPECT_TRUE(creates[0].contains(QStringLiteral("\"D\" varchar2(10)"))) << creates[0].toStdString();
    EXPECT_TRUE(creates[0].contains(QStringLiteral("\"T\" varchar2(16)"))) << creates[0].toStdString();
    EXPECT_TRUE(creates[0].contains(QStringLiteral("\"D2\" varchar2(27)"))) << creates[0].toStdString();
    EXPECT_TRUE(creates[0].contains(QStringLiteral("\"O\" varchar2(34)"))) << creates[0].toStdString();
    EXPECT_TRUE(creates[1].contains(QStringLiteral("\"GEO\" BLOB"))) << creates[1].toStdString();
    EXPECT_TRUE(creates[1].contains(QStringLiteral("\"NODE\" BLOB"))) << creates[1].toStdString();
    // One array insert of 100 rows, one of 5,000; none refused.
    EXPECT_EQ(real.bed.executes(QStringLiteral("insert into \"TIMES\"")).size(), 2);

    const auto texts = [](const QVector<tw::SqlValue>& values) {
        QStringList result;
        for (const tw::SqlValue& value : values)
            result << (value.isNull() ? QStringLiteral("NULL") : value.toText());
        return result;
    };
    const auto timeRows = real.bed.targetRows(QStringLiteral("TIMES"));
    ASSERT_EQ(timeRows.size(), 5100);
    EXPECT_EQ(texts(timeRows[0]), low);
    EXPECT_EQ(texts(timeRows[1]), high);
    EXPECT_EQ(texts(timeRows[2]), QStringList(4, QStringLiteral("NULL")));
    EXPECT_EQ(texts(timeRows[3]), leap);
    EXPECT_EQ(texts(timeRows[5099]), leap);

    const auto placeRows = real.bed.targetRows(QStringLiteral("PLACES"));
    ASSERT_EQ(placeRows.size(), 1);
    EXPECT_EQ(placeRows[0][0], tw::SqlValue(point));
    EXPECT_EQ(placeRows[0][1], tw::SqlValue(node));
}

// Six tables of different sizes, one of whose targets exists with no column
// of the source's, so that its copy fails.
struct TablesAtOnce : ::testing::Test {
    peers::ModelSqlServer server;
    std::unique_ptr<peers::TdsLoopback> loopback;
    QTemporaryDir dataFolder;
    FakeHost host;

    void SetUp() override
    {
        peers::isolateOdbcEnvironment();
        server.addLogin(QStringLiteral("sa"), QStringLiteral("secret"));
        auto& shop = server.database(QStringLiteral("Shop"));
        for (int t = 1; t <= 6; ++t) {
            const QString name = QStringLiteral("T%1").arg(t);
            auto& table = shop.table(name)
                              .column(QStringLiteral("Id"), QStringLiteral("int"), false)
                              .column(QStringLiteral("Label"), QStringLiteral("varchar(20)"))
                              .primaryKey(QStringLiteral("PK_") + name, {QStringLiteral("Id")});
            for (int i = 1; i <= 2000 * t; ++i)
                table.row({i, QStringLiteral("r%1").arg(i)});
            host.tables.append(name);
        }
        loopback = std::make_unique<peers::TdsLoopback>(server);
        host.dataFolder = dataFolder.path() + QLatin1Char('/');
    }

    struct Result {
        tw::ConversionRun::Outcome outcome = tw::ConversionRun::Outcome::Completed;
        QStringList log;
        QStringList summary;  // source, target, outcome, read, stored
        QStringList started;
        QString lostSource;  // the message of a run that ended without the source
    };

    // A run with its own target, the log's time stamps masked; each row
    // costs the target the given wait.
    Result run(int workers, int rowMicroseconds = 0)
    {
        OciTestBed bed;
        bed.setLatency(0, rowMicroseconds);
        peers::OraSession seed = bed.seed().logon(QStringLiteral("scott"), QStringLiteral("tiger"), QStringLiteral("ORCL"));
        seed.execute(QStringLiteral("create table \"T4\" (\"X\" NUMBER)"));
        tw::OdbcSourceConnection source;
        source.setConnectionString(
            loopback->sqlLoginString(QStringLiteral("sa"), QStringLiteral("secret"), QStringLiteral("Shop")));
        source.open();
        std::unique_ptr<tw::SourceQuery> query = source.createQuery();
        std::unique_ptr<tw::OciTargetConnection> target = bed.connect();
        std::unique_ptr<tw::RowWriter> writer = target->createRowWriter();
        tw::Tcc cc;
        tw::RunLog log;
        tw::ConversionRun conversion(host, cc, *query, *target, *writer, log);
        conversion.setWorkerSessions([&] { return tw::openSessionsLike(source, *target); });
        host.atOnce = workers;
        host.finishedTables.clear();
        Result result;
        try {
            result.outcome = conversion.run();
        } catch (const tw::ConnectionLost& lost) {
            result.lostSource = lost.message();
        }
        static const QRegularExpression stamp(QStringLiteral("^(Start time:|The end time:).*"));
        for (const QString& line : log.lines())
            result.log.append(QString(line).replace(stamp, QStringLiteral("\\1*")));
        for (const tw::TableSummary& table : conversion.summary()) {
            result.summary.append(QStringLiteral("%1 %2 %3 %4 %5")
                                      .arg(table.source, table.target, tw::outcomeKeyword(table.outcome))
                                      .arg(table.read)
                                      .arg(table.stored));
        }
        for (const tw::TableSummary& table : std::as_const(host.finishedTables))
            result.started.append(table.source);
        return result;
    }
};

TEST_F(TablesAtOnce, LogReadsAsOneTableAtATime)
{
    const Result serial = run(1);
    const Result atOnce = run(3);
    EXPECT_EQ(atOnce.outcome, tw::ConversionRun::Outcome::Completed);
    EXPECT_EQ(atOnce.log, serial.log) << atOnce.log.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(atOnce.summary, serial.summary);
    // The host hears of finished tables in list order.
    EXPECT_EQ(atOnce.started, serial.started);
    EXPECT_TRUE(serial.log.contains(QStringLiteral("No column of T4 matches a column of T4: no row was copied")))
        << serial.log.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(serial.log.contains(QStringLiteral("Insert table T6 12000 Rows ...Done")));
    EXPECT_TRUE(serial.log.contains(
        QStringLiteral("Wizard has migrated your MSSQL database to Oracle server, but 1 of 6 tables failed.")));
}

// A source connection lost in one worker ends the run as it ends a run of
// one table at a time: no further table is begun, the tables at work are
// written whole, and the first lost table's error escapes.
// With full definitions and a script, the foreign key between two tables at
// work on different workers waits for both, and the script lists each
// table's statements in list order, as one table at a time does.
TEST_F(TablesAtOnce, FullDefinitionsAndTheScriptReadAsOneTableAtATime)
{
    server.database(QStringLiteral("Shop"))
        .table(QStringLiteral("T1"))
        .foreignKey({QStringLiteral("FK_T1_T6"), {QStringLiteral("Id")}, QStringLiteral("T6"), {QStringLiteral("Id")}});
    host.fullDefs = true;
    host.script = true;
    host.isUnattended = true;
    auto scriptOf = [&](const QString& job) {
        QFile file(dataFolder.filePath(job + QStringLiteral(".sql")));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << job.toStdString();
        return QString::fromUtf8(file.readAll());
    };
    host.jobFile = dataFolder.filePath(QStringLiteral("serial.twjobs"));
    const Result serial = run(1);
    host.jobFile = dataFolder.filePath(QStringLiteral("atonce.twjobs"));
    const Result atOnce = run(3);
    EXPECT_EQ(atOnce.log, serial.log) << atOnce.log.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(serial.log.contains(QStringLiteral("Foreign key FK_T1_T6 of T1...Done")))
        << serial.log.join(QLatin1Char('\n')).toStdString();
    const QString script = scriptOf(QStringLiteral("serial"));
    EXPECT_EQ(scriptOf(QStringLiteral("atonce")), script);
    EXPECT_LT(script.indexOf(QStringLiteral("-- Table T1")), script.indexOf(QStringLiteral("-- Table T2")));
    EXPECT_LT(script.indexOf(QStringLiteral("-- Table T6")), script.indexOf(QStringLiteral("FOREIGN KEY"),
                                                                             0, Qt::CaseInsensitive));
}

TEST_F(TablesAtOnce, LostSourceEndsTheRun)
{
    // Every result of more than 3,000 rows loses its connection: T1 has
    // 2,000 rows, T2 4,000.
    loopback->server().dropConnectionAfterRows(3000);
    const Result lost = run(3);
    const QString text = lost.log.join(QLatin1Char('\n'));
    EXPECT_TRUE(lost.log.contains(QStringLiteral("Insert table T1 2000 Rows ...Done"))) << text.toStdString();
    const qsizetype t2 = lost.log.indexOf(QRegularExpression(QStringLiteral("^Insert table T2 \\d+ Rows $")));
    ASSERT_GT(t2, 0) << text.toStdString();
    EXPECT_EQ(lost.log.value(t2 + 1), lost.lostSource);
    EXPECT_TRUE(lost.lostSource.startsWith(QStringLiteral("Rows 101 to "))) << text.toStdString();
    const QStringList notReached = lost.log.filter(QStringLiteral("Tables not reached: "));
    ASSERT_EQ(notReached.size(), 1) << text.toStdString();
    EXPECT_TRUE(notReached[0].endsWith(QStringLiteral("T5, T6"))) << text.toStdString();
    EXPECT_TRUE(lost.summary.value(1).startsWith(QStringLiteral("T2 T2 failed "))) << lost.summary.value(1).toStdString();
    EXPECT_TRUE(lost.summary.value(1).endsWith(QStringLiteral(" 100"))) << lost.summary.value(1).toStdString();
}

// Two tables with one target: the second works on it only once the first
// is done with it, as one table after the other would.
TEST_F(TablesAtOnce, TablesOfOneTargetTakeTurns)
{
    auto& shop = server.database(QStringLiteral("Shop"));
    for (const QString& name : {QStringLiteral("T 7"), QStringLiteral("T_7")}) {
        auto& table = shop.table(name).column(QStringLiteral("Id"), QStringLiteral("int"), false);
        for (int i = 1; i <= 3000; ++i)
            table.row({i});
    }
    host.tables = {QStringLiteral("T 7"), QStringLiteral("T_7"), QStringLiteral("T1")};
    host.mode = 0;
    const Result serial = run(1, 20);
    const Result atOnce = run(3, 20);
    EXPECT_EQ(atOnce.log, serial.log) << atOnce.log.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(serial.log.contains(QStringLiteral("Drop table T_7...Done")))
        << serial.log.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(atOnce.summary.value(1), QStringLiteral("T_7 T_7 overwritten 3000 3000"));
}

// A stop reaches every worker: the tables at work end with "Operation
// aborted", no further table is begun, and the run ends stopped.
TEST_F(TablesAtOnce, StopStopsEveryWorker)
{
    // The first three tables get 12,000 rows. A worker reads ahead of the
    // target by at most two batches of 5,000 rows, so it cannot read the
    // last of them before the target has stored a batch, which takes 1.5 s:
    // however the workers are scheduled, none of them is done within 1.5 s
    // of its start. The stop comes as soon as each has rows on their way.
    auto& shop = server.database(QStringLiteral("Shop"));
    for (int t = 1; t <= 3; ++t) {
        auto& table = shop.table(QStringLiteral("T%1").arg(t));
        for (int i = 2000 * t + 1; i <= 12000; ++i)
            table.row({i, QStringLiteral("r%1").arg(i)});
    }
    host.onYield = [this](int) {
        if (host.rowsOfTable.value(0) > 0 && host.rowsOfTable.value(1) > 0 && host.rowsOfTable.value(2) > 0)
            host.stop = true;
    };
    const Result stopped = run(3, 300);
    EXPECT_EQ(stopped.outcome, tw::ConversionRun::Outcome::Stopped);
    const QString text = stopped.log.join(QLatin1Char('\n'));
    EXPECT_EQ(stopped.log.count(QStringLiteral("Operation aborted")), 3) << text.toStdString();
    EXPECT_EQ(stopped.log.mid(stopped.log.size() - 2),
              (QStringList{QStringLiteral("The conversion was stopped by the user."), QStringLiteral("The end time:*")}));
    EXPECT_TRUE(text.contains(QStringLiteral("Tables not reached: T4, T5, T6"))) << text.toStdString();
    EXPECT_FALSE(host.stop);
}


// With full definitions every type gets its exact Oracle type, and its
// extremes and NULLs read back as they left (fractions of a second to the
// last digit, time zone offsets, times of day); the catalogue queries of full
// definitions (identity, alias types, unique indexes, foreign keys, check
// constraints) go over ODBC to the TDS peer.
TEST(EndToEnd, FullDefinitionsKeepEveryValueOfEveryType)
{
    peers::isolateOdbcEnvironment();
    peers::ModelSqlServer server;
    server.addLogin(QStringLiteral("sa"), QStringLiteral("secret"));
    auto& shop = server.database(QStringLiteral("Shop"));
    struct Column {
        const char* name;
        const char* type;
        tw::SqlValue high;
        tw::SqlValue low;
        const char* oracleType;
        const char* highText;
        const char* lowText;
    };
    const QByteArray bytes8 = QByteArray::fromHex("00ff7f8001020304");
    const QByteArray bytes2000(2000, '\xa5');
    const Column columns[] = {
        {"Bit", "bit", true, false, "NUMBER(1)", "1", "0"},
        {"Tiny", "tinyint", qint64(255), qint64(0), "NUMBER(3)", "255", "0"},
        {"Small", "smallint", qint64(32767), qint64(-32768), "NUMBER(5)", "32767", "-32768"},
        {"Int", "int", qint64(2147483647), qint64(-2147483647 - 1), "NUMBER(10)", "2147483647", "-2147483648"},
        {"Big", "bigint", qint64(9223372036854775807LL), qint64(-9223372036854775807LL - 1), "NUMBER(19)",
         "9223372036854775807", "-9223372036854775808"},
        {"Dec", "decimal(38,10)", tw::SqlValue::decimal(QStringLiteral("9999999999999999999999999999.9999999999")),
         tw::SqlValue::decimal(QStringLiteral("-0.0000000001")), "NUMBER(38,10)",
         "9999999999999999999999999999.9999999999", "-0.0000000001"},
        {"Money", "money", tw::SqlValue::decimal(QStringLiteral("922337203685477.5807")),
         tw::SqlValue::decimal(QStringLiteral("-922337203685477.5808")), "NUMBER(19,4)", "922337203685477.5807",
         "-922337203685477.5808"},
        {"SmallMoney", "smallmoney", tw::SqlValue::decimal(QStringLiteral("214748.3647")),
         tw::SqlValue::decimal(QStringLiteral("-214748.3648")), "NUMBER(10,4)", "214748.3647", "-214748.3648"},
        {"Dbl", "float", 1.7976931348623157E+308, -1.7976931348623157E+308, "BINARY_DOUBLE", nullptr, nullptr},
        {"Tiniest", "float", 4.9406564584124654E-324, -2.2250738585072014E-308, "BINARY_DOUBLE", nullptr, nullptr},
        {"Flt", "real", tw::SqlValue::real(3.40282347E+38f), tw::SqlValue::real(1.40129846E-45f), "BINARY_FLOAT",
         nullptr, nullptr},
        {"Fixed", "char(10)", QStringLiteral("abc"), QStringLiteral(""), "CHAR(10 CHAR)", "abc       ", "          "},
        {"Name", "nvarchar(4000)", QString(4000, QLatin1Char('n')), QStringLiteral("Zoë 订单"), "VARCHAR2(4000 CHAR)",
         nullptr, "Zoë 订单"},
        {"Long", "varchar(max)", QString(5000, QLatin1Char('x')), QStringLiteral("y"), "CLOB", nullptr, "y"},
        // Oracle keeps an empty text as NULL.
        {"Txt", "text", QStringLiteral("old text"), QStringLiteral(""), "CLOB", "old text", "NULL"},
        {"NTxt", "ntext", QStringLiteral("订单"), QStringLiteral("n"), "CLOB", "订单", "n"},
        {"Doc", "xml", QStringLiteral("<a>1</a>"), QStringLiteral("<b/>"), "CLOB", "<a>1</a>", "<b/>"},
        {"Bin", "binary(8)", bytes8, QByteArray(8, '\0'), "RAW(8)", nullptr, nullptr},
        {"VarBin", "varbinary(2000)", bytes2000, QByteArray(1, '\x01'), "RAW(2000)", nullptr, nullptr},
        {"Img", "image", QByteArray(3000, '\x5a'), QByteArray(1, '\0'), "BLOB", nullptr, nullptr},
        {"Day", "date", QStringLiteral("9999-12-31"), QStringLiteral("0001-01-01"), "DATE", "9999-12-31 00:00:00",
         "0001-01-01 00:00:00"},
        {"Stamp", "datetime", tw::SqlValue::dateTime(9999, 12, 31, 23, 59, 59, 997),
         tw::SqlValue::dateTime(1753, 1, 1), "TIMESTAMP(3)", "9999-12-31 23:59:59.997", "1753-01-01 00:00:00.000"},
        {"Stamp2", "datetime2(7)", QStringLiteral("9999-12-31 23:59:59.9999999"),
         QStringLiteral("0001-01-01 00:00:00.0000001"), "TIMESTAMP(7)", "9999-12-31 23:59:59.9999999",
         "0001-01-01 00:00:00.0000001"},
        {"Zoned", "datetimeoffset(7)", QStringLiteral("9999-12-31 23:59:59.9999999 +14:00"),
         QStringLiteral("0001-01-01 00:00:00.0000000 -14:00"), "TIMESTAMP(7) WITH TIME ZONE",
         "9999-12-31 23:59:59.9999999 +14:00", "0001-01-01 00:00:00.0000000 -14:00"},
        {"Clock", "time(7)", QStringLiteral("23:59:59.9999999"), QStringLiteral("00:00:00.0000000"),
         "INTERVAL DAY(0) TO SECOND(7)", "+00 23:59:59.9999999", "+00 00:00:00.0000000"},
        {"Minute", "smalldatetime", tw::SqlValue::dateTime(2079, 6, 6, 23, 59), tw::SqlValue::dateTime(1900, 1, 1),
         "DATE", "2079-06-06 23:59:00", "1900-01-01 00:00:00"},
        {"Guid", "uniqueidentifier", QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC964FF"),
         QStringLiteral("00000000-0000-0000-0000-000000000000"), "CHAR(36)", "6F9619FF-8B86-D011-B42D-00C04FC964FF",
         "00000000-0000-0000-0000-000000000000"},
    };
    auto& table = shop.table(QStringLiteral("AllTypes"));
    QVector<tw::SqlValue> high, low, nulls;
    for (const Column& c : columns) {
        table.column(QLatin1String(c.name), QLatin1String(c.type));
        high.append(c.high);
        low.append(c.low);
        nulls.append(tw::SqlValue());
    }
    table.column(QStringLiteral("Version"), QStringLiteral("rowversion"), false);
    table.row(high).row(low).row(nulls);

    RealLayers real(server, {QStringLiteral("AllTypes")});
    real.host.fullDefs = true;
    ASSERT_EQ(real.conversion.run(), tw::ConversionRun::Outcome::Completed);
    const QString logText = real.log.lines().join(QLatin1Char('\n'));
    EXPECT_TRUE(real.log.lines().contains(QStringLiteral("Insert table ALLTYPES 3 Rows ...Done"))) << logText.toStdString();
    EXPECT_EQ(real.conversion.failedTables(), 0) << logText.toStdString();

    const QStringList creates = real.bed.executes(QStringLiteral("Create table"));
    ASSERT_EQ(creates.size(), 1);
    for (const Column& c : columns) {
        const QString line = QStringLiteral("\"%1\" %2").arg(QString::fromUtf8(c.name).toUpper(), QLatin1String(c.oracleType));
        EXPECT_TRUE(creates[0].contains(line)) << line.toStdString() << "\n" << creates[0].toStdString();
    }
    EXPECT_TRUE(creates[0].contains(QStringLiteral("\"VERSION\" RAW(8) NOT NULL"))) << creates[0].toStdString();

    const auto rows = real.bed.targetRows(QStringLiteral("ALLTYPES"));
    ASSERT_EQ(rows.size(), 3);
    for (int i = 0; i < int(std::size(columns)); ++i) {
        const Column& c = columns[i];
        SCOPED_TRACE(c.name);
        const auto check = [&](const tw::SqlValue& value, const tw::SqlValue& sent, const char* text) {
            if (text)
                EXPECT_EQ(value.isNull() ? QStringLiteral("NULL") : value.toText(), QString::fromUtf8(text));
            else if (sent.kind() == tw::SqlValue::Kind::Float && QLatin1String(c.type) == QLatin1String("real"))
                EXPECT_EQ(float(value.asFloat()), float(sent.asFloat()));
            else if (sent.kind() == tw::SqlValue::Kind::Bytes || sent.kind() == tw::SqlValue::Kind::Float)
                EXPECT_EQ(value, sent);
            else
                EXPECT_EQ(value.toText(), sent.toText());
        };
        check(rows[0][i], c.high, c.highText);
        check(rows[1][i], c.low, c.lowText);
        EXPECT_TRUE(rows[2][i].isNull()) << tw::describe(rows[2][i]).toStdString();
    }
    EXPECT_EQ(rows[2].last().asBytes().size(), 8);
}

} // namespace
