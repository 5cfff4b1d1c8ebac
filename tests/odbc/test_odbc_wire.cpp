// The ODBC source layer at its real boundary: unixODBC, FreeTDS's driver and
// TCP to the loopback TDS peer, which answers from the model SQL Server. The
// same queries through the in-process source layer give the reference.
#include "support/Printers.h"
#include "convert/SourceSql.h"
#include "db/ConnectionSteps.h"
#include "db/Failure.h"
#include "db/odbc/OdbcDriverSetting.h"
#include "db/odbc/OdbcSourceConnection.h"
#include "peers/sqlserver/ModelSourceLayer.h"
#include "peers/tds/TdsBrowser.h"
#include "peers/tds/TdsLoopback.h"
#include "support/FailureOf.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <functional>

using namespace peers;
using tw::SqlValue;

namespace {

const QString databaseListSql = QStringLiteral("select   [name]   from   sysdatabases");
const QString tableListSql = tw::tableListSql();
const QString knownGuid = QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC964FF");
// geography::Point(50, 30, 4326) as SQL Server serialises it.
const QByteArray geographyPoint = QByteArray::fromHex("e6100000010c00000000000049400000000000003e40");

tw::SourceTable dbo(const QString& name)
{
    return {QStringLiteral("dbo"), name};
}

// A result read to its end: names, Boolean flags and values.
struct Result {
    QStringList names;
    QVector<bool> booleans;
    QVector<QVector<SqlValue>> rows;
};

Result readAll(tw::SourceQuery& query, const QStringList& lines)
{
    query.close();
    query.clearSql();
    for (const QString& line : lines)
        query.addSql(line);
    query.open();
    query.first();
    Result result;
    for (int i = 0; i < query.fieldCount(); ++i) {
        result.names << query.fieldName(i);
        result.booleans << query.isBooleanField(i);
    }
    for (; !query.atEnd(); query.next()) {
        QVector<SqlValue> row;
        for (int i = 0; i < query.fieldCount(); ++i)
            row << query.value(i);
        result.rows << row;
    }
    return result;
}

QByteArray pattern(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 131 + i / 256) & 0xFF);
    return bytes;
}

class OdbcWireTest : public ::testing::Test {
protected:
    ModelSqlServer server;
    TdsLoopback loopback{server};
    ModelSourceConnection inProcess{server};
    tw::OdbcSourceConnection connection;
    std::unique_ptr<tw::SourceQuery> query = connection.createQuery();
    std::unique_ptr<tw::SourceQuery> reference = inProcess.createQuery();

    OdbcWireTest() { server.addLogin(QStringLiteral("sa"), QStringLiteral("secret")); }

    void connectTo(const QString& database = QString())
    {
        connection.close();
        connection.setConnectionString(loopback.sqlLoginString("sa", "secret", database));
        connection.open();
        inProcess.close();
        inProcess.setConnectionString(QStringLiteral("Provider=SQLOLEDB.1;User ID=sa;Password=secret;"
                                                     "Data Source=srv;Initial Catalog=%1")
                                          .arg(database));
        inProcess.open();
    }

    // Runs the query both ways; the wire must give what the model gives.
    Result sameBothWays(const QStringList& lines)
    {
        const Result wire = readAll(*query, lines);
        const Result local = readAll(*reference, lines);
        EXPECT_EQ(wire.names, local.names);
        EXPECT_EQ(wire.booleans, local.booleans);
        EXPECT_EQ(wire.rows, local.rows);
        return wire;
    }

