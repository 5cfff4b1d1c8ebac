#pragma once

#include <QStringList>

namespace tw {

// The SQL texts sent to the source server by the conversion. Table names are
// escaped for the delimiters they stand in.

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
