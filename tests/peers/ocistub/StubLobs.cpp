// Temporary LOBs of the stand-in Oracle client: created, written in one
// piece and freed, as the OCI Programmer's Guide describes
// OCILobCreateTemporary, OCILobWrite and OCILobFreeTemporary. Their content
// is what an insert that binds their locators stores.
#include "StubCalls.h"

using namespace ocistub;

OCISTUB_EXPORT sword OCILobCreateTemporary(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub2, ub1,
                                           ub1 lobtype, OciBoolean, OCIDuration)
{
    const StubLock lock;
    auto* error = handleOf<ErrorHandle>(errhp);
    auto* lob = handleOf<LobHandle>(locp);
    if (!error || !lob)
        return OCI_INVALID_HANDLE;
    if (!liveSession(handleOf<SvcCtxHandle>(svchp)) || StubState::instance().connectionDropped())
        return fail(error, 3114, QStringLiteral("not connected to ORACLE"));
    if (lobtype != OCI_TEMP_BLOB && lobtype != OCI_TEMP_CLOB)
        return fail(error, 24806, QStringLiteral("LOB form mismatch"));
    lob->temporary = true;
    lob->lobType = lobtype;
    lob->data.clear();
    return OCI_SUCCESS;
}

// Only whole writes in one piece from offset 1 are taken; the amount is in
// bytes, as it is for a client with a varying-width character set.
OCISTUB_EXPORT sword OCILobWrite(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub4* amtp, ub4 offset,
                                 void* bufp, ub4 buflen, ub1 piece, void*, sb4 (*)(void*, void*, ub4*, ub1*), ub2,
                                 ub1)
{
    const StubLock lock;
    auto* error = handleOf<ErrorHandle>(errhp);
    auto* lob = handleOf<LobHandle>(locp);
    if (!error || !lob || !amtp)
        return OCI_INVALID_HANDLE;
    if (!liveSession(handleOf<SvcCtxHandle>(svchp)) || StubState::instance().connectionDropped())
        return fail(error, 3114, QStringLiteral("not connected to ORACLE"));
    if (!lob->temporary)
        return fail(error, 22275, QStringLiteral("invalid LOB locator specified"));
    if (offset != 1 || piece != OCI_ONE_PIECE || *amtp != buflen)
        return fail(error, 24801, QStringLiteral("illegal parameter value in OCI lob function"));
    lob->data = QByteArray(static_cast<const char*>(bufp), int(buflen));
    return OCI_SUCCESS;
}

OCISTUB_EXPORT sword OCILobFreeTemporary(OCISvcCtx*, OCIError* errhp, OCILobLocator* locp)
{
    const StubLock lock;
    auto* error = handleOf<ErrorHandle>(errhp);
    auto* lob = handleOf<LobHandle>(locp);
    if (!error || !lob)
        return OCI_INVALID_HANDLE;
    if (!lob->temporary)
        return fail(error, 22275, QStringLiteral("invalid LOB locator specified"));
    lob->temporary = false;
    lob->data = QByteArray();
    return OCI_SUCCESS;
}
