#pragma once

#include "db/TargetAccess.h"
#include "peers/oracle/ModelOracle.h"

#include <optional>

namespace peers {

// The program's target connection in process, over a model Oracle: open()
// logs on with the "Database=", "User_Name=" and "Password=" parameter lines,
// and every statement and row writer runs in that one session. Oracle's
// errors reach the program as tw::Failure with the ORA- text.
class ModelTargetConnection : public tw::TargetConnection {
public:
    explicit ModelTargetConnection(ModelOracle& model);

    void open() override;
    void close() override;
    bool isOpen() const override;

    std::unique_ptr<tw::TargetStatement> createStatement() override;
    std::unique_ptr<tw::RowWriter> createRowWriter() override;
    std::unique_ptr<tw::TargetConnection> createSibling() const override;

    // The logged-on session; ORA-03114 as a Failure when not open.
    OraSession& session();

    // Every apply of every row writer of this connection, for tests: how
    // many there were and how many rows each one had pending (0 included).
    int applyCount() const { return int(applySizes_.size()); }
    int lastApplySize() const { return applySizes_.isEmpty() ? -1 : applySizes_.last(); }
    const QVector<int>& applySizes() const { return applySizes_; }
    void recordApply(int pendingRows) { applySizes_.append(pendingRows); }

private:
    ModelOracle& model_;
    std::optional<OraSession> session_;
    QVector<int> applySizes_;
};

// Runs a statement in the session and turns an Oracle error into a Failure.
OraResult executeInSession(ModelTargetConnection& connection, const QString& sql,
                           const QVector<SqlValue>& binds = {});

} // namespace peers
