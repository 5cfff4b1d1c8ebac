#include "convert/ConversionRun.h"

#include "convert/TargetSql.h"
#include "db/Failure.h"

#include <QDateTime>

namespace tw {

namespace {

// The summary entry of a table before the run has worked on it.
TableSummary tableNamed(const QString& source)
{
    TableSummary table;
    table.source = source;
    return table;
}

QString failureText(const std::exception& failure)
{
    const auto* known = dynamic_cast<const Failure*>(&failure);
    return known ? known->message() : QString::fromLocal8Bit(failure.what());
}

} // namespace

ConversionRun::ConversionRun(ConversionHost& host, Tcc& cc, SourceQuery& query, TargetConnection& target,
                             RowWriter& writer, RunLog& log)
    : host_(host), cc_(cc), query_(query), target_(target), writer_(writer), log_(log)
{
}

ConversionRun::Outcome ConversionRun::run()
{
    log_.append(QStringLiteral("Start time:") + logTimeStamp(QDateTime::currentDateTime()));
    const int mode = host_.existingTableMode();
    TableSteps steps;
    steps.overwrite = mode == 0;
    steps.skip = mode == 2;
    steps.convertIndexes = !host_.skipIndexes();
    host_.enterRunningState();
    host_.clearStop();
    failedTables_ = 0;
    summary_.clear();
    addNotFound();
    logPath_.clear();
    rejects_ = std::make_unique<RejectFile>([this] { return rejectFilePath(logPath()); });

    const int workers = qMin(host_.tablesAtOnce(), host_.selectedTableCount());
    if (workers > 1 && openWorker_)
        return runAtOnce(workers, steps);
    return runOneAtATime(steps);
}

ConversionRun::Outcome ConversionRun::runOneAtATime(const TableSteps& steps)
{
    for (int i = 0; i < host_.selectedTableCount(); ++i) {
        if (host_.stopRequested()) {
            host_.clearStop();
            endEarly(i, host_.stoppedCaption());
            return Outcome::Stopped;
        }
        const SourceTable source = host_.selectedTable(i);
        summary_.append(tableNamed(shownName(source)));
        TableSummary& table = summary_.last();
        host_.tableStarted(i, table.source);
        QElapsedTimer clock;
        clock.start();
        TableConversion conversion(host_, cc_, query_, target_, writer_, log_, *rejects_);
        try {
            if (!conversion.convert(source, table, steps)) {
                if (table.outcome != TableSummary::Outcome::Stopped)
                    table.outcome = TableSummary::Outcome::Failed;
                ++failedTables_;
            }
        } catch (const std::exception& failure) {
            table.outcome = TableSummary::Outcome::Failed;
            ++failedTables_;
            finishTable(i, clock);
            log_.append(failureText(failure));
            log_.append(QString());
            endEarly(i + 1, QString());
            throw;
        }
        finishTable(i, clock);
        // Without the source no further table can be read: the run ends
        // here once, instead of failing every remaining table in turn.
        if (!conversion.lostSource().isEmpty()) {
            endEarly(i + 1, QString());
            throw ConnectionLost(conversion.lostSource());
        }
        // The stop has been acted on: the run ends with this table.
        if (table.outcome == TableSummary::Outcome::Stopped) {
            host_.clearStop();
            endEarly(i + 1, host_.stoppedCaption());
            return Outcome::Stopped;
        }
    }
    afterAllTables();
    finish();
    return Outcome::Completed;
}

// The tables go to the workers in list order and come back in list order,
// so that the log, the summary and the host see what a run of one table at
// a time with the same outcomes would show them. A stop, a lost source or an
// unprotected failure ends the run as there, once the tables at work are
// done: a table that had begun is written whole, the others are not reached.
ConversionRun::Outcome ConversionRun::runAtOnce(int workers, const TableSteps& steps)
{
    std::vector<WorkerSessions> sessions;
    RunAnswers answers;
    try {
        for (int i = 0; i < workers; ++i)
            sessions.push_back(openWorker_());
        for (int i = 0; i < host_.selectedTableCount(); ++i) {
            answers.tables.append(host_.selectedTable(i));
            answers.shownNames.append(shownName(answers.tables.last()));
        }
    } catch (const std::exception& failure) {
        log_.append(failureText(failure));
        log_.append(QString());
        endEarly(0, QString());
        throw;
    }
    answers.namesUppercase = host_.namesUppercase();
    answers.tableDefinitionsOnly = host_.tableDefinitionsOnly();
    answers.keepGoodRows = host_.keepGoodRows();
    answers.owner = host_.owner();
    // The reject file is named after the log: the name is fixed here, on
    // this thread, before a worker can refuse a row.
    if (answers.keepGoodRows)
        logPath();

    TablesAtOnce tables(host_, std::move(answers), std::move(sessions), *rejects_, steps);
    std::exception_ptr failure;
    QString lostSource;
    bool anyStopped = false;
    const int notTaken = tables.run([&](int index, TablesAtOnce::Done& done) {
        addDone(index, done);
        if (!failure)
            failure = done.failure;
        if (lostSource.isEmpty())
            lostSource = done.lostSource;
        anyStopped = anyStopped || done.summary.outcome == TableSummary::Outcome::Stopped;
    });
    if (failure) {
        endEarly(notTaken, QString());
        std::rethrow_exception(failure);
    }
    if (!lostSource.isEmpty()) {
        endEarly(notTaken, QString());
        throw ConnectionLost(lostSource);
    }
    // As with one table at a time, a stop that came too late to cut a table
    // short or to leave one out ends nothing.
    if (tables.stopped() && (anyStopped || notTaken < host_.selectedTableCount())) {
        host_.clearStop();
        endEarly(notTaken, host_.stoppedCaption());
        return Outcome::Stopped;
    }
    afterAllTables();
    finish();
    return Outcome::Completed;
}

void ConversionRun::addDone(int index, TablesAtOnce::Done& done)
{
    for (const QString& line : std::as_const(done.lines))
        log_.append(line);
    if (!done.ok)
        ++failedTables_;
    summary_.append(done.summary);
    host_.tableFinished(index, summary_.last());
}

// Nothing needs all tables yet; steps that do (keys between tables) belong
// here, after the last table's steps and before the closing lines.
void ConversionRun::afterAllTables()
{
}
QString ConversionRun::shownName(const SourceTable& table) const
{
    return host_.namesUppercase() ? asciiUpper(table.entry()) : table.entry();
}

void ConversionRun::addNotFound()
{
    for (const QString& name : host_.tablesNotFound()) {
        log_.append(QStringLiteral("Table %1 named by the job is not in database %2").arg(name, host_.sourceDatabase()));
        log_.append(QString());
        TableSummary missing = tableNamed(name);
        missing.outcome = TableSummary::Outcome::NotFound;
        summary_.append(missing);
        ++failedTables_;
    }
}

void ConversionRun::finish()
{
    log_.append(host_.completedCaption());
    if (failedTables_ > 0)
        log_.append(host_.failedCaption().arg(failedTables_).arg(summary_.size()));
    else
        log_.append(host_.migratedCaption());
    log_.append(QStringLiteral("The end time:") + logTimeStamp(QDateTime::currentDateTime()));
    saveLog();
    if (host_.unattended())
        host_.closeMainWindow();
    log_.append(host_.finishCaption());
}

void ConversionRun::finishTable(int index, const QElapsedTimer& clock)
{
    TableSummary& table = summary_.last();
    table.seconds = double(clock.nsecsElapsed()) / 1e9;
    host_.tableFinished(index, table);
}

// The tables from `first` on, which the run ends without.
void ConversionRun::addNotReached(int first)
{
    for (int i = first; i < host_.selectedTableCount(); ++i)
        summary_.append(tableNamed(shownName(host_.selectedTable(i))));
}

// A run that cannot go on, or that was stopped, keeps its record: the tables
// it never reached, the end time, and the saved log.
void ConversionRun::endEarly(int firstNotReached, const QString& closingLine)
{
    QStringList notReached;
    for (int i = firstNotReached; i < host_.selectedTableCount(); ++i)
        notReached.append(host_.selectedTable(i).entry());
    failedTables_ += int(notReached.size());
    addNotReached(firstNotReached);
    if (!notReached.isEmpty()) {
        log_.append(QStringLiteral("Tables not reached: ") + notReached.join(QStringLiteral(", ")));
        log_.append(QString());
    }
    if (!closingLine.isEmpty())
        log_.append(closingLine);
    log_.append(QStringLiteral("The end time:") + logTimeStamp(QDateTime::currentDateTime()));
    saveLog();
}

void ConversionRun::saveLog()
{
    log_.save(logPath());
}

QString ConversionRun::logPath()
{
    if (logPath_.isEmpty()) {
        logPath_ = host_.unattended()
            ? jobLogPath(host_.jobFilePath())
            : host_.appDataFolder() + interactiveLogFileName(QDateTime::currentDateTime());
    }
    return logPath_;
}

} // namespace tw
