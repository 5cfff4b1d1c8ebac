#include "db/oci/OciRowWriter.h"

#include "db/Failure.h"

#include <QRegularExpression>

namespace tw::oci {

OciRowWriter::OciRowWriter(std::function<std::shared_ptr<OciSession>()> sessionSource)
    : sessionSource_(std::move(sessionSource))
{
}

OciRowWriter::~OciRowWriter()
{
    close();
}

void OciRowWriter::close()
{
    // Rows of the batch already executed are not left for a later commit
    // (or for the commit that ends the session) to store.
    if (session_ && sent_ > 0 && refusal_.isEmpty() && session_->isLoggedOn()) {
        try {
            session_->rollback();
        } catch (const Failure&) {
            // The session stays marked; its logoff will not commit the rows.
        }
    }
    insert_.reset();
    bindOrder_.clear();
    columns_.clear();
    session_.reset();
    held_ = 0;
    resetBatch();
}

void OciRowWriter::open()
{
    close();
    std::shared_ptr<OciSession> session = sessionSource_();
    if (!session)
        throw Failure(QStringLiteral("The connection to Oracle is closed."));
    table_ = tableOfCommand();
    OciStatement query(session, commandText());
    columns_ = PendingColumn::forTable(query.describe(), session);
    for (const auto& column : columns_) {
        if (!column->bindsLast())
            bindOrder_.push_back(column.get());
    }
    for (const auto& column : columns_) {
        if (column->bindsLast())
            bindOrder_.push_back(column.get());
    }
    session_ = std::move(session);
}

QStringList OciRowWriter::fieldNames() const
{
    QStringList names;
    for (const auto& column : columns_)
        names.append(column->column().name);
    return names;
}

void OciRowWriter::requireOpen() const
{
    if (!session_)
        throw Failure(QStringLiteral("The row writer is not open."));
}

void OciRowWriter::append()
{
    requireOpen();
    // A row still being filled is posted first, as a dataset does.
    if (rowOpen_)
        post();
    for (const auto& column : columns_)
        column->appendRow();
    rowOpen_ = true;
}

void OciRowWriter::setFieldValue(int index, const SqlValue& value)
{
    requireOpen();
    if (!rowOpen_)
        throw Failure(QStringLiteral("The row writer has no row being appended."));
    if (index < 0 || index >= int(columns_.size()))
        throw Failure(QStringLiteral("Field index %1 out of range").arg(index));
    PendingColumn& column = *columns_[index];
    const OracleColumnType& type = column.column().type;
    if (takesAsIs(value, type))
        column.set(held_, value);
    else
        column.set(held_, convertForOracleColumn(value, type));
}

void OciRowWriter::post()
{
    requireOpen();
    if (!rowOpen_)
        return;
    rowOpen_ = false;
    ++held_;
    ++batchRows_;
    if (heldBytes() >= heldBytesBudget_)
        sendHeldRows();
}

qint64 OciRowWriter::heldBytes() const
{
    qint64 bytes = 0;
    for (const auto& column : columns_)
        bytes += column->heldBytes();
    return bytes;
}

void OciRowWriter::clearHeld()
{
    for (const auto& column : columns_)
        column->clear();
    held_ = 0;
    rowOpen_ = false;
}

void OciRowWriter::resetBatch()
{
    sent_ = 0;
    batchRows_ = 0;
    refusal_.clear();
    refusedRow_ = 0;
    refusedRows_.clear();
    rowOpen_ = false;
}

QString OciRowWriter::tableOfCommand() const
{
    static const QRegularExpression query(
        QStringLiteral("^\\s*select\\s+\\*\\s+from\\s+(.+?)\\s+where\\s+1\\s*=\\s*0\\s*$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = query.match(commandText());
    if (!m.hasMatch())
        throw Failure(QStringLiteral("The row writer needs a command of the form select * from \"T\" where 1=0, not: %1")
                          .arg(commandText()));
    return m.captured(1);
}

QString OciRowWriter::insertSql() const
{
    QStringList names;
    QStringList placeholders;
    for (const PendingColumn* column : bindOrder_) {
        QString name = column->column().name;
        names.append(QLatin1Char('"') + name.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"'));
        placeholders.append(QLatin1Char(':') + QString::number(placeholders.size() + 1));
    }
    return QStringLiteral("insert into %1 (%2) values (%3)")
        .arg(table_, names.join(QLatin1Char(',')), placeholders.join(QLatin1Char(',')));
}

// Oracle stops an array insert at the first refused row with the rows
// before it inserted but not committed, and OCI_ATTR_ROW_COUNT then counts
// those rows (OCI Programmer's Guide, array DML errors): the refused row is
// the one after them. In batch error mode (OCI_BATCH_ERRORS, "Batch Error
// Mode") it inserts every row it accepts and reports each refused one,
// which is then only recorded; a clean execute costs the same round trip
// either way (the count of errors is read on the client).
void OciRowWriter::sendHeldRows()
{
    // Rows sent before belong to a transaction that only this batch's apply
    // may end; if something else ended it, they are gone.
    if (refusal_.isEmpty() && sent_ > 0 && session_->endedTransactions() != transaction_)
        refuseBatch(QStringLiteral("The rows of this batch sent earlier were rolled back before it was applied."), 0);
    const int rows = held_;
    if (rows == 0)
        return;
    if (refusal_.isEmpty()) {
        QString message;
        int refusedRow = 0;
        transaction_ = session_->endedTransactions();
        try {
            if (!insert_)
                insert_ = std::make_unique<OciStatement>(session_, insertSql());
            ub4 position = 1;
            for (PendingColumn* column : bindOrder_)
                column->bind(*insert_, position++);
            session_->noteUncommittedWork();
            const sword status = insert_->execute(ub4(rows), keepGoodRows() ? OCI_BATCH_ERRORS : OCI_DEFAULT);
            if ((status == OCI_SUCCESS || status == OCI_SUCCESS_WITH_INFO) && keepGoodRows()) {
                for (const BatchError& error : insert_->batchErrors())
                    refusedRows_.append(RefusedRow{sent_ + int(error.iteration) + 1, error.message});
            } else if (status != OCI_SUCCESS && status != OCI_SUCCESS_WITH_INFO) {
                message = session_->errorText(status);
                try {
                    refusedRow = sent_ + int(insert_->rowCount()) + 1;
                } catch (const Failure&) {
                    refusedRow = 0;
                }
            }
        } catch (const Failure& failure) {
            message = failure.message();
        }
        if (!message.isEmpty()) {
            clearHeld();
            refuseBatch(message, refusedRow);
        }
    }
    sent_ += rows;
    clearHeld();
}

void OciRowWriter::refuseBatch(const QString& message, int row)
{
    refusal_ = message;
    refusedRow_ = row;
    // A rollback that fails too means the session is gone (the connection
    // was lost): that is a failure of the copy, not a refused batch.
    try {
        session_->rollback();
    } catch (const Failure&) {
        resetBatch();
        throw Failure(message);
    }
}

// One commit per batch. All or nothing: since an array insert stops at the
// first refusal, every refusal refuses the whole batch. With the good rows
// kept, the commit stores the rows the server accepted.
ApplyResult OciRowWriter::applyUpdates()
{
    requireOpen();
    if (rowOpen_)
        post();
    ApplyResult result;
    const int rows = batchRows_;
    if (rows == 0)
        return result;
    sendHeldRows();
    if (refusal_.isEmpty()) {
        try {
            session_->commit();
        } catch (const Failure& failure) {
            refuseBatch(failure.message(), 0);
        }
    }
    if (refusal_.isEmpty()) {
        result.refused = int(refusedRows_.size());
        result.stored = rows - result.refused;
        result.refusedRows = refusedRows_;
    } else {
        result.refused = rows;
        result.message = refusal_;
        result.refusedRow = refusedRow_;
    }
    resetBatch();
    return result;
}

} // namespace tw::oci
