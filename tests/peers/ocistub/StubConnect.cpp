// Environment, handles, attributes, errors, logon and transactions of the
// stand-in Oracle client.
#include "StubCalls.h"
#include "StubTables.h"
#include "StubValues.h"

#include <algorithm>
#include <cstring>

using namespace ocistub;

namespace ocistub {

sword fail(ErrorHandle* error, int code, const QString& message)
{
    return fail(error, peers::OraError(code, message));
}

sword fail(ErrorHandle* error, const peers::OraError& oracleError)
{
    if (error) {
        error->code = oracleError.code;
        error->message = oracleError.message;
    }
    return OCI_ERROR;
}

SessionHandle* liveSession(SvcCtxHandle* service)
{
    if (!service || !service->session || !service->session->begun)
        return nullptr;
    return service->session;
}

void* adopt(EnvHandle* env, std::unique_ptr<StubHandle> handle)
{
    handle->env = env;
    StubHandle* raw = handle.get();
    env->owned.push_back(std::move(handle));
    return raw;
}

void release(StubHandle* handle)
{
    auto& owned = handle->env->owned;
    owned.erase(std::remove_if(owned.begin(), owned.end(), [handle](const auto& h) { return h.get() == handle; }),
                owned.end());
}

QString oneLine(const QString& sql)
{
    QString line = sql;
    line.replace(QLatin1Char('\r'), QLatin1String("\\r")).replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return line;
}

OneThreadAtATime::OneThreadAtATime(const StubHandle* handle, const char* function)
    : env_(handle && handle->env && !handle->env->threaded ? handle->env : nullptr)
{
    if (env_ && env_->callsUnderWay.fetch_add(1) > 0)
        StubState::instance().record(QStringLiteral("CONCURRENT ") + QLatin1String(function));
}

OneThreadAtATime::~OneThreadAtATime()
{
    if (env_)
        env_->callsUnderWay.fetch_sub(1);
}

QString textFromClientBytes(const EnvHandle* env, const void* text, ub4 size)
{
    if (!text)
        return QString();
    return textFromClient(QByteArray(static_cast<const char*>(text), int(size)), env->charset);
}

// A session that goes without OCISessionEnd (its server detached, its
// environment freed) ends abnormally, and the server rolls back its open
// transaction (SQL Language Reference, ROLLBACK: "If you do not explicitly
// commit the transaction and the program terminates abnormally, then Oracle
// Database rolls back the last uncommitted transaction"; Database Concepts,
// "Transaction Management").
void endWithoutLogoff(SvcCtxHandle* service)
{
    SessionHandle* session = liveSession(service);
    if (!session)
        return;
    StubState& state = StubState::instance();
    if (!state.connectionDropped())
        session->session.rollback();
    StubTables::instance().rollback(session);
    session->begun = false;
    state.record(QStringLiteral("DISCONNECT %1").arg(session->user));
    state.sessionEnded();
}

void endSessionsOf(EnvHandle* env, const ServerHandle* server)
{
    for (const auto& handle : env->owned) {
        auto* service = dynamic_cast<SvcCtxHandle*>(handle.get());
        if (service && (!server || service->server == server))
            endWithoutLogoff(service);
    }
}

} // namespace ocistub

OCISTUB_EXPORT sword OCIEnvNlsCreate(OCIEnv** envhpp, ub4 mode, void*, void* (*)(void*, size_t),
                                     void* (*)(void*, void*, size_t), void (*)(void*, void*), size_t, void**,
                                     ub2 charset, ub2 ncharset)
{
    const StubLock lock;
    auto* env = new EnvHandle;
    env->env = env;
    env->threaded = (mode & OCI_THREADED) != 0;
    env->charset = charset;
    env->ncharset = ncharset;
    *envhpp = reinterpret_cast<OCIEnv*>(static_cast<StubHandle*>(env));
    StubState::instance().record(
        QStringLiteral("ENV charset=%1 ncharset=%2 mode=%3").arg(charset).arg(ncharset).arg(mode));
    return OCI_SUCCESS;
}

OCISTUB_EXPORT sword OCIHandleAlloc(const void* parenth, void** hndlpp, ub4 type, size_t, void**)
{
    const StubLock lock;
    auto* env = handleOf<EnvHandle>(parenth);
    if (!env || !hndlpp)
        return OCI_INVALID_HANDLE;
    std::unique_ptr<StubHandle> handle;
    switch (type) {
    case OCI_HTYPE_ERROR: handle = std::make_unique<ErrorHandle>(); break;
    case OCI_HTYPE_SERVER: handle = std::make_unique<ServerHandle>(); break;
    case OCI_HTYPE_SVCCTX: handle = std::make_unique<SvcCtxHandle>(); break;
    case OCI_HTYPE_SESSION: handle = std::make_unique<SessionHandle>(); break;
    default: return OCI_INVALID_HANDLE;
    }
    *hndlpp = adopt(env, std::move(handle));
    return OCI_SUCCESS;
}

