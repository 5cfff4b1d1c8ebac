#pragma once

#include <QtGlobal>

namespace tw {

// How a value of a bounded source column lies in the source's buffer, so
// that a target can convert it from there without a value object. The form
// is fixed per column for a whole result.
// - Int64: a signed 64-bit integer in native byte order;
// - Bit: one byte, zero for false; the copy writes it as the text "1" or "0";
// - DecimalText: an exact number as Latin-1 text ("-12.50", ".5");
// - Timestamp: an ODBC SQL_TIMESTAMP_STRUCT (fraction in nanoseconds);
// - Guid: an ODBC SQLGUID;
// - Utf16Text: UTF-16 code units in native byte order;
// - Bytes: the bytes themselves.
// None: the column's values come only as SqlValue.
enum class CellForm { None, Int64, Bit, DecimalText, Timestamp, Guid, Utf16Text, Bytes };

// One value in the source's buffer: where its bytes are and how many, or
// NULL. Valid until the source moves to another row.
struct SourceCell {
    const char* data = nullptr;
    qint64 bytes = -1;

    bool isNull() const { return bytes < 0; }
};

// Where a source column's values go in a row writer: the writer's column
// and the form in which the column takes them from the source's buffers
// (None: only as value objects).
struct CellRoute {
    int source = 0;
    int target = 0;
    CellForm form = CellForm::None;
};

// The layouts of the Timestamp and Guid forms: those of ODBC's
// SQL_TIMESTAMP_STRUCT and SQLGUID (the source checks that they match).
struct CellTimestamp {
    qint16 year;
    quint16 month;
    quint16 day;
    quint16 hour;
    quint16 minute;
    quint16 second;
    quint32 fraction;  // nanoseconds
};

struct CellGuid {
    quint32 data1;
    quint16 data2;
    quint16 data3;
    quint8 data4[8];
};

// A GUID as SQL Server writes it, 8-4-4-4-12 upper-case hexadecimal digits:
// the 36 characters at out. Two digits a byte, from a table.
template <typename Char>
void writeGuidText(const CellGuid& guid, Char* out)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    static constexpr auto pairs = [] {
        struct Pairs {
            char digits[256][2];
        } table{};
        for (int b = 0; b < 256; ++b) {
            table.digits[b][0] = hex[b >> 4];
            table.digits[b][1] = hex[b & 0xF];
        }
        return table;
    }();
    const auto put = [&out](quint64 value, int bytes) {
        for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8) {
            const char* digits = pairs.digits[(value >> shift) & 0xFF];
            *out++ = Char(digits[0]);
            *out++ = Char(digits[1]);
        }
    };
    put(guid.data1, 4);
    *out++ = Char('-');
    put(guid.data2, 2);
    *out++ = Char('-');
    put(guid.data3, 2);
    *out++ = Char('-');
    put(quint64(guid.data4[0]) << 8 | guid.data4[1], 2);
    *out++ = Char('-');
    for (int i = 2; i < 8; ++i)
        put(guid.data4[i], 1);
}

} // namespace tw
