#pragma once

#include <QString>

namespace tw {

// The longest name the target takes for a table, column, index or constraint.
constexpr int kMaxNameLength = 30;

// The SQL texts sent to the target server by the conversion. Quoted names and
// literals are escaped for their delimiters.

// First line of the table definition: Create table "T" (
QString createTableFirstLine(const QString& targetTable);
// select count(*) cn from all_tables where table_name='T' and upper(owner)='OWNER'
QString tableExistsSql(const QString& targetTable, const QString& owner);
// drop table "T"
QString dropTableSql(const QString& targetTable);
// select * from "T" where 1=0 : the row writer's command
QString rowWriterSql(const QString& targetTable);
// select count(*) from "T" : the rows a table holds, before and after a copy
QString targetRowCountSql(const QString& targetTable);

// The owner as the dictionary stores it: ASCII letters a to z upper-cased.
QString asciiUpper(const QString& text);

} // namespace tw
