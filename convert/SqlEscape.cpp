#include "convert/SqlEscape.h"

namespace tw {

QString escapeInLiteral(const QString& text)
{
    QString result = text;
    return result.replace(QLatin1Char('\''), QLatin1String("''"));
}

QString escapeInQuotedName(const QString& name)
{
    QString result = name;
    return result.replace(QLatin1Char('"'), QLatin1String("\"\""));
}

QString escapeInBracketedName(const QString& name)
{
    QString result = name;
    return result.replace(QLatin1Char(']'), QLatin1String("]]"));
}

} // namespace tw
