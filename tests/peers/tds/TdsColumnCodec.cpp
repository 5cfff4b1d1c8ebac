#include "peers/tds/TdsColumnCodec.h"

#include "peers/sqlserver/MsTemporal.h"
#include "peers/tds/TdsBuffer.h"
#include "peers/tds/TdsCodePage.h"
#include "peers/tds/TdsTokens.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QUuid>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace peers {

namespace {

using Kind = SqlValue::Kind;
using Magnitude = unsigned __int128;

namespace Type {
constexpr quint8 Image = 0x22;
constexpr quint8 Text = 0x23;
constexpr quint8 Guid = 0x24;
constexpr quint8 IntN = 0x26;
constexpr quint8 DateN = 0x28;
constexpr quint8 TimeN = 0x29;
constexpr quint8 DateTime2N = 0x2A;
constexpr quint8 DateTimeOffsetN = 0x2B;
constexpr quint8 Bit = 0x32;
constexpr quint8 Int4 = 0x38;
constexpr quint8 Float8 = 0x3E;
constexpr quint8 Variant = 0x62;
constexpr quint8 NText = 0x63;
constexpr quint8 BitN = 0x68;
constexpr quint8 DecimalN = 0x6A;
constexpr quint8 NumericN = 0x6C;
constexpr quint8 FltN = 0x6D;
constexpr quint8 MoneyN = 0x6E;
constexpr quint8 DateTimeN = 0x6F;
constexpr quint8 Int8 = 0x7F;
constexpr quint8 BigVarBinary = 0xA5;
constexpr quint8 BigVarChar = 0xA7;
constexpr quint8 BigBinary = 0xAD;
constexpr quint8 BigChar = 0xAF;
constexpr quint8 NVarChar = 0xE7;
constexpr quint8 NChar = 0xEF;
constexpr quint8 Udt = 0xF0;
constexpr quint8 Xml = 0xF1;
} // namespace Type

constexpr quint8 kColMetadataToken = 0x81;
constexpr quint8 kRowToken = 0xD1;
constexpr quint16 kNullableFlag = 0x0001;
constexpr quint16 kMaxMarker = 0xFFFF;
constexpr quint16 kShortNull = 0xFFFF;
constexpr quint64 kPlpNull = ~quint64(0);
constexpr int kPlpChunk = 8000;
// The user type SQL Server gives timestamp (rowversion) columns.
constexpr quint32 kTimestampUserType = 80;
constexpr int kVariantMaxLength = 8016;

[[noreturn]] void wrongValue(const MsResultColumn& column, const SqlValue& value)
{
    throw std::invalid_argument(QStringLiteral("column '%1' of type %2 cannot send %3")
                                    .arg(column.name, column.type, tw::describe(value))
                                    .toStdString());
}

// The system CLR types live in the sys schema and the server's own assembly;
// a database's own CLR type is taken to be in dbo, of a class of its name.
const char* const kSystemClrTypes[][2] = {
    {"hierarchyid", "SqlHierarchyId"}, {"geometry", "SqlGeometry"}, {"geography", "SqlGeography"}};

QString udtSchema(const QString& type)
{
    for (const auto& known : kSystemClrTypes) {
        if (type == QLatin1String(known[0]))
            return QStringLiteral("sys");
    }
    return QStringLiteral("dbo");
}

QString udtClassName(const QString& type)
{
    for (const auto& known : kSystemClrTypes) {
        if (type == QLatin1String(known[0]))
            return QStringLiteral("Microsoft.SqlServer.Types.%1, Microsoft.SqlServer.Types, Version=11.0.0.0, "
                                  "Culture=neutral, PublicKeyToken=89845dcd8080cc91")
                .arg(QLatin1String(known[1]));
    }
    return type + QStringLiteral(", ") + type;
}

int decimalLength(int precision)
{
    return precision <= 9 ? 5 : precision <= 19 ? 9 : precision <= 28 ? 13 : 17;
}

int timeLength(int scale)
{
    return scale <= 2 ? 3 : scale <= 4 ? 4 : 5;
}

// An exact number's text as an unsigned magnitude scaled by 10^scale, and its sign.
bool scaledDecimal(const QString& text, int scale, Magnitude* magnitude, bool* negative)
{
    static const QRegularExpression shape(QStringLiteral(R"(^\s*([+-]?)(\d*)(?:\.(\d*))?\s*$)"));
    const QRegularExpressionMatch match = shape.match(text);
    if (!match.hasMatch())
        return false;
    QString fraction = match.captured(3);
    if (fraction.size() > scale)
        fraction.truncate(scale);
    const QString digits = match.captured(2) + fraction.leftJustified(scale, QLatin1Char('0'));
    Magnitude m = 0;
    for (const QChar c : digits)
        m = m * 10 + Magnitude(c.digitValue());
    *magnitude = m;
    *negative = match.captured(1) == QLatin1String("-") && m != 0;
    return true;
}

void writeMagnitude(TdsWriter& w, Magnitude m, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        w.u8(quint8(m & 0xFF));
        m >>= 8;
    }
}

