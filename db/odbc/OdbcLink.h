#pragma once

#include "db/odbc/OdbcHandle.h"

#include <QString>
#include <set>

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

    // Runs a statement that returns no rows.
    void execute(const QString& sql);

private:
    OdbcHandle environment_{SQL_HANDLE_ENV};
    OdbcHandle connection_{SQL_HANDLE_DBC};
    bool connected_ = false;
    std::set<SQLHSTMT> statements_;
};

// The text as the wide-character ODBC functions take it.
std::u16string toOdbcText(const QString& text);

} // namespace tw