OCISTUB_EXPORT sword OCIHandleFree(void* hndlp, ub4 type)
{
    const StubLock lock;
    auto* handle = handleOf<StubHandle>(hndlp);
    if (!handle || handle->type != type)
        return OCI_INVALID_HANDLE;
    if (type == OCI_HTYPE_ENV) {
        endSessionsOf(static_cast<EnvHandle*>(handle), nullptr);
        delete static_cast<EnvHandle*>(handle);
        return OCI_SUCCESS;
    }
    release(handle);
    return OCI_SUCCESS;
}

OCISTUB_EXPORT sword OCIDescriptorAlloc(const void* parenth, void** descpp, ub4 type, size_t, void**)
{
    const StubLock lock;
    auto* env = handleOf<EnvHandle>(parenth);
    if (!env || !descpp || type != OCI_DTYPE_LOB)
        return OCI_INVALID_HANDLE;
    *descpp = adopt(env, std::make_unique<LobHandle>());
    return OCI_SUCCESS;
}

OCISTUB_EXPORT sword OCIDescriptorFree(void* descp, ub4 type)
{
    const StubLock lock;
    auto* descriptor = handleOf<StubHandle>(descp);
    if (!descriptor || descriptor->type != type || (type != OCI_DTYPE_PARAM && type != OCI_DTYPE_LOB))
        return OCI_INVALID_HANDLE;
    release(descriptor);
    return OCI_SUCCESS;
}

OCISTUB_EXPORT sword OCIErrorGet(void* hndlp, ub4 recordno, OraText* sqlstate, sb4* errcodep, OraText* bufp,
                                 ub4 bufsiz, ub4 type)
{
    const StubLock lock;
    const ErrorHandle* error = nullptr;
    if (type == OCI_HTYPE_ERROR)
        error = handleOf<ErrorHandle>(hndlp);
    else if (type == OCI_HTYPE_ENV && handleOf<EnvHandle>(hndlp))
        error = &handleOf<EnvHandle>(hndlp)->lastError;
    if (!error)
        return OCI_INVALID_HANDLE;
    if (error->code == 0 || recordno != 1)
        return OCI_NO_DATA;
    if (errcodep)
        *errcodep = error->code;
    if (sqlstate)
        sqlstate[0] = '\0';
    // Oracle's messages end with a line break.
    const QByteArray text = (error->message + QLatin1Char('\n')).toUtf8();
    if (bufp && bufsiz > 0) {
        const ub4 copied = std::min<ub4>(ub4(text.size()), bufsiz - 1);
        std::memcpy(bufp, text.constData(), copied);
        bufp[copied] = '\0';
    }
    return OCI_SUCCESS;
}

OCISTUB_EXPORT sword OCIServerAttach(OCIServer* srvhp, OCIError* errhp, const OraText* dblink, sb4 dblink_len, ub4)
{
    const StubLock lock;
    auto* server = handleOf<ServerHandle>(srvhp);
    auto* error = handleOf<ErrorHandle>(errhp);
    if (!server || !error)
        return OCI_INVALID_HANDLE;
    StubState& state = StubState::instance();
    state.attachStarted();
    state.connectionRestored();
    server->service = textFromClientBytes(server->env, dblink, ub4(std::max(dblink_len, 0)));
    state.record(QStringLiteral("ATTACH %1").arg(server->service));
    // An unknown connect string fails here, as with a real client (ORA-12154);
    // the model reports it when asked to log on, so ask it with no user.
    try {
        state.model().logon(QString(), QString(), server->service);
    } catch (const peers::OraError& refused) {
        if (refused.code == 12154)
            return fail(error, refused);
    }
    server->attached = true;
    return OCI_SUCCESS;
}

OCISTUB_EXPORT sword OCIServerDetach(OCIServer* srvhp, OCIError*, ub4)
{
    const StubLock lock;
    auto* server = handleOf<ServerHandle>(srvhp);
    if (!server)
        return OCI_INVALID_HANDLE;
    endSessionsOf(server->env, server);
    server->attached = false;
    return OCI_SUCCESS;
}

