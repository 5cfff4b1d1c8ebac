#pragma once

#include "peers/oracle/ModelTargetLayer.h"

#include <optional>

namespace peers {

// The row writer of a model target connection: a client-side buffer of
// pending rows over the table that its command text selects, applied as one
// INSERT per row in the connection's session.
class ModelRowWriter : public tw::RowWriter {
public:
    explicit ModelRowWriter(ModelTargetConnection& connection) : connection_(connection) {}

    void close() override;
    void open() override;
    QStringList fieldNames() const override;

    void append() override;
    using tw::RowWriter::setFieldValue;
    void setFieldValue(int index, const SqlValue& value) override;
    void post() override;
    int pendingCount() const override { return int(pending_.size()); }

    tw::ApplyResult applyUpdates() override;

private:
    QString insertSql() const;

    ModelTargetConnection& connection_;
    bool open_ = false;
    QString table_;  // the table as the command text names it, quotes included
    QVector<OraColumn> columns_;
    std::optional<QVector<SqlValue>> editing_;
    QVector<QVector<SqlValue>> pending_;
};

} // namespace peers
