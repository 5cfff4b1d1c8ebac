#pragma once

#include "db/SqlValue.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>
#include <exception>
#include <memory>

namespace peers {

using tw::SqlValue;

// An error as SQL Server raises it: number, state, severity (class) and text.
struct MsServerError : std::exception {
    int number = 0;
    int state = 1;
    int severity = 16;
    QString message;
    QByteArray utf8;
    MsServerError(int number, int state, int severity, QString message);
    const char* what() const noexcept override { return utf8.constData(); }
};

// A column of a result set, described as SQL Server describes it on the wire
// and to its clients: the type name ("int", "nvarchar", "decimal", ...),
// the maximum length in bytes (-1 for the (max) types), precision and scale.
struct MsResultColumn {
    QString name;
    QString type;
    int maxLength = 0;
    int precision = 0;
    int scale = 0;
    bool nullable = true;
    // A CLR type (hierarchyid, geometry, geography, a database's own): the
    // type is its name, the values its serialised bytes.
    bool clrType = false;
};

struct MsResult {
    QVector<MsResultColumn> columns;
    QVector<QVector<SqlValue>> rows;
};

// A user table column as seeded by a test. The type is written as in T-SQL:
// "int", "nvarchar(40)", "varchar(max)", "decimal(38,10)", "datetime", or the
// name of an alias type of the database.
struct MsColumnDefinition {
    QString name;
    QString type;
    bool nullable = true;
    QString defaultText;  // the default's definition text, e.g. "((0))"
    bool identity = false;
};

// An index or key of a seeded table, its columns in key order.
struct MsIndexDefinition {
    enum class Kind { Index, UniqueIndex, PrimaryKey, UniqueConstraint };
    QString name;
    Kind kind = Kind::Index;
    QStringList columns;
};

// A foreign key of a seeded table to a table of the same database (the
// parent in parentSchema), with the referential actions as
// sys.foreign_keys names them: NO_ACTION, CASCADE, SET_NULL, SET_DEFAULT.
struct MsForeignKeyDefinition {
    QString name;
    QStringList columns;
    QString parentTable;
    QStringList parentColumns;
    QString onDelete = QStringLiteral("NO_ACTION");
    QString onUpdate = QStringLiteral("NO_ACTION");
    QString parentSchema = QStringLiteral("dbo");
};

class MsDatabase;

class MsTable {
public:
    MsTable& column(const QString& name, const QString& type, bool nullable = true);
    MsTable& column(const MsColumnDefinition& definition);
    // A NOT NULL identity column (seed 1, increment 1): a row that gives it
    // no value gets the next number.
    MsTable& identityColumn(const QString& name, const QString& type = QStringLiteral("int"));
    MsTable& index(const QString& name, const QStringList& columns);
    MsTable& uniqueIndex(const QString& name, const QStringList& columns);
    MsTable& primaryKey(const QString& name, const QStringList& columns);
    MsTable& uniqueConstraint(const QString& name, const QStringList& columns);
    MsTable& foreignKey(const MsForeignKeyDefinition& key);
    // A check constraint with its definition as sys.check_constraints keeps
    // it, e.g. "([Price]>(0))".
    MsTable& checkConstraint(const QString& name, const QString& definition);
    // Appends a row; values in column order (missing trailing ones are NULL).
    MsTable& row(const QVector<SqlValue>& values);

    const QString& name() const;
    const QString& schema() const;
    QVector<QVector<SqlValue>>& rows();

private:
    friend class MsDatabase;
    friend class ModelSqlServer;
    struct Data;
    std::shared_ptr<Data> d;
};

class MsDatabase {
public:
    // A user table in the given schema ("dbo" by default); created on first use.
    MsTable& table(const QString& name, const QString& schema = QStringLiteral("dbo"));
    // A user-defined alias type, e.g. aliasType("Phone", "varchar(20)").
    MsDatabase& aliasType(const QString& name, const QString& baseType);
    // A CLR user-defined type of an assembly, e.g. clrType("Point", 20);
    // maxLength -1 for an unlimited one.
    MsDatabase& clrType(const QString& name, int maxLength);
    // A view of the given name (it is no user table: catalogues skip it).
    MsDatabase& view(const QString& name);
    const QString& name() const;

private:
    friend class ModelSqlServer;
    struct Data;
    std::shared_ptr<Data> d;
};

// A logged-on session: who, and which database is current.
struct MsSession {
    QString login;
    QString database;
};

// A model SQL Server: databases with user tables, columns, alias types,
// indexes, keys and rows, and logins. It answers the fixed query texts that the
// program sends (database list, table list, column catalogue, index catalogue,
// count and row queries) with the rows, column descriptions and order the real
// server would give, and anything else with an error in the server's words.
class ModelSqlServer {
public:
    ModelSqlServer();
    ~ModelSqlServer();

    // The four system databases (master, tempdb, model, msdb) exist from the start.
    MsDatabase& database(const QString& name);
    void addLogin(const QString& login, const QString& password);
    // Whether an integrated (Windows) logon is accepted; on by default.
    void setIntegratedLogonAllowed(bool allowed);
    // Case-insensitive collation by default; case-sensitive on request
    // (affects name comparisons in the catalogue filters and table lookups).
    void setCaseSensitive(bool caseSensitive);

    // Logs on; the database may be empty (the login's default, master).
    // Throws MsServerError 18456 for a refused login, 4060 for a missing database.
    MsSession logon(const QString& login, const QString& password, bool integrated,
                    const QString& database) const;

    // Runs one batch in the session's database. Throws MsServerError.
    MsResult execute(const MsSession& session, const QString& sql) const;

private:
    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace peers
