#pragma once

#include "peers/oracle/OraNls.h"
#include "db/oci/OciTypes.h"
#include "peers/oracle/ModelOracle.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <map>
#include <memory>
#include <vector>

// The handles of the stand-in Oracle client. Every handle the caller gets is
// one of these objects behind OCI's opaque pointer types; all of them belong
// to their environment and die with it, as OCI documents for
// OCIHandleFree on an environment handle.
namespace ocistub {

using namespace tw::oci;
using peers::ora::NlsSettings;

struct EnvHandle;

struct StubHandle {
    explicit StubHandle(ub4 handleType) : type(handleType) {}
    virtual ~StubHandle() = default;
    ub4 type;
    EnvHandle* env = nullptr;
};

// One row that an array DML in batch error mode refused: its iteration
// (from 0) and Oracle's error.
struct RowError {
    ub4 rowOffset = 0;
    int code = 0;
    QString message;
};

// The last error reported through this handle, for OCIErrorGet. After an
// execute in batch error mode it also holds the refused rows, which
// OCIParamGet hands out one by one into other error handles (rowOffset is
// then the row of the error that such a handle holds).
struct ErrorHandle : StubHandle {
    ErrorHandle() : StubHandle(OCI_HTYPE_ERROR) {}
    int code = 0;
    QString message;  // "ORA-nnnnn: ..."
    std::vector<RowError> rowErrors;
    ub4 rowOffset = 0;
};

struct EnvHandle : StubHandle {
    EnvHandle() : StubHandle(OCI_HTYPE_ENV) {}
    ub2 charset = 0;
    ub2 ncharset = 0;
    bool threaded = false;            // created with OCI_THREADED
    std::atomic<int> callsUnderWay{0};  // calls on its handles (OneThreadAtATime)
    ErrorHandle lastError;  // errors of calls that had no error handle
    std::vector<std::unique_ptr<StubHandle>> owned;
};

struct ServerHandle : StubHandle {
    ServerHandle() : StubHandle(OCI_HTYPE_SERVER) {}
    QString service;
    bool attached = false;
};

struct SessionHandle : StubHandle {
    SessionHandle() : StubHandle(OCI_HTYPE_SESSION) {}
    QString user;
    QString password;
    bool begun = false;
    peers::OraSession session;
    NlsSettings nls;
};

struct SvcCtxHandle : StubHandle {
    SvcCtxHandle() : StubHandle(OCI_HTYPE_SVCCTX) {}
    ServerHandle* server = nullptr;
    SessionHandle* session = nullptr;
};

struct BindHandle : StubHandle {
    BindHandle() : StubHandle(OCI_HTYPE_BIND) {}
    ub4 position = 0;
    void* value = nullptr;
    sb4 valueSize = 0;
    ub2 dataType = 0;
    void* indicators = nullptr;
    ub2* lengths = nullptr;
    ub4 mode = 0;
    ub1 charsetForm = SQLCS_IMPLICIT;
    void* callbackContext = nullptr;
    OCICallbackInBind callback = nullptr;
};

struct DefineHandle : StubHandle {
    DefineHandle() : StubHandle(OCI_HTYPE_DEFINE) {}
    ub4 position = 0;
    void* value = nullptr;
    sb4 valueSize = 0;
    ub2 dataType = 0;
    sb2* indicator = nullptr;
    ub2* returnLength = nullptr;
};

// A LOB locator descriptor; after OCILobCreateTemporary it stands for a
// temporary LOB whose content OCILobWrite fills.
struct LobHandle : StubHandle {
    LobHandle() : StubHandle(OCI_DTYPE_LOB) {}
    bool temporary = false;
    ub1 lobType = 0;  // OCI_TEMP_BLOB or OCI_TEMP_CLOB
    QByteArray data;
};

// A column parameter descriptor, with the attributes a select-list
// describe returns.
struct ParamHandle : StubHandle {
    ParamHandle() : StubHandle(OCI_DTYPE_PARAM) {}
    QByteArray name;  // in the environment's character set
    ub2 dataType = 0;
    ub2 dataSize = 0;
    sb2 precision = 0;
    sb1 scale = 0;
    ub1 charsetForm = SQLCS_IMPLICIT;
};

struct StmtHandle : StubHandle {
    StmtHandle() : StubHandle(OCI_HTYPE_STMT) {}
    QString sql;
    ub2 statementType = 0;
    std::map<ub4, std::unique_ptr<BindHandle>> binds;
    std::map<ub4, std::unique_ptr<DefineHandle>> defines;
    peers::OraResult result;
    bool haveResult = false;
    int nextRow = 0;
    ub4 rowCount = 0;
    ub4 dmlErrors = 0;  // rows refused by the last execute in batch error mode
    ub4 prefetchRows = 1;
};

// The stub's object behind an opaque OCI pointer, or null when the pointer
// is not one of its handles of the expected kind.
template <typename Handle>
Handle* handleOf(const void* pointer)
{
    if (!pointer)
        return nullptr;
    return dynamic_cast<Handle*>(static_cast<StubHandle*>(const_cast<void*>(pointer)));
}

} // namespace ocistub
