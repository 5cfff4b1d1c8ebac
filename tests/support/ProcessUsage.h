#pragma once

#include <QtGlobal>

// What a process has used so far, as the system counts it.

// The most memory this process has held resident, in kilobytes.
qint64 peakResidentKilobytes();
// Processor seconds (user and system time) of every thread of this process.
double processorSeconds();
// The same for another process of the user's; -1 where that is not known.
double processorSecondsOf(qint64 pid);
