#pragma once

#include "convert/RunLog.h"
#include "convert/RunSummary.h"
#include "settings/JobSettingsFile.h"
#include "settings/SettingsControls.h"

namespace tw {

// The state of a run started with a job file: where its log goes, how far
// it got, and so the process exit code. The wizard walks the pages; this
// class loads the job and records what became of it.
class UnattendedRun {
public:
    // Headless: nobody can answer a message box, so a failure ends the program.
    UnattendedRun(QString jobPath, bool headless);

    const QString& jobPath() const { return jobPath_; }
    // The job file's path with ".log" for its extension.
    QString logPath() const { return jobLogPath(jobPath_); }
    bool headless() const { return headless_; }

    // Loads the job file into the list and applies it to the controls.
    // Returns false when the file cannot be read: its error is then the
    // job log's only line. A failure to apply it (a bad "processtable")
    // escapes; either way the exit code says the job file was unusable.
    bool start(JobSettingsList& job, SettingsControls& controls, RunLog& log);
    // A failure that stopped the walk: added to the log, which is saved as
    // the job log, and told on the standard error stream.
    void failed(const QString& message, RunLog& log);
    // The job selects no table: the walk ends before the conversion run,
    // with that line in the job log.
    void selectsNoTable(RunLog& log);
    // The conversion run reached its end.
    void finished(int failedTables);
    // What became of each table, after every run, also one that ended
    // early: printed on the standard output stream, which a scheduler mails,
    // and written beside the job log as the summary file. A summary file
    // that cannot be written is told on the standard error stream.
    void report(const RunSummary& summary, const SummaryCaptions& captions);

    // 0 all tables converted; 1 a table failed or was not found, or the job
    // selects no table; 2 the job file could not be used; 3 the walk ended
    // before the run did.
    int exitCode() const;

private:
    enum class Outcome { JobUnusable, Walking, NoTableSelected, Finished };

    QString jobPath_;
    bool headless_;
    Outcome outcome_ = Outcome::Walking;
    int failedTables_ = 0;
};

} // namespace tw
