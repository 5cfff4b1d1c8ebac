// Fidelity of the model Oracle: names, DDL rules, values, transactions,
// persistence and the in-process target access layer.

#include "db/Failure.h"
#include "peers/oracle/ModelOracle.h"
#include "peers/oracle/ModelTargetLayer.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Readable values in failure messages.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }
QT_END_NAMESPACE
namespace tw {
inline void PrintTo(const SqlValue& value, std::ostream* os) { *os << describe(value).toStdString(); }
} // namespace tw

using peers::OraError;
using tw::SqlValue;

namespace {

const QString kOwner = QStringLiteral("SCOTT");

struct ModelOracleTest : ::testing::Test {
    peers::ModelOracle model;
    peers::OraSession session;

    ModelOracleTest()
    {
        model.addUser(QStringLiteral("scott"), QStringLiteral("tiger"));
        session = model.logon(QStringLiteral("scott"), QStringLiteral("tiger"), QStringLiteral("ORCL"));
    }

    // The ORA- text a statement is refused with, or "" when it succeeds.
    QString refusal(const QString& sql, const QVector<SqlValue>& binds = {})
    {
        try {
            session.execute(sql, binds);
        } catch (const OraError& e) {
            return e.message;
        }
        return QString();
    }
    void run(const QString& sql, const QVector<SqlValue>& binds = {})
    {
        const QString error = refusal(sql, binds);
        ASSERT_TRUE(error.isEmpty()) << qPrintable(sql) << " -> " << qPrintable(error);
    }
    qint64 probe(const QString& table, const QString& owner = QStringLiteral("scott"))
    {
        return session
            .execute(QStringLiteral("select count(*) cn from all_tables where table_name='%1' and upper(owner)='%2'")
                         .arg(table, owner.toUpper()))
            .rows.at(0)
            .at(0)
            .asInteger();
    }
    QVector<QVector<SqlValue>> rows(const QString& table) const { return model.rows(kOwner, table); }
};

TEST_F(ModelOracleTest, QuotedNamesKeepTheirCaseAndUnquotedNamesFold)
{
    run(QStringLiteral("Create table \"Orders\" (\r\n\"Id\" NUMBER(10,0) , \r\n\"Name\" varchar2(40)\r\n ) \r\n"));
    run(QStringLiteral("create table invoices (id number, \"select\" date)"));
    EXPECT_EQ(model.tables(kOwner), (QStringList{QStringLiteral("Orders"), QStringLiteral("INVOICES")}));
    EXPECT_EQ(model.columns(kOwner, QStringLiteral("INVOICES")).at(1).name, QStringLiteral("select"));

    EXPECT_EQ(probe(QStringLiteral("Orders")), 1);
    EXPECT_EQ(probe(QStringLiteral("ORDERS")), 0);
    EXPECT_EQ(probe(QStringLiteral("INVOICES")), 1);
    EXPECT_EQ(probe(QStringLiteral("invoices")), 0);
    EXPECT_EQ(refusal(QStringLiteral("drop table Orders")), QStringLiteral("ORA-00942: table or view does not exist"));
    EXPECT_EQ(refusal(QStringLiteral("alter table Orders  add constraint PK_O primary key (Id)")),
              QStringLiteral("ORA-00942: table or view does not exist"));
    EXPECT_EQ(refusal(QStringLiteral("alter table \"Orders\" add constraint PK_O primary key (Id)")),
              QStringLiteral("ORA-00904: \"ID\": invalid identifier"));
    run(QStringLiteral("drop table \"Orders\"\r\n"));
    EXPECT_EQ(probe(QStringLiteral("Orders")), 0);
}

TEST_F(ModelOracleTest, IdentifierRules)
{
    const QString name30 = QStringLiteral("A23456789012345678901234567890");
    run(QStringLiteral("create table \"%1\" (\"%1\" number)").arg(name30));
    EXPECT_EQ(refusal(QStringLiteral("create table \"%1X\" (a number)").arg(name30)),
              QStringLiteral("ORA-00972: identifier is too long"));
    // 30 bytes, not 30 characters: 16 two-byte letters are too long.
    EXPECT_EQ(refusal(QStringLiteral("create table \"%1\" (a number)").arg(QString(16, QChar(0xE9)))),
              QStringLiteral("ORA-00972: identifier is too long"));
    EXPECT_EQ(refusal(QStringLiteral("create table \"\" (a number)")),
              QStringLiteral("ORA-01741: illegal zero-length identifier"));
    EXPECT_EQ(refusal(QStringLiteral("create table t (select number)")),
              QStringLiteral("ORA-00904: : invalid identifier"));
    EXPECT_EQ(refusal(QStringLiteral("create table order (a number)")), QStringLiteral("ORA-00903: invalid table name"));
    EXPECT_EQ(refusal(QStringLiteral("create table 1a (a number)")), QStringLiteral("ORA-00903: invalid table name"));
    // A doubled double quote does not put a quote into a name: Oracle reads
    // two names, and the second stands where the data type belongs.
    EXPECT_EQ(refusal(QStringLiteral("Create table \"EVIL\" (\r\n\"X\"\" NUMBER,_\"\"Y\" NUMBER(10,0)\r\n ) \r\n")),
              QStringLiteral("ORA-00902: invalid datatype"));
    EXPECT_FALSE(model.tables(kOwner).contains(QStringLiteral("EVIL")));
}

TEST_F(ModelOracleTest, CreateTableRejections)
{
    run(QStringLiteral("create table EXISTING (a number)"));
    run(QStringLiteral("create view V as select * from EXISTING"));
    const QVector<std::pair<QString, QString>> cases{
        {"Create table \"T\" (\r\n\"A\" NUMBER(48,10)\r\n ) \r\n",
         "ORA-01727: numeric precision specifier is out of range (1 to 38)"},
        {"create table T (a NUMBER(10,-85))", "ORA-01728: numeric scale specifier is out of range (-84 to 127)"},
        {"create table T (a varchar2(4001))", "ORA-00910: specified length too long for its datatype"},
        {"create table T (a varchar2(-1))", "ORA-00910: specified length too long for its datatype"},
        {"create table T (a varchar2(0))", "ORA-01723: zero-length columns are not allowed"},
        {"create table T (a varchar2)", "ORA-00906: missing left parenthesis"},
        {"create table T (a varchar2(10) , \"A\" date)", "ORA-00957: duplicate column name"},
        {"create table T (a numbr)", "ORA-00902: invalid datatype"},
        {"create table T (a)", "ORA-02263: need to specify the datatype for this column"},
        {"create table T (a number foo)", "ORA-00907: missing right parenthesis"},
        {"Create table \"X\" ( \r\n ) \r\n", "ORA-00904: : invalid identifier"},
        {"create table T (a number);", "ORA-00922: missing or invalid option"},
        {"create table T", "ORA-00906: missing left parenthesis"},
        {"create table EXISTING (b number)", "ORA-00955: name is already used by an existing object"},
        {"create table V (b number)", "ORA-00955: name is already used by an existing object"},
        {"truncate table EXISTING", "ORA-00900: invalid SQL statement"},
    };
    for (const auto& [sql, message] : cases)
        EXPECT_EQ(refusal(sql), message) << qPrintable(sql);
    EXPECT_EQ(model.tables(kOwner), QStringList{QStringLiteral("EXISTING")});
}

TEST_F(ModelOracleTest, DescribedColumnTypes)
{
    run(QStringLiteral("create table T (n NUMBER, p NUMBER(5), ps NUMBER(12,2), i INTEGER, v varchar2(40), "
                       "vc VARCHAR2(10 CHAR), d date, b BLOB)"));
    const auto columns = model.columns(kOwner, QStringLiteral("T"));
    ASSERT_EQ(columns.size(), 8);
    auto shape = [](const peers::OraColumn& c) {
        return QStringLiteral("%1 %2 %3,%4 %5").arg(c.type).arg(c.length).arg(c.precision).arg(c.scale).arg(c.charLength);
    };
    const QStringList expected{"NUMBER 22 -1,-1 0", "NUMBER 22 5,0 0",  "NUMBER 22 12,2 0", "NUMBER 22 -1,0 0",
                               "VARCHAR2 40 -1,-1 0", "VARCHAR2 40 -1,-1 10", "DATE 7 -1,-1 0", "BLOB 4000 -1,-1 0"};
    for (int i = 0; i < columns.size(); ++i)
        EXPECT_EQ(shape(columns[i]), expected[i]) << i;

    const auto described = session.execute(QStringLiteral("select * from \"T\" where 1=0\r\n"));
    EXPECT_EQ(described.columns.size(), 8);
    EXPECT_TRUE(described.rows.isEmpty());
    EXPECT_EQ(refusal(QStringLiteral("select * from \"t\" where 1=0")),
              QStringLiteral("ORA-00942: table or view does not exist"));
}

// Types, defaults, identity columns and delete rules of full table
// definitions, as Oracle's SQL Language Reference describes them ("Data
// Types", "CREATE TABLE" column_definition and identity_clause, "ALTER
// TABLE" identity_options, references_clause).
TEST_F(ModelOracleTest, FullDefinitionTypesDefaultsAndIdentity)
{
    run(QStringLiteral("create table P (ID NUMBER(10) GENERATED BY DEFAULT ON NULL AS IDENTITY, "
                       "D BINARY_DOUBLE, F BINARY_FLOAT, R RAW(8), TZ TIMESTAMP(7) WITH TIME ZONE, "
                       "T INTERVAL DAY(0) TO SECOND(7), G CHAR(36) DEFAULT REGEXP_REPLACE(RAWTOHEX(SYS_GUID()),"
                       "'(.{8})(.{4})(.{4})(.{4})(.{12})','\\1-\\2-\\3-\\4-\\5'), "
                       "S NUMBER(5) DEFAULT 0 NOT NULL, N VARCHAR2(10 CHAR) DEFAULT 'x''y', W TIMESTAMP(3) DEFAULT SYSTIMESTAMP)"));
    const auto columns = model.columns(kOwner, QStringLiteral("P"));
    ASSERT_EQ(columns.size(), 10);
    QStringList types;
    for (const peers::OraColumn& c : columns)
        types.append(QStringLiteral("%1 %2 %3").arg(c.type).arg(c.length).arg(c.nullable ? "null" : "not null"));
    EXPECT_EQ(types, (QStringList{"NUMBER 22 not null", "BINARY_DOUBLE 8 null", "BINARY_FLOAT 4 null", "RAW 8 null",
                                  "TIMESTAMP(7) WITH TIME ZONE 13 null", "INTERVAL DAY(0) TO SECOND(7) 11 null",
                                  "CHAR 36 null", "NUMBER 22 not null", "VARCHAR2 40 null", "TIMESTAMP(3) 11 null"}));

    // Explicit identity values do not move the generator; an omitted or NULL
    // one takes its next value; defaults fill the omitted columns.
    run(QStringLiteral("insert into P (ID, D) values (:1, :2)"), {SqlValue(qint64(7)), SqlValue(1.7976931348623157e308)});
    run(QStringLiteral("insert into P (ID, D) values (:1, :2)"), {SqlValue(), SqlValue(-1.7976931348623157e308)});
    session.commit();
    QVector<QVector<SqlValue>> stored = rows(QStringLiteral("P"));
    ASSERT_EQ(stored.size(), 2);
    EXPECT_EQ(stored[1][0], SqlValue(qint64(1)));
    EXPECT_EQ(stored[0][1], SqlValue(1.7976931348623157e308));
    EXPECT_EQ(stored[1][1], SqlValue(-1.7976931348623157e308));
    EXPECT_EQ(stored[0][6].asText().size(), 36);
    EXPECT_EQ(stored[0][7], SqlValue(qint64(0)));
    EXPECT_EQ(stored[0][8], SqlValue(QStringLiteral("x'y")));
    EXPECT_FALSE(stored[0][9].isNull());

    // START WITH LIMIT VALUE: the next value follows the highest one held.
    run(QStringLiteral("ALTER TABLE \"P\" MODIFY (\"ID\" GENERATED BY DEFAULT ON NULL AS IDENTITY (START WITH LIMIT VALUE))"));
    run(QStringLiteral("insert into P (D) values (1)"));
    session.commit();
    EXPECT_EQ(rows(QStringLiteral("P")).last()[0], SqlValue(qint64(8)));

    EXPECT_EQ(refusal(QStringLiteral("alter table P modify (D generated by default as identity)")),
              QStringLiteral("ORA-30673: column to be modified is not an identity column"));
    EXPECT_EQ(refusal(QStringLiteral("create table Q (A VARCHAR2(5) GENERATED ALWAYS AS IDENTITY)")),
              QStringLiteral("ORA-30675: identity column must be a numeric type"));
    EXPECT_EQ(refusal(QStringLiteral("create table Q (A NUMBER GENERATED AS IDENTITY (START WITH LIMIT VALUE))")),
              QStringLiteral("ORA-00922: missing or invalid option"));
    run(QStringLiteral("create table A (K NUMBER GENERATED ALWAYS AS IDENTITY)"));
    EXPECT_EQ(refusal(QStringLiteral("insert into A (K) values (1)")),
              QStringLiteral("ORA-32795: cannot insert into a generated always identity column"));

    run(QStringLiteral("alter table P add constraint PK_P primary key (ID)"));
    run(QStringLiteral("create table C (PID NUMBER(10))"));
    run(QStringLiteral("alter table C add constraint FK_C foreign key (PID) references P (ID) on delete cascade"));
    EXPECT_EQ(model.constraints(kOwner, QStringLiteral("C")).at(0).deleteRule, QStringLiteral("CASCADE"));
}

TEST_F(ModelOracleTest, DictionaryProbeCountsOnlyOwnTables)
{
    run(QStringLiteral("create table \"O'BRIEN\" (a number)"));
    run(QStringLiteral("create view VORDERS as select * from \"O'BRIEN\""));
    run(QStringLiteral("create synonym SORDERS for \"O'BRIEN\""));
    model.addUser(QStringLiteral("other"), QStringLiteral("pw"));
    auto other = model.logon(QStringLiteral("OTHER"), QStringLiteral("pw"), QStringLiteral("orcl"));
    other.execute(QStringLiteral("create table OTHERS (a number)"));

    EXPECT_EQ(probe(QStringLiteral("O''BRIEN")), 1);
    EXPECT_EQ(probe(QStringLiteral("VORDERS")), 0);
    EXPECT_EQ(probe(QStringLiteral("SORDERS")), 0);
    EXPECT_EQ(probe(QStringLiteral("OTHERS")), 0);
    EXPECT_EQ(probe(QStringLiteral("O''BRIEN"), QStringLiteral("SYSTEM")), 0);
    EXPECT_EQ(session.execute(QStringLiteral("select count(*) cn from all_tables where table_name='O''BRIEN' "
                                             "and owner='scott'"))
                  .rows[0][0],
              SqlValue(0));  // owner compared as stored unless upper() is applied
    EXPECT_EQ(refusal(QStringLiteral("select count(*) cn from all_tables where tablename='X'")),
              QStringLiteral("ORA-00904: \"TABLENAME\": invalid identifier"));
    EXPECT_EQ(session.execute(QStringLiteral("select * from VORDERS where 1=0")).columns.size(), 1);
}

TEST_F(ModelOracleTest, PrimaryKeysAndIndexes)
{
    run(QStringLiteral("Create table \"ORDERS\" (\"ORDERID\" NUMBER(10,0), \"CUSTOMERID\" NUMBER(10,0), "
                       "\"NOTES\" BLOB)"));
    run(QStringLiteral("create index idx_IX_CustORDERS on ORDERS (CustomerID)"));
    run(QStringLiteral("alter table Orders  add constraint PRIMARYOrders2 primary key (OrderID)"));

    const auto constraints = model.constraints(kOwner, QStringLiteral("ORDERS"));
    ASSERT_EQ(constraints.size(), 1);
    EXPECT_EQ(constraints[0].name, QStringLiteral("PRIMARYORDERS2"));
    EXPECT_EQ(constraints[0].indexName, QStringLiteral("PRIMARYORDERS2"));
    const auto indexes = model.indexes(kOwner, QStringLiteral("ORDERS"));
    ASSERT_EQ(indexes.size(), 2);
    EXPECT_FALSE(indexes[0].unique);
    EXPECT_TRUE(indexes[1].unique);
    EXPECT_EQ(indexes[1].columns, QStringList{QStringLiteral("ORDERID")});
    EXPECT_FALSE(model.columns(kOwner, QStringLiteral("ORDERS"))[0].nullable);

    const QVector<std::pair<QString, QString>> cases{
        {"create index idx_pk on ORDERS (OrderID)", "ORA-01408: such column list already indexed"},
        {"create index idx_IX_CustORDERS on ORDERS (OrderID, CustomerID)",
         "ORA-00955: name is already used by an existing object"},
        {"create index IX_NOTES on ORDERS (Notes)", "ORA-02327: cannot create index on expression with datatype LOB"},
        {"create index IX_X on ORDERS (Nope)", "ORA-00904: \"NOPE\": invalid identifier"},
        {"create index IX_X on NOPE (A)", "ORA-00942: table or view does not exist"},
        {"create index IX_A234567890123456789012345678901 on ORDERS (OrderID, CustomerID)",
         "ORA-00972: identifier is too long"},
        {"alter table ORDERS add constraint PK2 primary key (CustomerID)",
         "ORA-02260: table can have only one primary key"},
        {"alter table ORDERS add constraint PRIMARYORDERS2 unique (CustomerID)",
         "ORA-02264: name already used by an existing constraint"},
        {"alter table ORDERS add constraint UQ_NOTES unique (Notes)",
         "ORA-02329: column of datatype LOB cannot be unique or a primary key"},
        {"alter table ORDERS add constraint idx_IX_CustORDERS unique (OrderID, Notes2)",
         "ORA-00904: \"NOTES2\": invalid identifier"},
    };
    for (const auto& [sql, message] : cases)
        EXPECT_EQ(refusal(sql), message) << qPrintable(sql);
    // Indexes have a namespace of their own; the other column order is
    // another column list.
    run(QStringLiteral("create index ORDERS on ORDERS (CustomerID, OrderID)"));
    run(QStringLiteral("create index IX_BOTH on ORDERS (OrderID, CustomerID)"));
}

TEST_F(ModelOracleTest, PrimaryKeyUsesAnIndexOnItsColumnsAndNamesClash)
{
    run(QStringLiteral("create table T (a number, b number)"));
    run(QStringLiteral("create index IX_BA on T (b, a)"));
    run(QStringLiteral("alter table T add constraint PK_T primary key (a, b)"));
    EXPECT_EQ(model.indexes(kOwner, QStringLiteral("T")).size(), 1);
    EXPECT_EQ(model.constraints(kOwner, QStringLiteral("T"))[0].indexName, QStringLiteral("IX_BA"));

    run(QStringLiteral("create table U (a number)"));
    run(QStringLiteral("create index IX_U on U (a)"));
    run(QStringLiteral("create table W (a number)"));
    EXPECT_EQ(refusal(QStringLiteral("alter table W add constraint IX_U primary key (a)")),
              QStringLiteral("ORA-00955: name is already used by an existing object"));
    EXPECT_TRUE(model.constraints(kOwner, QStringLiteral("W")).isEmpty());
}

TEST_F(ModelOracleTest, DropRefusedWhileReferencedAndRemovesKeys)
{
    run(QStringLiteral("Create table \"PARENT\" (\"ID\" NUMBER(10,0))"));
    run(QStringLiteral("create table CHILD (pid number(10,0))"));
    EXPECT_EQ(refusal(QStringLiteral("alter table CHILD add constraint FK_C foreign key (pid) references PARENT (ID)")),
              QStringLiteral("ORA-02270: no matching unique or primary key for this column-list"));
    run(QStringLiteral("alter table PARENT add constraint PK_PARENT primary key (ID)"));
    run(QStringLiteral("alter table CHILD add constraint FK_C foreign key (pid) references PARENT (ID)"));
    EXPECT_EQ(refusal(QStringLiteral("INSERT INTO \"CHILD\" (\"PID\") VALUES (:1)"), {SqlValue(7)}),
              QStringLiteral("ORA-02291: integrity constraint (SCOTT.FK_C) violated - parent key not found"));

    EXPECT_EQ(refusal(QStringLiteral("drop table \"PARENT\"")),
              QStringLiteral("ORA-02449: unique/primary keys in table referenced by foreign keys"));
    run(QStringLiteral("drop table \"CHILD\""));
    run(QStringLiteral("drop table \"PARENT\""));
    // The key and its index went with the table: the names are free again.
    run(QStringLiteral("create table PARENT (id number)"));
    run(QStringLiteral("alter table PARENT add constraint PK_PARENT primary key (ID)"));
}

// Deleting a parent row follows each foreign key's delete rule: CASCADE
// deletes the dependent rows, SET NULL empties their key columns, and
// without a rule a dependent row stops the whole statement.
TEST_F(ModelOracleTest, DeletingAParentRowFollowsTheDeleteRules)
{
    run(QStringLiteral("create table P (ID NUMBER(10))"));
    run(QStringLiteral("alter table P add constraint PK_P primary key (ID)"));
    for (const char* child : {"CASCADED", "EMPTIED", "GUARDED"})
        run(QStringLiteral("create table %1 (PID NUMBER(10), N NUMBER(10))").arg(QLatin1String(child)));
    run(QStringLiteral("alter table CASCADED add constraint FK_A foreign key (PID) references P (ID) on delete cascade"));
    run(QStringLiteral("alter table EMPTIED add constraint FK_B foreign key (PID) references P (ID) on delete set null"));
    run(QStringLiteral("alter table GUARDED add constraint FK_C foreign key (PID) references P (ID)"));
    for (int id : {1, 2})
        run(QStringLiteral("insert into P (ID) values (%1)").arg(id));
    for (const char* child : {"CASCADED", "EMPTIED"}) {
        for (int id : {1, 2})
            run(QStringLiteral("insert into %1 (PID, N) values (%2, %2)").arg(QLatin1String(child)).arg(id));
    }
    run(QStringLiteral("insert into GUARDED (PID, N) values (2, 2)"));
    session.commit();

    run(QStringLiteral("delete from P where rownum <= 1"));
    session.commit();
    EXPECT_EQ(rows(QStringLiteral("CASCADED")), (QVector<QVector<SqlValue>>{{qint64(2), qint64(2)}}));
    EXPECT_EQ(rows(QStringLiteral("EMPTIED")).size(), 2);
    EXPECT_TRUE(rows(QStringLiteral("EMPTIED")).contains(QVector<SqlValue>{SqlValue(), qint64(1)}));

    EXPECT_EQ(refusal(QStringLiteral("delete from P")),
              QStringLiteral("ORA-02292: integrity constraint (SCOTT.FK_C) violated - child record found"));
    session.commit();
    EXPECT_EQ(rows(QStringLiteral("P")).size(), 1);
    EXPECT_EQ(rows(QStringLiteral("CASCADED")).size(), 1);
}

// Text reaches datetime and interval columns through the session's formats:
// the defaults until ALTER SESSION sets others; fractions kept to the
// column's digits, the offset with the time zone.
TEST_F(ModelOracleTest, DatetimeAndIntervalTextIsReadWithTheSessionsFormats)
{
    run(QStringLiteral("create table T (S TIMESTAMP(7), Z TIMESTAMP(7) WITH TIME ZONE, I INTERVAL DAY(0) TO SECOND(7))"));
    const QString insert = QStringLiteral("insert into T (S, Z, I) values (:1, :2, :3)");
    EXPECT_EQ(refusal(insert, {QStringLiteral("2024-02-29 23:59:59.1234567"), SqlValue(), SqlValue()}),
              QStringLiteral("ORA-01861: literal does not match format string"));
    run(QStringLiteral("ALTER SESSION SET NLS_TIMESTAMP_FORMAT = 'YYYY-MM-DD HH24:MI:SS.FF9' "
                       "NLS_TIMESTAMP_TZ_FORMAT = 'YYYY-MM-DD HH24:MI:SS.FF9 TZH:TZM'"));
    run(insert, {QStringLiteral("2024-02-29 23:59:59.12345678"), QStringLiteral("0001-01-01 00:00:00.0000001 -14:00"),
                 QStringLiteral("0 23:59:59.9999999")});
    EXPECT_EQ(refusal(insert, {SqlValue(), SqlValue(), QStringLiteral("1 00:00:00")}),
              QStringLiteral("ORA-01873: the leading precision of the interval is too small"));
    EXPECT_EQ(refusal(insert, {SqlValue(), SqlValue(), QStringLiteral("23:59:59")}),
              QStringLiteral("ORA-01867: the interval is invalid"));
    session.commit();
    EXPECT_EQ(rows(QStringLiteral("T")),
              (QVector<QVector<SqlValue>>{{QStringLiteral("2024-02-29 23:59:59.1234568"),
                                           QStringLiteral("0001-01-01 00:00:00.0000001 -14:00"),
                                           QStringLiteral("+00 23:59:59.9999999")}}));
}

TEST_F(ModelOracleTest, NumberPrecisionAndScale)
{
    run(QStringLiteral("create table N (a NUMBER(5,2), b NUMBER(3,-2), c NUMBER, d NUMBER(10,0))"));
    const QString insert = QStringLiteral("INSERT INTO \"N\" (\"A\",\"B\",\"C\",\"D\") VALUES (:1,:2,:3,:4)");
    run(insert, {SqlValue::decimal("123.455"), SqlValue(12345), SqlValue(0.1), SqlValue::decimal("2.5")});
    run(insert, {SqlValue::decimal("-0.005"), SqlValue(49), SqlValue("12.50"), SqlValue::decimal("-2.5")});
    run(insert, {SqlValue::decimal("999.994"), SqlValue(), SqlValue(""), SqlValue(7)});
    session.commit();
    const auto stored = rows(QStringLiteral("N"));
    ASSERT_EQ(stored.size(), 3);
    EXPECT_EQ(stored[0], (QVector<SqlValue>{SqlValue::decimal("123.46"), SqlValue(12300), SqlValue::decimal("0.1"),
                                            SqlValue(3)}));
    EXPECT_EQ(stored[1], (QVector<SqlValue>{SqlValue::decimal("-0.01"), SqlValue(0), SqlValue::decimal("12.5"),
                                            SqlValue(-3)}));
    EXPECT_EQ(stored[2], (QVector<SqlValue>{SqlValue::decimal("999.99"), SqlValue(), SqlValue(), SqlValue(7)}));

    const QString tooLarge = QStringLiteral("ORA-01438: value larger than specified precision allowed for this column");
    const QString one = QStringLiteral("INSERT INTO \"N\" (\"A\") VALUES (:1)");
    EXPECT_EQ(refusal(one, {SqlValue::decimal("999.995")}), tooLarge);  // rounds to 1000.00
    EXPECT_EQ(refusal(one, {SqlValue(1000)}), tooLarge);
    EXPECT_EQ(refusal(QStringLiteral("INSERT INTO \"N\" (\"B\") VALUES (:1)"), {SqlValue(99950)}), tooLarge);
    EXPECT_EQ(refusal(one, {SqlValue("12,5")}), QStringLiteral("ORA-01722: invalid number"));
    EXPECT_EQ(refusal(one, {SqlValue(QDateTime(QDate(2024, 1, 5), QTime(0, 0), Qt::UTC))}),
              QStringLiteral("ORA-00932: inconsistent datatypes: expected NUMBER got DATE"));
    EXPECT_EQ(refusal(one, {SqlValue(QByteArray("x"))}),
              QStringLiteral("ORA-00932: inconsistent datatypes: expected NUMBER got BINARY"));
}

TEST_F(ModelOracleTest, CharacterDateAndBlobValues)
{
    run(QStringLiteral("create table V (v varchar2(5), vc varchar2(5 char), d date, b blob)"));
    const QString insert = QStringLiteral("INSERT INTO \"V\" (\"V\",\"VC\",\"D\",\"B\") VALUES (:1,:2,:3,:4)");
    const QByteArray blob(1 << 20, '\x5a');
    run(insert, {SqlValue(QStringLiteral("abcde")), SqlValue(QStringLiteral("héllo")),
                 SqlValue::dateTime(2024, 2, 29, 13, 14, 15, 678), SqlValue(blob)});
    run(insert, {SqlValue(""), SqlValue(""), SqlValue(), SqlValue(QByteArray())});
    EXPECT_EQ(refusal(insert, {SqlValue(QStringLiteral("héllo")), SqlValue(), SqlValue(), SqlValue()}),
              QStringLiteral("ORA-12899: value too large for column \"SCOTT\".\"V\".\"V\" (actual: 6, maximum: 5)"));
    EXPECT_EQ(refusal(insert, {SqlValue(), SqlValue(QStringLiteral("ééééé!")), SqlValue(), SqlValue()}),
              QStringLiteral("ORA-12899: value too large for column \"SCOTT\".\"V\".\"VC\" (actual: 6, maximum: 5)"));
    EXPECT_EQ(refusal(insert, {SqlValue(), SqlValue(), SqlValue(5), SqlValue()}),
              QStringLiteral("ORA-00932: inconsistent datatypes: expected DATE got NUMBER"));
    EXPECT_EQ(refusal(insert, {SqlValue(), SqlValue(), SqlValue(), SqlValue(QStringLiteral("zz"))}),
              QStringLiteral("ORA-01465: invalid hex number"));
    EXPECT_EQ(refusal(insert, {SqlValue()}), QStringLiteral("ORA-01008: not all variables bound"));
    EXPECT_EQ(refusal(QStringLiteral("INSERT INTO \"V\" (\"V\") VALUES (:1,:2)"), {SqlValue(), SqlValue()}),
              QStringLiteral("ORA-00913: too many values"));
    session.commit();

    const auto stored = rows(QStringLiteral("V"));
    ASSERT_EQ(stored.size(), 2);
    EXPECT_EQ(stored[0][1], SqlValue(QStringLiteral("héllo")));
    EXPECT_EQ(stored[0][2], SqlValue::dateTime(2024, 2, 29, 13, 14, 15));  // fractional seconds dropped
    EXPECT_EQ(stored[0][3], SqlValue(blob));
    // Oracle stores an empty string, and an empty byte string, as NULL.
    EXPECT_EQ(stored[1], QVector<SqlValue>(4));
}

TEST_F(ModelOracleTest, KeysRefuseDuplicatesAndNulls)
{
    run(QStringLiteral("create table K (id number(10,0), v varchar2(10))"));
    run(QStringLiteral("alter table K add constraint PK_K primary key (id)"));
    const QString insert = QStringLiteral("INSERT INTO \"K\" (\"ID\",\"V\") VALUES (:1,:2)");
    run(insert, {SqlValue(1), SqlValue("a")});
    EXPECT_EQ(refusal(insert, {SqlValue::decimal("1.0"), SqlValue("b")}),
              QStringLiteral("ORA-00001: unique constraint (SCOTT.PK_K) violated"));
    EXPECT_EQ(refusal(insert, {SqlValue(), SqlValue("c")}),
              QStringLiteral("ORA-01400: cannot insert NULL into (\"SCOTT\".\"K\".\"ID\")"));
}

TEST_F(ModelOracleTest, TransactionsAndIsolation)
{
    run(QStringLiteral("create table T (a number)"));
    auto other = model.logon(QStringLiteral("SCOTT"), QStringLiteral("tiger"), QStringLiteral("ORCL"));
    const QString insert = QStringLiteral("INSERT INTO \"T\" (\"A\") VALUES (:1)");
    const QString all = QStringLiteral("select * from T");

    run(insert, {SqlValue(1)});
    EXPECT_EQ(session.execute(all).rows.size(), 1);  // a session sees its own work
    EXPECT_EQ(other.execute(all).rows.size(), 0);
    EXPECT_TRUE(rows(QStringLiteral("T")).isEmpty());
    run(QStringLiteral("rollback"));
    EXPECT_EQ(session.execute(all).rows.size(), 0);

    run(insert, {SqlValue(2)});
    try {
        other.execute(QStringLiteral("drop table T"));
        ADD_FAILURE() << "DDL went through another session's uncommitted rows";
    } catch (const OraError& e) {
        EXPECT_EQ(e.message,
                  QStringLiteral("ORA-00054: resource busy and acquire with NOWAIT specified or timeout expired"));
    }
    // DDL commits the session's work first, also when it then fails.
    run(QStringLiteral("create table U (a number)"));
    EXPECT_EQ(rows(QStringLiteral("T")), (QVector<QVector<SqlValue>>{{SqlValue(2)}}));
    run(insert, {SqlValue(3)});
    EXPECT_FALSE(refusal(QStringLiteral("create table U (a number)")).isEmpty());
    EXPECT_EQ(rows(QStringLiteral("T")).size(), 2);
    run(insert, {SqlValue(4)});
    run(QStringLiteral("commit"));
    EXPECT_EQ(other.execute(all).rows.size(), 3);

    // A delete takes the first rows in the order the table is read; other
    // sessions see them gone only once it commits.
    run(insert, {SqlValue(5)});
    run(QStringLiteral("delete from T where rownum <= 2"));
    EXPECT_EQ(session.execute(all).rows, (QVector<QVector<SqlValue>>{{SqlValue(4)}, {SqlValue(5)}}));
    EXPECT_EQ(other.execute(all).rows.size(), 3);
    run(QStringLiteral("rollback"));
    EXPECT_EQ(session.execute(all).rows.size(), 3);
    run(QStringLiteral("delete T"));
    run(QStringLiteral("commit"));
    EXPECT_TRUE(rows(QStringLiteral("T")).isEmpty());
}

TEST_F(ModelOracleTest, Logon)
{
    auto logonError = [&](const QString& user, const QString& password, const QString& service) {
        try {
            model.logon(user, password, service);
        } catch (const OraError& e) {
            return e.message;
        }
        return QString();
    };
    EXPECT_EQ(logonError("scott", "tiger", "NOSUCH"),
              QStringLiteral("ORA-12154: TNS:could not resolve the connect identifier specified"));
    EXPECT_EQ(logonError("scott", "TIGER", "ORCL"), QStringLiteral("ORA-01017: invalid username/password; logon denied"));
    EXPECT_EQ(logonError("nobody", "tiger", "ORCL"), QStringLiteral("ORA-01017: invalid username/password; logon denied"));
    EXPECT_EQ(logonError("scott", "", "ORCL"), QStringLiteral("ORA-01005: null password given; logon denied"));
    model.addService(QStringLiteral("dbhost:1521/XEPDB1"));
    EXPECT_EQ(logonError("ScOtT", "tiger", "dbhost:1521/xepdb1"), QString());
    EXPECT_EQ(model.logon("scott", "tiger", "orcl").user(), kOwner);
}

TEST_F(ModelOracleTest, SaveAndLoadKeepEverything)
{
    run(QStringLiteral("create table ALLKINDS (n number(20,2), i number, t varchar2(20), d date, b blob)"));
    run(QStringLiteral("alter table ALLKINDS add constraint PK_ALL primary key (i)"));
    run(QStringLiteral("create index IX_T on ALLKINDS (t, d)"));
    QByteArray blob(1 << 20, '\0');
    for (int i = 0; i < blob.size(); ++i)
        blob[i] = char(i * 7 + i / 256);
    const QString insert = QStringLiteral("INSERT INTO \"ALLKINDS\" VALUES (:1,:2,:3,:4,:5)");
    run(insert, {SqlValue::decimal("123456789012345678.25"), SqlValue(Q_INT64_C(-9223372036854775807)),
                 SqlValue(QStringLiteral("ünïcödé 𝄞")), SqlValue::dateTime(1899, 12, 30, 23, 59, 59), SqlValue(blob)});
    run(insert, {SqlValue(), SqlValue(2), SqlValue(), SqlValue(), SqlValue()});
    run(QStringLiteral("commit"));
    model.addService(QStringLiteral("OTHERDB"));
    run(insert, {SqlValue(), SqlValue(3), SqlValue(), SqlValue(), SqlValue()});  // not committed: not kept

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("model.ora"));
    model.save(path);
    peers::ModelOracle copy;
    copy.load(path);

