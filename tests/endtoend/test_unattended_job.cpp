// The built program started as a scheduler starts it: a separate process
// with a job file as its argument and no display, converting from the
// loopback TDS peer into the stand-in Oracle client library. What it leaves
// behind is checked: exit code, job log, target rows, saved settings.

#include "OciTestBed.h"
#include "peers/tds/TdsLoopback.h"
#include "settings/JobSettingsFile.h"
#include "settings/Shortcut.h"
#include "support/OwnerOnly.h"
#include "support/Printers.h"
#include "support/PrivateSettings.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct UnattendedJob : ::testing::Test {
    peers::ModelSqlServer server;
    std::unique_ptr<peers::TdsLoopback> loopback;
    OciTestBed bed;
    QTemporaryDir home;
    QString standardOutput;
    QString standardError;

    void SetUp() override
    {
        server.addLogin(QStringLiteral("sa"), QStringLiteral("secret"));
        auto& shop = server.database(QStringLiteral("Shop"));
        auto& numbers = shop.table(QStringLiteral("Numbers"))
                            .column(QStringLiteral("Id"), QStringLiteral("int"), false)
                            .primaryKey(QStringLiteral("PK_Numbers"), {QStringLiteral("Id")});
        for (int i = 1; i <= 250; ++i)
            numbers.row({i});
        shop.table(QStringLiteral("Items")).column(QStringLiteral("Name"), QStringLiteral("varchar(10)")).row({QStringLiteral("a")});
        loopback = std::make_unique<peers::TdsLoopback>(server);
        bed.seed().save(bed.modelPath());
    }
    void TearDown() override { removeProgramSettings(); }

    QString jobFolder = QStringLiteral("jobs");
    QString jobPath() const { return home.filePath(jobFolder + QStringLiteral("/nightly.twjobs")); }
    QString logPath() const { return home.filePath(jobFolder + QStringLiteral("/nightly.log")); }
    // The summary file's lines, with the seconds and the rate masked.
    QStringList summaryFile() const
    {
        QFile file(home.filePath(jobFolder + QStringLiteral("/nightly.summary.csv")));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QString text = QString::fromUtf8(file.readAll());
        text.replace(QRegularExpression(QStringLiteral(",\\d+\\.\\d{3},\\d+,(\\d+)\r\n")), QStringLiteral(",*,*,\\1\r\n"));
        return text.split(QStringLiteral("\r\n"));
    }

    void writeJob(const QString& password, const QStringList& tables, const QStringList& options = {})
    {
        QStringList lines{QStringLiteral("mssqlserver=") + loopback->dataSource(), QStringLiteral("msdatabase=Shop"),
                          QStringLiteral("mssqlloginname=sa"), QStringLiteral("mssqlpassword=") + password,
                          QStringLiteral("mssqlAuthentication=SQLSERVER"), QStringLiteral("oracleh=ORCL"),
                          QStringLiteral("oracleu=scott"), QStringLiteral("oraclep=tiger"),
                          QStringLiteral("processtable=0"), QStringLiteral("nameuppercase=1"),
                          QStringLiteral("alltables=0")};
        lines += options;
        for (int i = 0; i < tables.size(); ++i)
            lines.append(QStringLiteral("tables%1=%2").arg(i + 1).arg(tables[i]));
        QDir().mkpath(home.filePath(jobFolder));
        QFile file(jobPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write((lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
    }

    // The environment of a scheduled job: no display, settings and data
    // folders of the test's own. (A scheduled task on Windows has a desktop,
    // which Wine under test lacks: there the test's own platform is kept.)
    QProcessEnvironment jobEnvironment(const QMap<QString, QString>& extra = {}) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
#ifndef Q_OS_WIN
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR"})
            environment.remove(QLatin1String(name));
#endif
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        for (auto it = extra.begin(); it != extra.end(); ++it)
            environment.insert(it.key(), it.value());
        return environment;
    }

    // Runs the program headless; returns its exit code.
    int runProgram(const QStringList& arguments, const QMap<QString, QString>& extraEnvironment = {})
    {
        QProcess program;
        program.setProcessEnvironment(jobEnvironment(extraEnvironment));
        program.start(QStringLiteral(TABLEWRIGHT_EXECUTABLE), arguments);
        EXPECT_TRUE(program.waitForFinished(180000)) << "the program did not end by itself";
        // Console text on Windows ends its lines with CR LF.
        standardOutput = QString::fromLocal8Bit(program.readAllStandardOutput()).replace(QStringLiteral("\r\n"),
                                                                                        QStringLiteral("\n"));
        standardError = QString::fromLocal8Bit(program.readAllStandardError()).replace(QStringLiteral("\r\n"),
                                                                                      QStringLiteral("\n"));
        if (program.exitStatus() != QProcess::NormalExit)
            return -1;
        return program.exitCode();
    }

    QStringList jobLog() const
    {
        QFile file(logPath());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QString text = QString::fromLocal8Bit(file.readAll());
        EXPECT_TRUE(text.endsWith(QStringLiteral("\r\n")));
        return text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }
};

TEST_F(UnattendedJob, CopiesTheJobTablesAndEndsWithZero)
{
    writeJob(QStringLiteral("secret"), {QStringLiteral("Numbers")});
    EXPECT_EQ(runProgram({jobPath()}), 0) << standardError.toStdString();
    // A clean run prints its summary alone, which cron mails.
    EXPECT_EQ(standardError, QString());
    EXPECT_TRUE(QRegularExpression(QStringLiteral(
                    "^Source   Target   Result   Read  Stored  Refused  Seconds  Rows/s\n"
                    "NUMBERS  NUMBERS  created   250     250        0 +\\d+\\.\\d +\\d+\n$"))
                    .match(standardOutput)
                    .hasMatch())
        << standardOutput.toStdString();
    EXPECT_EQ(summaryFile(), (QStringList{"source,target,outcome,rows read,rows stored,rows refused,seconds,rows per "
                                          "second,values not stored",
                                          "NUMBERS,NUMBERS,created,250,250,0,*,*,0", ""}));

    const QStringList log = jobLog();
    ASSERT_GE(log.size(), 4) << log.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(log.first().startsWith(QStringLiteral("Start time:")));
    EXPECT_TRUE(log.contains(QStringLiteral("Insert table NUMBERS 250 Rows ...Done"))) << log.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(log.mid(log.size() - 3, 2),
              (QStringList{QStringLiteral("Conversion is Completed"),
                           QStringLiteral("Wizard has migrated your MSSQL database to Oracle server successfully.")}));
    EXPECT_TRUE(log.last().startsWith(QStringLiteral("The end time:")));
    EXPECT_EQ(bed.targetRows(QStringLiteral("NUMBERS")).size(), 250);
    EXPECT_FALSE(bed.target().tables(QStringLiteral("SCOTT")).contains(QStringLiteral("ITEMS")));

    const auto saved = programSettings(home.filePath(QStringLiteral("config")));
    EXPECT_EQ(saved->value(QStringLiteral("mssqlserver")).toString(), loopback->dataSource());
    EXPECT_EQ(saved->value(QStringLiteral("mspassword")).toString(), QStringLiteral("secret"));
    EXPECT_EQ(saved->value(QStringLiteral("Windows Authentication")).toString(), QStringLiteral("0"));
    EXPECT_EQ(saved->value(QStringLiteral("oracleu")).toString(), QStringLiteral("scott"));
    // A settings file is owner-only; the registry key is the user's own.
    if (saved->format() == QSettings::IniFormat) {
        EXPECT_TRUE(isOwnerOnly(saved->fileName()));
    }
}

// Tables copied two at a time into the stand-in's discarding tables, which
// keep no row but count them for the row count check: the whole program as
// a measurement runs it. A number of tables out of range makes the job
// unusable.
TEST_F(UnattendedJob, CopiesTablesAtOnceIntoDiscardingTables)
{
    writeJob(QStringLiteral("secret"), {QStringLiteral("Numbers"), QStringLiteral("Items")},
             {QStringLiteral("paralleltables=2")});
    EXPECT_EQ(runProgram({jobPath()}, {{QStringLiteral("TABLEWRIGHT_OCISTUB_DISCARD"), QStringLiteral("1")}}), 0)
        << standardError.toStdString();
    const QStringList log = jobLog();
    const qsizetype numbers = log.indexOf(QStringLiteral("Insert table NUMBERS 250 Rows ...Done"));
    EXPECT_GT(numbers, 0) << log.join(QLatin1Char('\n')).toStdString();
    EXPECT_GT(log.indexOf(QStringLiteral("Insert table ITEMS 1 Rows ...Done")), numbers);
    EXPECT_EQ(summaryFile().mid(1),
              (QStringList{"NUMBERS,NUMBERS,created,250,250,0,*,*,0", "ITEMS,ITEMS,created,1,1,0,*,*,0", ""}));
    EXPECT_TRUE(bed.target().tables(QStringLiteral("SCOTT")).contains(QStringLiteral("NUMBERS")));
    EXPECT_EQ(bed.targetRows(QStringLiteral("NUMBERS")).size(), 0);

    writeJob(QStringLiteral("secret"), {QStringLiteral("Numbers")}, {QStringLiteral("paralleltables=9")});
    EXPECT_EQ(runProgram({jobPath()}), 2) << standardError.toStdString();
    EXPECT_TRUE(standardError.contains(
        QStringLiteral("The job's paralleltables value '9' is not a number of tables from 1 to 8")))
        << standardError.toStdString();
}

// A table the job names but the database lacks fails the job; so does a job
// that selects no table at all.
TEST_F(UnattendedJob, JobTablesNotInTheDatabaseEndWithOne)
{
    // Table names match with letter case: "numbers" is not there either.
    writeJob(QStringLiteral("secret"), {QStringLiteral("Items"), QStringLiteral("numbers")});
    EXPECT_EQ(runProgram({jobPath()}), 1) << standardError.toStdString();
    const QStringList log = jobLog();
    EXPECT_EQ(log.value(1), QStringLiteral("Table numbers named by the job is not in database Shop"))
        << log.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("Insert table ITEMS 1 Rows ...Done")));
    EXPECT_TRUE(log.contains(
        QStringLiteral("Wizard has migrated your MSSQL database to Oracle server, but 1 of 2 tables failed.")));
    EXPECT_EQ(bed.targetRows(QStringLiteral("ITEMS")).size(), 1);
    EXPECT_EQ(summaryFile().mid(1), (QStringList{"numbers,,not found,0,0,0,*,*,0", "ITEMS,ITEMS,created,1,1,0,*,*,0", ""}));

    writeJob(QStringLiteral("secret"), {});
    EXPECT_EQ(runProgram({jobPath()}), 1) << standardError.toStdString();
    EXPECT_EQ(jobLog(), QStringList{QStringLiteral("The job selects no table")});
}

