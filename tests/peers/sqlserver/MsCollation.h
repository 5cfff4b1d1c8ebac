#pragma once

#include <QString>

namespace peers {

// Compares and orders names as the server's collation does: a Windows-style
// dictionary order (symbols before digits before letters, hyphens and
// apostrophes ignored at first, accents after base letters, lower case
// before upper case), with trailing blanks ignored as in every comparison of
// strings. Case-insensitive unless asked otherwise, in which case names that
// differ only in case are different names.
class MsCollation {
public:
    explicit MsCollation(bool caseSensitive = false) : caseSensitive_(caseSensitive) {}

    bool caseSensitive() const { return caseSensitive_; }
    bool equal(const QString& a, const QString& b) const { return compare(a, b) == 0; }
    // Negative, zero or positive as a sorts before, with or after b.
    int compare(const QString& a, const QString& b) const;

private:
    bool caseSensitive_;
};

// A string literal without the N prefix is text in the database's code page
// (Windows-1252): characters that the code page lacks arrive as '?'.
QString toCodePageText(const QString& text);

} // namespace peers
