#include "peers/sqlserver/ModelSqlServer.h"

#include "peers/sqlserver/MsQueryAnswers.h"

#include <algorithm>

namespace peers {

namespace {

struct Login {
    QString name;
    QString password;
};

// The name an integrated logon is known by when the caller names nobody.
const QString integratedAccount = QStringLiteral("MODELHOST\\tester");

MsServerError cannotOpenDatabase(const QString& name)
{
    return MsServerError(4060, 1, 11,
                         QStringLiteral("Cannot open database \"%1\" requested by the login. The login failed.").arg(name));
}

} // namespace

struct ModelSqlServer::Data {
    std::deque<MsDatabase> databases;  // in database id order
    std::vector<Login> logins;
    bool integratedLogonAllowed = true;
    MsCollation collation;

    const MsDatabase* findDatabase(const QString& name) const
    {
        for (const MsDatabase& database : databases) {
            if (collation.equal(database.name(), name))
                return &database;
        }
        return nullptr;
    }
};

ModelSqlServer::ModelSqlServer() : d(std::make_unique<Data>())
{
    for (const char* name : {"master", "tempdb", "model", "msdb"})
        database(QLatin1String(name));
}

ModelSqlServer::~ModelSqlServer() = default;

MsDatabase& ModelSqlServer::database(const QString& name)
{
    for (MsDatabase& database : d->databases) {
        if (database.name() == name)
            return database;
    }
    MsDatabase database;
    database.d = std::make_shared<MsDatabase::Data>();
    database.d->name = name;
    d->databases.push_back(database);
    return d->databases.back();
}

void ModelSqlServer::addLogin(const QString& login, const QString& password)
{
    d->logins.push_back({login, password});
}

void ModelSqlServer::setIntegratedLogonAllowed(bool allowed)
{
    d->integratedLogonAllowed = allowed;
}

void ModelSqlServer::setCaseSensitive(bool caseSensitive)
{
    d->collation = MsCollation(caseSensitive);
}

MsSession ModelSqlServer::logon(const QString& login, const QString& password, bool integrated,
                                const QString& database) const
{
    MsSession session;
    if (integrated) {
        if (!d->integratedLogonAllowed) {
            throw MsServerError(18452, 1, 14,
                                QStringLiteral("Login failed. The login is from an untrusted domain and cannot be "
                                               "used with Windows authentication."));
        }
        session.login = login.isEmpty() ? integratedAccount : login;
    } else {
        const auto known = std::find_if(d->logins.begin(), d->logins.end(), [&](const Login& candidate) {
            return d->collation.equal(candidate.name, login) && candidate.password == password;
        });
        if (known == d->logins.end())
            throw MsServerError(18456, 1, 14, QStringLiteral("Login failed for user '%1'.").arg(login));
        session.login = known->name;
    }
    const QString wanted = database.isEmpty() ? QStringLiteral("master") : database;
    const MsDatabase* found = d->findDatabase(wanted);
    if (!found)
        throw cannotOpenDatabase(wanted);
    session.database = found->name();
    return session;
}

MsResult ModelSqlServer::execute(const MsSession& session, const QString& sql) const
{
    MsQueryContext context;
    context.collation = d->collation;
    for (const MsDatabase& database : d->databases) {
        context.databases.push_back(database.d.get());
        if (database.name() == session.database)
            context.current = database.d.get();
    }
    if (!context.current)
        throw cannotOpenDatabase(session.database);
    return answerQuery(context, sql);
}

} // namespace peers
