#include "db/oci/OciRowWriter.h"

#include "db/Failure.h"

#include <QRegularExpression>
#include <utility>

namespace tw::oci {

OciRowWriter::OciRowWriter(std::function<std::shared_ptr<OciSession>()> sessionSource)
    : sessionSource_(std::move(sessionSource))
{
}

OciRowWriter::~OciRowWriter()
{
    finishBackground();
    close();
}

void OciRowWriter::close()
{
    // Rows of the batch already executed are not left for a later commit
    // (or for the commit that ends the session) to store. Such rows were
    // sent by this thread, after the batch in the background had ended.
    if (session_ && filling_ && filling_->sent > 0 && filling_->refusal.isEmpty() && session_->isLoggedOn()) {
        try {
            session_->rollback();
        } catch (const Failure&) {
            // The session stays marked; its logoff will not commit the rows.
        }
    }
    if (filling_) {
        filling_->reset();
        spare_ = std::move(filling_);
    }
    session_.reset();
    rowOpen_ = false;
}

void OciRowWriter::open()
{
    close();
    std::shared_ptr<OciSession> session = sessionSource_();
    if (!session)
        throw Failure(QStringLiteral("The connection to Oracle is closed."));
    if (session != describedSession_ || commandTextSets() != describedCommand_ || !insert_) {
        // The describe and the prepare use the session: the batch in the
        // background ends first.
        finishBackground();
        spare_.reset();
        insert_.reset();
        failed_ = nullptr;
        describedSession_.reset();
        table_ = tableOfCommand();
        OciStatement query(session, commandText());
        description_ = query.describe();
        spare_ = std::make_unique<OciBatch>(description_, session);
        insert_ = std::make_shared<OciStatement>(session, spare_->insertSql(table_));
        describedSession_ = session;
        describedCommand_ = commandTextSets();
    }
    filling_ = spare_ ? std::move(spare_) : std::make_unique<OciBatch>(description_, session);
    session_ = std::move(session);
}

QStringList OciRowWriter::fieldNames() const
{
    QStringList names;
    if (filling_) {
        for (const auto& column : filling_->columns)
            names.append(column->column().name);
    }
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
    filling_->appendRow();
    rowOpen_ = true;
}

// Called for every value: a row being appended means the writer is open.
PendingColumn& OciRowWriter::settableColumn(int index)
{
    if (!rowOpen_) {
        requireOpen();
        throw Failure(QStringLiteral("The row writer has no row being appended."));
    }
    if (index < 0 || index >= int(filling_->columns.size()))
        throw Failure(QStringLiteral("Field index %1 out of range").arg(index));
    return *filling_->columns[size_t(index)];
}

void OciRowWriter::setFieldValue(int index, const SqlValue& value)
{
    PendingColumn& column = settableColumn(index);
    const OracleColumnType& type = column.column().type;
    if (takesAsIs(value, type))
        column.set(filling_->held, value);
    else
        column.set(filling_->held, convertForOracleColumn(value, type));
}

bool OciRowWriter::takesCells(int index, CellForm form) const
{
    return filling_ && index >= 0 && index < int(filling_->columns.size())
        && filling_->columns[size_t(index)]->takesCells(form);
}

bool OciRowWriter::setFieldCell(int index, CellForm form, const SourceCell& cell)
{
    PendingColumn& column = settableColumn(index);
    if (cell.isNull()) {
        column.setNull(filling_->held);
        return true;
    }
    return column.setCell(filling_->held, form, cell);
}

// The loop of setFieldCell over a row without a call per value.
int OciRowWriter::setFieldCells(const CellRoute* routes, int count, const SourceCell* cells)
{
    if (!rowOpen_)
        return 0;
    const int row = filling_->held;
    const auto& columns = filling_->columns;
    for (int i = 0; i < count; ++i) {
        const CellRoute& route = routes[i];
        if (route.form == CellForm::None || route.target < 0 || size_t(route.target) >= columns.size())
            return i;
        const SourceCell& cell = cells[route.source];
        PendingColumn& column = *columns[size_t(route.target)];
        if (cell.isNull()) {
            column.setNull(row);
            continue;
        }
        try {
            if (!column.setCell(row, route.form, cell))
                return i;
        } catch (const Failure&) {
            return i;
        }
    }
    return count;
}

void OciRowWriter::post()
{
    requireOpen();
    if (!rowOpen_)
        return;
    rowOpen_ = false;
    ++filling_->held;
    ++filling_->rows;
    if (filling_->heldBytes() + applyingBytes_ >= heldBytesBudget_) {
        finishBackground();
        if (filling_->heldBytes() >= heldBytesBudget_)
            filling_->send(*session_, *insert_, keepGoodRows(), false);
    }
}

void OciRowWriter::finishBackground()
{
    if (!background_.joinable())
        return;
    background_.join();
    if (applyFailure_) {
        failed_ = applyFailure_;
        keepApplyFailure(std::exchange(applyFailure_, nullptr));
    } else
        keepApplied(std::exchange(applied_, ApplyResult()));
    applyingBytes_ = 0;
    if (!spare_)
        spare_ = std::move(applying_);
    applying_.reset();
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

ApplyResult OciRowWriter::applyUpdates()
{
    requireOpen();
    if (rowOpen_)
        post();
    finishBackground();
    return filling_->apply(*session_, *insert_, keepGoodRows());
}

void OciRowWriter::applyInBackground()
{
    requireOpen();
    if (rowOpen_)
        post();
    finishBackground();
    // After a batch whose apply failed as a whole (the session is gone), the
    // next are not sent: they fail with it.
    if (failed_) {
        filling_->reset();
        keepApplyFailure(failed_);
        return;
    }
    // Temporary LOBs are written through the session as rows are filled:
    // such a table's batches are applied at once.
    if (filling_->rows == 0 || filling_->usesSession()) {
        RowWriter::applyInBackground();
        return;
    }
    applying_ = std::move(filling_);
    applyingBytes_ = applying_->heldBytes();
    filling_ = spare_ ? std::move(spare_) : std::make_unique<OciBatch>(description_, session_);
    background_ = std::thread([this, batch = applying_.get(), session = session_, insert = insert_,
                               keep = keepGoodRows()] {
        try {
            applied_ = batch->apply(*session, *insert, keep);
        } catch (...) {
            applyFailure_ = std::current_exception();
        }
    });
}

bool OciRowWriter::takeApplied(ApplyResult& result, bool wait)
{
    if (wait)
        finishBackground();
    return RowWriter::takeApplied(result, wait);
}

} // namespace tw::oci