void writeUnsigned(TdsWriter& w, quint64 v, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        w.u8(quint8(v & 0xFF));
        v >>= 8;
    }
}

qint64 daysSince(const QDate& epoch, const QDate& date)
{
    return epoch.daysTo(date);
}

// Time of day in units of 10^-scale seconds.
quint64 timeUnits(const QTime& time, int scale)
{
    const quint64 ms = quint64(time.msecsSinceStartOfDay());
    if (scale >= 3)
        return ms * quint64(std::pow(10, scale - 3));
    return ms / quint64(std::pow(10, 3 - scale));
}

// QUuid reads both an invalid text and the nil GUID as its null value; the
// nil GUID (all zeros) is a uniqueidentifier value like any other.
bool isGuidText(const QString& text)
{
    static const QString nil = QUuid().toString(QUuid::WithoutBraces);
    const QString trimmed = text.trimmed();
    return !QUuid::fromString(trimmed).isNull() || trimmed == nil
        || trimmed == QUuid().toString(QUuid::WithBraces);
}

QByteArray guidBytes(const QString& text)
{
    const QUuid uuid = QUuid::fromString(text.trimmed());
    const QByteArray rfc = uuid.toRfc4122();
    // The first three groups travel little-endian, the last two as written.
    QByteArray wire;
    for (int i : {3, 2, 1, 0, 5, 4, 7, 6})
        wire.append(rfc[i]);
    wire.append(rfc.mid(8));
    return wire;
}

void writePlp(TdsWriter& w, const QByteArray& data)
{
    w.u64(quint64(data.size()));
    for (int at = 0; at < data.size(); at += kPlpChunk) {
        const QByteArray chunk = data.mid(at, kPlpChunk);
        w.u32(quint32(chunk.size()));
        w.bytes(chunk);
    }
    w.u32(0);
}

QByteArray cutToTextSize(QByteArray data, qint64 textSize, bool unicode)
{
    const qint64 limit = unicode ? (textSize & ~qint64(1)) : textSize;
    if (limit >= 0 && data.size() > limit)
        data.truncate(int(limit));
    return data;
}

// The type, properties and data of a sql_variant value, chosen by the
// value's kind.
QByteArray variantBody(const MsResultColumn& column, const SqlValue& value)
{
    TdsWriter w;
    switch (value.kind()) {
    case Kind::Integer:
        if (value.asInteger() >= INT32_MIN && value.asInteger() <= INT32_MAX) {
            w.u8(Type::Int4);
            w.u8(0);
            w.u32(quint32(qint32(value.asInteger())));
        } else {
            w.u8(Type::Int8);
            w.u8(0);
            w.u64(quint64(value.asInteger()));
        }
        break;
    case Kind::Boolean:
        w.u8(Type::Bit);
        w.u8(0);
        w.u8(value.asBoolean() ? 1 : 0);
        break;
    case Kind::Float: {
        w.u8(Type::Float8);
        w.u8(0);
        quint64 bits = 0;
        const double v = value.asFloat();
        std::memcpy(&bits, &v, sizeof bits);
        w.u64(bits);
        break;
    }
    case Kind::Decimal: {
        const QString text = value.asDecimal().text;
        const int point = text.indexOf(QLatin1Char('.'));
        const int scale = point < 0 ? 0 : text.size() - point - 1;
        Magnitude m = 0;
        bool negative = false;
        if (!scaledDecimal(text, scale, &m, &negative))
            wrongValue(column, value);
        w.u8(Type::NumericN);
        w.u8(2);
        w.u8(38);
        w.u8(quint8(scale));
        w.u8(negative ? 0 : 1);
        writeMagnitude(w, m, 16);
        break;
    }
    case Kind::DateTime: {
        const QDateTime& dt = value.asDateTime();
        w.u8(Type::DateTime2N);
        w.u8(1);
        w.u8(3);
        writeUnsigned(w, timeUnits(dt.time(), 3), timeLength(3));
        writeUnsigned(w, quint64(daysSince(QDate(1, 1, 1), dt.date())), 3);
        break;
    }
    case Kind::Text: {
        const QByteArray text = toUcs2(value.asText());
        w.u8(Type::NVarChar);
        w.u8(7);
        w.bytes(serverCollation());
        w.u16(8000);
        w.bytes(text);
        break;
    }
    case Kind::Bytes:
        w.u8(Type::BigVarBinary);
        w.u8(2);
        w.u16(8000);
        w.bytes(value.asBytes());
        break;
    case Kind::Null:
        break;
    }
    return w.data();
}

} // namespace

