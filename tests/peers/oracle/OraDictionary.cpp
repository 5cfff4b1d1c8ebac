#include "peers/oracle/OraDictionary.h"

#include "peers/oracle/OraErrors.h"

#include <algorithm>

namespace peers::ora {

namespace {

template<typename Item>
auto findByName(Item& items, const QString& name) -> decltype(&items[0])
{
    for (auto& item : items) {
        if (item.name == name)
            return &item;
    }
    return nullptr;
}

} // namespace

int OraTable::columnIndex(const QString& name) const
{
    for (int i = 0; i < columns.size(); ++i) {
        if (columns[i].name == name)
            return i;
    }
    return -1;
}

const OraConstraintInfo* OraTable::primaryKey() const
{
    for (const OraConstraintInfo& constraint : constraints) {
        if (constraint.type == 'P')
            return &constraint;
    }
    return nullptr;
}

OraTable* OraSchema::table(const QString& name) { return findByName(tables, name); }
const OraTable* OraSchema::table(const QString& name) const { return findByName(tables, name); }
const OraAlias* OraSchema::alias(const QString& name) const { return findByName(aliases, name); }

bool OraSchema::objectNameUsed(const QString& name) const { return table(name) || alias(name); }

bool OraSchema::indexNameUsed(const QString& name) const
{
    for (const OraTable& t : tables) {
        if (findByName(t.indexes, name))
            return true;
    }
    return false;
}

bool OraSchema::constraintNameUsed(const QString& name) const
{
    for (const OraTable& t : tables) {
        if (findByName(t.constraints, name))
            return true;
    }
    return false;
}

OraSchema* OraDatabase::schema(const QString& name) { return findByName(schemas, name); }
const OraSchema* OraDatabase::schema(const QString& name) const { return findByName(schemas, name); }

QString OraDatabase::nextSystemName()
{
    return QStringLiteral("SYS_C%1").arg(++systemNameCount, 7, 10, QLatin1Char('0'));
}

QVector<std::shared_ptr<SessionState>> OraDatabase::openSessions()
{
    QVector<std::shared_ptr<SessionState>> open;
    std::vector<std::weak_ptr<SessionState>> alive;
    for (const auto& weak : sessions) {
        if (auto session = weak.lock()) {
            open.append(session);
            alive.push_back(weak);
        }
    }
    sessions.swap(alive);
    return open;
}

OraSchema& SessionState::schema() const
{
    OraSchema* own = db->schema(user);
    if (!own)
        throw notConnected();
    return *own;
}

bool SessionState::hasPendingRowsIn(const QString& table) const
{
    auto inTable = [&](const PendingRow& row) { return row.table == table; };
    return std::any_of(pending.begin(), pending.end(), inTable) || std::any_of(deleted.begin(), deleted.end(), inTable);
}

} // namespace peers::ora
