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

} // namespace peers
