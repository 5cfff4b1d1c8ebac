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
void Tcc::CreateOracleIndexes(SourceQuery& query, TargetConnection& target, const QString& sourceTable,
                              const QString& targetTable, bool upperCase, bool& ok, QString& errorText)
{
    ok = true;
    std::unique_ptr<TargetStatement> statement = target.createStatement();
    const QStringList uniqueIndexes = fullDefinitions_ ? sourceUniqueIndexes(query, sourceTable) : QStringList();

    query.close();
    query.clearSql();
    for (const QString& line : indexCatalogueSql(sourceTable))
        query.addSql(line);
    query.open();
    query.first();

    QString sql;
    qint64 row = 1;
    while (!query.atEnd()) {
        const qint64 position = query.integer(QStringLiteral("Seq_in_index"));
        const QString sourceColumn = query.text(QStringLiteral("Column_name"));
        const QString column = reachingName(sourceColumn, NormalizeName(sourceColumn.left(kMaxNameLength), upperCase));

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
                const QString table = query.text(QStringLiteral("tablename"));
                const QString name = (QStringLiteral("PRIMARY") + table + QString::number(row)).left(kMaxNameLength);
                sql += QStringLiteral("alter table ") + reachingName(table, targetTable)
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

QStringList Tcc::sourceUniqueIndexes(SourceQuery& query, const QString& sourceTable)
{
    query.close();
    query.setSql(uniqueIndexesSql(sourceTable));
    query.open();
    QStringList names;
    for (query.first(); !query.atEnd(); query.next())
        names.append(query.text(QStringLiteral("name")));
    query.close();
    return names;
}

} // namespace tw
