#include "db/oci/CellValues.h"

#include "db/oci/OracleNativeValues.h"

#include <algorithm>
#include <cstring>

namespace tw::oci {

namespace {

qint64 integerOf(const SourceCell& cell)
{
    qint64 value = 0;
    std::memcpy(&value, cell.data, sizeof value);
    return value;
}

// The days of a month of the proleptic Gregorian calendar, as QDate counts
// them.
int daysInMonth(int year, int month)
{
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

// Oracle DATE bytes: century and year of the century plus 100, month, day,
// hour, minute and second plus 1.
void writeDate(const CellTimestamp& t, char* out)
{
    out[0] = char(t.year / 100 + 100);
    out[1] = char(t.year % 100 + 100);
    out[2] = char(t.month);
    out[3] = char(t.day);
    out[4] = char(t.hour + 1);
    out[5] = char(t.minute + 1);
    out[6] = char(t.second + 1);
}

void appendInteger(ValueBytes& buffer, qint64 n)
{
    char digits[21];
    int start = 21;
    quint64 magnitude = n < 0 ? 0 - quint64(n) : quint64(n);
    do {
        digits[--start] = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude > 0);
    if (n < 0)
        digits[--start] = '-';
    buffer.append(digits + start, 21 - start);
}

} // namespace

bool numberFromCell(CellForm form, const SourceCell& cell, char* out)
{
    switch (form) {
    case CellForm::Int64:
        writeOracleNumber(integerOf(cell), out);
        return true;
    case CellForm::Bit:
        writeOracleNumber(qint64(cell.data[0] != 0 ? 1 : 0), out);
        return true;
    case CellForm::DecimalText:
        return writePlainOracleNumber(QLatin1String(cell.data, qsizetype(cell.bytes)), out);
    default:
        return false;
    }
}

bool dateFromCell(const SourceCell& cell, char* out)
{
    CellTimestamp t;
    std::memcpy(&t, cell.data, sizeof t);
    // The fraction rounds to the millisecond, which DATE drops; one that
    // rounds up to a whole second (999.5 ms and more) moves the time on,
    // which is left to the date-time arithmetic of the value objects.
    if (t.fraction >= 999500000u || t.year < 1 || t.year > 9999 || t.month < 1 || t.month > 12 || t.day < 1
        || t.day > daysInMonth(t.year, t.month) || t.hour > 23 || t.minute > 59 || t.second > 59)
        return false;
    writeDate(t, out);
    return true;
}

bool bytesTake(CellForm form, bool binary)
{
    switch (form) {
    case CellForm::Bit:
    case CellForm::Guid:
    case CellForm::Utf16Text:
        return true;
    case CellForm::Int64:
        return !binary;
    case CellForm::Bytes:
        return binary;
    default:
        return false;
    }
}

char* ValueBytes::grow(qsizetype bytes)
{
    const qsizetype capacity = std::max(size_ + bytes, 2 * capacity_);
    std::unique_ptr<char[]> grown(new char[size_t(capacity)]);
    if (size_ > 0)
        std::memcpy(grown.get(), data_.get(), size_t(size_));
    data_ = std::move(grown);
    capacity_ = capacity;
    return data_.get() + size_;
}

void ValueBytes::append(const char* bytes, qsizetype count)
{
    char* at = room(count);
    if (count > 0)
        std::memcpy(at, bytes, size_t(count));
    size_ += count;
}

void appendUtf8(ValueBytes& buffer, QStringEncoder& utf8, QStringView text)
{
    buffer.take(utf8.appendToBuffer(buffer.room(utf8.requiredSpace(text.size())), text));
}

void appendCellBytes(CellForm form, const SourceCell& cell, ValueBytes& buffer, QStringEncoder& utf8)
{
    switch (form) {
    case CellForm::Int64:
        appendInteger(buffer, integerOf(cell));
        return;
    case CellForm::Bit:
        buffer.append(cell.data[0] != 0 ? "1" : "0", 1);
        return;
    case CellForm::Guid: {
        CellGuid guid;
        std::memcpy(&guid, cell.data, sizeof guid);
        char* text = buffer.room(36);
        writeGuidText(guid, text);
        buffer.take(text + 36);
        return;
    }
    case CellForm::Utf16Text:
        appendUtf8(buffer, utf8, QStringView(reinterpret_cast<const char16_t*>(cell.data), qsizetype(cell.bytes / 2)));
        return;
    case CellForm::Bytes:
        buffer.append(cell.data, qsizetype(cell.bytes));
        return;
    default:
        return;
    }
}

} // namespace tw::oci