TdsColumnCodec::TdsColumnCodec(const MsResultColumn& column, quint32 tdsVersion) : column_(column)
{
    const QString& t = column.type;
    const auto is = [&](const char* name) { return t == QLatin1String(name); };
    const auto sized = [&](int maxLength) { return maxLength < 0 ? int(kMaxMarker) : maxLength; };
    const bool temporal = is("date") || is("time") || is("datetime2") || is("datetimeoffset");
    if (column.clrType) {
        // [MS-TDS] "CLR Instances": a CLR type's value goes as UDTTYPE with the
        // type's names, in PLP form, to clients of TDS 7.2 and later.
        wire_ = Wire::Udt;
        length_ = sized(column.maxLength);
    } else if (temporal && tdsVersion < kTds73) {
        // Before TDS 7.3 the server sends the date and time types as
        // nvarchar of their text ("Date and Time Types" in the SQL Server
        // documentation: down-level clients get nvarchar in the types'
        // default string literal format).
        wire_ = Wire::NVarChar;
        length_ = column.precision * 2;
        column_.type = QStringLiteral("nvarchar");
    } else if (is("tinyint") || is("smallint") || is("int") || is("bigint")) {
        wire_ = Wire::IntN;
        length_ = is("tinyint") ? 1 : is("smallint") ? 2 : is("int") ? 4 : 8;
    } else if (is("bit")) {
        wire_ = Wire::BitN;
        length_ = 1;
    } else if (is("real") || is("float")) {
        wire_ = Wire::FltN;
        length_ = is("real") ? 4 : 8;
    } else if (is("smallmoney") || is("money")) {
        wire_ = Wire::MoneyN;
        length_ = is("smallmoney") ? 4 : 8;
    } else if (is("decimal") || is("numeric")) {
        wire_ = is("decimal") ? Wire::DecimalN : Wire::NumericN;
        length_ = decimalLength(column.precision);
    } else if (is("smalldatetime") || is("datetime")) {
        wire_ = Wire::DateTimeN;
        length_ = is("smalldatetime") ? 4 : 8;
    } else if (is("date")) {
        wire_ = Wire::DateN;
    } else if (is("time")) {
        wire_ = Wire::TimeN;
    } else if (is("datetime2")) {
        wire_ = Wire::DateTime2N;
    } else if (is("datetimeoffset")) {
        wire_ = Wire::DateTimeOffsetN;
    } else if (is("uniqueidentifier")) {
        wire_ = Wire::Guid;
        length_ = 16;
    } else if (is("char") || is("varchar") || is("nchar") || is("nvarchar")) {
        wire_ = is("char") ? Wire::BigChar : is("varchar") ? Wire::BigVarChar : is("nchar") ? Wire::NChar
                                                                                          : Wire::NVarChar;
        length_ = sized(column.maxLength);
    } else if (is("binary") || is("varbinary") || is("timestamp")) {
        wire_ = is("varbinary") ? Wire::BigVarBinary : Wire::BigBinary;
        length_ = is("timestamp") ? 8 : sized(column.maxLength);
        userType_ = is("timestamp") ? kTimestampUserType : 0;
    } else if (is("text") || is("ntext") || is("image")) {
        wire_ = is("text") ? Wire::Text : is("ntext") ? Wire::NText : Wire::Image;
        length_ = column.maxLength;
    } else if (is("sql_variant")) {
        wire_ = Wire::Variant;
        length_ = kVariantMaxLength;
    } else if (is("xml")) {
        wire_ = Wire::Xml;
    } else {
        throw std::invalid_argument(
            QStringLiteral("the TDS peer cannot send columns of type %1").arg(column.type).toStdString());
    }
}

