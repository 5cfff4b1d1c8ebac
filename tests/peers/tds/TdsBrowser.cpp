#include "peers/tds/TdsBrowser.h"

#include "peers/tds/LoopbackSocket.h"

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
    socket_ = loopback::bindUdp(kBrowserPort);
    if (socket_ == loopback::kNoSocket)
        return false;
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
    loopback::closeSocket(socket_);
    socket_ = loopback::kNoSocket;
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
    const auto reply = [this](const QByteArray& request) {
        bool wanted = request[0] == kAllInstancesBroadcast || request[0] == kAllInstances;
        if (request[0] == kOneInstance) {
            const QByteArray name = request.mid(1);
            const QString asked = QString::fromLatin1(name.constData(), int(qstrnlen(name.constData(), name.size())));
            // An unknown instance gets no answer, as from the real browser.
            wanted = asked.compare(instance_, Qt::CaseInsensitive) == 0;
        }
        return wanted ? answer() : QByteArray();
    };
    while (!stopping_)
        loopback::answerDatagram(socket_, 100, reply);
}

} // namespace peers
