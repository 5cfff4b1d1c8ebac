#include "convert/ForeignKeys.h"

#include "convert/SourceSql.h"

namespace tw {

QVector<SourceForeignKey> readForeignKeys(SourceQuery& query, const SourceTable& table)
{
    query.close();
    query.clearSql();
    for (const QString& line : foreignKeysSql(table))
        query.addSql(line);
    query.open();
    QVector<SourceForeignKey> keys;
    for (query.first(); !query.atEnd(); query.next()) {
        const QString name = query.text(QStringLiteral("keyname"));
        if (keys.isEmpty() || keys.last().name != name) {
            const SourceTable parent{query.text(QStringLiteral("parentschema")), query.text(QStringLiteral("parenttable"))};
            keys.append(SourceForeignKey{name, parent, {}, {}, query.text(QStringLiteral("ondelete")),
                                         query.text(QStringLiteral("onupdate"))});
        }
        keys.last().columns.append(query.text(QStringLiteral("columnname")));
        keys.last().parentColumns.append(query.text(QStringLiteral("parentcolumn")));
    }
    query.close();
    return keys;
}

QString oracleDeleteClause(const QString& onDelete)
{
    if (onDelete == QLatin1String("CASCADE"))
        return QStringLiteral(" on delete cascade");
    if (onDelete == QLatin1String("SET_NULL"))
        return QStringLiteral(" on delete set null");
    return QString();
}

} // namespace tw
