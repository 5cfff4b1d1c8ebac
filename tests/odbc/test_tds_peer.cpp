// The loopback TDS peer itself: wire encodings pinned to the protocol's
// documented examples, and requests it does not implement.
#include "support/Printers.h"
#include "db/odbc/OdbcSourceConnection.h"
#include "peers/tds/LoopbackSocket.h"
#include "peers/tds/TdsBuffer.h"
#include "peers/tds/TdsColumnCodec.h"
#include "peers/tds/TdsLogin.h"
#include "peers/tds/TdsLoopback.h"
#include "peers/tds/TdsSocket.h"

#include <gtest/gtest.h>

using namespace peers;
using tw::SqlValue;

namespace {

MsResultColumn column(const QString& type, int maxLength = 0, int precision = 0, int scale = 0)
{
    return MsResultColumn{QStringLiteral("c"), type, maxLength, precision, scale, true};
}

QByteArray encoded(const MsResultColumn& c, const SqlValue& value)
{
    return TdsColumnCodec(c).value(value, 2147483647);
}

TEST(TdsColumnCodec, GuidTravelsWithItsFirstThreeGroupsLittleEndian)
{
    EXPECT_EQ(encoded(column("uniqueidentifier", 16), SqlValue("6F9619FF-8B86-D011-B42D-00C04FC964FF")).toHex(),
              "10ff19966f868b11d0b42d00c04fc964ff");
}

TEST(TdsColumnCodec, ExactNumbersTravelAsScaledIntegers)
{
    // money: the high four bytes first, then the low four.
    EXPECT_EQ(encoded(column("money", 8, 19, 4), SqlValue::decimal("1.0000")).toHex(), "080000000010270000");
    EXPECT_EQ(encoded(column("smallmoney", 4, 10, 4), SqlValue::decimal("-0.0001")).toHex(), "04ffffffff");
    // decimal(5,2): length, sign (0 negative), magnitude little-endian.
    EXPECT_EQ(encoded(column("decimal", 5, 5, 2), SqlValue::decimal("-1.23")).toHex(), "05007b000000");
    EXPECT_EQ(encoded(column("decimal", 5, 5, 2), SqlValue()).toHex(), "00");
}

TEST(TdsColumnCodec, DatetimeCountsDaysFrom1900AndThreeHundredthsOfASecond)
{
    // 1900-01-02 00:00:01.000: one day, 300 ticks.
    EXPECT_EQ(encoded(column("datetime", 8, 23, 3), SqlValue::dateTime(1900, 1, 2, 0, 0, 1)).toHex(),
              "08010000002c010000");
    // .999 rounds up into the next day, as the server stores it.
    EXPECT_EQ(encoded(column("datetime", 8, 23, 3), SqlValue::dateTime(1900, 1, 1, 23, 59, 59, 999)).toHex(),
              "080100000000000000");
}

// [MS-TDS] "Date/Times": time in 10^-scale s units (3 to 5 bytes), days
// since 0001-01-01 (3 bytes), the offset in minutes; a datetimeoffset's
// time and date are those of UTC.
TEST(TdsColumnCodec, DateAndTimeTypesTravelExactlyWithTheirOffset)
{
    EXPECT_EQ(encoded(column("datetime2", 8, 27, 7), SqlValue("2024-02-29 23:59:59.1234567")).toHex(),
              "08" "0700e429c9" "80460b");
    EXPECT_EQ(encoded(column("datetimeoffset", 10, 34, 7), SqlValue("2024-02-29 23:59:59.1234567 +05:30")).toHex(),
              "0a" "07c42b109b" "80460b" "4a01");
    // 9999-12-31 00:00 at -14:00 is 14:00 UTC the same day.
    EXPECT_EQ(encoded(column("datetimeoffset", 8, 26, 0), SqlValue("9999-12-31 00:00:00 -14:00")).toHex(),
              "08" "e0c400" "dab937" "b8fc");
    EXPECT_EQ(encoded(column("time", 3, 8, 0), SqlValue("23:59:59")).toHex(), "037f5101");
    EXPECT_EQ(encoded(column("date", 3, 10, 0), SqlValue("0001-01-01")).toHex(), "03000000");
    EXPECT_EQ(encoded(column("date", 3, 10, 0), SqlValue()).toHex(), "00");

    // Before TDS 7.3 the server sends them as nvarchar of their text.
    const TdsColumnCodec downLevel(column("datetimeoffset", 10, 34, 7), kTds72);
    EXPECT_EQ(downLevel.metadata().mid(6, 3).toHex(), "e74400");
    EXPECT_EQ(downLevel.value(SqlValue("2024-02-29 23:59:59.1234567 +05:30"), 0), QByteArray::fromHex("4400")
              + toUcs2(QStringLiteral("2024-02-29 23:59:59.1234567 +05:30")));
}

// [MS-TDS] "CLR Instances": UDTTYPE with its maximum length and names, the value
// in PLP form.
TEST(TdsColumnCodec, ClrTypesTravelAsUdtBytes)
{
    MsResultColumn geography = column("geography", -1);
    geography.clrType = true;
    const TdsColumnCodec codec(geography);
    const QByteArray metadata = codec.metadata();
    EXPECT_EQ(metadata.mid(6, 3).toHex(), "f0ffff");
    EXPECT_TRUE(metadata.contains(toUcs2(QStringLiteral("Microsoft.SqlServer.Types.SqlGeography"))));
    EXPECT_EQ(codec.value(SqlValue(QByteArray::fromHex("e610")), 0).toHex(),
              "0200000000000000" "02000000" "e610" "00000000");
    EXPECT_EQ(codec.value(SqlValue(), 0).toHex(), "ffffffffffffffff");
    EXPECT_THROW(codec.value(SqlValue("POINT(1 2)"), 0), std::invalid_argument);
}

TEST(TdsColumnCodec, LargeValuesAreCutToTheTextSize)
{
    const TdsColumnCodec maxBinary(column("varbinary", -1));
    // PLP: total length, one chunk, terminator.
    EXPECT_EQ(maxBinary.value(SqlValue(QByteArray("abcdef")), 4).toHex(), "0400000000000000" "04000000" "61626364"
                                                                          "00000000");
    EXPECT_EQ(maxBinary.value(SqlValue(), 4).toHex(), "ffffffffffffffff");
    // ntext keeps whole characters.
    const QByteArray ntext = TdsColumnCodec(column("ntext", 2147483646)).value(SqlValue("abc"), 5);
    EXPECT_TRUE(ntext.endsWith(QByteArray::fromHex("04000000" "61006200")));
}

TEST(TdsColumnCodec, TypesItCannotSendAreRefused)
{
    EXPECT_THROW(TdsColumnCodec(column("cursor")), std::invalid_argument);
    EXPECT_THROW(encoded(column("int", 4), SqlValue("x")), std::invalid_argument);
}

TEST(TdsLogin, PasswordScramblingIsReversed)
{
    // Each byte of the UTF-16LE password: nibbles swapped, then XOR 0xA5.
    QByteArray scrambled;
    for (const char byte : toUcs2(QStringLiteral("sa!"))) {
        const quint8 b = quint8(byte);
        scrambled.append(char(quint8((b << 4) | (b >> 4)) ^ 0xA5));
    }
    EXPECT_EQ(decodeLoginPassword(scrambled), "sa!");
}

// A bare TCP client of the peer.
class RawClient {
public:
    explicit RawClient(quint16 port)
    {
        const qintptr socket = loopback::connectTcp(port);
        if (socket == loopback::kNoSocket)
            throw std::runtime_error("cannot reach the peer");
        socket_ = std::make_unique<TdsSocket>(socket);
    }