    // A table of every type the column catalogue names, with one row of
    // telling values and one of NULLs; without the large types, every
    // column has a bounded size and the rows come in blocks.
    void seedEverything(const QString& table = QStringLiteral("Everything"), bool withLargeTypes = true)
    {
        struct Column {
            const char* name;
            const char* type;
            SqlValue value;
            bool large;
        };
        const Column columns[] = {
            {"id", "int", 1, false},
            {"tiny", "tinyint", 255, false},
            {"small", "smallint", -32768, false},
            {"big", "bigint", std::numeric_limits<qint64>::min(), false},
            {"flag", "bit", true, false},
            {"dec", "decimal(38,10)", SqlValue::decimal("-1234567890123456789012345678.0123456789"), false},
            {"num", "numeric(9,2)", SqlValue::decimal("-0.5"), false},
            {"cash", "money", SqlValue::decimal("-922337203685477.5808"), false},
            {"petty", "smallmoney", SqlValue::decimal("214748.3647"), false},
            {"dbl", "float", 1.0 / 3.0, false},
            {"sgl", "real", 0.1, false},
            {"stamp", "datetime", SqlValue::dateTime(2024, 2, 29, 23, 59, 59, 997), false},
            {"minute", "smalldatetime", SqlValue::dateTime(2024, 2, 29, 13, 45), false},
            {"day", "date", "0001-01-01", false},
            {"clock", "time(7)", "23:59:59.9999999", false},
            {"precise", "datetime2(7)", "9999-12-31 23:59:59.9999999", false},
            {"zoned", "datetimeoffset(7)", "2024-02-29 23:59:59.1234567 +05:30", false},
            {"fixed", "char(5)", "ab", false},
            {"name", "varchar(40)", QString::fromUtf8("café € ü"), false},
            {"uname", "nvarchar(40)", QString::fromUtf8("数据库 – Ünïcode ✓"), false},
            {"ufixed", "nchar(4)", QString::fromUtf8("中文"), false},
            {"memo", "text", QString(200000, QLatin1Char('t')), true},
            {"umemo", "ntext", QString(70000, QChar(0x6570)), true},
            {"pic", "image", pattern(300000), true},
            {"bin", "binary(4)", QByteArray::fromHex("deadbeef"), false},
            {"vbin", "varbinary(16)", QByteArray::fromHex("00ff10"), false},
            {"blob", "varbinary(max)", pattern(1 << 20), true},
            {"ctext", "varchar(max)", QString(100000, QLatin1Char('x')), true},
            {"utext", "nvarchar(max)", QString(150000, QChar(0x00E9)), true},
            {"guid", "uniqueidentifier", knownGuid, false},
            {"version", "timestamp", QByteArray::fromHex("00000000000007d1"), false},
            {"place", "geography", geographyPoint, true},
            {"node", "hierarchyid", QByteArray::fromHex("5ac0"), true},
        };
        MsTable& t = server.database("Shop").table(table);
        QVector<SqlValue> row;
        for (const Column& column : columns) {
            if (column.large && !withLargeTypes)
                continue;
            t.column(QString::fromLatin1(column.name), QString::fromLatin1(column.type));
            row << column.value;
        }
        t.row(row);
        t.row({2});
    }
};

TEST_F(OdbcWireTest, SqlServerLoginListsTheDatabasesInTheServersOrder)
{
    server.database("Shop");
    connectTo();
    EXPECT_TRUE(connection.isOpen());
    const Result databases = sameBothWays({databaseListSql});
    ASSERT_EQ(databases.rows.size(), 5);
    EXPECT_EQ(databases.rows[0][0], SqlValue("master"));
    EXPECT_EQ(databases.rows[4][0], SqlValue("Shop"));
    // The session's text size is raised right after the logon.
    EXPECT_EQ(loopback.server().batches().value(0), "SET TEXTSIZE 2147483647");
    EXPECT_EQ(loopback.server().logins().value(0), "sa@");
}

TEST_F(OdbcWireTest, RefusedLogonsCarryTheDriversMessage)
{
    server.database("Shop");
    connection.setConnectionString(loopback.sqlLoginString("sa", "wrong"));
    // The driver's text follows the line that names what was tried.
    const QString tried = QStringLiteral("Cannot connect to SQL Server at 127.0.0.1, port %1 (driver %2):\n")
                              .arg(loopback.server().port())
                              .arg(tw::configuredOdbcDriver());
    const QString badPassword = failureOf([&] { connection.open(); });
    EXPECT_TRUE(badPassword.startsWith(tried + "[FreeTDS][SQL Server]Login failed for user 'sa'."))
        << badPassword.toStdString();
    EXPECT_TRUE(badPassword.contains("SQLSTATE")) << badPassword.toStdString();
    EXPECT_TRUE(badPassword.contains("native error 18456")) << badPassword.toStdString();
    EXPECT_FALSE(connection.isOpen());

    connection.setConnectionString(loopback.sqlLoginString("sa", "secret", "Nope"));
    const QString noDatabase = failureOf([&] { connection.open(); });
    EXPECT_TRUE(noDatabase.contains("Cannot open database \"Nope\" requested by the login. The login failed."))
        << noDatabase.toStdString();
    EXPECT_FALSE(connection.isOpen());

    // Nothing listens here any more: the driver's connection failure.
    const quint16 port = loopback.server().port();
    loopback.server().stop();
    connection.setConnectionString(QStringLiteral("Provider=SQLOLEDB.1;User ID=sa;Password=secret;"
                                                  "Data Source=127.0.0.1,%1")
                                       .arg(port));
    const QString unreachable = failureOf([&] { connection.open(); });
    EXPECT_TRUE(unreachable.startsWith(tried + "[FreeTDS]")) << unreachable.toStdString();
    EXPECT_TRUE(unreachable.contains("SQLSTATE 08001")) << unreachable.toStdString();
}

