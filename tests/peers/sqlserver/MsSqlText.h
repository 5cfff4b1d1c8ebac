#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace peers {

// The text of a batch as the server's parser sees it: comments dropped, each
// run of white space outside quotes and delimiters turned into one blank,
// leading and trailing white space removed. String literals ('...'),
// [bracketed] and "quoted" names are kept exactly as written, delimiters
// included. Throws MsServerError 105 for an unclosed quotation mark.
QString normalisedSql(const QString& sql);

// A string literal at the start of text: 'it''s' or N'...'.
struct SqlLiteral {
    QString value;     // the text it stands for, quotes undoubled
    bool unicode = false;
    int length = 0;    // characters of text that it spans
};
std::optional<SqlLiteral> readLiteral(const QString& text);

// The value of a literal as the server compares it with a name: a literal
// without the N prefix passes through the database's code page.
QString literalText(const SqlLiteral& literal);

// The parts of a multi-part object name ("Orders", "[dbo].[Order Details]",
// "sales.Orders", "db..T") with their delimiters removed, server first;
// std::nullopt when the text is no such name (more than four parts, an
// unclosed delimiter, an empty last part, text after the name). In a
// statement an undelimited part must be a regular identifier; inside a
// string (object_id('...')) it runs up to the next dot.
std::optional<QStringList> splitObjectName(const QString& text, bool regularUndelimited);

// The token at the start and at the end of a normalised text, as the
// server's syntax messages quote them.
QString firstToken(const QString& normalised);
QString lastToken(const QString& normalised);

// Whether a word is one of the server's reserved key words.
bool isReservedWord(const QString& word);

} // namespace peers
