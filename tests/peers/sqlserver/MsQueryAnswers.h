#pragma once

#include "peers/sqlserver/MsCollation.h"
#include "peers/sqlserver/MsSchemaState.h"

namespace peers {

// What one batch sees of the server: the databases in id order, the
// session's current database and the server's collation.
struct MsQueryContext {
    std::vector<const detail::DatabaseState*> databases;
    const detail::DatabaseState* current = nullptr;
    MsCollation collation;
};

// Recognises the batch as one of the query texts the model knows and answers
// it; anything else is an MsServerError in the server's words.
MsResult answerQuery(const MsQueryContext& context, const QString& sql);

// The answers, each to one known query.
MsResult databaseList(const MsQueryContext& context);
// The schema and name of every user table, by name, then schema.
MsResult tableList(const MsQueryContext& context);
// The columns of the user table that object_id(objectName) finds.
MsResult columnCatalogue(const MsQueryContext& context, const QString& objectName);
// The schemas of the user tables of the bare name, in name order.
MsResult tableSchemas(const MsQueryContext& context, const QString& tableName);
// The key columns of the indexes of the object that object_id(objectName) finds.
MsResult indexCatalogue(const MsQueryContext& context, const QString& objectName);
// select name from syscolumns where id=object_id(N'...') and
// COLUMNPROPERTY(id,name,'IsIdentity')=1 order by colorder
MsResult identityColumns(const MsQueryContext& context, const QString& objectName);
// The columns of alias types with their base types, from sys.columns and
// sys.types.
MsResult aliasTypeColumns(const MsQueryContext& context, const QString& objectName);
// select name from sysindexes where id=object_id(N'...') and
// INDEXPROPERTY(id,name,'IsUnique')=1 order by name
MsResult uniqueIndexes(const MsQueryContext& context, const QString& objectName);
// The foreign keys of a table from sys.foreign_keys and
// sys.foreign_key_columns, one row per key column.
MsResult foreignKeys(const MsQueryContext& context, const QString& objectName);
// The check constraints of a table from sys.check_constraints.
MsResult checkConstraints(const MsQueryContext& context, const QString& objectName);
// select count(*) / select * from the object of the given name parts.
MsResult rowCount(const MsQueryContext& context, const QStringList& nameParts);
MsResult tableRows(const MsQueryContext& context, const QStringList& nameParts);

} // namespace peers
