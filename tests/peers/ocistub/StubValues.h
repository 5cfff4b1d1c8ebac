#pragma once

#include "StubHandles.h"

#include <QByteArray>
#include <QString>

// The conversions between the caller's bind and define buffers and the
// model's values, for the external types the stand-in accepts.
namespace ocistub {

// An Oracle NUMBER (exponent byte and base-100 digits) as an Integer when it
// is whole and fits 64 bits, else as an exact Decimal.
tw::SqlValue numberFromOracle(const unsigned char* bytes, int length);
// A 7-byte Oracle DATE as a date-time.
tw::SqlValue dateFromOracle(const unsigned char* bytes);
// Text in the client character set with the given id: AL32UTF8 (873) is
// UTF-8; any other id is read as single bytes, so a caller that forgets to
// ask for AL32UTF8 sees its non-ASCII text garbled, as with a real client.
QString textFromClient(const QByteArray& bytes, ub2 charsetId);
QByteArray textToClient(const QString& text, ub2 charsetId);

// A bind value outside the supported types or the wrong size: thrown as the
// ORA error Oracle gives.
tw::SqlValue bindValue(ub2 dataType, const unsigned char* data, ub4 length, ub2 charsetId);

// Writes a fetched value into a define's buffer; false for an external type
// the stand-in does not convert to.
bool writeDefine(const DefineHandle& define, const tw::SqlValue& value, ub4 row, ub2 charsetId);

} // namespace ocistub
