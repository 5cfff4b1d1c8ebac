#include "BenchRuns.h"

#include "BenchTable.h"
#include "OciTestBed.h"
#include "convert/RowTransfer.h"
#include "db/ConnectionSteps.h"
#include "db/odbc/OdbcApi.h"
#include "db/odbc/OdbcColumns.h"
#include "db/odbc/OdbcDiagnostics.h"
#include "db/odbc/OdbcLink.h"
#include "db/odbc/OdbcSourceConnection.h"
#include "peers/tds/TdsLoopback.h"
#include "support/DboTable.h"
#include "support/FakeHost.h"
#include "support/ProcessUsage.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <chrono>
#include <vector>

namespace bench {

namespace {

// The processor time and the wall-clock time of a stretch of work.
class Stopwatch {
public:
    Stopwatch() : wall_(std::chrono::steady_clock::now()), cpu_(cpuSeconds()) {}
    double seconds() const
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_).count();
    }
    double cpu() const { return cpuSeconds() - cpu_; }

private:
    // User and system time of every thread of the process.
    static double cpuSeconds() { return processorSeconds(); }

    std::chrono::steady_clock::time_point wall_;
    double cpu_;
};

QString figures(qint64 rows, const Stopwatch& watch)
{
    return QStringLiteral("rows=%1 seconds=%2 cpu=%3 peak-kb=%4")
        .arg(rows)
        .arg(watch.seconds(), 0, 'f', 4)
        .arg(watch.cpu(), 0, 'f', 4)
        .arg(peakResidentKilobytes());
}

void openSource(tw::OdbcSourceConnection& source, int port)
{
    peers::isolateOdbcEnvironment();
    source.setConnectionString(tw::sourceConnectionString(
        tw::sourceConnectionString(false, QStringLiteral("127.0.0.1,%1").arg(port), kLogin, kPassword), kDatabase));
    source.open();
}

// A run's host: the window's events are handled at every yield, as the
// wizard does.
struct BenchHost : FakeHost {
    void processEvents() override { QCoreApplication::processEvents(); }
};

// The commits that took a call of their own: the stand-in records a commit
// that rode on a successful execute (OCI_COMMIT_ON_SUCCESS) right after it.
qsizetype commitCalls(const QStringList& calls)
{
    qsizetype separate = 0;
    for (qsizetype i = 0; i < calls.size(); ++i) {
        if (calls[i] != QLatin1String("COMMIT"))
            continue;
        const QString before = i > 0 ? calls[i - 1] : QString();
        const bool rode = before.startsWith(QLatin1String("EXECUTE ")) && before.contains(QLatin1String(" result=OK"))
            && (before.section(QLatin1String("mode="), 1).section(QLatin1Char(' '), 0, 0).toUInt() & 0x20);
        if (!rode)
            ++separate;
    }
    return separate;
}

} // namespace

qint64 batchesFor(qint64 rows)
{
    const qint64 first = tw::RowTransfer::kYieldEvery;
    const qint64 further = tw::RowTransfer::kBatchSize;
    if (rows < first)
        return rows > 0 ? 1 : 0;
    const qint64 boundaries = 1 + (rows - first) / further;
    const qint64 rest = (rows - first) % further;
    return boundaries + (rest > 0 ? 1 : 0);
}

QString measureFetch(int port)
{
    tw::OdbcSourceConnection source;
    openSource(source, port);
    std::shared_ptr<tw::OdbcLink> link = source.link();
    SQLHSTMT statement = link->allocateStatement();

    const Stopwatch watch;
    std::u16string sql = tw::toOdbcText(QStringLiteral("select * from [%1]").arg(kSourceTable));
    tw::checkOdbc(SQLExecDirectW(statement, reinterpret_cast<SQLWCHAR*>(sql.data()), SQLINTEGER(sql.size())),
                  SQL_HANDLE_STMT, statement, "SQLExecDirect");
    const QVector<tw::OdbcColumn> columns = tw::describeColumns(statement);
    const SQLULEN blockRows = 512;
    SQLULEN fetched = 0;
    SQLSetStmtAttr(statement, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(blockRows), 0);
    SQLSetStmtAttr(statement, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0);
    std::vector<std::vector<char>> buffers(size_t(columns.size()));
    std::vector<std::vector<SQLLEN>> indicators(size_t(columns.size()), std::vector<SQLLEN>(blockRows));
    for (int i = 0; i < columns.size(); ++i) {
        buffers[size_t(i)].resize(size_t(columns[i].bufferWidth()) * blockRows);
        tw::checkOdbc(SQLBindCol(statement, SQLUSMALLINT(i + 1), columns[i].cType(), buffers[size_t(i)].data(),
                                 columns[i].bufferWidth(), indicators[size_t(i)].data()),
                      SQL_HANDLE_STMT, statement, "SQLBindCol");
    }
    qint64 rows = 0;
    for (;;) {
        const SQLRETURN rc = SQLFetch(statement);
        if (rc == SQL_NO_DATA)
            break;
        tw::checkOdbc(rc, SQL_HANDLE_STMT, statement, "SQLFetch");
        rows += qint64(fetched);
    }
    const QString result = figures(rows, watch);
    link->freeStatement(statement);
    return result;
}

QString measureTransfer(int port, const Latency& latency, bool keepGoodRows)
{
    tw::OdbcSourceConnection source;
    openSource(source, port);
    std::unique_ptr<tw::SourceQuery> query = source.createQuery();

    OciTestBed bed;
    bed.createStubTable(kTargetTable, targetColumns(), true);
    bed.setLatency(latency.callMicroseconds, latency.rowMicroseconds);
    std::unique_ptr<tw::OciTargetConnection> target = bed.connect();
    std::unique_ptr<tw::RowWriter> writer = target->createRowWriter();
    bed.clearCalls();

    BenchHost host;
    tw::Tcc cc;
    tw::RunLog log;
    tw::RowTransfer transfer(*query, *writer, log, cc, host);
    QTemporaryDir rejectFolder;
    tw::RejectFile rejects([&rejectFolder] { return rejectFolder.filePath(QStringLiteral("bench.rejects.csv")); });
    if (keepGoodRows)
        transfer.keepGoodRows(rejects);
    bool ok = false;
    QString errorText;
    const Stopwatch watch;
    transfer.run(dboTable(kSourceTable, kTargetTable), ok, errorText);
    QString result = figures(bed.stubTableReceived(kTargetTable), watch);
    if (!ok)
        result += QStringLiteral(" error=") + QString(errorText).replace(QLatin1Char(' '), QLatin1Char('_'));
    const QStringList calls = bed.calls();
    const qsizetype executes = calls.filter(QStringLiteral("EXECUTE ")).size();
    const qsizetype inserts = bed.executes(QStringLiteral("insert into")).size();
    const qsizetype describes = bed.executes(QStringLiteral("select * from")).size();
    return result
        + QStringLiteral(" executes=%1 inserts=%2 commits=%3 describes=%4")
              .arg(executes)
              .arg(inserts)
              .arg(commitCalls(calls))
              .arg(describes);
}

} // namespace bench
