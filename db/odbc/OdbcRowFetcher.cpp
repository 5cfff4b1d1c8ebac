#include "db/odbc/OdbcRowFetcher.h"

#include "db/Failure.h"
#include "db/odbc/OdbcApi.h"
#include "db/odbc/OdbcDiagnostics.h"

#include <algorithm>

namespace tw {

namespace {

// Bytes of bound buffers one block may take, and the most rows in a block.
constexpr SQLLEN kBlockBudgetBytes = 2 * 1024 * 1024;
constexpr SQLLEN kMostBlockRows = 512;

} // namespace

OdbcRowFetcher::OdbcRowFetcher(SQLHSTMT statement, const QVector<OdbcColumn>& columns)
    : statement_(statement), columns_(columns)
{
    bound_ = !columns_.isEmpty()
             && std::none_of(columns_.cbegin(), columns_.cend(), [](const OdbcColumn& c) { return c.isLong; });
    if (bound_) {
        bindColumns();
    } else {
        // One row at a time; no block attributes left from an earlier result.
        checkOdbc(SQLSetStmtAttr(statement_, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(SQLULEN(1)), 0),
                  SQL_HANDLE_STMT, statement_, "SQLSetStmtAttr");
        checkOdbc(SQLSetStmtAttr(statement_, SQL_ATTR_ROW_STATUS_PTR, nullptr, 0), SQL_HANDLE_STMT, statement_,
                  "SQLSetStmtAttr");
        checkOdbc(SQLSetStmtAttr(statement_, SQL_ATTR_ROWS_FETCHED_PTR, nullptr, 0), SQL_HANDLE_STMT, statement_,
                  "SQLSetStmtAttr");
    }
}

void OdbcRowFetcher::bindColumns()
{
    SQLLEN rowWidth = 0;
    for (const OdbcColumn& column : columns_)
        rowWidth += column.bufferWidth() + SQLLEN(sizeof(SQLLEN));
    blockSize_ = SQLULEN(std::clamp<SQLLEN>(kBlockBudgetBytes / std::max<SQLLEN>(rowWidth, 1), 1, kMostBlockRows));

    rowStatus_.assign(blockSize_, SQL_ROW_NOROW);
    checkOdbc(SQLSetStmtAttr(statement_, SQL_ATTR_ROW_BIND_TYPE, reinterpret_cast<SQLPOINTER>(SQL_BIND_BY_COLUMN), 0),
              SQL_HANDLE_STMT, statement_, "SQLSetStmtAttr");
    checkOdbc(SQLSetStmtAttr(statement_, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(blockSize_), 0),
              SQL_HANDLE_STMT, statement_, "SQLSetStmtAttr");
    checkOdbc(SQLSetStmtAttr(statement_, SQL_ATTR_ROW_STATUS_PTR, rowStatus_.data(), 0), SQL_HANDLE_STMT, statement_,
              "SQLSetStmtAttr");
    checkOdbc(SQLSetStmtAttr(statement_, SQL_ATTR_ROWS_FETCHED_PTR, &fetched_, 0), SQL_HANDLE_STMT, statement_,
              "SQLSetStmtAttr");

    buffers_.resize(size_t(columns_.size()));
    indicators_.resize(size_t(columns_.size()));
    for (int i = 0; i < columns_.size(); ++i) {
        const SQLLEN width = columns_[i].bufferWidth();
        buffers_[size_t(i)].assign(size_t(width) * blockSize_, 0);
        indicators_[size_t(i)].assign(blockSize_, 0);
        checkOdbc(SQLBindCol(statement_, SQLUSMALLINT(i + 1), columns_[i].cType(), buffers_[size_t(i)].data(), width,
                             indicators_[size_t(i)].data()),
                  SQL_HANDLE_STMT, statement_, "SQLBindCol");
    }
}

bool OdbcRowFetcher::fetch()
{
    const SQLRETURN rc = SQLFetch(statement_);
    if (rc == SQL_NO_DATA) {
        exhausted_ = true;
        return false;
    }
    checkOdbc(rc, SQL_HANDLE_STMT, statement_, "SQLFetch");
    if (!bound_)
        fetched_ = 1;
    position_ = 0;
    return fetched_ > 0;
}

bool OdbcRowFetcher::next(QVector<SqlValue>& row)
{
    if (exhausted_)
        return false;
    if (!bound_ || position_ + 1 >= fetched_) {
        if (!fetch())
            return false;
    } else {
        ++position_;
    }

    row.resize(columns_.size());
    if (!bound_) {
        for (int i = 0; i < columns_.size(); ++i)
            row[i] = readColumnData(statement_, SQLUSMALLINT(i + 1), columns_[i]);
        return true;
    }
    if (rowStatus_[position_] == SQL_ROW_ERROR)
        throw Failure(odbcDiagnostics(SQL_HANDLE_STMT, statement_, QStringLiteral("The driver could not fetch a row")));
    for (int i = 0; i < columns_.size(); ++i) {
        const SQLLEN width = columns_[i].bufferWidth();
        const SQLLEN indicator = indicators_[size_t(i)][position_];
        if (indicator != SQL_NULL_DATA && (indicator < 0 || indicator > width - columns_[i].terminatorBytes()))
            throw Failure(QStringLiteral("The value of column %1 does not fit its described size").arg(columns_[i].name));
        row[i] = valueFromBuffer(columns_[i], buffers_[size_t(i)].data() + width * SQLLEN(position_), indicator);
    }
    return true;
}

} // namespace tw
