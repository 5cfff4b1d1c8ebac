#pragma once

#include "support/Printers.h"

// A conversion host for tests: fixed answers, and a record of what the run
// asked of the window.

#include "convert/ConversionHost.h"
#include "convert/RunProgress.h"

#include <QMap>
#include <QStringList>
#include <functional>

struct FakeHost : tw::ConversionHost {
    // The selected tables: names of tables in dbo, or, when set, tables as
    // the listing gave them.
    QStringList tables;
    QVector<tw::SourceTable> listed;
    QStringList notFound;
    int mode = 1;
    bool skipIdx = false;
    bool upper = true;
    bool definitionsOnly = false;
    bool keepGood = false;
    bool fullDefs = false;
    bool script = false;
    int atOnce = 1;
    QString ownerName = QStringLiteral("scott");
    bool isUnattended = false;
    QString jobFile;
    QString dataFolder;

    bool stop = false;
    int yields = 0;
    bool running = false;
    bool closed = false;
    QStringList columnReports;
    // Called at every yield, with the yield count so far.
    std::function<void(int)> onYield;
    // The progress as a display would show it, on a clock that advances one
    // second per report of the row copy; and the display after every report
    // and every finished table: "copied/counted tableBar done/selected
    // runBar rate/s secondsLeft".
    tw::RunProgress progress;
    qint64 msecs = 0;
    QStringList progressShown;
    tw::RunSummary finishedTables;
    // The rows copied so far of each table at work, by its index in the run.
    QMap<int, qint64> rowsOfTable;

    int selectedTableCount() const override { return int(listed.isEmpty() ? tables.size() : listed.size()); }
    tw::SourceTable selectedTable(int index) const override
    {
        return listed.isEmpty() ? tw::SourceTable{QStringLiteral("dbo"), tables.at(index)} : listed.at(index);
    }
    QStringList tablesNotFound() const override { return notFound; }
    QString sourceDatabase() const override { return QStringLiteral("Shop"); }
    int existingTableMode() const override { return mode; }
    bool skipIndexes() const override { return skipIdx; }
    bool namesUppercase() const override { return upper; }
    bool tableDefinitionsOnly() const override { return definitionsOnly; }
    bool keepGoodRows() const override { return keepGood; }
    bool fullDefinitions() const override { return fullDefs; }
    bool writeScript() const override { return script; }
    int tablesAtOnce() const override { return atOnce; }
    QString owner() const override { return ownerName; }
    bool unattended() const override { return isUnattended; }
    QString jobFilePath() const override { return jobFile; }
    QString appDataFolder() const override { return dataFolder; }
    QString completedCaption() const override { return QStringLiteral("Conversion is Completed"); }
    QString migratedCaption() const override
    {
        return QStringLiteral("Wizard has migrated your MSSQL database to Oracle server successfully.");
    }
    QString failedCaption() const override
    {
        return QStringLiteral("Wizard has migrated your MSSQL database to Oracle server, but %1 of %2 tables failed.");
    }
    QString finishCaption() const override { return QStringLiteral("Click 'Finish' to exit the wizard."); }
    QString stoppedCaption() const override { return QStringLiteral("The conversion was stopped by the user."); }
    void enterRunningState() override
    {
        running = true;
        progress.startRun(selectedTableCount());
    }
    void processEvents() override
    {
        ++yields;
        if (onYield)
            onYield(yields);
    }
    bool stopRequested() const override { return stop; }
    void clearStop() override { stop = false; }
    void columnProblem(const QString& table, const QString& column, const QString& reason) override
    {
        columnReports.append(table + QLatin1Char('|') + column + QLatin1Char('|') + reason);
    }
    void closeMainWindow() override { closed = true; }
    void tableStarted(int index, const QString& sourceName) override { progress.startTable(index, sourceName); }
    void tableRowsCopied(int index, qint64 copied, qint64) override { rowsOfTable[index] = copied; }
    void rowsCopied(qint64 copied, qint64 counted) override
    {
        progress.copied(copied, counted, msecs);
        msecs += 1000;
        showProgress();
    }
    void tableFinished(int index, const tw::TableSummary& summary) override
    {
        progress.finishTable(index);
        finishedTables.append(summary);
        showProgress();
    }
    void showProgress()
    {
        progressShown.append(QStringLiteral("%1/%2 %3 %4/%5 %6 %7/s %8")
                                 .arg(progress.rowsCopied())
                                 .arg(progress.rowsCounted())
                                 .arg(progress.tableBar())
                                 .arg(progress.tablesDone())
                                 .arg(progress.tablesSelected())
                                 .arg(progress.runBar())
                                 .arg(progress.rowsPerSecond())
                                 .arg(progress.secondsLeft()));
    }
};
