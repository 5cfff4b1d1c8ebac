#pragma once

#include "db/SourceAccess.h"

#include <memory>

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

    // Seconds a logon may take (15 unless changed).
    void setLoginTimeout(int seconds) { loginTimeout_ = seconds; }
    // Seconds a query may wait for the server's next answer (600 unless
    // changed; 0 waits for ever). Long enough for a count over a very large
    // table, short enough that a silent server cannot hang an unattended
    // job. Applies to queries opened afterwards.
    void setQueryTimeout(int seconds) { queryTimeout_ = seconds; }
    int queryTimeout() const { return queryTimeout_; }

    // The session queries run on; a Failure when the connection is closed.
    std::shared_ptr<OdbcLink> link() const;

private:
    std::shared_ptr<OdbcLink> link_;
    int loginTimeout_ = 15;
    int queryTimeout_ = 600;
};

// The messages of an operation on a closed, or an open, connection or query.
QString closedObjectMessage();
QString objectOpenMessage();

} // namespace tw
