#include "db/ConnectionString.h"

namespace tw {

QMap<QString, QString> parseConnectionString(const QString& text)
{
    QMap<QString, QString> pairs;
    int pos = 0;
    const int n = text.size();
    while (pos < n) {
        const int eq = text.indexOf(QLatin1Char('='), pos);
        if (eq < 0)
            break;
        const QString key = text.mid(pos, eq - pos).trimmed().toLower();
        pos = eq + 1;
        while (pos < n && text[pos] == QLatin1Char(' '))
            ++pos;
        QString value;
        if (pos < n && (text[pos] == QLatin1Char('"') || text[pos] == QLatin1Char('\''))) {
            const QChar quote = text[pos++];
            while (pos < n) {
                if (text[pos] == quote) {
                    if (pos + 1 < n && text[pos + 1] == quote) {
                        value += quote;
                        pos += 2;
                        continue;
                    }
                    ++pos;
                    break;
                }
                value += text[pos++];
            }
            const int semi = text.indexOf(QLatin1Char(';'), pos);
            pos = semi < 0 ? n : semi + 1;
        } else {
            const int semi = text.indexOf(QLatin1Char(';'), pos);
            value = text.mid(pos, (semi < 0 ? n : semi) - pos).trimmed();
            pos = semi < 0 ? n : semi + 1;
        }
        if (!key.isEmpty())
            pairs.insert(key, value);
    }
    return pairs;
}

} // namespace tw
