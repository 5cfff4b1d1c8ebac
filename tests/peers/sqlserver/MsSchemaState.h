#pragma once

#include "peers/sqlserver/MsTypeCatalogue.h"

#include <deque>
#include <vector>

// What the model server keeps of its databases: the state behind the MsTable
// and MsDatabase handles that tests seed, read by the query answers.
namespace peers::detail {

struct ColumnState {
    QString name;
    MsColumnType type;
    bool nullable = true;
    QString defaultText;  // the default's text as the comments table keeps it; empty for none
    bool identity = false;
};

// An index, or a primary key or unique constraint with its backing index of
// the same name.
struct KeyState {
    QString name;
    MsIndexDefinition::Kind kind = MsIndexDefinition::Kind::Index;
    QVector<int> columns;  // positions in the table's column list, in key order
    int constraintId = 0;  // the constraint object's id; 0 for a plain index

    bool isConstraint() const
    {
        return kind == MsIndexDefinition::Kind::PrimaryKey || kind == MsIndexDefinition::Kind::UniqueConstraint;
    }
};

// The alias and CLR types and counters of one database, shared with its tables.
struct DatabaseShared {
    std::vector<MsColumnType> aliasTypes;
    int nextObjectId = 117575457;
    int nextUserType = 257;
    quint64 rowVersion = 2000;  // the database's last row version (@@DBTS)

    // Object ids grow with creation, so "order by id" is creation order.
    int allocateObjectId()
    {
        const int id = nextObjectId;
        nextObjectId += 16;
        return id;
    }
};

struct TableState {
    int id = 0;
    QString name;
    QString schema;
    std::vector<ColumnState> columns;
    std::vector<KeyState> keys;
    QVector<QVector<SqlValue>> rows;
    qint64 lastIdentity = 0;
    std::vector<MsForeignKeyDefinition> foreignKeys;
    std::vector<std::pair<QString, QString>> checks;  // name, definition
    std::shared_ptr<DatabaseShared> shared;
};

struct ViewState {
    int id = 0;
    QString name;
    QString schema;
};

struct DatabaseState {
    QString name;
    std::deque<MsTable> tableHandles;
    std::vector<std::shared_ptr<TableState>> tables;  // in creation order
    std::vector<ViewState> views;
    std::shared_ptr<DatabaseShared> shared = std::make_shared<DatabaseShared>();
};

} // namespace peers::detail

namespace peers {

struct MsTable::Data : detail::TableState {};
struct MsDatabase::Data : detail::DatabaseState {};

} // namespace peers
