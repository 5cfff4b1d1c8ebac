#pragma once

// A model Oracle with user SCOTT, logged on the way the wizard logs on, and
// its row writer: the target of conversions whose source is not in process.

#include "peers/oracle/ModelOracle.h"
#include "peers/oracle/ModelTargetLayer.h"

#include <memory>

struct ModelTarget {
    peers::ModelOracle oracle;
    peers::ModelTargetConnection connection{oracle};
    std::unique_ptr<tw::RowWriter> writer;

    ModelTarget()
    {
        oracle.addUser(QStringLiteral("SCOTT"), QStringLiteral("tiger"));
        connection.setParams({QStringLiteral("Database=ORCL"), QStringLiteral("User_Name=scott"),
                              QStringLiteral("Password=tiger")});
        connection.open();
        writer = connection.createRowWriter();
    }

    QVector<QVector<tw::SqlValue>> rows(const QString& table) const
    {
        return oracle.rows(QStringLiteral("SCOTT"), table);
    }
};
