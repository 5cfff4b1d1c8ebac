#include "peers/tds/TdsLoopback.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <iostream>
#include <string>

namespace peers {

namespace {

void writeFile(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write the test ODBC configuration");
    file.write(contents);
}

} // namespace

void isolateOdbcEnvironment()
{
    static QTemporaryDir* directory = nullptr;
    if (directory)
        return;
    directory = new QTemporaryDir(QDir::tempPath() + QStringLiteral("/tablewright-odbc-XXXXXX"));
    const QString dir = directory->path();
    writeFile(dir + QStringLiteral("/odbcinst.ini"), QByteArray());
    writeFile(dir + QStringLiteral("/odbc.ini"), QByteArray());
    // A section for the loopback address stops FreeTDS from reading further
    // files (the user's ~/.freetds.conf, the system's) for that server.
    writeFile(dir + QStringLiteral("/freetds.conf"), QByteArray("[global]\n[127.0.0.1]\n"));
    qputenv("ODBCSYSINI", dir.toLocal8Bit());
    qputenv("ODBCINSTINI", "odbcinst.ini");
    qputenv("ODBCINI", (dir + QStringLiteral("/odbc.ini")).toLocal8Bit());
    qputenv("FREETDSCONF", (dir + QStringLiteral("/freetds.conf")).toLocal8Bit());
    qputenv("FREETDS", (dir + QStringLiteral("/freetds.conf")).toLocal8Bit());
    qputenv("TABLEWRIGHT_ODBC_DRIVER", "FreeTDS");
}

void serveUntilInputCloses(const ModelSqlServer& model)
{
    TdsServer peer(model);
    peer.start();
    std::cout << peer.port() << std::endl;
    std::string line;
    while (std::getline(std::cin, line)) {
    }
    peer.stop();
}

TdsLoopback::TdsLoopback(const ModelSqlServer& model) : server_(model)
{
    isolateOdbcEnvironment();
    server_.start();
}

QString TdsLoopback::dataSource() const
{
    return QStringLiteral("127.0.0.1,%1").arg(server_.port());
}

QString TdsLoopback::sqlLoginString(const QString& login, const QString& password, const QString& database) const
{
    QString text = QStringLiteral("Provider=SQLOLEDB.1;Persist Security Info=True;User ID=") + login
                   + QStringLiteral(";Password=") + password + QStringLiteral(";Data Source=") + dataSource();
    if (!database.isEmpty())
        text += QStringLiteral(";Initial Catalog=") + database;
    return text;
}

} // namespace peers
