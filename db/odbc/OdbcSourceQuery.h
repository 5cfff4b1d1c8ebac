#pragma once

#include "db/SourceAccess.h"
#include "db/odbc/OdbcColumns.h"

#include <memory>

namespace tw {

class OdbcLink;
class OdbcReadAhead;
class OdbcRowFetcher;
class OdbcSourceConnection;

// The source query over ODBC: a forward-only result streamed from the server.
// A result whose columns all have a bounded size is fetched ahead, block by
// block, on a thread of its own (a bounded number of blocks in advance); one
// with long values is read row by row as it is taken, so that a large value
// is held once.
// first() on a result that has moved on runs the statement again. Misuse (reading a closed query, opening an open one, a
// statement without a result set) fails with the texts of the program's
// former client library.
class OdbcSourceQuery : public SourceQuery {
public:
    explicit OdbcSourceQuery(OdbcSourceConnection& connection);
    ~OdbcSourceQuery() override;

    void close() override;
    void open() override;
    bool isOpen() const override;
    void first() override;
    bool atEnd() const override;
    void next() override;

    int fieldCount() const override;
    QString fieldName(int index) const override;
    bool isBooleanField(int index) const override;
    SqlValue value(int index) const override;
    CellForm cellForm(int index) const override;
    void cells(SourceCell* out) const override;

private:
    void requireOpen() const;
    void requireRow() const;
    void execute();
    void advance();
    // Runs driver calls that wait on the server, with a limit in seconds on
    // its silence; a failure that leaves the connection gone becomes
    // ConnectionLost.
    template <typename Call>
    void talk(int seconds, Call call);
    const OdbcColumn& column(int index) const;

    OdbcSourceConnection& connection_;
    std::shared_ptr<OdbcLink> link_;
    SQLHSTMT statement_ = SQL_NULL_HSTMT;
    QVector<OdbcColumn> columns_;
    std::unique_ptr<OdbcRowFetcher> fetcher_;
    std::unique_ptr<OdbcReadAhead> readAhead_;  // destroyed before the fetcher
    QVector<SqlValue> row_;  // the current row of a result read row by row
    bool open_ = false;
    bool atEnd_ = true;
    qint64 rowNumber_ = 0;
};

} // namespace tw
