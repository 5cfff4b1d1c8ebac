#include "db/oci/CellValues.h"

#include "db/oci/OracleNativeValues.h"

#include <QDate>
#include <QTime>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace tw::oci {

namespace {

qint64 integerOf(const SourceCell& cell)
{
    qint64 value = 0;
    std::memcpy(&value, cell.data, sizeof value);
    return value;
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

void appendInteger(QByteArray& buffer, qint64 n)
{
    char digits[20];
    int start = 20;
    quint64 magnitude = n < 0 ? 0 - quint64(n) : quint64(n);
    do {
        digits[--start] = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude > 0);
    if (n < 0)
        buffer.append('-');
    buffer.append(digits + start, 20 - start);
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
    // rounds up to a whole second moves the time on, which is left to the
    // date-time arithmetic of the value objects.
    const qint64 milliseconds = qint64(std::llround(double(t.fraction) / 1e6));
    if (milliseconds >= 1000 || t.year < 1 || t.year > 9999 || !QDate::isValid(t.year, t.month, t.day)
        || !QTime::isValid(t.hour, t.minute, t.second))
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

void appendUtf8(QByteArray& buffer, QStringEncoder& utf8, QStringView text)
{
    // QByteArray leaves the room it adds uninitialised: the encoder writes
    // into it directly.
    const qsizetype start = buffer.size();
    const qsizetype needed = start + utf8.requiredSpace(text.size());
    if (buffer.capacity() < needed)
        buffer.reserve(std::max(needed, 2 * buffer.capacity()));
    buffer.resize(needed);
    char* end = utf8.appendToBuffer(buffer.data() + start, text);
    buffer.resize(end - buffer.constData());
}

void appendCellBytes(CellForm form, const SourceCell& cell, QByteArray& buffer, QStringEncoder& utf8)
{
    switch (form) {
    case CellForm::Int64:
        appendInteger(buffer, integerOf(cell));
        return;
    case CellForm::Bit:
        buffer.append(cell.data[0] != 0 ? '1' : '0');
        return;
    case CellForm::Guid: {
        CellGuid guid;
        std::memcpy(&guid, cell.data, sizeof guid);
        const qsizetype start = buffer.size();
        buffer.resize(start + 36);
        writeGuidText(guid, buffer.data() + start);
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
