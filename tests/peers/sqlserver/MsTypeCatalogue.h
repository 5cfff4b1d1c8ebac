#pragma once

#include "peers/sqlserver/ModelSqlServer.h"

#include <optional>

namespace peers {

// A column type resolved to its system type: what the type table, the
// column table and the column property functions report for it.
struct MsColumnType {
    QString typeName;   // the type table's name for the column's type ("int", "sysname", an alias name)
    QString baseName;   // the system type underneath ("int", "nvarchar", ...)
    int xtype = 0;      // system type id
    int xusertype = 0;  // the type table's key: the system type id, or an alias type's id
    int length = 0;     // maximum length in bytes as the column table shows it; -1 for (max) and xml
    int precision = 0;  // precision as the column table keeps it (0 where the type has none)
    int scale = 0;      // scale as the column table keeps it
    int size = 0;       // the declared n of char(n), binary(n), time(n) ...; -1 for (max)
};

// The type of a column declared as in T-SQL ("int", "nvarchar(40)",
// "varchar(max)", "decimal(10,2)", "float(24)", "rowversion", "sysname").
// Names of system types are not case-sensitive. Anything else, or a size out
// of range, throws std::invalid_argument.
MsColumnType parseSystemType(const QString& text);

// A CLR type (system type id 240) of the given name, user type id and
// maximum length in bytes (-1 for unlimited). parseSystemType knows the three
// that every database has: hierarchyid, geometry and geography.
MsColumnType clrColumnType(const QString& name, int xusertype, int maxLength);
bool isClrType(const MsColumnType& type);

// COLUMNPROPERTY(id, column, 'PRECISION'): the number of digits for numbers,
// the length in characters for character types, in bytes for binary types,
// -1 for the (max) types and xml. std::nullopt is a NULL.
std::optional<int> columnPropertyPrecision(const MsColumnType& type);
// COLUMNPROPERTY(id, column, 'Scale'); NULL for types without a scale.
std::optional<int> columnPropertyScale(const MsColumnType& type);

// The description of a result column of this type, as the server sends it.
MsResultColumn resultColumn(const QString& name, const MsColumnType& type, bool nullable);

// Result column descriptions of the catalogue queries' expression types.
MsResultColumn sysnameResultColumn(const QString& name, bool nullable);
MsResultColumn nvarcharResultColumn(const QString& name, int characters, bool nullable);
MsResultColumn intResultColumn(const QString& name, bool nullable);
MsResultColumn tinyintResultColumn(const QString& name, bool nullable);
MsResultColumn smallintResultColumn(const QString& name, bool nullable);

} // namespace peers
