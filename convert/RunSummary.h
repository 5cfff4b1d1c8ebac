#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

namespace tw {

// What became of one selected table in a run, with its row counts and time.
struct TableSummary {
    // NotFound: a table that a job names but the source database lacks.
    enum class Outcome { Created, Overwritten, Merged, Skipped, Failed, NotReached, NotFound, Stopped };

    QString source;
    QString target;
    Outcome outcome = Outcome::NotReached;
    qint64 read = 0;
    qint64 stored = 0;
    qint64 refused = 0;
    // Values the target did not take, their rows stored without them.
    qint64 valuesNotStored = 0;
    // The table's whole time: probe, drop, create, keys, rows and count check.
    double seconds = 0;

    // Rows read per second of the table's time; 0 when no time was measured.
    qint64 rowsPerSecond() const;
};

using RunSummary = QVector<TableSummary>;

// The outcome as the summary file writes it, the same in every language:
// "created", "overwritten", "merged", "skipped", "failed", "not reached",
// "not found", "stopped".
QString outcomeKeyword(TableSummary::Outcome outcome);

// The summary file of an unattended run: the job file's path with its
// extension replaced by ".summary.csv" (or that added when it has none).
QString jobSummaryPath(const QString& jobFilePath);

// The summary as comma-separated values (RFC 4180): a header line, then one
// record per table, the values not stored in its last field; fields that hold a comma, a double quote or a line break
// are quoted, every line ends with CR LF.
QString summaryCsv(const RunSummary& summary);
// Writes summaryCsv in UTF-8 without a byte-order mark, replacing any file of
// that name; throws Failure when the file cannot be written.
void saveSummaryCsv(const RunSummary& summary, const QString& path);

// The texts of the summary in the interface language: the eight column
// headings and the seven outcome words, in the order of Outcome.
struct SummaryCaptions {
    QStringList headings;
    QStringList outcomes;
};
// One field of a table's row as a reader sees it, column by column as in
// the headings; seconds with one decimal.
QStringList summaryFields(const TableSummary& table, const SummaryCaptions& captions);
// The summary as aligned plain text, a heading line and one line per table,
// each ending with a line feed: what an unattended run prints.
QString summaryText(const RunSummary& summary, const SummaryCaptions& captions);

} // namespace tw
