#include "convert/ConversionRun.h"

#include "convert/RowCountCheck.h"
#include "convert/RowTransfer.h"
#include "convert/SourceSql.h"
#include "convert/TargetSql.h"
#include "db/Failure.h"

#include <QDateTime>

namespace tw {

namespace {
const int kLongNamePrefix = 26;
const int kLastSuffix = 100;

// The summary entry of a table before the run has worked on it.
TableSummary tableNamed(const QString& source)
{
    TableSummary table;
    table.source = source;
    return table;
}
} // namespace

ConversionRun::ConversionRun(ConversionHost& host, Tcc& cc, SourceQuery& query, TargetConnection& target,
                             RowWriter& writer, RunLog& log)
    : host_(host), cc_(cc), query_(query), target_(target), changes_(target), writer_(writer), log_(log)
{
}

ConversionRun::Outcome ConversionRun::run()
{
    log_.append(QStringLiteral("Start time:") + logTimeStamp(QDateTime::currentDateTime()));
    const int mode = host_.existingTableMode();
    const bool overwrite = mode == 0;
    const bool skip = mode == 2;
    const bool convertIndexes = !host_.skipIndexes();
    host_.enterRunningState();
    host_.clearStop();
    failedTables_ = 0;
    summary_.clear();
    runTables_.clear();
    script_ = StatementScript();
    changes_.recordTo(host_.writeScript() ? &script_ : nullptr);
    cc_.setFullDefinitions(host_.fullDefinitions());
    addNotFound();
    logPath_.clear();
    rejects_ = std::make_unique<RejectFile>([this] { return rejectFilePath(logPath()); });

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
        lostSource_.clear();
        try {
            if (!convertTable(source, table, overwrite, skip, convertIndexes)) {
                if (table.outcome != TableSummary::Outcome::Stopped)
                    table.outcome = TableSummary::Outcome::Failed;
                ++failedTables_;
            }
        } catch (const std::exception& failure) {
            table.outcome = TableSummary::Outcome::Failed;
            ++failedTables_;
            finishTable(i, clock);
            const auto* known = dynamic_cast<const Failure*>(&failure);
            log_.append(known ? known->message() : QString::fromLocal8Bit(failure.what()));
            log_.append(QString());
            endEarly(i + 1, QString());
            throw;
        }
        finishTable(i, clock);
        // Without the source no further table can be read: the run ends
        // here once, instead of failing every remaining table in turn.
        if (!lostSource_.isEmpty()) {
            endEarly(i + 1, QString());
            throw ConnectionLost(lostSource_);
        }
        // The stop has been acted on: the run ends with this table.
        if (table.outcome == TableSummary::Outcome::Stopped) {
            host_.clearStop();
            endEarly(i + 1, host_.stoppedCaption());
            return Outcome::Stopped;
        }
    }
    if (host_.fullDefinitions())
        addForeignKeys();
    finish();
    return Outcome::Completed;
}

