#include "db/SourceTable.h"

#include <QHash>

namespace tw {

QString SourceTable::entry() const
{
    return qualified ? schema + QLatin1Char('.') + name : name;
}

QString SourceTable::targetBase() const
{
    return qualified ? schema + QLatin1Char('_') + name : name;
}

QVector<SourceTable> listedTables(const QVector<SourceTable>& rows)
{
    QHash<QString, int> schemasOfName;
    for (const SourceTable& row : rows)
        ++schemasOfName[row.name.toCaseFolded()];
    QVector<SourceTable> tables = rows;
    for (SourceTable& table : tables)
        table.qualified = schemasOfName.value(table.name.toCaseFolded()) > 1;
    return tables;
}

} // namespace tw
