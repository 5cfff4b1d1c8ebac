#include "db/oci/OciBatch.h"

#include "db/Failure.h"

#include <algorithm>

namespace tw::oci {

OciBatch::OciBatch(const QVector<DescribedColumn>& description, const std::shared_ptr<OciSession>& session)
    : columns(PendingColumn::forTable(description, session))
{
    for (const auto& column : columns) {
        if (!column->bindsLast())
            bindOrder.push_back(column.get());
    }
    for (const auto& column : columns) {
        if (column->bindsLast())
            bindOrder.push_back(column.get());
        if (column->bytesPerRow() == 0)
            varying.push_back(column.get());
        bytesPerRow += column->bytesPerRow();
    }
}

OciBatch::~OciBatch() = default;

QString OciBatch::insertSql(const QString& table) const
{
    QStringList names;
    QStringList placeholders;
    for (const PendingColumn* column : bindOrder) {
        QString name = column->column().name;
        names.append(QLatin1Char('"') + name.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"'));
        placeholders.append(QLatin1Char(':') + QString::number(placeholders.size() + 1));
    }
    return QStringLiteral("insert into %1 (%2) values (%3)")
        .arg(table, names.join(QLatin1Char(',')), placeholders.join(QLatin1Char(',')));
}

qint64 OciBatch::heldBytes() const
{
    // Asked at every row: the columns of fixed width count by the row.
    qint64 bytes = qint64(held) * bytesPerRow;
    for (const PendingColumn* column : varying)
        bytes += column->heldBytes(held);
    return bytes;
}

bool OciBatch::usesSession() const
{
    for (const auto& column : columns) {
        if (column->usesSession())
            return true;
    }
    return false;
}

// The slots grow in steps and keep their room when cleared, so that a new
// row costs nothing in most batches.
void OciBatch::appendRow()
{
    touched = held + 1;
    if (held < capacity)
        return;
    capacity = std::max(64, 2 * capacity);
    for (const auto& column : columns)
        column->growTo(capacity);
}

void OciBatch::clearHeld()
{
    for (const auto& column : columns)
        column->clear(touched);
    touched = 0;
    held = 0;
}

void OciBatch::reset()
{
    clearHeld();
    sent = 0;
    rows = 0;
    refusal.clear();
    refusedRow = 0;
    refusedRows.clear();
}

// Oracle stops an array insert at the first refused row with the rows
// before it inserted but not committed, and OCI_ATTR_ROW_COUNT then counts
// those rows (OCI Programmer's Guide, array DML errors): the refused row is
// the one after them. In batch error mode (OCI_BATCH_ERRORS, "Batch Error
// Mode") it inserts every row it accepts and reports each refused one,
// which is then only recorded; a clean execute costs the same round trip
// either way (the count of errors is read on the client).
bool OciBatch::send(OciSession& session, OciStatement& insert, bool keepGoodRows, bool commit)
{
    // Rows sent before belong to a transaction that only this batch's apply
    // may end; if something else ended it, they are gone.
    if (refusal.isEmpty() && sent > 0 && session.endedTransactions() != transaction)
        refuse(session, QStringLiteral("The rows of this batch sent earlier were rolled back before it was applied."), 0);
    const int count = held;
    if (count == 0)
        return false;
    bool committed = false;
    if (refusal.isEmpty()) {
        QString message;
        int row = 0;
        transaction = session.endedTransactions();
        try {
            ub4 position = 1;
            for (PendingColumn* column : bindOrder)
                column->bind(insert, position++);
            session.noteUncommittedWork();
            const ub4 mode = (keepGoodRows ? OCI_BATCH_ERRORS : OCI_DEFAULT) | (commit ? OCI_COMMIT_ON_SUCCESS : 0);
            const sword status = insert.execute(ub4(count), mode);
            if (status == OCI_SUCCESS && commit) {
                session.noteCommitted();
                committed = true;
            }
            if ((status == OCI_SUCCESS || status == OCI_SUCCESS_WITH_INFO) && keepGoodRows) {
                for (const BatchError& error : insert.batchErrors())
                    refusedRows.append(RefusedRow{sent + int(error.iteration) + 1, error.message});
            } else if (status != OCI_SUCCESS && status != OCI_SUCCESS_WITH_INFO) {
                message = session.errorText(status);
                try {
                    row = sent + int(insert.rowCount()) + 1;
                } catch (const Failure&) {
                    row = 0;
                }
            }
        } catch (const Failure& failure) {
            message = failure.message();
        }
        if (!message.isEmpty()) {
            clearHeld();
            refuse(session, message, row);
        }
    }
    sent += count;
    clearHeld();
    return committed;
}

void OciBatch::refuse(OciSession& session, const QString& message, int row)
{
    refusal = message;
    refusedRow = row;
    // A rollback that fails too means the session is gone (the connection
    // was lost): that is a failure of the copy, not a refused batch.
    try {
        session.rollback();
    } catch (const Failure&) {
        reset();
        throw Failure(message);
    }
}

// One commit per batch, riding on the execute of its last rows when that
// succeeds outright. All or nothing: since an array insert stops at the
// first refusal, every refusal refuses the whole batch. With the good rows
// kept, the commit stores the rows the server accepted; after an execute
// that refused some (OCI_SUCCESS_WITH_INFO) it is a call of its own.
ApplyResult OciBatch::apply(OciSession& session, OciStatement& insert, bool keepGoodRows)
{
    ApplyResult result;
    if (rows == 0)
        return result;
    const bool committed = send(session, insert, keepGoodRows, true);
    if (refusal.isEmpty() && !committed) {
        try {
            session.commit();
        } catch (const Failure& failure) {
            refuse(session, failure.message(), 0);
        }
    }
    if (refusal.isEmpty()) {
        result.refused = int(refusedRows.size());
        result.stored = rows - result.refused;
        result.refusedRows = refusedRows;
    } else {
        result.refused = rows;
        result.message = refusal;
        result.refusedRow = refusedRow;
    }
    reset();
    return result;
}

} // namespace tw::oci
