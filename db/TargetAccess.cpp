#include "db/TargetAccess.h"

namespace tw {

QString TargetStatement::sqlText() const
{
    QString text;
    for (const QString& line : lines_)
        text += line + QStringLiteral("\r\n");
    return text;
}

QString TargetConnection::param(const QString& key) const
{
    const QString prefix = key + QLatin1Char('=');
    for (const QString& line : params_) {
        if (line.startsWith(prefix, Qt::CaseInsensitive))
            return line.mid(prefix.size());
    }
    return QString();
}

} // namespace tw
