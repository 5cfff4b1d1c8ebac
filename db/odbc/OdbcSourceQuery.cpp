#include "db/odbc/OdbcSourceQuery.h"

#include "db/Failure.h"
#include "db/odbc/OdbcApi.h"
#include "db/odbc/OdbcDiagnostics.h"
#include "db/odbc/OdbcLink.h"
#include "db/odbc/OdbcReadAhead.h"
#include "db/odbc/OdbcRowFetcher.h"
#include "db/odbc/OdbcSourceConnection.h"

namespace tw {

namespace {

// The driver's own time limit fires first and cancels the query politely;
// the connection is torn down only when the driver has not returned this
// long after it.
const int kCancelGraceSeconds = 30;

// The memory of the blocks fetched ahead, and the most blocks: enough rows
// to go on fetching while the target takes a batch.
constexpr qint64 kReadAheadBytes = 16 * 1024 * 1024;
constexpr qint64 kMostBlocksAhead = 16;

} // namespace

OdbcSourceQuery::OdbcSourceQuery(OdbcSourceConnection& connection) : connection_(connection) {}

OdbcSourceQuery::~OdbcSourceQuery()
{
    close();
}

void OdbcSourceQuery::close()
{
    readAhead_.reset();
    fetcher_.reset();
    if (link_ && statement_)
        link_->freeStatement(statement_);
    statement_ = nullptr;
    link_.reset();
    columns_.clear();
    row_.clear();
    open_ = false;
    atEnd_ = true;
    rowNumber_ = 0;
}

void OdbcSourceQuery::open()
{
    if (open_)
        throw Failure(objectOpenMessage());
    if (sql().trimmed().isEmpty())
        throw Failure(QStringLiteral("Command text was not set for the command object."));
    link_ = connection_.link();
    statement_ = link_->allocateStatement();
    try {
        checkOdbc(SQLSetStmtAttr(statement_, SQL_ATTR_QUERY_TIMEOUT,
                                 reinterpret_cast<SQLPOINTER>(SQLULEN(connection_.queryTimeout())), 0),
                  SQL_HANDLE_STMT, statement_, "SQLSetStmtAttr");
        execute();
    } catch (...) {
        close();
        throw;
    }
    open_ = true;
}

template <typename Call>
void OdbcSourceQuery::talk(int seconds, Call call)
{
    try {
        OdbcLink::Watch watch(*link_, statement_, seconds);
        call();
    } catch (const Failure& failure) {
        if (link_->wasTornDown())
            throw ConnectionLost(QStringLiteral("The server sent nothing for %1 seconds; the connection to it was "
                                                "closed.")
                                     .arg(seconds));
        if (link_->isLost())
            throw ConnectionLost(failure.message());
        throw;
    }
}

void OdbcSourceQuery::execute()
{
    readAhead_.reset();
    fetcher_.reset();
    row_.clear();
    atEnd_ = true;
    const int firstAnswer = connection_.queryTimeout();
    talk(firstAnswer > 0 ? firstAnswer + kCancelGraceSeconds : 0, [this] {
        std::u16string text = toOdbcText(sql());
        SQLRETURN rc = SQLExecDirectW(statement_, reinterpret_cast<SQLWCHAR*>(text.data()), SQLINTEGER(text.size()));
        if (rc != SQL_NO_DATA)
            checkOdbc(rc, SQL_HANDLE_STMT, statement_, "SQLExecDirect");

        // Statements before the first one that returns rows (SET, say) give
        // results without columns; the query reads the first result with
        // columns.
        columns_ = rc == SQL_NO_DATA ? QVector<OdbcColumn>() : describeColumns(statement_);
        while (columns_.isEmpty()) {
            rc = SQLMoreResults(statement_);
            if (rc == SQL_NO_DATA)
                break;
            checkOdbc(rc, SQL_HANDLE_STMT, statement_, "SQLMoreResults");
            columns_ = describeColumns(statement_);
        }
    });

    rowNumber_ = 0;
    if (columns_.isEmpty())
        throw Failure(QStringLiteral("CommandText does not return a result set"));
    fetcher_ = std::make_unique<OdbcRowFetcher>(statement_, columns_);
    if (fetcher_->isBound()) {
        const int blocks = int(qBound<qint64>(2, kReadAheadBytes / qMax<qint64>(fetcher_->blockBytes(), 1), kMostBlocksAhead));
        readAhead_ = std::make_unique<OdbcReadAhead>(
            *fetcher_,
            [this](OdbcBlock& block) {
                bool more = false;
                // The connection may be closed under the query meanwhile.
                link_->callOnStatement(statement_, [&] {
                    talk(connection_.fetchTimeout(), [&] { more = fetcher_->fetchBlock(block); });
                });
                return more;
            },
            blocks);
    }
    advance();
}

void OdbcSourceQuery::advance()
{
    // The row's values are dropped before the next arrive, so that a large
    // value is never held twice here.
    row_.clear();
    atEnd_ = true;
    if (readAhead_)
        atEnd_ = !readAhead_->take();
    else if (fetcher_)
        talk(connection_.fetchTimeout(), [this] { atEnd_ = !fetcher_->next(row_); });
    if (atEnd_)
        row_.clear();
    else
        ++rowNumber_;
}

bool OdbcSourceQuery::isOpen() const
{
    return open_ && link_->isConnected();
}

void OdbcSourceQuery::requireOpen() const
{
    // Closing the connection closes its queries with it.
    if (!open_ || !link_->isConnected())
        throw Failure(closedObjectMessage());
}

bool OdbcSourceQuery::atEnd() const
{
    requireOpen();
    return atEnd_;
}

int OdbcSourceQuery::fieldCount() const
{
    requireOpen();
    return columns_.size();
}

void OdbcSourceQuery::first()
{
    requireOpen();
    const bool onFirstRow = rowNumber_ == 1 && !atEnd_;
    const bool emptyResult = rowNumber_ == 0;
    if (onFirstRow || emptyResult)
        return;
    // A forward-only result cannot go back: run the statement again, once
    // the fetching ahead has stopped using it.
    readAhead_.reset();
    fetcher_.reset();
    checkOdbc(SQLFreeStmt(statement_, SQL_CLOSE), SQL_HANDLE_STMT, statement_, "SQLFreeStmt");
    checkOdbc(SQLFreeStmt(statement_, SQL_UNBIND), SQL_HANDLE_STMT, statement_, "SQLFreeStmt");
    execute();
}

void OdbcSourceQuery::next()
{
    requireOpen();
    if (!atEnd_)
        advance();
}

const OdbcColumn& OdbcSourceQuery::column(int index) const
{
    requireOpen();
    if (index < 0 || index >= columns_.size())
        throw Failure(QStringLiteral("List index out of bounds (%1)").arg(index));
    return columns_[index];
}

QString OdbcSourceQuery::fieldName(int index) const
{
    return column(index).name;
}

bool OdbcSourceQuery::isBooleanField(int index) const
{
    return column(index).kind == OdbcValueKind::Boolean;
}

void OdbcSourceQuery::requireRow() const
{
    if (atEnd_)
        throw Failure(QStringLiteral("Either BOF or EOF is True, or the current record has been deleted. Requested "
                                     "operation requires a current record."));
}

SqlValue OdbcSourceQuery::value(int index) const
{
    column(index);
    requireRow();
    if (readAhead_)
        return fetcher_->valueOf(readAhead_->block(), readAhead_->position(), index);
    return row_[index];
}

CellForm OdbcSourceQuery::cellForm(int index) const
{
    return readAhead_ ? column(index).cellForm() : CellForm::None;
}

// Called for every row: only what keeps the read inside the current block
// is checked.
void OdbcSourceQuery::cells(SourceCell* out) const
{
    if (!readAhead_)
        throw Failure(QStringLiteral("The values of this result are not in bound buffers"));
    requireRow();
    fetcher_->cellsOf(readAhead_->block(), readAhead_->position(), out);
}

} // namespace tw
