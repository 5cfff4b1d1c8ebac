// Recognition of the query texts that the model server answers. A batch is
// compared with each known text after both have been normalised (white space
// collapsed outside quotes, key words in any case); where a known text takes
// a name, the batch must hold a string literal or an object name there.
#include "peers/sqlserver/MsQueryAnswers.h"

#include "peers/sqlserver/MsSqlText.h"


namespace peers {

namespace {

const QString placeholder = QStringLiteral("'@@'");

// A known query text with one string literal in it, split around the literal.
struct LiteralShape {
    QString prefix;
    QString suffix;

    explicit LiteralShape(const QStringList& lines)
    {
        const QString normalised = normalisedSql(lines.join(QStringLiteral("\r\n")));
        const int at = normalised.indexOf(placeholder);
        prefix = normalised.left(at);
        suffix = normalised.mid(at + placeholder.size());
    }

    // The literal's text when the normalised batch has this shape.
    std::optional<QString> match(const QString& sql) const
    {
        if (!sql.startsWith(prefix, Qt::CaseInsensitive))
            return std::nullopt;
        const std::optional<SqlLiteral> literal = readLiteral(sql.mid(prefix.size()));
        if (!literal || sql.mid(prefix.size() + literal->length).compare(suffix, Qt::CaseInsensitive) != 0)
            return std::nullopt;
        return literalText(*literal);
    }
};

const LiteralShape& columnCatalogueShape()
{
    static const LiteralShape shape({
        "SELECT fieldno=a.colorder,  fieldname=a.name,     fieldtyle=b.name,     f_length=a.length,     "
        "f_size=COLUMNPROPERTY(a.id,a.name,'PRECISION'),",
        "f_scale=isnull(COLUMNPROPERTY(a.id,a.name,'Scale'),0),   a.isnullable,     e.text defaultvalue,   "
        "f_xtype=b.xtype",
        "FROM   syscolumns   a     left   join   systypes   b   on   a.xusertype=b.xusertype     inner   join   "
        "sysobjects   d   on   a.id=d.id     and   d.xtype='U'   and     d.name<>'dtproperties'",
        "left   join   syscomments   e   on   a.cdefault=e.id ",
        "where   d.id=object_id(" + placeholder + ")",
        "order   by   a.id,a.colorder",
    });
    return shape;
}

const LiteralShape& indexCatalogueShape()
{
    static const LiteralShape shape({
        "select object_Name(a.ID) as tablename,a.Name as Key_name,",
        "b.keyno as Seq_in_index,",
        "c.Name as Column_name,",
        "case when d.ID is null then N'normal' when d.xtype='UQ' then N'unique' when d.xtype='PK' then N'pk' end "
        "as indextype",
        "from sysindexes a",
        "inner join sysindexkeys b on a.ID=b.ID and a.indID=b.indid",
        "inner join syscolumns c on c.ID=b.ID and b.colid=c.colid",
        "left join sysobjects d on d.Name=a.Name and d.parent_obj=C.ID",
        "where a.ID=object_id(" + placeholder + ")",
        "order by tablename,Key_name,Seq_in_index",
    });
    return shape;
}

const LiteralShape& tableSchemasShape()
{
    static const LiteralShape shape(
        {"select schema_name(uid) as schemaname from sysobjects where xtype='U' and name=" + placeholder
         + " order by schemaname"});
    return shape;
}

const LiteralShape& identityColumnsShape()
{
    static const LiteralShape shape({"select name from syscolumns where id=object_id(" + placeholder
                                     + ") and COLUMNPROPERTY(id,name,'IsIdentity')=1 order by colorder"});
    return shape;
}

const LiteralShape& aliasTypeColumnsShape()
{
    static const LiteralShape shape({"select c.name, type_name(t.system_type_id) as basetype from sys.columns c "
                                     "inner join sys.types t on t.user_type_id=c.user_type_id where "
                                     "c.object_id=object_id(" + placeholder
                                     + ") and t.is_user_defined=1 order by c.column_id"});
    return shape;
}

const LiteralShape& uniqueIndexesShape()
{
    static const LiteralShape shape({"select name from sysindexes where id=object_id(" + placeholder
                                     + ") and INDEXPROPERTY(id,name,'IsUnique')=1 order by name"});
    return shape;
}

const LiteralShape& foreignKeysShape()
{
    static const LiteralShape shape({
        "select fk.name as keyname, object_schema_name(fk.referenced_object_id) as parentschema,",
        "object_name(fk.referenced_object_id) as parenttable,",
        "col_name(c.parent_object_id,c.parent_column_id) as columnname,",
        "col_name(c.referenced_object_id,c.referenced_column_id) as parentcolumn,",
        "fk.delete_referential_action_desc as ondelete, fk.update_referential_action_desc as onupdate",
        "from sys.foreign_keys fk inner join sys.foreign_key_columns c on c.constraint_object_id=fk.object_id",
        "where fk.parent_object_id=object_id(" + placeholder + ")",
        "order by fk.name, c.constraint_column_id",
    });
    return shape;
}

const LiteralShape& checkConstraintsShape()
{
    static const LiteralShape shape({"select name, definition from sys.check_constraints where "
                                     "parent_object_id=object_id(" + placeholder + ") order by name"});
    return shape;
}

bool isText(const QString& sql, const char* known)
{
    return sql.compare(normalisedSql(QLatin1String(known)), Qt::CaseInsensitive) == 0;
}

// The object name after a known beginning ("select * from "), if the rest of
// the batch is exactly one name, optionally followed by a semicolon.
std::optional<QStringList> nameAfter(const QString& sql, const char* beginning)
{
    const QString start = QLatin1String(beginning);
    if (!sql.startsWith(start, Qt::CaseInsensitive))
        return std::nullopt;
    QString rest = sql.mid(start.size());
    if (rest.endsWith(QLatin1Char(';')))
        rest.chop(1);
    return splitObjectName(rest.trimmed(), true);
}

[[noreturn]] void syntaxError(const QString& sql)
{
    const QString first = firstToken(sql);
    if (!first.isEmpty() && (first[0].isLetter() || first[0] == QLatin1Char('_')) && !isReservedWord(first))
        throw MsServerError(2812, 62, 16, QStringLiteral("Could not find stored procedure '%1'.").arg(first));
    const QString last = lastToken(sql);
    if (isReservedWord(last))
        throw MsServerError(156, 1, 15, QStringLiteral("Incorrect syntax near the keyword '%1'.").arg(last));
    throw MsServerError(102, 1, 15, QStringLiteral("Incorrect syntax near '%1'.").arg(last));
}

} // namespace

MsResult answerQuery(const MsQueryContext& context, const QString& sql)
{
    const QString normalised = normalisedSql(sql);
    if (normalised.isEmpty())
        return MsResult();
    if (isText(normalised, "select   [name]   from   sysdatabases"))
        return databaseList(context);
    if (isText(normalised, "select cast(schema_name(uid) as nvarchar(128)) as schemaname, cast(name as nvarchar(128)) "
                           "as name from sysobjects where xtype='U' and name <> N'dtproperties' order by name, schemaname"))
        return tableList(context);
    if (const std::optional<QString> object = columnCatalogueShape().match(normalised))
        return columnCatalogue(context, *object);
    if (const std::optional<QString> table = tableSchemasShape().match(normalised))
        return tableSchemas(context, *table);
    if (const std::optional<QString> object = indexCatalogueShape().match(normalised))
        return indexCatalogue(context, *object);
    if (const std::optional<QString> object = identityColumnsShape().match(normalised))
        return identityColumns(context, *object);
    if (const std::optional<QString> object = aliasTypeColumnsShape().match(normalised))
        return aliasTypeColumns(context, *object);
    if (const std::optional<QString> object = uniqueIndexesShape().match(normalised))
        return uniqueIndexes(context, *object);
    if (const std::optional<QString> object = foreignKeysShape().match(normalised))
        return foreignKeys(context, *object);
    if (const std::optional<QString> object = checkConstraintsShape().match(normalised))
        return checkConstraints(context, *object);
    if (const std::optional<QStringList> parts = nameAfter(normalised, "select count(*) from "))
        return rowCount(context, *parts);
    if (const std::optional<QStringList> parts = nameAfter(normalised, "select * from "))
        return tableRows(context, *parts);
    syntaxError(normalised);
}

} // namespace peers
