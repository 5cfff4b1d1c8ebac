#pragma once

#include "db/odbc/OdbcColumns.h"

#include <vector>

namespace tw {

// Streams the rows of an executed statement. When every column has a bounded
// size the columns are bound and rows arrive in blocks (the block sized to a
// fixed memory budget); when one is long, rows arrive one at a time and each
// value is read with SQLGetData, long ones in pieces. Either way the memory
// held is one block or one row, whatever the size of the result.
class OdbcRowFetcher {
public:
    OdbcRowFetcher(SQLHSTMT statement, const QVector<OdbcColumn>& columns);
    OdbcRowFetcher(const OdbcRowFetcher&) = delete;
    OdbcRowFetcher& operator=(const OdbcRowFetcher&) = delete;

    // Puts the next row's values in row; false once the result is exhausted.
    bool next(QVector<SqlValue>& row);
    // Whether next() takes its row from the block already fetched, without
    // asking the driver (so without waiting on the server).
    bool hasFetchedRow() const { return bound_ && !exhausted_ && position_ + 1 < fetched_; }

private:
    void bindColumns();
    bool fetch();

    SQLHSTMT statement_;
    QVector<OdbcColumn> columns_;
    bool bound_ = false;
    SQLULEN blockSize_ = 1;
    SQLULEN fetched_ = 0;
    SQLULEN position_ = 0;
    bool exhausted_ = false;
    std::vector<std::vector<char>> buffers_;
    std::vector<std::vector<SQLLEN>> indicators_;
    std::vector<SQLUSMALLINT> rowStatus_;
};

} // namespace tw
