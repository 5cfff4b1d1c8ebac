// Extra entry points for tests: the record of calls and the faults to inject.
// Tests resolve them from the loaded stand-in library by name.
#include "StubCalls.h"
#include "StubTables.h"

using namespace ocistub;

// Every recorded line (ENV, ATTACH, LOGON, BIND, EXECUTE, COMMIT, ROLLBACK,
// LOGOFF), each ending with a line break. Valid until the next call.
OCISTUB_EXPORT const char* ocistub_log()
{
    const StubLock lock;
    return StubState::instance().log().constData();
}

OCISTUB_EXPORT void ocistub_clear_log()
{
    const StubLock lock;
    StubState::instance().clearLog();
}

// The n-th row inserted from now on is refused with ORA-00001 (0: none).
OCISTUB_EXPORT void ocistub_refuse_row(int n)
{
    const StubLock lock;
    StubState::instance().refuseRow(n);
}

// After this many more executes the connection drops: that execute fails
// with ORA-03113, everything after it with ORA-03114 (-1: never).
OCISTUB_EXPORT void ocistub_drop_connection_after(int executes)
{
    const StubLock lock;
    StubState::instance().dropAfter(executes);
}

// The next n rollbacks fail with ORA-01013, the session staying up.
OCISTUB_EXPORT void ocistub_fail_rollbacks(int n)
{
    const StubLock lock;
    StubState::instance().failRollbacks(n);
}

// A table the stand-in keeps itself (see StubTables.h), replacing one of the
// same name; with discard set it checks and counts its rows but keeps none.
OCISTUB_EXPORT void ocistub_create_table(const char* name, const char* columns, int discard)
{
    const StubLock lock;
    StubTables::instance().create(QString::fromUtf8(name), QString::fromUtf8(columns), discard != 0);
}

OCISTUB_EXPORT void ocistub_drop_tables()
{
    const StubLock lock;
    StubTables::instance().dropAll();
}

// The committed rows of a stand-in table, one line each, values as text
// separated by tabs ("NULL" for NULL, bytes in hexadecimal). Valid until
// the next call.
OCISTUB_EXPORT const char* ocistub_table_rows(const char* name)
{
    const StubLock lock;
    static QByteArray text;
    text = StubTables::instance().rowsText(QString::fromUtf8(name));
    return text.constData();
}

// The rows a stand-in table has received, committed or not, kept or not.
OCISTUB_EXPORT long long ocistub_table_received(const char* name)
{
    const StubLock lock;
    return StubTables::instance().receivedRows(QString::fromUtf8(name));
}

// Every execute and commit from now on waits as a remote server's round
// trip does: callMicroseconds each, an execute rowMicroseconds more per row.
OCISTUB_EXPORT void ocistub_set_latency(int callMicroseconds, int rowMicroseconds)
{
    const StubLock lock;
    StubState::instance().setLatency(callMicroseconds, rowMicroseconds);
}
