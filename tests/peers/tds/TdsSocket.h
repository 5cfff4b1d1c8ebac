#pragma once

#include <QByteArray>
#include <stdexcept>

namespace peers {

// The client went away (or the server shut the socket down).
struct TdsConnectionClosed : std::runtime_error {
    TdsConnectionClosed() : std::runtime_error("connection closed") {}
};

// TDS packet types the peer reads and writes.
namespace TdsPacket {
constexpr quint8 SqlBatch = 0x01;
constexpr quint8 Rpc = 0x03;
constexpr quint8 TabularResult = 0x04;
constexpr quint8 Attention = 0x06;
constexpr quint8 Login7 = 0x10;
constexpr quint8 PreLogin = 0x12;
} // namespace TdsPacket

// One accepted client socket, read and written as TDS packets: an eight-byte
// header (type, status with the end-of-message bit, big-endian length,
// SPID, packet number, window) and the data.
class TdsSocket {
public:
    explicit TdsSocket(qintptr socket) : socket_(socket) {}
    ~TdsSocket();
    TdsSocket(const TdsSocket&) = delete;
    TdsSocket& operator=(const TdsSocket&) = delete;

    struct Message {
        quint8 type = 0;
        QByteArray data;
    };
    // The packets up to the one marked end of message, joined.
    Message readMessage();
    void writeAll(const QByteArray& bytes);
    // Ends both directions: a blocked read or write in another thread returns.
    void shutdown();

private:
    void readExactly(char* into, int count);

    qintptr socket_;
};

// Writes one response message as packets of the negotiated size, sending
// each full packet at once so that a large result streams.
class TdsMessageWriter {
public:
    TdsMessageWriter(TdsSocket& socket, int packetSize, quint16 spid);

    void append(const QByteArray& bytes);
    // Sends the rest as the last packet of the message.
    void finish();
    // Sends what is buffered as a packet that does not end the message.
    void flushPartial();

private:
    void sendPacket(const QByteArray& data, bool last);

    TdsSocket& socket_;
    int dataPerPacket_;
    quint16 spid_;
    quint8 packetNumber_ = 1;
    QByteArray pending_;
};

} // namespace peers
