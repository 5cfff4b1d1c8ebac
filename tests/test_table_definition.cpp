// The table definition: column catalogue to one Create table statement,
// executed on the model Oracle, with the target's rules deciding success.

#include "support/DboTable.h"
#include "convert/Tcc.h"
#include "support/ModelServers.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

struct TableDefinition : ::testing::Test {
    ModelServers servers;
    tw::Tcc cc;
    bool ok = false;
    QString error = QStringLiteral("untouched");

    void create(const QString& source, const QString& target, bool upper)
    {
        cc.CreateOracleTable(*servers.query, *servers.target, dboTable(source, target), upper, ok, error);
    }
    QStringList statementLines() const { return cc.tmpmemo(); }
    QString lastStatement() const { return servers.oracle.statementLog().last(); }

    void seedOrders()
    {
        servers.sourceDb.table(QStringLiteral("Orders"))
            .column(QStringLiteral("OrderID"), QStringLiteral("int"))
            .column(QStringLiteral("Customer Name"), QStringLiteral("nvarchar(40)"))
            .column(QStringLiteral("Price"), QStringLiteral("decimal(10,2)"))
            .column(QStringLiteral("Shipped"), QStringLiteral("datetime"));
        servers.connect();
    }
};

TEST_F(TableDefinition, OrdersExampleWithNamesInUpperCase)
{
    seedOrders();
    create(QStringLiteral("Orders"), QStringLiteral("ORDERS"), true);

    const QStringList expected{
        QStringLiteral("Create table \"ORDERS\" ("),
        QStringLiteral("\"ORDERID\" NUMBER(10,0) , "),
        QStringLiteral("\"CUSTOMER_NAME\" varchar2(40) , "),
        QStringLiteral("\"PRICE\" NUMBER(12,2) , "),
        QStringLiteral("\"SHIPPED\" date"),
        QStringLiteral(" ) "),
    };
    EXPECT_EQ(statementLines(), expected);
    EXPECT_EQ(lastStatement(), expected.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
    EXPECT_TRUE(ok);
    EXPECT_EQ(error, QStringLiteral("untouched"));

    const auto columns = servers.oracle.columns(QStringLiteral("SCOTT"), QStringLiteral("ORDERS"));
    ASSERT_EQ(columns.size(), 4);
    EXPECT_EQ(columns[1].name, QStringLiteral("CUSTOMER_NAME"));
    EXPECT_EQ(columns[2].precision, 12);
    EXPECT_EQ(columns[2].scale, 2);
}

TEST_F(TableDefinition, OrdersExampleKeepsCaseWithUpperCaseOff)
{
    seedOrders();
    create(QStringLiteral("Orders"), QStringLiteral("Orders"), false);

    const QStringList lines = statementLines();
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[0], QStringLiteral("Create table \"Orders\" ("));
    EXPECT_EQ(lines[1], QStringLiteral("\"OrderID\" NUMBER(10,0) , "));
    EXPECT_EQ(lines[2], QStringLiteral("\"Customer_Name\" varchar2(40) , "));
    EXPECT_EQ(lines[3], QStringLiteral("\"Price\" NUMBER(12,2) , "));
    EXPECT_EQ(lines[4], QStringLiteral("\"Shipped\" date"));
    EXPECT_TRUE(ok);
    EXPECT_EQ(servers.oracle.tables(QStringLiteral("SCOTT")), QStringList{QStringLiteral("Orders")});
}

TEST_F(TableDefinition, TypeMappingOfEveryCatalogueType)
{
    servers.sourceDb.aliasType(QStringLiteral("Phone"), QStringLiteral("varchar(20)"));
    servers.sourceDb.aliasType(QStringLiteral("Amount"), QStringLiteral("decimal(9,2)"));
    servers.sourceDb.clrType(QStringLiteral("Point"), 20);
    auto& t = servers.sourceDb.table(QStringLiteral("AllTypes"));
    const QStringList types{"bigint", "smallint", "tinyint", "bit", "numeric(18,4)", "char(10)", "nchar(5)",
                            "varchar(30)", "binary(8)", "varbinary(16)", "image", "text", "ntext", "sql_variant",
                            "timestamp", "uniqueidentifier", "smalldatetime", "float", "real", "money",
                            "smallmoney", "Phone", "Amount", "decimal(38,10)", "numeric(30,20)", "nvarchar(max)",
                            "varchar(max)", "varchar(8000)", "nvarchar(4000)", "char(4001)", "xml", "datetime2",
                            "date", "time", "time(3)", "datetimeoffset(0)", "geography", "geometry",
                            "hierarchyid", "Point"};
    for (int i = 0; i < types.size(); ++i)
        t.column(QStringLiteral("c%1").arg(i), types[i]);
    servers.connect();
    create(QStringLiteral("AllTypes"), QStringLiteral("ALLTYPES"), true);

    const QStringList expected{" NUMBER(19,0)", " NUMBER(5,0)", " NUMBER(3,0)", " NUMBER(3)", " NUMBER(22,4)",
                               " varchar2(10)", " varchar2(5)", " varchar2(30)", " BLOB", " BLOB", " BLOB", " BLOB",
                               " BLOB", " BLOB", " BLOB", " BLOB", " date", " NUMBER", " NUMBER", " NUMBER",
                               " NUMBER", " varchar2(20)", " varchar2(9)", " NUMBER(38,10)", " NUMBER(38,20)",
                               " CLOB", " CLOB", " CLOB", " varchar2(4000)", " CLOB", " CLOB", " varchar2(27)",
                               " varchar2(10)", " varchar2(16)", " varchar2(12)", " varchar2(26)", " BLOB", " BLOB",
                               " BLOB", " BLOB"};
    const QStringList lines = statementLines();
    ASSERT_EQ(lines.size(), expected.size() + 2);
    for (int i = 0; i < expected.size(); ++i) {
        QString line = lines[i + 1];
        if (line.endsWith(QStringLiteral(" , ")))
            line.chop(3);
        EXPECT_EQ(line, QStringLiteral("\"C%1\"").arg(i) + expected[i]) << qPrintable(types[i]);
    }
    EXPECT_TRUE(ok) << qPrintable(error);
}

