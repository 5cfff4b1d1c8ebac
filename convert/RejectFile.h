#pragma once

#include "db/SqlValue.h"

#include <QFile>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

namespace tw {

// The rows that the target refused during a run whose good rows are kept,
// one record each, so that they can be mended and loaded again. The file is
// created at the first refused row (replacing a file of that name) and
// appended to for the rest of the run: UTF-8 without byte-order mark,
// fields quoted by RFC 4180, CR LF after every line. A header line
// "table,row,error," + the source column names opens the records of each
// table. Rows hold table data only; no logon value ever reaches the file.
class RejectFile {
public:
    // The path is asked for once, when the first row is refused.
    explicit RejectFile(std::function<QString()> pathSource);

    // One refused row: the source table, its column names, the row's place
    // in the copy (from 1), the server's message and the row's source values
    // (NULL as an empty field, bytes in hexadecimal). A file that cannot be
    // written is a Failure naming it.
    void add(const QString& table, const QStringList& columns, qint64 row, const QString& message,
             const QVector<SqlValue>& values);

    // The file's name without its folder; empty until a row was refused.
    QString fileName() const;

private:
    void write(const QString& text);

    std::function<QString()> pathSource_;
    QFile file_;
    QString table_;
};

// The reject file beside a run's log: the log's path with its extension
// replaced by ".rejects.csv" (nightly.log gives nightly.rejects.csv).
QString rejectFilePath(const QString& logPath);

} // namespace tw
