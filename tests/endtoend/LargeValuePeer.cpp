// A loopback TDS peer in a process of its own, serving one table Big (Id
// int, Payload varbinary(max)) whose one row holds a value of the given
// number of bytes, so that a test can measure the memory of the client side
// alone. Prints the port it listens on, serves until its input closes.

#include "peers/tds/TdsLoopback.h"

#include <QByteArray>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: tw_large_value_peer <bytes>\n";
        return 2;
    }
    const qsizetype bytes = QByteArray(argv[1]).toLongLong();
    QByteArray payload(bytes, Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes; ++i)
        payload[i] = char((i * 131 + i / 4096) & 0xFF);

    peers::ModelSqlServer server;
    server.addLogin(QStringLiteral("sa"), QStringLiteral("secret"));
    server.database(QStringLiteral("Shop"))
        .table(QStringLiteral("Big"))
        .column(QStringLiteral("Id"), QStringLiteral("int"), false)
        .column(QStringLiteral("Payload"), QStringLiteral("varbinary(max)"))
        .row({1, payload});
    payload = QByteArray();

    peers::serveUntilInputCloses(server);
    return 0;
}
