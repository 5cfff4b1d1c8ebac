// The conversion run with its source on the real client stack (ODBC layer,
// unixODBC, FreeTDS, TCP, loopback TDS peer) and the model Oracle as target:
// the rows that arrive are compared with the source, value by value.

#include "convert/ConversionRun.h"
#include "db/ConnectionSteps.h"
#include "db/odbc/OdbcSourceConnection.h"
#include "peers/oracle/ModelTargetLayer.h"
#include "peers/tds/TdsLoopback.h"
#include "support/FakeHost.h"
#include "support/ModelTarget.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The source on the real ODBC stack and the TDS peer, the model Oracle as the
// target, and a conversion run over the given tables.
struct OdbcConversion : ::testing::Test {
    peers::ModelSqlServer server;
    peers::MsDatabase& shop = server.database(QStringLiteral("Shop"));
    ModelTarget target;
    const peers::ModelOracle& oracle = target.oracle;
    FakeHost host;
    tw::RunLog log;

    OdbcConversion()
    {
        peers::isolateOdbcEnvironment();
        server.addLogin(QStringLiteral("sa"), QStringLiteral("secret"));
    }

    // Converts the given tables of dbo; without any, every table that the
    // listing gives, as the wizard lists them.
    void convert(const QStringList& tables)
    {
        peers::TdsLoopback loopback(server);
        tw::OdbcSourceConnection source;
        std::unique_ptr<tw::SourceQuery> query = source.createQuery();
        const QString connectionString =
            loopback.sqlLoginString(QStringLiteral("sa"), QStringLiteral("secret"), QStringLiteral("Shop"));
        host.listed.clear();
        if (tables.isEmpty()) {
            tw::connectAndListTables(source, *query, connectionString,
                                     [this](const tw::SourceTable& table) { host.listed.append(table); });
        } else {
            source.setConnectionString(connectionString);
            source.open();
        }

        QTemporaryDir dataFolder;
        host.tables = tables;
        host.dataFolder = dataFolder.path() + QLatin1Char('/');
        tw::Tcc cc;
        tw::ConversionRun run(host, cc, *query, target.connection, *target.writer, log);
        ASSERT_EQ(run.run(), tw::ConversionRun::Outcome::Completed);
    }
    QString logText() const { return log.lines().join(QLatin1Char('\n')); }
    QVector<QVector<tw::SqlValue>> rows(const QString& table) const { return target.rows(table); }
    QStringList columnTypes(const QString& table) const
    {
        QStringList types;
        for (const peers::OraColumn& column : oracle.columns(QStringLiteral("SCOTT"), table)) {
            types.append(column.precision < 0 ? column.type
                                              : QStringLiteral("%1(%2,%3)").arg(column.type).arg(column.precision).arg(column.scale));
        }
        return types;
    }
};