bool TdsColumnCodec::isCharacterType() const
{
    return wire_ == Wire::BigChar || wire_ == Wire::BigVarChar || wire_ == Wire::NChar || wire_ == Wire::NVarChar
           || wire_ == Wire::Text || wire_ == Wire::NText;
}

bool TdsColumnCodec::isUnicodeType() const
{
    return wire_ == Wire::NChar || wire_ == Wire::NVarChar || wire_ == Wire::NText || wire_ == Wire::Xml;
}

QByteArray TdsColumnCodec::metadata() const
{
    TdsWriter w;
    w.u32(userType_);
    w.u16(column_.nullable ? kNullableFlag : 0);
    switch (wire_) {
    case Wire::IntN:
        w.u8(Type::IntN);
        w.u8(quint8(length_));
        break;
    case Wire::BitN:
        w.u8(Type::BitN);
        w.u8(1);
        break;
    case Wire::FltN:
        w.u8(Type::FltN);
        w.u8(quint8(length_));
        break;
    case Wire::MoneyN:
        w.u8(Type::MoneyN);
        w.u8(quint8(length_));
        break;
    case Wire::DecimalN:
    case Wire::NumericN:
        w.u8(wire_ == Wire::DecimalN ? Type::DecimalN : Type::NumericN);
        w.u8(quint8(length_));
        w.u8(quint8(column_.precision));
        w.u8(quint8(column_.scale));
        break;
    case Wire::DateTimeN:
        w.u8(Type::DateTimeN);
        w.u8(quint8(length_));
        break;
    case Wire::DateN:
        w.u8(Type::DateN);
        break;
    case Wire::TimeN:
        w.u8(Type::TimeN);
        w.u8(quint8(column_.scale));
        break;
    case Wire::DateTime2N:
        w.u8(Type::DateTime2N);
        w.u8(quint8(column_.scale));
        break;
    case Wire::DateTimeOffsetN:
        w.u8(Type::DateTimeOffsetN);
        w.u8(quint8(column_.scale));
        break;
    case Wire::Guid:
        w.u8(Type::Guid);
        w.u8(16);
        break;
    case Wire::BigChar:
    case Wire::BigVarChar:
    case Wire::NChar:
    case Wire::NVarChar:
        w.u8(wire_ == Wire::BigChar      ? Type::BigChar
             : wire_ == Wire::BigVarChar ? Type::BigVarChar
             : wire_ == Wire::NChar      ? Type::NChar
                                         : Type::NVarChar);
        w.u16(quint16(length_));
        w.bytes(serverCollation());
        break;
    case Wire::BigBinary:
    case Wire::BigVarBinary:
        w.u8(wire_ == Wire::BigBinary ? Type::BigBinary : Type::BigVarBinary);
        w.u16(quint16(length_));
        break;
    case Wire::Text:
    case Wire::NText:
    case Wire::Image:
        w.u8(wire_ == Wire::Text ? Type::Text : wire_ == Wire::NText ? Type::NText : Type::Image);
        w.u32(quint32(length_));
        if (wire_ != Wire::Image)
            w.bytes(serverCollation());
        // The table the large object lives in: one part, its name unknown here.
        w.u8(1);
        w.usVarchar(QStringLiteral("dbo.T"));
        break;
    case Wire::Variant:
        w.u8(Type::Variant);
        w.u32(quint32(length_));
        break;
    case Wire::Xml:
        w.u8(Type::Xml);
        w.u8(0);  // no schema
        break;
    case Wire::Udt:
        // Maximum length, database, schema and type name, and the
        // assembly-qualified name of the type's class.
        w.u8(Type::Udt);
        w.u16(quint16(length_));
        w.bVarchar(QString());
        w.bVarchar(udtSchema(column_.type));
        w.bVarchar(column_.type);
        w.usVarchar(udtClassName(column_.type));
        break;
    }
    w.bVarchar(column_.name);
    return w.data();
}

