#pragma once

#include "convert/ForeignKeys.h"
#include "convert/OracleColumnNames.h"
#include "convert/TableRef.h"
#include "db/SourceAccess.h"
#include "db/TargetAccess.h"

#include <QHash>
#include <QString>
#include <QStringList>

namespace tw {

// Schema conversion: turns a source table into a target table with its keys
// and indexes, probes and drops target tables, and hosts two small services
// (the application-data folder and the clipboard). The steps that execute
// target statements report through an ok flag and an error text owned by the
// caller: ok is set true on entry and false on failure; the error text is
// written only on failure. Catalogue reads and probes let failures escape.
class Tcc {
public:
    // Reads the source table's column catalogue and executes one
    // Create table statement for the target table.
    void CreateOracleTable(SourceQuery& query, TargetConnection& target, const TableRef& table, bool upperCase,
                           bool& ok, QString& errorText);
    // The column names of the table last read by CreateOracleTable.
    const OracleColumnNames& columnNames() const { return columnNames_; }

    // With full definitions the table also gets NOT NULL, the defaults the
    // target can take, identity columns and the exact types; unique
    // constraints become unique constraints. Off, every statement is the
    // plain definition.
    void setFullDefinitions(bool on) { fullDefinitions_ = on; }
    // What the last CreateOracleTable could not carry, one log line each.
    const QStringList& definitionNotes() const { return definitionNotes_; }
    // The identity columns of the last CreateOracleTable, as created.
    const QStringList& identityColumns() const { return identityColumns_; }
    // Lets the table's identity columns go on after the highest value they
    // hold, once the rows are copied.
    void ContinueIdentityColumns(TargetConnection& target, const QString& targetTable, const QStringList& columns,
                                 bool& ok, QString& errorText);

    // Adds a source foreign key to the child table, referencing the parent
    // table; the columns of each are named by its Oracle column names.
    void CreateOracleForeignKey(TargetConnection& target, const SourceForeignKey& key, const QString& childTable,
                                const OracleColumnNames& childColumns, const QString& parentTable,
                                const OracleColumnNames& parentColumns, bool& ok, QString& errorText);

    // Recreates the primary key and the indexes of the source table on the
    // target table, one statement per key; the key columns are named as the
    // table definition that precedes it named them.
    void CreateOracleIndexes(SourceQuery& query, TargetConnection& target, const TableRef& table, bool upperCase,
                             bool& ok, QString& errorText);

    // True when the owner has a table of exactly that name.
    bool OracleTableExists(TargetConnection& target, const QString& table, const QString& owner);
    void DropOracleTable(TargetConnection& target, const QString& table, bool& ok, QString& errorText);

    // Blanks and double quotes become underscores; with upperCase, ASCII
    // a-z become A-Z.
    static QString NormalizeName(const QString& name, bool upperCase);
    // Replaces every occurrence of search, leftmost first, until none is left.
    static QString ReplaceAll(const QString& text, const QString& search, const QString& replacement);

    // The path of a shell folder given by its CSIDL number (26: the roaming
    // application data; on Linux the XDG data home).
    static QString GetSpecialFolderPath(int csidl);
    // The program's data folder, ending with a separator.
    static QString GetAppDataFolder();

    // Puts the text on the system clipboard as plain text.
    void CopyTextToClipboard(const QString& text);

    // The scratch buffer in which the last Create table statement was built.
    const QStringList& tmpmemo() const { return tmpmemo_; }

private:
    // What follows a column's type with full definitions: the identity
    // clause, or the default the target can take and NOT NULL.
    QString fullColumnClauses(const QString& targetTable, const QString& column, const QString& type, bool identity,
                              const QString& sourceDefault, bool notNull);
    // Column name to base type, for the columns of alias types.
    QHash<QString, QString> sourceAliasBaseTypes(SourceQuery& query, const SourceTable& table);
    QStringList sourceIdentityColumns(SourceQuery& query, const SourceTable& table);
    QStringList sourceUniqueIndexes(SourceQuery& query, const SourceTable& table);
    void noteCheckConstraints(SourceQuery& query, const TableRef& table);

    QStringList tmpmemo_;
    bool fullDefinitions_ = false;
    QStringList definitionNotes_;
    QStringList identityColumns_;
    OracleColumnNames columnNames_;
    QString columnNamesOf_;  // the target table of columnNames_
};

// The error text of a failed statement: the server's message, CR LF, the
// statement as the statement object holds it, and one more CR LF.
QString statementErrorText(const QString& message, const TargetStatement& statement);

} // namespace tw
