#include "peers/tds/TdsSocket.h"

#include "peers/tds/TdsBuffer.h"

#include "peers/tds/LoopbackSocket.h"

namespace peers {

namespace {

constexpr int kHeaderSize = 8;
constexpr quint8 kEndOfMessage = 0x01;

} // namespace

TdsSocket::~TdsSocket()
{
    loopback::closeSocket(socket_);
}

void TdsSocket::readExactly(char* into, int count)
{
    while (count > 0) {
        const int got = loopback::receiveSome(socket_, into, count);
        if (got <= 0)
            throw TdsConnectionClosed();
        into += got;
        count -= got;
    }
}

TdsSocket::Message TdsSocket::readMessage()
{
    Message message;
    for (;;) {
        char header[kHeaderSize];
        readExactly(header, kHeaderSize);
        const int length = (int(quint8(header[2])) << 8) | quint8(header[3]);
        if (length < kHeaderSize)
            throw TdsProtocolError("packet length below the header size");
        QByteArray data(length - kHeaderSize, Qt::Uninitialized);
        readExactly(data.data(), data.size());
        message.type = quint8(header[0]);
        message.data.append(data);
        if (quint8(header[1]) & kEndOfMessage)
            return message;
    }
}

void TdsSocket::writeAll(const QByteArray& bytes)
{
    const char* from = bytes.constData();
    int left = int(bytes.size());
    while (left > 0) {
        const int sent = loopback::sendSome(socket_, from, left);
        if (sent < 0)
            throw TdsConnectionClosed();
        from += sent;
        left -= sent;
    }
}

void TdsSocket::shutdown()
{
    loopback::shutdownBoth(socket_);
}

TdsMessageWriter::TdsMessageWriter(TdsSocket& socket, int packetSize, quint16 spid)
    : socket_(socket), dataPerPacket_(packetSize - kHeaderSize), spid_(spid)
{
}

void TdsMessageWriter::append(const QByteArray& bytes)
{
    pending_.append(bytes);
    // Keeps at least one byte back so that finish() always has a last packet.
    int sent = 0;
    while (pending_.size() - sent > dataPerPacket_) {
        sendPacket(pending_.mid(sent, dataPerPacket_), false);
        sent += dataPerPacket_;
    }
    pending_.remove(0, sent);
}

void TdsMessageWriter::finish()
{
    sendPacket(pending_, true);
    pending_.clear();
    packetNumber_ = 1;
}

void TdsMessageWriter::flushPartial()
{
    if (!pending_.isEmpty())
        sendPacket(pending_, false);
    pending_.clear();
}

void TdsMessageWriter::sendPacket(const QByteArray& data, bool last)
{
    TdsWriter packet;
    packet.u8(TdsPacket::TabularResult);
    packet.u8(last ? kEndOfMessage : 0);
    packet.u16be(quint16(kHeaderSize + data.size()));
    packet.u16be(spid_);
    packet.u8(packetNumber_++);
    packet.u8(0);
    packet.bytes(data);
    socket_.writeAll(packet.data());
}

} // namespace peers
