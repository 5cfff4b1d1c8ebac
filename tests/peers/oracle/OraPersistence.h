#pragma once

#include "peers/oracle/OraDictionary.h"

// The model kept in a file: services, users with their schemas (tables,
// columns, indexes, constraints, views, synonyms, committed rows) and the
// statement log. Uncommitted rows belong to sessions and are not kept.
namespace peers::ora {

// Both throw tw::Failure when the file cannot be written or read.
void saveDatabase(const OraDatabase& db, const QString& path);
void loadDatabase(OraDatabase& db, const QString& path);

} // namespace peers::ora