QString ConversionRun::targetNameFor(const QString& base, bool upperCase)
{
    if (base.size() <= kMaxNameLength)
        return Tcc::NormalizeName(base, upperCase);
    QString candidate;
    for (int k = 0; k <= kLastSuffix; ++k) {
        candidate = Tcc::NormalizeName(base.left(kLongNamePrefix) + QStringLiteral("%1").arg(k, 4, 10, QLatin1Char('0')),
                                       upperCase);
        if (!cc_.OracleTableExists(target_, candidate, host_.owner()))
            break;
    }
    return candidate;
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

bool ConversionRun::convertTable(const SourceTable& source, TableSummary& summary, bool overwrite, bool skip,
                                 bool convertIndexes)
{
    const bool upperCase = host_.namesUppercase();
    const TableRef table{source, summary.source, targetNameFor(source.targetBase(), upperCase)};
    const QString& target = table.target;
    summary.target = target;
    runTables_.append(RunTable{table, int(summary_.size()) - 1, OracleColumnNames({}, upperCase), false});
    script_.setTable(target);
    const bool exists = cc_.OracleTableExists(target_, target, host_.owner());
    using Result = TableSummary::Outcome;
    summary.outcome = !exists ? Result::Created : overwrite ? Result::Overwritten : skip ? Result::Skipped : Result::Merged;
    bool ok = true;
    bool allOk = true;
    QString errorText;
    QStringList identityColumns;

    if (!exists || overwrite) {
        const QString ambiguity = ambiguousSourceText(table);
        if (!ambiguity.isEmpty()) {
            log_.append((exists ? QStringLiteral("Drop table ") : QStringLiteral("Create table ")) + target
                        + QStringLiteral("... "));
            appendStepResult(QString(), false, ambiguity);
            return false;
        }
    }
    if (exists && overwrite) {
        log_.append(QStringLiteral("Drop table ") + target + QStringLiteral("... "));
        cc_.DropOracleTable(changes_, target, ok, errorText);
        appendStepResult(QStringLiteral("Drop table ") + target + QStringLiteral("...Done"), ok, errorText);
        allOk = allOk && ok;
    }
    if (exists && skip) {
        log_.append(QStringLiteral("Skip table ") + target + QStringLiteral("... "));
        log_.append(QString());
    }
    if (!exists || overwrite) {
        log_.append(QStringLiteral("Create table ") + target + QStringLiteral("... "));
        cc_.CreateOracleTable(query_, changes_, table, upperCase, ok, errorText);
        appendStepResult(QStringLiteral("Create table ") + target + QStringLiteral("...Done"), ok, errorText);
        allOk = allOk && ok;
        appendNotes(cc_.columnNames().renamedLines(target));
        appendNotes(cc_.definitionNotes());
        if (ok) {
            identityColumns = cc_.identityColumns();
            runTables_.last().columns = cc_.columnNames();
            runTables_.last().created = true;
        }
        if (convertIndexes) {
            cc_.CreateOracleIndexes(query_, changes_, table, upperCase, ok, errorText);
            // Keys and indexes that the target refused are written after the
            // create step's block, so that none goes missing unnoticed.
            if (!ok) {
                log_.append(errorText);
                log_.append(QString());
            }
            allOk = allOk && ok;
        }
    }
    if (host_.tableDefinitionsOnly())
        return continueIdentity(target, identityColumns) && allOk;
    if (skip && exists) {
        log_.append(QStringLiteral("Skip table ") + target);
        log_.append(QString());
        return allOk;
    }
    log_.append(QStringLiteral("Insert table ") + target + QStringLiteral("... "));
    const bool keepGoodRows = host_.keepGoodRows();
    RowCountCheck check(target_, target, exists && !overwrite, keepGoodRows);
    RowTransfer transfer(query_, writer_, log_, cc_, host_);
    if (keepGoodRows)
        transfer.keepGoodRows(*rejects_);
    transfer.run(table, ok, errorText);
    summary.read = transfer.rowsRead();
    summary.stored = transfer.rowsStored();
    summary.refused = transfer.rowsRefused();
    summary.valuesNotStored = transfer.valuesNotStored();
    // A copy that read the whole source is checked against the target's
    // count; a mismatch fails the step like any other failure.
    if (transfer.readToEnd()) {
        const QString mismatch = check.verify(summary.read, summary.stored);
        if (!mismatch.isEmpty()) {
            errorText = ok ? mismatch : errorText + QStringLiteral("\r\n") + mismatch;
            ok = false;
        }
    }
    // A value that did not arrive fails the table; the column lines below
    // name the columns and the reasons.
    if (summary.valuesNotStored > 0) {
        const QString lost = summary.valuesNotStored == 1
            ? QStringLiteral("1 value was not stored")
            : QStringLiteral("%1 values were not stored").arg(summary.valuesNotStored);
        errorText = ok ? lost : errorText + QStringLiteral("\r\n") + lost;
        ok = false;
    }
    if (ok)
        log_.appendToLast(QStringLiteral("...Done"));
    else
        log_.append(errorText);
    log_.append(QString());
    appendNotes(transfer.columnProblems());
    if (transfer.sourceLost())
        lostSource_ = errorText;
    if (transfer.stopped())
        summary.outcome = TableSummary::Outcome::Stopped;
    return continueIdentity(target, identityColumns) && allOk && ok;
}

// Foreign keys come after every selected table, so that each parent exists
// whatever the order of the list. A key to a table outside the run, and an
// action Oracle has not, get a log line; a refused key fails its table.
void ConversionRun::addForeignKeys()
{
    for (const RunTable& child : std::as_const(runTables_)) {
        if (!child.created)
            continue;
        TableSummary& childSummary = summary_[child.summaryIndex];
        for (const SourceForeignKey& key : readForeignKeys(query_, child.table.source)) {
            const auto parent = std::find_if(runTables_.cbegin(), runTables_.cend(), [&](const RunTable& table) {
                return table.table.source.schema == key.parent.schema && table.table.source.name == key.parent.name;
            });
            const QString step = QStringLiteral("Foreign key %1 of %2").arg(key.name, child.table.target);
            if (parent == runTables_.cend()) {
                appendNotes({step + QStringLiteral(" not created: its table %1.%2 is not converted in this run")
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
            script_.setTable(child.table.target);
            log_.append(step + QStringLiteral("... "));
            cc_.CreateOracleForeignKey(changes_, key, child.table.target, child.columns, parent->table.target,
                                       parent->columns, ok, errorText);
            appendStepResult(step + QStringLiteral("...Done"), ok, errorText);
            if (!ok && childSummary.outcome != TableSummary::Outcome::Failed) {
                childSummary.outcome = TableSummary::Outcome::Failed;
                ++failedTables_;
            }
        }
    }
}

// Once the rows are in, the identity columns go on after the highest value
// copied; a table without identity columns has no such step.
bool ConversionRun::continueIdentity(const QString& target, const QStringList& columns)
{
    if (columns.isEmpty())
        return true;
    bool ok = true;
    QString errorText;
    log_.append(QStringLiteral("Identity of table ") + target + QStringLiteral("... "));
    cc_.ContinueIdentityColumns(changes_, target, columns, ok, errorText);
    appendStepResult(QStringLiteral("Identity of table ") + target + QStringLiteral("...Done"), ok, errorText);
    return ok;
}

// Lines about what a step could not carry, as a block of their own.
void ConversionRun::appendNotes(const QStringList& notes)
{
    for (const QString& note : notes)
        log_.append(note);
    if (!notes.isEmpty())
        log_.append(QString());
}

// A table listed by its bare name, because one schema held the name, is
// left alone before anything is dropped when more schemas hold it now: the
// bare name, which a job file may have named it by, no longer says which
// table is meant. Tables listed as schema.name say so themselves.
QString ConversionRun::ambiguousSourceText(const TableRef& table)
{
    if (table.source.qualified)
        return QString();
    query_.close();
    query_.setSql(tableSchemasSql(table.source.name));
    query_.open();
    query_.first();
    QStringList schemas;
    for (; !query_.atEnd(); query_.next())
        schemas.append(query_.text(QStringLiteral("schemaname")));
    query_.close();
    if (schemas.size() < 2)
        return QString();
    return QStringLiteral("The name %1 matches tables in several schemas (%2); the table was not converted and its "
                          "target was left as it is.")
        .arg(table.shown, schemas.join(QStringLiteral(", ")));
}

// The step's line becomes its done line on success; on failure the error
// text follows it. An empty line closes the step either way.
void ConversionRun::appendStepResult(const QString& doneLine, bool ok, const QString& errorText)
{
    if (ok)
        log_.replaceLast(doneLine);
    else
        log_.append(errorText);
    log_.append(QString());
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