// With full definitions: the exact type of every source type, NOT NULL,
// the defaults the target takes, identity columns; what it cannot take is
// named for the log.
TEST_F(TableDefinition, FullDefinitionsCarryExactTypesNotNullDefaultsAndIdentity)
{
    struct Column {
        const char* type;
        const char* expected;
    };
    const Column typed[] = {
        {"bit", " NUMBER(1)"}, {"tinyint", " NUMBER(3)"}, {"smallint", " NUMBER(5)"}, {"int", " NUMBER(10)"},
        {"bigint", " NUMBER(19)"}, {"decimal(20,5)", " NUMBER(20,5)"}, {"decimal(38,10)", " NUMBER(38,10)"},
        {"money", " NUMBER(19,4)"}, {"smallmoney", " NUMBER(10,4)"}, {"float", " BINARY_DOUBLE"},
        {"real", " BINARY_FLOAT"}, {"char(10)", " CHAR(10 CHAR)"}, {"nchar(5)", " CHAR(5 CHAR)"},
        {"char(4001)", " CLOB"}, {"varchar(30)", " VARCHAR2(30 CHAR)"}, {"nvarchar(4000)", " VARCHAR2(4000 CHAR)"},
        {"varchar(max)", " CLOB"}, {"text", " CLOB"}, {"ntext", " CLOB"}, {"xml", " CLOB"},
        {"binary(8)", " RAW(8)"}, {"varbinary(2000)", " RAW(2000)"}, {"varbinary(2001)", " BLOB"},
        {"varbinary(max)", " BLOB"}, {"image", " BLOB"}, {"date", " DATE"}, {"datetime", " TIMESTAMP(3)"},
        {"datetime2(7)", " TIMESTAMP(7)"}, {"datetime2(0)", " TIMESTAMP(0)"}, {"smalldatetime", " DATE"},
        {"datetimeoffset(7)", " TIMESTAMP(7) WITH TIME ZONE"}, {"time(7)", " INTERVAL DAY(0) TO SECOND(7)"},
        {"uniqueidentifier", " CHAR(36)"}, {"timestamp", " RAW(8)"}, {"Phone", " VARCHAR2(20 CHAR)"},
        {"Amount", " NUMBER(9,2)"}, {"Flag", " NUMBER(1)"}, {"sysname", " VARCHAR2(128 CHAR)"},
    };
    servers.sourceDb.aliasType(QStringLiteral("Phone"), QStringLiteral("varchar(20)"));
    servers.sourceDb.aliasType(QStringLiteral("Amount"), QStringLiteral("decimal(9,2)"));
    servers.sourceDb.aliasType(QStringLiteral("Flag"), QStringLiteral("bit"));
    auto& t = servers.sourceDb.table(QStringLiteral("Wide"));
    for (const Column& c : typed)
        t.column(QStringLiteral("c%1").arg(&c - typed), QLatin1String(c.type));
    t.identityColumn(QStringLiteral("Id"));
    struct Defaulted {
        const char* type;
        const char* sourceDefault;
        const char* expected;
    };
    const Defaulted defaulted[] = {
        {"int", "((0))", " NUMBER(10) DEFAULT 0 NOT NULL"},
        {"decimal(9,2)", "((-1.5))", " NUMBER(9,2) DEFAULT -1.5 NOT NULL"},
        {"varchar(10)", "('it''s')", " VARCHAR2(10 CHAR) DEFAULT 'it''s' NOT NULL"},
        {"nvarchar(10)", "(N'x')", " VARCHAR2(10 CHAR) DEFAULT 'x' NOT NULL"},
        {"datetime2(3)", "(getdate())", " TIMESTAMP(3) DEFAULT SYSTIMESTAMP NOT NULL"},
        {"smalldatetime", "(sysdatetime())", " DATE DEFAULT SYSDATE NOT NULL"},
        {"datetime", "(CURRENT_TIMESTAMP)", " TIMESTAMP(3) DEFAULT SYSTIMESTAMP NOT NULL"},
        {"varchar(20)", "(suser_sname())", " VARCHAR2(20 CHAR) NOT NULL"},
    };
    for (const Defaulted& d : defaulted)
        t.column({QStringLiteral("d%1").arg(&d - defaulted), QLatin1String(d.type), false,
                  QLatin1String(d.sourceDefault), false});
    t.column({QStringLiteral("g"), QStringLiteral("uniqueidentifier"), true, QStringLiteral("(newid())"), false});
    servers.connect();
    cc.setFullDefinitions(true);
    create(QStringLiteral("Wide"), QStringLiteral("WIDE"), true);
    EXPECT_TRUE(ok) << qPrintable(error);

    QStringList lines = statementLines().mid(1, statementLines().size() - 2);
    for (QString& line : lines)
        line = line.section(QLatin1Char('"'), 2).remove(QRegularExpression(QStringLiteral(" , $")));
    int at = 0;
    for (const Column& c : typed)
        EXPECT_EQ(lines.value(at++), QLatin1String(c.expected)) << c.type;
    EXPECT_EQ(lines.value(at++), QStringLiteral(" NUMBER(10) GENERATED BY DEFAULT ON NULL AS IDENTITY"));
    for (const Defaulted& d : defaulted)
        EXPECT_EQ(lines.value(at++), QLatin1String(d.expected)) << d.sourceDefault;
    EXPECT_TRUE(lines.value(at).startsWith(QStringLiteral(" CHAR(36) DEFAULT REGEXP_REPLACE(RAWTOHEX(SYS_GUID())")));
    EXPECT_EQ(cc.identityColumns(), QStringList{QStringLiteral("ID")});
    EXPECT_EQ(cc.definitionNotes(), QStringList{QStringLiteral("Default of WIDE.D7 not carried: (suser_sname())")});
    const auto columns = servers.oracle.columns(QStringLiteral("SCOTT"), QStringLiteral("WIDE"));
    ASSERT_EQ(columns.size(), lines.size());
    EXPECT_EQ(columns[at - 1].identity, 0);
    EXPECT_EQ(columns[int(std::size(typed))].identity, 'N');

    // Off again, the same table gets today's statement.
    cc.setFullDefinitions(false);
    servers.targetExecute(QStringLiteral("drop table WIDE"));
    create(QStringLiteral("Wide"), QStringLiteral("WIDE"), true);
    EXPECT_EQ(statementLines().at(1), QStringLiteral("\"C0\" NUMBER(3) , "));
    EXPECT_TRUE(cc.identityColumns().isEmpty());
}

