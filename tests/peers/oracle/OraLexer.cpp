#include "peers/oracle/OraLexer.h"

#include "peers/oracle/OraErrors.h"

namespace peers::ora {

namespace {

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$') || c == QLatin1Char('#');
}

// Reads up to the closing delimiter; a doubled delimiter stands for itself
// only where allowed (string literals), never inside quoted names.
int readQuoted(const QString& sql, int start, QChar delimiter, bool doubledEscapes, QString& text)
{
    int i = start + 1;
    while (i < sql.size()) {
        if (sql[i] == delimiter) {
            if (doubledEscapes && i + 1 < sql.size() && sql[i + 1] == delimiter) {
                text += delimiter;
                i += 2;
                continue;
            }
            return i + 1;
        }
        text += sql[i++];
    }
    return -1;
}

} // namespace

bool Token::isWord(const char* keyword) const
{
    return kind == Kind::Word && text.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0;
}

bool Token::isSymbol(char symbol) const
{
    return kind == Kind::Symbol && text.size() == 1 && text[0] == QLatin1Char(symbol);
}

QVector<Token> tokenize(const QString& sql)
{
    static const QString symbols = QStringLiteral("(),*=;.+-/<>|");
    QVector<Token> tokens;
    int i = 0;
    while (i < sql.size()) {
        const QChar c = sql[i];
        Token token;
        if (c.isSpace()) {
            ++i;
            continue;
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            const bool isName = c == QLatin1Char('"');
            token.kind = isName ? Token::Kind::QuotedName : Token::Kind::String;
            i = readQuoted(sql, i, c, !isName, token.text);
            if (i < 0)
                throw isName ? missingDoubleQuote() : quotedStringNotTerminated();
        } else if (c.isLetter()) {
            token.kind = Token::Kind::Word;
            const int start = i;
            while (i < sql.size() && isWordChar(sql[i]))
                ++i;
            token.text = sql.mid(start, i - start);
        } else if (c.isDigit() || (c == QLatin1Char('.') && i + 1 < sql.size() && sql[i + 1].isDigit())) {
            token.kind = Token::Kind::Number;
            const int start = i;
            while (i < sql.size() && (sql[i].isDigit() || sql[i] == QLatin1Char('.')))
                ++i;
            token.text = sql.mid(start, i - start);
        } else if (c == QLatin1Char(':')) {
            token.kind = Token::Kind::Bind;
            const int start = ++i;
            while (i < sql.size() && isWordChar(sql[i]))
                ++i;
            if (i == start)
                throw invalidCharacter();
            token.text = sql.mid(start, i - start);
        } else if (symbols.contains(c)) {
            token.kind = Token::Kind::Symbol;
            token.text = c;
            ++i;
        } else {
            throw invalidCharacter();
        }
        tokens.append(token);
    }
    tokens.append(Token{});
    return tokens;
}

} // namespace peers::ora
