// The run log: line editing, the saved file's exact bytes, file names.

#include "convert/RunLog.h"
#include "db/Failure.h"
#include "support/Printers.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(RunLog, AppendSplitsLinesAndEditsTheLastLine)
{
    tw::RunLog log;
    log.appendToLast(QStringLiteral("first"));
    log.append(QString());
    log.append(QStringLiteral("Create table T... "));
    log.replaceLast(QStringLiteral("Create table T...Done"));
    log.append(QStringLiteral("Insert table T... "));
    log.appendToLast(QStringLiteral("...Done"));
    // An error text of a failed create: message, statement lines, an empty line.
    log.append(QStringLiteral("ORA-00957: duplicate column name\r\nCreate table \"T\" (\r\n ) \r\n\r\n"));
    log.append(QStringLiteral("a\nb\rc"));

    const QStringList expected{"first", "", "Create table T...Done", "Insert table T... ...Done",
                               "ORA-00957: duplicate column name", "Create table \"T\" (", " ) ", "", "a", "b", "c"};
    EXPECT_EQ(log.lines(), expected);
    log.clear();
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST(RunLog, SavesCrLfLinesWithoutByteOrderMarkReplacingTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("twjobs_test.log"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("an older, longer log that must disappear entirely\r\n");
    }
    tw::RunLog log;
    log.append(QStringLiteral("Start time:x"));
    log.append(QString());
    log.append(QStringLiteral("Insert table 订单 3 Rows ...Done"));
    log.save(path);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("Start time:x\r\n\r\nInsert table \xe8\xae\xa2\xe5\x8d\x95 3 Rows ...Done\r\n"));
}

TEST(RunLog, SaveIntoAMissingFolderFailsNamingTheFile)
{
    tw::RunLog log;
    log.append(QStringLiteral("x"));
    try {
        log.save(QStringLiteral("/nonexistent-folder/sub/twjobs.log"));
        FAIL() << "save succeeded";
    } catch (const tw::Failure& failure) {
        EXPECT_TRUE(failure.message().contains(QStringLiteral("twjobs.log"))) << qPrintable(failure.message());
    }
}

TEST(RunLog, LogFileNames)
{
    const QDateTime moment(QDate(2026, 12, 7), QTime(23, 52, 3));
    EXPECT_EQ(tw::interactiveLogFileName(moment), QStringLiteral("twjobs_20261207_235203.log"));
    EXPECT_EQ(tw::jobLogPath(QStringLiteral("/jobs/nightly.twjobs")), QStringLiteral("/jobs/nightly.log"));
    EXPECT_EQ(tw::jobLogPath(QStringLiteral("/jobs/nightly")), QStringLiteral("/jobs/nightly.log"));
    EXPECT_EQ(tw::jobLogPath(QStringLiteral("/jobs.d/nightly")), QStringLiteral("/jobs.d/nightly.log"));
    EXPECT_EQ(tw::jobLogPath(QStringLiteral("/jobs/a.b.twjobs")), QStringLiteral("/jobs/a.b.log"));

    const QString stamp = tw::logTimeStamp(moment);
    EXPECT_TRUE(stamp.contains(QStringLiteral("52"))) << qPrintable(stamp);
    EXPECT_FALSE(stamp.contains(QStringLiteral("UTC"))) << qPrintable(stamp);
}

} // namespace
