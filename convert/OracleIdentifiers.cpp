#include "convert/OracleIdentifiers.h"

#include "convert/TargetSql.h"

#include <QSet>

namespace tw {

namespace {

bool isAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

bool isIdentifierChar(QChar c)
{
    return isAsciiLetter(c) || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('_')
        || c == QLatin1Char('$') || c == QLatin1Char('#');
}

// Oracle Database SQL Language Reference, "Oracle SQL Reserved Words": these
// cannot be used as unquoted names.
bool isReservedWord(const QString& upperName)
{
    static const QSet<QString> words{
        "ACCESS",   "ADD",       "ALL",        "ALTER",     "AND",        "ANY",      "AS",        "ASC",
        "AUDIT",    "BETWEEN",   "BY",         "CHAR",      "CHECK",      "CLUSTER",  "COLUMN",    "COMMENT",
        "COMPRESS", "CONNECT",   "CREATE",     "CURRENT",   "DATE",       "DECIMAL",  "DEFAULT",   "DELETE",
        "DESC",     "DISTINCT",  "DROP",       "ELSE",      "EXCLUSIVE",  "EXISTS",   "FILE",      "FLOAT",
        "FOR",      "FROM",      "GRANT",      "GROUP",     "HAVING",     "IDENTIFIED", "IMMEDIATE", "IN",
        "INCREMENT", "INDEX",    "INITIAL",    "INSERT",    "INTEGER",    "INTERSECT", "INTO",     "IS",
        "LEVEL",    "LIKE",      "LOCK",       "LONG",      "MAXEXTENTS", "MINUS",    "MLSLABEL",  "MODE",
        "MODIFY",   "NOAUDIT",   "NOCOMPRESS", "NOT",       "NOWAIT",     "NULL",     "NUMBER",    "OF",
        "OFFLINE",  "ON",        "ONLINE",     "OPTION",    "OR",         "ORDER",    "PCTFREE",   "PRIOR",
        "PUBLIC",   "RAW",       "RENAME",     "RESOURCE",  "REVOKE",     "ROW",      "ROWID",     "ROWNUM",
        "ROWS",     "SELECT",    "SESSION",    "SET",       "SHARE",      "SIZE",     "SMALLINT",  "START",
        "SUCCESSFUL", "SYNONYM", "SYSDATE",    "TABLE",     "THEN",       "TO",       "TRIGGER",   "UID",
        "UNION",    "UNIQUE",    "UPDATE",     "USER",      "VALIDATE",   "VALUES",   "VARCHAR",   "VARCHAR2",
        "VIEW",     "WHENEVER",  "WHERE",      "WITH"};
    return words.contains(upperName);
}

QString quoted(const QString& name)
{
    QString inner = name;
    return QLatin1Char('"') + inner.replace(QLatin1Char('"'), QLatin1Char('_')) + QLatin1Char('"');
}

} // namespace

bool isPlainOracleIdentifier(const QString& name)
{
    if (name.isEmpty() || name.size() > kMaxNameLength || !isAsciiLetter(name.front()))
        return false;
    for (QChar c : name) {
        if (!isIdentifierChar(c))
            return false;
    }
    return !isReservedWord(asciiUpper(name));
}

QString reachingName(const QString& bare, const QString& created)
{
    if (isPlainOracleIdentifier(bare) && asciiUpper(bare) == created)
        return bare;
    return quoted(created);
}

QString formedName(const QString& name)
{
    return isPlainOracleIdentifier(name) ? name : quoted(name);
}

} // namespace tw
