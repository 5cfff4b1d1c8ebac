#include "db/oci/OciTargetStatement.h"

#include "db/Failure.h"
#include "db/oci/OciStatement.h"

namespace tw::oci {

OciTargetStatement::OciTargetStatement(std::function<std::shared_ptr<OciSession>()> sessionSource)
    : sessionSource_(std::move(sessionSource))
{
}

std::shared_ptr<OciSession> OciTargetStatement::session() const
{
    std::shared_ptr<OciSession> current = sessionSource_();
    if (!current)
        throw Failure(QStringLiteral("The connection to Oracle is closed."));
    current->discardUnfinishedWork();
    return current;
}

void OciTargetStatement::executeDirect()
{
    const std::shared_ptr<OciSession> current = session();
    OciStatement statement(current, sqlText());
    // A query runs with no iterations (nothing is fetched); everything else once.
    const ub4 iters = statement.statementType() == OCI_STMT_SELECT ? 0 : 1;
    current->check(statement.execute(iters, OCI_COMMIT_ON_SUCCESS));
}

qint64 OciTargetStatement::queryInteger()
{
    const std::shared_ptr<OciSession> current = session();
    OciStatement statement(current, sqlText());
    const OciApi& api = current->api();
    ub4 prefetch = current->prefetchRows();
    if (prefetch > 0)
        current->check(api.OCIAttrSet(statement.handle(), OCI_HTYPE_STMT, &prefetch, 0, OCI_ATTR_PREFETCH_ROWS,
                                      current->error()));
    qint64 value = 0;
    sb2 indicator = 0;
    OCIDefine* define = nullptr;
    current->check(api.OCIDefineByPos(statement.handle(), &define, current->error(), 1, &value, sizeof value, SQLT_INT,
                                      &indicator, nullptr, nullptr, OCI_DEFAULT));
    // One iteration executes the query and fetches its first row.
    const sword status = statement.execute(1, OCI_DEFAULT);
    if (status == OCI_NO_DATA)
        throw Failure(QStringLiteral("The query returned no row."));
    current->check(status);
    if (indicator == -1)
        throw Failure(QStringLiteral("The query returned NULL."));
    return value;
}

} // namespace tw::oci
