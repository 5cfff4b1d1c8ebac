#pragma once

#include "peers/sqlserver/MsTypeCatalogue.h"

namespace peers {

// The value that a column of the given type holds when a test seeds it with
// the given value, in the form the server returns it: integers checked
// against their range, exact numbers brought to the column's scale
// ("12.3400" for money), real rounded to single precision, datetime and
// smalldatetime rounded as the type stores them, date, time, datetime2 and
// datetimeoffset as the server's text at the column's scale, char(n) padded with blanks, binary(n)
// with zero bytes, non-Unicode text through the code page, GUIDs in upper
// case. NULL stays NULL. A value of the wrong kind or that does not fit
// throws std::invalid_argument naming the column.
SqlValue columnValue(const MsColumnType& type, const SqlValue& value, const QString& columnName);

} // namespace peers
