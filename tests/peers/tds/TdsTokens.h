#pragma once

#include <QByteArray>
#include <QString>

namespace peers {

// Status bits of a DONE token.
namespace TdsDone {
constexpr quint16 Final = 0x0000;
constexpr quint16 Error = 0x0002;
constexpr quint16 Count = 0x0010;
constexpr quint16 Attention = 0x0020;
} // namespace TdsDone

// The collation of the model's databases as five wire bytes:
// SQL_Latin1_General_CP1_CI_AS, code page 1252.
QByteArray serverCollation();

// Token encoders for the server's side of the token stream (TDS 7.2 and later).
QByteArray loginAckToken(quint32 tdsVersion);
QByteArray databaseChangeToken(const QString& newDatabase, const QString& oldDatabase);
QByteArray languageChangeToken(const QString& language);
QByteArray collationChangeToken();
QByteArray packetSizeChangeToken(int newSize, int oldSize);
// An ERROR token, or an INFO token when isError is false.
QByteArray messageToken(bool isError, int number, int state, int severity, const QString& text);
QByteArray doneToken(quint16 status, quint16 command, quint64 rowCount);

// The name the peer reports as its server in messages.
QString peerServerName();

} // namespace peers
