#include "support/ProcessUsage.h"

#include <windows.h>
#include <psapi.h>

namespace {

// Kernel and user time of the process, which Windows counts in 100 ns.
double processorSecondsOfHandle(HANDLE process)
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user))
        return -1;
    const auto ticks = [](const FILETIME& time) {
        return (quint64(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return double(ticks(kernel) + ticks(user)) / 1e7;
}

} // namespace

qint64 peakResidentKilobytes()
{
    // The peak working set is what Windows calls the peak resident memory.
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return 0;
    return qint64(counters.PeakWorkingSetSize / 1024);
}

double processorSeconds()
{
    return processorSecondsOfHandle(GetCurrentProcess());
}

double processorSecondsOf(qint64 pid)
{
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!process)
        return -1;
    const double seconds = processorSecondsOfHandle(process);
    CloseHandle(process);
    return seconds;
}
