#pragma once

#include "db/SourceTable.h"

#include <QStringList>

namespace tw {

// The SQL texts sent to the source server by the conversion. A table is
// addressed by its schema and name, [schema].[name] with closing brackets
// doubled, so that neither the login's default schema nor a dot in a name
// decides which table is meant. Names in string literals are written as
// Unicode literals (N'...'): a plain literal is converted to the code page of
// the server's default collation, where a name in another script would turn
// into question marks and match nothing.

// [schema].[name]
QString bracketedName(const SourceTable& table);
// The column catalogue of a user table (six lines).
QStringList columnCatalogueSql(const SourceTable& table);
// The index and key catalogue of a table (ten lines).
QStringList indexCatalogueSql(const SourceTable& table);
// The identity columns of a table, one row each ("name"), in column order.
QString identityColumnsSql(const SourceTable& table);
// The columns of a table whose type is a user-defined alias type, with the
// system type underneath: name, basetype.
QString aliasTypeColumnsSql(const SourceTable& table);
// The names of a table's unique indexes (constraints' indexes among them),
// one row each ("name").
QString uniqueIndexesSql(const SourceTable& table);
// The foreign keys of a table, one row per key column in key order:
// keyname, parentschema, parenttable, columnname, parentcolumn, ondelete,
// onupdate (the actions as NO_ACTION, CASCADE, SET_NULL, SET_DEFAULT)
// (eight lines).
QStringList foreignKeysSql(const SourceTable& table);
// The check constraints of a table: name, definition.
QString checkConstraintsSql(const SourceTable& table);
// The schemas of the user tables of a bare name, one row each ("schemaname").
QString tableSchemasSql(const QString& name);
// "select count(*) from [schema].[name]"
QString rowCountSql(const SourceTable& table);
// "select * from [schema].[name]"
QString rowsSql(const SourceTable& table);

} // namespace tw
