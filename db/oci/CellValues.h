#pragma once

#include "db/SourceCell.h"

#include <QByteArray>
#include <QStringEncoder>

namespace tw::oci {

// Values taken straight from the source's buffers into Oracle's bind forms,
// exactly as converting the source's value objects makes them
// (convertForOracleColumn, then the pending column). A function that
// returns false has written nothing: the value is one that only that
// conversion handles (odd text, a time that rounds into the next second).

// NUMBER (OCINumber) from Int64, Bit (1 or 0) and DecimalText.
bool numberFromCell(CellForm form, const SourceCell& cell, char* out);
// DATE from Timestamp; the milliseconds are dropped.
bool dateFromCell(const SourceCell& cell, char* out);

// Whether a character column (binary false) or a binary one takes the
// form: character columns take Int64, Bit, Guid and Utf16Text as their text;
// binary columns take Bytes, and Bit, Guid and Utf16Text as the UTF-8 bytes
// of their text.
bool bytesTake(CellForm form, bool binary);
// Appends those bytes of a value that is not NULL to buffer.
void appendCellBytes(CellForm form, const SourceCell& cell, QByteArray& buffer, QStringEncoder& utf8);
// Appends text as UTF-8 to buffer, encoded in place.
void appendUtf8(QByteArray& buffer, QStringEncoder& utf8, QStringView text);

} // namespace tw::oci
