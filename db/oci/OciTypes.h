#pragma once

// The scalar types, opaque handle types and constants of the Oracle Call
// Interface that this program uses, as Oracle documents them for the OCI C
// interface. Only what the target layer (and its test stand-in) needs is
// declared here.

#include <cstddef>
#include <cstdint>

extern "C" {

typedef int32_t sword;
typedef uint8_t ub1;
typedef int8_t sb1;
typedef uint16_t ub2;
typedef int16_t sb2;
typedef uint32_t ub4;
typedef int32_t sb4;
typedef unsigned char OraText;

typedef struct OCIEnv OCIEnv;
typedef struct OCIError OCIError;
typedef struct OCISvcCtx OCISvcCtx;
typedef struct OCIStmt OCIStmt;
typedef struct OCIBind OCIBind;
typedef struct OCIDefine OCIDefine;
typedef struct OCIServer OCIServer;
typedef struct OCISession OCISession;
typedef struct OCISnapshot OCISnapshot;
typedef struct OCIParam OCIParam;
typedef struct OCILobLocator OCILobLocator;
// OCI's boolean is an int; it has a name of its own here because Windows's
// headers declare a `boolean` of their own (an unsigned char, rpcndr.h), and
// a file may include both.
typedef int OciBoolean;
typedef ub2 OCIDuration;

// Supplies one IN bind value (or piece) at execute time for a bind made in
// OCI_DATA_AT_EXEC mode; returns OCI_CONTINUE.
typedef sb4 (*OCICallbackInBind)(void* ictxp, OCIBind* bindp, ub4 iter, ub4 index, void** bufpp, ub4* alenp,
                                 ub1* piecep, void** indpp);
typedef sb4 (*OCICallbackOutBind)(void* octxp, OCIBind* bindp, ub4 iter, ub4 index, void** bufpp, ub4** alenpp,
                                  ub1* piecep, void** indpp, ub2** rcodepp);

} // extern "C"

