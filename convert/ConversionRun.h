#pragma once

#include "convert/ConversionHost.h"
#include "convert/RunLog.h"
#include "convert/RunSummary.h"
#include "convert/StatementScript.h"
#include "convert/Tcc.h"
#include "db/SourceAccess.h"
#include "db/TargetAccess.h"

#include <QElapsedTimer>

namespace tw {

// The conversion of the selected tables, table by table: target name,
// existence probe, Overwrite/Merge/Skip, drop, create, keys and indexes,
// rows, one block of log lines per table, the closing lines and the saved log.
class ConversionRun {
public:
    enum class Outcome {
        Completed,  // every table was worked on and the log was saved
        Aborted,    // a stop was acted on between tables: nothing more written
    };

    ConversionRun(ConversionHost& host, Tcc& cc, SourceQuery& query, TargetConnection& target, RowWriter& writer,
                  RunLog& log);

    // Runs the whole conversion. A failure of an unprotected step (an
    // existence probe, a catalogue query, saving the log) ends the run, as
    // does a source connection lost during a table's rows: the log gets the
    // error, the tables not reached and the end time and is saved, and the
    // failure escapes.
    Outcome run();
    // Tables of the last run whose drop, create, index or row step failed,
    // or that the run never reached because it ended early.
    int failedTables() const { return failedTables_; }

    // One entry per selected table of the last run, in the order of the
    // list, also for the tables that a stop or a failure left unreached.
    const RunSummary& summary() const { return summary_; }

    // The target name for a source name: normalised, and for names over 30
    // characters the first 26 characters with the first free four-digit
    // suffix in the owner's schema.
    QString targetNameFor(const QString& sourceName, bool upperCase);

private:
    // The source name of a listed table: upper-cased when names uppercase is on.
    QString sourceNameFor(const QString& listed) const;
    // Fills the table's summary but for its time; false when one of the
    // table's steps failed.
    bool convertTable(TableSummary& table, bool overwrite, bool skip, bool convertIndexes);
    void finishTable(int index, const QElapsedTimer& clock);
    void addNotReached(int first);
    QString ambiguousSourceText(const QString& sourceName);
    void addForeignKeys();
    bool continueIdentity(const QString& target, const QStringList& columns);
    void appendNotes(const QStringList& notes);
    void appendStepResult(const QString& doneLine, bool ok, const QString& errorText);
    void finish();
    void endEarly(const QString& errorText, int firstNotReached);
    void saveLog();

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
    // The summary entries of the tables this run created, whose foreign
    // keys are added once every table is converted.
    QVector<int> createdTables_;
    // The error of a table whose rows failed because the source is gone.
    QString lostSource_;
};

} // namespace tw