    EXPECT_EQ(copy.rows(kOwner, "ALLKINDS"), model.rows(kOwner, "ALLKINDS"));
    EXPECT_EQ(copy.rows(kOwner, "ALLKINDS").size(), 2);
    EXPECT_EQ(copy.statementLog(), model.statementLog());
    EXPECT_EQ(copy.indexes(kOwner, "ALLKINDS").size(), 2);
    EXPECT_EQ(copy.constraints(kOwner, "ALLKINDS").at(0).indexName, QStringLiteral("PK_ALL"));
    const auto columns = copy.columns(kOwner, "ALLKINDS");
    EXPECT_EQ(columns.at(0).precision, 20);
    EXPECT_FALSE(columns.at(1).nullable);
    auto copied = copy.logon("scott", "tiger", "OTHERDB");
    EXPECT_EQ(refusal(QStringLiteral("x")), QStringLiteral("ORA-00900: invalid SQL statement"));
    try {
        copied.execute(insert, {SqlValue(), SqlValue(2), SqlValue(), SqlValue(), SqlValue()});
        ADD_FAILURE() << "the loaded primary key did not hold";
    } catch (const OraError& e) {
        EXPECT_EQ(e.code, 1);
    }
    EXPECT_THROW(copy.load(dir.filePath(QStringLiteral("missing"))), tw::Failure);
}

