#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <functional>

namespace peers::loopback {

// The few socket calls the loopback peers make, over the system's sockets
// API (BSD sockets, or Winsock on Windows). A socket is a qintptr so that it
// holds a Winsock SOCKET as well as a descriptor; -1 is no socket.
constexpr qintptr kNoSocket = -1;

// A TCP socket listening on 127.0.0.1 at the port, or at one the system picks
// (0); the port it got is stored. kNoSocket when the port is taken.
qintptr listenTcp(quint16 port, quint16& boundPort);
// The next connection; kNoSocket once the listener is closed or failing.
qintptr acceptTcp(qintptr listener);
// A client connection to 127.0.0.1 at the port; kNoSocket when refused.
qintptr connectTcp(quint16 port);

// Up to `count` bytes; 0 when the peer closed, negative on failure.
int receiveSome(qintptr socket, char* into, int count);
// At most `count` bytes; negative on failure. A peer gone away is a failure,
// never a signal that ends the process.
int sendSome(qintptr socket, const char* from, int count);
// Ends both directions: a receive blocked in another thread returns.
void shutdownBoth(qintptr socket);
void closeSocket(qintptr socket);

// A UDP socket bound to 127.0.0.1 at the port; kNoSocket when it is taken.
qintptr bindUdp(quint16 port);
// Waits up to the time for one datagram and sends `reply(datagram)` back to
// its sender, unless that is empty.
void answerDatagram(qintptr socket, int waitMilliseconds, const std::function<QByteArray(const QByteArray&)>& reply);

} // namespace peers::loopback
