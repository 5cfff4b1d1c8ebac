#pragma once

#include "peers/oracle/OraDictionary.h"

// The model kept in a file: services, users with their schemas (tables,
// columns, indexes, constraints, views, synonyms, committed rows) and the
// statement log, followed by the changes appended since, each a record of
// the statements logged and the rows committed. Uncommitted rows belong to
// sessions and are not kept. A record cut short (the writer was killed
// while appending it) is not read, as the commit it records had not
// returned.
namespace peers::ora {

// Both throw tw::Failure when the file cannot be written or read.
void saveDatabase(const OraDatabase& db, const QString& path);
// Appends the database's unsaved statements and committed rows.
void appendChanges(const OraDatabase& db, const QString& path);
void loadDatabase(OraDatabase& db, const QString& path);

} // namespace peers::ora
