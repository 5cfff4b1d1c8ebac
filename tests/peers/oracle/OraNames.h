#pragma once

#include "peers/oracle/OraLexer.h"

// Oracle's identifier rules: an unquoted name folds to upper case and must be
// a valid unquoted identifier that is no reserved word; a quoted name keeps
// its case and may hold anything but a double quote; neither may be empty or
// longer than 30 bytes.
namespace peers::ora {

// Where a name stands decides which error a token that is no name gives.
enum class NameRole { Table, Column, Index, Constraint };

bool isReservedWord(const QString& word);

// The stored form of the name the token spells, or the error Oracle gives.
QString objectName(const Token& token, NameRole role);

} // namespace peers::ora
