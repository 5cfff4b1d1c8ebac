#include "convert/RunSummary.h"

#include "convert/Csv.h"
#include "convert/RunLog.h"
#include "convert/WholeFile.h"

#include <cmath>

namespace tw {

namespace {

const char* const kCsvHeader = "source,target,outcome,rows read,rows stored,rows refused,seconds,rows per second,values not stored";

bool isNumberColumn(int column)
{
    return column >= 3;
}

} // namespace

qint64 TableSummary::rowsPerSecond() const
{
    return seconds > 0 ? qint64(std::llround(double(read) / seconds)) : 0;
}

QString outcomeKeyword(TableSummary::Outcome outcome)
{
    switch (outcome) {
    case TableSummary::Outcome::Created: return QStringLiteral("created");
    case TableSummary::Outcome::Overwritten: return QStringLiteral("overwritten");
    case TableSummary::Outcome::Merged: return QStringLiteral("merged");
    case TableSummary::Outcome::Skipped: return QStringLiteral("skipped");
    case TableSummary::Outcome::Failed: return QStringLiteral("failed");
    case TableSummary::Outcome::NotFound: return QStringLiteral("not found");
    case TableSummary::Outcome::Stopped: return QStringLiteral("stopped");
    case TableSummary::Outcome::NotReached: break;
    }
    return QStringLiteral("not reached");
}

QString jobSummaryPath(const QString& jobFilePath)
{
    return besideJobFile(jobFilePath, QStringLiteral(".summary.csv"));
}

// One table's fields: names, outcome, counts, seconds with the given
// decimals and rows per second.
QStringList tableFields(const TableSummary& table, const QString& outcome, int secondsDecimals)
{
    return {table.source,
            table.target,
            outcome,
            QString::number(table.read),
            QString::number(table.stored),
            QString::number(table.refused),
            QString::number(table.seconds, 'f', secondsDecimals),
            QString::number(table.rowsPerSecond())};
}

QString summaryCsv(const RunSummary& summary)
{
    QString text = QLatin1String(kCsvHeader) + QStringLiteral("\r\n");
    for (const TableSummary& table : summary) {
        QStringList fields = tableFields(table, outcomeKeyword(table.outcome), 3);
        fields[0] = csvField(fields[0]);
        fields[1] = csvField(fields[1]);
        fields.append(QString::number(table.valuesNotStored));
        text += fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return text;
}

void saveSummaryCsv(const RunSummary& summary, const QString& path)
{
    saveWholeFile(path, summaryCsv(summary).toUtf8());
}

QStringList summaryFields(const TableSummary& table, const SummaryCaptions& captions)
{
    return tableFields(table, captions.outcomes.value(int(table.outcome)), 1);
}

QString summaryText(const RunSummary& summary, const SummaryCaptions& captions)
{
    QVector<QStringList> lines{captions.headings};
    for (const TableSummary& table : summary)
        lines.append(summaryFields(table, captions));
    QVector<int> widths(captions.headings.size(), 0);
    for (const QStringList& line : lines) {
        for (int i = 0; i < widths.size(); ++i)
            widths[i] = qMax(widths[i], int(line.value(i).size()));
    }
    // Names and outcomes to the left, numbers to the right, two blanks apart.
    QString text;
    for (const QStringList& line : lines) {
        QStringList cells;
        for (int i = 0; i < widths.size(); ++i) {
            cells.append(isNumberColumn(i) ? line.value(i).rightJustified(widths[i])
                                           : line.value(i).leftJustified(widths[i]));
        }
        QString joined = cells.join(QStringLiteral("  "));
        while (joined.endsWith(QLatin1Char(' ')))
            joined.chop(1);
        text += joined + QLatin1Char('\n');
    }
    return text;
}

} // namespace tw
