#include "convert/SourceSql.h"

#include "convert/SqlEscape.h"

namespace tw {

namespace {

// object_id(N'[schema].[name]'): both catalogues find the table by its id.
QString objectIdOf(const SourceTable& table)
{
    return QStringLiteral("object_id(N'") + escapeInLiteral(bracketedName(table)) + QStringLiteral("')");
}

} // namespace

QString bracketedName(const SourceTable& table)
{
    return QLatin1Char('[') + escapeInBracketedName(table.schema) + QStringLiteral("].[")
        + escapeInBracketedName(table.name) + QLatin1Char(']');
}

QStringList columnCatalogueSql(const SourceTable& table)
{
    return {
        QStringLiteral("SELECT fieldno=a.colorder,  fieldname=a.name,     fieldtyle=b.name,     f_length=a.length,     f_size=COLUMNPROPERTY(a.id,a.name,'PRECISION'),"),
        QStringLiteral("f_scale=isnull(COLUMNPROPERTY(a.id,a.name,'Scale'),0),   a.isnullable,     e.text defaultvalue,   f_xtype=b.xtype"),
        QStringLiteral("FROM   syscolumns   a     left   join   systypes   b   on   a.xusertype=b.xusertype     inner   join   sysobjects   d   on   a.id=d.id     and   d.xtype='U'   and     d.name<>'dtproperties'"),
        QStringLiteral("left   join   syscomments   e   on   a.cdefault=e.id "),
        QStringLiteral("where   d.id=") + objectIdOf(table),
        QStringLiteral("order   by   a.id,a.colorder"),
    };
}

QStringList indexCatalogueSql(const SourceTable& table)
{
    return {
        QStringLiteral("select object_Name(a.ID) as tablename,a.Name as Key_name,"),
        QStringLiteral("b.keyno as Seq_in_index,"),
        QStringLiteral("c.Name as Column_name,"),
        QStringLiteral("case when d.ID is null then N'normal' when d.xtype='UQ' then N'unique' when d.xtype='PK' then N'pk' end as indextype"),
        QStringLiteral("from sysindexes a"),
        QStringLiteral("inner join sysindexkeys b on a.ID=b.ID and a.indID=b.indid"),
        QStringLiteral("inner join syscolumns c on c.ID=b.ID and b.colid=c.colid"),
        QStringLiteral("left join sysobjects d on d.Name=a.Name and d.parent_obj=C.ID"),
        QStringLiteral("where a.ID=") + objectIdOf(table),
        QStringLiteral("order by tablename,Key_name,Seq_in_index"),
    };
}

QString identityColumnsSql(const SourceTable& table)
{
    return QStringLiteral("select name from syscolumns where id=") + objectIdOf(table)
        + QStringLiteral(" and COLUMNPROPERTY(id,name,'IsIdentity')=1 order by colorder");
}

QString aliasTypeColumnsSql(const SourceTable& table)
{
    return QStringLiteral("select c.name, type_name(t.system_type_id) as basetype from sys.columns c inner join "
                          "sys.types t on t.user_type_id=c.user_type_id where c.object_id=")
        + objectIdOf(table) + QStringLiteral(" and t.is_user_defined=1 order by c.column_id");
}

QString uniqueIndexesSql(const SourceTable& table)
{
    return QStringLiteral("select name from sysindexes where id=") + objectIdOf(table)
        + QStringLiteral(" and INDEXPROPERTY(id,name,'IsUnique')=1 order by name");
}

QStringList foreignKeysSql(const SourceTable& table)
{
    return {
        QStringLiteral("select fk.name as keyname, object_schema_name(fk.referenced_object_id) as parentschema,"),
        QStringLiteral("object_name(fk.referenced_object_id) as parenttable,"),
        QStringLiteral("col_name(c.parent_object_id,c.parent_column_id) as columnname,"),
        QStringLiteral("col_name(c.referenced_object_id,c.referenced_column_id) as parentcolumn,"),
        QStringLiteral("fk.delete_referential_action_desc as ondelete, fk.update_referential_action_desc as onupdate"),
        QStringLiteral("from sys.foreign_keys fk inner join sys.foreign_key_columns c on c.constraint_object_id=fk.object_id"),
        QStringLiteral("where fk.parent_object_id=") + objectIdOf(table),
        QStringLiteral("order by fk.name, c.constraint_column_id"),
    };
}

QString checkConstraintsSql(const SourceTable& table)
{
    return QStringLiteral("select name, definition from sys.check_constraints where parent_object_id=")
        + objectIdOf(table) + QStringLiteral(" order by name");
}

QString rowCountSql(const SourceTable& table)
{
    return QStringLiteral("select count(*) from ") + bracketedName(table);
}

QString rowsSql(const SourceTable& table)
{
    return QStringLiteral("select * from ") + bracketedName(table);
}

QString tableSchemasSql(const QString& name)
{
    return QStringLiteral("select schema_name(uid) as schemaname from sysobjects where xtype='U' and name=N'")
           + escapeInLiteral(name) + QStringLiteral("' order by schemaname");
}

} // namespace tw
