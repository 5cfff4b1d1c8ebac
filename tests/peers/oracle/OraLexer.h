#pragma once

#include <QString>
#include <QVector>

// Splits a statement text into Oracle's tokens. Keywords are not told apart
// from names here: both are words, compared by the parser without regard to
// case. Any whitespace, CR LF line breaks included, separates tokens.
namespace peers::ora {

struct Token {
    enum class Kind { Word, QuotedName, String, Number, Bind, Symbol, End };
    Kind kind = Kind::End;
    QString text;  // a word as written, a quoted name or string without its quotes

    bool isWord(const char* keyword) const;  // an unquoted word, any case
    bool isSymbol(char symbol) const;
};

// Throws OraError for a character Oracle does not accept outside quotes,
// an unterminated quoted name or an unterminated string literal.
QVector<Token> tokenize(const QString& sql);

} // namespace peers::ora
