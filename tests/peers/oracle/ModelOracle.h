#pragma once

#include "db/SqlValue.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <exception>
#include <memory>

namespace peers {

using tw::SqlValue;

// An error as Oracle raises it: the code and the full message text, which
// begins "ORA-nnnnn: ".
struct OraError : std::exception {
    int code = 0;
    QString message;
    QByteArray utf8;
    OraError(int code, QString message);  // message without the "ORA-nnnnn: " prefix
    const char* what() const noexcept override { return utf8.constData(); }
};

// A column as the dictionary describes it. type is the Oracle type name
// ("NUMBER", "VARCHAR2", "DATE", "BLOB", ...); precision/scale are -1 when
// not given (plain NUMBER); length is the VARCHAR2 size in bytes.
struct OraColumn {
    QString name;
    QString type;
    int length = 0;
    int precision = -1;
    int scale = -1;
    // Added for the dictionary's NULLABLE and CHAR_LENGTH: primary-key
    // columns become NOT NULL; charLength is n for VARCHAR2(n CHAR) and
    // CHAR(n CHAR), 0 for byte length semantics. For the other types length
    // is the dictionary's DATA_LENGTH (NUMBER 22, DATE 7, LOBs 4000).
    bool nullable = true;
    int charLength = 0;
    // The DEFAULT expression as written (words in capitals, strings quoted),
    // empty for none.
    QString defaultExpression;
    // An identity column: 'A' GENERATED ALWAYS, 'D' BY DEFAULT, 'N' BY
    // DEFAULT ON NULL, 0 none; the generator's next value and increment.
    char identity = 0;
    qint64 identityNext = 1;
    qint64 identityIncrement = 1;
};

struct OraResult {
    QVector<OraColumn> columns;
    QVector<QVector<SqlValue>> rows;
};

struct OraIndexInfo {
    QString name;
    QString table;
    QStringList columns;
    bool unique = false;
};

struct OraConstraintInfo {
    QString name;
    QString table;
    char type = 'P';  // 'P' primary key, 'U' unique key, 'R' foreign key
    QStringList columns;
    QString referencedTable;  // for 'R'
    QStringList referencedColumns;  // for 'R'
    QString deleteRule = QStringLiteral("NO ACTION");  // for 'R': or CASCADE, SET NULL
    QString indexName;  // for 'P' and 'U': the index that enforces the key
};

class ModelOracle;

// A logged-on session. Inserts are pending in the session's transaction
// until commit; DDL commits the pending work first, as Oracle does. Other
// sessions do not see uncommitted rows, and their DDL on a table that holds
// them is refused with ORA-00054. Dropping the last copy of a session ends it
// and discards its uncommitted rows. A default-constructed session is not
// logged on: every call is ORA-03114.
class OraSession {
public:
    const QString& user() const;

    // Runs one statement. Placeholders :1, :2 ... (or :name, by position) take
    // the bind values in order. Returns the rows of a query, nothing otherwise.
    OraResult execute(const QString& sql, const QVector<SqlValue>& binds = {});
    void commit();
    void rollback();

private:
    friend class ModelOracle;
    struct Data;
    std::shared_ptr<Data> d;
};

// A model Oracle database: users (schemas), tables with columns and types,
// indexes, primary and foreign keys, and rows. It executes the statement
// shapes the program sends with Oracle's own rules and ORA- messages:
// unquoted names fold to upper case, quoted names keep theirs, 30-character
// identifiers, NUMBER precision 1..38, VARCHAR2 size 1..4000 bytes,
// duplicate names, existing objects, missing tables, referenced tables,
// duplicate column lists in indexes, one primary key per table, and values
// that do not fit their column. Another session can delete rows
// ("delete from T where rownum <= n"), as a second user of a real database
// could while a copy runs.
// Copies of a ModelOracle share one database.
class ModelOracle {
public:
    ModelOracle();
    ~ModelOracle();

    // Connect strings the model answers to (TNS alias or host:port/service);
    // "ORCL" is known from the start. Others get ORA-12154.
    void addService(const QString& connectString);
    // Users are stored upper case, as an unquoted CREATE USER would.
    void addUser(const QString& name, const QString& password);
    // ORA-01017 for a wrong user or password.
    OraSession logon(const QString& user, const QString& password, const QString& service);

    // Inspection for tests, names exactly as stored (case-sensitive).
    QStringList tables(const QString& owner) const;
    QVector<OraColumn> columns(const QString& owner, const QString& table) const;
    // Committed rows in insertion order.
    QVector<QVector<SqlValue>> rows(const QString& owner, const QString& table) const;
    QVector<OraIndexInfo> indexes(const QString& owner, const QString& table) const;
    QVector<OraConstraintInfo> constraints(const QString& owner, const QString& table) const;
    // Every statement text executed, in order (for tests to inspect),
    // refused ones included; commit() and rollback() calls are not statements.
    QStringList statementLog() const;

    // Keep the whole model in a file, so another process can continue with it:
    // services, users, tables, columns, indexes, constraints, views and
    // synonyms, committed rows and the statement log. load() replaces the
    // contents and discards the uncommitted rows of open sessions. Failures
    // to write or read the file are tw::Failure.
    // A save into the file that the model last wrote or read, unchanged
    // since, appends what changed when that is only committed rows and
    // logged statements; its cost follows the change, not the model.
    void save(const QString& path) const;
    void load(const QString& path);

private:
    void markSaved(const QString& path) const;
    friend class OraSession;
    struct Data;
    std::shared_ptr<Data> d;
};

} // namespace peers
