#pragma once

#include "db/oci/OciApi.h"

#include <QString>

namespace tw::oci {

// One logged-on Oracle session: the environment (AL32UTF8 for both the
// database and the national character set, whatever NLS_LANG says), the
// error handle, the server attachment, the service context and the user
// session. Every failing call becomes a Failure carrying Oracle's own text
// ("ORA-nnnnn: ...").
class OciSession {
public:
    // Attaches to the connect string (TNS alias or host:port/service) and
    // logs on with user name and password.
    OciSession(const OciApi& api, const QString& connectString, const QString& user, const QString& password);
    ~OciSession();
    OciSession(const OciSession&) = delete;
    OciSession& operator=(const OciSession&) = delete;

    // Ends the session and frees every handle; later calls fail. Ending a
    // session commits its open transaction (OCISessionEnd, OCI Programmer's
    // Guide), so work that no finished batch committed is rolled back first;
    // when that rollback fails the server attachment is dropped without
    // ending the session, which the server treats as a lost connection and
    // rolls back.
    void logoff();
    bool isLoggedOn() const { return env_ != nullptr; }
    // A Failure unless the session is logged on.
    void requireLoggedOn() const;

    const OciApi& api() const { return api_; }
    OCIEnv* env() const { return env_; }
    OCIError* error() const { return error_; }
    OCISvcCtx* service() const { return service_; }

    // Rows fetched ahead by each query (the RowsetSize parameter).
    void setPrefetchRows(ub4 rows) { prefetchRows_ = rows; }
    ub4 prefetchRows() const { return prefetchRows_; }

    // Throws a Failure with the client's message unless status is a success.
    void check(sword status) const;
    // The client's message for a failed status: every error record of the
    // error handle ("ORA-nnnnn: ..."), one per line.
    QString errorText(sword status) const;
    // The error records of another error handle, one per line (the errors
    // of single rows that an execute in batch error mode refused).
    QString errorRecordsOf(void* errorHandle) const;
    // The error records of the environment handle, which holds the errors
    // of calls that take no error handle (handle and descriptor
    // allocation); a text naming what was being allocated when it has none.
    QString environmentErrorText(const QString& allocated) const;

    // Marks work that only a commit or a rollback ends (an insert executed
    // without OCI_COMMIT_ON_SUCCESS).
    void noteUncommittedWork() { uncommitted_ = true; }
    // Rolls back such work before a statement of its own runs: a DDL
    // statement commits the open transaction, and a batch that a stop left
    // half sent must never be committed that way.
    void discardUnfinishedWork();
    // Counts the transactions ended by commit() and rollback(), so that a
    // batch sent in parts can tell that its transaction is still the one it
    // began.
    ub4 endedTransactions() const { return endedTransactions_; }

    void commit();
    void rollback();
    // Records a commit that rode on an execute (OCI_COMMIT_ON_SUCCESS).
    void noteCommitted();

private:
    void* allocHandle(ub4 type, const QString& what);
    void freeHandles();

    const OciApi& api_;
    OCIEnv* env_ = nullptr;
    OCIError* error_ = nullptr;
    OCIServer* server_ = nullptr;
    OCISvcCtx* service_ = nullptr;
    OCISession* session_ = nullptr;
    bool attached_ = false;
    bool sessionBegun_ = false;
    bool uncommitted_ = false;
    ub4 endedTransactions_ = 0;
    ub4 prefetchRows_ = 0;
};

} // namespace tw::oci
