#include "peers/oracle/OraParser.h"

#include "peers/oracle/OraColumnTypes.h"
#include "peers/oracle/OraCursor.h"
#include "peers/oracle/OraErrors.h"
#include "peers/oracle/OraNames.h"
#include "peers/oracle/OraNls.h"

namespace peers::ora {

namespace {

QString takeName(Cursor& cursor, NameRole role) { return objectName(cursor.take(), role); }

// ( name, name ... )
QStringList columnList(Cursor& cursor)
{
    cursor.expectSymbol('(', missingLeftParenthesis);
    QStringList names;
    do
        names.append(takeName(cursor, NameRole::Column));
    while (cursor.acceptSymbol(','));
    cursor.expectSymbol(')', missingRightParenthesis);
    return names;
}

// A statement sent through the client with a trailing semicolon is refused
// for the semicolon itself.
void expectDmlEnd(const Cursor& cursor)
{
    if (cursor.peek().isSymbol(';'))
        throw invalidCharacter();
    cursor.expectEnd(notProperlyEnded);
}

// The text of a DEFAULT expression: its tokens up to the comma or closing
// parenthesis that ends the column, or the NOT NULL / NULL after it. Words
// are kept in capitals, strings in quotes.
QString expressionText(Cursor& cursor)
{
    QString text;
    int depth = 0;
    while (!cursor.atEnd()) {
        const Token& token = cursor.peek();
        if (depth == 0 && (token.isSymbol(',') || token.isSymbol(')') || token.isWord("NOT") || token.isWord("NULL")))
            break;
        depth += token.isSymbol('(') ? 1 : token.isSymbol(')') ? -1 : 0;
        const Token taken = cursor.take();
        if (taken.kind == Token::Kind::String)
            text += QLatin1Char('\'') + QString(taken.text).replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
        else if (taken.kind == Token::Kind::Word)
            text += taken.text.toUpper();
        else if (taken.kind == Token::Kind::QuotedName)
            text += QLatin1Char('"') + taken.text + QLatin1Char('"');
        else
            text += taken.text;
    }
    if (text.isEmpty())
        throw missingExpression();
    return text;
}

// GENERATED [ALWAYS | BY DEFAULT [ON NULL]] AS IDENTITY [( options )] after
// GENERATED (SQL Language Reference, "CREATE TABLE", identity_clause and
// identity_options). START WITH LIMIT VALUE is for ALTER TABLE only.
void identityClause(Cursor& cursor, char& mode, qint64& start, qint64& increment, bool& limitValue)
{
    mode = 'A';
    if (!cursor.acceptWord("ALWAYS") && cursor.acceptWord("BY")) {
        cursor.expectWord("DEFAULT", missingKeyword);
        mode = 'D';
        if (cursor.acceptWord("ON")) {
            cursor.expectWord("NULL", missingKeyword);
            mode = 'N';
        }
    }
    cursor.expectWord("AS", missingKeyword);
    cursor.expectWord("IDENTITY", missingKeyword);
    if (!cursor.acceptSymbol('('))
        return;
    do {
        if (cursor.acceptWord("START")) {
            cursor.expectWord("WITH", missingKeyword);
            if (cursor.acceptWord("LIMIT")) {
                cursor.expectWord("VALUE", missingKeyword);
                limitValue = true;
            } else {
                start = cursor.takeInteger(invalidNumber);
            }
        } else if (cursor.acceptWord("INCREMENT")) {
            cursor.expectWord("BY", missingKeyword);
            increment = cursor.takeInteger(invalidNumber);
        } else {
            throw missingOrInvalidOption();
        }
    } while (!cursor.peek().isSymbol(')') && !cursor.atEnd());
    cursor.expectSymbol(')', missingRightParenthesis);
}

// [DEFAULT expr | identity_clause] [[NOT] NULL] after a column's type.
void columnOptions(Cursor& cursor, OraColumn& column)
{
    if (cursor.acceptWord("DEFAULT")) {
        column.defaultExpression = expressionText(cursor);
    } else if (cursor.acceptWord("GENERATED")) {
        bool limitValue = false;
        identityClause(cursor, column.identity, column.identityNext, column.identityIncrement, limitValue);
        if (limitValue)
            throw missingOrInvalidOption();
        // "Identity Column Restrictions": a numeric type, and NOT NULL by itself.
        if (column.type != QLatin1String("NUMBER"))
            throw identityColumnMustBeNumeric();
        column.nullable = false;
    }
    if (cursor.acceptWord("NOT")) {
        cursor.expectWord("NULL", missingKeyword);
        column.nullable = false;
    } else {
        cursor.acceptWord("NULL");
    }
}

CreateTable createTable(Cursor& cursor)
{
    CreateTable statement;
    statement.table = takeName(cursor, NameRole::Table);
    if (!cursor.acceptSymbol('('))
        throw cursor.atEnd() ? missingLeftParenthesis() : missingOrInvalidOption();
    // Where a column name belongs, anything that is no name (a reserved
    // word, a closing parenthesis of an empty list) is ORA-00904 without a
    // name.
    do {
        const QString name = takeName(cursor, NameRole::Column);
        bool lengthUnqualified = false;
        OraColumn column = parseColumnType(cursor, &lengthUnqualified);
        column.name = name;
        if (lengthUnqualified)
            statement.unqualifiedLengthColumns.append(int(statement.columns.size()));
        columnOptions(cursor, column);
        statement.columns.append(column);
    } while (cursor.acceptSymbol(','));
    cursor.expectSymbol(')', missingRightParenthesis);
    cursor.expectEnd(missingOrInvalidOption);
    return statement;
}

CreateIndex createIndex(Cursor& cursor, bool unique)
{
    CreateIndex statement;
    statement.index.unique = unique;
    statement.index.name = takeName(cursor, NameRole::Index);
    cursor.expectWord("ON", missingOnKeyword);
    statement.index.table = takeName(cursor, NameRole::Table);
    statement.index.columns = columnList(cursor);
    cursor.expectEnd(invalidCreateIndexOption);
    return statement;
}

// create view V as select * from T | create synonym S for T
CreateView createAlias(Cursor& cursor, bool isView)
{
    CreateView statement;
    statement.isView = isView;
    statement.name = takeName(cursor, NameRole::Table);
    if (isView) {
        cursor.expectWord("AS", missingKeyword);
        if (!cursor.acceptWord("SELECT") || !cursor.acceptSymbol('*') || !cursor.acceptWord("FROM"))
            throw invalidSqlStatement();
    } else {
        cursor.expectWord("FOR", missingKeyword);
    }
    statement.target = takeName(cursor, NameRole::Table);
    cursor.expectEnd(notProperlyEnded);
    return statement;
}

Statement create(Cursor& cursor)
{
    if (cursor.acceptWord("OR")) {
        cursor.expectWord("REPLACE", missingKeyword);
        if (!cursor.acceptWord("VIEW"))
            throw invalidCreateCommand();
        return createAlias(cursor, true);
    }
    if (cursor.acceptWord("TABLE"))
        return createTable(cursor);
    if (cursor.acceptWord("INDEX"))
        return createIndex(cursor, false);
    if (cursor.acceptWord("UNIQUE")) {
        cursor.expectWord("INDEX", invalidCreateCommand);
        return createIndex(cursor, true);
    }
    if (cursor.acceptWord("VIEW"))
        return createAlias(cursor, true);
    if (cursor.acceptWord("SYNONYM"))
        return createAlias(cursor, false);
    throw invalidCreateCommand();
}

DropTable dropTable(Cursor& cursor)
{
    if (!cursor.acceptWord("TABLE"))
        throw invalidDropOption();
    DropTable statement;
    statement.table = takeName(cursor, NameRole::Table);
    if (cursor.acceptWord("CASCADE")) {
        cursor.expectWord("CONSTRAINTS", missingKeyword);
        statement.cascadeConstraints = true;
    }
    cursor.acceptWord("PURGE");
    cursor.expectEnd(notProperlyEnded);
    return statement;
}

// alter session set name = value ...: NLS_LENGTH_SEMANTICS = CHAR | BYTE
// (the value may also be a quoted literal) and the NLS formats the session
// reads text with (Oracle Database Reference, "ALTER SESSION" parameters;
// Globalization Support Guide, "NLS_TIMESTAMP_FORMAT", "NLS_TIMESTAMP_TZ_FORMAT").
AlterSession alterSession(Cursor& cursor)
{
    cursor.expectWord("SET", invalidAlterSessionOption);
    AlterSession statement;
    NlsSettings check;
    do {
        const Token name = cursor.take();
        cursor.expectSymbol('=', invalidAlterSessionOption);
        const Token value = cursor.take();
        if (name.isWord("NLS_LENGTH_SEMANTICS")) {
            const QString semantics = value.text.toUpper();
            if (semantics != QLatin1String("CHAR") && semantics != QLatin1String("BYTE"))
                throw invalidAlterSessionOption();
            statement.inCharacters = semantics == QLatin1String("CHAR");
        } else if (name.kind == Token::Kind::Word && check.set(name.text, QLatin1Char('\'') + value.text + QLatin1Char('\''))) {
            statement.nls.append({name.text, value.text});
        } else {
            throw invalidAlterSessionOption();
        }
    } while (!cursor.atEnd());
    return statement;
}

// MODIFY ( column GENERATED ... AS IDENTITY [(options)] ): the one column
// modification the model knows.
ModifyIdentity modifyIdentity(Cursor& cursor, const QString& table)
{
    ModifyIdentity statement;
    statement.table = table;
    cursor.expectSymbol('(', missingLeftParenthesis);
    statement.column = takeName(cursor, NameRole::Column);
    cursor.expectWord("GENERATED", invalidAlterTableOption);
    qint64 start = 1;
    qint64 increment = 1;
    identityClause(cursor, statement.identity, start, increment, statement.startWithLimitValue);
    cursor.expectSymbol(')', missingRightParenthesis);
    cursor.expectEnd(invalidAlterTableOption);
    return statement;
}

Statement alterTable(Cursor& cursor)
{
    if (!cursor.acceptWord("TABLE"))
        throw invalidAlterCommand();
    AddConstraint statement;
    statement.table = takeName(cursor, NameRole::Table);
    if (cursor.acceptWord("MODIFY"))
        return modifyIdentity(cursor, statement.table);
    cursor.expectWord("ADD", invalidAlterTableOption);
    OraConstraintInfo& constraint = statement.constraint;
    const bool named = cursor.acceptWord("CONSTRAINT");
    if (named)
        constraint.name = takeName(cursor, NameRole::Constraint);
    if (cursor.acceptWord("PRIMARY")) {
        cursor.expectWord("KEY", missingKeyword);
        constraint.type = 'P';
    } else if (cursor.acceptWord("UNIQUE")) {
        constraint.type = 'U';
    } else if (cursor.acceptWord("FOREIGN")) {
        cursor.expectWord("KEY", missingKeyword);
        constraint.type = 'R';
    } else {
        // Adding columns and other alterations are not part of the model.
        throw named ? missingKeyword() : invalidSqlStatement();
    }
    constraint.table = statement.table;
    constraint.columns = columnList(cursor);
    if (constraint.type == 'R') {
        cursor.expectWord("REFERENCES", missingKeyword);
        constraint.referencedTable = takeName(cursor, NameRole::Table);
        if (cursor.peek().isSymbol('('))
            constraint.referencedColumns = columnList(cursor);
        // ON DELETE CASCADE | SET NULL ("references_clause"); there is no
        // ON UPDATE.
        if (cursor.acceptWord("ON")) {
            cursor.expectWord("DELETE", missingKeyword);
            if (cursor.acceptWord("CASCADE")) {
                constraint.deleteRule = QStringLiteral("CASCADE");
            } else {
                cursor.expectWord("SET", missingKeyword);
                cursor.expectWord("NULL", missingKeyword);
                constraint.deleteRule = QStringLiteral("SET NULL");
            }
        }
    }
    cursor.expectEnd(invalidAlterTableOption);
    return statement;
}

// [upper(] column [)] = 'literal', or the two sides the other way round.
DictionaryCondition dictionaryCondition(Cursor& cursor)
{
    DictionaryCondition condition;
    const bool literalFirst = cursor.peek().kind == Token::Kind::String;
    if (literalFirst) {
        condition.literal = cursor.take().text;
        cursor.expectSymbol('=', invalidSqlStatement);
    }
    condition.upper = cursor.peek().isWord("UPPER") && cursor.peek(1).isSymbol('(');
    if (condition.upper) {
        cursor.take();
        cursor.take();
    }
    condition.column = takeName(cursor, NameRole::Column);
    if (condition.upper)
        cursor.expectSymbol(')', missingRightParenthesis);
    if (!literalFirst) {
        cursor.expectSymbol('=', invalidSqlStatement);
        if (cursor.peek().kind != Token::Kind::String)
            throw invalidSqlStatement();
        condition.literal = cursor.take().text;
    }
    return condition;
}

Statement select(Cursor& cursor)
{
    bool count = false;
    if (cursor.peek().isWord("COUNT") && cursor.peek(1).isSymbol('(')) {
        cursor.take();
        cursor.take();
        cursor.expectSymbol('*', invalidSqlStatement);
        cursor.expectSymbol(')', missingRightParenthesis);
        count = true;
    } else if (!cursor.acceptSymbol('*')) {
        throw invalidSqlStatement();
    }
    QString alias;
    if (count && cursor.peek().kind != Token::Kind::End && !cursor.peek().isWord("FROM"))
        alias = takeName(cursor, NameRole::Column);
    cursor.expectWord("FROM", fromKeywordNotFound);
    const QString source = takeName(cursor, NameRole::Table);

    if (source == QLatin1String("ALL_TABLES") || source == QLatin1String("USER_TABLES")) {
        if (!count)
            throw invalidSqlStatement();
        CountTables statement{source, alias, {}};
        if (cursor.acceptWord("WHERE")) {
            do
                statement.conditions.append(dictionaryCondition(cursor));
            while (cursor.acceptWord("AND"));
        }
        expectDmlEnd(cursor);
        return statement;
    }
    SelectRows statement{source, count, alias, false};
    if (cursor.acceptWord("WHERE")) {
        const qint64 left = cursor.takeInteger(invalidSqlStatement);
        cursor.expectSymbol('=', invalidSqlStatement);
        const qint64 right = cursor.takeInteger(invalidSqlStatement);
        statement.noRows = left != right;
    }
    expectDmlEnd(cursor);
    return statement;
}

ValueItem valueItem(Cursor& cursor, int& bindCount)
{
    const Token& token = cursor.peek();
    if (token.kind == Token::Kind::Bind) {
        cursor.take();
        return ValueItem{SqlValue(), bindCount++};
    }
    if (token.kind == Token::Kind::String)
        return ValueItem{SqlValue(cursor.take().text), -1};
    if (token.isWord("NULL")) {
        cursor.take();
        return ValueItem{};
    }
    if (token.kind == Token::Kind::Word)
        throw columnNotAllowedHere();
    const bool negative = cursor.acceptSymbol('-');
    if (cursor.peek().kind != Token::Kind::Number)
        throw missingExpression();
    const QString digits = (negative ? QStringLiteral("-") : QString()) + cursor.take().text;
    return ValueItem{SqlValue(tw::Decimal{digits}), -1};
}

Insert insert(Cursor& cursor)
{
    cursor.expectWord("INTO", missingIntoKeyword);
    Insert statement;
    statement.table = takeName(cursor, NameRole::Table);
    if (cursor.peek().isSymbol('('))
        statement.columns = columnList(cursor);
    cursor.expectWord("VALUES", missingValuesKeyword);
    cursor.expectSymbol('(', missingLeftParenthesis);
    do
        statement.values.append(valueItem(cursor, statement.bindCount));
    while (cursor.acceptSymbol(','));
    cursor.expectSymbol(')', missingRightParenthesis);
    expectDmlEnd(cursor);
    return statement;
}

Delete deleteRows(Cursor& cursor)
{
    cursor.acceptWord("FROM");
    Delete statement;
    statement.table = takeName(cursor, NameRole::Table);
    if (cursor.acceptWord("WHERE")) {
        cursor.expectWord("ROWNUM", invalidSqlStatement);
        cursor.expectSymbol('<', invalidSqlStatement);
        cursor.expectSymbol('=', invalidSqlStatement);
        statement.limit = qMax<qint64>(0, cursor.takeInteger(invalidSqlStatement));
    }
    expectDmlEnd(cursor);
    return statement;
}

template<typename Transaction>
Statement transactionEnd(Cursor& cursor)
{
    cursor.acceptWord("WORK");
    cursor.expectEnd(notProperlyEnded);
    return Transaction{};
}

} // namespace

Statement parseStatement(const QString& sql)
{
    Cursor cursor(tokenize(sql));
    if (cursor.acceptWord("CREATE"))
        return create(cursor);
    if (cursor.acceptWord("DROP"))
        return dropTable(cursor);
    if (cursor.acceptWord("ALTER"))
        return cursor.acceptWord("SESSION") ? Statement(alterSession(cursor)) : alterTable(cursor);
    if (cursor.acceptWord("SELECT"))
        return select(cursor);
    if (cursor.acceptWord("INSERT"))
        return insert(cursor);
    if (cursor.acceptWord("DELETE"))
        return deleteRows(cursor);
    if (cursor.acceptWord("COMMIT"))
        return transactionEnd<Commit>(cursor);
    if (cursor.acceptWord("ROLLBACK"))
        return transactionEnd<Rollback>(cursor);
    throw invalidSqlStatement();
}

} // namespace peers::ora
