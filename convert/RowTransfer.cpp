#include "convert/RowTransfer.h"

#include "convert/OracleColumnNames.h"
#include "convert/SourceSql.h"
#include "convert/TargetSql.h"
#include "db/Failure.h"

#include <QLocale>

namespace tw {

namespace {

QString rowCountLine(const QString& sourceTable, qint64 rows)
{
    return QStringLiteral("Insert table ") + sourceTable + QLatin1Char(' ') + QString::number(rows)
        + QStringLiteral(" Rows ");
}

// The stop request ends the copy with this message.
struct Aborted {};

} // namespace

QString columnProblemLine(const QString& targetTable, const QString& column, const QString& reason)
{
    return targetTable + QStringLiteral(" -----  ") + column + QStringLiteral(": ") + reason;
}

RowTransfer::RowTransfer(SourceQuery& query, RowWriter& writer, RunLog& log, Tcc& cc, ConversionHost& host)
    : query_(query), writer_(writer), log_(log), cc_(cc), host_(host)
{
}

void RowTransfer::run(const TableRef& table, bool& ok, QString& errorText)
{
    const QString& targetTable = table.target;
    ok = true;
    reportedColumns_.clear();
    columnProblems_.clear();
    refusedBatches_.clear();
    batchFirstRow_ = 1;
    lastPosted_ = 0;
    counted_ = 0;
    stored_ = 0;
    refused_ = 0;
    valuesNotStored_ = 0;
    readToEnd_ = false;
    sourceLost_ = false;
    stopped_ = false;
    sourceTable_ = table.shown;
    kept_ = KeptValues();
    inFlight_.clear();
    writer_.setKeepGoodRows(rejects_ != nullptr);
    try {
        query_.close();
        query_.setSql(rowCountSql(table.source));
        query_.open();
        query_.first();
        counted_ = query_.value(0).toInteger();
        query_.close();
        host_.rowsCopied(0, counted_);

        query_.setSql(rowsSql(table.source));
        query_.open();
        query_.first();

        writer_.close();
        writer_.setCommandText(rowWriterSql(targetTable));
        cc_.CopyTextToClipboard(writer_.commandText());
        writer_.open();

        routes_ = routeColumns(host_.namesUppercase());
        rowRoutes_.clear();
        anyCells_ = false;
        for (int i = 0; i < routes_.size(); ++i) {
            if (routes_[i].target >= 0)
                rowRoutes_.push_back(CellRoute{i, routes_[i].target, routes_[i].cells});
            anyCells_ = anyCells_ || routes_[i].cells != CellForm::None;
        }
        cells_.assign(size_t(routes_.size()), SourceCell());
        sourceColumns_.clear();
        for (int i = 0; i < routes_.size(); ++i)
            sourceColumns_.append(query_.fieldName(i));
        bool anyColumnMatched = false;
        for (int i = 0; i < routes_.size(); ++i) {
            if (routes_[i].target < 0)
                reportColumn(targetTable, query_.fieldName(i), QStringLiteral("the target table has no such column"));
            else
                anyColumnMatched = true;
        }
        // Rows of nothing but NULLs would be no copy at all.
        if (!anyColumnMatched) {
            throw Failure(QStringLiteral("No column of %1 matches a column of %2: no row was copied")
                              .arg(table.shown, targetTable));
        }

        qint64 row = 1;
        while (!query_.atEnd()) {
            writer_.append();
            copyRow(targetTable);
            writer_.post();
            if (rejects_)
                keepSourceValues();
            lastPosted_ = row;
            query_.next();
            if (row % kYieldEvery == 0) {
                if (row % kBatchSize == kYieldEvery) {
                    handOff(row);
                    writer_.close();
                    writer_.open();
                }
                log_.replaceLast(rowCountLine(table.shown, row));
                host_.rowsCopied(row, counted_);
                host_.processEvents();
                if (host_.stopRequested())
                    throw Aborted();
            }
            ++row;
        }
        // The source lets go of its buffers before the last batch goes out,
        // so that a large value is not held by both clients at once (the
        // values kept for the reject file are copies of their own).
        query_.close();
        handOff(row - 1);
        collect(true);
        log_.replaceLast(rowCountLine(table.shown, row - 1));
        readToEnd_ = true;
        host_.rowsCopied(row - 1, counted_);
        writer_.close();
    } catch (const Aborted&) {
        stopped_ = true;
        QString failure;
        if (finishInFlight(failure))
            refusedBatches_.append(failedRowsText(failure));
        refusedBatches_.append(QStringLiteral("Operation aborted"));
    } catch (const Failure& failure) {
        sourceLost_ = dynamic_cast<const ConnectionLost*>(&failure) != nullptr;
        QString message = failure.message();
        if (finishInFlight(message))
            sourceLost_ = false;
        refusedBatches_.append(failedRowsText(message));
    }
    if (!refusedBatches_.isEmpty()) {
        ok = false;
        errorText = refusedBatches_.join(QStringLiteral("\r\n"));
    }
}

// Each source column goes to the target column that the table definition
// made from it (cut, blanks turned into underscores, a free name where
// columns collide), compared without regard to case, or else to a target
// column of the source column's own name.
QVector<RowTransfer::ColumnRoute> RowTransfer::routeColumns(bool upperCase)
{
    QVector<ColumnRoute> routes(query_.fieldCount());
    QStringList sourceNames;
    for (int i = 0; i < routes.size(); ++i)
        sourceNames.append(query_.fieldName(i));
    const OracleColumnNames names(sourceNames, upperCase);
    for (int i = 0; i < routes.size(); ++i) {
        const QString& name = sourceNames[i];
        int target = writer_.fieldIndex(names.of(name));
        if (target < 0)
            target = writer_.fieldIndex(name);
        routes[i].target = target;
        routes[i].boolean = query_.isBooleanField(i);
        const CellForm form = query_.cellForm(i);
        if (target >= 0 && form != CellForm::None && writer_.takesCells(target, form))
            routes[i].cells = form;
    }
    return routes;
}

// The writer takes the row's cells in one call; a value it leaves (one
// that only the value objects convert, a column that takes no cells, a
// value it refuses) goes on its own, in column order.
void RowTransfer::copyRow(const QString& targetTable)
{
    if (anyCells_)
        query_.cells(cells_.data());
    const int count = int(rowRoutes_.size());
    for (int i = writer_.setFieldCells(rowRoutes_.data(), count, cells_.data()); i < count;
         i += 1 + writer_.setFieldCells(rowRoutes_.data() + i + 1, count - i - 1, cells_.data()))
        copyValue(targetTable, rowRoutes_[size_t(i)]);
}

void RowTransfer::copyValue(const QString& targetTable, const CellRoute& route)
{
    try {
        if (route.form != CellForm::None
            && writer_.setFieldCell(route.target, route.form, cells_[size_t(route.source)]))
            return;
        const SqlValue value = query_.value(route.source);
        if (routes_[route.source].boolean) {
            // Booleans are written as "1" and "0"; NULL leaves the column unset.
            static const SqlValue trueText(QStringLiteral("1"));
            static const SqlValue falseText(QStringLiteral("0"));
            if (value == SqlValue(true))
                writer_.setFieldValue(route.target, trueText);
            else if (value == SqlValue(false))
                writer_.setFieldValue(route.target, falseText);
        } else {
            writer_.setFieldValue(route.target, value);
        }
    } catch (const Failure& failure) {
        ++valuesNotStored_;
        reportColumn(targetTable, query_.fieldName(route.source), failure.message());
    }
}

void RowTransfer::reportColumn(const QString& targetTable, const QString& column, const QString& reason)
{
    if (reportedColumns_.contains(column))
        return;
    reportedColumns_.insert(column);
    columnProblems_.append(columnProblemLine(targetTable, column, reason));
    host_.columnProblem(targetTable, column, reason);
}

// The rows posted since the last commit are dropped with the failure: the
// message names them, so that the user knows which rows are missing.
QString RowTransfer::failedRowsText(const QString& message) const
{
    if (lastPosted_ < batchFirstRow_)
        return message;
    return QStringLiteral("Rows %1 to %2 were not stored: %3").arg(batchFirstRow_).arg(lastPosted_).arg(message);
}

void RowTransfer::handOff(qint64 lastRow)
{
    inFlight_.push_back(BatchInFlight{batchFirstRow_, lastRow, std::move(kept_)});
    kept_ = KeptValues();
    batchFirstRow_ = lastRow + 1;
    writer_.applyInBackground();
    collect(false);
}

void RowTransfer::collect(bool wait)
{
    ApplyResult result;
    while (!inFlight_.empty()) {
        try {
            if (!writer_.takeApplied(result, wait))
                return;
        } catch (const Failure&) {
            batchFirstRow_ = inFlight_.front().firstRow;
            inFlight_.clear();
            // The batches after it were not sent; their outcomes go too.
            for (;;) {
                try {
                    if (!writer_.takeApplied(result, true))
                        break;
                } catch (const Failure&) {
                }
            }
            throw;
        }
        report(inFlight_.front(), result);
        inFlight_.pop_front();
    }
}

bool RowTransfer::finishInFlight(QString& message)
{
    try {
        collect(true);
    } catch (const Failure& failure) {
        message = failure.message();
        return true;
    }
    return false;
}

// One transaction per batch. A refused batch is rolled back by the writer;
// it is remembered here so that the table's step reports exactly which rows
// are missing. With the good rows kept, the refused rows go to the reject
// file and the batch's line names it.
void RowTransfer::report(const BatchInFlight& batch, const ApplyResult& result)
{
    const qint64 firstRow = batch.firstRow;
    const qint64 lastRow = batch.lastRow;
    stored_ += result.stored;
    refused_ += result.refused;
    if (!result.refusedRows.isEmpty()) {
        rejectRows(result.refusedRows, batch);
        refusedBatches_.append(QStringLiteral("Rows %1 to %2: %3 rows refused, see %4")
                                   .arg(firstRow)
                                   .arg(lastRow)
                                   .arg(result.refused)
                                   .arg(rejects_->fileName()));
    } else if (result.refused > 0) {
        // The writer names the refused row by its place in the batch.
        const QString refusedRow = result.refusedRow > 0
            ? QStringLiteral("row %1: ").arg(QLocale(QLocale::English).toString(firstRow + result.refusedRow - 1))
            : QString();
        refusedBatches_.append(QStringLiteral("Rows %1 to %2 were not stored (%3 rows refused): %4%5")
                                   .arg(firstRow)
                                   .arg(lastRow)
                                   .arg(result.refused)
                                   .arg(refusedRow, result.message));
    }
}

void RowTransfer::rejectRows(const QVector<RefusedRow>& rows, const BatchInFlight& batch)
{
    for (const RefusedRow& refused : rows)
        rejects_->add(sourceTable_, sourceColumns_, batch.firstRow + refused.row - 1, refused.message,
                      batch.kept.ofRow(refused.row, sourceColumns_.size()));
}

QVector<SqlValue> RowTransfer::KeptValues::ofRow(int row, qsizetype columns) const
{
    if (row <= sent)
        return refused.value(row);
    return unsent.mid((row - 1 - sent) * columns, columns);
}

// Every source column's value of the row just posted, routed or not. When
// the post made the writer send the batch's rows so far, only the values of
// the rows it refused stay.
// Every source column's value of the row just posted, routed or not. When
// the post made the writer send the batch's rows so far, only the values of
// the rows it refused stay.
void RowTransfer::keepSourceValues()
{
    for (int i = 0; i < sourceColumns_.size(); ++i)
        kept_.unsent.append(query_.value(i));
    const int sent = writer_.sentRows();
    if (sent <= kept_.sent)
        return;
    const qsizetype columns = sourceColumns_.size();
    for (const RefusedRow& refused : writer_.refusedRows()) {
        if (refused.row > kept_.sent && refused.row <= sent)
            kept_.refused.insert(refused.row, kept_.ofRow(refused.row, columns));
    }
    kept_.unsent.remove(0, qMin(kept_.unsent.size(), (sent - kept_.sent) * columns));
    kept_.sent = sent;
}

} // namespace tw
