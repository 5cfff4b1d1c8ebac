#include "peers/sqlserver/MsObjectLookup.h"

namespace peers {

namespace {

const detail::DatabaseState* findDatabase(const MsQueryContext& context, const QString& name)
{
    if (name.isEmpty())
        return context.current;
    for (const detail::DatabaseState* database : context.databases) {
        if (context.collation.equal(database->name, name))
            return database;
    }
    return nullptr;
}

// The first object of the name in the schema, in object id order.
std::optional<MsObject> findInSchema(const MsCollation& collation, const detail::DatabaseState& database,
                                     const QString& schema, const QString& name)
{
    std::optional<MsObject> found;
    const auto consider = [&](MsObject::Kind kind, int id, const QString& objectSchema, const QString& objectName,
                              const detail::TableState* table) {
        if ((!found || id < found->id) && collation.equal(objectSchema, schema) && collation.equal(objectName, name))
            found = MsObject{kind, id, table};
    };
    for (const auto& table : database.tables) {
        consider(MsObject::Kind::Table, table->id, table->schema, table->name, table.get());
        for (const detail::KeyState& key : table->keys) {
            if (key.isConstraint())
                consider(MsObject::Kind::Constraint, key.constraintId, table->schema, key.name, table.get());
        }
    }
    for (const detail::ViewState& view : database.views)
        consider(MsObject::Kind::View, view.id, view.schema, view.name, nullptr);
    return found;
}

} // namespace

std::optional<MsObject> resolveObject(const MsQueryContext& context, const QStringList& parts)
{
    if (parts.isEmpty() || parts.size() > 3)
        return std::nullopt;
    const QString name = parts.last();
    const QString schema = parts.size() >= 2 && !parts[parts.size() - 2].isEmpty() ? parts[parts.size() - 2]
                                                                                     : QStringLiteral("dbo");
    const detail::DatabaseState* database = findDatabase(context, parts.size() == 3 ? parts[0] : QString());
    if (!database)
        return std::nullopt;
    return findInSchema(context.collation, *database, schema, name);
}

} // namespace peers
