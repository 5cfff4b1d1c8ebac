#pragma once

#include <QString>

namespace tw {

// The Oracle type text (with its leading blank) for a SQL Server column of
// the given catalogue type name, precision and scale, e.g. " NUMBER(12,2)".
// Type names are compared exactly, case included; unknown names, alias types
// among them, become varchar2 of the precision.
QString oracleTypeText(const QString& typeName, qint64 precision, qint64 scale);

} // namespace tw