    void send(quint8 type, const QByteArray& data)
    {
        TdsWriter packet;
        packet.u8(type);
        packet.u8(1);
        packet.u16be(quint16(8 + data.size()));
        packet.u16be(0);
        packet.u8(1);
        packet.u8(0);
        packet.bytes(data);
        socket_->writeAll(packet.data());
    }
    void sendRaw(const QByteArray& bytes) { socket_->writeAll(bytes); }
    TdsSocket::Message receive() { return socket_->readMessage(); }

private:
    std::unique_ptr<TdsSocket> socket_;
};

QByteArray preLoginRequest(quint8 encryption)
{
    TdsWriter w;
    w.u8(0x01);  // ENCRYPTION at offset 6, one byte
    w.u16be(6);
    w.u16be(1);
    w.u8(0xFF);
    w.u8(encryption);
    return w.data();
}

class TdsPeerTest : public ::testing::Test {
protected:
    ModelSqlServer server;
    TdsLoopback loopback{server};

    TdsPeerTest()
    {
        server.addLogin(QStringLiteral("sa"), QStringLiteral("secret"));
        server.database(QStringLiteral("Shop"));
    }

    // The peer still serves a real client.
    void expectStillServing()
    {
        tw::OdbcSourceConnection connection;
        connection.setConnectionString(loopback.sqlLoginString("sa", "secret", "Shop"));
        EXPECT_NO_THROW(connection.open());
    }
};

TEST_F(TdsPeerTest, UnsupportedRequestsGetATdsErrorAndTheConnectionStays)
{
    RawClient client(loopback.server().port());
    client.send(TdsPacket::Rpc, QByteArray(16, '\0'));
    const TdsSocket::Message answer = client.receive();
    EXPECT_EQ(answer.type, TdsPacket::TabularResult);
    EXPECT_EQ(quint8(answer.data[0]), 0xAA);  // ERROR token
    EXPECT_TRUE(answer.data.contains(toUcs2("The TDS peer does not support requests of packet type 3.")));

    client.send(TdsPacket::PreLogin, preLoginRequest(0x00));
    EXPECT_EQ(client.receive().type, TdsPacket::TabularResult);
    expectStillServing();
}

TEST_F(TdsPeerTest, EncryptionHandshakeIsRefusedWithAnError)
{
    RawClient client(loopback.server().port());
    client.send(TdsPacket::PreLogin, preLoginRequest(0x01));
    const TdsSocket::Message answer = client.receive();
    // The answer says: encryption not supported.
    EXPECT_TRUE(answer.data.contains(QByteArray::fromHex("02")));
    // What would be a TLS handshake in a second PRELOGIN gets an error, then the end.
    client.send(TdsPacket::PreLogin, QByteArray::fromHex("160301"));
    const TdsSocket::Message refusal = client.receive();
    EXPECT_TRUE(refusal.data.contains(toUcs2("The TDS peer does not support encryption.")));
    EXPECT_THROW(client.receive(), TdsConnectionClosed);
    expectStillServing();
}

TEST_F(TdsPeerTest, MalformedPacketsEndOnlyTheirConnection)
{
    RawClient client(loopback.server().port());
    client.sendRaw(QByteArray::fromHex("1201000300000100"));  // length below the header size
    EXPECT_THROW(client.receive(), TdsConnectionClosed);

    RawClient early(loopback.server().port());
    early.send(TdsPacket::SqlBatch, QByteArray(8, '\0'));  // a batch before any logon
    EXPECT_THROW(early.receive(), TdsConnectionClosed);
    expectStillServing();
}

} // namespace