TEST_F(OdbcWireTest, PasswordsWithSeparatorsAndBracesReachTheServer)
{
    server.database("Shop");
    const QStringList passwords{QStringLiteral("p;a ss=w{rd"), QStringLiteral("br}ace"), QStringLiteral("{x;")};
    for (int i = 0; i < passwords.size(); ++i) {
        SCOPED_TRACE(passwords[i].toStdString());
        const QString login = QStringLiteral("odd%1").arg(i);
        server.addLogin(login, passwords[i]);
        connection.close();
        connection.setConnectionString(QStringLiteral("Provider=SQLOLEDB.1;User ID=%1;Password=\"%2\";Data Source=%3")
                                           .arg(login, passwords[i], loopback.dataSource()));
        connection.open();
        EXPECT_TRUE(connection.isOpen());
    }
}

TEST_F(OdbcWireTest, WizardStepsListDatabasesThenTablesOfTheChosenOne)
{
    MsDatabase& shop = server.database("Shop");
    for (const char* name : {"Orders", "dtproperties", "alpha"})
        shop.table(name).column("c", "int");
    const QString serverString = tw::sourceConnectionString(false, loopback.dataSource(), "sa", "secret");
    EXPECT_EQ(tw::connectAndListDatabases(connection, *query, serverString),
              QStringList({"master", "tempdb", "model", "msdb", "Shop"}));
    QStringList tables;
    tw::connectAndListTables(connection, *query, tw::sourceConnectionString(serverString, "Shop"),
                             [&](const tw::SourceTable& table) { tables << table.entry(); });
    EXPECT_EQ(tables, QStringList({"alpha", "Orders"}));
    EXPECT_EQ(loopback.server().logins(), QStringList({"sa@", "sa@Shop"}));
}

TEST_F(OdbcWireTest, NamedInstanceIsFoundThroughTheBrowserService)
{
    server.database("Shop");
    TdsBrowser browser(QStringLiteral("TESTINST"), loopback.server().port());
    if (!browser.start())
        GTEST_SKIP() << "UDP port 1434 of 127.0.0.1 is taken";
    connection.setConnectionString(QStringLiteral("Provider=SQLOLEDB.1;User ID=sa;Password=secret;"
                                                  "Data Source=127.0.0.1\\testinst;Initial Catalog=Shop"));
    connection.open();
    EXPECT_EQ(readAll(*query, {databaseListSql}).rows.size(), 5);
}

TEST_F(OdbcWireTest, TableListGivesSchemaAndNameAndLeavesOutDtproperties)
{
    MsDatabase& shop = server.database("Shop");
    for (const char* name : {"Orders", "dtproperties", "alpha", "Zeta"})
        shop.table(name).column("c", "int");
    shop.table("Orders", "Sales").column("c", "int");
    shop.table("表格", "Sales").column("c", "int");
    shop.view("OrderView");
    connectTo("Shop");
    const Result tables = sameBothWays({tableListSql});
    EXPECT_EQ(tables.names, QStringList({"schemaname", "name"}));
    QStringList names;
    for (const auto& row : tables.rows)
        names << row[0].toText() + QLatin1Char('.') + row[1].toText();
    EXPECT_EQ(names, QStringList({"dbo.alpha", "dbo.Orders", "Sales.Orders", "dbo.Zeta", "Sales.表格"}));
}

