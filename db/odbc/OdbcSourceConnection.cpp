#include "db/odbc/OdbcSourceConnection.h"

#include "db/Failure.h"
#include "db/odbc/OdbcConnectionString.h"
#include "db/odbc/OdbcDriverSetting.h"
#include "db/odbc/OdbcLink.h"
#include "db/odbc/OdbcLogonFailure.h"
#include "db/odbc/OdbcSourceQuery.h"
#include "db/odbc/OdbcTimeLimits.h"

namespace tw {

QString closedObjectMessage()
{
    return QStringLiteral("Operation is not allowed when the object is closed.");
}

QString objectOpenMessage()
{
    return QStringLiteral("Operation is not allowed when the object is open.");
}

OdbcSourceConnection::OdbcSourceConnection() = default;

OdbcSourceConnection::~OdbcSourceConnection()
{
    close();
}

void OdbcSourceConnection::close()
{
    if (link_)
        link_->disconnect();
    link_.reset();
}

void OdbcSourceConnection::open()
{
    if (isOpen())
        throw Failure(objectOpenMessage());
    close();
    queryTimeout_ = queryTimeoutOverride_ ? *queryTimeoutOverride_ : configuredQueryTimeout();
    fetchTimeout_ = fetchTimeoutOverride_ ? *fetchTimeoutOverride_ : configuredFetchTimeout();
    const QString configured = configuredOdbcDriver();
    std::shared_ptr<OdbcLink> link;
    try {
        link = std::make_shared<OdbcLink>(odbcConnectionString(connectionString(), resolveOdbcDriver(configured)),
                                          loginTimeout_);
    } catch (const Failure& failure) {
        // The driver's text seldom says which server, port and driver it tried.
        throw Failure(logonFailureText(connectionString(), configured, failure.message(), kWindowsLogonNeedsKerberos));
    }
    // The default text size cuts text, ntext, image and (max) values short.
    link->execute(QStringLiteral("SET TEXTSIZE 2147483647"));
    link_ = std::move(link);
}

bool OdbcSourceConnection::isOpen() const
{
    return link_ && link_->isConnected();
}

std::unique_ptr<SourceQuery> OdbcSourceConnection::createQuery()
{
    return std::make_unique<OdbcSourceQuery>(*this);
}

std::shared_ptr<OdbcLink> OdbcSourceConnection::link() const
{
    if (!isOpen())
        throw Failure(closedObjectMessage());
    return link_;
}

} // namespace tw
