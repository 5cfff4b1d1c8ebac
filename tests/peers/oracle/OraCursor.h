#pragma once

#include "peers/oracle/ModelOracle.h"
#include "peers/oracle/OraLexer.h"

// A read position in a statement's tokens, for the parser.
namespace peers::ora {

using ErrorFactory = OraError (*)();

class Cursor {
public:
    explicit Cursor(QVector<Token> tokens) : tokens_(std::move(tokens)) {}

    const Token& peek(int ahead = 0) const
    {
        return tokens_[qMin(pos_ + ahead, int(tokens_.size()) - 1)];
    }
    Token take()
    {
        Token token = peek();
        if (pos_ < tokens_.size() - 1)
            ++pos_;
        return token;
    }
    bool atEnd() const { return peek().kind == Token::Kind::End; }

    bool acceptWord(const char* keyword)
    {
        if (!peek().isWord(keyword))
            return false;
        take();
        return true;
    }
    bool acceptSymbol(char symbol)
    {
        if (!peek().isSymbol(symbol))
            return false;
        take();
        return true;
    }
    void expectWord(const char* keyword, ErrorFactory error)
    {
        if (!acceptWord(keyword))
            throw error();
    }
    void expectSymbol(char symbol, ErrorFactory error)
    {
        if (!acceptSymbol(symbol))
            throw error();
    }
    void expectEnd(ErrorFactory error) const
    {
        if (!atEnd())
            throw error();
    }
    // An integer with an optional sign; anything else is the given error.
    qint64 takeInteger(ErrorFactory error)
    {
        const bool negative = acceptSymbol('-');
        if (!negative)
            acceptSymbol('+');
        const Token token = take();
        bool ok = false;
        const qint64 value = token.text.toLongLong(&ok);
        if (token.kind != Token::Kind::Number || !ok)
            throw error();
        return negative ? -value : value;
    }

private:
    QVector<Token> tokens_;
    int pos_ = 0;
};

} // namespace peers::ora
