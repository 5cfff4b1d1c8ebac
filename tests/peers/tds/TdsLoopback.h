#pragma once

#include "peers/tds/TdsServer.h"

#include <QString>

namespace peers {

// Points the ODBC driver manager and FreeTDS at empty configuration files of
// the test run's own (no odbcinst.ini or odbc.ini entries, no freetds.conf
// servers), so that the user's files and settings cannot change a wire test,
// and names FreeTDS as the driver, found the way the program finds it.
// Call before the first ODBC call; later calls do nothing.
void isolateOdbcEnvironment();

// Serves the model on a port the system picks, prints the port on the
// standard output and serves until the standard input closes: the peer of a
// test or a measurement that keeps it in a process of its own.
void serveUntilInputCloses(const ModelSqlServer& model);

// A started TDS peer on a model, with the connection strings the wizard
// builds for it: hand one to the program's source connection and it talks
// to the model through unixODBC, FreeTDS and TCP.
class TdsLoopback {
public:
    explicit TdsLoopback(const ModelSqlServer& model);

    TdsServer& server() { return server_; }
    // "127.0.0.1,<port>", the server name as a user would type it.
    QString dataSource() const;
    // The wizard's string for a SQL Server login; with a database, the
    // string of the table-list step.
    QString sqlLoginString(const QString& login, const QString& password, const QString& database = QString()) const;

private:
    TdsServer server_;
};

} // namespace peers
