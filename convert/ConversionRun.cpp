#include "convert/ConversionRun.h"

#include "convert/ForeignKeys.h"
#include "convert/TargetSql.h"
#include "db/Failure.h"

#include <QDateTime>
#include <algorithm>

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
    : host_(host), cc_(cc), query_(query), target_(target), writer_(writer), log_(log), changes_(target)
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
    runTables_.clear();
    script_ = StatementScript();
    changes_.recordTo(host_.writeScript() ? &script_ : nullptr);
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
        TableConversion conversion(host_, cc_, query_, target_, writer_, log_, *rejects_, script_);
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
        runTables_.append(RunTable{conversion.converted(), int(summary_.size()) - 1});
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
    answers.fullDefinitions = host_.fullDefinitions();
    answers.writeScript = host_.writeScript();
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
    script_.append(done.script);
    runTables_.append(RunTable{done.converted, int(summary_.size()) - 1});
    host_.tableFinished(index, summary_.last());
}

void ConversionRun::afterAllTables()
{
    if (host_.fullDefinitions())
        addForeignKeys();
}

// Foreign keys come after every selected table, so that each parent exists
// whatever the order of the list. A key to a table outside the run, and an
// action Oracle has not, get a log line; a refused key fails its table.
void ConversionRun::addForeignKeys()
{
    for (const RunTable& child : std::as_const(runTables_)) {
        if (!child.converted.created)
            continue;
        const TableRef& childTable = child.converted.table;
        TableSummary& childSummary = summary_[child.summaryIndex];
        for (const SourceForeignKey& key : readForeignKeys(query_, childTable.source)) {
            const auto parent = std::find_if(runTables_.cbegin(), runTables_.cend(), [&](const RunTable& table) {
                const SourceTable& source = table.converted.table.source;
                return source.schema == key.parent.schema && source.name == key.parent.name;
            });
            const QString step = QStringLiteral("Foreign key %1 of %2").arg(key.name, childTable.target);
            if (parent == runTables_.cend()) {
                log_.appendBlock({step + QStringLiteral(" not created: its table %1.%2 is not converted in this run")
                                             .arg(key.parent.schema, key.parent.name)});
                continue;
            }
            QStringList dropped;
            if (key.onUpdate != QLatin1String("NO_ACTION"))
                dropped.append(QStringLiteral("ON UPDATE ") + key.onUpdate);
            if (key.onDelete == QLatin1String("SET_DEFAULT"))
                dropped.append(QStringLiteral("ON DELETE ") + key.onDelete);
            for (const QString& action : std::as_const(dropped))
                log_.append(step + QStringLiteral(": %1 has no Oracle counterpart; the key is created without it")
                                       .arg(action));
            bool ok = true;
            QString errorText;
            script_.setTable(childTable.target);
            log_.append(step + QStringLiteral("... "));
            cc_.CreateOracleForeignKey(changes_, key, childTable.target, child.converted.columns,
                                       parent->converted.table.target, parent->converted.columns, ok, errorText);
            log_.endStep(step + QStringLiteral("...Done"), ok, errorText);
            if (!ok && childSummary.outcome != TableSummary::Outcome::Failed) {
                childSummary.outcome = TableSummary::Outcome::Failed;
                ++failedTables_;
            }
        }
    }
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
    const QString path = logPath();
    log_.save(path);
    if (host_.writeScript())
        script_.save(scriptPathFor(path));
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
