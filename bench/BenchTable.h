#pragma once

#include "peers/sqlserver/ModelSqlServer.h"

#include <QString>

// The table the benchmark moves: ten columns of the kinds a production table
// has (int key, bigint, decimal(18,4), money, nvarchar(50) with non-ASCII
// text, varchar(200), datetime, bit, uniqueidentifier, a nullable
// nvarchar(100) that is NULL in every other row), and the target table the
// program would create for it.
namespace bench {

inline const QString kDatabase = QStringLiteral("Bench");
inline const QString kSourceTable = QStringLiteral("Orders");
inline const QString kTargetTable = QStringLiteral("ORDERS");
inline const QString kLogin = QStringLiteral("sa");
inline const QString kPassword = QStringLiteral("secret");

// Seeds the table with rows 1 to rows of the model server, under the given
// name.
void seedOrders(peers::ModelSqlServer& server, qint64 rows, const QString& name = kSourceTable);

// The target columns as the stand-in's own tables take them ("NAME TYPE,
// ..."): NUMBER for the numbers, DATE, VARCHAR2 sized in bytes for up to
// four bytes a character, BLOB for the GUID.
QString targetColumns();

} // namespace bench
