#pragma once

#include <optional>

#include "peers/oracle/ModelOracle.h"

#include <variant>

// The statements the model executes, as the parser hands them over: names
// already in their stored form (unquoted ones folded to upper case).
namespace peers::ora {

struct CreateTable {
    QString table;
    QVector<OraColumn> columns;
    // Character columns whose size names neither BYTE nor CHAR: the
    // session's length semantics decide what the size counts.
    QVector<int> unqualifiedLengthColumns;
};

// alter session set name = value [name = value ...]: NLS_LENGTH_SEMANTICS
// (CHAR | BYTE) and the NLS formats that NlsSettings keeps.
struct AlterSession {
    std::optional<bool> inCharacters;
    QVector<QPair<QString, QString>> nls;
};

struct CreateView {
    QString name;
    QString target;
    bool isView = true;  // false: a synonym
};

struct DropTable {
    QString table;
    bool cascadeConstraints = false;
};

// alter table T add [constraint C] primary key | unique | foreign key (...)
struct AddConstraint {
    QString table;
    OraConstraintInfo constraint;  // name empty when the statement gives none
};

// alter table T modify (C generated ... as identity [(identity options)])
struct ModifyIdentity {
    QString table;
    QString column;
    char identity = 'D';
    bool startWithLimitValue = false;
};

struct CreateIndex {
    OraIndexInfo index;
};

// A condition of the dictionary probe: column = 'literal', the column
// optionally inside upper().
struct DictionaryCondition {
    QString column;
    bool upper = false;
    QString literal;
};

// select count(*) [alias] from all_tables | user_tables [where c and c ...]
struct CountTables {
    QString view;
    QString alias;
    QVector<DictionaryCondition> conditions;
};

// select * | count(*) [alias] from T [where n = m]
struct SelectRows {
    QString table;
    bool count = false;
    QString alias;
    bool noRows = false;  // a where clause that is false for every row
};

// A value in an insert's VALUES list: a literal, or the bind at a position.
struct ValueItem {
    SqlValue literal;
    int bindPosition = -1;
};

struct Insert {
    QString table;
    QStringList columns;  // empty: every column in table order
    QVector<ValueItem> values;
    int bindCount = 0;
};

// delete [from] T [where rownum <= n]: ROWNUM numbers the rows in the order
// in which the table is read, from 1 (Oracle Database SQL Language
// Reference, "ROWNUM Pseudocolumn"), so the condition deletes the first n.
struct Delete {
    QString table;
    qint64 limit = -1;  // -1: every row
};

struct Commit {};
struct Rollback {};

using Statement = std::variant<CreateTable, CreateView, DropTable, AddConstraint, ModifyIdentity, CreateIndex,
                               CountTables, SelectRows, Insert, Delete, Commit, Rollback, AlterSession>;

inline bool isDdl(const Statement& statement)
{
    return std::holds_alternative<CreateTable>(statement) || std::holds_alternative<CreateView>(statement)
        || std::holds_alternative<DropTable>(statement) || std::holds_alternative<AddConstraint>(statement)
        || std::holds_alternative<ModifyIdentity>(statement)
        || std::holds_alternative<CreateIndex>(statement);
}

} // namespace peers::ora
