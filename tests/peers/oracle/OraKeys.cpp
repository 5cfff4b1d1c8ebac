#include "peers/oracle/OraKeys.h"

#include "peers/oracle/OraErrors.h"

#include <QSet>

namespace peers::ora {

QVector<int> columnPositions(const OraTable& table, const QStringList& names)
{
    QVector<int> positions;
    for (const QString& name : names) {
        const int position = table.columnIndex(name);
        if (position < 0)
            throw invalidIdentifier(QLatin1Char('"') + name + QLatin1Char('"'));
        if (positions.contains(position))
            throw duplicateColumnName();
        positions.append(position);
    }
    return positions;
}

QVector<SqlValue> keyOf(const QVector<SqlValue>& row, const QVector<int>& positions)
{
    QVector<SqlValue> key;
    for (int position : positions)
        key.append(row[position]);
    return key;
}

bool rowHasKey(const QVector<SqlValue>& row, const QVector<int>& positions, const QVector<SqlValue>& key)
{
    for (int i = 0; i < positions.size(); ++i) {
        if (row[positions[i]] != key[i])
            return false;
    }
    return true;
}

bool hasNull(const QVector<SqlValue>& key)
{
    return std::any_of(key.begin(), key.end(), [](const SqlValue& v) { return v.isNull(); });
}

bool allNull(const QVector<SqlValue>& key)
{
    return std::all_of(key.begin(), key.end(), [](const SqlValue& v) { return v.isNull(); });
}

bool hasDuplicateKeys(const QVector<QVector<SqlValue>>& rows, const QVector<int>& positions)
{
    for (int i = 0; i < rows.size(); ++i) {
        const QVector<SqlValue> key = keyOf(rows[i], positions);
        if (allNull(key))
            continue;
        for (int j = i + 1; j < rows.size(); ++j) {
            if (rowHasKey(rows[j], positions, key))
                return true;
        }
    }
    return false;
}

bool isLob(const OraColumn& column)
{
    return column.type == QLatin1String("BLOB") || column.type == QLatin1String("CLOB");
}

int keyWidth(const OraTable& table, const QVector<int>& positions)
{
    int width = 0;
    for (int position : positions)
        width += table.columns[position].length + 1;
    return width;
}

const OraIndexInfo* indexUsableForKey(const OraTable& table, const QStringList& columns)
{
    const QSet<QString> wanted(columns.begin(), columns.end());
    for (const OraIndexInfo& index : table.indexes) {
        if (index.columns.size() < columns.size())
            continue;
        const QStringList leading = index.columns.mid(0, columns.size());
        if (QSet<QString>(leading.begin(), leading.end()) == wanted)
            return &index;
    }
    return nullptr;
}

QVector<UniqueRule> uniqueRules(const OraTable& table)
{
    QVector<UniqueRule> rules;
    QStringList enforcing;
    for (const OraConstraintInfo& constraint : table.constraints) {
        if (constraint.type == 'R')
            continue;
        rules.append(UniqueRule{constraint.name, columnPositions(table, constraint.columns)});
        enforcing.append(constraint.indexName);
    }
    for (const OraIndexInfo& index : table.indexes) {
        if (index.unique && !enforcing.contains(index.name))
            rules.append(UniqueRule{index.name, columnPositions(table, index.columns)});
    }
    return rules;
}

} // namespace peers::ora
