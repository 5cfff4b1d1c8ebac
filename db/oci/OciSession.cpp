#include "db/oci/OciSession.h"

#include "db/Failure.h"

namespace tw::oci {

namespace {

QString textFromClient(const OraText* text)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(text)).trimmed();
}

void* allocHandle(const OciApi& api, OCIEnv* env, ub4 type)
{
    void* handle = nullptr;
    const sword status = api.OCIHandleAlloc(env, &handle, type, 0, nullptr);
    if (status != OCI_SUCCESS || !handle)
        throw Failure(QStringLiteral("The Oracle client could not allocate a handle of type %1.").arg(type));
    return handle;
}

} // namespace

OciSession::OciSession(const OciApi& api, const QString& connectString, const QString& user,
                       const QString& password)
    : api_(api)
{
    // The environment's character sets decide how every text and every
    // length crosses the client: AL32UTF8 makes them UTF-8 bytes.
    const sword created = api_.OCIEnvNlsCreate(&env_, OCI_DEFAULT, nullptr, nullptr, nullptr, nullptr, 0, nullptr,
                                               AL32UTF8_ID, AL32UTF8_ID);
    if (created != OCI_SUCCESS) {
        QString message = QStringLiteral("The Oracle client could not create its environment.");
        if (env_) {
            OraText buffer[2048] = {0};
            sb4 code = 0;
            if (api_.OCIErrorGet(env_, 1, nullptr, &code, buffer, sizeof buffer, OCI_HTYPE_ENV) == OCI_SUCCESS)
                message = textFromClient(buffer);
            api_.OCIHandleFree(env_, OCI_HTYPE_ENV);
            env_ = nullptr;
        }
        throw Failure(message);
    }
    try {
        error_ = static_cast<OCIError*>(allocHandle(api_, env_, OCI_HTYPE_ERROR));
        server_ = static_cast<OCIServer*>(allocHandle(api_, env_, OCI_HTYPE_SERVER));
        service_ = static_cast<OCISvcCtx*>(allocHandle(api_, env_, OCI_HTYPE_SVCCTX));
        session_ = static_cast<OCISession*>(allocHandle(api_, env_, OCI_HTYPE_SESSION));

        const QByteArray database = connectString.toUtf8();
        check(api_.OCIServerAttach(server_, error_, reinterpret_cast<const OraText*>(database.constData()),
                                   sb4(database.size()), OCI_DEFAULT));
        attached_ = true;
        check(api_.OCIAttrSet(service_, OCI_HTYPE_SVCCTX, server_, 0, OCI_ATTR_SERVER, error_));

        QByteArray userName = user.toUtf8();
        QByteArray secret = password.toUtf8();
        check(api_.OCIAttrSet(session_, OCI_HTYPE_SESSION, userName.data(), ub4(userName.size()),
                              OCI_ATTR_USERNAME, error_));
        check(api_.OCIAttrSet(session_, OCI_HTYPE_SESSION, secret.data(), ub4(secret.size()), OCI_ATTR_PASSWORD,
                              error_));
        check(api_.OCISessionBegin(service_, error_, session_, OCI_CRED_RDBMS, OCI_DEFAULT));
        sessionBegun_ = true;
        check(api_.OCIAttrSet(service_, OCI_HTYPE_SVCCTX, session_, 0, OCI_ATTR_SESSION, error_));
    } catch (...) {
        freeHandles();
        throw;
    }
}

OciSession::~OciSession()
{
    freeHandles();
}

void OciSession::logoff()
{
    freeHandles();
}

void OciSession::freeHandles()
{
    if (!env_)
        return;
    // Ending the session rolls back whatever is uncommitted; failures here
    // (a connection already lost) change nothing for the caller.
    if (sessionBegun_)
        api_.OCISessionEnd(service_, error_, session_, OCI_DEFAULT);
    if (attached_)
        api_.OCIServerDetach(server_, error_, OCI_DEFAULT);
    // Freeing the environment frees every handle allocated under it.
    api_.OCIHandleFree(env_, OCI_HTYPE_ENV);
    env_ = nullptr;
    error_ = nullptr;
    server_ = nullptr;
    service_ = nullptr;
    session_ = nullptr;
    attached_ = false;
    sessionBegun_ = false;
}

void OciSession::requireLoggedOn() const
{
    if (!isLoggedOn())
        throw Failure(QStringLiteral("The connection to Oracle is closed."));
}

void OciSession::check(sword status) const
{
    if (status == OCI_SUCCESS || status == OCI_SUCCESS_WITH_INFO)
        return;
    throw Failure(errorText(status));
}

QString OciSession::errorText(sword status) const
{
    switch (status) {
    case OCI_INVALID_HANDLE:
        return QStringLiteral("The Oracle client reported an invalid handle.");
    case OCI_NO_DATA:
        return QStringLiteral("The Oracle client reported no data.");
    case OCI_NEED_DATA:
        return QStringLiteral("The Oracle client asked for bind data at run time.");
    default:
        break;
    }
    OraText buffer[4096] = {0};
    sb4 code = 0;
    if (!error_ || api_.OCIErrorGet(error_, 1, nullptr, &code, buffer, sizeof buffer, OCI_HTYPE_ERROR) != OCI_SUCCESS)
        return QStringLiteral("The Oracle client failed with status %1.").arg(status);
    return textFromClient(buffer);
}

void OciSession::commit()
{
    requireLoggedOn();
    check(api_.OCITransCommit(service_, error_, OCI_DEFAULT));
}

void OciSession::rollback()
{
    requireLoggedOn();
    check(api_.OCITransRollback(service_, error_, OCI_DEFAULT));
}

} // namespace tw::oci
