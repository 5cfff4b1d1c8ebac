#pragma once

#include "convert/ConversionHost.h"
#include "convert/RejectFile.h"
#include "convert/RunLog.h"
#include "convert/RunSummary.h"
#include "convert/StatementScript.h"
#include "convert/TablesAtOnce.h"
#include "convert/Tcc.h"
#include "db/SourceAccess.h"
#include "db/TargetAccess.h"

#include <QElapsedTimer>
#include <functional>
#include <memory>

namespace tw {

// The conversion of the selected tables, table by table: target name,
// existence probe, Overwrite/Merge/Skip, drop, create, keys and indexes,
// rows, one block of log lines per table, the closing lines and the saved log.
class ConversionRun {
public:
    enum class Outcome {
        Completed,  // every table was worked on and the log was saved
        Stopped,    // a stop ended the run; the log was saved all the same
    };

    ConversionRun(ConversionHost& host, Tcc& cc, SourceQuery& query, TargetConnection& target, RowWriter& writer,
                  RunLog& log);

    // Opens the sessions of one more worker. Given this, a run whose host
    // asks for several tables at once opens that many workers (no more than
    // there are tables) before its first table; without it every run copies
    // one table at a time on the sessions given above.
    void setWorkerSessions(std::function<WorkerSessions()> open) { openWorker_ = std::move(open); }

    // Runs the whole conversion. A failure of an unprotected step (an
    // existence probe, a catalogue query, saving the log) ends the run, as
    // does a source connection lost during a table's rows: the log gets the
    // error, the tables not reached and the end time and is saved, and the
    // failure escapes. A stop ends the run after the table it stopped: the
    // log gets the tables not reached, the stopped line and the end time and
    // is saved.
    Outcome run();
    // Tables of the last run whose drop, create, index or row step failed,
    // that a stop cut short, that the run never reached because it ended
    // early, or that a job named but the source database lacks.
    int failedTables() const { return failedTables_; }

    // One entry per table a job named but the database lacks, then one per
    // selected table of the last run, in the order of the list, also for
    // the tables that a stop or a failure left unreached.
    const RunSummary& summary() const { return summary_; }

private:
    // The name under which the log and the summary show a selected table:
    // its list entry, upper-cased when names uppercase is on.
    QString shownName(const SourceTable& table) const;
    // Logs and counts the tables that the job named but the database lacks.
    void addNotFound();
    Outcome runOneAtATime(const TableSteps& steps);
    Outcome runAtOnce(int workers, const TableSteps& steps);
    // Writes a table that the workers are done with, in list order.
    void addDone(int index, TablesAtOnce::Done& done);
    void finishTable(int index, const QElapsedTimer& clock);
    void addNotReached(int first);
    // Everything that needs all tables converted runs here, after the last
    // table and before the closing lines: with full definitions, the
    // foreign keys between the converted tables.
    void afterAllTables();
    void addForeignKeys();
    void finish();
    // Ends a run before its last table: the tables not reached, the
    // closing line when there is one, the end time, the saved log.
    void endEarly(int firstNotReached, const QString& closingLine);
    void saveLog();
    // Where the log is saved, fixed when first asked for: at the save, or
    // before it when the reject file beside the log is created.
    QString logPath();

    ConversionHost& host_;
    Tcc& cc_;
    SourceQuery& query_;
    TargetConnection& target_;
    RowWriter& writer_;
    RunLog& log_;
    std::function<WorkerSessions()> openWorker_;
    // The target as the statements that change it reach it: through the
    // script when the run writes one.
    ScriptingTargetConnection changes_;
    StatementScript script_;
    int failedTables_ = 0;
    RunSummary summary_;
    // The tables the run converted, with their summary entries, for the
    // foreign keys added once every table is converted.
    struct RunTable {
        ConvertedTable converted;
        int summaryIndex;
    };
    QVector<RunTable> runTables_;
    QString logPath_;
    std::unique_ptr<RejectFile> rejects_;
};

} // namespace tw