// Saving again into the file the model wrote appends what was committed
// since; a record cut short by a killed writer is not read, and a change
// of definition writes the whole file again.
TEST_F(ModelOracleTest, SaveAgainAppendsTheCommittedRows)
{
    run(QStringLiteral("create table T (n number)"));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("model.ora"));
    model.save(path);
    const QString insert = QStringLiteral("insert into T values (:1)");
    QVector<qint64> sizes{QFileInfo(path).size()};
    for (int batch = 0; batch < 2; ++batch) {
        for (int i = 0; i < 3; ++i)
            run(insert, {SqlValue(batch * 3 + i)});
        run(QStringLiteral("commit"));
        model.save(path);
        sizes.append(QFileInfo(path).size());
    }
    // Each save adds as much as the other: the rows and statements of its batch.
    EXPECT_EQ(sizes[2] - sizes[1], sizes[1] - sizes[0]);
    peers::ModelOracle copy;
    copy.load(path);
    EXPECT_EQ(copy.rows(kOwner, "T"), model.rows(kOwner, "T"));
    EXPECT_EQ(copy.statementLog(), model.statementLog());

    QFile file(path);
    ASSERT_TRUE(file.resize(sizes[2] - 4));
    copy.load(path);
    EXPECT_EQ(copy.rows(kOwner, "T").size(), 3);

    run(QStringLiteral("create table U (n number)"));
    model.save(path);
    copy.load(path);
    EXPECT_EQ(copy.rows(kOwner, "T").size(), 6);
    EXPECT_EQ(copy.tables(kOwner), (QStringList{"T", "U"}));
}

