#include "convert/OracleIdentifiers.h"
#include "convert/SourceSql.h"
#include "convert/TargetSql.h"
#include "convert/Tcc.h"
#include "db/Failure.h"

namespace tw {

// One statement per key: a key ends where the next row with key position 1
// begins. Keys are executed in catalogue order; a failure does not stop the
// others, and the error text keeps the last failure only.
// Table and column names are written bare where Oracle's folding reaches the
// table and columns that the table definition created, and otherwise quoted
// as created (blanks to underscores, cut, upper-cased with the option), so
// that keys of tables such as "Order Details" arrive too.
//
// The primary key's constraint name is formed from the table's name; a table
// whose name other schemas share names it by the schema too, as its target
// name does, so that the keys of both reach Oracle under names of their own.
void Tcc::CreateOracleIndexes(SourceQuery& query, TargetConnection& target, const TableRef& table, bool upperCase,
                              bool& ok, QString& errorText)
{
    const QString& targetTable = table.target;
    // Columns renamed by the table definition are known from it; without one
    // for this table the plain rule names them.
    const OracleColumnNames columns = columnNamesOf_ == targetTable ? columnNames_ : OracleColumnNames({}, upperCase);
    ok = true;
    std::unique_ptr<TargetStatement> statement = target.createStatement();
    const QStringList uniqueIndexes = fullDefinitions_ ? sourceUniqueIndexes(query, table.source) : QStringList();

    query.close();
    query.clearSql();
    for (const QString& line : indexCatalogueSql(table.source))
        query.addSql(line);
    query.open();
    query.first();

    QString sql;
    qint64 row = 1;
    while (!query.atEnd()) {
        const qint64 position = query.integer(QStringLiteral("Seq_in_index"));
        const QString sourceColumn = query.text(QStringLiteral("Column_name"));
        const QString column = reachingName(sourceColumn, columns.of(sourceColumn));

        if (row > 1 && position == 1) {
            statement->setSql(sql + QLatin1Char(')'));
            sql.clear();
            try {
                statement->executeDirect();
            } catch (const Failure& failure) {
                errorText = failure.message();
                ok = false;
            }
        }
        if (position == 1) {
            const QString kind = query.text(QStringLiteral("indextype"));
            if (fullDefinitions_ && kind == QLatin1String("unique")) {
                // With full definitions a unique constraint stays one, under
                // its own name.
                const QString name = query.text(QStringLiteral("Key_name")).left(kMaxNameLength);
                sql += QStringLiteral("alter table ") + reachingName(targetTable, targetTable)
                    + QStringLiteral("  add constraint ") + formedName(name) + QStringLiteral(" unique (") + column;
            } else if (kind == QLatin1String("pk")) {
                const QString stored = query.text(QStringLiteral("tablename"));
                const QString keyed = table.source.qualified ? table.source.targetBase() : stored;
                const QString name = (QStringLiteral("PRIMARY") + keyed + QString::number(row)).left(kMaxNameLength);
                sql += QStringLiteral("alter table ") + reachingName(stored, targetTable)
                    + QStringLiteral("  add constraint ") + formedName(name) + QStringLiteral(" primary key (")
                    + column;
            } else {
                const QString keyName = query.text(QStringLiteral("Key_name"));
                const QString name = (QStringLiteral("idx_") + keyName + targetTable).left(kMaxNameLength);
                sql += (uniqueIndexes.contains(keyName) ? QStringLiteral("create unique index ")
                                                        : QStringLiteral("create index ")) + formedName(name) + QStringLiteral(" on ")
                    + reachingName(targetTable, targetTable) + QStringLiteral(" (") + column;
            }
        } else {
            sql += QLatin1Char(',') + column;
        }
        query.next();
        ++row;
    }

    if (row > 1) {
        statement->setSql(sql + QLatin1Char(')'));
        try {
            statement->executeDirect();
        } catch (const Failure& failure) {
            ok = false;
            errorText = statementErrorText(failure.message(), *statement);
        }
    }
    query.close();
}

QStringList Tcc::sourceUniqueIndexes(SourceQuery& query, const SourceTable& table)
{
    query.close();
    query.setSql(uniqueIndexesSql(table));
    query.open();
    QStringList names;
    for (query.first(); !query.atEnd(); query.next())
        names.append(query.text(QStringLiteral("name")));
    query.close();
    return names;
}

} // namespace tw
