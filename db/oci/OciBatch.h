#pragma once

#include "db/TargetAccess.h"
#include "db/oci/OciStatement.h"
#include "db/oci/PendingColumn.h"

#include <memory>
#include <vector>

namespace tw::oci {

// One batch of rows for the row writer's insert: the rows held on the
// client, column by column in bind form, and what became of the rows of the
// batch sent before its apply. A batch is worked on by one thread at a time,
// and only that thread uses the session meanwhile.
struct OciBatch {
    OciBatch(const QVector<DescribedColumn>& description, const std::shared_ptr<OciSession>& session);
    ~OciBatch();

    // The insert's column names and placeholders for the table, in bind order.
    QString insertSql(const QString& table) const;

    qint64 heldBytes() const;
    // Whether holding values talks to the server (see PendingColumn).
    bool usesSession() const;
    // Readies the slot of the next row (held): NULL in every column.
    void appendRow();
    // Drops the held rows; the rows sent stay sent.
    void clearHeld();
    // Drops the held rows and forgets the rows sent: an empty batch.
    void reset();

    // Executes the held rows inside the batch's transaction and drops them;
    // after a refusal they are only dropped. With commit, the execute
    // commits the transaction when it succeeds (OCI_COMMIT_ON_SUCCESS):
    // true when it did.
    bool send(OciSession& session, OciStatement& insert, bool keepGoodRows, bool commit);
    // Sends the held rows and commits the batch with them: all or nothing,
    // or with the good rows kept. The batch is empty afterwards.
    ApplyResult apply(OciSession& session, OciStatement& insert, bool keepGoodRows);

    std::vector<std::unique_ptr<PendingColumn>> columns;  // table order
    std::vector<PendingColumn*> bindOrder;                // large objects last
    std::vector<PendingColumn*> varying;                  // whose bytes vary from row to row
    qint64 bytesPerRow = 0;                               // of the others
    int held = 0;      // rows held on the client
    int capacity = 0;  // row slots of the columns
    int touched = 0;   // slots readied since the last clear; NULL from here on
    int sent = 0;      // rows executed, not committed
    int rows = 0;      // rows posted since the batch began
    QString refusal;   // the server's text once it refused a row of the batch
    int refusedRow = 0;
    QVector<RefusedRow> refusedRows;  // with the good rows kept
    ub4 transaction = 0;              // the session's transaction of the rows sent

private:
    // Records the refusal and rolls the batch back; a rollback that fails
    // too is a Failure carrying the refusal.
    void refuse(OciSession& session, const QString& message, int row);
};

} // namespace tw::oci
