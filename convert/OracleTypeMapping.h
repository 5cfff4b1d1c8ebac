#pragma once

#include <QString>

#include <functional>

namespace tw {

// The system type id that SQL Server gives every CLR type: geography,
// geometry, hierarchyid and a database's own ("sys.types (Transact-SQL)").
constexpr qint64 kClrSystemTypeId = 240;

// The Oracle type text (with its leading blank) for a SQL Server column of
// the given catalogue type name and system type id (systypes.xtype), e.g.
// " NUMBER(12,2)". A CLR type becomes BLOB: its values are the type's
// serialised bytes, which no text type may hold. Precision and scale
// are read through the callbacks only for the types whose text needs them,
// so a type without a precision never asks for one.
// Type names are compared exactly, case included; unknown names, alias types
// among them, become varchar2 of the precision. Character types of unlimited
// length or longer than 4000 become CLOB; numbers never exceed 38 digits.
QString oracleTypeText(const QString& typeName, qint64 systemTypeId, const std::function<qint64()>& precision,
                       const std::function<qint64()>& scale);

// The same for full table definitions: the target type that holds every
// value of the source type exactly (BINARY_DOUBLE for float, TIMESTAMP(n) for
// datetime2(n), CHAR(36) for uniqueidentifier, ...). typeName is the system
// type the column is stored as, so alias types arrive as their base type;
// CLR types become BLOB as above.
QString fullOracleTypeText(const QString& typeName, qint64 systemTypeId, const std::function<qint64()>& precision,
                           const std::function<qint64()>& scale);

} // namespace tw