OCISTUB_EXPORT sword OCIAttrSet(void* trgthndlp, ub4 trghndltyp, void* attributep, ub4 size, ub4 attrtype,
                                OCIError* errhp)
{
    const StubLock lock;
    auto* target = handleOf<StubHandle>(trgthndlp);
    auto* error = handleOf<ErrorHandle>(errhp);
    if (!target || target->type != trghndltyp)
        return OCI_INVALID_HANDLE;
    if (auto* service = dynamic_cast<SvcCtxHandle*>(target)) {
        if (attrtype == OCI_ATTR_SERVER && handleOf<ServerHandle>(attributep)) {
            service->server = handleOf<ServerHandle>(attributep);
            return OCI_SUCCESS;
        }
        if (attrtype == OCI_ATTR_SESSION && handleOf<SessionHandle>(attributep)) {
            service->session = handleOf<SessionHandle>(attributep);
            return OCI_SUCCESS;
        }
    } else if (auto* session = dynamic_cast<SessionHandle*>(target)) {
        if (attrtype == OCI_ATTR_USERNAME) {
            session->user = textFromClientBytes(session->env, attributep, size);
            return OCI_SUCCESS;
        }
        if (attrtype == OCI_ATTR_PASSWORD) {
            session->password = textFromClientBytes(session->env, attributep, size);
            return OCI_SUCCESS;
        }
    } else if (auto* statement = dynamic_cast<StmtHandle*>(target)) {
        if (attrtype == OCI_ATTR_PREFETCH_ROWS) {
            statement->prefetchRows = *static_cast<ub4*>(attributep);
            return OCI_SUCCESS;
        }
    } else if (auto* bind = dynamic_cast<BindHandle*>(target)) {
        if (attrtype == OCI_ATTR_CHARSET_FORM) {
            bind->charsetForm = *static_cast<ub1*>(attributep);
            return OCI_SUCCESS;
        }
    }
    return fail(error, 24315, QStringLiteral("illegal attribute type"));
}

OCISTUB_EXPORT sword OCISessionBegin(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp, ub4 credt, ub4)
{
    const StubLock lock;
    auto* service = handleOf<SvcCtxHandle>(svchp);
    auto* error = handleOf<ErrorHandle>(errhp);
    auto* session = handleOf<SessionHandle>(usrhp);
    if (!service || !error || !session)
        return OCI_INVALID_HANDLE;
    if (!service->server || !service->server->attached)
        return fail(error, 3114, QStringLiteral("not connected to ORACLE"));
    if (credt != OCI_CRED_RDBMS)
        return fail(error, 1017, QStringLiteral("invalid username/password; logon denied"));
    StubState& state = StubState::instance();
    try {
        session->session = state.model().logon(session->user, session->password, service->server->service);
    } catch (const peers::OraError& refused) {
        state.record(QStringLiteral("LOGON-REFUSED %1 ORA-%2").arg(session->user).arg(refused.code));
        return fail(error, refused);
    }
    session->begun = true;
    session->nls = NlsSettings::fromClientEnvironment();
    state.sessionBegun();
    state.record(QStringLiteral("LOGON %1").arg(session->user));
    return OCI_SUCCESS;
}

// Ending a session commits its open transaction: "The transaction specified
// by the service context is implicitly committed" (OCI Programmer's Guide,
// OCISessionEnd, Comments). A connection that is already lost has nothing
// left to commit.
OCISTUB_EXPORT sword OCISessionEnd(OCISvcCtx*, OCIError*, OCISession* usrhp, ub4)
{
    const StubLock lock;
    auto* session = handleOf<SessionHandle>(usrhp);
    if (!session)
        return OCI_INVALID_HANDLE;
    if (!session->begun)
        return OCI_SUCCESS;
    StubState& state = StubState::instance();
    if (!state.connectionDropped()) {
        try {
            session->session.commit();
        } catch (const peers::OraError&) {
            session->session.rollback();
        }
        StubTables::instance().commit(session);
    }
    StubTables::instance().rollback(session);
    session->begun = false;
    state.record(QStringLiteral("LOGOFF %1").arg(session->user));
    state.sessionEnded();
    return OCI_SUCCESS;
}

OCISTUB_EXPORT sword OCITransCommit(OCISvcCtx* svchp, OCIError* errhp, ub4)
{
    const StubLock lock;
    const OneThreadAtATime oneThread(handleOf<StubHandle>(svchp), "OCITransCommit");
    auto* error = handleOf<ErrorHandle>(errhp);
    SessionHandle* session = liveSession(handleOf<SvcCtxHandle>(svchp));
    StubState& state = StubState::instance();
    if (!session || state.connectionDropped())
        return fail(error, 3114, QStringLiteral("not connected to ORACLE"));
    try {
        session->session.commit();
    } catch (const peers::OraError& refused) {
        return fail(error, refused);
    }
    StubTables::instance().commit(session);
    state.record(QStringLiteral("COMMIT"));
    state.saveIfModelChanged();
    state.waitForServer(0);
    return OCI_SUCCESS;
}

OCISTUB_EXPORT sword OCITransRollback(OCISvcCtx* svchp, OCIError* errhp, ub4)
{
    const StubLock lock;
    const OneThreadAtATime oneThread(handleOf<StubHandle>(svchp), "OCITransRollback");
    auto* error = handleOf<ErrorHandle>(errhp);
    SessionHandle* session = liveSession(handleOf<SvcCtxHandle>(svchp));
    StubState& state = StubState::instance();
    if (!session || state.connectionDropped())
        return fail(error, 3114, QStringLiteral("not connected to ORACLE"));
    if (state.rollbackFails()) {
        state.record(QStringLiteral("ROLLBACK result=ORA-01013"));
        return fail(error, 1013, QStringLiteral("user requested cancel of current operation"));
    }
    session->session.rollback();
    StubTables::instance().rollback(session);
    state.record(QStringLiteral("ROLLBACK"));
    return OCI_SUCCESS;
}