QByteArray TdsColumnCodec::textBytes(const SqlValue& value) const
{
    if (isCharacterType() || wire_ == Wire::Xml) {
        if (value.kind() != Kind::Text)
            wrongValue(column_, value);
        return isUnicodeType() ? toUcs2(value.asText()) : toWindows1252(value.asText());
    }
    if (value.kind() != Kind::Bytes)
        wrongValue(column_, value);
    return value.asBytes();
}

QByteArray TdsColumnCodec::value(const SqlValue& value, qint64 textSize) const
{
    TdsWriter w;
    const bool null = value.isNull();
    switch (wire_) {
    case Wire::IntN:
    case Wire::BitN:
    case Wire::FltN:
    case Wire::MoneyN:
    case Wire::DateTimeN:
    case Wire::Guid:
        if (null) {
            w.u8(0);
            return w.data();
        }
        w.u8(quint8(length_));
        break;
    default:
        break;
    }

    switch (wire_) {
    case Wire::IntN:
        if (value.kind() != Kind::Integer)
            wrongValue(column_, value);
        writeUnsigned(w, quint64(value.asInteger()), length_);
        break;
    case Wire::BitN:
        if (value.kind() != Kind::Boolean)
            wrongValue(column_, value);
        w.u8(value.asBoolean() ? 1 : 0);
        break;
    case Wire::FltN: {
        if (value.kind() != Kind::Float && value.kind() != Kind::Integer)
            wrongValue(column_, value);
        const double v = value.kind() == Kind::Float ? value.asFloat() : double(value.asInteger());
        if (length_ == 4) {
            const float f = float(v);
            quint32 bits = 0;
            std::memcpy(&bits, &f, sizeof bits);
            w.u32(bits);
        } else {
            quint64 bits = 0;
            std::memcpy(&bits, &v, sizeof bits);
            w.u64(bits);
        }
        break;
    }
    case Wire::MoneyN: {
        Magnitude m = 0;
        bool negative = false;
        const QString text = value.kind() == Kind::Decimal ? value.asDecimal().text : value.toText();
        if ((value.kind() != Kind::Decimal && value.kind() != Kind::Integer) || !scaledDecimal(text, 4, &m, &negative))
            wrongValue(column_, value);
        const qint64 units = negative ? -qint64(m) : qint64(m);
        if (length_ == 4) {
            w.u32(quint32(qint32(units)));
        } else {
            // Eight-byte money goes as its high half, then its low half.
            w.u32(quint32(quint64(units) >> 32));
            w.u32(quint32(quint64(units)));
        }
        break;
    }
    case Wire::DecimalN:
    case Wire::NumericN: {
        if (null) {
            w.u8(0);
            break;
        }
        Magnitude m = 0;
        bool negative = false;
        const QString text = value.kind() == Kind::Decimal ? value.asDecimal().text : value.toText();
        if ((value.kind() != Kind::Decimal && value.kind() != Kind::Integer)
            || !scaledDecimal(text, column_.scale, &m, &negative))
            wrongValue(column_, value);
        w.u8(quint8(length_));
        w.u8(negative ? 0 : 1);
        writeMagnitude(w, m, length_ - 1);
        break;
    }
    case Wire::DateTimeN: {
        if (value.kind() != Kind::DateTime)
            wrongValue(column_, value);
        const QDateTime& dt = value.asDateTime();
        qint64 days = daysSince(QDate(1900, 1, 1), dt.date());
        const qint64 ms = dt.time().msecsSinceStartOfDay();
        if (length_ == 4) {
            w.u16(quint16(days));
            w.u16(quint16(std::llround(double(ms) / 60000.0)));
        } else {
            // Three hundredths of a second; rounding up to midnight moves the day.
            qint64 ticks = std::llround(double(ms) * 0.3);
            if (ticks >= 300LL * 86400) {
                ticks -= 300LL * 86400;
                ++days;
            }
            w.u32(quint32(qint32(days)));
            w.u32(quint32(ticks));
        }
        break;
    }
    case Wire::DateN:
    case Wire::TimeN:
    case Wire::DateTime2N:
    case Wire::DateTimeOffsetN:
        if (null)
            w.u8(0);
        else
            writeTemporal(w, value);
        break;
    case Wire::Guid:
        if (value.kind() != Kind::Text || !isGuidText(value.asText()))
            wrongValue(column_, value);
        w.bytes(guidBytes(value.asText()));
        break;
    case Wire::BigChar:
    case Wire::BigVarChar:
    case Wire::NChar:
    case Wire::NVarChar:
    case Wire::BigBinary:
    case Wire::BigVarBinary:
        if (isMax()) {
            if (null)
                w.u64(kPlpNull);
            else
                writePlp(w, cutToTextSize(textBytes(value), textSize, isUnicodeType()));
        } else if (null) {
            w.u16(kShortNull);
        } else {
            const QByteArray data = textBytes(value);
            w.u16(quint16(data.size()));
            w.bytes(data);
        }
        break;
    case Wire::Text:
    case Wire::NText:
    case Wire::Image: {
        if (null) {
            w.u8(0);
            break;
        }
        const QByteArray data = cutToTextSize(textBytes(value), textSize, isUnicodeType());
        w.u8(16);
        w.bytes(QByteArray(16, '\x01'));  // text pointer
        w.bytes(QByteArray(8, '\x02'));   // text timestamp
        w.u32(quint32(data.size()));
        w.bytes(data);
        break;
    }
    case Wire::Variant: {
        if (null) {
            w.u32(0);
            break;
        }
        const QByteArray body = variantBody(column_, value);
        w.u32(quint32(body.size()));
        w.bytes(body);
        break;
    }
    case Wire::Xml:
    case Wire::Udt:
        if (null)
            w.u64(kPlpNull);
        else
            writePlp(w, textBytes(value));
        break;
    }
    return w.data();
}

