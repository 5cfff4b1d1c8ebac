#include "peers/sqlserver/ModelSourceLayer.h"

#include "db/ConnectionString.h"
#include "db/Failure.h"

namespace peers {

namespace {

// The client library's own texts for misuse of its objects.
const QString objectClosed = QStringLiteral("Operation is not allowed when the object is closed.");
const QString objectOpen = QStringLiteral("Operation is not allowed when the object is open.");
const QString noCurrentRecord = QStringLiteral(
    "Either BOF or EOF is True, or the current record has been deleted. Requested operation requires a current record.");

class ModelSourceQuery : public tw::SourceQuery {
public:
    explicit ModelSourceQuery(ModelSourceConnection& connection) : connection_(connection) {}

    void close() override { result_.reset(); }

    void open() override
    {
        if (result_)
            throw tw::Failure(objectOpen);
        if (sql().trimmed().isEmpty())
            throw tw::Failure(QStringLiteral("Command text was not set for the command object."));
        MsResult result;
        try {
            result = connection_.server().execute(connection_.session(), sql());
        } catch (const MsServerError& error) {
            throw tw::Failure(error.message);
        }
        if (result.columns.isEmpty())
            throw tw::Failure(QStringLiteral("CommandText does not return a result set"));
        result_ = std::move(result);
        row_ = 0;
    }

    bool isOpen() const override { return result_.has_value(); }

    void first() override
    {
        requireOpen();
        row_ = 0;
    }

    bool atEnd() const override { return row_ >= requireOpen().rows.size(); }

    void next() override
    {
        if (!atEnd())
            ++row_;
    }

    int fieldCount() const override { return int(requireOpen().columns.size()); }

    QString fieldName(int index) const override { return column(index).name; }

    bool isBooleanField(int index) const override { return column(index).type == QLatin1String("bit"); }

    SqlValue value(int index) const override
    {
        column(index);
        if (atEnd())
            throw tw::Failure(noCurrentRecord);
        const SqlValue& value = result_->rows[row_][index];
        // The source layer carries a real by its shortest 32-bit form.
        if (column(index).type == QLatin1String("real") && value.kind() == SqlValue::Kind::Float)
            return SqlValue::real(float(value.asFloat()));
        return value;
    }

private:
    const MsResult& requireOpen() const
    {
        if (!result_)
            throw tw::Failure(objectClosed);
        return *result_;
    }

    const MsResultColumn& column(int index) const
    {
        const MsResult& result = requireOpen();
        if (index < 0 || index >= result.columns.size())
            throw tw::Failure(QStringLiteral("List index out of bounds (%1)").arg(index));
        return result.columns[index];
    }

    ModelSourceConnection& connection_;
    std::optional<MsResult> result_;
    qsizetype row_ = 0;
};

} // namespace

ModelSourceConnection::ModelSourceConnection(ModelSqlServer& server) : server_(server) {}

void ModelSourceConnection::close()
{
    session_.reset();
}

void ModelSourceConnection::open()
{
    if (session_)
        throw tw::Failure(objectOpen);
    const QMap<QString, QString> values = tw::parseConnectionString(connectionString());
    if (!values.contains(QStringLiteral("provider")))
        throw tw::Failure(QStringLiteral(
            "[Microsoft][ODBC Driver Manager] Data source name not found and no default driver specified"));
    const QString provider = values.value(QStringLiteral("provider"));
    if (provider.compare(QLatin1String("SQLOLEDB.1"), Qt::CaseInsensitive) != 0
        && provider.compare(QLatin1String("SQLOLEDB"), Qt::CaseInsensitive) != 0)
        throw tw::Failure(QStringLiteral("Provider cannot be found. It may not be properly installed."));
    const bool integrated =
        values.value(QStringLiteral("integrated security")).compare(QLatin1String("SSPI"), Qt::CaseInsensitive) == 0;
    try {
        session_ = server_.logon(values.value(QStringLiteral("user id")), values.value(QStringLiteral("password")),
                                 integrated, values.value(QStringLiteral("initial catalog")));
    } catch (const MsServerError& error) {
        throw tw::Failure(error.message);
    }
    ++logonCount_;
}

bool ModelSourceConnection::isOpen() const
{
    return session_.has_value();
}

std::unique_ptr<tw::SourceQuery> ModelSourceConnection::createQuery()
{
    return std::make_unique<ModelSourceQuery>(*this);
}

std::unique_ptr<tw::SourceConnection> ModelSourceConnection::createSibling() const
{
    auto sibling = std::make_unique<ModelSourceConnection>(server_);
    sibling->setConnectionString(connectionString());
    return sibling;
}

const MsSession& ModelSourceConnection::session() const
{
    if (!session_)
        throw tw::Failure(objectClosed);
    return *session_;
}

} // namespace peers
