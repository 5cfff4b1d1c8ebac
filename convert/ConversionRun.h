#pragma once

#include "convert/ConversionHost.h"
#include "convert/RunLog.h"
#include "convert/Tcc.h"
#include "db/SourceAccess.h"
#include "db/TargetAccess.h"

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
    // existence probe, a catalogue query, saving the log) escapes as Failure.
    Outcome run();
    // The tables of the run so far that had a step fail.
    int failedTables() const { return failedTables_; }

    // The target name for a source name: normalised, and for names over 30
    // characters the first 26 characters with the first free four-digit
    // suffix in the owner's schema.
    QString targetNameFor(const QString& sourceName, bool upperCase);

private:
    void convertTable(const QString& sourceName, bool overwrite, bool skip, bool convertIndexes);
    void appendStepResult(const QString& doneLine, bool ok, const QString& errorText);
    void finish();

    ConversionHost& host_;
    Tcc& cc_;
    SourceQuery& query_;
    TargetConnection& target_;
    RowWriter& writer_;
    RunLog& log_;
    bool tableFailed_ = false;
    int failedTables_ = 0;
};

} // namespace tw