// [MS-TDS] "Date/Times": a length byte, then the time of day in units of
// 10^-scale seconds (3, 4 or 5 bytes), the days since 0001-01-01 (3 bytes)
// and, for datetimeoffset, the offset in minutes (2 bytes, signed); the
// time and date of a datetimeoffset are those of UTC.
void TdsColumnCodec::writeTemporal(TdsWriter& w, const SqlValue& value) const
{
    const std::optional<MsTemporalType> type = temporalTypeOf(column_.type);
    const std::optional<MsTemporal> parsed =
        value.kind() == Kind::Text ? parseTemporal(value.asText(), *type, column_.scale) : std::nullopt;
    if (!parsed)
        wrongValue(column_, value);
    qint64 days = parsed->days;
    qint64 ticks = parsed->ticks;
    if (wire_ == Wire::DateTimeOffsetN) {
        // A parsed datetimeoffset's UTC lies within the type's range.
        const qint64 utc = parsed->utcTicks();
        days = utc / MsTemporal::kTicksPerDay;
        ticks = utc % MsTemporal::kTicksPerDay;
    }
    const int timeBytes = wire_ == Wire::DateN ? 0 : timeLength(column_.scale);
    const int dateBytes = wire_ == Wire::TimeN ? 0 : 3;
    const int offsetBytes = wire_ == Wire::DateTimeOffsetN ? 2 : 0;
    w.u8(quint8(timeBytes + dateBytes + offsetBytes));
    if (timeBytes)
        writeUnsigned(w, quint64(ticks / ticksPerUnit(column_.scale)), timeBytes);
    if (dateBytes)
        writeUnsigned(w, quint64(days), 3);
    if (offsetBytes)
        w.u16(quint16(qint16(parsed->offsetMinutes)));
}

QByteArray colMetadataToken(const QVector<TdsColumnCodec>& columns)
{
    TdsWriter w;
    w.u8(kColMetadataToken);
    w.u16(quint16(columns.size()));
    for (const TdsColumnCodec& column : columns)
        w.bytes(column.metadata());
    return w.data();
}

QByteArray rowToken(const QVector<TdsColumnCodec>& columns, const QVector<SqlValue>& row, qint64 textSize)
{
    TdsWriter w;
    w.u8(kRowToken);
    for (int i = 0; i < columns.size(); ++i)
        w.bytes(columns[i].value(i < row.size() ? row[i] : SqlValue(), textSize));
    return w.data();
}

} // namespace peers