namespace tw::oci {

// Return codes.
constexpr sword OCI_SUCCESS = 0;
constexpr sword OCI_SUCCESS_WITH_INFO = 1;
constexpr sword OCI_NO_DATA = 100;
constexpr sword OCI_ERROR = -1;
constexpr sword OCI_INVALID_HANDLE = -2;
constexpr sword OCI_NEED_DATA = 99;
constexpr sb4 OCI_CONTINUE = -24200;

// Modes.
constexpr ub4 OCI_DEFAULT = 0x0;
constexpr ub4 OCI_THREADED = 0x1;         // environment mode: used from several threads of the process
constexpr ub4 OCI_DATA_AT_EXEC = 0x2;     // bind mode
constexpr ub4 OCI_DESCRIBE_ONLY = 0x10;   // execute mode
constexpr ub4 OCI_COMMIT_ON_SUCCESS = 0x20;
constexpr ub4 OCI_BATCH_ERRORS = 0x80;    // execute mode: refused rows of an array DML are reported, not fatal

// Handle and descriptor types.
constexpr ub4 OCI_HTYPE_ENV = 1;
constexpr ub4 OCI_HTYPE_ERROR = 2;
constexpr ub4 OCI_HTYPE_SVCCTX = 3;
constexpr ub4 OCI_HTYPE_STMT = 4;
constexpr ub4 OCI_HTYPE_BIND = 5;
constexpr ub4 OCI_HTYPE_DEFINE = 6;
constexpr ub4 OCI_HTYPE_SERVER = 8;
constexpr ub4 OCI_HTYPE_SESSION = 9;
constexpr ub4 OCI_DTYPE_LOB = 50;
constexpr ub4 OCI_DTYPE_PARAM = 53;

// Temporary LOBs (OCILobCreateTemporary).
constexpr ub1 OCI_TEMP_BLOB = 1;
constexpr ub1 OCI_TEMP_CLOB = 2;
constexpr OCIDuration OCI_DURATION_SESSION = 10;

// Attributes of handles.
constexpr ub4 OCI_ATTR_SERVER = 6;
constexpr ub4 OCI_ATTR_SESSION = 7;
constexpr ub4 OCI_ATTR_ROW_COUNT = 9;
constexpr ub4 OCI_ATTR_PREFETCH_ROWS = 11;
constexpr ub4 OCI_ATTR_PARAM_COUNT = 18;
constexpr ub4 OCI_ATTR_USERNAME = 22;
constexpr ub4 OCI_ATTR_PASSWORD = 23;
constexpr ub4 OCI_ATTR_STMT_TYPE = 24;
constexpr ub4 OCI_ATTR_CHARSET_FORM = 32;
constexpr ub4 OCI_ATTR_NUM_DML_ERRORS = 73;  // ub4, of a statement executed with OCI_BATCH_ERRORS
constexpr ub4 OCI_ATTR_DML_ROW_OFFSET = 74;  // ub4, of one of its errors: the row's iteration, from 0
// Attributes of a column's parameter descriptor.
constexpr ub4 OCI_ATTR_DATA_SIZE = 1;   // ub2
constexpr ub4 OCI_ATTR_DATA_TYPE = 2;   // ub2
constexpr ub4 OCI_ATTR_NAME = 4;        // OraText*, length in the size argument
constexpr ub4 OCI_ATTR_PRECISION = 5;   // sb2 for a select list (ub1 for explicit describes)
constexpr ub4 OCI_ATTR_SCALE = 6;       // sb1

// Statement types (OCI_ATTR_STMT_TYPE).
constexpr ub2 OCI_STMT_SELECT = 1;
constexpr ub2 OCI_STMT_UPDATE = 2;
constexpr ub2 OCI_STMT_DELETE = 3;
constexpr ub2 OCI_STMT_INSERT = 4;
constexpr ub2 OCI_STMT_CREATE = 5;
constexpr ub2 OCI_STMT_DROP = 6;
constexpr ub2 OCI_STMT_ALTER = 7;
constexpr ub2 OCI_STMT_BEGIN = 8;
constexpr ub2 OCI_STMT_DECLARE = 9;

constexpr ub4 OCI_CRED_RDBMS = 1;
constexpr ub4 OCI_NTV_SYNTAX = 1;
constexpr ub2 OCI_FETCH_NEXT = 0x02;
constexpr ub1 OCI_ONE_PIECE = 0;

// Character set forms and ids. AL32UTF8 is real UTF-8; the older id 871
// ("UTF8") is CESU-8 and would split characters outside the BMP.
constexpr ub1 SQLCS_IMPLICIT = 1;
constexpr ub1 SQLCS_NCHAR = 2;
constexpr ub2 AL32UTF8_ID = 873;

// External data types (SQLT codes) used for binds and defines, and the
// internal type codes that a column describe returns.
constexpr ub2 SQLT_CHR = 1;    // VARCHAR2 (also the describe code of VARCHAR2/NVARCHAR2)
constexpr ub2 SQLT_NUM = 2;    // NUMBER (describe code)
constexpr ub2 SQLT_INT = 3;    // signed integer
constexpr ub2 SQLT_FLT = 4;
constexpr ub2 SQLT_STR = 5;    // NUL-terminated string
constexpr ub2 SQLT_VNU = 6;    // NUMBER with a leading length byte (22 bytes, OCINumber)
constexpr ub2 SQLT_LNG = 8;    // LONG
constexpr ub2 SQLT_DAT = 12;   // 7-byte Oracle DATE
constexpr ub2 SQLT_BFLOAT = 21;   // native 4-byte float (bind type)
constexpr ub2 SQLT_BDOUBLE = 22;  // native 8-byte double (bind type)
constexpr ub2 SQLT_BIN = 23;   // RAW
constexpr ub2 SQLT_LBI = 24;   // LONG RAW
constexpr ub2 SQLT_AFC = 96;   // CHAR
constexpr ub2 SQLT_IBFLOAT = 100;
constexpr ub2 SQLT_IBDOUBLE = 101;
constexpr ub2 SQLT_CLOB = 112;
constexpr ub2 SQLT_BLOB = 113;
// The datetime types: a select-list describe reports the external codes
// SQLT_TIMESTAMP, SQLT_TIMESTAMP_TZ and SQLT_TIMESTAMP_LTZ (ocidfn.h); the
// internal codes 180, 181 and 231 appear in some other describes. Both sets
// are recognised.
constexpr ub2 SQLT_TIMESTAMP = 187;
constexpr ub2 SQLT_TIMESTAMP_TZ = 188;
constexpr ub2 SQLT_TIMESTAMP_LTZ = 232;
constexpr ub2 TYPE_TIMESTAMP_INTERNAL = 180;
constexpr ub2 TYPE_TIMESTAMP_TZ_INTERNAL = 181;
constexpr ub2 TYPE_TIMESTAMP_LTZ_INTERNAL = 231;
// INTERVAL DAY TO SECOND: external code SQLT_INTERVAL_DS (ocidfn.h), internal
// code 183.
constexpr ub2 SQLT_INTERVAL_DS = 190;
constexpr ub2 TYPE_INTERVAL_DS_INTERNAL = 183;

// Size of an OCINumber / SQLT_VNU value and of an Oracle DATE.
constexpr int ORACLE_NUMBER_SIZE = 22;
constexpr int ORACLE_DATE_SIZE = 7;

} // namespace tw::oci
