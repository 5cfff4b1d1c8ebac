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

void connectAndListTables(SourceConnection& connection, SourceQuery& query, const QString& connectionString,
                          const std::function<void(const QString&)>& addName)
{
    reconnect(connection, connectionString);
    readNames(query,
              QStringLiteral("select   [name]   from   sysobjects   where   xType='u' and [name] <> 'dtproperties' "
                             "order by [name]"),
              addName);
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
