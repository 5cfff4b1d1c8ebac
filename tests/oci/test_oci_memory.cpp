// The OCI layer's memory with large values: the peak resident memory of a
// process started fresh for one batch of 5,000 rows with a 200 KB BLOB each
// (1 GB), the stand-in checking and counting what it receives and keeping
// none of it. A memory figure, not a time.

#include "OciTestBed.h"
#include "support/ProcessUsage.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

constexpr const char* kChildVariable = "TABLEWRIGHT_OCI_MEMORY_CHILD";
constexpr int kRows = 5000;
constexpr int kPictureBytes = 200 * 1024;

// Runs only in the child process that the test below starts.
TEST(OciMemoryChild, WritesOneBatchOfLargePicturesAndPrintsItsPeakMemory)
{
    if (qEnvironmentVariableIsEmpty(kChildVariable))
        GTEST_SKIP() << "runs as the child process of OciMemory";
    OciTestBed bed;
    bed.createStubTable(QStringLiteral("PICS"), QStringLiteral("ID NUMBER, P BLOB"), true);
    auto connection = bed.connect();
    auto writer = connection->createRowWriter();
    writer->setCommandText(QStringLiteral("select * from \"PICS\" where 1=0"));
    writer->open();
    for (int i = 1; i <= kRows; ++i) {
        // A buffer of its own for every row, as a source delivers them.
        const QByteArray picture(kPictureBytes, char(i));
        writer->append();
        writer->setFieldValue(0, i);
        writer->setFieldValue(1, picture);
        writer->post();
    }
    ASSERT_EQ(writer->applyUpdates().stored, kRows);
    ASSERT_EQ(bed.stubTableReceived(QStringLiteral("PICS")), kRows);
    std::printf("peak-rss-kb=%lld\n", static_cast<long long>(peakResidentKilobytes()));
}

TEST(OciMemory, AOneGigabyteBatchKeepsPeakMemoryUnder300Megabytes)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QLatin1String(kChildVariable), QStringLiteral("1"));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=OciMemoryChild.*")});
    ASSERT_TRUE(child.waitForFinished(-1));
    const QString output = QString::fromUtf8(child.readAllStandardOutput());
    const QRegularExpressionMatch peak = QRegularExpression(QStringLiteral("peak-rss-kb=(\\d+)")).match(output);
    ASSERT_TRUE(peak.hasMatch()) << qPrintable(output);
    const qint64 peakKb = peak.captured(1).toLongLong();
    std::printf("peak resident memory for %d rows of %d KB: %lld KB\n", kRows, kPictureBytes / 1024, peakKb);
    EXPECT_LT(peakKb, 300 * 1024);
}

} // namespace