TEST_F(OdbcWireTest, ColumnAndIndexCataloguesOfASeededTable)
{
    server.database("Shop")
        .table("Orders")
        .column("OrderID", "int", false)
        .column("Customer Name", "nvarchar(40)")
        .column(MsColumnDefinition{"Qty", "smallint", false, "((0))"})
        .column("Price", "decimal(10,2)")
        .column("Shipped", "datetime")
        .primaryKey("PK_Orders", {"OrderID"})
        .index("IX_Cust", {"Customer Name", "Shipped"})
        .uniqueConstraint("UQ_Price", {"Price"});
    connectTo("Shop");

    const Result columns = sameBothWays(tw::columnCatalogueSql(dbo("Orders")));
    EXPECT_EQ(columns.names, QStringList({"fieldno", "fieldname", "fieldtyle", "f_length", "f_size", "f_scale",
                                          "isnullable", "defaultvalue", "f_xtype"}));
    ASSERT_EQ(columns.rows.size(), 5);
    EXPECT_EQ(columns.rows[1][1], SqlValue("Customer Name"));
    EXPECT_EQ(columns.rows[1][2], SqlValue("nvarchar"));
    EXPECT_EQ(columns.rows[1][4].toInteger(), 40);
    EXPECT_EQ(columns.rows[2][7], SqlValue("((0))"));
    EXPECT_EQ(columns.rows[3][4].toInteger(), 10);
    EXPECT_EQ(columns.rows[3][5].toInteger(), 2);
    EXPECT_EQ(columns.rows[3][8].toInteger(), 106);

    const Result keys = sameBothWays(tw::indexCatalogueSql(dbo("Orders")));
    QStringList lines;
    for (const auto& row : keys.rows)
        lines << QStringLiteral("%1|%2|%3|%4").arg(row[1].toText(), row[2].toText(), row[3].toText(), row[4].toText());
    EXPECT_EQ(lines, QStringList({"IX_Cust|1|Customer Name|normal", "IX_Cust|2|Shipped|normal", "PK_Orders|1|OrderID|pk",
                                  "UQ_Price|1|Price|unique"}));
}

TEST_F(OdbcWireTest, CountAndRowQueriesCarryEveryTypeExactly)
{
    seedEverything();
    connectTo("Shop");

    const Result count = sameBothWays({tw::rowCountSql(dbo("Everything"))});
    EXPECT_EQ(count.rows.value(0).value(0), SqlValue(2));

    const Result rows = sameBothWays({tw::rowsSql(dbo("Everything"))});
    ASSERT_EQ(rows.rows.size(), 2);
    const auto value = [&](const char* name) { return rows.rows[0][rows.names.indexOf(QLatin1String(name))]; };
    EXPECT_EQ(value("big"), SqlValue(std::numeric_limits<qint64>::min()));
    EXPECT_EQ(value("flag"), SqlValue(true));
    EXPECT_TRUE(rows.booleans[rows.names.indexOf("flag")]);
    EXPECT_EQ(value("dec"), SqlValue::decimal("-1234567890123456789012345678.0123456789"));
    EXPECT_EQ(value("num"), SqlValue::decimal("-0.50"));
    EXPECT_EQ(value("cash"), SqlValue::decimal("-922337203685477.5808"));
    EXPECT_EQ(value("petty"), SqlValue::decimal("214748.3647"));
    EXPECT_EQ(value("dbl"), SqlValue(1.0 / 3.0));
    EXPECT_EQ(value("sgl"), SqlValue(0.1));  // the shortest 32-bit form, not 0.10000000149011612
    EXPECT_EQ(value("stamp"), SqlValue::dateTime(2024, 2, 29, 23, 59, 59, 997));
    EXPECT_EQ(value("day"), SqlValue("0001-01-01"));
    EXPECT_EQ(value("clock"), SqlValue("23:59:59.9999999"));
    EXPECT_EQ(value("precise"), SqlValue("9999-12-31 23:59:59.9999999"));
    EXPECT_EQ(value("zoned"), SqlValue("2024-02-29 23:59:59.1234567 +05:30"));
    EXPECT_EQ(value("place"), SqlValue(geographyPoint));
    EXPECT_EQ(value("node"), SqlValue(QByteArray::fromHex("5ac0")));
    EXPECT_EQ(value("fixed"), SqlValue("ab   "));
    EXPECT_EQ(value("name"), SqlValue(QString::fromUtf8("café € ü")));
    EXPECT_EQ(value("uname"), SqlValue(QString::fromUtf8("数据库 – Ünïcode ✓")));
    EXPECT_EQ(value("memo").asText().size(), 200000);
    EXPECT_EQ(value("umemo"), SqlValue(QString(70000, QChar(0x6570))));
    EXPECT_EQ(value("pic"), SqlValue(pattern(300000)));
    EXPECT_EQ(value("blob"), SqlValue(pattern(1 << 20)));
    EXPECT_EQ(value("utext"), SqlValue(QString(150000, QChar(0x00E9))));
    EXPECT_EQ(value("guid"), SqlValue(knownGuid));
    EXPECT_EQ(value("version"), SqlValue(QByteArray::fromHex("00000000000007d1")));

    // The server stamps every row's version; everything else is NULL.
    for (int i = 1; i < rows.names.size(); ++i)
        EXPECT_EQ(rows.rows[1][i].isNull(), rows.names[i] != "version") << rows.names[i].toStdString();
}

