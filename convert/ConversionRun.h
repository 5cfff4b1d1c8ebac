#pragma once

#include "convert/ConversionHost.h"
#include "convert/RejectFile.h"
#include "convert/RunLog.h"
#include "convert/RunSummary.h"
#include "convert/StatementScript.h"
#include "convert/Tcc.h"
#include "db/SourceAccess.h"
#include "db/TargetAccess.h"

#include <QElapsedTimer>
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

    // The target name formed from a table's name (its targetBase):
    // normalised, and for names over 30 characters the first 26 characters
    // with the first free four-digit suffix in the owner's schema.
    QString targetNameFor(const QString& base, bool upperCase);

private:
    // The name under which the log and the summary show a selected table:
    // its list entry, upper-cased when names uppercase is on.
    QString shownName(const SourceTable& table) const;
    // Logs and counts the tables that the job named but the database lacks.
    void addNotFound();
    // Fills the table's summary but for its time; false when one of the
    // table's steps failed.
    bool convertTable(const SourceTable& source, TableSummary& summary, bool overwrite, bool skip,
                      bool convertIndexes);
    void finishTable(int index, const QElapsedTimer& clock);
    void addNotReached(int first);
    QString ambiguousSourceText(const TableRef& table);
    void addForeignKeys();
    bool continueIdentity(const QString& target, const QStringList& columns);
    void appendNotes(const QStringList& notes);
    void appendStepResult(const QString& doneLine, bool ok, const QString& errorText);
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
    // The target as the statements that change it reach it: through the
    // script when the run writes one.
    ScriptingTargetConnection changes_;
    StatementScript script_;
    RowWriter& writer_;
    RunLog& log_;
    int failedTables_ = 0;
    RunSummary summary_;
    // A table the run reached: its summary entry, the Oracle names of its
    // columns (as created, or by the plain rule for a table it did not
    // create), and whether the run created it. The foreign keys of the
    // created tables are added once every table is converted.
    struct RunTable {
        TableRef table;
        int summaryIndex;
        OracleColumnNames columns;
        bool created;
    };
    QVector<RunTable> runTables_;
    // The error of a table whose rows failed because the source is gone.
    QString lostSource_;
    QString logPath_;
    std::unique_ptr<RejectFile> rejects_;
};

} // namespace tw
