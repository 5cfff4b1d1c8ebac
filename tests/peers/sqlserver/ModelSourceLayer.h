#pragma once

#include "db/SourceAccess.h"
#include "peers/sqlserver/ModelSqlServer.h"

#include <optional>

namespace peers {

// The source access layer in process: a connection that logs on to a
// ModelSqlServer with the values of its "Provider=SQLOLEDB.1;..." string, and
// queries that run their SQL there. Server errors and misuse arrive as
// tw::Failure with the server's or the client library's own text. Queries
// refer to the connection object, which must outlive them.
class ModelSourceConnection : public tw::SourceConnection {
public:
    explicit ModelSourceConnection(ModelSqlServer& server);

    void close() override;
    void open() override;
    bool isOpen() const override;
    std::unique_ptr<tw::SourceQuery> createQuery() override;
    std::unique_ptr<tw::SourceConnection> createSibling() const override;

    ModelSqlServer& server() const { return server_; }
    // The session of the open link; a Failure when the connection is closed.
    const MsSession& session() const;
    // How many times open() has logged on, for tests of reconnection.
    int logonCount() const { return logonCount_; }

private:
    ModelSqlServer& server_;
    std::optional<MsSession> session_;
    int logonCount_ = 0;
};

} // namespace peers
