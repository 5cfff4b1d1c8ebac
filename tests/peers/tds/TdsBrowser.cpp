#include "peers/tds/TdsBrowser.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace peers {

namespace {

constexpr quint16 kBrowserPort = 1434;
// Request kinds: every instance (broadcast or to one host), one named instance.
constexpr char kAllInstancesBroadcast = 0x02;
constexpr char kAllInstances = 0x03;
constexpr char kOneInstance = 0x04;
constexpr char kResponse = 0x05;

} // namespace

TdsBrowser::TdsBrowser(const QString& instance, quint16 tcpPort) : instance_(instance), tcpPort_(tcpPort) {}

TdsBrowser::~TdsBrowser()
{
    stop();
}

bool TdsBrowser::start()
{
    socket_ = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (socket_ < 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(kBrowserPort);
    if (::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(socket_);
        socket_ = -1;
        return false;
    }
    stopping_ = false;
    thread_ = std::thread([this] { serve(); });
    return true;
}

void TdsBrowser::stop()
{
    if (socket_ < 0)
        return;
    stopping_ = true;
    if (thread_.joinable())
        thread_.join();
    ::close(socket_);
    socket_ = -1;
}

QByteArray TdsBrowser::answer() const
{
    const QByteArray text = QStringLiteral("ServerName;LOOPBACK;InstanceName;%1;IsClustered;No;Version;15.0.2000.5;"
                                           "tcp;%2;;")
                                .arg(instance_)
                                .arg(tcpPort_)
                                .toLatin1();
    QByteArray message;
    message.append(kResponse);
    message.append(char(text.size() & 0xFF));
    message.append(char(text.size() >> 8));
    message.append(text);
    return message;
}

void TdsBrowser::serve()
{
    while (!stopping_) {
        pollfd wait{socket_, POLLIN, 0};
        if (::poll(&wait, 1, 100) <= 0)
            continue;
        char request[512];
        sockaddr_in from{};
        socklen_t fromLength = sizeof from;
        const ssize_t got =
            ::recvfrom(socket_, request, sizeof request, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (got < 1)
            continue;
        bool wanted = request[0] == kAllInstancesBroadcast || request[0] == kAllInstances;
        if (request[0] == kOneInstance) {
            const QString asked = QString::fromLatin1(request + 1, int(qstrnlen(request + 1, size_t(got - 1))));
            // An unknown instance gets no answer, as from the real browser.
            wanted = asked.compare(instance_, Qt::CaseInsensitive) == 0;
        }
        if (!wanted)
            continue;
        const QByteArray message = answer();
        ::sendto(socket_, message.constData(), size_t(message.size()), 0, reinterpret_cast<sockaddr*>(&from),
                 fromLength);
    }
}

} // namespace peers
