#include "peers/tds/LoopbackSocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace peers::loopback {

namespace {

sockaddr_in loopbackAddress(quint16 port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

} // namespace

qintptr listenTcp(quint16 port, quint16& boundPort)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return kNoSocket;
    // A fixed port may still hold connections of an earlier run in TIME_WAIT.
    const int reuse = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    sockaddr_in address = loopbackAddress(port);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 16) != 0
        || ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        return kNoSocket;
    }
    boundPort = ntohs(address.sin_port);
    return fd;
}

qintptr acceptTcp(qintptr listener)
{
    for (;;) {
        const int fd = ::accept(int(listener), nullptr, nullptr);
        if (fd >= 0 || errno != EINTR)
            return fd < 0 ? kNoSocket : fd;
    }
}

qintptr connectTcp(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return kNoSocket;
    const sockaddr_in address = loopbackAddress(port);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return kNoSocket;
    }
    return fd;
}

int receiveSome(qintptr socket, char* into, int count)
{
    for (;;) {
        const ssize_t got = ::recv(int(socket), into, size_t(count), 0);
        if (got >= 0 || errno != EINTR)
            return int(got);
    }
}

int sendSome(qintptr socket, const char* from, int count)
{
    for (;;) {
        const ssize_t sent = ::send(int(socket), from, size_t(count), MSG_NOSIGNAL);
        if (sent >= 0 || errno != EINTR)
            return int(sent);
    }
}

void shutdownBoth(qintptr socket)
{
    ::shutdown(int(socket), SHUT_RDWR);
}

void closeSocket(qintptr socket)
{
    ::close(int(socket));
}

qintptr bindUdp(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0)
        return kNoSocket;
    const sockaddr_in address = loopbackAddress(port);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return kNoSocket;
    }
    return fd;
}

void answerDatagram(qintptr socket, int waitMilliseconds, const std::function<QByteArray(const QByteArray&)>& reply)
{
    pollfd wait{int(socket), POLLIN, 0};
    if (::poll(&wait, 1, waitMilliseconds) <= 0)
        return;
    char request[512];
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    const ssize_t got =
        ::recvfrom(int(socket), request, sizeof request, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (got < 1)
        return;
    const QByteArray answer = reply(QByteArray(request, int(got)));
    if (!answer.isEmpty())
        ::sendto(int(socket), answer.constData(), size_t(answer.size()), 0, reinterpret_cast<sockaddr*>(&from),
                 fromLength);
}

} // namespace peers::loopback
