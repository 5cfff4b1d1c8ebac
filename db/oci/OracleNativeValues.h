#pragma once

#include "db/SqlValue.h"

#include <QByteArray>
#include <QDateTime>

namespace tw::oci {

// Oracle's own binary forms of NUMBER and DATE, built on the client so that
// no session setting (numeric characters, date format) takes part in the
// conversion.

// An integer or exact decimal as an OCINumber (SQLT_VNU): a length byte and
// up to 21 bytes of Oracle's NUMBER format (exponent byte, base-100 digits),
// 22 bytes in all. Values with more than 20 base-100 digits are rounded half
// away from zero, as Oracle rounds them; magnitudes below 1e-130 become 0;
// 1e126 and above are a Failure.
QByteArray oracleNumber(const SqlValue& value);
// The same written into 22 bytes at out, without allocating.
void writeOracleNumber(const SqlValue& value, char* out);
void writeOracleNumber(qint64 value, char* out);
// Plain decimal text ([+-]digits[.digits], no blanks), in Latin-1 as the
// source's driver leaves it, written as above; false, with out untouched,
// for any other text or a number too large.
bool writePlainOracleNumber(QLatin1String text, char* out);

// A date-time as a 7-byte Oracle DATE (SQLT_DAT): century and year of the
// century (each plus 100), month, day, hour, minute and second (each plus
// 1). DATE holds whole seconds: milliseconds are dropped. Years outside 1
// to 9999 are a Failure.
QByteArray oracleDate(const QDateTime& value);
// The same written into 7 bytes at out.
void writeOracleDate(const QDateTime& value, char* out);

} // namespace tw::oci
