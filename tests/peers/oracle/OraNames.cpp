#include "peers/oracle/OraNames.h"

#include "peers/oracle/OraErrors.h"

#include <QSet>

namespace peers::ora {

namespace {

constexpr int kMaxIdentifierBytes = 30;

OraError notAName(NameRole role)
{
    switch (role) {
    case NameRole::Table:
        return invalidTableName();
    case NameRole::Column:
        return invalidIdentifier(QString());
    case NameRole::Index:
        return invalidIndexName();
    case NameRole::Constraint:
        break;
    }
    return missingConstraintName();
}

QString foldToUpper(const QString& word)
{
    QString folded = word;
    for (QChar& c : folded)
        c = c.toUpper();
    return folded;
}

} // namespace

bool isReservedWord(const QString& word)
{
    // The reserved words of Oracle SQL: none of them can be an unquoted name.
    static const QSet<QString> reserved{
        "ACCESS", "ADD", "ALL", "ALTER", "AND", "ANY", "AS", "ASC", "AUDIT", "BETWEEN", "BY", "CHAR", "CHECK",
        "CLUSTER", "COLUMN", "COMMENT", "COMPRESS", "CONNECT", "CREATE", "CURRENT", "DATE", "DECIMAL", "DEFAULT",
        "DELETE", "DESC", "DISTINCT", "DROP", "ELSE", "EXCLUSIVE", "EXISTS", "FILE", "FLOAT", "FOR", "FROM",
        "GRANT", "GROUP", "HAVING", "IDENTIFIED", "IMMEDIATE", "IN", "INCREMENT", "INDEX", "INITIAL", "INSERT",
        "INTEGER", "INTERSECT", "INTO", "IS", "LEVEL", "LIKE", "LOCK", "LONG", "MAXEXTENTS", "MINUS", "MLSLABEL",
        "MODE", "MODIFY", "NOAUDIT", "NOCOMPRESS", "NOT", "NOWAIT", "NULL", "NUMBER", "OF", "OFFLINE", "ON",
        "ONLINE", "OPTION", "OR", "ORDER", "PCTFREE", "PRIOR", "PRIVILEGES", "PUBLIC", "RAW", "RENAME", "RESOURCE",
        "REVOKE", "ROW", "ROWID", "ROWNUM", "ROWS", "SELECT", "SESSION", "SET", "SHARE", "SIZE", "SMALLINT",
        "START", "SUCCESSFUL", "SYNONYM", "SYSDATE", "TABLE", "THEN", "TO", "TRIGGER", "UID", "UNION", "UNIQUE",
        "UPDATE", "USER", "VALIDATE", "VALUES", "VARCHAR", "VARCHAR2", "VIEW", "WHENEVER", "WHERE", "WITH"};
    return reserved.contains(foldToUpper(word));
}

QString objectName(const Token& token, NameRole role)
{
    QString name;
    if (token.kind == Token::Kind::QuotedName) {
        if (token.text.isEmpty())
            throw zeroLengthIdentifier();
        name = token.text;
    } else if (token.kind == Token::Kind::Word && !isReservedWord(token.text)) {
        name = foldToUpper(token.text);
    } else {
        throw notAName(role);
    }
    if (name.toUtf8().size() > kMaxIdentifierBytes)
        throw identifierTooLong();
    return name;
}

} // namespace peers::ora
