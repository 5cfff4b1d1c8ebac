#pragma once

#include "db/SourceAccess.h"
#include "db/SourceTable.h"

#include <QStringList>
#include <QVector>

namespace tw {

// A foreign key of a source table, with its referential actions as SQL
// Server names them (NO_ACTION, CASCADE, SET_NULL, SET_DEFAULT). The parent
// is named by its schema and name as the catalogue stores them.
struct SourceForeignKey {
    QString name;
    SourceTable parent;
    QStringList columns;
    QStringList parentColumns;
    QString onDelete;
    QString onUpdate;
};

// The foreign keys of a source table, in name order, their columns in key
// order. Failures of the catalogue query escape.
QVector<SourceForeignKey> readForeignKeys(SourceQuery& query, const SourceTable& table);

// The Oracle clause of a delete action: " on delete cascade", " on delete
// set null", or nothing for NO_ACTION and for SET_DEFAULT, which Oracle has
// not (SQL Language Reference, "CREATE TABLE", references_clause).
QString oracleDeleteClause(const QString& onDelete);

} // namespace tw
