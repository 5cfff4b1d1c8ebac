#include "db/odbc/OdbcLink.h"

#include "db/Failure.h"
#include "db/odbc/OdbcApi.h"
#include "db/odbc/OdbcDiagnostics.h"
#include "db/odbc/OdbcSourceConnection.h"

namespace tw {

std::u16string toOdbcText(const QString& text)
{
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), size_t(text.size()));
}

namespace {

SQLWCHAR* odbcChars(std::u16string& text)
{
    return reinterpret_cast<SQLWCHAR*>(text.data());
}

} // namespace

OdbcLink::OdbcLink(const QString& odbcConnectionString, int loginTimeoutSeconds)
{
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, environment_.out())))
        throw Failure(QStringLiteral("The ODBC driver manager could not allocate an environment"));
    checkOdbc(SQLSetEnvAttr(environment_.get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
              SQL_HANDLE_ENV, environment_.get(), "SQLSetEnvAttr");
    checkOdbc(SQLAllocHandle(SQL_HANDLE_DBC, environment_.get(), connection_.out()), SQL_HANDLE_ENV,
              environment_.get(), "SQLAllocHandle");
    checkOdbc(SQLSetConnectAttr(connection_.get(), SQL_ATTR_LOGIN_TIMEOUT,
                                reinterpret_cast<SQLPOINTER>(SQLULEN(loginTimeoutSeconds)), 0),
              SQL_HANDLE_DBC, connection_.get(), "SQLSetConnectAttr");

    std::u16string text = toOdbcText(odbcConnectionString);
    const std::vector<int> socketsBefore = openSocketDescriptors();
    SQLWCHAR completed[1024];
    SQLSMALLINT completedLength = 0;
    checkOdbc(SQLDriverConnectW(connection_.get(), nullptr, odbcChars(text), SQLSMALLINT(text.size()), completed,
                                SQLSMALLINT(sizeof completed / sizeof completed[0]), &completedLength,
                                SQL_DRIVER_NOPROMPT),
              SQL_HANDLE_DBC, connection_.get(), "SQLDriverConnect");
    connected_ = true;
    sockets_ = newClientSockets(socketsBefore);
}

OdbcLink::~OdbcLink()
{
    disconnect();
}

void OdbcLink::disconnect()
{
    watchdog_.disarm();
    std::lock_guard<std::mutex> lock(statementsMutex_);
    for (SQLHSTMT statement : statements_)
        SQLFreeHandle(SQL_HANDLE_STMT, statement);
    statements_.clear();
    if (connected_)
        SQLDisconnect(connection_.get());
    connected_ = false;
}

SQLHSTMT OdbcLink::allocateStatement()
{
    SQLHSTMT statement = SQL_NULL_HSTMT;
    checkOdbc(SQLAllocHandle(SQL_HANDLE_STMT, connection_.get(), &statement), SQL_HANDLE_DBC, connection_.get(),
              "SQLAllocHandle");
    std::lock_guard<std::mutex> lock(statementsMutex_);
    statements_.insert(statement);
    return statement;
}

void OdbcLink::freeStatement(SQLHSTMT statement)
{
    std::lock_guard<std::mutex> lock(statementsMutex_);
    if (statements_.erase(statement) > 0)
        SQLFreeHandle(SQL_HANDLE_STMT, statement);
}

void OdbcLink::callOnStatement(SQLHSTMT statement, const std::function<void()>& call)
{
    std::lock_guard<std::mutex> lock(statementsMutex_);
    if (statements_.count(statement) == 0)
        throw Failure(closedObjectMessage());
    call();
}

void OdbcLink::execute(const QString& sql)
{
    SQLHSTMT statement = allocateStatement();
    std::u16string text = toOdbcText(sql);
    const SQLRETURN rc = SQLExecDirectW(statement, odbcChars(text), SQLINTEGER(text.size()));
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) {
        const QString message = odbcDiagnostics(SQL_HANDLE_STMT, statement, QStringLiteral("SQLExecDirect failed"));
        freeStatement(statement);
        throw Failure(message);
    }
    freeStatement(statement);
}

OdbcLink::Watch::Watch(OdbcLink& link, SQLHSTMT statement, int seconds) : link_(link)
{
    link_.watched_ = statement;
    link_.watchdog_.arm(seconds);
}

OdbcLink::Watch::~Watch()
{
    link_.watchdog_.disarm();
    link_.watched_ = SQL_NULL_HSTMT;
}

bool OdbcLink::isLost() const
{
    if (watchdog_.fired())
        return true;
    SQLUINTEGER dead = SQL_CD_FALSE;
    const SQLRETURN rc = SQLGetConnectAttr(connection_.get(), SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr);
    return SQL_SUCCEEDED(rc) && dead == SQL_CD_TRUE;
}

// Runs on the watchdog's thread. Shutting the sockets down makes the
// driver's blocked read return at once; where the sockets are not known,
// the documented way to interrupt a call from another thread is the cancel.
void OdbcLink::tearDown()
{
    if (!sockets_.empty())
        shutdownSockets(sockets_);
    else if (SQLHSTMT statement = watched_)
        SQLCancel(statement);
}

} // namespace tw
