#include "peers/oracle/OraDml.h"

#include "peers/oracle/OraErrors.h"
#include "peers/oracle/OraKeys.h"
#include "peers/oracle/OraValueCheck.h"

#include <QDateTime>
#include <QUuid>
#include <limits>

namespace peers::ora {

namespace {

constexpr int kMaxAliasDepth = 16;

// The table a name reaches in the schema, through views and synonyms.
OraTable& reachedTable(OraSchema& schema, const QString& name, int depth = 0)
{
    if (OraTable* table = schema.table(name))
        return *table;
    const OraAlias* alias = schema.alias(name);
    if (!alias || depth > kMaxAliasDepth)
        throw tableOrViewMissing();
    if (alias->isView && !schema.objectNameUsed(alias->target))
        throw viewHasErrors(schema.name, alias->name);
    return reachedTable(schema, alias->target, depth + 1);
}

// Committed rows but those the session has deleted.
QVector<QVector<SqlValue>> committedRows(const SessionState& session, const OraTable& table)
{
    QVector<QVector<SqlValue>> rows = table.rows;
    for (const PendingRow& row : session.deleted) {
        if (row.table == table.name)
            rows.removeOne(row.values);
    }
    return rows;
}

// Committed rows and the session's own uncommitted rows.
QVector<QVector<SqlValue>> visibleRows(const SessionState& session, const OraTable& table)
{
    QVector<QVector<SqlValue>> rows = committedRows(session, table);
    for (const PendingRow& row : session.pending) {
        if (row.table == table.name)
            rows.append(row.values);
    }
    return rows;
}

OraColumn numberColumn(const QString& name)
{
    OraColumn column;
    column.name = name;
    column.type = QStringLiteral("NUMBER");
    column.length = 22;
    return column;
}

OraResult countResult(const QString& alias, int count)
{
    OraResult result;
    result.columns.append(numberColumn(alias.isEmpty() ? QStringLiteral("COUNT(*)") : alias));
    result.rows.append({SqlValue(qint64(count))});
    return result;
}

void checkUniqueKeys(SessionState& session, const OraTable& table, const QVector<SqlValue>& row)
{
    for (const UniqueRule& rule : uniqueRules(table)) {
        const QVector<SqlValue> key = keyOf(row, rule.positions);
        if (allNull(key))
            continue;
        auto clashes = [&](const QVector<SqlValue>& other) { return rowHasKey(other, rule.positions, key); };
        bool taken = std::any_of(table.rows.begin(), table.rows.end(), clashes);
        // Rows of every session count: Oracle makes a second inserter of the
        // same key wait for the first, which the model cannot, so it refuses
        // at once.
        for (const auto& open : session.db->openSessions()) {
            for (const PendingRow& pending : open->pending) {
                if (open->user == session.user && pending.table == table.name)
                    taken = taken || clashes(pending.values);
            }
        }
        if (taken)
            throw uniqueConstraintViolated(session.user, rule.name);
    }
}

void checkForeignKeys(SessionState& session, const OraTable& table, const QVector<SqlValue>& row)
{
    OraSchema& schema = session.schema();
    for (const OraConstraintInfo& constraint : table.constraints) {
        if (constraint.type != 'R')
            continue;
        const QVector<SqlValue> key = keyOf(row, columnPositions(table, constraint.columns));
        if (hasNull(key))
            continue;
        const OraTable& parent = reachedTable(schema, constraint.referencedTable);
        const QVector<int> parentPositions = columnPositions(parent, constraint.referencedColumns);
        auto isParent = [&](const QVector<SqlValue>& p) { return rowHasKey(p, parentPositions, key); };
        bool found = std::any_of(parent.rows.begin(), parent.rows.end(), isParent);
        for (const PendingRow& pending : session.pending)
            found = found || (pending.table == parent.name && isParent(pending.values));
        if (!found)
            throw parentKeyNotFound(session.user, constraint.name);
    }
}

} // namespace

OraResult countTables(SessionState& session, const CountTables& statement)
{
    const bool allTables = statement.view == QLatin1String("ALL_TABLES");
    for (const DictionaryCondition& condition : statement.conditions) {
        const bool known = condition.column == QLatin1String("TABLE_NAME")
            || (allTables && condition.column == QLatin1String("OWNER"));
        if (!known)
            throw invalidIdentifier(QLatin1Char('"') + condition.column + QLatin1Char('"'));
    }
    // Without grants in the model, a user reaches the tables of its own
    // schema only; views and synonyms are not tables and are not listed.
    const OraSchema& schema = session.schema();
    int count = 0;
    for (const OraTable& table : schema.tables) {
        bool matches = true;
        for (const DictionaryCondition& condition : statement.conditions) {
            QString value = condition.column == QLatin1String("OWNER") ? schema.name : table.name;
            if (condition.upper)
                value = value.toUpper();
            matches = matches && value == condition.literal;
        }
        count += matches ? 1 : 0;
    }
    return countResult(statement.alias, count);
}

OraResult selectRows(SessionState& session, const SelectRows& statement)
{
    const OraTable& table = reachedTable(session.schema(), statement.table);
    const QVector<QVector<SqlValue>> rows = statement.noRows ? QVector<QVector<SqlValue>>{} : visibleRows(session, table);
    if (statement.count)
        return countResult(statement.alias, int(rows.size()));
    return OraResult{table.columns, rows};
}

namespace {

// The value of a DEFAULT expression that the model evaluates: a number or
// string literal, SYSDATE and SYSTIMESTAMP (the current time), and a
// SYS_GUID-based text (a new GUID's text); other expressions give NULL.
SqlValue defaultValue(const QString& expression)
{
    if (expression == QLatin1String("SYSDATE") || expression == QLatin1String("SYSTIMESTAMP"))
        return SqlValue(QDateTime::currentDateTimeUtc());
    if (expression.contains(QLatin1String("SYS_GUID()")))
        return SqlValue(QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper());
    if (expression.size() >= 2 && expression.startsWith(QLatin1Char('\'')) && expression.endsWith(QLatin1Char('\'')))
        return SqlValue(expression.mid(1, expression.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'")));
    bool number = false;
    expression.toDouble(&number);
    return number ? SqlValue::decimal(expression) : SqlValue();
}

// A column the insert gives no value: its default, or the identity
// generator's next value; an identity column generated ON NULL also takes
// the next value for an explicit NULL ("identity_clause").
SqlValue generatedValue(OraColumn& column)
{
    if (column.identity) {
        const qint64 value = column.identityNext;
        column.identityNext += column.identityIncrement;
        return SqlValue(value);
    }
    return column.defaultExpression.isEmpty() ? SqlValue() : defaultValue(column.defaultExpression);
}

} // namespace

void insertRow(SessionState& session, const Insert& statement, const QVector<SqlValue>& binds)
{
    OraTable& table = reachedTable(session.schema(), statement.table);
    QVector<int> positions;
    if (statement.columns.isEmpty()) {
        for (int i = 0; i < table.columns.size(); ++i)
            positions.append(i);
    } else {
        positions = columnPositions(table, statement.columns);
    }
    if (statement.values.size() > positions.size())
        throw tooManyValues();
    if (statement.values.size() < positions.size())
        throw notEnoughValues();
    if (binds.size() < statement.bindCount)
        throw notAllVariablesBound();
    if (binds.size() > statement.bindCount)
        throw illegalVariable();

    QVector<SqlValue> row(table.columns.size());
    QVector<bool> given(table.columns.size(), false);
    for (int i = 0; i < positions.size(); ++i) {
        const ValueItem& item = statement.values[i];
        const SqlValue& value = item.bindPosition >= 0 ? binds[item.bindPosition] : item.literal;
        OraColumn& column = table.columns[positions[i]];
        if (column.identity == 'A')
            throw generatedAlwaysIdentity();
        given[positions[i]] = !(column.identity == 'N' && value.isNull());
        row[positions[i]] = storedValue(value, column, session.user, table.name, session.nls);
    }
    for (int i = 0; i < table.columns.size(); ++i) {
        if (!given[i])
            row[i] = storedValue(generatedValue(table.columns[i]), table.columns[i], session.user, table.name,
                                 session.nls);
    }
    for (int i = 0; i < table.columns.size(); ++i) {
        if (!table.columns[i].nullable && row[i].isNull())
            throw cannotInsertNull(session.user, table.name, table.columns[i].name);
    }
    checkUniqueKeys(session, table, row);
    checkForeignKeys(session, table, row);
    session.pending.append(PendingRow{table.name, row});
}

namespace {

constexpr int kMaxCascadeDepth = 32;

// Removes one row the session sees: its own uncommitted row, or a committed
// row, which is then deleted at the commit.
void removeVisibleRow(SessionState& session, const QString& table, const QVector<SqlValue>& row)
{
    for (int i = 0; i < session.pending.size(); ++i) {
        if (session.pending[i].table == table && session.pending[i].values == row) {
            session.pending.remove(i);
            return;
        }
    }
    session.deleted.append(PendingRow{table, row});
}

void deleteRow(SessionState& session, const OraTable& table, const QVector<SqlValue>& row, int depth);

// The rows of other tables that refer to a deleted row by a foreign key
// follow the key's delete rule (SQL Language Reference, "constraint",
// references_clause, ON DELETE): CASCADE deletes them, SET NULL sets their
// key columns to null, and without the clause a dependent row refuses the
// delete with ORA-02292.
void applyDeleteRules(SessionState& session, const OraTable& parent, const QVector<SqlValue>& row, int depth)
{
    for (const OraTable& child : session.schema().tables) {
        for (const OraConstraintInfo& constraint : child.constraints) {
            if (constraint.type != 'R' || constraint.referencedTable != parent.name)
                continue;
            const QVector<SqlValue> key = keyOf(row, columnPositions(parent, constraint.referencedColumns));
            const QVector<int> positions = columnPositions(child, constraint.columns);
            for (const QVector<SqlValue>& dependent : visibleRows(session, child)) {
                if (!rowHasKey(dependent, positions, key))
                    continue;
                if (constraint.deleteRule == QLatin1String("CASCADE")) {
                    deleteRow(session, child, dependent, depth + 1);
                } else if (constraint.deleteRule == QLatin1String("SET NULL")) {
                    removeVisibleRow(session, child.name, dependent);
                    QVector<SqlValue> emptied = dependent;
                    for (int position : positions)
                        emptied[position] = SqlValue();
                    session.pending.append(PendingRow{child.name, emptied});
                } else {
                    throw childRecordFound(session.user, constraint.name);
                }
            }
        }
    }
}

void deleteRow(SessionState& session, const OraTable& table, const QVector<SqlValue>& row, int depth)
{
    if (depth > kMaxCascadeDepth)
        return;
    applyDeleteRules(session, table, row, depth);
    removeVisibleRow(session, table.name, row);
}

} // namespace

void deleteRows(SessionState& session, const Delete& statement)
{
    const OraTable& table = reachedTable(session.schema(), statement.table);
    qint64 left = statement.limit < 0 ? std::numeric_limits<qint64>::max() : statement.limit;
    // A refused statement leaves nothing behind (statement-level atomicity).
    const QVector<PendingRow> pending = session.pending;
    const QVector<PendingRow> deleted = session.deleted;
    try {
        // The table is read committed rows first, then the session's own.
        for (const QVector<SqlValue>& row : visibleRows(session, table)) {
            if (left-- <= 0)
                break;
            deleteRow(session, table, row, 0);
        }
    } catch (const OraError&) {
        session.pending = pending;
        session.deleted = deleted;
        throw;
    }
}

void commitSession(SessionState& session)
{
    OraSchema& schema = session.schema();
    UnsavedChanges& unsaved = session.db->unsaved;
    if (!session.deleted.isEmpty())
        unsaved.wholeFile = true;
    for (const PendingRow& row : std::as_const(session.deleted)) {
        if (OraTable* table = schema.table(row.table))
            table->rows.removeOne(row.values);
    }
    session.deleted.clear();
    for (const PendingRow& row : std::as_const(session.pending)) {
        OraTable* table = schema.table(row.table);
        if (!table)
            continue;
        table->rows.append(row.values);
        if (unsaved.wholeFile)
            continue;
        if (unsaved.rows.isEmpty() || unsaved.rows.last().schema != schema.name || unsaved.rows.last().table != table->name)
            unsaved.rows.append(CommittedRows{schema.name, table->name, {}});
        unsaved.rows.last().rows.append(row.values);
    }
    session.pending.clear();
}

void rollbackSession(SessionState& session)
{
    session.pending.clear();
    session.deleted.clear();
}

} // namespace peers::ora
