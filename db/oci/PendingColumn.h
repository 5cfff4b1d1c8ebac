#pragma once

#include "db/SourceCell.h"
#include "db/oci/OciStatement.h"

#include <QByteArray>
#include <QVector>
#include <memory>
#include <vector>

namespace tw::oci {

// The pending values of one target column, one slot per pending row, kept in
// the form in which they are bound, so that an execute binds the held rows
// without copying them again.
class PendingColumn {
public:
    explicit PendingColumn(DescribedColumn column) : column_(std::move(column)) {}
    virtual ~PendingColumn() = default;

    const DescribedColumn& column() const { return column_; }

    // Room for rows slots; the new ones are NULL until set.
    virtual void growTo(int rows) = 0;
    // Stores a value already converted for the column's type in the slot;
    // a value the client cannot represent is a Failure.
    virtual void set(int row, const SqlValue& converted) = 0;
    virtual void setNull(int row) = 0;
    // Whether the column takes values of the form straight from the
    // source's buffers (setCell).
    virtual bool takesCells(CellForm) const { return false; }
    // Stores such a value, not NULL, in the slot exactly as set() stores the
    // converted source value; false, with the slot untouched, for a value
    // that only set() takes (see CellValues.h).
    virtual bool setCell(int, CellForm, const SourceCell&) { return false; }
    // Drops the values of the first rows slots (the others are NULL): every
    // slot NULL again, the room kept.
    virtual void clear(int rows) = 0;
    // Binds every slot to the statement's placeholder as one array.
    virtual void bind(OciStatement& statement, ub4 position) = 0;
    // The bytes of values the column holds on the client for its first
    // rows slots.
    virtual qint64 heldBytes(int rows) const = 0;
    // The bytes each row takes whatever its value; 0 where they vary.
    virtual qint64 bytesPerRow() const { return 0; }

    // Whether setting a value talks to the server (temporary LOBs), so that
    // the column cannot be filled while the session executes another batch.
    virtual bool usesSession() const { return false; }

    // Binds that may be longer than 4000 bytes (LONG, LONG RAW, LOB data,
    // character and RAW columns wider than 4000 bytes) count as LONG binds
    // to Oracle and must follow every other bind (DIA-24816).
    virtual bool bindsLast() const { return false; }

    // The storage for each column of a table, in table order: NUMBER as
    // OCINumber, DATE as 7-byte DATE, BINARY_FLOAT/DOUBLE as native floats,
    // character types as UTF-8, binary types as bytes, other types as text
    // that the server reads with the session formats set at logon. In a
    // table with a LONG or LONG RAW column the LOB columns take temporary
    // LOBs written through the session (see TemporaryLobColumn).
    static std::vector<std::unique_ptr<PendingColumn>> forTable(const QVector<DescribedColumn>& columns,
                                                                const std::shared_ptr<OciSession>& session);

private:
    DescribedColumn column_;
};

} // namespace tw::oci
