#pragma once

#include "db/SourceCell.h"
#include "db/SqlValue.h"

#include <QStringList>
#include <QVector>
#include <deque>
#include <exception>
#include <memory>

namespace tw {

// A short-lived statement on the target connection. Its SQL text is held as
// lines, each followed by CR LF, and sent exactly like that.
class TargetStatement {
public:
    virtual ~TargetStatement() = default;

    void setSql(const QStringList& lines) { lines_ = lines; }
    void setSql(const QString& line) { lines_ = QStringList{line}; }
    // The statement as the object holds it: every line followed by CR LF.
    QString sqlText() const;
    const QStringList& sqlLines() const { return lines_; }

    // Runs the text once, unprepared and without parameters; throws a
    // Failure with the server's message when it is refused.
    virtual void executeDirect() = 0;
    // Runs a one-row query and returns its first column as an integer.
    virtual qint64 queryInteger() = 0;

private:
    QStringList lines_;
};

// A row that the server refused in a batch applied with its good rows kept:
// its place in the batch (from 1) and the server's message.
struct RefusedRow {
    int row = 0;
    QString message;
    bool operator==(const RefusedRow& other) const { return row == other.row && message == other.message; }
};

// What one apply of the pending rows did. When the server refuses a row, the
// whole batch is rolled back: stored is 0, refused counts the rows that were
// not stored, message holds the server's text and refusedRow the position
// in the batch (from 1) of the row it refused, 0 when that is not known.
// With the good rows kept, stored counts the rows committed, refused the
// rows the server refused, and refusedRows lists each of them; a failure of
// the apply as a whole (not of single rows) still refuses the whole batch.
struct ApplyResult {
    int stored = 0;
    int refused = 0;
    QString message;
    int refusedRow = 0;
    QVector<RefusedRow> refusedRows;
};

// A client-side row buffer over the target table named by its command text
// (select * from "T" where 1=0). Rows are appended, filled by column name and
// posted; applyUpdates inserts the pending rows in one transaction.
class RowWriter {
public:
    virtual ~RowWriter() = default;

    // Drops pending rows that were not applied.
    virtual void close() = 0;
    void setCommandText(const QString& text)
    {
        commandText_ = text;
        ++commandTextSets_;
    }
    const QString& commandText() const { return commandText_; }
    // Runs the command text: the buffer gets the table's columns and no rows.
    // Opening again without a new command text may reuse what the last
    // opening learnt of the table.
    virtual void open() = 0;

    // What a row the server refuses costs: off (the default), its whole
    // batch; on, only itself: every row the server accepts is stored and
    // each refused row reported. Set before the rows of a batch are posted.
    void setKeepGoodRows(bool keep) { keepGoodRows_ = keep; }
    bool keepGoodRows() const { return keepGoodRows_; }

    // The names of the table's columns, in table order, once open.
    virtual QStringList fieldNames() const = 0;
    // The position of a column among fieldNames(), its name compared
    // regardless of case; -1 when the table has no such column.
    int fieldIndex(const QString& name) const;

    virtual void append() = 0;
    // Sets a column of the appended row, by its position among fieldNames().
    // A value the column cannot take throws a Failure naming the reason.
    virtual void setFieldValue(int index, const SqlValue& value) = 0;
    // The same by name, regardless of case; a missing column is a Failure.
    void setFieldValue(const QString& name, const SqlValue& value);
    // Whether the column at index takes values of the form straight from
    // the source's buffers (setFieldCell); asked once per table.
    virtual bool takesCells(int, CellForm) const { return false; }
    // Sets a column of the appended row from the source's buffer, exactly as
    // setFieldValue would set it from the source's value. False, with the
    // column untouched, for a value that only setFieldValue converts (rare
    // values such as a date-time that rounds into the next second); a value
    // the column cannot take throws as setFieldValue does.
    virtual bool setFieldCell(int, CellForm, const SourceCell&) { return false; }
    // Sets the columns of routes in turn from the row's cells (one a source
    // column), as setFieldCell does, up to the first route that it does not
    // set: one whose form is None, whose value setFieldCell declines or
    // throws for, which is left untouched for the caller. Returns how many
    // routes were set: all of them, in one call for a row, as a rule.
    virtual int setFieldCells(const CellRoute* routes, int count, const SourceCell* cells);
    virtual void post() = 0;
    virtual int pendingCount() const = 0;
    // The rows of the current batch that the writer has already sent to the
    // server (it may send them before the apply, to bound its memory), and
    // with the good rows kept the rows refused among them so far.
    virtual int sentRows() const { return 0; }
    virtual QVector<RefusedRow> refusedRows() const { return {}; }

    // Inserts the pending rows and commits them once: all or nothing, or
    // with the good rows kept (setKeepGoodRows); the buffer is empty
    // afterwards.
    virtual ApplyResult applyUpdates() = 0;

    // The same for a batch whose outcome is taken later (takeApplied), so
    // that the rows of the next batch can be appended while the server
    // works on this one. By default the batch is applied at once.
    virtual void applyInBackground();
    // The outcome of the oldest batch given to applyInBackground and not
    // yet taken: false when there is none, or when it has not ended and
    // wait is not set. A failure of that apply as a whole (not a refused
    // batch) is thrown here, after the outcomes of the batches before it.
    virtual bool takeApplied(ApplyResult& result, bool wait);

protected:
    // Counts setCommandText calls: a writer that opens again on the same
    // count opens on the same command text.
    quint64 commandTextSets() const { return commandTextSets_; }
    // The outcome of a batch applied in the background, in order.
    void keepApplied(const ApplyResult& result) { applied_.push_back({result, nullptr}); }
    void keepApplyFailure(std::exception_ptr failure) { applied_.push_back({{}, std::move(failure)}); }

private:
    struct Applied {
        ApplyResult result;
        std::exception_ptr failure;
    };

    QString commandText_;
    quint64 commandTextSets_ = 0;
    bool keepGoodRows_ = false;
    std::deque<Applied> applied_;
};

// The target server connection, configured by key=value parameter lines.
class TargetConnection {
public:
    virtual ~TargetConnection() = default;

    void setParams(const QStringList& lines) { params_ = lines; }
    const QStringList& params() const { return params_; }
    // The value of the first parameter line "key=...", or an empty text.
    QString param(const QString& key) const;

    virtual void open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    virtual std::unique_ptr<TargetStatement> createStatement() = 0;
    virtual std::unique_ptr<RowWriter> createRowWriter() = 0;
    // A closed connection of the same kind with the same parameter lines:
    // another session of the same user once opened.
    virtual std::unique_ptr<TargetConnection> createSibling() const = 0;

private:
    QStringList params_;
};

} // namespace tw