// The access layer the program uses, over the model.
struct TargetLayerTest : ModelOracleTest {
    peers::ModelTargetConnection connection{model};
    std::unique_ptr<tw::RowWriter> writer;

    TargetLayerTest()
    {
        connection.setParams({"Database=ORCL", "User_Name=scott", "Password=tiger", "DriverName=Oracle"});
        connection.open();
        auto statement = connection.createStatement();
        statement->setSql(QStringList{"Create table \"T\" (", "\"ID\" NUMBER(10,0) , ", "\"NAME\" varchar2(3)", " ) "});
        statement->executeDirect();
        statement->setSql(QStringLiteral("alter table T add constraint PK_T primary key (ID)"));
        statement->executeDirect();
        writer = connection.createRowWriter();
        writer->setCommandText(QStringLiteral("select * from \"T\" where 1=0"));
        writer->open();
    }
    void addRow(const SqlValue& id, const SqlValue& name)
    {
        writer->append();
        writer->setFieldValue(QStringLiteral("id"), id);
        writer->setFieldValue(QStringLiteral("Name"), name);
        writer->post();
    }
};

TEST_F(TargetLayerTest, BatchIsStoredWholeOrNotAtAll)
{
    EXPECT_EQ(writer->fieldNames(), (QStringList{QStringLiteral("ID"), QStringLiteral("NAME")}));
    addRow(SqlValue(1), SqlValue("a"));
    addRow(SqlValue(2), SqlValue("b"));
    tw::ApplyResult result = writer->applyUpdates();
    EXPECT_EQ(result.stored, 2);
    EXPECT_EQ(result.refused, 0);
    EXPECT_EQ(rows(QStringLiteral("T")).size(), 2);
    EXPECT_EQ(model.statementLog().last(), QStringLiteral("INSERT INTO \"T\" (\"ID\",\"NAME\") VALUES (:1,:2)"));

    addRow(SqlValue(3), SqlValue("c"));
    addRow(SqlValue(4), SqlValue("toolong"));
    addRow(SqlValue(5), SqlValue("e"));
    result = writer->applyUpdates();
    EXPECT_EQ(result.stored, 0);
    EXPECT_EQ(result.refused, 3);
    EXPECT_EQ(result.message,
              QStringLiteral("ORA-12899: value too large for column \"SCOTT\".\"T\".\"NAME\" (actual: 7, maximum: 3)"));
    EXPECT_EQ(writer->pendingCount(), 0);
    EXPECT_EQ(rows(QStringLiteral("T")).size(), 2);  // row 3 was rolled back with the rest

    writer->append();  // a row with no value set is stored as NULLs, and refused here by the key
    writer->post();
    result = writer->applyUpdates();
    EXPECT_EQ(result.message, QStringLiteral("ORA-01400: cannot insert NULL into (\"SCOTT\".\"T\".\"ID\")"));
    writer->applyUpdates();
    EXPECT_EQ(connection.applySizes(), (QVector<int>{2, 3, 1, 0}));
    EXPECT_EQ(connection.lastApplySize(), 0);
}

