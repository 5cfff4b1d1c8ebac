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
// The schemas of the user tables named S, one row each ("schemaname").
QString tableSchemasSql(const QString& sourceTable);
// "select count(*) from [S]"
QString rowCountSql(const QString& sourceTable);
// "select * from [S]"
QString rowsSql(const QString& sourceTable);

} // namespace tw
