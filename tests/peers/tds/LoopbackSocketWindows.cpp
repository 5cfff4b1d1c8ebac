#include "peers/tds/LoopbackSocket.h"

#include <mutex>
#include <set>

#include <winsock2.h>
#include <ws2tcpip.h>

namespace peers::loopback {

namespace {

// Winsock wants WSAStartup before the first call of a process.
bool winsockStarted()
{
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

sockaddr_in loopbackAddress(quint16 port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

// Sockets shut down by shutdownBoth(). Winsock leaves a receive blocked on
// a socket that another thread shuts down (and so does Wine), so receives
// wait in short slices and end once their socket is in this set.
class ShutDownSockets {
public:
    void add(SOCKET socket)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        sockets_.insert(socket);
    }
    void remove(SOCKET socket)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        sockets_.erase(socket);
    }
    bool contains(SOCKET socket) const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return sockets_.count(socket) != 0;
    }

private:
    mutable std::mutex mutex_;
    std::set<SOCKET> sockets_;
};

ShutDownSockets& shutDownSockets()
{
    static ShutDownSockets sockets;
    return sockets;
}

constexpr int kReceiveSliceMilliseconds = 50;

qintptr handle(SOCKET socket)
{
    return socket == INVALID_SOCKET ? kNoSocket : qintptr(socket);
}

SOCKET native(qintptr socket)
{
    return SOCKET(socket);
}

} // namespace

qintptr listenTcp(quint16 port, quint16& boundPort)
{
    if (!winsockStarted())
        return kNoSocket;
    const SOCKET socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (socket == INVALID_SOCKET)
        return kNoSocket;
    // No SO_REUSEADDR: on Windows it would let the socket take a port that
    // another one listens on, and a port in TIME_WAIT binds without it.
    sockaddr_in address = loopbackAddress(port);
    int length = sizeof address;
    if (::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(socket, 16) != 0
        || ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::closesocket(socket);
        return kNoSocket;
    }
    boundPort = ntohs(address.sin_port);
    return handle(socket);
}

qintptr acceptTcp(qintptr listener)
{
    return handle(::accept(native(listener), nullptr, nullptr));
}

qintptr connectTcp(quint16 port)
{
    if (!winsockStarted())
        return kNoSocket;
    const SOCKET socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (socket == INVALID_SOCKET)
        return kNoSocket;
    const sockaddr_in address = loopbackAddress(port);
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::closesocket(socket);
        return kNoSocket;
    }
    return handle(socket);
}

int receiveSome(qintptr socket, char* into, int count)
{
    for (;;) {
        if (shutDownSockets().contains(native(socket)))
            return 0;
        WSAPOLLFD wait{native(socket), POLLRDNORM, 0};
        const int ready = ::WSAPoll(&wait, 1, kReceiveSliceMilliseconds);
        if (ready < 0)
            return -1;
        // Data, or the peer's end of the connection (the receive returns 0).
        if (ready > 0)
            return ::recv(native(socket), into, count, 0);
    }
}

int sendSome(qintptr socket, const char* from, int count)
{
    return ::send(native(socket), from, count, 0);
}

void shutdownBoth(qintptr socket)
{
    shutDownSockets().add(native(socket));
    ::shutdown(native(socket), SD_BOTH);
}

void closeSocket(qintptr socket)
{
    shutDownSockets().remove(native(socket));
    ::closesocket(native(socket));
}

qintptr bindUdp(quint16 port)
{
    if (!winsockStarted())
        return kNoSocket;
    const SOCKET socket = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (socket == INVALID_SOCKET)
        return kNoSocket;
    const sockaddr_in address = loopbackAddress(port);
    if (::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::closesocket(socket);
        return kNoSocket;
    }
    return handle(socket);
}

void answerDatagram(qintptr socket, int waitMilliseconds, const std::function<QByteArray(const QByteArray&)>& reply)
{
    WSAPOLLFD wait{native(socket), POLLRDNORM, 0};
    if (::WSAPoll(&wait, 1, waitMilliseconds) <= 0)
        return;
    char request[512];
    sockaddr_in from{};
    int fromLength = sizeof from;
    const int got = ::recvfrom(native(socket), request, sizeof request, 0, reinterpret_cast<sockaddr*>(&from),
                               &fromLength);
    if (got < 1)
        return;
    const QByteArray answer = reply(QByteArray(request, got));
    if (!answer.isEmpty())
        ::sendto(native(socket), answer.constData(), answer.size(), 0, reinterpret_cast<sockaddr*>(&from),
                 fromLength);
}

} // namespace peers::loopback
