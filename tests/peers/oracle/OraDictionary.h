#pragma once

#include "peers/oracle/ModelOracle.h"
#include "peers/oracle/OraNls.h"

#include <memory>

// The model's data: schemas with their tables, columns, indexes, constraints
// and committed rows, and the sessions with their uncommitted rows.
namespace peers::ora {

struct OraTable {
    QString name;
    QVector<OraColumn> columns;
    QVector<OraIndexInfo> indexes;
    QVector<OraConstraintInfo> constraints;
    QVector<QVector<SqlValue>> rows;  // committed, in insertion order

    // Position of the column stored under exactly this name, or -1.
    int columnIndex(const QString& name) const;
    const OraConstraintInfo* primaryKey() const;
};

// A view (select * from a table or view) or a private synonym: objects that
// share the tables' namespace but are not tables.
struct OraAlias {
    QString name;
    QString target;
    bool isView = true;
};

struct OraSchema {
    QString name;
    QString password;
    QVector<OraTable> tables;  // in order of creation
    QVector<OraAlias> aliases;

    OraTable* table(const QString& name);
    const OraTable* table(const QString& name) const;
    const OraAlias* alias(const QString& name) const;
    // Tables, views and synonyms share one namespace; indexes and
    // constraints each have a namespace of their own.
    bool objectNameUsed(const QString& name) const;
    bool indexNameUsed(const QString& name) const;
    bool constraintNameUsed(const QString& name) const;
};

struct SessionState;

// Rows committed into one table, in commit order.
struct CommittedRows {
    QString schema;
    QString table;
    QVector<QVector<SqlValue>> rows;
};

// What changed since the model was last written to its file or read from
// it, for a save that appends only that: the rows committed and the
// statements logged since. Any other change (a definition, a deletion, a
// user) leaves only a whole new file right.
struct UnsavedChanges {
    bool wholeFile = true;
    QString path;
    qint64 fileSize = -1;   // as last written or read
    int statementsSaved = 0;
    QVector<CommittedRows> rows;
};

struct OraDatabase {
    QStringList services;
    QVector<OraSchema> schemas;
    QStringList statementLog;
    int systemNameCount = 0;  // for SYS_Cnnnnnn names of unnamed constraints
    std::vector<std::weak_ptr<SessionState>> sessions;
    UnsavedChanges unsaved;

    OraSchema* schema(const QString& name);
    const OraSchema* schema(const QString& name) const;
    QString nextSystemName();
    // The sessions that are still open.
    QVector<std::shared_ptr<SessionState>> openSessions();
};

// An inserted row waiting in its session's transaction.
struct PendingRow {
    QString table;  // in the session user's schema
    QVector<SqlValue> values;
};

struct SessionState {
    std::shared_ptr<OraDatabase> db;
    QString user;
    QVector<PendingRow> pending;
    // Committed rows that the session has deleted: still there for the other
    // sessions until it commits.
    QVector<PendingRow> deleted;
    // NLS_LENGTH_SEMANTICS of the session: unqualified character sizes
    // count characters when set, bytes (Oracle's default) otherwise.
    bool lengthInCharacters = false;
    // The formats with which the session reads text into datetime and
    // interval columns.
    NlsSettings nls;

    OraSchema& schema() const;
    // Rows inserted or deleted and not yet committed: they lock the table.
    bool hasPendingRowsIn(const QString& table) const;
};

} // namespace peers::ora
