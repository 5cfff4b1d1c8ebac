// Answers to the row queries: "select count(*) from X" and "select * from X".
#include "peers/sqlserver/MsObjectLookup.h"

namespace peers {

namespace {

// The table or view of the name, or error 208 quoting the name as written.
MsObject objectOrError(const MsQueryContext& context, const QStringList& parts)
{
    const std::optional<MsObject> object = resolveObject(context, parts);
    if (!object || object->kind == MsObject::Kind::Constraint)
        throw MsServerError(208, 1, 16, QStringLiteral("Invalid object name '%1'.").arg(parts.join(QLatin1Char('.'))));
    return *object;
}

} // namespace

MsResult rowCount(const MsQueryContext& context, const QStringList& nameParts)
{
    const MsObject object = objectOrError(context, nameParts);
    MsResult result;
    result.columns = {intResultColumn(QString(), true)};
    const qint64 count = object.table ? object.table->rows.size() : 0;
    result.rows.append(QVector<SqlValue>{count});
    return result;
}

// A view of the model has no definition: it reads as no columns and no rows.
MsResult tableRows(const MsQueryContext& context, const QStringList& nameParts)
{
    const MsObject object = objectOrError(context, nameParts);
    MsResult result;
    if (object.kind == MsObject::Kind::View)
        return result;
    for (const detail::ColumnState& column : object.table->columns)
        result.columns.append(resultColumn(column.name, column.type, column.nullable));
    result.rows = object.table->rows;
    return result;
}

} // namespace peers
