#pragma once

#include "db/oci/OciStatement.h"

#include <QByteArray>
#include <QVector>
#include <memory>

namespace tw::oci {

// The pending values of one target column, one slot per pending row, kept in
// the form in which they are bound, so that an apply binds the whole batch
// without copying it again. Memory grows with the batch only.
class PendingColumn {
public:
    explicit PendingColumn(DescribedColumn column) : column_(std::move(column)) {}
    virtual ~PendingColumn() = default;

    const DescribedColumn& column() const { return column_; }

    // A new row slot, NULL until set.
    virtual void appendRow() = 0;
    // Stores a value already converted for the column's type in the slot;
    // a value the client cannot represent is a Failure.
    virtual void set(int row, const SqlValue& converted) = 0;
    virtual void clear() = 0;
    // Binds every slot to the statement's placeholder as one array.
    virtual void bind(OciStatement& statement, ub4 position) = 0;

    // Large objects are bound after every other column: a bind of more than
    // 4000 bytes counts as a LONG/LOB bind, and no smaller bind may follow
    // one in the statement (ORA-24816).
    bool bindsLast() const;

    // The storage for the column's type: NUMBER as OCINumber, DATE as 7-byte
    // DATE, character types as UTF-8, binary types as bytes; other types as
    // text that the server converts.
    static std::unique_ptr<PendingColumn> forColumn(const DescribedColumn& column);

private:
    DescribedColumn column_;
};

} // namespace tw::oci
