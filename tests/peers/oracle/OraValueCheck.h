#pragma once

#include "peers/oracle/ModelOracle.h"

// What a column stores for a value that an insert gives it, with Oracle's
// implicit conversions and its checks of size, precision and type.
namespace peers::ora {

// NUMBER values are stored canonically (whole values within 64 bits as
// Integer, others as Decimal without trailing zeros); an empty text or a
// zero-length byte string is NULL, as Oracle treats both; DATE drops
// fractional seconds. Throws the OraError Oracle raises for the value.
SqlValue storedValue(const SqlValue& value, const OraColumn& column, const QString& owner, const QString& table);

} // namespace peers::ora