TEST_F(TargetLayerTest, FieldsFailuresAndConnectionState)
{
    writer->append();
    try {
        writer->setFieldValue(QStringLiteral("Missing"), SqlValue(1));
        ADD_FAILURE() << "no failure for a missing column";
    } catch (const tw::Failure& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("Missing"))) << qPrintable(e.message());
    }
    EXPECT_THROW(writer->setFieldValue(QStringLiteral("ID"), SqlValue(QStringLiteral("x"))), tw::Failure);
    writer->setFieldValue(QStringLiteral("ID"), SqlValue(true));  // converted on the client: 1
    writer->close();
    EXPECT_EQ(writer->pendingCount(), 0);

    auto probe = connection.createStatement();
    probe->setSql(QStringLiteral("select count(*) cn from all_tables where table_name='T' and upper(owner)='SCOTT'"));
    EXPECT_EQ(probe->queryInteger(), 1);
    writer->setCommandText(QStringLiteral("select * from \"NOSUCH\" where 1=0"));
    try {
        writer->open();
        ADD_FAILURE() << "opened a missing table";
    } catch (const tw::Failure& e) {
        EXPECT_EQ(e.message(), QStringLiteral("ORA-00942: table or view does not exist"));
    }

    connection.close();
    EXPECT_FALSE(connection.isOpen());
    EXPECT_THROW(probe->queryInteger(), tw::Failure);
    connection.setParams({"Database=ORCL", "User_Name=scott", "Password=wrong"});
    try {
        connection.open();
        ADD_FAILURE() << "logged on with a wrong password";
    } catch (const tw::Failure& e) {
        EXPECT_EQ(e.message(), QStringLiteral("ORA-01017: invalid username/password; logon denied"));
    }
    EXPECT_FALSE(connection.isOpen());
}

} // namespace
