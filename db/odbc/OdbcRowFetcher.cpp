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

void setAttribute(SQLHSTMT statement, SQLINTEGER attribute, SQLPOINTER value)
{
    checkOdbc(SQLSetStmtAttr(statement, attribute, value, 0), SQL_HANDLE_STMT, statement, "SQLSetStmtAttr");
}

} // namespace

SQLULEN firstBadRow(const OdbcBlock& block, const std::vector<SQLLEN>& mostBytes)
{
    SQLULEN first = block.fetched;
    for (SQLULEN row = 0; row < first; ++row) {
        if (block.rowStatus[row] == SQL_ROW_ERROR)
            first = row;
    }
    // A negative length read unsigned is larger than any buffer.
    for (size_t i = 0; i < mostBytes.size(); ++i) {
        const SQLLEN* indicators = block.indicators[i].data();
        const SQLULEN most = SQLULEN(mostBytes[i]);
        for (SQLULEN row = 0; row < first; ++row) {
            if (SQLULEN(indicators[row]) > most && indicators[row] != SQL_NULL_DATA) {
                first = row;
                break;
            }
        }
    }
    return first;
}

OdbcRowFetcher::OdbcRowFetcher(SQLHSTMT statement, const QVector<OdbcColumn>& columns)
    : statement_(statement), columns_(columns)
{
    for (const OdbcColumn& column : columns_) {
        widths_.push_back(column.bufferWidth());
        mostBytes_.push_back(column.bufferWidth() - column.terminatorBytes());
    }
    bound_ = !columns_.isEmpty()
             && std::none_of(columns_.cbegin(), columns_.cend(), [](const OdbcColumn& c) { return c.isLong; });
    if (bound_) {
        SQLLEN rowWidth = 0;
        for (const OdbcColumn& column : columns_)
            rowWidth += column.bufferWidth() + SQLLEN(sizeof(SQLLEN));
        blockSize_ = SQLULEN(std::clamp<SQLLEN>(kBlockBudgetBytes / std::max<SQLLEN>(rowWidth, 1), 1, kMostBlockRows));
        setAttribute(statement_, SQL_ATTR_ROW_BIND_TYPE, reinterpret_cast<SQLPOINTER>(SQL_BIND_BY_COLUMN));
        setAttribute(statement_, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(blockSize_));
    } else {
        // One row at a time; no block attributes left from an earlier result.
        setAttribute(statement_, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(SQLULEN(1)));
        setAttribute(statement_, SQL_ATTR_ROW_STATUS_PTR, nullptr);
        setAttribute(statement_, SQL_ATTR_ROWS_FETCHED_PTR, nullptr);
    }
}

qint64 OdbcRowFetcher::blockBytes() const
{
    qint64 bytes = 0;
    for (const OdbcColumn& column : columns_)
        bytes += (column.bufferWidth() + qint64(sizeof(SQLLEN))) * qint64(blockSize_);
    return bytes;
}

std::unique_ptr<OdbcBlock> OdbcRowFetcher::newBlock() const
{
    auto block = std::make_unique<OdbcBlock>();
    block->rowStatus.assign(blockSize_, SQL_ROW_NOROW);
    block->buffers.resize(size_t(columns_.size()));
    block->indicators.resize(size_t(columns_.size()));
    for (int i = 0; i < columns_.size(); ++i) {
        block->buffers[size_t(i)].assign(size_t(columns_[i].bufferWidth()) * blockSize_, 0);
        block->indicators[size_t(i)].assign(blockSize_, 0);
    }
    return block;
}

bool OdbcRowFetcher::fetchBlock(OdbcBlock& block)
{
    // The columns are bound to this block for this fetch only.
    setAttribute(statement_, SQL_ATTR_ROW_STATUS_PTR, block.rowStatus.data());
    setAttribute(statement_, SQL_ATTR_ROWS_FETCHED_PTR, &block.fetched);
    for (int i = 0; i < columns_.size(); ++i) {
        checkOdbc(SQLBindCol(statement_, SQLUSMALLINT(i + 1), columns_[i].cType(), block.buffers[size_t(i)].data(),
                             columns_[i].bufferWidth(), block.indicators[size_t(i)].data()),
                  SQL_HANDLE_STMT, statement_, "SQLBindCol");
    }
    block.fetched = 0;
    const SQLRETURN rc = SQLFetch(statement_);
    if (rc == SQL_NO_DATA)
        return false;
    checkOdbc(rc, SQL_HANDLE_STMT, statement_, "SQLFetch");
    return block.fetched > 0;
}

void OdbcRowFetcher::checkRow(const OdbcBlock& block, SQLULEN position) const
{
    if (block.rowStatus[position] == SQL_ROW_ERROR)
        throw Failure(odbcDiagnostics(SQL_HANDLE_STMT, statement_, QStringLiteral("The driver could not fetch a row")));
    for (size_t i = 0; i < mostBytes_.size(); ++i) {
        const SQLLEN indicator = block.indicators[i][position];
        if (indicator != SQL_NULL_DATA && (indicator < 0 || indicator > mostBytes_[i]))
            throw Failure(
                QStringLiteral("The value of column %1 does not fit its described size").arg(columns_[int(i)].name));
    }
}

SQLULEN OdbcRowFetcher::firstBadRow(const OdbcBlock& block) const
{
    return tw::firstBadRow(block, mostBytes_);
}

SourceCell OdbcRowFetcher::cellOf(const OdbcBlock& block, SQLULEN position, int column) const
{
    const SQLLEN indicator = block.indicators[size_t(column)][position];
    if (indicator == SQL_NULL_DATA)
        return {};
    return SourceCell{block.buffers[size_t(column)].data() + widths_[size_t(column)] * SQLLEN(position),
                      qint64(indicator)};
}

void OdbcRowFetcher::cellsOf(const OdbcBlock& block, SQLULEN position, SourceCell* out) const
{
    // The row is checked: its only negative length is NULL's (-1), which
    // is a NULL cell's too.
    static_assert(SQL_NULL_DATA == -1);
    const auto* buffers = block.buffers.data();
    const auto* indicators = block.indicators.data();
    for (size_t i = 0; i < widths_.size(); ++i)
        out[i] = SourceCell{buffers[i].data() + widths_[i] * SQLLEN(position), qint64(indicators[i][position])};
}

SqlValue OdbcRowFetcher::valueOf(const OdbcBlock& block, SQLULEN position, int column) const
{
    const SourceCell cell = cellOf(block, position, column);
    return valueFromBuffer(columns_[column], cell.data, cell.isNull() ? SQL_NULL_DATA : SQLLEN(cell.bytes));
}

bool OdbcRowFetcher::next(QVector<SqlValue>& row)
{
    if (exhausted_)
        return false;
    const SQLRETURN rc = SQLFetch(statement_);
    if (rc == SQL_NO_DATA) {
        exhausted_ = true;
        return false;
    }
    checkOdbc(rc, SQL_HANDLE_STMT, statement_, "SQLFetch");
    row.resize(columns_.size());
    for (int i = 0; i < columns_.size(); ++i)
        row[i] = readColumnData(statement_, SQLUSMALLINT(i + 1), columns_[i]);
    return true;
}

} // namespace tw