// Columns whose Oracle names would repeat an earlier column's take the first
// free name of 26 characters and four digits; one log line each.
TEST_F(TableDefinition, CollidingColumnNamesTakeFreeNames)
{
    const QString longA = QStringLiteral("A234567890123456789012345678901234");  // 34 characters
    const QString freeName = longA.left(26) + QStringLiteral("0000");
    servers.sourceDb.table(QStringLiteral("Twins"))
        .column(longA + QStringLiteral("X"), QStringLiteral("int"))
        .column(longA + QStringLiteral("Y"), QStringLiteral("int"))
        .column(freeName, QStringLiteral("int"))
        .column(QStringLiteral("a b"), QStringLiteral("int"))
        .column(QStringLiteral("A_B"), QStringLiteral("int"));
    servers.connect();

    create(QStringLiteral("Twins"), QStringLiteral("TWINS"), true);
    EXPECT_TRUE(ok) << qPrintable(error);
    EXPECT_EQ(statementLines().mid(1, 5),
              (QStringList{"\"A23456789012345678901234567890\" NUMBER(10,0) , ", "\"" + freeName + "\" NUMBER(10,0) , ",
                           "\"A23456789012345678901234560001\" NUMBER(10,0) , ", "\"A_B\" NUMBER(10,0) , ",
                           "\"A_B0000\" NUMBER(10,0)"}));
    EXPECT_EQ(cc.columnNames().renamedLines(QStringLiteral("TWINS")),
              (QStringList{"Column " + longA + "Y of TWINS is named " + freeName
                               + " in Oracle, as an earlier column has the name A23456789012345678901234567890",
                           "Column " + freeName + " of TWINS is named A23456789012345678901234560001 in Oracle, as an "
                                                  "earlier column has the name " + freeName,
                           "Column A_B of TWINS is named A_B0000 in Oracle, as an earlier column has the name A_B"}));
}

