#include "settings/UnattendedRun.h"

#include "db/Failure.h"
#include "settings/ExitCodes.h"
#include "settings/JobSettings.h"

#include <cstdio>

namespace tw {

UnattendedRun::UnattendedRun(QString jobPath, bool headless) : jobPath_(std::move(jobPath)), headless_(headless)
{
}

bool UnattendedRun::start(JobSettingsList& job, SettingsControls& controls, RunLog& log)
{
    outcome_ = Outcome::JobUnusable;
    try {
        job.load(jobPath_);
    } catch (const Failure& failure) {
        failed(failure.message(), log);
        return false;
    }
    ApplyJobSettings(job, controls);
    outcome_ = Outcome::Walking;
    return true;
}

void UnattendedRun::failed(const QString& message, RunLog& log)
{
    // A scheduler mails or journals what a job prints: the failure goes there
    // too, and there alone when the job log itself cannot be written.
    std::fprintf(stderr, "tablewright: %s\n", message.toLocal8Bit().constData());
    // A failure that ended the conversion run is in the log already, with
    // the end time after it.
    if (!log.lines().contains(message))
        log.append(message);
    try {
        log.save(logPath());
    } catch (const Failure& failure) {
        std::fprintf(stderr, "tablewright: %s\n", failure.message().toLocal8Bit().constData());
    }
}

void UnattendedRun::selectsNoTable(RunLog& log)
{
    outcome_ = Outcome::NoTableSelected;
    failed(QStringLiteral("The job selects no table"), log);
}

void UnattendedRun::finished(int failedTables)
{
    outcome_ = Outcome::Finished;
    failedTables_ = failedTables;
}

void UnattendedRun::report(const RunSummary& summary, const SummaryCaptions& captions)
{
    std::fputs(summaryText(summary, captions).toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
    try {
        saveSummaryCsv(summary, jobSummaryPath(jobPath_));
    } catch (const Failure& failure) {
        std::fprintf(stderr, "tablewright: %s\n", failure.message().toLocal8Bit().constData());
    }
}

int UnattendedRun::exitCode() const
{
    switch (outcome_) {
    case Outcome::JobUnusable: return exitcode::JobFileUnreadable;
    case Outcome::Walking: return exitcode::WalkStopped;
    case Outcome::NoTableSelected: return exitcode::TableFailed;
    case Outcome::Finished: break;
    }
    return failedTables_ > 0 ? exitcode::TableFailed : exitcode::Succeeded;
}

} // namespace tw
