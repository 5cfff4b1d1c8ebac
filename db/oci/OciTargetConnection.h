#pragma once

#include "db/TargetAccess.h"
#include "db/oci/OciSession.h"

#include <memory>

namespace tw {

// The target connection over the Oracle Call Interface. Its parameter lines
// give Database (the connect string: TNS alias or host:port/service),
// User_Name, Password and RowsetSize (rows fetched ahead by queries); the
// other lines mean nothing to OCI and are ignored. The client library is
// loaded when the connection first opens. Statements and row writers made
// here ask it for its current session and must not outlive it.
class OciTargetConnection : public TargetConnection {
public:
    OciTargetConnection();
    ~OciTargetConnection() override;

    void open() override;
    void close() override;
    bool isOpen() const override;

    std::unique_ptr<TargetStatement> createStatement() override;
    std::unique_ptr<RowWriter> createRowWriter() override;
    std::unique_ptr<TargetConnection> createSibling() const override;

    // The logged-on session, or null while closed.
    std::shared_ptr<oci::OciSession> session() const { return session_; }

private:
    std::shared_ptr<oci::OciSession> session_;
};

} // namespace tw
