#include "convert/RowCountCheck.h"

#include "convert/TargetSql.h"
#include "db/Failure.h"

namespace tw {

RowCountCheck::RowCountCheck(TargetConnection& target, const QString& table, bool merged, bool rowsRejected)
    : target_(target), table_(table), merged_(merged), againstStored_(merged || rowsRejected)
{
    if (!merged_)
        return;
    try {
        before_ = count();
    } catch (const Failure& failure) {
        failure_ = failure.message();
    }
}

QString RowCountCheck::verify(qint64 read, qint64 stored)
{
    const QString failed = QStringLiteral("Row count check of %1 failed: ").arg(table_);
    if (!failure_.isEmpty())
        return failed + failure_;
    qint64 after = 0;
    try {
        after = count();
    } catch (const Failure& failure) {
        return failed + failure.message();
    }
    const qint64 found = after - before_;
    if (found == (againstStored_ ? stored : read))
        return QString();
    const QString counts = QStringLiteral("read %1, stored %2, found %3").arg(read).arg(stored).arg(found);
    if (!merged_)
        return failed + counts;
    return failed + counts + QStringLiteral(" (the table grew from %1 to %2 rows)").arg(before_).arg(after);
}

qint64 RowCountCheck::count()
{
    std::unique_ptr<TargetStatement> statement = target_.createStatement();
    statement->setSql(targetRowCountSql(table_));
    return statement->queryInteger();
}

} // namespace tw