TEST_F(UnattendedJob, FailuresEndWithTheirExitCodeAndAJobLog)
{
    // A refused row fails the first table; the second still converts.
    writeJob(QStringLiteral("secret"), {QStringLiteral("Numbers"), QStringLiteral("Items")});
    EXPECT_EQ(runProgram({jobPath()}, {{QStringLiteral("TABLEWRIGHT_OCISTUB_REFUSE_ROW"), QStringLiteral("1")}}), 1)
        << standardError.toStdString();
    const QString failedRun = jobLog().join(QLatin1Char('\n'));
    EXPECT_TRUE(failedRun.contains(QStringLiteral("ORA-00001"))) << failedRun.toStdString();
    EXPECT_TRUE(failedRun.contains(QStringLiteral("Row count check of NUMBERS failed: read 250, stored 150, found 150")))
        << failedRun.toStdString();
    EXPECT_EQ(bed.targetRows(QStringLiteral("ITEMS")).size(), 1);
    EXPECT_EQ(summaryFile().mid(1),
              (QStringList{"NUMBERS,NUMBERS,failed,250,150,100,*,*,0", "ITEMS,ITEMS,created,1,1,0,*,*,0", ""}));

    // A float beyond Oracle NUMBER's range cannot arrive: its row is stored
    // without it, and the table fails.
    server.database(QStringLiteral("Shop"))
        .table(QStringLiteral("Floats"))
        .column(QStringLiteral("V"), QStringLiteral("float"))
        .row({1.7976931348623157E+308})
        .row({1.5});
    writeJob(QStringLiteral("secret"), {QStringLiteral("Floats")});
    EXPECT_EQ(runProgram({jobPath()}), 1) << standardError.toStdString();
    EXPECT_EQ(summaryFile().mid(1), (QStringList{"FLOATS,FLOATS,failed,2,2,0,*,*,1", ""}));
    const QString lostValue = jobLog().join(QLatin1Char('\n'));
    EXPECT_TRUE(lostValue.contains(QStringLiteral("Insert table FLOATS 2 Rows \n1 value was not stored\n")))
        << lostValue.toStdString();
    EXPECT_TRUE(lostValue.contains(QStringLiteral("FLOATS -----  V: "))) << lostValue.toStdString();
    EXPECT_EQ(bed.targetRows(QStringLiteral("FLOATS")).size(), 2);

    // A logon the server refuses stops the walk on page 2: what was tried
    // and the driver's messages are the whole log.
    writeJob(QStringLiteral("wrong"), {QStringLiteral("Numbers")});
    EXPECT_EQ(runProgram({jobPath()}), 3) << standardError.toStdString();
    const QStringList refused = jobLog();
    EXPECT_TRUE(refused.value(0).startsWith(QStringLiteral("Cannot connect to SQL Server at 127.0.0.1, port ")))
        << refused.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(refused.value(1).startsWith(QStringLiteral("[FreeTDS]"))
                && refused.value(1).contains(QStringLiteral("Login failed")))
        << refused.join(QLatin1Char('\n')).toStdString();

    // A job whose existing-table option is no number cannot be applied.
    QFile job(jobPath());
    ASSERT_TRUE(job.open(QIODevice::WriteOnly));
    job.write("mssqlserver=x\r\nprocesstable=Skip\r\n");
    job.close();
    EXPECT_EQ(runProgram({jobPath()}), 2) << standardError.toStdString();
    EXPECT_EQ(jobLog(), QStringList{QStringLiteral("'Skip' is not a valid integer value")});

    // A job file that is not there: the log beside it holds the one error line.
    QFile::remove(jobPath());
    EXPECT_EQ(runProgram({jobPath()}), 2) << standardError.toStdString();
    ASSERT_EQ(jobLog().size(), 1);
    EXPECT_TRUE(jobLog().first().startsWith(QStringLiteral("Cannot open file \""))) << jobLog().first().toStdString();
}

