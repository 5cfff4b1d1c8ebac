#include "peers/oracle/OraDdl.h"

#include "peers/oracle/OraColumnTypes.h"
#include "peers/oracle/OraErrors.h"
#include "peers/oracle/OraKeys.h"

#include <QSet>

namespace peers::ora {

namespace {

OraTable& existingTable(OraSchema& schema, const QString& name)
{
    OraTable* table = schema.table(name);
    if (!table)
        throw tableOrViewMissing();
    return *table;
}

// DDL needs the table to itself: rows that another session inserted and has
// not committed hold a lock that DDL does not wait for.
void checkNotLockedByOthers(SessionState& session, const QString& table)
{
    for (const auto& other : session.db->openSessions()) {
        if (other.get() != &session && other->user == session.user && other->hasPendingRowsIn(table))
            throw resourceBusy();
    }
}

void checkIndexable(const OraTable& table, const QVector<int>& positions, OraError (*lobError)(const QString&))
{
    for (int position : positions) {
        if (isLob(table.columns[position]))
            throw lobError(QStringLiteral("LOB"));
    }
}

void checkKeyWidth(const OraTable& table, const QVector<int>& positions)
{
    if (keyWidth(table, positions) > kMaxKeyWidth)
        throw maximumKeyLengthExceeded(kMaxKeyWidth);
}

bool sameColumnListIndexed(const OraTable& table, const QStringList& columns)
{
    return std::any_of(table.indexes.begin(), table.indexes.end(),
                       [&](const OraIndexInfo& index) { return index.columns == columns; });
}

// Primary and unique keys: the checks of the key itself and of the rows the
// table holds, and the index that will enforce it.
void prepareUniqueKey(SessionState& session, OraTable& table, OraConstraintInfo& key, QVector<OraIndexInfo>& newIndexes)
{
    OraSchema& schema = session.schema();
    const QVector<int> positions = columnPositions(table, key.columns);
    checkIndexable(table, positions, cannotBeUniqueOrPrimary);
    if (key.type == 'P' && table.primaryKey())
        throw onlyOnePrimaryKey();
    if (const OraIndexInfo* usable = indexUsableForKey(table, key.columns)) {
        key.indexName = usable->name;
    } else {
        if (schema.indexNameUsed(key.name))
            throw nameAlreadyUsed();
        checkKeyWidth(table, positions);
        key.indexName = key.name;
        newIndexes.append(OraIndexInfo{key.name, table.name, key.columns, true});
    }
    if (key.type == 'P') {
        for (const QVector<SqlValue>& row : table.rows) {
            if (hasNull(keyOf(row, positions)))
                throw columnContainsNulls();
        }
    }
    if (hasDuplicateKeys(table.rows, positions))
        throw key.type == 'P' ? primaryKeyViolated(schema.name, key.name) : duplicateKeysFound(schema.name, key.name);
}

void prepareForeignKey(SessionState& session, OraTable& table, OraConstraintInfo& key)
{
    OraSchema& schema = session.schema();
    const QVector<int> positions = columnPositions(table, key.columns);
    const OraTable& parent = existingTable(schema, key.referencedTable);
    if (key.referencedColumns.isEmpty()) {
        const OraConstraintInfo* parentKey = parent.primaryKey();
        if (!parentKey)
            throw referencedTableHasNoPrimaryKey();
        key.referencedColumns = parentKey->columns;
    }
    if (key.referencedColumns.size() != key.columns.size())
        throw referencingColumnCountMismatch();
    const QVector<int> parentPositions = columnPositions(parent, key.referencedColumns);
    const QSet<QString> referenced(key.referencedColumns.begin(), key.referencedColumns.end());
    const bool matchesKey = std::any_of(parent.constraints.begin(), parent.constraints.end(), [&](const auto& c) {
        return c.type != 'R' && QSet<QString>(c.columns.begin(), c.columns.end()) == referenced;
    });
    if (!matchesKey)
        throw noMatchingKey();
    for (const QVector<SqlValue>& row : table.rows) {
        const QVector<SqlValue> childKey = keyOf(row, positions);
        if (hasNull(childKey))
            continue;
        const bool found = std::any_of(parent.rows.begin(), parent.rows.end(), [&](const QVector<SqlValue>& p) {
            return rowHasKey(p, parentPositions, childKey);
        });
        if (!found)
            throw parentKeysNotFound(schema.name, key.name);
    }
}

qint64 wholeNumber(const SqlValue& value)
{
    return value.kind() == SqlValue::Kind::Integer ? value.asInteger() : value.asDecimal().text.toLongLong();
}

} // namespace

void createTable(SessionState& session, const CreateTable& statement)
{
    OraSchema& schema = session.schema();
    if (schema.objectNameUsed(statement.table))
        throw nameAlreadyUsed();
    OraTable table;
    table.name = statement.table;
    for (int i = 0; i < statement.columns.size(); ++i) {
        OraColumn column = statement.columns[i];
        if (table.columnIndex(column.name) >= 0)
            throw duplicateColumnName();
        if (session.lengthInCharacters && statement.unqualifiedLengthColumns.contains(i))
            measureInCharacters(column);
        table.columns.append(column);
    }
    schema.tables.append(table);
}

void createAlias(SessionState& session, const CreateView& statement)
{
    OraSchema& schema = session.schema();
    if (schema.objectNameUsed(statement.name))
        throw nameAlreadyUsed();
    if (statement.isView && !schema.objectNameUsed(statement.target))
        throw tableOrViewMissing();
    schema.aliases.append(OraAlias{statement.name, statement.target, statement.isView});
}

void dropTable(SessionState& session, const DropTable& statement)
{
    OraSchema& schema = session.schema();
    existingTable(schema, statement.table);
    checkNotLockedByOthers(session, statement.table);
    for (OraTable& other : schema.tables) {
        if (other.name == statement.table)
            continue;
        auto references = [&](const OraConstraintInfo& c) {
            return c.type == 'R' && c.referencedTable == statement.table;
        };
        if (std::any_of(other.constraints.begin(), other.constraints.end(), references)) {
            if (!statement.cascadeConstraints)
                throw referencedByForeignKeys();
            other.constraints.erase(std::remove_if(other.constraints.begin(), other.constraints.end(), references),
                                    other.constraints.end());
        }
    }
    schema.tables.erase(std::remove_if(schema.tables.begin(), schema.tables.end(),
                                       [&](const OraTable& t) { return t.name == statement.table; }),
                        schema.tables.end());
}

void addConstraint(SessionState& session, const AddConstraint& statement)
{
    OraSchema& schema = session.schema();
    OraTable& table = existingTable(schema, statement.table);
    checkNotLockedByOthers(session, statement.table);
    OraConstraintInfo key = statement.constraint;
    columnPositions(table, key.columns);
    if (!key.name.isEmpty() && schema.constraintNameUsed(key.name))
        throw constraintNameUsed();
    if (key.name.isEmpty())
        key.name = session.db->nextSystemName();
    QVector<OraIndexInfo> newIndexes;
    if (key.type == 'R')
        prepareForeignKey(session, table, key);
    else
        prepareUniqueKey(session, table, key, newIndexes);

    table.indexes += newIndexes;
    table.constraints.append(key);
    if (key.type == 'P') {
        for (int position : columnPositions(table, key.columns))
            table.columns[position].nullable = false;
    }
}

// Changes how an identity column generates; START WITH LIMIT VALUE makes the
// next value follow the highest one the table holds (SQL Language
// Reference, "ALTER TABLE", identity_options).
void modifyIdentity(SessionState& session, const ModifyIdentity& statement)
{
    OraTable& table = existingTable(session.schema(), statement.table);
    checkNotLockedByOthers(session, table.name);
    const int position = table.columnIndex(statement.column);
    if (position < 0)
        throw invalidIdentifier(statement.column);
    OraColumn& column = table.columns[position];
    if (!column.identity)
        throw notAnIdentityColumn();
    column.identity = statement.identity;
    if (!statement.startWithLimitValue)
        return;
    for (const QVector<SqlValue>& row : std::as_const(table.rows)) {
        if (!row[position].isNull())
            column.identityNext = qMax(column.identityNext, wholeNumber(row[position]) + column.identityIncrement);
    }
}

void createIndex(SessionState& session, const CreateIndex& statement)
{
    OraSchema& schema = session.schema();
    OraTable& table = existingTable(schema, statement.index.table);
    checkNotLockedByOthers(session, table.name);
    const QVector<int> positions = columnPositions(table, statement.index.columns);
    checkIndexable(table, positions, cannotIndexDatatype);
    if (schema.indexNameUsed(statement.index.name))
        throw nameAlreadyUsed();
    if (sameColumnListIndexed(table, statement.index.columns))
        throw columnListAlreadyIndexed();
    checkKeyWidth(table, positions);
    if (statement.index.unique && hasDuplicateKeys(table.rows, positions))
        throw duplicateKeysFound();
    table.indexes.append(statement.index);
}

} // namespace peers::ora
