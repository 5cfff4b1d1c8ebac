#pragma once

#include "db/OracleValueConversion.h"
#include "db/oci/OciSession.h"

#include <QByteArray>
#include <QString>
#include <QVector>
#include <memory>

namespace tw::oci {

// A column of a described select list.
struct DescribedColumn {
    QString name;
    OracleColumnType type;
    ub1 charsetForm = SQLCS_IMPLICIT;  // SQLCS_NCHAR for the national types
};

// A row that an execute in batch error mode refused: its iteration (from 0)
// and the server's message.
struct BatchError {
    ub4 iteration = 0;
    QString message;
};

// A statement handle prepared on a session (OCIStmtPrepare2) and released
// with it. The text is sent as UTF-8, exactly as given.
class OciStatement {
public:
    OciStatement(std::shared_ptr<OciSession> session, const QString& sql);
    ~OciStatement();
    OciStatement(const OciStatement&) = delete;
    OciStatement& operator=(const OciStatement&) = delete;

    OCIStmt* handle() const { return stmt_; }
    OciSession& session() const { return *session_; }

    // OCI_STMT_SELECT, OCI_STMT_INSERT, ... as the client parsed the text.
    ub2 statementType() const;
    // Runs the statement iters times (0 for a query that fetches later);
    // returns the client's status without throwing.
    sword execute(ub4 iters, ub4 mode);
    // The rows processed by the last execute.
    ub4 rowCount() const;
    // The rows that the last execute, in batch error mode (OCI_BATCH_ERRORS),
    // refused, in the order the server reports them.
    QVector<BatchError> batchErrors() const;

    // Describes the select list without running the query.
    QVector<DescribedColumn> describe();

private:
    std::shared_ptr<OciSession> session_;
    OCIStmt* stmt_ = nullptr;
};

// The type name of a described column from the client's type code, its
// character set form and its precision and scale.
QString describedTypeName(ub2 dataType, ub1 charsetForm, int precision, int scale);

} // namespace tw::oci
