// Seeding of the model server's databases: tables with their columns, keys
// and rows, alias types and views, checked as the server would check the
// statements that create them.
#include "peers/sqlserver/MsSchemaState.h"
#include "peers/sqlserver/MsValueRules.h"

#include <stdexcept>

namespace peers {

namespace {

[[noreturn]] void seedingError(const QString& text)
{
    throw std::invalid_argument(text.toStdString());
}

QString qualified(const detail::TableState& table)
{
    return table.schema + QLatin1Char('.') + table.name;
}

int columnPosition(const detail::TableState& table, const QString& name)
{
    for (size_t i = 0; i < table.columns.size(); ++i) {
        if (table.columns[i].name == name)
            return int(i);
    }
    seedingError(QStringLiteral("table %1 has no column '%2'").arg(qualified(table), name));
}

MsColumnType resolveType(const detail::DatabaseShared& shared, const QString& text)
{
    for (const MsColumnType& alias : shared.aliasTypes) {
        if (alias.typeName.compare(text.trimmed(), Qt::CaseInsensitive) == 0)
            return alias;
    }
    return parseSystemType(text);
}

bool isKeyableType(const MsColumnType& type)
{
    static const QStringList largeObjects = {"text", "ntext", "image", "xml"};
    return type.length != -1 && !largeObjects.contains(type.baseName);
}

bool allowsIdentity(const MsColumnType& type)
{
    static const QStringList integers = {"tinyint", "smallint", "int", "bigint"};
    return integers.contains(type.baseName)
           || ((type.baseName == QLatin1String("decimal") || type.baseName == QLatin1String("numeric")) && type.scale == 0);
}

// The value that a row gets in a column: an identity column takes the next
// number and a timestamp column the next row version when given none.
SqlValue seededValue(detail::TableState& table, const detail::ColumnState& column, const SqlValue& given)
{
    SqlValue value = given;
    if (column.identity && value.isNull())
        value = SqlValue(table.lastIdentity + 1);
    if (column.type.baseName == QLatin1String("timestamp") && value.isNull()) {
        QByteArray bytes(8, '\0');
        const quint64 version = ++table.shared->rowVersion;
        for (int i = 0; i < 8; ++i)
            bytes[7 - i] = char((version >> (8 * i)) & 0xFF);
        value = SqlValue(bytes);
    }
    value = columnValue(column.type, value, column.name);
    if (column.identity)
        table.lastIdentity = qMax(table.lastIdentity, value.toInteger());
    if (value.isNull() && !column.nullable)
        seedingError(QStringLiteral("column '%1' of %2 does not allow NULL").arg(column.name, qualified(table)));
    return value;
}

MsTable& addKey(MsTable& handle, detail::TableState& table, MsIndexDefinition::Kind kind, const QString& name,
                const QStringList& columns)
{
    if (name.isEmpty() || columns.isEmpty())
        seedingError(QStringLiteral("a key of %1 needs a name and columns").arg(qualified(table)));
    for (const detail::KeyState& key : table.keys) {
        if (key.name == name)
            seedingError(QStringLiteral("%1 already has an index named '%2'").arg(qualified(table), name));
        if (kind == MsIndexDefinition::Kind::PrimaryKey && key.kind == kind)
            seedingError(QStringLiteral("%1 already has a primary key").arg(qualified(table)));
    }
    detail::KeyState key;
    key.name = name;
    key.kind = kind;
    for (const QString& columnName : columns) {
        const int position = columnPosition(table, columnName);
        detail::ColumnState& column = table.columns[size_t(position)];
        if (!isKeyableType(column.type))
            seedingError(QStringLiteral("column '%1' of %2 is of a type that cannot be a key column")
                             .arg(columnName, qualified(table)));
        // As in CREATE TABLE, primary key columns become NOT NULL.
        if (kind == MsIndexDefinition::Kind::PrimaryKey)
            column.nullable = false;
        key.columns.append(position);
    }
    if (key.isConstraint())
        key.constraintId = table.shared->allocateObjectId();
    table.keys.push_back(key);
    return handle;
}

} // namespace

MsServerError::MsServerError(int number, int state, int severity, QString message)
    : number(number), state(state), severity(severity), message(std::move(message)), utf8(this->message.toUtf8())
{
}

MsTable& MsTable::column(const QString& name, const QString& type, bool nullable)
{
    MsColumnDefinition definition;
    definition.name = name;
    definition.type = type;
    definition.nullable = nullable;
    return column(definition);
}

MsTable& MsTable::column(const MsColumnDefinition& definition)
{
    if (definition.name.isEmpty())
        seedingError(QStringLiteral("a column of %1 needs a name").arg(qualified(*d)));
    if (!d->rows.isEmpty())
        seedingError(QStringLiteral("columns of %1 must come before its rows").arg(qualified(*d)));
    for (const detail::ColumnState& existing : d->columns) {
        if (existing.name == definition.name)
            seedingError(QStringLiteral("%1 already has a column '%2'").arg(qualified(*d), definition.name));
    }
    detail::ColumnState column;
    column.name = definition.name;
    column.type = resolveType(*d->shared, definition.type);
    column.nullable = definition.nullable && !definition.identity;
    column.defaultText = definition.defaultText;
    column.identity = definition.identity;
    if (column.identity && !allowsIdentity(column.type))
        seedingError(QStringLiteral("identity column '%1' must be of an integer type").arg(definition.name));
    d->columns.push_back(column);
    return *this;
}

MsTable& MsTable::identityColumn(const QString& name, const QString& type)
{
    MsColumnDefinition definition;
    definition.name = name;
    definition.type = type;
    definition.nullable = false;
    definition.identity = true;
    return column(definition);
}

MsTable& MsTable::index(const QString& name, const QStringList& columns)
{
    return addKey(*this, *d, MsIndexDefinition::Kind::Index, name, columns);
}

MsTable& MsTable::uniqueIndex(const QString& name, const QStringList& columns)
{
    return addKey(*this, *d, MsIndexDefinition::Kind::UniqueIndex, name, columns);
}

MsTable& MsTable::primaryKey(const QString& name, const QStringList& columns)
{
    return addKey(*this, *d, MsIndexDefinition::Kind::PrimaryKey, name, columns);
}

MsTable& MsTable::uniqueConstraint(const QString& name, const QStringList& columns)
{
    return addKey(*this, *d, MsIndexDefinition::Kind::UniqueConstraint, name, columns);
}

MsTable& MsTable::foreignKey(const MsForeignKeyDefinition& key)
{
    for (const QString& column : key.columns)
        columnPosition(*d, column);
    if (key.columns.size() != key.parentColumns.size())
        seedingError(QStringLiteral("foreign key '%1' of %2 needs as many columns as it references").arg(key.name, qualified(*d)));
    d->foreignKeys.push_back(key);
    return *this;
}

MsTable& MsTable::checkConstraint(const QString& name, const QString& definition)
{
    d->checks.emplace_back(name, definition);
    return *this;
}

MsTable& MsTable::row(const QVector<SqlValue>& values)
{
    if (values.size() > int(d->columns.size()))
        seedingError(QStringLiteral("a row of %1 has %2 values for %3 columns")
                         .arg(qualified(*d))
                         .arg(values.size())
                         .arg(d->columns.size()));
    QVector<SqlValue> row;
    row.reserve(int(d->columns.size()));
    for (size_t i = 0; i < d->columns.size(); ++i)
        row.append(seededValue(*d, d->columns[i], int(i) < values.size() ? values[int(i)] : SqlValue()));
    d->rows.append(row);
    return *this;
}

const QString& MsTable::name() const
{
    return d->name;
}

const QString& MsTable::schema() const
{
    return d->schema;
}

QVector<QVector<SqlValue>>& MsTable::rows()
{
    return d->rows;
}

MsTable& MsDatabase::table(const QString& name, const QString& schema)
{
    for (MsTable& handle : d->tableHandles) {
        if (handle.name() == name && handle.schema() == schema)
            return handle;
    }
    if (name.isEmpty() || schema.isEmpty())
        seedingError(QStringLiteral("a table needs a name and a schema"));
    auto state = std::make_shared<MsTable::Data>();
    state->id = d->shared->allocateObjectId();
    state->name = name;
    state->schema = schema;
    state->shared = d->shared;
    d->tables.push_back(state);
    MsTable handle;
    handle.d = state;
    d->tableHandles.push_back(handle);
    return d->tableHandles.back();
}

MsDatabase& MsDatabase::aliasType(const QString& name, const QString& baseType)
{
    for (const MsColumnType& existing : d->shared->aliasTypes) {
        if (existing.typeName.compare(name, Qt::CaseInsensitive) == 0)
            seedingError(QStringLiteral("database %1 already has a type '%2'").arg(d->name, name));
    }
    MsColumnType alias = parseSystemType(baseType);
    alias.typeName = name;
    alias.xusertype = d->shared->nextUserType++;
    d->shared->aliasTypes.push_back(alias);
    return *this;
}

MsDatabase& MsDatabase::clrType(const QString& name, int maxLength)
{
    for (const MsColumnType& existing : d->shared->aliasTypes) {
        if (existing.typeName.compare(name, Qt::CaseInsensitive) == 0)
            seedingError(QStringLiteral("database %1 already has a type '%2'").arg(d->name, name));
    }
    d->shared->aliasTypes.push_back(clrColumnType(name, d->shared->nextUserType++, maxLength));
    return *this;
}

MsDatabase& MsDatabase::view(const QString& name)
{
    detail::ViewState view;
    view.id = d->shared->allocateObjectId();
    view.name = name;
    view.schema = QStringLiteral("dbo");
    d->views.push_back(view);
    return *this;
}

const QString& MsDatabase::name() const
{
    return d->name;
}

} // namespace peers
