#include "convert/TargetSql.h"

#include "convert/SqlEscape.h"

namespace tw {

QString createTableFirstLine(const QString& targetTable)
{
    return QStringLiteral("Create table \"") + escapeInQuotedName(targetTable) + QStringLiteral("\" (");
}

QString tableExistsSql(const QString& targetTable, const QString& owner)
{
    return QStringLiteral("select count(*) cn from all_tables where table_name='") + escapeInLiteral(targetTable)
        + QStringLiteral("' and upper(owner)='") + escapeInLiteral(asciiUpper(owner)) + QStringLiteral("'");
}

QString dropTableSql(const QString& targetTable)
{
    return QStringLiteral("drop table \"") + escapeInQuotedName(targetTable) + QStringLiteral("\"");
}

QString rowWriterSql(const QString& targetTable)
{
    return QStringLiteral("select * from \"") + escapeInQuotedName(targetTable) + QStringLiteral("\" where 1=0");
}

QString targetRowCountSql(const QString& targetTable)
{
    return QStringLiteral("select count(*) from \"") + escapeInQuotedName(targetTable) + QStringLiteral("\"");
}

QString asciiUpper(const QString& text)
{
    QString result = text;
    for (QChar& c : result) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    }
    return result;
}

} // namespace tw
