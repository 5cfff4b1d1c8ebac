// The memory that one large value takes on its way from the source driver to
// the target writer: the peer serves it from a process of its own, so that
// this process's peak resident memory is the client side's alone. A
// measurement, not a timing.

#include "convert/ConversionRun.h"
#include "db/odbc/OdbcSourceConnection.h"
#include "peers/tds/TdsLoopback.h"
#include "support/FakeHost.h"
#include "support/ModelTarget.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <iostream>

namespace {

const qint64 kValueBytes = 300000000;

// A line of /proc/self/status in bytes ("VmHWM:  123 kB").
qint64 statusBytes(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QRegularExpression line(QStringLiteral("^%1:\\s+(\\d+) kB$").arg(QLatin1String(key)),
                                  QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = line.match(QString::fromLatin1(status.readAll()));
    return match.hasMatch() ? match.captured(1).toLongLong() * 1024 : -1;
}

TEST(LargeValue, PeakMemoryOfOneValueStaysWithinTwiceItsSize)
{
    if (statusBytes("VmHWM") < 0)
        GTEST_SKIP() << "the system does not report peak resident memory";
    QProcess peer;
    peer.start(QStringLiteral(TW_LARGE_VALUE_PEER), {QString::number(kValueBytes)});
    ASSERT_TRUE(peer.waitForReadyRead(120000)) << peer.readAllStandardError().toStdString();
    const int port = peer.readLine().trimmed().toInt();
    ASSERT_GT(port, 0);

    peers::isolateOdbcEnvironment();
    tw::OdbcSourceConnection source;
    source.setConnectionString(QStringLiteral("Provider=SQLOLEDB.1;Persist Security Info=True;User ID=sa;"
                                              "Password=secret;Initial Catalog=Shop;Data Source=127.0.0.1,%1")
                                   .arg(port));
    source.open();
    std::unique_ptr<tw::SourceQuery> query = source.createQuery();
    ModelTarget target;
    QTemporaryDir dataFolder;
    FakeHost host;
    host.tables = {QStringLiteral("Big")};
    host.dataFolder = dataFolder.path() + QLatin1Char('/');
    tw::Tcc cc;
    tw::RunLog log;

    // The peak is counted from here on (Linux resets it on "5").
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (clearRefs.open(QIODevice::WriteOnly))
        clearRefs.write("5");
    clearRefs.close();
    const qint64 before = statusBytes("VmRSS");
    tw::ConversionRun run(host, cc, *query, target.connection, *target.writer, log);
    ASSERT_EQ(run.run(), tw::ConversionRun::Outcome::Completed) << log.lines().join('\n').toStdString();
    const qint64 peak = statusBytes("VmHWM");
    peer.closeWriteChannel();
    peer.waitForFinished(60000);

    const auto rows = target.rows(QStringLiteral("BIG"));
    ASSERT_EQ(rows.size(), 1);
    ASSERT_EQ(rows[0][1].asBytes().size(), kValueBytes);
    const double ratio = double(peak - before) / double(kValueBytes);
    std::cout << "resident before " << before / 1000000 << " MB, peak " << peak / 1000000 << " MB, growth "
              << (peak - before) / 1000000 << " MB = " << ratio << " x the value" << std::endl;
    RecordProperty("peak_growth_bytes", std::to_string(peak - before));
    EXPECT_LE(ratio, 2.2);
}

} // namespace
