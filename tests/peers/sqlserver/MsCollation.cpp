#include "peers/sqlserver/MsCollation.h"

#include <QVector>
#include <utility>

namespace peers {

namespace {

QString withoutTrailingBlanks(const QString& text)
{
    int end = text.size();
    while (end > 0 && text[end - 1] == QLatin1Char(' '))
        --end;
    return text.left(end);
}

bool isIgnoredAtFirst(QChar c)
{
    return c == QLatin1Char('-') || c == QLatin1Char('\'');
}

// The weights of one name at each level of the comparison.
struct SortKey {
    QVector<std::pair<int, uint>> primary;  // (class: symbol 0, digit 1, letter 2; weight)
    QVector<uint> accents;
    QVector<int> cases;  // 0 lower or caseless, 1 upper
    int ignored = 0;     // hyphens and apostrophes: a name with fewer sorts first
};

SortKey sortKey(const QString& name)
{
    SortKey key;
    for (const QChar c : name) {
        if (isIgnoredAtFirst(c)) {
            ++key.ignored;
            continue;
        }
        const QString decomposed = QString(c).normalized(QString::NormalizationForm_D);
        const QChar base = decomposed.at(0);
        if (base.isLetter()) {
            key.primary.append({2, base.toLower().unicode()});
            key.cases.append(base.isUpper() ? 1 : 0);
        } else if (base.isDigit()) {
            key.primary.append({1, uint(base.digitValue())});
        } else {
            key.primary.append({0, base.unicode()});
        }
        for (int i = 1; i < decomposed.size(); ++i)
            key.accents.append(decomposed.at(i).unicode());
        if (decomposed.size() == 1)
            key.accents.append(0);
    }
    return key;
}

template <typename T>
int compareSequences(const QVector<T>& a, const QVector<T>& b)
{
    for (int i = 0; i < a.size() && i < b.size(); ++i) {
        if (a[i] < b[i])
            return -1;
        if (b[i] < a[i])
            return 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool representableInCodePage(QChar c)
{
    const ushort u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return true;
    // The characters that Windows-1252 puts at 0x80 to 0x9F.
    static const ushort extra[] = {0x20AC, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030,
                                   0x0160, 0x2039, 0x0152, 0x017D, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                                   0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x017E, 0x0178};
    for (const ushort e : extra) {
        if (u == e)
            return true;
    }
    return false;
}

} // namespace

int MsCollation::compare(const QString& a, const QString& b) const
{
    const QString left = withoutTrailingBlanks(a);
    const QString right = withoutTrailingBlanks(b);
    const SortKey leftKey = sortKey(left);
    const SortKey rightKey = sortKey(right);
    if (const int byBase = compareSequences(leftKey.primary, rightKey.primary))
        return byBase;
    if (const int byAccent = compareSequences(leftKey.accents, rightKey.accents))
        return byAccent;
    if (caseSensitive_) {
        if (const int byCase = compareSequences(leftKey.cases, rightKey.cases))
            return byCase;
    }
    if (leftKey.ignored != rightKey.ignored)
        return leftKey.ignored < rightKey.ignored ? -1 : 1;
    return caseSensitive_ ? left.compare(right) : left.toCaseFolded().compare(right.toCaseFolded());
}

QString toCodePageText(const QString& text)
{
    QString result = text;
    for (QChar& c : result) {
        if (!representableInCodePage(c))
            c = QLatin1Char('?');
    }
    return result;
}

} // namespace peers
