#pragma once

#include "db/TargetAccess.h"
#include "db/oci/OciStatement.h"
#include "db/oci/PendingColumn.h"

#include <functional>
#include <memory>
#include <vector>

namespace tw::oci {

// The row writer over OCI. Opening runs the command text as a describe only
// (select * from "T" where 1=0) and learns the table's columns; appended rows
// are kept column-wise in bind form; an apply inserts the held rows with one
// array execute of one INSERT (prepared once per open) and commits, or rolls
// the whole batch back when the server refuses a row; with the good rows
// kept, the execute runs in batch error mode and the commit stores every row
// the server accepted. Memory is bounded by
// bytes: when the values held pass the budget, the held rows are executed at
// once inside the batch's transaction, which the apply still commits (or
// rolls back) as a whole.
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
    void post() override;
    int pendingCount() const override { return batchRows_; }
    int sentRows() const override { return sent_; }
    QVector<RefusedRow> refusedRows() const override { return refusedRows_; }
    ApplyResult applyUpdates() override;

private:
    // "T" out of select * from "T" where 1=0, as written there.
    QString tableOfCommand() const;
    QString insertSql() const;
    qint64 heldBytes() const;
    // Executes the held rows inside the batch's transaction and drops them;
    // after a refusal they are only dropped.
    void sendHeldRows();
    // Records the batch's refusal and rolls the batch back; a rollback that
    // fails too is a Failure carrying the refusal.
    void refuseBatch(const QString& message, int row);
    void clearHeld();
    void resetBatch();
    void requireOpen() const;

    std::function<std::shared_ptr<OciSession>()> sessionSource_;
    std::shared_ptr<OciSession> session_;
    std::vector<std::unique_ptr<PendingColumn>> columns_;  // table order
    std::vector<PendingColumn*> bindOrder_;                // large objects last
    std::unique_ptr<OciStatement> insert_;
    QString table_;
    qint64 heldBytesBudget_ = kDefaultHeldBytesBudget;
    int held_ = 0;       // posted rows held on the client
    int sent_ = 0;       // rows of the batch already executed, not committed
    int batchRows_ = 0;  // rows posted since the last apply
    QString refusal_;    // the server's text once it refused a row of the batch
    int refusedRow_ = 0;
    QVector<RefusedRow> refusedRows_;  // with the good rows kept: the batch's refused rows
    ub4 transaction_ = 0;  // the session's transaction the sent rows are in
    bool rowOpen_ = false;
};

} // namespace tw::oci
