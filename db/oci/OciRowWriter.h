#pragma once

#include "db/TargetAccess.h"
#include "db/oci/OciBatch.h"
#include "db/oci/OciStatement.h"

#include <functional>
#include <memory>
#include <thread>

namespace tw::oci {

// The row writer over OCI. Opening runs the command text as a describe only
// (select * from "T" where 1=0) and learns the table's columns; opening
// again on the same command text and session reuses them. Appended rows
// are kept column-wise in bind form; an apply inserts the held rows with one
// array execute of one INSERT (prepared once per table) that commits them
// when it succeeds, or rolls the whole batch back when the server refuses a
// row; with the good rows kept, the execute runs in batch error mode and the
// commit stores every row the server accepted.
//
// A batch applied in the background is executed on a thread of its own
// while the next batch is filled on the caller's; the session is used by
// one thread at a time: the caller waits for that thread before it uses the
// session itself. Memory is bounded by bytes, both batches together: when
// the values held pass the budget, the caller waits for the batch in the
// background and then executes the held rows at once inside their batch's
// transaction, which the apply still commits (or rolls back) as a whole.
class OciRowWriter : public RowWriter {
public:
    static constexpr qint64 kDefaultHeldBytesBudget = 64 * 1024 * 1024;

    // The session is asked for when the writer opens: the connection may
    // have logged on again since the writer was made.
    explicit OciRowWriter(std::function<std::shared_ptr<OciSession>()> sessionSource);
    ~OciRowWriter() override;

    void setHeldBytesBudget(qint64 bytes) { heldBytesBudget_ = bytes; }

    void close() override;
    void open() override;
    QStringList fieldNames() const override;
    void append() override;
    using RowWriter::setFieldValue;
    void setFieldValue(int index, const SqlValue& value) override;
    bool takesCells(int index, CellForm form) const override;
    bool setFieldCell(int index, CellForm form, const SourceCell& cell) override;
    int setFieldCells(const CellRoute* routes, int count, const SourceCell* cells) override;
    void post() override;
    int pendingCount() const override { return filling_ ? filling_->rows : 0; }
    int sentRows() const override { return filling_ ? filling_->sent : 0; }
    QVector<RefusedRow> refusedRows() const override { return filling_ ? filling_->refusedRows : QVector<RefusedRow>(); }
    ApplyResult applyUpdates() override;
    void applyInBackground() override;
    bool takeApplied(ApplyResult& result, bool wait) override;

private:
    // "T" out of select * from "T" where 1=0, as written there.
    QString tableOfCommand() const;
    PendingColumn& settableColumn(int index);
    // Waits for the batch in the background, keeps its outcome and takes
    // its storage back for a later batch.
    void finishBackground();
    void requireOpen() const;

    std::function<std::shared_ptr<OciSession>()> sessionSource_;
    std::shared_ptr<OciSession> session_;
    // What the last describe learnt, and for which session and command.
    QVector<DescribedColumn> description_;
    std::shared_ptr<OciSession> describedSession_;
    quint64 describedCommand_ = 0;
    std::shared_ptr<OciStatement> insert_;
    QString table_;
    qint64 heldBytesBudget_ = kDefaultHeldBytesBudget;
    std::unique_ptr<OciBatch> filling_;   // the batch rows are posted to
    std::unique_ptr<OciBatch> spare_;     // an empty batch to fill next
    std::unique_ptr<OciBatch> applying_;  // the batch in the background
    qint64 applyingBytes_ = 0;
    ApplyResult applied_;                 // its outcome, or
    std::exception_ptr applyFailure_;     // its failure
    std::exception_ptr failed_;           // the last such failure on this table
    std::thread background_;
    bool rowOpen_ = false;
};

} // namespace tw::oci
