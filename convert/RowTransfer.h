#pragma once

#include "convert/ConversionHost.h"
#include "convert/RejectFile.h"
#include "convert/RunLog.h"
#include "convert/Tcc.h"
#include "db/SourceAccess.h"
#include "db/TargetAccess.h"

#include <QHash>
#include <QSet>
#include <QStringList>
#include <QVector>
#include <deque>
#include <vector>

namespace tw {

// The log line of a column whose values could not be set:
// T + " -----  " + column + ": " + reason.
QString columnProblemLine(const QString& targetTable, const QString& column, const QString& reason);

// Copies every row of one source table into its target table through the
// buffered row writer, applying batches after row 100 and after every further
// 5,000 rows and at the end, with the row-count line of the log refreshed,
// pending events handled and the stop request honoured every 100 rows.
class RowTransfer {
public:
    // Every 100 rows the window is served and the row-count line refreshed;
    // the first batch ends after row 100, each later one 5,000 rows on.
    static constexpr qint64 kYieldEvery = 100;
    static constexpr qint64 kBatchSize = 5000;

    RowTransfer(SourceQuery& query, RowWriter& writer, RunLog& log, Tcc& cc, ConversionHost& host);

    // A row the target refuses costs only itself: the good rows of its
    // batch are stored and the refused rows, with the server's message and
    // their source values, go to the reject file. Without this call a
    // refused row costs its whole batch.
    void keepGoodRows(RejectFile& rejects) { rejects_ = &rejects; }

    // Copies the rows of the source table into its target. ok is set true on
    // entry; on failure it is
    // false and the error text holds the reason. A batch that the target
    // refuses is reported in the error text (which rows, how many, the
    // server's message), as is a batch whose refused rows went to the
    // reject file (which rows, how many, the file's name), while the copy
    // goes on with the next batch; a
    // failure that ends the copy names the rows read since the last commit,
    // which are not stored.
    void run(const TableRef& table, bool& ok, QString& errorText);

    // Log lines for the columns whose values could not be set during the
    // last run, one per column (columnProblemLine).
    const QStringList& columnProblems() const { return columnProblems_; }

    // Values of the last run that the target did not take (each left its
    // row's column unset), counted one by one, not per column.
    qint64 valuesNotStored() const { return valuesNotStored_; }

    // Whether the last run failed because the source connection is gone.
    bool sourceLost() const { return sourceLost_; }
    // Whether the last run ended on a stop request ("Operation aborted").
    bool stopped() const { return stopped_; }

    // The last run's rows: read from the source, stored by the batches the
    // target committed, and refused: with the batches it rolled back, or
    // one by one when the good rows are kept.
    qint64 rowsRead() const { return lastPosted_; }
    qint64 rowsStored() const { return stored_; }
    qint64 rowsRefused() const { return refused_; }
    // Whether the last run read the source to its end and applied every
    // batch (refused batches do not end a copy; a stop or a failure does).
    bool readToEnd() const { return readToEnd_; }

private:
    // Where a source column's values go: resolved once per table, so that
    // no row looks a column up by name. Values of a column that the writer
    // takes straight from the source's buffers go that way (cells).
    struct ColumnRoute {
        int target = -1;  // position among the writer's columns; -1: none
        bool boolean = false;
        CellForm cells = CellForm::None;
    };

    // With the good rows kept: the source values of a batch's rows for the
    // reject file. Those of the rows not yet sent, row after row, and those
    // of the refused rows among the rows sent before the apply; the values
    // of the other rows sent go when they are sent, so that the writer's
    // bound on memory holds for them too.
    struct KeptValues {
        QVector<SqlValue> unsent;
        int sent = 0;
        QHash<int, QVector<SqlValue>> refused;
        // The values of a row of the batch (from 1).
        QVector<SqlValue> ofRow(int row, qsizetype columns) const;
    };

    // A batch given to the writer whose outcome has not been taken yet.
    struct BatchInFlight {
        qint64 firstRow = 0;
        qint64 lastRow = 0;
        KeptValues kept;
    };

    QVector<ColumnRoute> routeColumns(bool upperCase);
    void copyRow(const QString& targetTable);
    void copyValue(const QString& targetTable, const CellRoute& route);
    void reportColumn(const QString& targetTable, const QString& column, const QString& reason);
    // Gives the rows posted since the last batch to the writer as a batch,
    // applied while the next rows are copied, and reports the batches that
    // have ended.
    void handOff(qint64 lastRow);
    // Reports the outcomes of the batches in flight that have ended, or,
    // with wait, of all of them. When a batch's apply failed as a whole, the
    // rows from its first on are not stored: that failure is thrown.
    void collect(bool wait);
    // Waits for the batches in flight after the copy stopped. True when one
    // of them failed as a whole: its message then replaces message, since
    // the rows from that batch on are not stored.
    bool finishInFlight(QString& message);
    void report(const BatchInFlight& batch, const ApplyResult& result);
    void rejectRows(const QVector<RefusedRow>& rows, const BatchInFlight& batch);
    void keepSourceValues();
    QString failedRowsText(const QString& message) const;

    SourceQuery& query_;
    RowWriter& writer_;
    RunLog& log_;
    Tcc& cc_;
    ConversionHost& host_;

    RejectFile* rejects_ = nullptr;
    KeptValues kept_;  // of the batch being copied
    std::deque<BatchInFlight> inFlight_;
    QStringList sourceColumns_;
    QString sourceTable_;

    QVector<ColumnRoute> routes_;
    std::vector<CellRoute> rowRoutes_;  // of the routed columns, in order
    bool anyCells_ = false;           // whether a route takes cells
    std::vector<SourceCell> cells_;   // the current row's, one a source column
    QSet<QString> reportedColumns_;
    QStringList columnProblems_;
    QStringList refusedBatches_;
    qint64 batchFirstRow_ = 1;
    qint64 lastPosted_ = 0;
    qint64 counted_ = 0;
    qint64 stored_ = 0;
    qint64 refused_ = 0;
    qint64 valuesNotStored_ = 0;
    bool readToEnd_ = false;
    bool sourceLost_ = false;
    bool stopped_ = false;
};

} // namespace tw
