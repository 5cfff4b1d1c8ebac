#include "peers/tds/TdsLogin.h"

#include "peers/tds/TdsBuffer.h"

namespace peers {

namespace {

namespace Option {
constexpr quint8 Version = 0x00;
constexpr quint8 Encryption = 0x01;
constexpr quint8 Instance = 0x02;
constexpr quint8 ThreadId = 0x03;
constexpr quint8 Mars = 0x04;
constexpr quint8 Terminator = 0xFF;
} // namespace Option

// OptionFlags2 bit of an integrated logon.
constexpr quint8 kIntegratedSecurity = 0x80;

// Offsets in the fixed part of LOGIN7.
constexpr int kOffsetTdsVersion = 4;
constexpr int kOffsetPacketSize = 8;
constexpr int kOffsetOptionFlags2 = 25;
constexpr int kOffsetUserName = 40;
constexpr int kOffsetPassword = 44;
constexpr int kOffsetDatabase = 68;
constexpr int kOffsetSspi = 78;
constexpr int kFixedPartSize = 86;

QByteArray field(const QByteArray& data, int pairOffset, int bytesPerUnit)
{
    TdsReader pair(data, pairOffset);
    const int offset = pair.u16();
    const int count = pair.u16();
    TdsReader at(data, offset);
    return at.bytes(count * bytesPerUnit);
}

} // namespace

TdsPreLogin parsePreLogin(const QByteArray& data)
{
    TdsPreLogin request;
    TdsReader options(data);
    for (;;) {
        const quint8 token = options.u8();
        if (token == Option::Terminator)
            break;
        const int offset = options.u16be();
        const int length = options.u16be();
        if (token == Option::Encryption && length >= 1) {
            TdsReader value(data, offset);
            request.encryption = value.u8();
        }
    }
    return request;
}

QByteArray preLoginResponse()
{
    struct Entry {
        quint8 token;
        QByteArray value;
    };
    // Version 15.0.2000.0, as a SQL Server 2019 reports itself.
    const Entry entries[] = {
        {Option::Version, QByteArray::fromHex("0f0007d00000")},
        {Option::Encryption, QByteArray(1, char(TdsEncryption::NotSupported))},
        {Option::Instance, QByteArray(1, '\0')},
        {Option::ThreadId, QByteArray()},
        {Option::Mars, QByteArray(1, '\0')},
    };
    const int count = int(sizeof entries / sizeof entries[0]);
    TdsWriter header;
    QByteArray values;
    int offset = count * 5 + 1;
    for (const Entry& entry : entries) {
        header.u8(entry.token);
        header.u16be(quint16(offset + values.size()));
        header.u16be(quint16(entry.value.size()));
        values.append(entry.value);
    }
    header.u8(Option::Terminator);
    header.bytes(values);
    return header.data();
}

QString decodeLoginPassword(const QByteArray& scrambled)
{
    QByteArray plain(scrambled.size(), '\0');
    for (int i = 0; i < scrambled.size(); ++i) {
        const quint8 b = quint8(scrambled[i]) ^ 0xA5;
        plain[i] = char(quint8((b << 4) | (b >> 4)));
    }
    return fromUcs2(plain);
}

TdsLogin7 parseLogin7(const QByteArray& data)
{
    if (data.size() < kFixedPartSize)
        throw TdsProtocolError("LOGIN7 shorter than its fixed part");
    TdsLogin7 login;
    TdsReader fixed(data, kOffsetTdsVersion);
    login.tdsVersion = fixed.u32();
    TdsReader packetSize(data, kOffsetPacketSize);
    login.packetSize = packetSize.u32();
    login.integrated = (quint8(data[kOffsetOptionFlags2]) & kIntegratedSecurity) != 0;
    login.userName = fromUcs2(field(data, kOffsetUserName, 2));
    login.password = decodeLoginPassword(field(data, kOffsetPassword, 2));
    login.database = fromUcs2(field(data, kOffsetDatabase, 2));
    if (!field(data, kOffsetSspi, 1).isEmpty())
        login.integrated = true;
    return login;
}

} // namespace peers
