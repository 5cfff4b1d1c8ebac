// Answers to the catalogue queries: the database list, the table list, the
// column catalogue and the index catalogue, with the rows, order and result
// column descriptions of the server's compatibility views.
#include "peers/sqlserver/MsObjectLookup.h"
#include "peers/sqlserver/MsSqlText.h"

#include <algorithm>

namespace peers {

namespace {

const QString dtproperties = QStringLiteral("dtproperties");

SqlValue optionalInteger(const std::optional<int>& value)
{
    return value ? SqlValue(*value) : SqlValue();
}

std::vector<const detail::TableState*> userTables(const MsQueryContext& context)
{
    std::vector<const detail::TableState*> tables;
    for (const auto& table : context.current->tables) {
        if (!context.collation.equal(table->name, dtproperties))
            tables.push_back(table.get());
    }
    return tables;
}

// The rows of one key column: one per constraint of the key's name whose
// parent is the table (the join on name and parent), or one without when none.
void addKeyRows(const MsQueryContext& context, const detail::TableState& table, const detail::KeyState& key,
                QVector<QVector<SqlValue>>& rows)
{
    QVector<SqlValue> kinds;
    for (const detail::KeyState& constraint : table.keys) {
        if (constraint.isConstraint() && context.collation.equal(constraint.name, key.name))
            kinds.append(constraint.kind == MsIndexDefinition::Kind::PrimaryKey ? SqlValue("pk") : SqlValue("unique"));
    }
    if (kinds.isEmpty())
        kinds.append(SqlValue("normal"));
    for (int position = 0; position < key.columns.size(); ++position) {
        const detail::ColumnState& column = table.columns[size_t(key.columns[position])];
        for (const SqlValue& kind : kinds)
            rows.append({table.name, key.name, position + 1, column.name, kind});
    }
}

// The object that object_id(objectName) finds, if any.
std::optional<MsObject> objectOf(const MsQueryContext& context, const QString& objectName)
{
    const std::optional<QStringList> parts = splitObjectName(objectName, false);
    return parts ? resolveObject(context, *parts) : std::nullopt;
}

} // namespace

MsResult databaseList(const MsQueryContext& context)
{
    MsResult result;
    result.columns = {sysnameResultColumn(QStringLiteral("name"), false)};
    for (const detail::DatabaseState* database : context.databases)
        result.rows.append(QVector<SqlValue>{database->name});
    return result;
}

// sys.sysobjects keeps each object's schema as uid, the schema's id, and
// SCHEMA_NAME(uid) returns the schema's name as sysname (Microsoft, "SQL
// Server documentation": sys.sysobjects, SCHEMA_NAME); CAST(... AS
// nvarchar(128)) keeps the names whole. ORDER BY name, schemaname sorts in
// the database's collation.
MsResult tableList(const MsQueryContext& context)
{
    std::vector<const detail::TableState*> tables = userTables(context);
    std::stable_sort(tables.begin(), tables.end(), [&](const detail::TableState* a, const detail::TableState* b) {
        if (const int byName = context.collation.compare(a->name, b->name))
            return byName < 0;
        return context.collation.compare(a->schema, b->schema) < 0;
    });
    MsResult result;
    result.columns = {nvarcharResultColumn(QStringLiteral("schemaname"), 128, true),
                      nvarcharResultColumn(QStringLiteral("name"), 128, false)};
    for (const detail::TableState* table : tables)
        result.rows.append(QVector<SqlValue>{table->schema, table->name});
    return result;
}

// OBJECT_ID(N'[schema].[name]') is the table's id, or NULL when the name
// reaches no object; "d.id = NULL" is true for no row. An undelimited name
// is split at its dots, so object_id(N'a.b') looks for b in schema a
// (Microsoft, "SQL Server documentation": OBJECT_ID).
MsResult columnCatalogue(const MsQueryContext& context, const QString& objectName)
{
    MsResult result;
    result.columns = {
        smallintResultColumn(QStringLiteral("fieldno"), true),
        sysnameResultColumn(QStringLiteral("fieldname"), false),
        sysnameResultColumn(QStringLiteral("fieldtyle"), true),
        smallintResultColumn(QStringLiteral("f_length"), false),
        intResultColumn(QStringLiteral("f_size"), true),
        intResultColumn(QStringLiteral("f_scale"), false),
        intResultColumn(QStringLiteral("isnullable"), true),
        nvarcharResultColumn(QStringLiteral("defaultvalue"), 4000, true),
        tinyintResultColumn(QStringLiteral("f_xtype"), true),
    };
    const std::optional<MsObject> object = objectOf(context, objectName);
    for (const detail::TableState* table : userTables(context)) {
        if (!object || table->id != object->id)
            continue;
        for (size_t i = 0; i < table->columns.size(); ++i) {
            const detail::ColumnState& column = table->columns[i];
            result.rows.append({
                int(i) + 1,
                column.name,
                column.type.typeName,
                column.type.length,
                optionalInteger(columnPropertyPrecision(column.type)),
                columnPropertyScale(column.type).value_or(0),
                column.nullable ? 1 : 0,
                column.defaultText.isEmpty() ? SqlValue() : SqlValue(column.defaultText),
                // systypes.xtype: the system type id beneath the column's type.
                column.type.xtype,
            });
        }
    }
    return result;
}

MsResult tableSchemas(const MsQueryContext& context, const QString& tableName)
{
    QStringList schemas;
    for (const detail::TableState* table : userTables(context)) {
        if (context.collation.equal(table->name, tableName))
            schemas.append(table->schema);
    }
    std::sort(schemas.begin(), schemas.end(),
              [&](const QString& a, const QString& b) { return context.collation.compare(a, b) < 0; });
    MsResult result;
    result.columns = {sysnameResultColumn(QStringLiteral("schemaname"), true)};
    for (const QString& schema : schemas)
        result.rows.append({schema});
    return result;
}

MsResult indexCatalogue(const MsQueryContext& context, const QString& objectName)
{
    MsResult result;
    result.columns = {
        sysnameResultColumn(QStringLiteral("tablename"), true),
        sysnameResultColumn(QStringLiteral("Key_name"), true),
        smallintResultColumn(QStringLiteral("Seq_in_index"), true),
        sysnameResultColumn(QStringLiteral("Column_name"), true),
        nvarcharResultColumn(QStringLiteral("indextype"), 6, true),
    };
    const std::optional<MsObject> object = objectOf(context, objectName);
    if (!object)
        return result;
    // object_id gives a number; the index tables of the current database are
    // searched by it, whichever database the name pointed into.
    for (const auto& table : context.current->tables) {
        if (table->id != object->id)
            continue;
        for (const detail::KeyState& key : table->keys)
            addKeyRows(context, *table, key, result.rows);
    }
    std::stable_sort(result.rows.begin(), result.rows.end(), [&](const QVector<SqlValue>& a, const QVector<SqlValue>& b) {
        if (const int byName = context.collation.compare(a[1].asText(), b[1].asText()))
            return byName < 0;
        return a[2].asInteger() < b[2].asInteger();
    });
    return result;
}

namespace {

// The table that object_id(name) finds in the current database, or null.
const detail::TableState* objectTable(const MsQueryContext& context, const QString& objectName)
{
    const std::optional<QStringList> parts = splitObjectName(objectName, false);
    const std::optional<MsObject> object = parts ? resolveObject(context, *parts) : std::nullopt;
    if (!object)
        return nullptr;
    for (const auto& table : context.current->tables) {
        if (table->id == object->id)
            return table.get();
    }
    return nullptr;
}

} // namespace

// sys.foreign_keys: name sysname, the *_referential_action_desc columns
// nvarchar(60); object_schema_name, object_name and col_name give sysname
// (SQL Server documentation, "sys.foreign_keys", "sys.foreign_key_columns",
// "OBJECT_SCHEMA_NAME").
MsResult foreignKeys(const MsQueryContext& context, const QString& objectName)
{
    MsResult result;
    result.columns = {
        sysnameResultColumn(QStringLiteral("keyname"), false),
        sysnameResultColumn(QStringLiteral("parentschema"), true),
        sysnameResultColumn(QStringLiteral("parenttable"), true),
        sysnameResultColumn(QStringLiteral("columnname"), true),
        sysnameResultColumn(QStringLiteral("parentcolumn"), true),
        nvarcharResultColumn(QStringLiteral("ondelete"), 60, true),
        nvarcharResultColumn(QStringLiteral("onupdate"), 60, true),
    };
    const detail::TableState* table = objectTable(context, objectName);
    if (!table)
        return result;
    std::vector<MsForeignKeyDefinition> keys = table->foreignKeys;
    std::stable_sort(keys.begin(), keys.end(), [&](const auto& a, const auto& b) {
        return context.collation.compare(a.name, b.name) < 0;
    });
    for (const MsForeignKeyDefinition& key : keys) {
        for (int i = 0; i < key.columns.size(); ++i)
            result.rows.append({key.name, key.parentSchema, key.parentTable, key.columns[i], key.parentColumns[i],
                                key.onDelete, key.onUpdate});
    }
    return result;
}

// sys.check_constraints: name sysname, definition nvarchar(max).
MsResult checkConstraints(const MsQueryContext& context, const QString& objectName)
{
    MsResult result;
    result.columns = {
        sysnameResultColumn(QStringLiteral("name"), false),
        nvarcharResultColumn(QStringLiteral("definition"), 4000, true),
    };
    const detail::TableState* table = objectTable(context, objectName);
    if (!table)
        return result;
    auto checks = table->checks;
    std::stable_sort(checks.begin(), checks.end(), [&](const auto& a, const auto& b) {
        return context.collation.compare(a.first, b.first) < 0;
    });
    for (const auto& check : checks)
        result.rows.append({check.first, check.second});
    return result;
}

// sys.types.is_user_defined is 1 for alias types, whose user type ids start
// at 257; type_name of the system_type_id names the base type (SQL Server
// documentation, "sys.types", "TYPE_NAME").
MsResult aliasTypeColumns(const MsQueryContext& context, const QString& objectName)
{
    MsResult result;
    result.columns = {sysnameResultColumn(QStringLiteral("name"), true),
                      sysnameResultColumn(QStringLiteral("basetype"), true)};
    if (const detail::TableState* table = objectTable(context, objectName)) {
        for (const detail::ColumnState& column : table->columns) {
            if (column.type.xusertype >= 257)
                result.rows.append({column.name, column.type.baseName});
        }
    }
    return result;
}

// INDEXPROPERTY's IsUnique is 1 for a unique index, the indexes of primary
// keys and unique constraints included (SQL Server documentation,
// "INDEXPROPERTY (Transact-SQL)").
MsResult uniqueIndexes(const MsQueryContext& context, const QString& objectName)
{
    MsResult result;
    result.columns = {sysnameResultColumn(QStringLiteral("name"), false)};
    const detail::TableState* table = objectTable(context, objectName);
    if (!table)
        return result;
    QStringList names;
    for (const detail::KeyState& key : table->keys) {
        if (key.kind != MsIndexDefinition::Kind::Index)
            names.append(key.name);
    }
    std::sort(names.begin(), names.end(),
              [&](const QString& a, const QString& b) { return context.collation.compare(a, b) < 0; });
    for (const QString& name : names)
        result.rows.append({name});
    return result;
}

// COLUMNPROPERTY's IsIdentity is 1 for the table's identity column, 0 for
// the others (SQL Server documentation, "COLUMNPROPERTY (Transact-SQL)");
// syscolumns.name is sysname, never null.
MsResult identityColumns(const MsQueryContext& context, const QString& objectName)
{
    MsResult result;
    result.columns = {sysnameResultColumn(QStringLiteral("name"), false)};
    if (const detail::TableState* table = objectTable(context, objectName)) {
        for (const detail::ColumnState& column : table->columns) {
            if (column.identity)
                result.rows.append({column.name});
        }
    }
    return result;
}

} // namespace peers
