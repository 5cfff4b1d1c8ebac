#pragma once

#include <QStringList>

namespace tw {

// The SQL texts sent to the source server by the conversion. Table names are
// escaped for the delimiters they stand in. Names in string literals are
// written as Unicode literals (N'...'): a plain literal is converted to the
// code page of the server's default collation, where a name in another
// script would turn into question marks and match nothing.

// The column catalogue of a user table (six lines).
QStringList columnCatalogueSql(const QString& sourceTable);
// The index and key catalogue of a table (ten lines).
QStringList indexCatalogueSql(const QString& sourceTable);
// The identity columns of a table, one row each ("name"), in column order.
QString identityColumnsSql(const QString& sourceTable);
// The columns of a table whose type is a user-defined alias type, with the
// system type underneath: name, basetype.
QString aliasTypeColumnsSql(const QString& sourceTable);
// The names of a table's unique indexes (constraints' indexes among them),
// one row each ("name").
QString uniqueIndexesSql(const QString& sourceTable);
// The foreign keys of a table, one row per key column in key order:
// keyname, parenttable, columnname, parentcolumn, ondelete, onupdate (the
// actions as NO_ACTION, CASCADE, SET_NULL, SET_DEFAULT) (seven lines).
QStringList foreignKeysSql(const QString& sourceTable);
// The check constraints of a table: name, definition.
QString checkConstraintsSql(const QString& sourceTable);
// The schemas of the user tables named S, one row each ("schemaname").
QString tableSchemasSql(const QString& sourceTable);
// "select count(*) from [S]"
QString rowCountSql(const QString& sourceTable);
// "select * from [S]"
QString rowsSql(const QString& sourceTable);

} // namespace tw
