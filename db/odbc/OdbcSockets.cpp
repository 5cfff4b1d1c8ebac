#include "db/odbc/OdbcSockets.h"

#include <algorithm>

#ifdef __linux__
#include <QDir>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#endif

namespace tw {

#ifdef __linux__

namespace {

int localPort(int fd)
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return -1;
    if (address.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
    if (address.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    return -1;
}

bool isListening(int fd)
{
    int accepting = 0;
    socklen_t length = sizeof accepting;
    return ::getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &accepting, &length) == 0 && accepting != 0;
}

// A TCP stream socket connected to a peer.
bool isConnectedStream(int fd)
{
    int type = 0;
    socklen_t length = sizeof type;
    if (::getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &length) != 0 || type != SOCK_STREAM)
        return false;
    sockaddr_storage peer{};
    socklen_t peerLength = sizeof peer;
    return ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerLength) == 0
           && (peer.ss_family == AF_INET || peer.ss_family == AF_INET6);
}

} // namespace

std::vector<int> openSocketDescriptors()
{
    std::vector<int> sockets;
    const QStringList entries = QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System);
    for (const QString& entry : entries) {
        bool number = false;
        const int fd = entry.toInt(&number);
        struct stat status{};
        if (number && ::fstat(fd, &status) == 0 && S_ISSOCK(status.st_mode))
            sockets.push_back(fd);
    }
    std::sort(sockets.begin(), sockets.end());
    return sockets;
}

std::vector<int> newClientSockets(const std::vector<int>& before)
{
    const std::vector<int> now = openSocketDescriptors();
    // A socket that another thread of the process accepted meanwhile (a
    // server in the same process) has a listening port as its own.
    std::vector<int> listeningPorts;
    for (int fd : now) {
        if (isListening(fd))
            listeningPorts.push_back(localPort(fd));
    }
    std::vector<int> found;
    for (int fd : now) {
        if (std::binary_search(before.begin(), before.end(), fd) || !isConnectedStream(fd))
            continue;
        if (std::find(listeningPorts.begin(), listeningPorts.end(), localPort(fd)) == listeningPorts.end())
            found.push_back(fd);
    }
    return found;
}

quint64 bytesReceived(const std::vector<int>& sockets)
{
    quint64 total = 0;
    for (int fd : sockets) {
        tcp_info info{};
        socklen_t length = sizeof info;
        if (::getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &length) == 0)
            total += info.tcpi_bytes_received;
    }
    return total;
}

void shutdownSockets(const std::vector<int>& sockets)
{
    for (int fd : sockets)
        ::shutdown(fd, SHUT_RDWR);
}

#else

std::vector<int> openSocketDescriptors()
{
    return {};
}

std::vector<int> newClientSockets(const std::vector<int>&)
{
    return {};
}

quint64 bytesReceived(const std::vector<int>&)
{
    return 0;
}

void shutdownSockets(const std::vector<int>&) {}

#endif

} // namespace tw
