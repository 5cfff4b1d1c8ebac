#pragma once

#include "db/odbc/OdbcHandle.h"
#include "db/odbc/OdbcSockets.h"
#include "db/odbc/OdbcWatchdog.h"

#include <QString>
#include <atomic>
#include <functional>
#include <mutex>
#include <set>
#include <vector>

namespace tw {

// One session with the server through the driver manager: the environment
// and connection handles and the statements allocated on them. Queries share
// it with the connection object, so that a query still holding a statement
// when the connection closes finds its statement already freed instead of
// freeing it twice.
class OdbcLink {
public:
    // Connects with the ODBC connection string; a Failure carrying the
    // driver's diagnostics when the driver or the server refuses.
    OdbcLink(const QString& odbcConnectionString, int loginTimeoutSeconds);
    ~OdbcLink();
    OdbcLink(const OdbcLink&) = delete;
    OdbcLink& operator=(const OdbcLink&) = delete;

    // Frees every statement and ends the session; does nothing the second time.
    void disconnect();
    bool isConnected() const { return connected_; }

    SQLHSTMT allocateStatement();
    // Does nothing for a statement the link no longer holds.
    void freeStatement(SQLHSTMT statement);
    // Runs driver calls on a statement from another thread (the fetching
    // ahead of a query) unless the link has freed the statement meanwhile,
    // which is a Failure; freeing the link's statements waits for the call.
    void callOnStatement(SQLHSTMT statement, const std::function<void()>& call);

    // Runs a statement that returns no rows.
    void execute(const QString& sql);

    // Watches the driver calls made while it lives: when the server sends
    // nothing for the given seconds (0: no limit), the connection is torn
    // down under the waiting call, which then returns with a failure.
    class Watch {
    public:
        Watch(OdbcLink& link, SQLHSTMT statement, int seconds);
        ~Watch();
        Watch(const Watch&) = delete;
        Watch& operator=(const Watch&) = delete;

    private:
        OdbcLink& link_;
    };

    // Whether the session is gone: torn down for silence, or reported dead
    // by the driver (the server closed it, the network failed).
    bool isLost() const;
    bool wasTornDown() const { return watchdog_.fired(); }

private:
    void tearDown();

    OdbcHandle environment_{SQL_HANDLE_ENV};
    OdbcHandle connection_{SQL_HANDLE_DBC};
    bool connected_ = false;
    std::mutex statementsMutex_;  // guards statements_ and calls from other threads
    std::set<SQLHSTMT> statements_;
    // The driver's sockets of this session, and the statement being watched.
    std::vector<int> sockets_;
    std::atomic<SQLHSTMT> watched_{SQL_NULL_HSTMT};
    OdbcWatchdog watchdog_{[this] { return bytesReceived(sockets_); }, [this] { tearDown(); }};
};

// The text as the wide-character ODBC functions take it.
std::u16string toOdbcText(const QString& text);

} // namespace tw
