#include "peers/tds/TdsServer.h"

#include "peers/tds/TdsBuffer.h"
#include "peers/tds/TdsSession.h"
#include "peers/tds/TdsSocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace peers {

struct TdsServer::Connection {
    std::unique_ptr<TdsSocket> socket;
    std::thread thread;
};

TdsServer::TdsServer(const ModelSqlServer& model) : model_(model) {}

TdsServer::~TdsServer()
{
    stop();
}

void TdsServer::start(quint16 port)
{
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    if (listener_ < 0)
        throw std::runtime_error("no socket for the TDS peer");
    // A fixed port may still hold connections of an earlier run in TIME_WAIT.
    const int reuse = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    socklen_t length = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener_, 16) != 0
        || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(listener_);
        listener_ = -1;
        throw std::runtime_error("the TDS peer cannot listen on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
    stopping_ = false;
    acceptThread_ = std::thread([this] { acceptLoop(); });
}

void TdsServer::stop()
{
    if (listener_ < 0)
        return;
    stopping_ = true;
    ::shutdown(listener_, SHUT_RDWR);
    if (acceptThread_.joinable())
        acceptThread_.join();
    ::close(listener_);
    listener_ = -1;

    std::list<std::unique_ptr<Connection>> connections;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        connections.swap(connections_);
        for (const auto& connection : connections)
            connection->socket->shutdown();
    }
    stopped_.notify_all();
    for (const auto& connection : connections) {
        if (connection->thread.joinable())
            connection->thread.join();
    }
}

void TdsServer::acceptLoop()
{
    while (!stopping_) {
        const int fd = ::accept(listener_, nullptr, nullptr);
        if (fd < 0) {
            if (stopping_)
                return;
            continue;
        }
        std::lock_guard<std::mutex> lock(mutex_);
        auto connection = std::make_unique<Connection>();
        connection->socket = std::make_unique<TdsSocket>(fd);
        Connection* raw = connection.get();
        connections_.push_back(std::move(connection));
        raw->thread = std::thread([this, raw] { serve(raw); });
    }
}

void TdsServer::serve(Connection* connection)
{
    TdsSessionHost host;
    host.model = &model_;
    host.withModel = [this](const std::function<void()>& call) {
        std::lock_guard<std::mutex> lock(modelMutex_);
        call();
    };
    host.dropAfterRows = [this] { return dropAfterRows_.load(); };
    host.stallAfterRows = [this] { return stallAfterRows_.load(); };
    host.waitForStop = [this] {
        std::unique_lock<std::mutex> lock(mutex_);
        stopped_.wait(lock, [this] { return stopping_.load(); });
    };
    host.recordBatch = [this](const QString& sql) {
        std::lock_guard<std::mutex> lock(mutex_);
        batches_.append(sql);
    };
    host.recordLogin = [this](const QString& login, const QString& database) {
        std::lock_guard<std::mutex> lock(mutex_);
        logins_.append(login + QLatin1Char('@') + database);
    };
    quint16 spid = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        spid = nextSpid_++;
    }
    TdsSession session(*connection->socket, host, spid);
    try {
        session.run();
    } catch (const TdsConnectionClosed&) {
    } catch (const TdsProtocolError&) {
    }
    connection->socket->shutdown();
}

QStringList TdsServer::batches() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return batches_;
}

QStringList TdsServer::logins() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return logins_;
}

} // namespace peers
