// Primary keys and indexes carried over from the source index catalogue.

#include "support/DboTable.h"
#include "convert/Tcc.h"
#include "support/ModelServers.h"

#include <gtest/gtest.h>

namespace {

struct KeysAndIndexes : ::testing::Test {
    ModelServers servers;
    tw::Tcc cc;
    bool ok = false;
    QString error = QStringLiteral("untouched");
    int statementsBefore = 0;

    // Creates the target table the way the run does, then converts the keys.
    QStringList convert(const QString& source, const QString& target, bool upper = true)
    {
        cc.CreateOracleTable(*servers.query, *servers.target, dboTable(source, target), upper, ok, error);
        statementsBefore = int(servers.oracle.statementLog().size());
        cc.CreateOracleIndexes(*servers.query, *servers.target, dboTable(source, target), upper, ok, error);
        return keyStatements();
    }
    QStringList keyStatements() const
    {
        QStringList statements = servers.oracle.statementLog().mid(statementsBefore);
        for (QString& s : statements)
            s = s.trimmed();
        return statements;
    }
};

TEST_F(KeysAndIndexes, OrdersIndexThenPrimaryKeyNamedByRowPosition)
{
    servers.sourceDb.table(QStringLiteral("Orders"))
        .column(QStringLiteral("OrderID"), QStringLiteral("int"), false)
        .column(QStringLiteral("CustomerID"), QStringLiteral("nchar(5)"))
        .index(QStringLiteral("IX_Cust"), {QStringLiteral("CustomerID")})
        .primaryKey(QStringLiteral("PK_Orders"), {QStringLiteral("OrderID")});
    servers.connect();

    EXPECT_EQ(convert(QStringLiteral("Orders"), QStringLiteral("ORDERS")),
              (QStringList{QStringLiteral("create index idx_IX_CustORDERS on ORDERS (CustomerID)"),
                           QStringLiteral("alter table Orders  add constraint PRIMARYOrders2 primary key (OrderID)")}));
    EXPECT_TRUE(ok) << qPrintable(error);
    EXPECT_EQ(error, QStringLiteral("untouched"));
    const auto constraints = servers.oracle.constraints(QStringLiteral("SCOTT"), QStringLiteral("ORDERS"));
    ASSERT_EQ(constraints.size(), 1);
    EXPECT_EQ(constraints[0].name, QStringLiteral("PRIMARYORDERS2"));
}

TEST_F(KeysAndIndexes, CompositeKeyUniqueConstraintAndLongIndexName)
{
    servers.sourceDb.table(QStringLiteral("Users"))
        .column(QStringLiteral("OrderID"), QStringLiteral("int"), false)
        .column(QStringLiteral("ProductID"), QStringLiteral("int"), false)
        .column(QStringLiteral("Email"), QStringLiteral("varchar(80)"))
        .column(QStringLiteral("Region"), QStringLiteral("varchar(20)"))
        .primaryKey(QStringLiteral("PK_Users"), {QStringLiteral("OrderID"), QStringLiteral("ProductID")})
        .uniqueConstraint(QStringLiteral("UQ_Email"), {QStringLiteral("Email")})
        .index(QStringLiteral("IX_Customers_Region_PostalCode"), {QStringLiteral("Region"), QStringLiteral("Email")});
    servers.connect();

    EXPECT_EQ(convert(QStringLiteral("Users"), QStringLiteral("USERS")),
              (QStringList{
                  QStringLiteral("create index idx_IX_Customers_Region_Postal on USERS (Region,Email)"),
                  QStringLiteral("alter table Users  add constraint PRIMARYUsers3 primary key (OrderID,ProductID)"),
                  QStringLiteral("create index idx_UQ_EmailUSERS on USERS (Email)")}));
    EXPECT_TRUE(ok) << qPrintable(error);
    for (const auto& index : servers.oracle.indexes(QStringLiteral("SCOTT"), QStringLiteral("USERS"))) {
        if (index.name == QStringLiteral("IDX_UQ_EMAILUSERS")) {
            EXPECT_FALSE(index.unique);
        }
    }
}

// With full definitions a unique constraint stays a unique constraint and a
// unique index a unique index; plain indexes and primary keys are as always.
TEST_F(KeysAndIndexes, FullDefinitionsKeepUniqueConstraintsAndUniqueIndexes)
{
    servers.sourceDb.table(QStringLiteral("Users"))
        .column(QStringLiteral("Id"), QStringLiteral("int"), false)
        .column(QStringLiteral("Email"), QStringLiteral("varchar(80)"))
        .column(QStringLiteral("Login"), QStringLiteral("varchar(20)"))
        .column(QStringLiteral("Region"), QStringLiteral("varchar(20)"))
        .primaryKey(QStringLiteral("PK_Users"), {QStringLiteral("Id")})
        .uniqueConstraint(QStringLiteral("UQ_Email"), {QStringLiteral("Email")})
        .uniqueIndex(QStringLiteral("UX_Login"), {QStringLiteral("Login")})
        .index(QStringLiteral("IX_Region"), {QStringLiteral("Region")});
    servers.connect();
    cc.setFullDefinitions(true);

    EXPECT_EQ(convert(QStringLiteral("Users"), QStringLiteral("USERS")),
              (QStringList{QStringLiteral("create index idx_IX_RegionUSERS on USERS (Region)"),
                           QStringLiteral("alter table Users  add constraint PRIMARYUsers2 primary key (Id)"),
                           QStringLiteral("alter table USERS  add constraint UQ_Email unique (Email)"),
                           QStringLiteral("create unique index idx_UX_LoginUSERS on USERS (Login)")}));
    EXPECT_TRUE(ok) << qPrintable(error);
    QStringList unique;
    for (const auto& index : servers.oracle.indexes(QStringLiteral("SCOTT"), QStringLiteral("USERS")))
        unique.append(index.name + (index.unique ? QStringLiteral(" unique") : QString()));
    EXPECT_EQ(unique, (QStringList{"IDX_IX_REGIONUSERS", "PRIMARYUSERS2 unique", "UQ_EMAIL unique",
                                   "IDX_UX_LOGINUSERS unique"}));
}

TEST_F(KeysAndIndexes, NamesOutOfFoldingReachAreQuotedAsCreated)
{
    servers.sourceDb.table(QStringLiteral("Order Details"))
        .column(QStringLiteral("OrderID"), QStringLiteral("int"), false)
        .column(QStringLiteral("Qty"), QStringLiteral("int"))
        .primaryKey(QStringLiteral("PK_Order_Details"), {QStringLiteral("OrderID")})
        .index(QStringLiteral("IX_Qty"), {QStringLiteral("Qty")});
    servers.sourceDb.table(QStringLiteral("Orders"))
        .column(QStringLiteral("OrderID"), QStringLiteral("int"), false)
        .primaryKey(QStringLiteral("PK_Orders"), {QStringLiteral("OrderID")});
    servers.connect();

    // "Order Details" unquoted would not name the table: the key statement
    // quotes the target name and its own name; the index keeps its text.
    EXPECT_EQ(convert(QStringLiteral("Order Details"), QStringLiteral("ORDER_DETAILS")),
              (QStringList{QStringLiteral("create index idx_IX_QtyORDER_DETAILS on ORDER_DETAILS (Qty)"),
                           QStringLiteral("alter table \"ORDER_DETAILS\"  add constraint \"PRIMARYOrder Details2\" "
                                          "primary key (OrderID)")}));
    EXPECT_TRUE(ok) << qPrintable(error);
    EXPECT_EQ(servers.oracle.constraints(QStringLiteral("SCOTT"), QStringLiteral("ORDER_DETAILS")).size(), 1);

    // Upper case off: the table and column keep their case, so both are quoted.
    EXPECT_EQ(convert(QStringLiteral("Orders"), QStringLiteral("Orders"), false),
              QStringList{QStringLiteral("alter table \"Orders\"  add constraint PRIMARYOrders1 primary key (\"OrderID\")")});
    EXPECT_TRUE(ok) << qPrintable(error);
    EXPECT_EQ(servers.oracle.constraints(QStringLiteral("SCOTT"), QStringLiteral("Orders")).value(0).columns,
              QStringList{QStringLiteral("OrderID")});
}

TEST_F(KeysAndIndexes, HeapExecutesNothing)
{
    servers.sourceDb.table(QStringLiteral("Heap")).column(QStringLiteral("A"), QStringLiteral("int"));
    servers.connect();
    EXPECT_TRUE(convert(QStringLiteral("Heap"), QStringLiteral("HEAP")).isEmpty());
    EXPECT_TRUE(ok);
    EXPECT_EQ(error, QStringLiteral("untouched"));
}

TEST_F(KeysAndIndexes, MiddleFailuresKeepTheMessageAloneLastKeepsTheStatement)
{
    servers.sourceDb.table(QStringLiteral("K"))
        .column(QStringLiteral("A"), QStringLiteral("int"))
        .column(QStringLiteral("B"), QStringLiteral("int"))
        .column(QStringLiteral("C"), QStringLiteral("int"))
        .index(QStringLiteral("IX_A"), {QStringLiteral("A")})
        .index(QStringLiteral("IX_B"), {QStringLiteral("B")})
        .index(QStringLiteral("IX_C"), {QStringLiteral("C")});
    servers.connect();

    // A target table that only has column C: the first two indexes fail.
    servers.targetExecute(QStringLiteral("create table K (C NUMBER)"));
    statementsBefore = int(servers.oracle.statementLog().size());
    cc.CreateOracleIndexes(*servers.query, *servers.target, dboTable(QStringLiteral("K"), QStringLiteral("K")), true, ok, error);
    EXPECT_EQ(keyStatements().size(), 3);
    EXPECT_FALSE(ok);
    EXPECT_EQ(error, QStringLiteral("ORA-00904: \"B\": invalid identifier"));

    servers.targetExecute(QStringLiteral("drop table K"));
    servers.targetExecute(QStringLiteral("create table K (D NUMBER)"));
    cc.CreateOracleIndexes(*servers.query, *servers.target, dboTable(QStringLiteral("K"), QStringLiteral("K")), true, ok, error);
    EXPECT_FALSE(ok);
    EXPECT_EQ(error, QStringLiteral("ORA-00904: \"C\": invalid identifier\r\ncreate index idx_IX_CK on K (C)\r\n\r\n"));
}

} // namespace
