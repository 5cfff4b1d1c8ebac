// The run summary as files and text: the summary file's exact lines, its
// place beside the job file, and the aligned text an unattended run prints.

#include "convert/RunProgress.h"
#include "convert/RunSummary.h"
#include "db/Failure.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

tw::TableSummary table(const char* source, const char* target, tw::TableSummary::Outcome outcome, qint64 read,
                       qint64 stored, qint64 refused, double seconds)
{
    tw::TableSummary summary;
    summary.source = QString::fromUtf8(source);
    summary.target = QString::fromUtf8(target);
    summary.outcome = outcome;
    summary.read = read;
    summary.stored = stored;
    summary.refused = refused;
    summary.seconds = seconds;
    return summary;
}

using Outcome = tw::TableSummary::Outcome;

const tw::RunSummary kRun{
    table("Orders", "ORDERS", Outcome::Created, 12345, 12345, 0, 2.5),
    table("Order Details", "ORDER_DETAILS", Outcome::Merged, 5200, 5100, 100, 0.25),
    table("Customers", "CUSTOMERS", Outcome::Skipped, 0, 0, 0, 0.0004),
    table("Notes, \"old\"", "NOTES,_\"OLD\"", Outcome::Failed, 0, 0, 0, 0),
    table("Archive", "", Outcome::NotReached, 0, 0, 0, 0),
};

TEST(RunSummary, FileLinesFollowCsvRulesInUtf8)
{
    QTemporaryDir folder;
    const QString job = folder.filePath(QStringLiteral("nightly.twjobs"));
    tw::RunSummary summary = kRun;
    summary[1].source = QStringLiteral("Bestellungen Übersee");
    summary[3].valuesNotStored = 3;
    tw::saveSummaryCsv(summary, tw::jobSummaryPath(job));

    QFile file(folder.filePath(QStringLiteral("nightly.summary.csv")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()),
              QStringLiteral("source,target,outcome,rows read,rows stored,rows refused,seconds,rows per second,"
                             "values not stored\r\n"
                             "Orders,ORDERS,created,12345,12345,0,2.500,4938,0\r\n"
                             "Bestellungen Übersee,ORDER_DETAILS,merged,5200,5100,100,0.250,20800,0\r\n"
                             "Customers,CUSTOMERS,skipped,0,0,0,0.000,0,0\r\n"
                             "\"Notes, \"\"old\"\"\",\"NOTES,_\"\"OLD\"\"\",failed,0,0,0,0.000,0,3\r\n"
                             "Archive,,not reached,0,0,0,0.000,0,0\r\n"));

    for (const auto& [jobPath, summaryPath] : {std::pair{"/jobs/nightly", "/jobs/nightly.summary.csv"},
                                               std::pair{"/jobs/a.b/night.ly.twjobs", "/jobs/a.b/night.ly.summary.csv"}})
        EXPECT_EQ(tw::jobSummaryPath(QLatin1String(jobPath)), QLatin1String(summaryPath));

    EXPECT_THROW(tw::saveSummaryCsv(summary, folder.filePath(QStringLiteral("missing/x.summary.csv"))), tw::Failure);
}

TEST(RunSummary, PrintedTextIsAlignedInTheInterfaceLanguage)
{
    const tw::SummaryCaptions captions{
        {"Source table", "Target table", "Result", "Rows read", "Rows stored", "Rows refused", "Seconds", "Rows/s"},
        {"created", "overwritten", "merged", "skipped", "failed", "not reached"}};
    EXPECT_EQ(tw::summaryText(kRun.mid(0, 3), captions),
              QStringLiteral("Source table   Target table   Result   Rows read  Rows stored  Rows refused  Seconds  Rows/s\n"
                             "Orders         ORDERS         created      12345        12345             0      2.5    4938\n"
                             "Order Details  ORDER_DETAILS  merged        5200         5100           100      0.3   20800\n"
                             "Customers      CUSTOMERS      skipped          0            0             0      0.0       0\n"));
}

TEST(RunSummary, DurationsReadAsClockTimes)
{
    const std::pair<qint64, const char*> cases[] = {{0, "0:00"}, {59, "0:59"}, {61, "1:01"}, {3599, "59:59"},
                                                    {3600, "1:00:00"}, {90061, "25:01:01"}};
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(tw::durationText(seconds), QLatin1String(text)) << seconds;
}

} // namespace
