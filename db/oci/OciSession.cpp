#include "db/oci/OciSession.h"

#include "db/Failure.h"

#include <QStringList>

namespace tw::oci {

namespace {

// Room for one error record's text: OCI_ERROR_MAXMSG_SIZE2 in oci.h.
constexpr int kErrorTextBytes = 3072;

// Every error record of a handle, read with OCIErrorGet from record 1 until
// it reports OCI_NO_DATA (OCI Programmer's Guide, OCIErrorGet), one per line;
// empty when the handle holds none.
QString errorRecords(const OciApi& api, void* handle, ub4 type)
{
    QStringList records;
    for (ub4 record = 1;; ++record) {
        OraText buffer[kErrorTextBytes] = {0};
        sb4 code = 0;
        if (api.OCIErrorGet(handle, record, nullptr, &code, buffer, sizeof buffer, type) != OCI_SUCCESS)
            break;
        const QString text = QString::fromUtf8(reinterpret_cast<const char*>(buffer)).trimmed();
        if (!text.isEmpty())
            records.append(text);
    }
    return records.join(QLatin1Char('\n'));
}

} // namespace

QString OciSession::errorRecordsOf(void* errorHandle) const
{
    return errorRecords(api_, errorHandle, OCI_HTYPE_ERROR);
}

QString OciSession::environmentErrorText(const QString& allocated) const
{
    const QString records = env_ ? errorRecords(api_, env_, OCI_HTYPE_ENV) : QString();
    return records.isEmpty() ? QStringLiteral("The Oracle client could not allocate %1.").arg(allocated) : records;
}

void* OciSession::allocHandle(ub4 type, const QString& what)
{
    void* handle = nullptr;
    const sword status = api_.OCIHandleAlloc(env_, &handle, type, 0, nullptr);
    if (status != OCI_SUCCESS || !handle)
        throw Failure(environmentErrorText(what));
    return handle;
}

OciSession::OciSession(const OciApi& api, const QString& connectString, const QString& user,
                       const QString& password)
    : api_(api)
{
    // The environment's character sets decide how every text and every
    // length crosses the client: AL32UTF8 makes them UTF-8 bytes. A run that
    // copies several tables at once works on several threads, which needs a
    // threaded environment for every session of the process (OCI
    // Programmer's Guide, "OCI Programming Advanced Topics": thread safety,
    // and OCIEnvNlsCreate, mode OCI_THREADED).
    const sword created = api_.OCIEnvNlsCreate(&env_, OCI_THREADED, nullptr, nullptr, nullptr, nullptr, 0, nullptr,
                                               AL32UTF8_ID, AL32UTF8_ID);
    if (created != OCI_SUCCESS && created != OCI_SUCCESS_WITH_INFO) {
        // A failed creation may still hand back an environment handle that
        // holds the reason (OCIEnvNlsCreate, OCI Programmer's Guide).
        QString message = env_ ? errorRecords(api_, env_, OCI_HTYPE_ENV) : QString();
        if (message.isEmpty())
            message = QStringLiteral("The Oracle client could not create its environment.");
        if (env_)
            api_.OCIHandleFree(env_, OCI_HTYPE_ENV);
        env_ = nullptr;
        throw Failure(message);
    }
    try {
        error_ = static_cast<OCIError*>(allocHandle(OCI_HTYPE_ERROR, QStringLiteral("an error handle")));
        server_ = static_cast<OCIServer*>(allocHandle(OCI_HTYPE_SERVER, QStringLiteral("a server handle")));
        service_ = static_cast<OCISvcCtx*>(allocHandle(OCI_HTYPE_SVCCTX, QStringLiteral("a service context")));
        session_ = static_cast<OCISession*>(allocHandle(OCI_HTYPE_SESSION, QStringLiteral("a session handle")));

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
    // OCISessionEnd commits the open transaction. Work that no finished
    // batch committed is rolled back first; if that fails, the session is
    // not ended at all: detaching from the server without ending it is a
    // lost connection to the server, which rolls the transaction back.
    // Failures here change nothing more for the caller.
    bool endSession = sessionBegun_;
    if (sessionBegun_ && uncommitted_)
        endSession = api_.OCITransRollback(service_, error_, OCI_DEFAULT) == OCI_SUCCESS;
    if (endSession)
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
    uncommitted_ = false;
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
    const QString records = error_ ? errorRecords(api_, error_, OCI_HTYPE_ERROR) : QString();
    if (records.isEmpty())
        return QStringLiteral("The Oracle client failed with status %1.").arg(status);
    return records;
}

void OciSession::commit()
{
    requireLoggedOn();
    check(api_.OCITransCommit(service_, error_, OCI_DEFAULT));
    noteCommitted();
}

void OciSession::noteCommitted()
{
    uncommitted_ = false;
    ++endedTransactions_;
}

void OciSession::rollback()
{
    requireLoggedOn();
    check(api_.OCITransRollback(service_, error_, OCI_DEFAULT));
    uncommitted_ = false;
    ++endedTransactions_;
}

void OciSession::discardUnfinishedWork()
{
    if (uncommitted_)
        rollback();
}

} // namespace tw::oci