TEST_F(TableDefinition, RefusedStatementReportsMessageAndStatement)
{
    servers.sourceDb.table(QStringLiteral("Twins")).column(QStringLiteral("A"), QStringLiteral("int"));
    servers.connect();
    servers.targetExecute(QStringLiteral("create table \"TWINS\" (\"A\" NUMBER)"));

    create(QStringLiteral("Twins"), QStringLiteral("TWINS"), true);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(error.startsWith(
        QStringLiteral("ORA-00955: name is already used by an existing object\r\nCreate table \"TWINS\" (\r\n")))
        << qPrintable(error);
    EXPECT_TRUE(error.endsWith(QStringLiteral(" ) \r\n\r\n"))) << qPrintable(error);
}

TEST_F(TableDefinition, SingleColumnEmptyCatalogueAndNonAsciiNames)
{
    servers.sourceDb.table(QStringLiteral("One")).column(QStringLiteral("Größe straße"), QStringLiteral("int"));
    servers.connect();

    create(QStringLiteral("One"), QStringLiteral("ONE"), true);
    EXPECT_EQ(statementLines(), (QStringList{QStringLiteral("Create table \"ONE\" ("),
                                             QStringLiteral("\"GRößE_STRAßE\" NUMBER(10,0)"), QStringLiteral(" ) ")}));
    EXPECT_TRUE(ok);

    create(QStringLiteral("Missing"), QStringLiteral("MISSING"), true);
    EXPECT_EQ(statementLines(), (QStringList{QStringLiteral("Create table \"MISSING\" ("), QStringLiteral(" ) ")}));
    EXPECT_FALSE(ok);
    EXPECT_TRUE(error.startsWith(QStringLiteral("ORA-"))) << qPrintable(error);
}

TEST_F(TableDefinition, CaseSensitiveSourceFindsNoColumnsForUpperCasedName)
{
    servers.sqlServer.setCaseSensitive(true);
    seedOrders();
    create(QStringLiteral("ORDERS"), QStringLiteral("ORDERS"), true);
    EXPECT_EQ(statementLines().size(), 2);
    EXPECT_FALSE(ok);
}

TEST_F(TableDefinition, NamesWithDelimitersCannotChangeTheStatement)
{
    servers.sourceDb.table(QStringLiteral("O'Brien")).column(QStringLiteral("Id"), QStringLiteral("int"));
    servers.sourceDb.table(QStringLiteral("Evil"))
        .column(QStringLiteral("x\" number, \"y"), QStringLiteral("int"));
    servers.connect();

    create(QStringLiteral("O'Brien"), QStringLiteral("O'BRIEN"), true);
    EXPECT_TRUE(ok) << qPrintable(error);
    EXPECT_TRUE(servers.oracle.tables(QStringLiteral("SCOTT")).contains(QStringLiteral("O'BRIEN")));

    // Oracle allows no double quote inside a quoted name: it becomes an
    // underscore, so the name stays one identifier and no column "y" appears.
    create(QStringLiteral("Evil"), QStringLiteral("EVIL"), true);
    EXPECT_EQ(statementLines().at(1), QStringLiteral("\"X__NUMBER,__Y\" NUMBER(10,0)"));
    EXPECT_TRUE(ok) << qPrintable(error);
    const auto columns = servers.oracle.columns(QStringLiteral("SCOTT"), QStringLiteral("EVIL"));
    ASSERT_EQ(columns.size(), 1);
    EXPECT_EQ(columns[0].name, QStringLiteral("X__NUMBER,__Y"));
}

TEST(NameHelpers, NormalizeAndReplace)
{
    EXPECT_EQ(tw::Tcc::NormalizeName(QStringLiteral("Order Details-é.x"), true), QStringLiteral("ORDER_DETAILS-é.X"));
    EXPECT_EQ(tw::Tcc::NormalizeName(QStringLiteral("  a b "), false), QStringLiteral("__a_b_"));
    EXPECT_EQ(tw::Tcc::NormalizeName(QStringLiteral("say \"hi\""), false), QStringLiteral("say__hi_"));
    EXPECT_EQ(tw::Tcc::ReplaceAll(QStringLiteral("aab"), QStringLiteral("ab"), QStringLiteral("b")), QStringLiteral("b"));
    EXPECT_EQ(tw::Tcc::ReplaceAll(QStringLiteral("abc"), QString(), QStringLiteral("x")), QStringLiteral("abc"));
    EXPECT_EQ(tw::Tcc::ReplaceAll(QStringLiteral("a a"), QStringLiteral("a"), QStringLiteral("aa")), QStringLiteral("aa aa"));
}

} // namespace
