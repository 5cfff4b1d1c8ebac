#include "peers/oracle/ModelOracle.h"

#include "peers/oracle/OraDdl.h"
#include "peers/oracle/OraDml.h"
#include "peers/oracle/OraErrors.h"
#include "peers/oracle/OraParser.h"
#include "peers/oracle/OraPersistence.h"

#include <QFileInfo>

namespace peers {

struct ModelOracle::Data : ora::OraDatabase {};
struct OraSession::Data : ora::SessionState {};

namespace {

// Runs a parsed statement in a session.
struct Executor {
    ora::SessionState& session;
    const QVector<SqlValue>& binds;

    OraResult operator()(const ora::CreateTable& s) const { return done(ora::createTable, s); }
    OraResult operator()(const ora::CreateView& s) const { return done(ora::createAlias, s); }
    OraResult operator()(const ora::DropTable& s) const { return done(ora::dropTable, s); }
    OraResult operator()(const ora::AddConstraint& s) const { return done(ora::addConstraint, s); }
    OraResult operator()(const ora::ModifyIdentity& s) const { return done(ora::modifyIdentity, s); }
    OraResult operator()(const ora::CreateIndex& s) const { return done(ora::createIndex, s); }
    OraResult operator()(const ora::CountTables& s) const { return ora::countTables(session, s); }
    OraResult operator()(const ora::SelectRows& s) const { return ora::selectRows(session, s); }
    OraResult operator()(const ora::Insert& s) const
    {
        ora::insertRow(session, s, binds);
        return {};
    }
    OraResult operator()(const ora::Delete& s) const
    {
        ora::deleteRows(session, s);
        return {};
    }
    OraResult operator()(const ora::AlterSession& s) const
    {
        if (s.inCharacters)
            session.lengthInCharacters = *s.inCharacters;
        for (const auto& [name, value] : s.nls)
            session.nls.set(name, QLatin1Char('\'') + value + QLatin1Char('\''));
        return {};
    }
    OraResult operator()(const ora::Commit&) const
    {
        ora::commitSession(session);
        return {};
    }
    OraResult operator()(const ora::Rollback&) const
    {
        ora::rollbackSession(session);
        return {};
    }

    template<typename Statement>
    OraResult done(void (*run)(ora::SessionState&, const Statement&), const Statement& statement) const
    {
        run(session, statement);
        return {};
    }
};

// A user name as the client passes it: folded to upper case unless quoted.
QString logonName(const QString& user)
{
    const QString name = user.trimmed();
    if (name.size() >= 2 && name.startsWith(QLatin1Char('"')) && name.endsWith(QLatin1Char('"')))
        return name.mid(1, name.size() - 2);
    return name.toUpper();
}

} // namespace

const QString& OraSession::user() const
{
    static const QString none;
    return d ? d->user : none;
}

OraResult OraSession::execute(const QString& sql, const QVector<SqlValue>& binds)
{
    if (!d)
        throw ora::notConnected();
    d->db->statementLog.append(sql);
    const ora::Statement statement = ora::parseStatement(sql);
    // Oracle commits the session's work before every DDL statement, whether
    // the statement then succeeds or not.
    if (ora::isDdl(statement)) {
        ora::commitSession(*d);
        d->db->unsaved.wholeFile = true;
    }
    return std::visit(Executor{*d, binds}, statement);
}

void OraSession::commit()
{
    if (!d)
        throw ora::notConnected();
    ora::commitSession(*d);
}

void OraSession::rollback()
{
    if (!d)
        throw ora::notConnected();
    ora::rollbackSession(*d);
}

ModelOracle::ModelOracle() : d(std::make_shared<Data>())
{
    d->services.append(QStringLiteral("ORCL"));
}

ModelOracle::~ModelOracle() = default;

void ModelOracle::addService(const QString& connectString)
{
    d->unsaved.wholeFile = true;
    if (!d->services.contains(connectString.trimmed(), Qt::CaseInsensitive))
        d->services.append(connectString.trimmed());
}

void ModelOracle::addUser(const QString& name, const QString& password)
{
    d->unsaved.wholeFile = true;
    const QString stored = name.toUpper();
    if (ora::OraSchema* existing = d->schema(stored)) {
        existing->password = password;
        return;
    }
    ora::OraSchema schema;
    schema.name = stored;
    schema.password = password;
    d->schemas.append(schema);
}

OraSession ModelOracle::logon(const QString& user, const QString& password, const QString& service)
{
    if (!d->services.contains(service.trimmed(), Qt::CaseInsensitive))
        throw ora::cannotResolveConnectIdentifier();
    if (password.isEmpty() && !user.isEmpty())
        throw ora::nullPassword();
    const ora::OraSchema* schema = d->schema(logonName(user));
    if (!schema || schema->password != password)
        throw ora::invalidUsernamePassword();
    OraSession session;
    session.d = std::make_shared<OraSession::Data>();
    session.d->db = d;
    session.d->user = schema->name;
    d->sessions.push_back(session.d);
    return session;
}

QStringList ModelOracle::tables(const QString& owner) const
{
    QStringList names;
    if (const ora::OraSchema* schema = d->schema(owner)) {
        for (const ora::OraTable& table : schema->tables)
            names.append(table.name);
    }
    return names;
}

namespace {

template<typename Result>
Result fromTable(const ora::OraDatabase& db, const QString& owner, const QString& table,
                 Result ora::OraTable::*member)
{
    const ora::OraSchema* schema = db.schema(owner);
    const ora::OraTable* found = schema ? schema->table(table) : nullptr;
    return found ? found->*member : Result();
}

} // namespace

QVector<OraColumn> ModelOracle::columns(const QString& owner, const QString& table) const
{
    return fromTable(*d, owner, table, &ora::OraTable::columns);
}

QVector<QVector<SqlValue>> ModelOracle::rows(const QString& owner, const QString& table) const
{
    return fromTable(*d, owner, table, &ora::OraTable::rows);
}

QVector<OraIndexInfo> ModelOracle::indexes(const QString& owner, const QString& table) const
{
    return fromTable(*d, owner, table, &ora::OraTable::indexes);
}

QVector<OraConstraintInfo> ModelOracle::constraints(const QString& owner, const QString& table) const
{
    return fromTable(*d, owner, table, &ora::OraTable::constraints);
}

QStringList ModelOracle::statementLog() const { return d->statementLog; }

// A file this model wrote or read last, unchanged since, gets only what
// changed appended; any other save writes the whole model.
void ModelOracle::save(const QString& path) const
{
    ora::UnsavedChanges& unsaved = d->unsaved;
    const QFileInfo file(path);
    if (!unsaved.wholeFile && unsaved.path == path && file.exists() && file.size() == unsaved.fileSize)
        ora::appendChanges(*d, path);
    else
        ora::saveDatabase(*d, path);
    markSaved(path);
}

void ModelOracle::markSaved(const QString& path) const
{
    ora::UnsavedChanges& unsaved = d->unsaved;
    unsaved.wholeFile = false;
    unsaved.path = path;
    unsaved.fileSize = QFileInfo(path).size();
    unsaved.statementsSaved = int(d->statementLog.size());
    unsaved.rows.clear();
}

void ModelOracle::load(const QString& path)
{
    ora::loadDatabase(*d, path);
    markSaved(path);
    // Uncommitted rows of open sessions belonged to the replaced contents.
    for (const auto& session : d->openSessions())
        ora::rollbackSession(*session);
}

} // namespace peers
