#pragma once

namespace tw::exitcode {

// The process exit codes, for schedulers that start unattended runs. An
// interactive run always ends with Succeeded.
inline constexpr int Succeeded = 0;          // every table converted cleanly
inline constexpr int TableFailed = 1;        // a table failed or was not found, or the job selects no table
inline constexpr int JobFileUnreadable = 2;  // the job file could not be read or applied
inline constexpr int WalkStopped = 3;        // a page step failed, a failure escaped the run, or it was stopped
inline constexpr int NoDisplay = 4;          // the wizard was to be shown, but there is no display

} // namespace tw::exitcode
