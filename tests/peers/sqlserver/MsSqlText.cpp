#include "peers/sqlserver/MsSqlText.h"

#include "peers/sqlserver/MsCollation.h"
#include "peers/sqlserver/ModelSqlServer.h"

#include <QSet>
#include <algorithm>

namespace peers {

namespace {

QChar closingDelimiter(QChar open)
{
    return open == QLatin1Char('[') ? QLatin1Char(']') : open;
}

bool isDelimiter(QChar c)
{
    return c == QLatin1Char('\'') || c == QLatin1Char('[') || c == QLatin1Char('"');
}

// The position just past the delimited span that opens at pos, where a
// doubled closing delimiter stands for one; -1 when it is never closed.
int delimitedEnd(const QString& text, int pos)
{
    const QChar close = closingDelimiter(text[pos]);
    for (int i = pos + 1; i < text.size(); ++i) {
        if (text[i] != close)
            continue;
        if (i + 1 < text.size() && text[i + 1] == close) {
            ++i;
            continue;
        }
        return i + 1;
    }
    return -1;
}

// The contents of a delimited span, its doubled delimiters undoubled.
QString delimitedValue(const QString& text, int pos, int end)
{
    const QString close = QString(closingDelimiter(text[pos]));
    return text.mid(pos + 1, end - pos - 2).replace(close + close, close);
}

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('@') || c == QLatin1Char('#')
           || c == QLatin1Char('$');
}

// Skips a comment at pos; returns the position after it, or pos when none starts there.
int skipComment(const QString& sql, int pos)
{
    if (sql.mid(pos, 2) == QLatin1String("--")) {
        const int end = sql.indexOf(QLatin1Char('\n'), pos);
        return end < 0 ? sql.size() : end + 1;
    }
    if (sql.mid(pos, 2) == QLatin1String("/*")) {
        const int end = sql.indexOf(QLatin1String("*/"), pos + 2);
        return end < 0 ? sql.size() : end + 2;
    }
    return pos;
}

} // namespace

QString normalisedSql(const QString& sql)
{
    QString out;
    bool pendingBlank = false;
    int i = 0;
    while (i < sql.size()) {
        const QChar c = sql[i];
        const int afterComment = skipComment(sql, i);
        if (c.isSpace() || afterComment != i) {
            pendingBlank = true;
            i = afterComment != i ? afterComment : i + 1;
            continue;
        }
        if (pendingBlank && !out.isEmpty())
            out += QLatin1Char(' ');
        pendingBlank = false;
        if (!isDelimiter(c)) {
            out += c;
            ++i;
            continue;
        }
        const int end = delimitedEnd(sql, i);
        if (end < 0) {
            throw MsServerError(105, 1, 15,
                                QStringLiteral("Unclosed quotation mark after the character string '%1'.")
                                    .arg(sql.mid(i + 1)));
        }
        out += sql.mid(i, end - i);
        i = end;
    }
    return out;
}

std::optional<SqlLiteral> readLiteral(const QString& text)
{
    SqlLiteral literal;
    int pos = 0;
    if (text.startsWith(QLatin1Char('N'), Qt::CaseInsensitive)) {
        literal.unicode = true;
        pos = 1;
    }
    if (pos >= text.size() || text[pos] != QLatin1Char('\''))
        return std::nullopt;
    const int end = delimitedEnd(text, pos);
    if (end < 0)
        return std::nullopt;
    literal.value = delimitedValue(text, pos, end);
    literal.length = end;
    return literal;
}

QString literalText(const SqlLiteral& literal)
{
    return literal.unicode ? literal.value : toCodePageText(literal.value);
}

std::optional<QStringList> splitObjectName(const QString& text, bool regularUndelimited)
{
    QStringList parts;
    int i = 0;
    const int n = text.size();
    while (true) {
        while (i < n && text[i] == QLatin1Char(' '))
            ++i;
        if (i < n && (text[i] == QLatin1Char('[') || text[i] == QLatin1Char('"'))) {
            const int end = delimitedEnd(text, i);
            if (end < 0)
                return std::nullopt;
            parts.append(delimitedValue(text, i, end));
            i = end;
            while (i < n && text[i] == QLatin1Char(' '))
                ++i;
        } else {
            const int start = i;
            while (i < n && text[i] != QLatin1Char('.'))
                ++i;
            const QString part = text.mid(start, i - start).trimmed();
            if (regularUndelimited && !std::all_of(part.begin(), part.end(), isWordChar))
                return std::nullopt;
            parts.append(part);
        }
        if (i >= n)
            break;
        if (text[i] != QLatin1Char('.'))
            return std::nullopt;
        ++i;
    }
    if (parts.size() > 4 || parts.last().isEmpty())
        return std::nullopt;
    return parts;
}

QString firstToken(const QString& normalised)
{
    if (normalised.isEmpty())
        return QString();
    if (isDelimiter(normalised[0])) {
        const int end = delimitedEnd(normalised, 0);
        return delimitedValue(normalised, 0, end);
    }
    int end = 0;
    while (end < normalised.size() && isWordChar(normalised[end]))
        ++end;
    return normalised.left(qMax(end, 1));
}

QString lastToken(const QString& normalised)
{
    if (normalised.isEmpty())
        return QString();
    const QChar last = normalised.back();
    if (last == QLatin1Char(']') || last == QLatin1Char('"') || last == QLatin1Char('\'')) {
        const QChar open = last == QLatin1Char(']') ? QLatin1Char('[') : last;
        const int start = normalised.lastIndexOf(open, normalised.size() - 2);
        if (start >= 0)
            return normalised.mid(start + 1, normalised.size() - start - 2);
    }
    int start = normalised.size();
    while (start > 0 && isWordChar(normalised[start - 1]))
        --start;
    return start == normalised.size() ? QString(last) : normalised.mid(start);
}

bool isReservedWord(const QString& word)
{
    static const QSet<QString> words = {
        "add",     "all",    "alter",     "and",     "any",     "as",      "asc",     "begin",     "between",
        "by",      "case",   "check",     "column",  "constraint", "create", "cross", "database", "declare",
        "default", "delete", "desc",      "distinct", "drop",   "else",    "end",     "exec",      "execute",
        "exists",  "for",    "foreign",   "from",    "full",    "group",   "having",  "if",        "in",
        "index",   "inner",  "insert",    "into",    "is",      "join",    "key",     "left",      "like",
        "not",     "null",   "of",        "on",      "or",      "order",   "outer",   "primary",   "procedure",
        "right",   "select", "set",       "table",   "then",    "to",      "top",     "union",     "unique",
        "update",  "use",    "values",    "view",    "when",    "where",   "with",
    };
    return words.contains(word.toLower());
}

} // namespace peers
