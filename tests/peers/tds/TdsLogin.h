#pragma once

#include <QByteArray>
#include <QString>

namespace peers {

// The encryption choice of a PRELOGIN message.
namespace TdsEncryption {
constexpr quint8 Off = 0x00;
constexpr quint8 NotSupported = 0x02;
constexpr quint8 Required = 0x03;
} // namespace TdsEncryption

// What the client's PRELOGIN asks for.
struct TdsPreLogin {
    quint8 encryption = TdsEncryption::Off;
};
TdsPreLogin parsePreLogin(const QByteArray& data);

// The server's PRELOGIN answer: its version, no encryption, the default
// instance, no MARS.
QByteArray preLoginResponse();

// The fields of a LOGIN7 message that the peer uses.
struct TdsLogin7 {
    quint32 tdsVersion = 0;
    quint32 packetSize = 4096;
    QString userName;
    QString password;
    QString database;
    // The client asks for an integrated (SSPI) logon.
    bool integrated = false;
};
TdsLogin7 parseLogin7(const QByteArray& data);

// The password as LOGIN7 carries it: every byte's nibbles swapped, then
// XOR 0xA5. Decoding reverses that.
QString decodeLoginPassword(const QByteArray& scrambled);

} // namespace peers
