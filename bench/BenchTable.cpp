#include "BenchTable.h"

namespace bench {

namespace {

// Distinct rows seeded through the model's own checks; the others repeat
// their values (sharing their text) under their own key.
constexpr qint64 kDistinctRows = 1000;

QVector<tw::SqlValue> distinctRow(qint64 n)
{
    static const QStringList names = {QStringLiteral("Zoë Müller"), QStringLiteral("Łukasz Wiśniewski"),
                                      QStringLiteral("王小明"), QStringLiteral("Søren Kierkegård"),
                                      QStringLiteral("Ana María Pérez"), QStringLiteral("Ольга Иванова")};
    const QString guid = QStringLiteral("%1-%2-4%3-A%4-%5")
                             .arg(n * 2654435761 % 0xFFFFFFFF, 8, 16, QLatin1Char('0'))
                             .arg(n % 0xFFFF, 4, 16, QLatin1Char('0'))
                             .arg(n * 7 % 0xFFF, 3, 16, QLatin1Char('0'))
                             .arg(n * 13 % 0xFFF, 3, 16, QLatin1Char('0'))
                             .arg(n * 40503, 12, 16, QLatin1Char('0'))
                             .toUpper();
    return {
        tw::SqlValue(n),
        tw::SqlValue(n * 1000003 + 9000000000LL),
        tw::SqlValue::decimal(QStringLiteral("%1.%2").arg(n * 37 % 100000).arg(n % 10000, 4, 10, QLatin1Char('0'))),
        tw::SqlValue::decimal(QStringLiteral("-%1.%2").arg(n % 9999).arg(n * 3 % 10000, 4, 10, QLatin1Char('0'))),
        tw::SqlValue(names[int(n % names.size())] + QStringLiteral(" #%1").arg(n)),
        tw::SqlValue(QStringLiteral("Delivery note %1: leave the parcel at the back door, ring twice.").arg(n)),
        tw::SqlValue::dateTime(2020 + int(n % 6), 1 + int(n % 12), 1 + int(n % 28), int(n % 24), int(n % 60),
                               int(n * 7 % 60), int(n % 3) * 3),
        tw::SqlValue(n % 3 != 0),
        tw::SqlValue(guid),
        n % 2 ? tw::SqlValue(QStringLiteral("Bemerkung für Auftrag %1").arg(n)) : tw::SqlValue(),
    };
}

} // namespace

void seedOrders(peers::ModelSqlServer& server, qint64 rows, const QString& name)
{
    peers::MsTable& table = server.database(kDatabase)
                                .table(name)
                                .column(QStringLiteral("Id"), QStringLiteral("int"), false)
                                .column(QStringLiteral("CustomerNo"), QStringLiteral("bigint"), false)
                                .column(QStringLiteral("Amount"), QStringLiteral("decimal(18,4)"), false)
                                .column(QStringLiteral("Discount"), QStringLiteral("money"), false)
                                .column(QStringLiteral("Customer"), QStringLiteral("nvarchar(50)"), false)
                                .column(QStringLiteral("Delivery"), QStringLiteral("varchar(200)"), false)
                                .column(QStringLiteral("Ordered"), QStringLiteral("datetime"), false)
                                .column(QStringLiteral("Paid"), QStringLiteral("bit"), false)
                                .column(QStringLiteral("RowGuid"), QStringLiteral("uniqueidentifier"), false)
                                .column(QStringLiteral("Remark"), QStringLiteral("nvarchar(100)"));
    for (qint64 n = 1; n <= qMin(rows, kDistinctRows); ++n)
        table.row(distinctRow(n));
    QVector<QVector<tw::SqlValue>>& seeded = table.rows();
    seeded.reserve(int(rows));
    for (qint64 n = kDistinctRows + 1; n <= rows; ++n) {
        QVector<tw::SqlValue> row = seeded[int((n - 1) % kDistinctRows)];
        row[0] = tw::SqlValue(n);
        seeded.append(row);
    }
}

QString targetColumns()
{
    return QStringLiteral("ID NUMBER, CUSTOMERNO NUMBER, AMOUNT NUMBER, DISCOUNT NUMBER, CUSTOMER VARCHAR2(200), "
                          "DELIVERY VARCHAR2(200), ORDERED DATE, PAID NUMBER, ROWGUID BLOB, REMARK VARCHAR2(400)");
}

} // namespace bench
