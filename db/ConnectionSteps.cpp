#include "db/ConnectionSteps.h"

#include "db/ConnectionString.h"

namespace tw {

namespace {

void readNames(SourceQuery& query, const QString& sql, const std::function<void(const QString&)>& addName)
{
    query.close();
    query.setSql(sql);
    query.open();
    query.first();
    while (!query.atEnd()) {
        addName(query.text(QStringLiteral("name")));
        query.next();
    }
}

void reconnect(SourceConnection& connection, const QString& connectionString)
{
    connection.close();
    connection.setConnectionString(connectionString);
    connection.open();
}

} // namespace

QString sourceConnectionString(bool windowsAuthentication, const QString& server, const QString& login,
                               const QString& password)
{
    if (windowsAuthentication)
        return QStringLiteral("Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;Data Source=")
            + server;
    return QStringLiteral("Provider=SQLOLEDB.1;Persist Security Info=True;User ID=") + quoteConnectionValue(login)
        + QStringLiteral(";Password=") + quoteConnectionValue(password) + QStringLiteral(";Data Source=") + server;
}

QString sourceConnectionString(const QString& serverString, const QString& database)
{
    return serverString + QStringLiteral(";Initial Catalog=") + quoteConnectionValue(database);
}

QStringList connectAndListDatabases(SourceConnection& connection, SourceQuery& query,
                                    const QString& connectionString)
{
    reconnect(connection, connectionString);
    QStringList names;
    readNames(query, QStringLiteral("select   [name]   from   sysdatabases"),
              [&](const QString& name) { names.append(name); });
    return names;
}

// The names are cast to nvarchar: a server that sends the catalogue's names
// in a single-byte code page would turn a name in another script into
// question marks, which name no table.
QString tableListSql()
{
    return QStringLiteral("select cast(schema_name(uid) as nvarchar(128)) as schemaname, cast(name as nvarchar(128)) "
                          "as name from sysobjects where xtype='U' and name <> N'dtproperties' order by name, schemaname");
}

void connectAndListTables(SourceConnection& connection, SourceQuery& query, const QString& connectionString,
                          const std::function<void(const SourceTable&)>& addTable)
{
    reconnect(connection, connectionString);
    query.close();
    query.setSql(tableListSql());
    query.open();
    query.first();
    QVector<SourceTable> rows;
    for (; !query.atEnd(); query.next())
        rows.append({query.text(QStringLiteral("schemaname")), query.text(QStringLiteral("name"))});
    query.close();
    for (const SourceTable& table : listedTables(rows))
        addTable(table);
}

QStringList targetLogonParams(const QString& service, const QString& user, const QString& password)
{
    return {
        QStringLiteral("Database=") + service,
        QStringLiteral("User_Name=") + user,
        QStringLiteral("Password=") + password,
        QStringLiteral("DriverName=Oracle"),
        QStringLiteral("RowsetSize=20"),
        QStringLiteral("BlobSize=-1"),
        QStringLiteral("LocaleCode=0000"),
        QStringLiteral("ErrorResourceFile="),
        QStringLiteral("Oracle TransIsolation=ReadCommited"),
        QStringLiteral("OS Authentication=False"),
        QStringLiteral("Multiple Transaction=False"),
        QStringLiteral("Trim Char=False"),
    };
}

void connectTarget(TargetConnection& connection, const QStringList& params)
{
    if (connection.isOpen())
        connection.close();
    connection.setParams(params);
    connection.open();
}

} // namespace tw
