#include "db/oci/OciTargetConnection.h"

#include "db/OracleSessionSettings.h"
#include "db/oci/OciLibrary.h"
#include "db/oci/OciStatement.h"
#include "db/oci/OciRowWriter.h"
#include "db/oci/OciTargetStatement.h"

namespace tw {

using namespace oci;

OciTargetConnection::OciTargetConnection() = default;

OciTargetConnection::~OciTargetConnection()
{
    close();
}

void OciTargetConnection::open()
{
    close();
    const OciApi& api = loadOciApi();
    auto session = std::make_shared<OciSession>(api, param(QStringLiteral("Database")),
                                                param(QStringLiteral("User_Name")), param(QStringLiteral("Password")));
    for (const QString& setting : {characterLengthSemanticsSql(), clientFormatsSql()}) {
        OciStatement setup(session, setting);
        session->check(setup.execute(1, OCI_DEFAULT));
    }
    bool ok = false;
    const uint rowsetSize = param(QStringLiteral("RowsetSize")).trimmed().toUInt(&ok);
    if (ok)
        session->setPrefetchRows(rowsetSize);
    session_ = std::move(session);
}

void OciTargetConnection::close()
{
    // Statements and writers that still hold the session see it logged off.
    if (session_)
        session_->logoff();
    session_.reset();
}

bool OciTargetConnection::isOpen() const
{
    return session_ && session_->isLoggedOn();
}

std::unique_ptr<TargetStatement> OciTargetConnection::createStatement()
{
    return std::make_unique<OciTargetStatement>([this] { return session_; });
}

std::unique_ptr<RowWriter> OciTargetConnection::createRowWriter()
{
    return std::make_unique<OciRowWriter>([this] { return session_; });
}

std::unique_ptr<TargetConnection> OciTargetConnection::createSibling() const
{
    auto sibling = std::make_unique<OciTargetConnection>();
    sibling->setParams(params());
    return sibling;
}

} // namespace tw