// The driver's date, time2 and timestamp-offset structures give the values
// to 100 ns with the offset as stored; each becomes the server's own text at
// the column's scale, at both ends of the types' ranges.
TEST_F(OdbcWireTest, DateAndTimeTypesArriveAsTheServersTextAtTheirScale)
{
    server.database("Shop")
        .table("Times")
        .column("d", "date").column("t0", "time(0)").column("t3", "time(3)").column("t7", "time")
        .column("s0", "datetime2(0)").column("s7", "datetime2").column("o0", "datetimeoffset(0)")
        .column("o7", "datetimeoffset")
        .row({"0001-01-01", "00:00:00", "00:00:00.000", "00:00:00.0000000", "0001-01-01 00:00:00",
              "0001-01-01 00:00:00.0000000", "0001-01-01 00:00:00 -14:00", "0001-01-01 14:00:00.0000001 +14:00"})
        .row({"9999-12-31", "23:59:59", "23:59:59.999", "23:59:59.9999999", "9999-12-31 23:59:59",
              "9999-12-31 23:59:59.9999999", "9999-12-31 23:59:59 +14:00", "9999-12-31 09:59:59.9999999 -14:00"})
        .row({});
    connectTo("Shop");
    const Result rows = sameBothWays({tw::rowsSql(dbo("Times"))});
    ASSERT_EQ(rows.rows.size(), 3);
    const auto texts = [&](int row) {
        QStringList values;
        for (const SqlValue& value : rows.rows[row])
            values << (value.isNull() ? QStringLiteral("NULL") : value.asText());
        return values;
    };
    EXPECT_EQ(texts(0), QStringList({"0001-01-01", "00:00:00", "00:00:00.000", "00:00:00.0000000",
                                     "0001-01-01 00:00:00", "0001-01-01 00:00:00.0000000",
                                     "0001-01-01 00:00:00 -14:00", "0001-01-01 14:00:00.0000001 +14:00"}));
    EXPECT_EQ(texts(1), QStringList({"9999-12-31", "23:59:59", "23:59:59.999", "23:59:59.9999999",
                                     "9999-12-31 23:59:59", "9999-12-31 23:59:59.9999999",
                                     "9999-12-31 23:59:59 +14:00", "9999-12-31 09:59:59.9999999 -14:00"}));
    EXPECT_EQ(texts(2), QStringList(8, QStringLiteral("NULL")));
}

TEST_F(OdbcWireTest, BoundedColumnsArriveInBlocksWithTheSameValues)
{
    seedEverything(QStringLiteral("Bounded"), false);
    connectTo("Shop");
    const Result rows = sameBothWays({tw::rowsSql(dbo("Bounded"))});
    ASSERT_EQ(rows.rows.size(), 2);
    EXPECT_EQ(rows.rows[0][rows.names.indexOf("dec")], SqlValue::decimal("-1234567890123456789012345678.0123456789"));
    EXPECT_EQ(rows.rows[0][rows.names.indexOf("guid")], SqlValue(knownGuid));
    EXPECT_EQ(rows.rows[0][rows.names.indexOf("stamp")], SqlValue::dateTime(2024, 2, 29, 23, 59, 59, 997));
    EXPECT_TRUE(rows.rows[1][rows.names.indexOf("dec")].isNull());
}

