#pragma once

#include <QString>

namespace tw {

// How the key and index statements name the target's objects. Names written
// without quotes are folded to upper case by Oracle, which reaches what the
// table definition created only for plain names; any other name is written
// quoted, exactly as it was created.

// True for a name Oracle takes unquoted: an ASCII letter, then ASCII letters,
// digits, "_", "$" or "#", at most 30 characters, not a reserved word.
bool isPlainOracleIdentifier(const QString& name);

// The bare name when Oracle folds it to the created name, else the created
// name in double quotes.
QString reachingName(const QString& bare, const QString& created);

// A constraint or index name the statement forms itself: bare when plain,
// else in double quotes (a double quote inside becomes an underscore, as
// Oracle allows none in a quoted name).
QString formedName(const QString& name);

} // namespace tw
