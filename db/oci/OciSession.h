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

    // Ends the session and frees every handle; later calls fail.
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
    // The client's message for a failed status ("ORA-nnnnn: ...").
    QString errorText(sword status) const;

    void commit();
    void rollback();

private:
    void freeHandles();

    const OciApi& api_;
    OCIEnv* env_ = nullptr;
    OCIError* error_ = nullptr;
    OCIServer* server_ = nullptr;
    OCISvcCtx* service_ = nullptr;
    OCISession* session_ = nullptr;
    bool attached_ = false;
    bool sessionBegun_ = false;
    ub4 prefetchRows_ = 0;
};

} // namespace tw::oci
