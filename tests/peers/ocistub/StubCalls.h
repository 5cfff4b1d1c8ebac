#pragma once

#include "StubHandles.h"
#include "StubState.h"

// Helpers shared by the exported entry points.
namespace ocistub {

// The entry points the library exports, as Oracle's client exports them.
#ifdef _WIN32
#define OCISTUB_EXPORT extern "C" __declspec(dllexport)
#else
#define OCISTUB_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// Records an Oracle error on the error handle (for OCIErrorGet) and returns
// OCI_ERROR. The message is given without its "ORA-nnnnn: " prefix.
sword fail(ErrorHandle* error, int code, const QString& message);
sword fail(ErrorHandle* error, const peers::OraError& oracleError);

// The logged-on session of a service context, or null.
SessionHandle* liveSession(SvcCtxHandle* service);

// Takes ownership of a new handle under its environment and returns the
// pointer the caller gets.
void* adopt(EnvHandle* env, std::unique_ptr<StubHandle> handle);
// Frees a handle owned by its environment.
void release(StubHandle* handle);

// A text the caller passed in the environment's character set.
QString textFromClientBytes(const EnvHandle* env, const void* text, ub4 size);

// The statement text as one log line.
QString oneLine(const QString& sql);

// Without OCI_THREADED, the client does not protect the handles of an
// environment from concurrent use (OCI Programmer's Guide, OCIEnvCreate
// modes: OCI_THREADED protects the internal data structures from
// concurrent access by several threads): the application must use them from
// one thread at a time. A call that begins while another call on a handle of
// the same environment is under way is recorded as "CONCURRENT <function>".
class OneThreadAtATime {
public:
    OneThreadAtATime(const StubHandle* handle, const char* function);
    ~OneThreadAtATime();
    OneThreadAtATime(const OneThreadAtATime&) = delete;
    OneThreadAtATime& operator=(const OneThreadAtATime&) = delete;

private:
    EnvHandle* env_ = nullptr;
};

} // namespace ocistub
