#pragma once

#include "peers/sqlserver/ModelSqlServer.h"

#include <QStringList>
#include <atomic>
#include <condition_variable>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

namespace peers {

class TdsSocket;

// A loopback SQL Server for the wire tests: it listens on 127.0.0.1 at a
// port the system picks (or a given one), serves each connection on a thread of its own and
// answers through the TDS protocol from the model it stands on. The model
// must outlive the server.
class TdsServer {
public:
    explicit TdsServer(const ModelSqlServer& model);
    ~TdsServer();
    TdsServer(const TdsServer&) = delete;
    TdsServer& operator=(const TdsServer&) = delete;

    // Listens on the port, or on one the system picks (0); throws
    // std::runtime_error when no socket can be had or the port is taken.
    void start(quint16 port = 0);
    // Closes every connection and joins every thread.
    void stop();
    quint16 port() const { return port_; }

    // Faults for the tests: after this many rows of the next results the
    // connection is dropped, or it goes silent as a frozen server does,
    // ignoring a cancel as well (negative: off).
    void dropConnectionAfterRows(int rows) { dropAfterRows_ = rows; }
    void stallAfterRows(int rows) { stallAfterRows_ = rows; }

    // The SQL batches received so far, in order, from every connection.
    QStringList batches() const;
    // The logons attempted so far, as "login@database".
    QStringList logins() const;

private:
    struct Connection;
    void acceptLoop();
    void serve(Connection* connection);

    const ModelSqlServer& model_;
    qintptr listener_ = -1;
    quint16 port_ = 0;
    std::thread acceptThread_;
    std::atomic<bool> stopping_{false};
    std::atomic<int> dropAfterRows_{-1};
    std::atomic<int> stallAfterRows_{-1};
    quint16 nextSpid_ = 51;

    mutable std::mutex mutex_;  // guards the records and the connection list
    std::mutex modelMutex_;
    std::condition_variable stopped_;
    QStringList batches_;
    QStringList logins_;
    std::list<std::unique_ptr<Connection>> connections_;
};

} // namespace peers