TEST_F(UnattendedJob, TheBuildersKeepGoodRowsKeyStoresTheGoodRowsAndRejectsTheRefusedOne)
{
    tw::JobDefinition job;
    job.server = loopback->dataSource();
    job.database = QStringLiteral("Shop");
    job.loginName = QStringLiteral("sa");
    job.password = QStringLiteral("secret");
    job.windowsAuthentication = false;
    job.oracleService = QStringLiteral("ORCL");
    job.oracleUser = QStringLiteral("scott");
    job.oraclePassword = QStringLiteral("tiger");
    job.keepGoodRows = true;
    job.tableChoice = 0;
    job.tables = {QStringLiteral("Numbers")};
    QDir().mkpath(home.filePath(jobFolder));
    tw::WriteJobFile(jobPath(), job);

    EXPECT_EQ(runProgram({jobPath()}, {{QStringLiteral("TABLEWRIGHT_OCISTUB_REFUSE_ROW"), QStringLiteral("150")}}), 1)
        << standardError.toStdString();
    const QStringList log = jobLog();
    EXPECT_TRUE(log.contains(QStringLiteral("Rows 101 to 250: 1 rows refused, see nightly.rejects.csv")))
        << log.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(summaryFile().mid(1), (QStringList{"NUMBERS,NUMBERS,failed,250,249,1,*,*,0", ""}));
    EXPECT_EQ(bed.targetRows(QStringLiteral("NUMBERS")).size(), 249);
    QFile rejects(home.filePath(jobFolder + QStringLiteral("/nightly.rejects.csv")));
    ASSERT_TRUE(rejects.open(QIODevice::ReadOnly));
    EXPECT_EQ(rejects.readAll(), QByteArray("table,row,error,Id\r\n"
                                            "NUMBERS,150,ORA-00001: unique constraint (STUB.REFUSED_ROW) violated,150\r\n"));
    const auto saved = programSettings(home.filePath(QStringLiteral("config")));
    EXPECT_EQ(saved->value(QStringLiteral("keepgoodrows")).toString(), QStringLiteral("1"));
}

