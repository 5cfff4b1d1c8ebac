#pragma once

#include "convert/RunSummary.h"
#include "db/SourceTable.h"

#include <QString>

namespace tw {

// What the conversion run reads from the wizard, and the effects it has on
// the wizard. The run reads each value at the moment it needs it (the table
// list item by item, the per-table options at each table), so the wizard
// answers from its controls as they are then; a headless caller answers from
// fixed values.
class ConversionHost {
public:
    virtual ~ConversionHost() = default;

    // Selected source tables, in conversion order.
    virtual int selectedTableCount() const = 0;
    virtual SourceTable selectedTable(int index) const = 0;
    // The table names that a job names but the source database lacks, in
    // the job's order; none for a run that a user started.
    virtual QStringList tablesNotFound() const { return {}; }
    // The source database, as the log names it.
    virtual QString sourceDatabase() const = 0;
    // 0 Overwrite, 1 Merge, 2 Skip; any other value acts as Merge.
    virtual int existingTableMode() const = 0;
    virtual bool skipIndexes() const = 0;
    virtual bool namesUppercase() const = 0;
    virtual bool tableDefinitionsOnly() const = 0;
    // A row the target refuses costs only itself: the good rows of its
    // batch are stored, the refused rows go to the run's reject file.
    virtual bool keepGoodRows() const = 0;
    // Carry NOT NULL, defaults, identity, unique and foreign keys, and the
    // exact target types.
    virtual bool fullDefinitions() const = 0;
    // Also write every statement sent to the target, but the row inserts,
    // to a script beside the log.
    virtual bool writeScript() const = 0;
    // The target user whose schema is probed.
    virtual QString owner() const = 0;
    // How many tables the run copies at once (1 to 8), each on a worker
    // with sessions of its own.
    virtual int tablesAtOnce() const { return 1; }

    // True when the program runs from a job file, without a user.
    virtual bool unattended() const = 0;
    // The job file of an unattended run; its log goes beside it.
    virtual QString jobFilePath() const = 0;
    // Where an interactive run saves its log (ends with a separator).
    virtual QString appDataFolder() const = 0;

    // The run's closing lines in the interface language: the two completion
    // lines and the line that invites the user to click Finish.
    virtual QString completedCaption() const = 0;
    virtual QString migratedCaption() const = 0;
    // The completion line of a run in which tables failed: %1 the failed
    // count, %2 the selected count.
    virtual QString failedCaption() const = 0;
    virtual QString finishCaption() const = 0;
    // The closing line of a run that a stop ended.
    virtual QString stoppedCaption() const = 0;

    // The run has started: show the log page, disable Back and Next, turn
    // the cancel button into Stop.
    virtual void enterRunningState() = 0;
    // Lets the window handle pending events (a click on Stop among them).
    virtual void processEvents() = 0;
    virtual bool stopRequested() const = 0;
    virtual void clearStop() = 0;
    // A column whose values cannot be set, reported once per table and
    // column (the run also logs it). A display may show it, but must not
    // wait for anybody: the copy goes on.
    virtual void columnProblem(const QString& targetTable, const QString& column, const QString& reason) = 0;
    // An unattended run ends the program after saving its log.
    virtual void closeMainWindow() = 0;

    // Progress for a display; a host that shows none keeps these empty.
    // The run starts table `index` of the selected list, under its source
    // name.
    virtual void tableStarted(int index, const QString& sourceName)
    {
        Q_UNUSED(index);
        Q_UNUSED(sourceName);
    }
    // The row copy has counted the source's rows and reports the rows copied
    // so far: once before the first row, at every 100th row and at its end.
    virtual void rowsCopied(qint64 copied, qint64 counted)
    {
        Q_UNUSED(copied);
        Q_UNUSED(counted);
    }
    // With several tables at once: table `index` has copied so many rows of
    // those counted, reported for each table at work.
    virtual void tableRowsCopied(int index, qint64 copied, qint64 counted)
    {
        Q_UNUSED(index);
        Q_UNUSED(copied);
        Q_UNUSED(counted);
    }
    // The run is done with table `index`; the summary says what became of it.
    // With several tables at once, tables are done in list order.
    virtual void tableFinished(int index, const TableSummary& summary)
    {
        Q_UNUSED(index);
        Q_UNUSED(summary);
    }
};

} // namespace tw
