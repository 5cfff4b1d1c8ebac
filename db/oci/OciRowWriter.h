#pragma once

#include "db/TargetAccess.h"
#include "db/oci/OciStatement.h"
#include "db/oci/PendingColumn.h"

#include <functional>
#include <memory>
#include <vector>

namespace tw::oci {

// The row writer over OCI. Opening runs the command text as a describe only
// (select * from "T" where 1=0) and learns the table's columns; appended rows
// are kept column-wise in bind form; an apply inserts every pending row with
// one array execute of one INSERT (prepared once per open) and commits, or
// rolls the whole batch back when the server refuses a row.
class OciRowWriter : public RowWriter {
public:
    // The session is asked for when the writer opens: the connection may
    // have logged on again since the writer was made.
    explicit OciRowWriter(std::function<std::shared_ptr<OciSession>()> sessionSource);
    ~OciRowWriter() override;

    void close() override;
    void open() override;
    QStringList fieldNames() const override;
    void append() override;
    using RowWriter::setFieldValue;
    void setFieldValue(int index, const SqlValue& value) override;
    void post() override;
    int pendingCount() const override { return posted_; }
    ApplyResult applyUpdates(int maxErrors) override;

private:
    // "T" out of select * from "T" where 1=0, as written there.
    QString tableOfCommand() const;
    QString insertSql() const;
    void clearPending();
    void requireOpen() const;

    std::function<std::shared_ptr<OciSession>()> sessionSource_;
    std::shared_ptr<OciSession> session_;
    std::vector<std::unique_ptr<PendingColumn>> columns_;  // table order
    std::vector<PendingColumn*> bindOrder_;                // large objects last
    std::unique_ptr<OciStatement> insert_;
    QString table_;
    int posted_ = 0;
    bool rowOpen_ = false;
};

} // namespace tw::oci