TEST_F(OdbcWireTest, SqlVariantValuesArriveAsTheirText)
{
    server.database("Shop")
        .table("Bag")
        .column("v", "sql_variant")
        .row({42})
        .row({SqlValue::decimal("-12.340")})
        .row({QString::fromUtf8("数")})
        .row({SqlValue::dateTime(2020, 1, 2, 3, 4, 5, 678)})
        .row({SqlValue()});
    connectTo("Shop");
    const Result bag = readAll(*query, {tw::rowsSql(dbo("Bag"))});
    ASSERT_EQ(bag.rows.size(), 5);
    EXPECT_EQ(bag.rows[0][0], SqlValue("42"));
    EXPECT_EQ(bag.rows[1][0], SqlValue("-12.340"));
    EXPECT_EQ(bag.rows[2][0], SqlValue(QString::fromUtf8("数")));
    EXPECT_EQ(bag.rows[3][0], SqlValue("2020-01-02 03:04:05.678"));
    EXPECT_TRUE(bag.rows[4][0].isNull());
}

TEST_F(OdbcWireTest, TheRaisedTextSizeIsWhatKeepsLargeValuesWhole)
{
    seedEverything();
    connectTo("Shop");
    // A statement without a result set runs, then fails as the former
    // client failed; the server has taken the lower text size all the same.
    EXPECT_EQ(failureOf([&] { readAll(*query, {"SET TEXTSIZE 1000"}); }), "CommandText does not return a result set");
    const Result cut = readAll(*query, {tw::rowsSql(dbo("Everything"))});
    const auto value = [&](const char* name) { return cut.rows[0][cut.names.indexOf(QLatin1String(name))]; };
    EXPECT_EQ(value("blob"), SqlValue(pattern(1000)));
    EXPECT_EQ(value("pic"), SqlValue(pattern(1000)));
    EXPECT_EQ(value("memo").asText().size(), 1000);
    EXPECT_EQ(value("umemo").asText().size(), 500);
    EXPECT_EQ(value("utext").asText().size(), 500);
    EXPECT_EQ(value("uname"), SqlValue(QString::fromUtf8("数据库 – Ünïcode ✓")));
}

class OdbcWireStreamTest : public OdbcWireTest {
protected:
    static constexpr int rowCount = 20000;

    OdbcWireStreamTest()
    {
        MsTable& big = server.database("Shop").table("Big").column("id", "int", false).column("name", "nvarchar(40)");
        for (int i = 1; i <= rowCount; ++i)
            big.row({i, QStringLiteral("row %1").arg(i)});
    }

    // Reads until the end or a failure; the rows seen and the failure text.
    int readUntilFailure(QString* failure)
    {
        query->close();
        query->setSql(tw::rowsSql(dbo("Big")));
        int seen = 0;
        *failure = failureOf([&] {
            query->open();
            for (; !query->atEnd(); query->next()) {
                if (query->value("id").toInteger() != seen + 1)
                    throw tw::Failure(QStringLiteral("rows out of order"));
                ++seen;
            }
        });
        return seen;
    }
};

TEST_F(OdbcWireStreamTest, LongResultsStreamInOrderAndFirstStartsAgain)
{
    connectTo("Shop");
    query->setSql(tw::rowsSql(dbo("Big")));
    query->open();
    query->first();
    int seen = 0;
    for (; !query->atEnd(); query->next()) {
        ++seen;
        ASSERT_EQ(query->value("ID").toInteger(), seen);
        ASSERT_EQ(query->text("Name"), QStringLiteral("row %1").arg(seen));
        if (seen == 700)
            break;
    }
    query->first();
    EXPECT_EQ(query->integer("id"), 1);
    for (; !query->atEnd(); query->next())
        ++seen;
    EXPECT_EQ(seen, 700 + rowCount);
    EXPECT_EQ(loopback.server().batches().count(tw::rowsSql(dbo("Big"))), 2);
}

