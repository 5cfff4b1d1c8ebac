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
    batchValues_.clear();
    sentValues_ = 0;
    refusedValues_.clear();
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
                    applyBatch(row);
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
        applyBatch(row - 1);
        log_.replaceLast(rowCountLine(table.shown, row - 1));
        readToEnd_ = true;
        host_.rowsCopied(row - 1, counted_);
        writer_.close();
    } catch (const Aborted&) {
        stopped_ = true;
        refusedBatches_.append(QStringLiteral("Operation aborted"));
    } catch (const Failure& failure) {
        sourceLost_ = dynamic_cast<const ConnectionLost*>(&failure) != nullptr;
        refusedBatches_.append(failedRowsText(failure.message()));
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
    }
    return routes;
}

void RowTransfer::copyRow(const QString& targetTable)
{
    for (int i = 0; i < routes_.size(); ++i) {
        const ColumnRoute& route = routes_[i];
        if (route.target < 0)
            continue;
        try {
            const SqlValue value = query_.value(i);
            if (route.boolean) {
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
            reportColumn(targetTable, query_.fieldName(i), failure.message());
        }
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

// One transaction per batch. A refused batch is rolled back by the writer;
// it is remembered here so that the table's step reports exactly which rows
// are missing. With the good rows kept, the refused rows go to the reject
// file and the batch's line names it.
void RowTransfer::applyBatch(qint64 lastRow)
{
    const ApplyResult result = writer_.applyUpdates();
    const qint64 firstRow = batchFirstRow_;
    batchFirstRow_ = lastRow + 1;
    stored_ += result.stored;
    refused_ += result.refused;
    if (!result.refusedRows.isEmpty()) {
        rejectRows(result.refusedRows, firstRow);
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
    batchValues_.clear();
    sentValues_ = 0;
    refusedValues_.clear();
}

void RowTransfer::rejectRows(const QVector<RefusedRow>& rows, qint64 firstRow)
{
    for (const RefusedRow& refused : rows)
        rejects_->add(sourceTable_, sourceColumns_, firstRow + refused.row - 1, refused.message, valuesOfRow(refused.row));
}

// The source values of a row of the batch (from 1).
QVector<SqlValue> RowTransfer::valuesOfRow(int row) const
{
    if (row <= sentValues_)
        return refusedValues_.value(row);
    const qsizetype columns = sourceColumns_.size();
    return batchValues_.mid((row - 1 - sentValues_) * columns, columns);
}

// Every source column's value of the row just posted, routed or not. When
// the post made the writer send the batch's rows so far, only the values of
// the rows it refused stay.
void RowTransfer::keepSourceValues()
{
    for (int i = 0; i < sourceColumns_.size(); ++i)
        batchValues_.append(query_.value(i));
    const int sent = writer_.sentRows();
    if (sent <= sentValues_)
        return;
    for (const RefusedRow& refused : writer_.refusedRows()) {
        if (refused.row > sentValues_ && refused.row <= sent)
            refusedValues_.insert(refused.row, valuesOfRow(refused.row));
    }
    const qsizetype columns = sourceColumns_.size();
    batchValues_.remove(0, qMin(batchValues_.size(), (sent - sentValues_) * columns));
    sentValues_ = sent;
}

} // namespace tw
