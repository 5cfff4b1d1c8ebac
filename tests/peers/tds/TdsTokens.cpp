#include "peers/tds/TdsTokens.h"

#include "peers/tds/TdsBuffer.h"

namespace peers {

namespace {

namespace Token {
constexpr quint8 Error = 0xAA;
constexpr quint8 Info = 0xAB;
constexpr quint8 LoginAck = 0xAD;
constexpr quint8 EnvChange = 0xE3;
constexpr quint8 Done = 0xFD;
} // namespace Token

namespace EnvChange {
constexpr quint8 Database = 1;
constexpr quint8 Language = 2;
constexpr quint8 PacketSize = 4;
constexpr quint8 SqlCollation = 7;
} // namespace EnvChange

// LOGINACK interface value of T-SQL.
constexpr quint8 kInterfaceTsql = 1;

// A token with a two-byte length before its body.
QByteArray lengthPrefixed(quint8 token, const QByteArray& body)
{
    TdsWriter w;
    w.u8(token);
    w.u16(quint16(body.size()));
    w.bytes(body);
    return w.data();
}

QByteArray textChange(quint8 type, const QString& newValue, const QString& oldValue)
{
    TdsWriter body;
    body.u8(type);
    body.bVarchar(newValue);
    body.bVarchar(oldValue);
    return lengthPrefixed(Token::EnvChange, body.data());
}

} // namespace

QByteArray serverCollation()
{
    // LCID 0x0409 with ignore-case, ignore-kana and ignore-width flags, then
    // sort order 52.
    return QByteArray::fromHex("0904d00034");
}

QString peerServerName()
{
    return QStringLiteral("LOOPBACK");
}

QByteArray loginAckToken(quint32 tdsVersion)
{
    TdsWriter body;
    body.u8(kInterfaceTsql);
    // The version goes most significant byte first here.
    body.u8(quint8(tdsVersion >> 24));
    body.u8(quint8(tdsVersion >> 16));
    body.u8(quint8(tdsVersion >> 8));
    body.u8(quint8(tdsVersion));
    body.bVarchar(QStringLiteral("Microsoft SQL Server"));
    body.bytes(QByteArray::fromHex("0f0007d0"));
    return lengthPrefixed(Token::LoginAck, body.data());
}

QByteArray databaseChangeToken(const QString& newDatabase, const QString& oldDatabase)
{
    return textChange(EnvChange::Database, newDatabase, oldDatabase);
}

QByteArray languageChangeToken(const QString& language)
{
    return textChange(EnvChange::Language, language, QString());
}

QByteArray collationChangeToken()
{
    TdsWriter body;
    body.u8(EnvChange::SqlCollation);
    body.u8(quint8(serverCollation().size()));
    body.bytes(serverCollation());
    body.u8(0);
    return lengthPrefixed(Token::EnvChange, body.data());
}

QByteArray packetSizeChangeToken(int newSize, int oldSize)
{
    return textChange(EnvChange::PacketSize, QString::number(newSize), QString::number(oldSize));
}

QByteArray messageToken(bool isError, int number, int state, int severity, const QString& text)
{
    TdsWriter body;
    body.u32(quint32(number));
    body.u8(quint8(state));
    body.u8(quint8(severity));
    body.usVarchar(text);
    body.bVarchar(peerServerName());
    body.bVarchar(QString());
    body.u32(1);
    return lengthPrefixed(isError ? Token::Error : Token::Info, body.data());
}

QByteArray doneToken(quint16 status, quint16 command, quint64 rowCount)
{
    TdsWriter w;
    w.u8(Token::Done);
    w.u16(status);
    w.u16(command);
    w.u64(rowCount);
    return w.data();
}

} // namespace peers
