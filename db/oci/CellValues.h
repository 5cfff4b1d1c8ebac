#pragma once

#include "db/SourceCell.h"

#include <QStringEncoder>

#include <memory>

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

// Values' bytes one after the other in one buffer, which keeps its room
// when cleared, so that a batch after the first allocates nothing.
class ValueBytes {
public:
    qsizetype size() const { return size_; }
    const char* data() const { return data_.get(); }
    char* data() { return data_.get(); }
    // Room for bytes more at the end, not yet counted; take counts what was
    // written there, up to end.
    char* room(qsizetype bytes)
    {
        return capacity_ - size_ >= bytes ? data_.get() + size_ : grow(bytes);
    }
    void take(const char* end) { size_ = end - data_.get(); }
    void append(const char* bytes, qsizetype count);
    void truncate(qsizetype size) { size_ = size; }

private:
    char* grow(qsizetype bytes);

    std::unique_ptr<char[]> data_;
    qsizetype size_ = 0;
    qsizetype capacity_ = 0;
};

// Whether a character column (binary false) or a binary one takes the
// form: character columns take Int64, Bit, Guid and Utf16Text as their text;
// binary columns take Bytes, and Bit, Guid and Utf16Text as the UTF-8 bytes
// of their text.
bool bytesTake(CellForm form, bool binary);
// Appends those bytes of a value that is not NULL to buffer.
void appendCellBytes(CellForm form, const SourceCell& cell, ValueBytes& buffer, QStringEncoder& utf8);
// Appends text as UTF-8 to buffer, encoded in place.
void appendUtf8(ValueBytes& buffer, QStringEncoder& utf8, QStringView text);

} // namespace tw::oci
