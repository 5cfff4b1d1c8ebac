#pragma once

#include "peers/oracle/OraDictionary.h"

// Column lists of keys and indexes: resolving them against a table, and
// comparing the rows they select.
namespace peers::ora {

// Positions of the named columns; ORA-00904 for a name the table lacks,
// ORA-00957 for a name given twice.
QVector<int> columnPositions(const OraTable& table, const QStringList& names);

QVector<SqlValue> keyOf(const QVector<SqlValue>& row, const QVector<int>& positions);
// True when the row holds the key at these positions (without copying it).
bool rowHasKey(const QVector<SqlValue>& row, const QVector<int>& positions, const QVector<SqlValue>& key);
bool hasNull(const QVector<SqlValue>& key);
bool allNull(const QVector<SqlValue>& key);
// True when two of the rows share a key that is not all NULL.
bool hasDuplicateKeys(const QVector<QVector<SqlValue>>& rows, const QVector<int>& positions);

bool isLob(const OraColumn& column);
// The width Oracle counts for an index key, and the largest it allows in a
// block of 8 KiB.
int keyWidth(const OraTable& table, const QVector<int>& positions);
constexpr int kMaxKeyWidth = 6398;

// The index that can enforce a key on these columns: one whose leading
// columns are exactly the key's, in any order.
const OraIndexInfo* indexUsableForKey(const OraTable& table, const QStringList& columns);
// The unique and primary keys of the table, and unique indexes that enforce
// none of them: each is one rule that no two rows may break.
struct UniqueRule {
    QString name;
    QVector<int> positions;
};
QVector<UniqueRule> uniqueRules(const OraTable& table);

} // namespace peers::ora
