#pragma once

#include "db/SourceCell.h"
#include "db/SqlValue.h"

#include <QStringList>
#include <memory>

namespace tw {

// The one query on the source connection. Every reader follows the same
// pattern: close, set the SQL text, open, first, then read and call next until
// atEnd. Failures are Failure exceptions carrying the client's message.
class SourceQuery {
public:
    virtual ~SourceQuery() = default;

    // Does nothing when already closed.
    virtual void close() = 0;

    // Replaces the whole statement.
    void setSql(const QString& text);
    void clearSql() { sqlLines_.clear(); }
    void addSql(const QString& line) { sqlLines_.append(line); }
    // The statement as sent: the lines joined by line breaks.
    QString sql() const { return sqlLines_.join(QStringLiteral("\r\n")); }

    // Runs the statement; the first row (if any) is current.
    virtual void open() = 0;
    virtual bool isOpen() const = 0;
    // The first row is current again.
    virtual void first() = 0;
    // True when no row is current: an empty result, or a move past the last row.
    virtual bool atEnd() const = 0;
    virtual void next() = 0;

    virtual int fieldCount() const = 0;
    virtual QString fieldName(int index) const = 0;
    virtual bool isBooleanField(int index) const = 0;
    virtual SqlValue value(int index) const = 0;
    // The form in which the column's values lie in the source's buffers, so
    // that a copy can take them from there (cell); None for a column whose
    // values come only through value().
    virtual CellForm cellForm(int) const { return CellForm::None; }
    // The current row's values, one cell a column, where they lie: the
    // cells of columns whose form is None are not set. One call a row.
    virtual void cells(SourceCell*) const {}

    // Position of a column by name, regardless of case; a Failure when
    // the result has no such column.
    int fieldIndex(const QString& name) const;
    bool isBooleanField(const QString& name) const { return isBooleanField(fieldIndex(name)); }
    SqlValue value(const QString& name) const { return value(fieldIndex(name)); }
    // A null read as text gives the empty text.
    QString text(const QString& name) const { return value(name).toText(); }
    qint64 integer(const QString& name) const { return value(name).toInteger(); }

private:
    QStringList sqlLines_;
};

// The source server connection. The connection string uses the
// "Provider=SQLOLEDB.1;..." form that the wizard builds; each client maps it to
// what it needs.
class SourceConnection {
public:
    virtual ~SourceConnection() = default;

    void setConnectionString(const QString& text) { connectionString_ = text; }
    const QString& connectionString() const { return connectionString_; }

    // Ends the link; does nothing on a closed connection.
    virtual void close() = 0;
    // Links to the server and database that the string names, or throws.
    virtual void open() = 0;
    virtual bool isOpen() const = 0;

    // A query bound to this connection object: it uses whatever link the
    // connection has when the query is opened.
    virtual std::unique_ptr<SourceQuery> createQuery() = 0;
    // A closed connection of the same kind, settings and connection string:
    // another session to the same database once opened.
    virtual std::unique_ptr<SourceConnection> createSibling() const = 0;

private:
    QString connectionString_;
};

} // namespace tw
