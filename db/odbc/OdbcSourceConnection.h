#pragma once

#include "db/SourceAccess.h"

#include <memory>
#include <optional>

namespace tw {

class OdbcLink;

// The source connection over ODBC. Opening translates the wizard's
// "Provider=SQLOLEDB.1;..." string for the configured driver (FreeTDS unless
// the user names another), logs on, and raises the session's text size to
// the maximum so that text, ntext, image and (max) values arrive whole.
class OdbcSourceConnection : public SourceConnection {
public:
    OdbcSourceConnection();
    ~OdbcSourceConnection() override;

    void close() override;
    void open() override;
    bool isOpen() const override;
    // The query must not outlive the connection object.
    std::unique_ptr<SourceQuery> createQuery() override;
    std::unique_ptr<SourceConnection> createSibling() const override;

    // Seconds a logon may take (15 unless changed).
    void setLoginTimeout(int seconds) { loginTimeout_ = seconds; }
    // Seconds a query may wait for the server's first answer, and for each
    // further answer while its rows are fetched (0 waits for ever). Unless
    // set here, open() takes them from the user's settings (600 and 120 by
    // default): long enough for a count over a very large table, short
    // enough that a silent server cannot hang an unattended job. Apply to
    // queries opened afterwards.
    void setQueryTimeout(int seconds) { queryTimeoutOverride_ = seconds; }
    void setFetchTimeout(int seconds) { fetchTimeoutOverride_ = seconds; }
    int queryTimeout() const { return queryTimeoutOverride_.value_or(queryTimeout_); }
    int fetchTimeout() const { return fetchTimeoutOverride_.value_or(fetchTimeout_); }

    // The session queries run on; a Failure when the connection is closed.
    std::shared_ptr<OdbcLink> link() const;

private:
    std::shared_ptr<OdbcLink> link_;
    int loginTimeout_ = 15;
    std::optional<int> queryTimeoutOverride_;
    std::optional<int> fetchTimeoutOverride_;
    int queryTimeout_ = 600;
    int fetchTimeout_ = 120;
};

// The messages of an operation on a closed, or an open, connection or query.
QString closedObjectMessage();
QString objectOpenMessage();

} // namespace tw
