#pragma once

#include "db/odbc/OdbcColumns.h"

#include <memory>
#include <vector>

namespace tw {

// One block of rows fetched into bound buffers, column by column.
struct OdbcBlock {
    std::vector<std::vector<char>> buffers;
    std::vector<std::vector<SQLLEN>> indicators;
    std::vector<SQLUSMALLINT> rowStatus;
    SQLULEN fetched = 0;
};

// The position of the first row of the block that the driver could not
// fetch or whose value of a column is longer than that column's most bytes
// (or is a negative length other than NULL); the block's number of rows
// when there is none.
SQLULEN firstBadRow(const OdbcBlock& block, const std::vector<SQLLEN>& mostBytes);

// Streams the rows of an executed statement. When every column has a bounded
// size the columns are bound and rows arrive in blocks (the block sized to a
// fixed memory budget), fetched into blocks of the caller's (fetchBlock), so
// that one thread fetches while another reads the rows of an earlier block
// (checkRow, then valueOf or cellOf); the driver writes into a block only
// while fetchBlock runs. When one column is long, rows arrive one at a time (next) and each
// value is read with SQLGetData, long ones in pieces. Either way the memory
// held is a few blocks or one row, whatever the size of the result.
class OdbcRowFetcher {
public:
    OdbcRowFetcher(SQLHSTMT statement, const QVector<OdbcColumn>& columns);
    OdbcRowFetcher(const OdbcRowFetcher&) = delete;
    OdbcRowFetcher& operator=(const OdbcRowFetcher&) = delete;

    // For a result that is not bound: puts the next row's values in row;
    // false once the result is exhausted.
    bool next(QVector<SqlValue>& row);

    // Whether the columns are bound (every one of a bounded size).
    bool isBound() const { return bound_; }
    // The bytes of one block's buffers.
    qint64 blockBytes() const;
    std::unique_ptr<OdbcBlock> newBlock() const;
    // Fetches the next rows into the block; false once the result is
    // exhausted.
    bool fetchBlock(OdbcBlock& block);
    // A Failure when the driver could not fetch the row at the position in
    // the block, or left a value longer than its buffer.
    void checkRow(const OdbcBlock& block, SQLULEN position) const;
    // The position of the first row of the block that checkRow fails, or
    // the block's number of rows when none does.
    SQLULEN firstBadRow(const OdbcBlock& block) const;
    // The value of a column of a checked row, as a value object or where it
    // lies in the block.
    SqlValue valueOf(const OdbcBlock& block, SQLULEN position, int column) const;
    SourceCell cellOf(const OdbcBlock& block, SQLULEN position, int column) const;
    // Every column's cell of the row, into out.
    void cellsOf(const OdbcBlock& block, SQLULEN position, SourceCell* out) const;

private:
    SQLHSTMT statement_;
    QVector<OdbcColumn> columns_;
    std::vector<SQLLEN> widths_;     // of each column's bound values
    std::vector<SQLLEN> mostBytes_;  // the longest value each buffer holds
    bool bound_ = false;
    SQLULEN blockSize_ = 1;
    bool exhausted_ = false;
};

} // namespace tw