// The rows are fetched ahead on a thread of their own: closing the
// connection under a result being read must stop that cleanly.
TEST_F(OdbcWireStreamTest, ClosingTheConnectionUnderAResultClosesTheQuery)
{
    connectTo("Shop");
    query->setSql(tw::rowsSql(dbo("Big")));
    query->open();
    for (int i = 0; i < 600; ++i)
        query->next();
    connection.close();
    EXPECT_EQ(failureOf([&] { query->next(); }), tw::closedObjectMessage());
    connectTo("Shop");
    query->close();
    EXPECT_EQ(readAll(*query, {tw::rowCountSql(dbo("Big"))}).rows.value(0).value(0).toInteger(), rowCount);
}

TEST_F(OdbcWireStreamTest, ConnectionDroppedMidFetchIsAFailureNotAHang)
{
    connectTo("Shop");
    loopback.server().dropConnectionAfterRows(3000);
    QElapsedTimer timer;
    timer.start();
    QString failure;
    const int seen = readUntilFailure(&failure);
    EXPECT_LT(timer.elapsed(), 10000);
    EXPECT_LE(seen, 3000);
    EXPECT_TRUE(failure.startsWith("[FreeTDS][SQL Server]Unexpected EOF from the server")) << failure.toStdString();
    // The session is gone; the next query says so instead of waiting.
    timer.restart();
    EXPECT_FALSE(failureOf([&] { readAll(*query, {tw::rowCountSql(dbo("Big"))}); }).isEmpty());
    EXPECT_LT(timer.elapsed(), 10000);
}

TEST_F(OdbcWireStreamTest, SilentServerMidFetchTimesOut)
{
    connectTo("Shop");
    // The first answer keeps its long limit; the peer ignores the cancel, as
    // a frozen server does, so only the fetch limit ends the wait.
    connection.setFetchTimeout(2);
#ifdef Q_OS_WIN
    // Where the driver's sockets cannot be found (Windows), the silence is
    // met by a cancel; FreeTDS then waits the query's time limit for the
    // server to acknowledge it before it closes the connection.
    connection.setQueryTimeout(5);
#endif
    loopback.server().stallAfterRows(3000);
    QElapsedTimer timer;
    timer.start();
    QString failure;
    const int seen = readUntilFailure(&failure);
    EXPECT_LT(timer.elapsed(), 15000);
    EXPECT_LE(seen, 3000);
    EXPECT_EQ(failure, "The server sent nothing for 2 seconds; the connection to it was closed.");
}

TEST_F(OdbcWireTest, ClosingTheConnectionClosesItsQueries)
{
    server.database("Shop").table("T").column("c", "int").row({1}).row({2});
    connectTo("Shop");
    query->setSql(tw::rowsSql(dbo("T")));
    query->open();
    EXPECT_EQ(failureOf([&] { query->open(); }), "Operation is not allowed when the object is open.");
    connection.close();
    EXPECT_FALSE(query->isOpen());
    EXPECT_EQ(failureOf([&] { query->next(); }), "Operation is not allowed when the object is closed.");
    EXPECT_EQ(failureOf([&] { query->atEnd(); }), "Operation is not allowed when the object is closed.");
    query->close();
    EXPECT_EQ(failureOf([&] { query->open(); }), "Operation is not allowed when the object is closed.");

    connectTo("Shop");
    const Result again = readAll(*query, {tw::rowsSql(dbo("T"))});
    EXPECT_EQ(again.rows.size(), 2);
    EXPECT_EQ(failureOf([&] { query->value(5); }), "List index out of bounds (5)");
    EXPECT_EQ(failureOf([&] { query->value(0); }),
              "Either BOF or EOF is True, or the current record has been deleted. Requested operation requires a "
              "current record.");
}

TEST_F(OdbcWireTest, ServerErrorsCarryTheServersText)
{
    server.database("Shop");
    connectTo("Shop");
    const QString missing = failureOf([&] { readAll(*query, {tw::rowCountSql(dbo("Nope"))}); });
    EXPECT_TRUE(missing.contains("[FreeTDS][SQL Server]Invalid object name 'dbo.Nope'.")) << missing.toStdString();
    EXPECT_TRUE(missing.contains("native error 208")) << missing.toStdString();
    // The session survives a failed statement.
    EXPECT_EQ(readAll(*query, {databaseListSql}).rows.size(), 5);
}

} // namespace
