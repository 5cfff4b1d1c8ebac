#include "peers/oracle/ModelTargetLayer.h"

#include "db/Failure.h"
#include "db/OracleSessionSettings.h"
#include "peers/oracle/ModelRowWriter.h"
#include "peers/oracle/OraErrors.h"

namespace peers {

namespace {

class ModelTargetStatement : public tw::TargetStatement {
public:
    explicit ModelTargetStatement(ModelTargetConnection& connection) : connection_(connection) {}

    void executeDirect() override { executeInSession(connection_, sqlText()); }

    qint64 queryInteger() override
    {
        const OraResult result = executeInSession(connection_, sqlText());
        if (result.rows.isEmpty() || result.rows.first().isEmpty())
            throw tw::Failure(QStringLiteral("The query returned no rows"));
        return result.rows.first().first().toInteger();
    }

private:
    ModelTargetConnection& connection_;
};

} // namespace

ModelTargetConnection::ModelTargetConnection(ModelOracle& model) : model_(model) {}

void ModelTargetConnection::open()
{
    close();
    try {
        session_ = model_.logon(param(QStringLiteral("User_Name")), param(QStringLiteral("Password")),
                                param(QStringLiteral("Database")));
        session_->execute(tw::characterLengthSemanticsSql());
    } catch (const OraError& e) {
        throw tw::Failure(e.message);
    }
}

// Ending the session discards what it did not commit.
void ModelTargetConnection::close() { session_.reset(); }

bool ModelTargetConnection::isOpen() const { return session_.has_value(); }

std::unique_ptr<tw::TargetStatement> ModelTargetConnection::createStatement()
{
    return std::make_unique<ModelTargetStatement>(*this);
}

std::unique_ptr<tw::RowWriter> ModelTargetConnection::createRowWriter()
{
    return std::make_unique<ModelRowWriter>(*this);
}

std::unique_ptr<tw::TargetConnection> ModelTargetConnection::createSibling() const
{
    auto sibling = std::make_unique<ModelTargetConnection>(model_);
    sibling->setParams(params());
    return sibling;
}

OraSession& ModelTargetConnection::session()
{
    if (!session_)
        throw tw::Failure(ora::notConnected().message);
    return *session_;
}

OraResult executeInSession(ModelTargetConnection& connection, const QString& sql, const QVector<SqlValue>& binds)
{
    try {
        return connection.session().execute(sql, binds);
    } catch (const OraError& e) {
        throw tw::Failure(e.message);
    }
}

} // namespace peers
