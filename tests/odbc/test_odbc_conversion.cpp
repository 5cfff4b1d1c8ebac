// The conversion run with its source on the real client stack (ODBC layer,
// unixODBC, FreeTDS, TCP, loopback TDS peer) and the model Oracle as target:
// the rows that arrive are compared with the source, value by value.

#include "convert/ConversionRun.h"
#include "db/odbc/OdbcSourceConnection.h"
#include "peers/tds/TdsLoopback.h"
#include "support/FakeHost.h"
#include "support/ModelTarget.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(OdbcConversion, SeededTableArrivesExactly)
{
    peers::isolateOdbcEnvironment();
    peers::ModelSqlServer server;
    server.addLogin(QStringLiteral("sa"), QStringLiteral("secret"));
    const QByteArray blob(1 << 20, '\x5a');
    server.database(QStringLiteral("Shop"))
        .table(QStringLiteral("Sample"))
        .column(QStringLiteral("Id"), QStringLiteral("int"), false)
        .column(QStringLiteral("Big"), QStringLiteral("bigint"))
        .column(QStringLiteral("Amount"), QStringLiteral("decimal(28,10)"))
        .column(QStringLiteral("Price"), QStringLiteral("money"))
        .column(QStringLiteral("Ratio"), QStringLiteral("float"))
        .column(QStringLiteral("Flag"), QStringLiteral("bit"))
        .column(QStringLiteral("Shipped"), QStringLiteral("datetime"))
        .column(QStringLiteral("Customer Name"), QStringLiteral("nvarchar(40)"))
        .column(QStringLiteral("Code"), QStringLiteral("varchar(10)"))
        .column(QStringLiteral("Guid"), QStringLiteral("uniqueidentifier"))
        .column(QStringLiteral("Payload"), QStringLiteral("varbinary(max)"))
        .primaryKey(QStringLiteral("PK_Sample"), {QStringLiteral("Id")})
        .row({1, qint64(9007199254740993), tw::SqlValue::decimal(QStringLiteral("-123456789012345678.0123456789")),
              tw::SqlValue::decimal(QStringLiteral("-922337203685477.5808")), 0.1, true,
              tw::SqlValue::dateTime(2026, 12, 7, 23, 52, 23, 997), QStringLiteral("订单 Zoë"), QStringLiteral("A-1"),
              QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC964FF"), blob})
        .row({2, tw::SqlValue(), tw::SqlValue(), tw::SqlValue(), tw::SqlValue(), false, tw::SqlValue(),
              tw::SqlValue(), tw::SqlValue(), tw::SqlValue(), tw::SqlValue()});

    peers::TdsLoopback loopback(server);
    tw::OdbcSourceConnection source;
    source.setConnectionString(loopback.sqlLoginString(QStringLiteral("sa"), QStringLiteral("secret"),
                                                       QStringLiteral("Shop")));
    source.open();
    std::unique_ptr<tw::SourceQuery> query = source.createQuery();

    ModelTarget target;

    QTemporaryDir dataFolder;
    FakeHost host;
    host.tables = {QStringLiteral("Sample")};
    host.dataFolder = dataFolder.path() + QLatin1Char('/');
    tw::Tcc cc;
    tw::RunLog log;
    tw::ConversionRun run(host, cc, *query, target.connection, *target.writer, log);
    ASSERT_EQ(run.run(), tw::ConversionRun::Outcome::Completed);
    EXPECT_TRUE(log.lines().contains(QStringLiteral("Insert table SAMPLE 2 Rows ...Done")))
        << log.lines().join(QLatin1Char('\n')).toStdString();
    // A clean run's closing lines, before the end time and the Finish line.
    EXPECT_EQ(log.lines().mid(log.lines().size() - 4, 2),
              (QStringList{QStringLiteral("Conversion is Completed"),
                           QStringLiteral("Wizard has migrated your MSSQL database to Oracle server successfully.")}));

    const auto rows = target.rows(QStringLiteral("SAMPLE"));
    ASSERT_EQ(rows.size(), 2);
    // Oracle DATE keeps whole seconds; NUMBER keeps no trailing zeros; the
    // GUID's text and the bytes land in BLOBs.
    const QStringList expected{
        "1", "9007199254740993", "-123456789012345678.0123456789", "-922337203685477.5808", "0.1", "1",
        "2026-12-07 23:52:23", "订单 Zoë", "A-1", QString::fromLatin1(QByteArray("6F9619FF-8B86-D011-B42D-00C04FC964FF").toHex().toUpper()),
    };
    for (int i = 0; i < expected.size(); ++i)
        EXPECT_EQ(rows[0][i].toText(), expected[i]) << "column " << i;
    EXPECT_EQ(rows[0][10], tw::SqlValue(blob));
    EXPECT_EQ(rows[1][0].toText(), QStringLiteral("2"));
    EXPECT_EQ(rows[1][5].toText(), QStringLiteral("0"));
    for (int i : {1, 2, 3, 4, 6, 7, 8, 9, 10})
        EXPECT_TRUE(rows[1][i].isNull()) << "column " << i;
}

} // namespace
