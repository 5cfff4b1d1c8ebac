// Extra entry points for tests: the record of calls and the faults to inject.
// Tests resolve them from the loaded stand-in library by name.
#include "StubCalls.h"

using namespace ocistub;

// Every recorded line (ENV, ATTACH, LOGON, BIND, EXECUTE, COMMIT, ROLLBACK,
// LOGOFF), each ending with a line break. Valid until the next call.
OCISTUB_EXPORT const char* ocistub_log()
{
    return StubState::instance().log().constData();
}

OCISTUB_EXPORT void ocistub_clear_log()
{
    StubState::instance().clearLog();
}

// The n-th row inserted from now on is refused with ORA-00001 (0: none).
OCISTUB_EXPORT void ocistub_refuse_row(int n)
{
    StubState::instance().refuseRow(n);
}

// After this many more executes the connection drops: that execute fails
// with ORA-03113, everything after it with ORA-03114 (-1: never).
OCISTUB_EXPORT void ocistub_drop_connection_after(int executes)
{
    StubState::instance().dropAfter(executes);
}
