#pragma once

#include "peers/sqlserver/ModelSqlServer.h"

#include <QStringList>
#include <functional>
#include <memory>

namespace peers {

class TdsSocket;
class TdsMessageWriter;

// What a session needs from its server: the model, and the fault settings
// and records the tests use.
struct TdsSessionHost {
    const ModelSqlServer* model = nullptr;
    // Runs a call on the model under the server's lock.
    std::function<void(const std::function<void()>&)> withModel;
    // After this many rows of a result the session drops the connection
    // (negative: never).
    std::function<int()> dropAfterRows;
    // After this many rows of a result the session stops sending until the
    // server stops (negative: never).
    std::function<int()> stallAfterRows;
    // Blocks until the server stops.
    std::function<void()> waitForStop;
    std::function<void(const QString&)> recordBatch;
    std::function<void(const QString& login, const QString& database)> recordLogin;
};

// One client connection, from PRELOGIN to its end: the logon against the
// model, SQL batches answered with the model's results, attention requests,
// and the session's SET TEXTSIZE. What it does not implement it refuses with
// a TDS error message.
class TdsSession {
public:
    TdsSession(TdsSocket& socket, const TdsSessionHost& host, quint16 spid);
    ~TdsSession();

    // Serves the connection until the client leaves or the socket is shut.
    void run();

private:
    void handlePreLogin(const QByteArray& data);
    void handleLogin(const QByteArray& data);
    void handleBatch(const QByteArray& data);
    void handleAttention();
    void sendResult(const MsResult& result);
    void sendError(int number, int state, int severity, const QString& text, bool closeAfter);
    void refuse(const QString& text);

    TdsSocket& socket_;
    const TdsSessionHost& host_;
    quint16 spid_;
    int packetSize_ = 4096;
    quint32 tdsVersion_ = 0x74000004;
    bool loggedOn_ = false;
    bool closing_ = false;
    MsSession session_;
    // The server's default text size until the client sets one.
    qint64 textSize_ = 4096;
};

} // namespace peers
