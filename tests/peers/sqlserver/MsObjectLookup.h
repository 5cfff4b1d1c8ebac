#pragma once

#include "peers/sqlserver/MsQueryAnswers.h"

namespace peers {

// An object that a name reaches: a user table, a view or a key constraint.
struct MsObject {
    enum class Kind { Table, View, Constraint };
    Kind kind = Kind::Table;
    int id = 0;
    const detail::TableState* table = nullptr;  // the table, or the constraint's parent
};

// Resolves the parts of an object name as the server does:
// [[database.]schema.]name, in the current database when none is named and in
// the schema dbo when none is given; names compare in the collation.
// std::nullopt when no object of the name exists (or a server is named).
std::optional<MsObject> resolveObject(const MsQueryContext& context, const QStringList& parts);

} // namespace peers
