#pragma once

#include <QString>
#include <optional>

namespace tw {

// The Oracle DEFAULT expression for a SQL Server column default, as the
// catalogue keeps its text ("((0))", "('abc')", "(N'x')", "(getdate())").
// Numbers and strings become Oracle literals, the current-time functions
// SYSTIMESTAMP (SYSDATE for a DATE column), newid() a GUID in its text form;
// any other expression has no Oracle counterpart here: nullopt.
std::optional<QString> oracleDefault(const QString& sqlServerDefault, bool dateColumn);

} // namespace tw
