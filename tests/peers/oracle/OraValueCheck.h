#pragma once

#include "peers/oracle/OraNls.h"

#include "peers/oracle/ModelOracle.h"

// What a column stores for a value that an insert gives it, with Oracle's
// implicit conversions and its checks of size, precision and type.
namespace peers::ora {

// NUMBER values are stored canonically (whole values within 64 bits as
// Integer, others as Decimal without trailing zeros); an empty text or a
// zero-length byte string is NULL, as Oracle treats both; DATE drops
// fractional seconds. Text for a TIMESTAMP, TIMESTAMP WITH TIME ZONE or
// INTERVAL DAY TO SECOND column is read with the session's NLS settings and
// kept as text at the column's fractional digits ("YYYY-MM-DD HH24:MI:SS.FFn",
// with " +HH:MM" for the time zone; "+DD HH:MI:SS.FFn" for the interval).
// Throws the OraError Oracle raises for the value.
SqlValue storedValue(const SqlValue& value, const OraColumn& column, const QString& owner, const QString& table,
                     const NlsSettings& nls);

} // namespace peers::ora
