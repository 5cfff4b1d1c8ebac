#pragma once

#include <QString>

namespace tw {

// Names go into SQL texts between delimiters; these make any name safe there,
// so that no name can end its delimiter early and change the statement.

// Inside a single-quoted string literal: a single quote is doubled.
QString escapeInLiteral(const QString& text);
// Inside a double-quoted identifier: a double quote is doubled.
QString escapeInQuotedName(const QString& name);
// Inside a [bracketed] name: a closing bracket is doubled.
QString escapeInBracketedName(const QString& name);

} // namespace tw
