#pragma once

#include "db/TargetAccess.h"

#include <QString>

namespace tw {

// Proof that every row arrived: the target table's rows are counted after
// the copy and compared with the copy's own counts. A new or overwritten
// table must hold exactly the rows read (the rows stored, when refused rows
// went to a reject file); a merged table, which held rows before, must have
// grown by exactly the rows stored (so it is counted before the copy too).
class RowCountCheck {
public:
    // Counts a merged table's rows now. A failure to count is kept and
    // reported by verify().
    // rowsRejected: refused rows went to a reject file, so that a new table
    // too holds the rows stored.
    RowCountCheck(TargetConnection& target, const QString& table, bool merged, bool rowsRejected);

    // Counts the table again; empty when the counts agree, otherwise the
    // log line that gives the rows read, stored and found.
    QString verify(qint64 read, qint64 stored);

private:
    qint64 count();

    TargetConnection& target_;
    QString table_;
    bool merged_;
    bool againstStored_;
    qint64 before_ = 0;
    QString failure_;
};

} // namespace tw
