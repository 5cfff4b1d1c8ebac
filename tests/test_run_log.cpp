// The run log: line editing, the saved file's exact bytes, file names.

#include "convert/RunLog.h"
#include "convert/WholeFile.h"
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
    log.append(QStringLiteral("Insert table ORDERS 3 Rows ...Done"));
    log.save(path);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("Start time:x\r\n\r\nInsert table ORDERS 3 Rows ...Done\r\n"));
}

TEST(RunLog, SavedLogKeepsEveryCharacter)
{
    // In the system's encoding when it holds the names (UTF-8 on Linux),
    // else in UTF-8 after a byte-order mark (an ANSI code page on Windows).
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("twjobs_test.log"));
    tw::RunLog log;
    log.append(QStringLiteral("Insert table 订单 3 Rows ...Done"));
    log.append(QStringLiteral("Insert table Müller 1 Rows ...Done"));
    log.save(path);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const QByteArray bom("\xEF\xBB\xBF");
    const QString text = bytes.startsWith(bom) ? QString::fromUtf8(bytes.mid(bom.size())) : QString::fromLocal8Bit(bytes);
    EXPECT_EQ(text, log.lines().join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

TEST(RunLog, LosslessTextFallsBackToUtf8WithByteOrderMarkOnlyForALostCharacter)
{
    struct Case {
        const char* name;
        QStringList lines;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"held by the encoding", {QStringLiteral("Müller"), QString()}, QByteArray("M\xfcller\r\n\r\n")},
        {"one character it lacks", {QStringLiteral("Müller"), QStringLiteral("订单")},
         QByteArray("\xEF\xBB\xBFM\xC3\xBCller\r\n\xe8\xae\xa2\xe5\x8d\x95\r\n")},
        {"a question mark of its own", {QStringLiteral("why?")}, QByteArray("why?\r\n")},
        {"empty log", {}, QByteArray()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tw::losslessTextLines(c.lines, QStringConverter::Latin1), c.bytes) << c.name;
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
