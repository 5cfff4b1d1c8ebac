#pragma once

#include "db/oci/OciTypes.h"

namespace tw::oci {

// The OCI entry points the target layer calls, resolved by name from the
// Oracle client library at run time. Signatures as in Oracle's OCI reference.
struct OciApi {
    sword (*OCIEnvNlsCreate)(OCIEnv** envhpp, ub4 mode, void* ctxp, void* (*malocfp)(void*, size_t),
                             void* (*ralocfp)(void*, void*, size_t), void (*mfreefp)(void*, void*),
                             size_t xtramemsz, void** usrmempp, ub2 charset, ub2 ncharset);
    sword (*OCIHandleAlloc)(const void* parenth, void** hndlpp, ub4 type, size_t xtramem_sz, void** usrmempp);
    sword (*OCIHandleFree)(void* hndlp, ub4 type);
    sword (*OCIDescriptorFree)(void* descp, ub4 type);
    sword (*OCIErrorGet)(void* hndlp, ub4 recordno, OraText* sqlstate, sb4* errcodep, OraText* bufp, ub4 bufsiz,
                         ub4 type);
    sword (*OCIAttrGet)(const void* trgthndlp, ub4 trghndltyp, void* attributep, ub4* sizep, ub4 attrtype,
                        OCIError* errhp);
    sword (*OCIAttrSet)(void* trgthndlp, ub4 trghndltyp, void* attributep, ub4 size, ub4 attrtype,
                        OCIError* errhp);
    sword (*OCIServerAttach)(OCIServer* srvhp, OCIError* errhp, const OraText* dblink, sb4 dblink_len, ub4 mode);
    sword (*OCIServerDetach)(OCIServer* srvhp, OCIError* errhp, ub4 mode);
    sword (*OCISessionBegin)(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp, ub4 credt, ub4 mode);
    sword (*OCISessionEnd)(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp, ub4 mode);
    sword (*OCIStmtPrepare2)(OCISvcCtx* svchp, OCIStmt** stmthp, OCIError* errhp, const OraText* stmttext,
                             ub4 stmt_len, const OraText* key, ub4 keylen, ub4 language, ub4 mode);
    sword (*OCIStmtRelease)(OCIStmt* stmthp, OCIError* errhp, const OraText* key, ub4 keylen, ub4 mode);
    sword (*OCIStmtExecute)(OCISvcCtx* svchp, OCIStmt* stmthp, OCIError* errhp, ub4 iters, ub4 rowoff,
                            const OCISnapshot* snap_in, OCISnapshot* snap_out, ub4 mode);
    sword (*OCIStmtFetch2)(OCIStmt* stmthp, OCIError* errhp, ub4 nrows, ub2 orientation, sb4 fetchOffset,
                           ub4 mode);
    sword (*OCIParamGet)(const void* hndlp, ub4 htype, OCIError* errhp, void** parmdpp, ub4 pos);
    sword (*OCIBindByPos)(OCIStmt* stmtp, OCIBind** bindpp, OCIError* errhp, ub4 position, void* valuep,
                          sb4 value_sz, ub2 dty, void* indp, ub2* alenp, ub2* rcodep, ub4 maxarr_len,
                          ub4* curelep, ub4 mode);
    sword (*OCIBindDynamic)(OCIBind* bindp, OCIError* errhp, void* ictxp, OCICallbackInBind icbfp, void* octxp,
                            OCICallbackOutBind ocbfp);
    sword (*OCIDefineByPos)(OCIStmt* stmtp, OCIDefine** defnpp, OCIError* errhp, ub4 position, void* valuep,
                            sb4 value_sz, ub2 dty, void* indp, ub2* rlenp, ub2* rcodep, ub4 mode);
    sword (*OCITransCommit)(OCISvcCtx* svchp, OCIError* errhp, ub4 flags);
    sword (*OCITransRollback)(OCISvcCtx* svchp, OCIError* errhp, ub4 flags);
    sword (*OCIDescriptorAlloc)(const void* parenth, void** descpp, ub4 type, size_t xtramem_sz, void** usrmempp);
    sword (*OCILobCreateTemporary)(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub2 csid, ub1 csfrm,
                                   ub1 lobtype, OciBoolean cache, OCIDuration duration);
    sword (*OCILobWrite)(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub4* amtp, ub4 offset, void* bufp,
                         ub4 buflen, ub1 piece, void* ctxp, sb4 (*cbfp)(void*, void*, ub4*, ub1*), ub2 csid,
                         ub1 csfrm);
    sword (*OCILobFreeTemporary)(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp);
};

} // namespace tw::oci