TEST_F(UnattendedJob, TheLauncherStartsTheJob)
{
#ifdef Q_OS_WIN
    GTEST_SKIP() << "a desktop entry started through gio is Linux's launcher; the Windows .lnk is read back in the "
                    "shortcut builder's test";
#endif
    if (QStandardPaths::findExecutable(QStringLiteral("gio")).isEmpty())
        GTEST_SKIP() << "gio is not installed";
    // A folder name that needs every quoting rule of the launcher's Exec line.
    jobFolder = QStringLiteral("jobs \"a\" $HOME `b` 100% \\c");
    writeJob(QStringLiteral("secret"), {QStringLiteral("Numbers")});
    const QString launcher = home.filePath(QStringLiteral("nightly.desktop"));
    tw::CreateShortcut(QStringLiteral(TABLEWRIGHT_EXECUTABLE), jobPath(), home.path() + QLatin1Char('/'), launcher);

    // The program outlives gio: it must not inherit pipes that close with it.
    QProcess gio;
    gio.setProcessEnvironment(jobEnvironment());
    gio.setStandardOutputFile(QProcess::nullDevice());
    gio.setStandardErrorFile(QProcess::nullDevice());
    gio.start(QStringLiteral("gio"), {QStringLiteral("launch"), launcher});
    ASSERT_TRUE(gio.waitForFinished(30000));
    ASSERT_EQ(gio.exitCode(), 0);
    // gio does not wait for the program: the finished job log tells.
    QDeadlineTimer deadline(120000);
    while (!jobLog().join(QLatin1Char('\n')).contains(QStringLiteral("The end time:")) && !deadline.hasExpired())
        QThread::msleep(100);
    EXPECT_TRUE(jobLog().contains(QStringLiteral("Insert table NUMBERS 250 Rows ...Done")))
        << jobLog().join(QLatin1Char('\n')).toStdString();
}

TEST_F(UnattendedJob, OptionsPrintAndTheWizardNeedsADisplay)
{
    EXPECT_EQ(runProgram({QStringLiteral("--version")}), 0);
    EXPECT_EQ(standardOutput, QStringLiteral("Tablewright 4.0\n"));
    EXPECT_EQ(runProgram({QStringLiteral("--help")}), 0);
    for (const char* listed :
         {"processtable", "keepgoodrows", "tables1", "TABLEWRIGHT_QUERY_TIMEOUT", "Exit codes:", "Tablewright.conf"})
        EXPECT_TRUE(standardOutput.contains(QLatin1String(listed))) << listed;
#ifndef Q_OS_WIN
    // A Windows session always has a desktop to show the wizard on.
    EXPECT_EQ(runProgram({}), 4);
    EXPECT_TRUE(standardError.contains(QStringLiteral("no display"))) << standardError.toStdString();
    EXPECT_EQ(standardError.count(QLatin1Char('\n')), 1);
#endif
}

} // namespace
