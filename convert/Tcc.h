#pragma once

#include "convert/ForeignKeys.h"
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
    void CreateOracleTable(SourceQuery& query, TargetConnection& target, const QString& sourceTable,
                           const QString& targetTable, bool upperCase, bool& ok, QString& errorText);

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
    // table's target; columns are named as the table definitions created them.
    void CreateOracleForeignKey(TargetConnection& target, const QString& childTable, const SourceForeignKey& key,
                                const QString& parentTable, bool upperCase, bool& ok, QString& errorText);

    // Recreates the primary key and the indexes of the source table on the
    // target table, one statement per key.
    void CreateOracleIndexes(SourceQuery& query, TargetConnection& target, const QString& sourceTable,
                             const QString& targetTable, bool upperCase, bool& ok, QString& errorText);

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
    // The type and the rest of a column's definition with full definitions.
    // typeName is the system type, an alias type's base type for its columns.
    QString fullColumnText(SourceQuery& query, const QString& targetTable, const QString& column,
                           const QString& typeName, bool identity);
    // Column name to base type, for the columns of alias types.
    QHash<QString, QString> sourceAliasBaseTypes(SourceQuery& query, const QString& sourceTable);
    QStringList sourceIdentityColumns(SourceQuery& query, const QString& sourceTable);
    QStringList sourceUniqueIndexes(SourceQuery& query, const QString& sourceTable);
    void noteCheckConstraints(SourceQuery& query, const QString& sourceTable, const QString& targetTable);

    QStringList tmpmemo_;
    bool fullDefinitions_ = false;
    QStringList definitionNotes_;
    QStringList identityColumns_;
};

// The error text of a failed statement: the server's message, CR LF, the
// statement as the statement object holds it, and one more CR LF.
QString statementErrorText(const QString& message, const TargetStatement& statement);

} // namespace tw
