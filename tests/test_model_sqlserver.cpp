// Fidelity of the model SQL Server: the catalogue and row queries that the
// conversion sends must come back as the real server answers them.
#include "convert/SourceSql.h"
#include "db/ConnectionSteps.h"
#include "db/Failure.h"
#include "peers/sqlserver/ModelSourceLayer.h"
#include "support/FailureOf.h"

#include <gtest/gtest.h>
#include <functional>

using namespace peers;
using tw::SqlValue;

namespace {

const QString tableListSql = tw::tableListSql();
const QString databaseListSql = QStringLiteral("select   [name]   from   sysdatabases");

tw::SourceTable dbo(const QString& name)
{
    return {QStringLiteral("dbo"), name};
}

class ModelSqlServerTest : public ::testing::Test {
protected:
    ModelSqlServer server;
    ModelSourceConnection connection{server};
    std::unique_ptr<tw::SourceQuery> query = connection.createQuery();

    void connectTo(const QString& database, const QString& logon = QStringLiteral("Integrated Security=SSPI"))
    {
        connection.close();
        connection.setConnectionString(QStringLiteral("Provider=SQLOLEDB.1;%1;Data Source=srv;Initial Catalog=%2")
                                           .arg(logon, database));
        connection.open();
    }

    // Every row of the result, its values as text joined by '|' (NULL as "NULL").
    QStringList rows(const QStringList& lines)
    {
        query->close();
        query->clearSql();
        for (const QString& line : lines)
            query->addSql(line);
        query->open();
        query->first();
        QStringList result;
        for (; !query->atEnd(); query->next()) {
            QStringList values;
            for (int i = 0; i < query->fieldCount(); ++i)
                values << (query->value(i).isNull() ? QStringLiteral("NULL") : query->value(i).toText());
            result << values.join(QLatin1Char('|'));
        }
        return result;
    }
};

TEST_F(ModelSqlServerTest, ColumnCatalogueReportsLengthPrecisionAndScaleAsTheServerDoes)
{
    server.database("Shop")
        .aliasType("Phone", "varchar(20)")
        .table("Kinds")
        .column("I", "int").column("B", "bigint").column("S", "smallint").column("T", "tinyint")
        .column("Flag", "bit").column("Price", "decimal(10,2)").column("Name", "nvarchar(40)")
        .column("Notes", "nvarchar(max)").column("Amount", "money").column("Shipped", "datetime")
        .column("Memo", "text").column("Born", "DATE").column("Tel", "Phone").column("Who", "sysname")
        .column("Stamp", "datetime2");
    connectTo("Shop");

    EXPECT_EQ(rows(tw::columnCatalogueSql(dbo("Kinds"))),
              QStringList({"1|I|int|4|10|0|1|NULL|56", "2|B|bigint|8|19|0|1|NULL|127", "3|S|smallint|2|5|0|1|NULL|52",
                           "4|T|tinyint|1|3|0|1|NULL|48", "5|Flag|bit|1|1|0|1|NULL|104", "6|Price|decimal|9|10|2|1|NULL|106",
                           "7|Name|nvarchar|80|40|0|1|NULL|231", "8|Notes|nvarchar|-1|-1|0|1|NULL|231",
                           "9|Amount|money|8|19|4|1|NULL|60", "10|Shipped|datetime|8|23|3|1|NULL|61",
                           "11|Memo|text|16|2147483647|0|1|NULL|35", "12|Born|date|3|10|0|1|NULL|40",
                           "13|Tel|Phone|20|20|0|1|NULL|167", "14|Who|sysname|256|128|0|1|NULL|231",
                           "15|Stamp|datetime2|8|27|7|1|NULL|42"}));

    const MsResult described = server.execute(connection.session(), tw::columnCatalogueSql(dbo("Kinds")).join("\r\n"));
    ASSERT_EQ(described.columns.size(), 9);
    EXPECT_EQ(described.columns[0].type, "smallint");
    EXPECT_EQ(described.columns[2].type, "nvarchar");
    EXPECT_EQ(described.columns[2].maxLength, 256);
    EXPECT_EQ(described.columns[4].type, "int");
    EXPECT_EQ(described.columns[7].maxLength, 8000);
    EXPECT_EQ(described.columns[8].type, "tinyint");
}

// The catalogues find a table by object_id of its two-part name: the schema
// decides, and a dot inside a bracketed name is part of the name.
TEST_F(ModelSqlServerTest, CataloguesFindTheTableOfTheSchemaByItsObjectId)
{
    MsDatabase& shop = server.database("Shop");
    shop.table("Orders", "sales").column("Region", "varchar(10)").primaryKey("PK_Orders", {"Region"});
    shop.table("Orders").column("OrderID", "int", false).column(MsColumnDefinition{"Qty", "smallint", false, "((0))"});
    shop.table("a.b").column("X", "int").index("IX_X", {"X"});
    shop.table("b", "a").column("Y", "int");
    shop.table("dtproperties").column("id", "int");
    shop.view("OrderView");
    connectTo("Shop");

    const tw::SourceTable salesOrders{"sales", "orders"};
    EXPECT_EQ(rows(tw::columnCatalogueSql(salesOrders)), QStringList({"1|Region|varchar|10|10|0|0|NULL|167"}));
    EXPECT_EQ(rows(tw::columnCatalogueSql(dbo("orders"))),
              QStringList({"1|OrderID|int|4|10|0|0|NULL|56", "2|Qty|smallint|2|5|0|0|((0))|52"}));
    EXPECT_EQ(rows(tw::indexCatalogueSql(salesOrders)), QStringList({"Orders|PK_Orders|1|Region|pk"}));
    EXPECT_TRUE(rows(tw::indexCatalogueSql(dbo("Orders"))).isEmpty());
    EXPECT_EQ(rows({tw::rowCountSql(salesOrders)}), QStringList({"0"}));

    EXPECT_EQ(rows(tw::columnCatalogueSql(dbo("a.b"))), QStringList({"1|X|int|4|10|0|1|NULL|56"}));
    EXPECT_EQ(rows(tw::indexCatalogueSql(dbo("a.b"))), QStringList({"a.b|IX_X|1|X|normal"}));
    // Undelimited, the dot separates schema and name.
    EXPECT_EQ(rows(tw::columnCatalogueSql(tw::SourceTable{"a", "b"})), QStringList({"1|Y|int|4|10|0|1|NULL|56"}));

    EXPECT_TRUE(rows(tw::columnCatalogueSql(dbo("dtproperties"))).isEmpty());
    EXPECT_TRUE(rows(tw::columnCatalogueSql(dbo("OrderView"))).isEmpty());
    EXPECT_TRUE(rows(tw::columnCatalogueSql(tw::SourceTable{"nobody", "Orders"})).isEmpty());
    EXPECT_EQ(failureOf([&] { rows({tw::rowCountSql(tw::SourceTable{"nobody", "Orders"})}); }),
              "Invalid object name 'nobody.Orders'.");
}

TEST_F(ModelSqlServerTest, TableAndDatabaseListsComeInTheServersOrder)
{
    MsDatabase& shop = server.database("Shop");
    for (const char* name : {"beta", "Zeta", "Alpha", "_tmp", "dtproperties", "DTProperties"})
        shop.table(name).column("c", "int");
    shop.table("Gamma", "sales").column("c", "int");
    shop.view("AView");
    connectTo("Shop");

    shop.table("beta", "sales").column("c", "int");
    shop.table("表格", "销售").column("c", "int");
    EXPECT_EQ(rows({tableListSql}), QStringList({"dbo|_tmp", "dbo|Alpha", "dbo|beta", "sales|beta", "sales|Gamma",
                                                 "dbo|Zeta", "销售|表格"}));
    const MsResult listed = server.execute(connection.session(), tableListSql);
    for (const MsResultColumn& column : listed.columns)
        EXPECT_EQ(std::make_pair(column.type, column.maxLength), std::make_pair(QStringLiteral("nvarchar"), 256));
    EXPECT_EQ(rows({databaseListSql}), QStringList({"master", "tempdb", "model", "msdb", "Shop"}));
    const MsResult described = server.execute(connection.session(), databaseListSql);
    EXPECT_EQ(described.columns[0].type, "nvarchar");
    EXPECT_EQ(described.columns[0].maxLength, 256);
}

TEST_F(ModelSqlServerTest, IndexCatalogueListsTheKeyColumnsOfEveryIndexByName)
{
    MsDatabase& shop = server.database("Shop");
    shop.table("Orders")
        .column("OrderID", "int").column("CustomerID", "int").column("Email", "nvarchar(80)")
        .column("Region", "varchar(10)").column("Code", "char(4)")
        .index("IX_Cust", {"CustomerID"})
        .primaryKey("PK_Orders", {"OrderID", "Region"})
        .uniqueConstraint("UQ_Email", {"Email"})
        .uniqueIndex("ix_code", {"Code"});
    shop.table("Log").column("Line", "nvarchar(200)");
    shop.table("Archive", "sales").column("Id", "int").primaryKey("PK_Archive", {"Id"});
    connectTo("Shop");

    EXPECT_EQ(rows(tw::indexCatalogueSql(dbo("Orders"))),
              QStringList({"Orders|ix_code|1|Code|normal", "Orders|IX_Cust|1|CustomerID|normal",
                           "Orders|PK_Orders|1|OrderID|pk", "Orders|PK_Orders|2|Region|pk",
                           "Orders|UQ_Email|1|Email|unique"}));
    EXPECT_TRUE(rows(tw::indexCatalogueSql(dbo("Log"))).isEmpty());
    // object_id resolves a name in its schema only.
    EXPECT_TRUE(rows(tw::indexCatalogueSql(dbo("Archive"))).isEmpty());
    EXPECT_EQ(rows(tw::indexCatalogueSql(tw::SourceTable{"sales", "Archive"})), QStringList({"Archive|PK_Archive|1|Id|pk"}));
}

TEST_F(ModelSqlServerTest, CaseSensitiveCollationDistinguishesNamesAndSortsLowerCaseFirst)
{
    server.setCaseSensitive(true);
    MsDatabase& shop = server.database("Shop");
    shop.table("Orders").column("Id", "int").row({1});
    shop.table("orders").column("id", "bigint");
    connectTo("Shop");

    EXPECT_EQ(rows({tableListSql}), QStringList({"dbo|orders", "dbo|Orders"}));
    EXPECT_TRUE(rows(tw::columnCatalogueSql(dbo("ORDERS"))).isEmpty());
    EXPECT_EQ(rows(tw::columnCatalogueSql(dbo("Orders"))), QStringList({"1|Id|int|4|10|0|1|NULL|56"}));
    EXPECT_EQ(rows({tw::rowCountSql(dbo("Orders"))}), QStringList({"1"}));
    EXPECT_EQ(failureOf([&] { rows({tw::rowCountSql(dbo("ORDERS"))}); }), "Invalid object name 'dbo.ORDERS'.");
    EXPECT_EQ(failureOf([&] { connectTo("shop"); }),
              "Cannot open database \"shop\" requested by the login. The login failed.");
}

TEST_F(ModelSqlServerTest, EscapedNamesReachTheirTables)
{
    MsDatabase& shop = server.database("Shop");
    shop.table("O'Brien").column("Id", "int").row({1}).row({2});
    shop.table("a]b").column("X", "varchar(5)", false).primaryKey("PK_ab", {"X"}).row({"hi"});
    connectTo("Shop");

    EXPECT_EQ(rows(tw::columnCatalogueSql(dbo("O'Brien"))), QStringList({"1|Id|int|4|10|0|1|NULL|56"}));
    EXPECT_EQ(rows({tw::rowCountSql(dbo("O'Brien"))}), QStringList({"2"}));
    EXPECT_TRUE(rows(tw::indexCatalogueSql(dbo("O'Brien"))).isEmpty());
    EXPECT_EQ(rows({tw::rowsSql(dbo("a]b"))}), QStringList({"hi"}));
    EXPECT_EQ(rows(tw::indexCatalogueSql(dbo("a]b"))), QStringList({"a]b|PK_ab|1|X|pk"}));
}

TEST_F(ModelSqlServerTest, RowsCarryTheColumnTypesAndStoredValues)
{
    server.database("Shop")
        .table("Items")
        .identityColumn("Id")
        .column("Flag", "bit").column("Price", "money").column("Code", "char(4)")
        .column("Guid", "uniqueidentifier").column("At", "datetime").column("Ratio", "real")
        .row({SqlValue(), true, SqlValue::decimal("12.34"), "AB", "6f9619ff-8b86-d011-b42d-00c04fc964ff",
              SqlValue::dateTime(2020, 1, 2, 3, 4, 5, 2), 0.1})
        .row({});
    connectTo("Shop");

    query->setSql(tw::rowsSql(dbo("Items")));
    query->open();
    EXPECT_EQ(query->value("Id"), SqlValue(1));
    EXPECT_TRUE(query->isBooleanField("Flag"));
    EXPECT_FALSE(query->isBooleanField("Id"));
    EXPECT_EQ(query->value("Price"), SqlValue::decimal("12.3400"));
    EXPECT_EQ(query->value("Code"), SqlValue("AB  "));
    EXPECT_EQ(query->value("Guid"), SqlValue("6F9619FF-8B86-D011-B42D-00C04FC964FF"));
    EXPECT_EQ(query->value("At"), SqlValue::dateTime(2020, 1, 2, 3, 4, 5, 3));
    // A real is carried by its shortest 32-bit form.
    EXPECT_EQ(query->value("Ratio"), SqlValue(0.1));
    query->next();
    EXPECT_EQ(query->value("Id"), SqlValue(2));
    EXPECT_TRUE(query->value("Price").isNull());

    const MsResult described = server.execute(connection.session(), tw::rowsSql(dbo("Items")));
    EXPECT_EQ(described.columns[2].type, "money");
    EXPECT_EQ(described.columns[2].precision, 19);
    EXPECT_EQ(described.columns[2].scale, 4);
    EXPECT_FALSE(described.columns[0].nullable);
    const MsResult count = server.execute(connection.session(), tw::rowCountSql(dbo("Items")));
    EXPECT_EQ(count.columns[0].type, "int");
    EXPECT_EQ(count.rows, QVector<QVector<SqlValue>>({{SqlValue(2)}}));

    MsTable& checks = server.database("Shop").table("Checks").column("N", "int", false).column("V", "varchar(2)");
    EXPECT_THROW(checks.row({SqlValue::decimal("1.5")}), std::invalid_argument);
    EXPECT_THROW(checks.row({SqlValue()}), std::invalid_argument);
    EXPECT_THROW(checks.row({1, "abc"}), std::invalid_argument);
}

// date, time(n), datetime2(n) and datetimeoffset(n) keep 100 ns and the
// offset; precision is the length of their text, scale the fractional
// digits ("date", "time", "datetime2", "datetimeoffset (Transact-SQL)").
TEST_F(ModelSqlServerTest, DateAndTimeTypesOf2008KeepTheirValuesExactly)
{
    server.database("Shop")
        .table("Times")
        .column("D", "date").column("T", "time").column("T0", "time(0)").column("D2", "datetime2")
        .column("D3", "datetime2(3)").column("O", "datetimeoffset").column("O2", "datetimeoffset(2)")
        .row({"0001-01-01", "00:00:00", "23:59:59", "0001-01-01 00:00:00", "9999-12-31 23:59:59.9994",
              "0001-01-01 00:00:00 -14:00", "9999-12-31 23:59:59.99 +14:00"})
        .row({"9999-12-31", "23:59:59.9999999", "12:00:00.5", "9999-12-31 23:59:59.9999999",
              "2024-02-29 23:59:59.1235", "2024-02-29 23:59:59.1234567 +05:30", "2024-02-29 23:59:59.125 -00:30"})
        .row({});
    connectTo("Shop");

    EXPECT_EQ(rows(tw::columnCatalogueSql(dbo("Times"))),
              QStringList({"1|D|date|3|10|0|1|NULL|40", "2|T|time|5|16|7|1|NULL|41", "3|T0|time|3|8|0|1|NULL|41",
                           "4|D2|datetime2|8|27|7|1|NULL|42", "5|D3|datetime2|7|23|3|1|NULL|42",
                           "6|O|datetimeoffset|10|34|7|1|NULL|43", "7|O2|datetimeoffset|8|29|2|1|NULL|43"}));
    // Values given with more digits than the scale are rounded, as the
    // server rounds a literal it converts.
    EXPECT_EQ(rows({tw::rowsSql(dbo("Times"))}),
              QStringList({"0001-01-01|00:00:00.0000000|23:59:59|0001-01-01 00:00:00.0000000|9999-12-31 23:59:59.999|"
                           "0001-01-01 00:00:00.0000000 -14:00|9999-12-31 23:59:59.99 +14:00",
                           "9999-12-31|23:59:59.9999999|12:00:01|9999-12-31 23:59:59.9999999|2024-02-29 23:59:59.124|"
                           "2024-02-29 23:59:59.1234567 +05:30|2024-02-29 23:59:59.13 -00:30",
                           "NULL|NULL|NULL|NULL|NULL|NULL|NULL"}));

    MsTable& checks = server.database("Shop").table("Checks").column("O", "datetimeoffset").column("D", "date");
    EXPECT_THROW(checks.row({"2024-01-01 00:00:00 +14:01"}), std::invalid_argument);
    EXPECT_THROW(checks.row({"2024-02-30 00:00:00 +00:00"}), std::invalid_argument);
    EXPECT_THROW(checks.row({"0001-01-01 00:00:00 +00:01"}), std::invalid_argument);
    EXPECT_THROW(checks.row({SqlValue(), "tomorrow"}), std::invalid_argument);
}

// geography, geometry, hierarchyid and a database's own CLR types: system
// type id 240 in the type table, their values bytes.
TEST_F(ModelSqlServerTest, ClrTypeColumnsHoldTheirSerialisedBytes)
{
    const QByteArray point = QByteArray::fromHex("e6100000010c00000000000049400000000000003e40");
    server.database("Shop")
        .clrType("Money2", 20)
        .table("Places")
        .column("Geo", "geography").column("Shape", "geometry").column("Node", "hierarchyid").column("M", "Money2")
        .row({point, SqlValue(), QByteArray::fromHex("5ac0"), QByteArray(20, 'm')});
    connectTo("Shop");

    EXPECT_EQ(rows(tw::columnCatalogueSql(dbo("Places"))),
              QStringList({"1|Geo|geography|-1|-1|0|1|NULL|240", "2|Shape|geometry|-1|-1|0|1|NULL|240",
                           "3|Node|hierarchyid|892|892|0|1|NULL|240", "4|M|Money2|20|20|0|1|NULL|240"}));
    query->close();
    query->setSql(tw::rowsSql(dbo("Places")));
    query->open();
    EXPECT_EQ(query->value("Geo"), SqlValue(point));
    EXPECT_EQ(query->value("Node"), SqlValue(QByteArray::fromHex("5ac0")));
    const MsResult described = server.execute(connection.session(), tw::rowsSql(dbo("Places")));
    EXPECT_TRUE(described.columns[0].clrType);
    EXPECT_EQ(described.columns[2].type, "hierarchyid");
    EXPECT_EQ(described.columns[2].maxLength, 892);
    EXPECT_THROW(server.database("Shop").table("Places").row({"POINT(1 2)"}), std::invalid_argument);
    EXPECT_THROW(server.database("Shop").table("Places").row({SqlValue(), SqlValue(), SqlValue(), QByteArray(21, 'm')}),
                 std::invalid_argument);
}

TEST_F(ModelSqlServerTest, FailuresUseTheServersWords)
{
    server.database("Shop").table("T").column("c", "int");
    server.addLogin("sa", "secret");
    connectTo("Shop");

    EXPECT_EQ(failureOf([&] { rows({tw::rowCountSql(dbo("Nope"))}); }), "Invalid object name 'dbo.Nope'.");
    EXPECT_EQ(failureOf([&] { rows({"select * from"}); }), "Incorrect syntax near the keyword 'from'.");
    EXPECT_EQ(failureOf([&] { rows({"select 1 +"}); }), "Incorrect syntax near '+'.");
    EXPECT_EQ(failureOf([&] { rows({"selec 1"}); }), "Could not find stored procedure 'selec'.");
    EXPECT_EQ(failureOf([&] { rows({"select 'abc"}); }), "Unclosed quotation mark after the character string 'abc'.");

    EXPECT_EQ(failureOf([&] { connectTo("Shop", "User ID=sa;Password=wrong"); }), "Login failed for user 'sa'.");
    EXPECT_EQ(failureOf([&] { connectTo("Nope", "User ID=sa;Password=secret"); }),
              "Cannot open database \"Nope\" requested by the login. The login failed.");
    try {
        server.logon("nobody", "x", false, QString());
        FAIL() << "logon accepted";
    } catch (const MsServerError& error) {
        EXPECT_EQ(error.number, 18456);
        EXPECT_EQ(error.severity, 14);
        EXPECT_EQ(error.state, 1);
    }
    server.setIntegratedLogonAllowed(false);
    EXPECT_EQ(failureOf([&] { connectTo("Shop"); }),
              "Login failed. The login is from an untrusted domain and cannot be used with Windows authentication.");

    const std::unique_ptr<tw::SourceQuery> unopened = connection.createQuery();
    EXPECT_EQ(failureOf([&] { unopened->value(0); }), "Operation is not allowed when the object is closed.");
    EXPECT_EQ(failureOf([&] { unopened->atEnd(); }), "Operation is not allowed when the object is closed.");
}

} // namespace
