#include "peers/tds/TdsServer.h"

#include "peers/tds/TdsBuffer.h"
#include "peers/tds/TdsSession.h"
#include "peers/tds/TdsSocket.h"

#include "peers/tds/LoopbackSocket.h"

#include <stdexcept>

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
    listener_ = loopback::listenTcp(port, port_);
    if (listener_ == loopback::kNoSocket)
        throw std::runtime_error("the TDS peer cannot listen on 127.0.0.1");
    stopping_ = false;
    acceptThread_ = std::thread([this] { acceptLoop(); });
}

void TdsServer::stop()
{
    if (listener_ < 0)
        return;
    stopping_ = true;
    // A connection of its own wakes the accepting thread, on every system
    // (Winsock leaves an accept blocked when the listener is shut down).
    const qintptr wake = loopback::connectTcp(port_);
    if (acceptThread_.joinable())
        acceptThread_.join();
    if (wake != loopback::kNoSocket)
        loopback::closeSocket(wake);
    loopback::closeSocket(listener_);
    listener_ = loopback::kNoSocket;

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
        const qintptr socket = loopback::acceptTcp(listener_);
        if (socket == loopback::kNoSocket)
            continue;
        if (stopping_) {
            loopback::closeSocket(socket);
            return;
        }
        std::lock_guard<std::mutex> lock(mutex_);
        auto connection = std::make_unique<Connection>();
        connection->socket = std::make_unique<TdsSocket>(socket);
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
