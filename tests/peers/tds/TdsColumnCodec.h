#pragma once

#include "peers/sqlserver/ModelSqlServer.h"
#include "peers/tds/TdsBuffer.h"

#include <QByteArray>
#include <QVector>

namespace peers {

// The protocol versions whose encodings differ ([MS-TDS] LOGINACK, TDSVersion).
constexpr quint32 kTds72 = 0x72090002;
constexpr quint32 kTds73 = 0x730B0003;
constexpr quint32 kTds74 = 0x74000004;

// How one result column travels on the wire (TDS 7.2 and later): its
// COLMETADATA entry and the encoding of its values in ROW tokens, as SQL
// Server sends each type to a client of the session's protocol version. A
// type the peer cannot send is a std::invalid_argument naming it.
class TdsColumnCodec {
public:
    explicit TdsColumnCodec(const MsResultColumn& column, quint32 tdsVersion = kTds74);

    // UserType, flags, TYPE_INFO, the table name of large-object types and
    // the column name.
    QByteArray metadata() const;
    // The value as it stands in a ROW token. text, ntext, image and the (max)
    // types are cut to textSize bytes, as the session's SET TEXTSIZE asks.
    QByteArray value(const SqlValue& value, qint64 textSize) const;

private:
    enum class Wire {
        IntN, BitN, FltN, MoneyN, DecimalN, NumericN, DateTimeN, DateN, TimeN, DateTime2N, DateTimeOffsetN, Guid,
        BigChar, BigVarChar, NChar, NVarChar, BigBinary, BigVarBinary, Text, NText, Image, Variant, Xml, Udt
    };

    bool isMax() const { return column_.maxLength < 0; }
    bool isCharacterType() const;
    bool isUnicodeType() const;
    QByteArray textBytes(const SqlValue& value) const;
    void writeTemporal(TdsWriter& w, const SqlValue& value) const;

    MsResultColumn column_;
    Wire wire_ = Wire::IntN;
    int length_ = 0;  // the fixed or maximum length TYPE_INFO carries
    quint32 userType_ = 0;
};

QByteArray colMetadataToken(const QVector<TdsColumnCodec>& columns);
QByteArray rowToken(const QVector<TdsColumnCodec>& columns, const QVector<SqlValue>& row, qint64 textSize);

} // namespace peers
