#include "db/ConnectionString.h"

namespace tw {

namespace {

// Reads an enclosed value from just after its opening character up to the
// closing one; a doubled closing character stands for one. Leaves pos after
// the closing character.
QString readEnclosed(const QString& text, int& pos, QChar closing)
{
    QString value;
    const int n = text.size();
    while (pos < n) {
        if (text[pos] == closing) {
            if (pos + 1 < n && text[pos + 1] == closing) {
                value += closing;
                pos += 2;
                continue;
            }
            ++pos;
            break;
        }
        value += text[pos++];
    }
    return value;
}

} // namespace

QString quoteConnectionValue(const QString& value)
{
    const bool needsBraces = value.contains(QLatin1Char(';')) || value.contains(QLatin1Char('{'))
                             || value.contains(QLatin1Char('}')) || value.startsWith(QLatin1Char('"'))
                             || value.startsWith(QLatin1Char('\'')) || value != value.trimmed();
    if (!needsBraces)
        return value;
    QString escaped = value;
    escaped.replace(QLatin1String("}"), QLatin1String("}}"));
    return QLatin1Char('{') + escaped + QLatin1Char('}');
}

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
        const QChar opening = pos < n ? text[pos] : QChar();
        if (opening == QLatin1Char('{') || opening == QLatin1Char('"') || opening == QLatin1Char('\'')) {
            ++pos;
            value = readEnclosed(text, pos, opening == QLatin1Char('{') ? QChar(u'}') : opening);
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
