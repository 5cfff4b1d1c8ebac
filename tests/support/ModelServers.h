#pragma once

#include "support/Printers.h"

// A model SQL Server and a model Oracle with their in-process access layers,
// logged on the way the wizard logs on, ready for a conversion step.

#include "peers/oracle/ModelOracle.h"
#include "peers/oracle/ModelTargetLayer.h"
#include "peers/sqlserver/ModelSqlServer.h"
#include "peers/sqlserver/ModelSourceLayer.h"

#include <memory>

struct ModelServers {
    peers::ModelSqlServer sqlServer;
    peers::ModelOracle oracle;
    peers::MsDatabase& sourceDb;
    std::unique_ptr<peers::ModelSourceConnection> source;
    std::unique_ptr<tw::SourceQuery> query;
    std::unique_ptr<peers::ModelTargetConnection> target;
    std::unique_ptr<tw::RowWriter> writer;

    ModelServers()
        : sourceDb(sqlServer.database(QStringLiteral("Shop")))
    {
        oracle.addUser(QStringLiteral("SCOTT"), QStringLiteral("tiger"));
        source = std::make_unique<peers::ModelSourceConnection>(sqlServer);
        query = source->createQuery();
        target = std::make_unique<peers::ModelTargetConnection>(oracle);
        writer = target->createRowWriter();
    }

    // Logs on to both servers (call after seeding).
    void connect()
    {
        source->setConnectionString(QStringLiteral(
            "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;Data Source=localhost;"
            "Initial Catalog=Shop"));
        source->open();
        target->setParams({QStringLiteral("Database=ORCL"), QStringLiteral("User_Name=scott"),
                           QStringLiteral("Password=tiger"), QStringLiteral("DriverName=Oracle")});
        target->open();
    }

    // Runs a statement on the target as the program would (for seeding).
    void targetExecute(const QString& sql)
    {
        auto statement = target->createStatement();
        statement->setSql(sql);
        statement->executeDirect();
    }

    QVector<QVector<tw::SqlValue>> targetRows(const QString& table) const
    {
        return oracle.rows(QStringLiteral("SCOTT"), table);
    }
};
