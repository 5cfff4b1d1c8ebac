#pragma once

#include "BenchRuns.h"

#include <QString>

// The whole program measured: the built binary run unattended on a job
// that copies tables from the peer into the stand-in client's discarding
// tables (catalogue, definitions, probes, rows and count checks included).
namespace bench {

// The name of table `index` (from 1) of a peer serving `tables` tables.
QString benchTableName(int index, int tables);

// Runs the program on a job of every table of the peer at `port`, so many
// tables at once, with the given server latency; its time, and the
// processor time and peak resident memory of its process, as key=value
// pairs. Fails with an "error=" pair when the program does not end with 0.
// Given a command `under` (a profiler and its options), the program runs
// under it, and the figures are that command's.
QString measureProgram(const QString& program, int port, int atOnce, const Latency& latency, const QString& under);

} // namespace bench