TEST_F(OdbcConversion, SeededTableArrivesExactly)
{
    const QByteArray blob(1 << 20, '\x5a');
    shop.table(QStringLiteral("Sample"))
        .column(QStringLiteral("Id"), QStringLiteral("int"), false)
        .column(QStringLiteral("Big"), QStringLiteral("bigint"))
        .column(QStringLiteral("Amount"), QStringLiteral("decimal(28,10)"))
        .column(QStringLiteral("Price"), QStringLiteral("money"))
        .column(QStringLiteral("Ratio"), QStringLiteral("float"))
        .column(QStringLiteral("Flag"), QStringLiteral("bit"))
        .column(QStringLiteral("Shipped"), QStringLiteral("datetime"))
        .column(QStringLiteral("Customer Name"), QStringLiteral("nvarchar(40)"))
        .column(QStringLiteral("Code"), QStringLiteral("varchar(10)"))
        .column(QStringLiteral("Guid"), QStringLiteral("uniqueidentifier"))
        .column(QStringLiteral("Payload"), QStringLiteral("varbinary(max)"))
        .primaryKey(QStringLiteral("PK_Sample"), {QStringLiteral("Id")})
        .row({1, qint64(9007199254740993), tw::SqlValue::decimal(QStringLiteral("-123456789012345678.0123456789")),
              tw::SqlValue::decimal(QStringLiteral("-922337203685477.5808")), 0.1, true,
              tw::SqlValue::dateTime(2026, 12, 7, 23, 52, 23, 997), QStringLiteral("订单 Zoë"), QStringLiteral("A-1"),
              QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC964FF"), blob})
        .row({2, tw::SqlValue(), tw::SqlValue(), tw::SqlValue(), tw::SqlValue(), false, tw::SqlValue(),
              tw::SqlValue(), tw::SqlValue(), tw::SqlValue(), tw::SqlValue()});

    convert({QStringLiteral("Sample")});
    EXPECT_TRUE(log.lines().contains(QStringLiteral("Insert table SAMPLE 2 Rows ...Done")))
        << logText().toStdString();
    // A clean run's closing lines, before the end time and the Finish line.
    EXPECT_EQ(log.lines().mid(log.lines().size() - 4, 2),
              (QStringList{QStringLiteral("Conversion is Completed"),
                           QStringLiteral("Wizard has migrated your MSSQL database to Oracle server successfully.")}));

    const auto sample = rows(QStringLiteral("SAMPLE"));
    ASSERT_EQ(sample.size(), 2);
    // Oracle DATE keeps whole seconds; NUMBER keeps no trailing zeros; the
    // GUID's text and the bytes land in BLOBs.
    const QStringList expected{
        "1", "9007199254740993", "-123456789012345678.0123456789", "-922337203685477.5808", "0.1", "1",
        "2026-12-07 23:52:23", "订单 Zoë", "A-1", QString::fromLatin1(QByteArray("6F9619FF-8B86-D011-B42D-00C04FC964FF").toHex().toUpper()),
    };
    for (int i = 0; i < expected.size(); ++i)
        EXPECT_EQ(sample[0][i].toText(), expected[i]) << "column " << i;
    EXPECT_EQ(sample[0][10], tw::SqlValue(blob));
    EXPECT_EQ(sample[1][0].toText(), QStringLiteral("2"));
    EXPECT_EQ(sample[1][5].toText(), QStringLiteral("0"));
    for (int i : {1, 2, 3, 4, 6, 7, 8, 9, 10})
        EXPECT_TRUE(sample[1][i].isNull()) << "column " << i;
}

// Columns of unlimited or long text become CLOBs and wide decimals
// NUMBER(38,s); a real keeps its shortest 32-bit form; a table named in
// another script finds its catalogue on a server with a Western code page.
TEST_F(OdbcConversion, LongTextWideDecimalsAndNonLatinNamesArriveWhole)
{
    const QString million(1000000, QChar(0x4E2D));
    const QString largest = QStringLiteral("9999999999999999999999999999.9999999999");
    const QString whole = QString(38, QLatin1Char('9'));
    shop.table(QStringLiteral("Wide"))
        .column(QStringLiteral("Notes"), QStringLiteral("nvarchar(max)"))
        .column(QStringLiteral("Memo"), QStringLiteral("varchar(max)"))
        .column(QStringLiteral("Long"), QStringLiteral("varchar(8000)"))
        .column(QStringLiteral("Short"), QStringLiteral("nvarchar(4000)"))
        .column(QStringLiteral("Doc"), QStringLiteral("xml"))
        .column(QStringLiteral("Amount"), QStringLiteral("decimal(38,10)"))
        .column(QStringLiteral("Whole"), QStringLiteral("decimal(38,0)"))
        .column(QStringLiteral("Ratio"), QStringLiteral("real"))
        .row({million, QStringLiteral("memo"), QString(8000, QLatin1Char('x')), QString(4000, QLatin1Char('y')),
              QStringLiteral("<a>1</a>"), tw::SqlValue::decimal(largest), tw::SqlValue::decimal(whole), 0.1})
        .row({QString(), QString(), QString(), QString(), QString(), tw::SqlValue::decimal(QLatin1Char('-') + largest),
              tw::SqlValue::decimal(QLatin1Char('-') + whole), -3.4e38});
    shop.table(QStringLiteral("表格")).column(QStringLiteral("价格 含税"), QStringLiteral("int")).row({5});
    convert({QStringLiteral("Wide"), QStringLiteral("表格")});

    EXPECT_FALSE(logText().contains(QStringLiteral("ORA-"))) << logText().toStdString();
    EXPECT_EQ(columnTypes(QStringLiteral("WIDE")),
              (QStringList{"CLOB", "CLOB", "CLOB", "VARCHAR2", "CLOB", "NUMBER(38,10)", "NUMBER(38,0)", "NUMBER"}));
    const auto wide = rows(QStringLiteral("WIDE"));
    ASSERT_EQ(wide.size(), 2);
    const QStringList first{million, "memo", QString(8000, QLatin1Char('x')), QString(4000, QLatin1Char('y')),
                            "<a>1</a>", largest, whole, "0.1"};
    for (int i = 0; i < first.size(); ++i)
        EXPECT_EQ(wide[0][i].toText(), first[i]) << "column " << i;
    EXPECT_EQ(wide[1][5].toText(), QLatin1Char('-') + largest);
    EXPECT_EQ(wide[1][6].toText(), QLatin1Char('-') + whole);
    EXPECT_EQ(wide[1][7].toText(), QStringLiteral("-340000000000000000000000000000000000000"));

    EXPECT_EQ(oracle.columns(QStringLiteral("SCOTT"), QStringLiteral("表格")).value(0).name, QStringLiteral("价格_含税"));
    EXPECT_EQ(rows(QStringLiteral("表格")), (QVector<QVector<tw::SqlValue>>{{tw::SqlValue(5)}}));
}

// Keys and indexes of names that Oracle's folding does not reach are written
// with the names the table definition created, quoted; plain names keep the
// bare statement texts.
TEST_F(OdbcConversion, KeysOfAwkwardNamesReachTheirTables)
{
    const QString longName = QStringLiteral("CustomerOrderHistoryArchive2024");  // 31 characters
    shop.table(QStringLiteral("Order Details"))
        .column(QStringLiteral("OrderID"), QStringLiteral("int"), false)
        .column(QStringLiteral("ProductID"), QStringLiteral("int"), false)
        .column(QStringLiteral("Qty"), QStringLiteral("int"))
        .primaryKey(QStringLiteral("PK_Order_Details"), {QStringLiteral("OrderID"), QStringLiteral("ProductID")})
        .index(QStringLiteral("IX_Qty"), {QStringLiteral("Qty")})
        .row({1, 2, 3});
    shop.table(QStringLiteral("Picks"))
        .column(QStringLiteral("select"), QStringLiteral("int"), false)
        .column(QStringLiteral("Item"), QStringLiteral("int"), false)
        .primaryKey(QStringLiteral("PK_Picks"), {QStringLiteral("select"), QStringLiteral("Item")})
        .row({4, 5});
    shop.table(QStringLiteral("Slots"))
        .column(QStringLiteral("select"), QStringLiteral("int"), false)
        .column(QStringLiteral("Item"), QStringLiteral("int"), false)
        .primaryKey(QStringLiteral("PK_Slots"), {QStringLiteral("select"), QStringLiteral("Item")});
    shop.table(longName)
        .column(QStringLiteral("Id"), QStringLiteral("int"), false)
        .primaryKey(QStringLiteral("PK_Archive"), {QStringLiteral("Id")});
    shop.table(QStringLiteral("Idx"))
        .column(QStringLiteral("a,b)"), QStringLiteral("int"))
        .column(QStringLiteral("c"), QStringLiteral("int"))
        .index(QStringLiteral("IX_AB"), {QStringLiteral("a,b)"), QStringLiteral("c")});
    convert({QStringLiteral("Order Details"), QStringLiteral("Picks"), longName, QStringLiteral("Idx")});
    host.upper = false;
    convert({QStringLiteral("Slots")});

    EXPECT_FALSE(logText().contains(QStringLiteral("ORA-"))) << logText().toStdString();
    const QString archive = QStringLiteral("CUSTOMERORDERHISTORYARCHIV0000");
    struct Expected {
        QString table;
        QStringList keyColumns;    // of the primary key; empty: none
        QStringList indexColumns;  // of the one index besides the key's; empty: none
    };
    const QVector<Expected> expected{
        {"ORDER_DETAILS", {"ORDERID", "PRODUCTID"}, {"QTY"}},
        {"PICKS", {"SELECT", "ITEM"}, {}},
        {archive, {"ID"}, {}},
        {"IDX", {}, {"A,B)", "C"}},
        {"Slots", {"select", "Item"}, {}},
    };
    for (const Expected& e : expected) {
        const auto constraints = oracle.constraints(QStringLiteral("SCOTT"), e.table);
        EXPECT_EQ(constraints.isEmpty() ? QStringList() : constraints[0].columns, e.keyColumns) << qPrintable(e.table);
        QStringList indexColumns;
        for (const peers::OraIndexInfo& index : oracle.indexes(QStringLiteral("SCOTT"), e.table)) {
            if (constraints.isEmpty() || index.name != constraints[0].indexName)
                indexColumns = index.columns;
        }
        EXPECT_EQ(indexColumns, e.indexColumns) << qPrintable(e.table);
    }
    QStringList statements = oracle.statementLog();
    for (QString& statement : statements)
        statement = statement.trimmed();
    for (const QString& text :
         {QStringLiteral("create index idx_IX_QtyORDER_DETAILS on ORDER_DETAILS (Qty)"),
          QStringLiteral("alter table \"ORDER_DETAILS\"  add constraint \"PRIMARYOrder Details2\" primary key "
                         "(OrderID,ProductID)"),
          QStringLiteral("alter table Picks  add constraint PRIMARYPicks1 primary key (\"SELECT\",Item)"),
          QStringLiteral("alter table \"") + archive + QStringLiteral("\"  add constraint PRIMARYCustomerOrderHistoryArc"
                                                                      " primary key (Id)"),
          QStringLiteral("create index idx_IX_ABIDX on IDX (\"A,B)\",c)"),
          QStringLiteral("alter table \"Slots\"  add constraint PRIMARYSlots1 primary key (\"select\",\"Item\")")})
        EXPECT_TRUE(statements.contains(text)) << qPrintable(text);
}

// A database laid out in schemas: tables outside dbo, one name in two
// schemas and a dbo table whose name holds a dot each arrive whole, with
// their keys, indexes and rows.
TEST_F(OdbcConversion, TablesOfEverySchemaArriveWithKeysIndexesAndRows)
{
    const auto seedKeyed = [&](const QString& schema, const QString& name, const QString& key, int rows) {
        peers::MsTable& table = shop.table(name, schema)
                                    .column(key, QStringLiteral("int"), false)
                                    .column(QStringLiteral("Label"), QStringLiteral("nvarchar(40)"))
                                    .primaryKey(QStringLiteral("PK_") + name, {key})
                                    .index(QStringLiteral("IX_") + name + QStringLiteral("_Label"), {QStringLiteral("Label")});
        for (int i = 1; i <= rows; ++i)
            table.row({i, QStringLiteral("%1 %2").arg(name).arg(i)});
    };
    seedKeyed(QStringLiteral("Person"), QStringLiteral("Person"), QStringLiteral("BusinessEntityID"), 3);
    seedKeyed(QStringLiteral("Person"), QStringLiteral("Address"), QStringLiteral("AddressID"), 2);
    seedKeyed(QStringLiteral("Sales"), QStringLiteral("Customer"), QStringLiteral("CustomerID"), 4);
    seedKeyed(QStringLiteral("dbo"), QStringLiteral("Customer"), QStringLiteral("CustomerID"), 5);
    seedKeyed(QStringLiteral("dbo"), QStringLiteral("a.b"), QStringLiteral("Id"), 1);
    convert({});

    QStringList entries;
    for (const tw::SourceTable& table : host.listed)
        entries.append(table.entry());
    entries.sort();
    EXPECT_EQ(entries, (QStringList{"Address", "Person", "Sales.Customer", "a.b", "dbo.Customer"}));
    EXPECT_FALSE(logText().contains(QStringLiteral("ORA-"))) << logText().toStdString();

    struct Expected {
        QString target;
        int rows;
        QString key;
    };
    const QVector<Expected> expected{{"PERSON", 3, "BUSINESSENTITYID"},
                                     {"ADDRESS", 2, "ADDRESSID"},
                                     {"SALES_CUSTOMER", 4, "CUSTOMERID"},
                                     {"DBO_CUSTOMER", 5, "CUSTOMERID"},
                                     {"A.B", 1, "ID"}};
    for (const Expected& e : expected) {
        EXPECT_EQ(rows(e.target).size(), e.rows) << qPrintable(e.target);
        const auto constraints = oracle.constraints(QStringLiteral("SCOTT"), e.target);
        ASSERT_EQ(constraints.size(), 1) << qPrintable(e.target);
        EXPECT_EQ(constraints[0].columns, QStringList{e.key}) << qPrintable(e.target);
        QStringList indexed;
        for (const peers::OraIndexInfo& index : oracle.indexes(QStringLiteral("SCOTT"), e.target))
            indexed += index.columns;
        EXPECT_TRUE(indexed.contains(QStringLiteral("LABEL"))) << qPrintable(e.target);
    }
    EXPECT_EQ(rows(QStringLiteral("SALES_CUSTOMER"))[3][1].toText(), QStringLiteral("Customer 4"));
    EXPECT_TRUE(log.lines().contains(QStringLiteral("Insert table SALES.CUSTOMER 4 Rows ...Done")));
}

// Two column names that agree in their first 30 characters: the later one
// takes a free name, in the definition, the key and the row copy alike.
TEST_F(OdbcConversion, ColumnsAlikeInTheirFirst30CharactersBothArrive)
{
    const QString common = QStringLiteral("ShippingAddressOfTheCustomerIs");  // 30 characters
    const QString first = common + QStringLiteral("Line1");
    const QString second = common + QStringLiteral("Line2");
    peers::MsTable& table = shop.table(QStringLiteral("Addresses"))
                                .column(first, QStringLiteral("varchar(20)"))
                                .column(second, QStringLiteral("int"), false)
                                .primaryKey(QStringLiteral("PK_Addresses"), {second});
    for (int i = 1; i <= 250; ++i)
        table.row({QStringLiteral("street %1").arg(i), i});
    convert({QStringLiteral("Addresses")});

    const QString renamed = common.left(26).toUpper() + QStringLiteral("0000");
    EXPECT_TRUE(log.lines().contains(QStringLiteral("Column %1 of ADDRESSES is named %2 in Oracle, as an earlier column "
                                                    "has the name %3")
                                         .arg(second, renamed, common.toUpper())))
        << logText().toStdString();
    EXPECT_FALSE(logText().contains(QStringLiteral("ORA-"))) << logText().toStdString();
    QStringList names;
    for (const peers::OraColumn& column : oracle.columns(QStringLiteral("SCOTT"), QStringLiteral("ADDRESSES")))
        names.append(column.name);
    EXPECT_EQ(names, (QStringList{common.toUpper(), renamed}));
    EXPECT_EQ(oracle.constraints(QStringLiteral("SCOTT"), QStringLiteral("ADDRESSES")).value(0).columns, QStringList{renamed});
    const auto arrived = rows(QStringLiteral("ADDRESSES"));
    ASSERT_EQ(arrived.size(), 250);
    EXPECT_EQ(arrived[249][0].toText(), QStringLiteral("street 250"));
    EXPECT_EQ(arrived[249][1].toText(), QStringLiteral("250"));
}

} // namespace
