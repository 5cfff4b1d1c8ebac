// The speed of the copy path: for each table size, (a) a bare fetch loop
// through the driver (the limit), (b) the program's row transfer into the
// stand-in Oracle client checking and discarding every value, and (c) the
// same with the stand-in waiting as a remote server would. The peer that
// serves the table, and each measurement, run in processes of their own.
// With --whole-program it measures instead the built program on unattended
// jobs: (d) one table, (e) several tables one and several at a time.
// Prints a markdown table. See README.md.

#include "BenchProgram.h"
#include "BenchRuns.h"
#include "BenchTable.h"
#include "peers/tds/TdsLoopback.h"
#include "support/ProcessUsage.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <iostream>
#include <map>

namespace {

using Figures = std::map<QString, double>;

Figures parseFigures(const QString& line)
{
    Figures figures;
    for (const QString& pair : line.trimmed().split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const qsizetype equals = pair.indexOf(QLatin1Char('='));
        if (equals > 0)
            figures[pair.left(equals)] = pair.mid(equals + 1).toDouble();
    }
    return figures;
}

// Seeds the tables and serves them until the standard input closes.
int serve(qint64 rows, int tables)
{
    peers::ModelSqlServer server;
    server.addLogin(bench::kLogin, bench::kPassword);
    for (int i = 1; i <= tables; ++i)
        bench::seedOrders(server, rows, bench::benchTableName(i, tables));
    peers::serveUntilInputCloses(server);
    return 0;
}

// Runs one measurement in a fresh process; its figures, or exits on failure.
// The peer's processor time during the measurement is among them.
Figures measureInChild(const QStringList& arguments, qint64 peer)
{
    const double peerBefore = processorSecondsOf(peer);
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), arguments);
    if (!child.waitForFinished(-1) || child.exitCode() != 0) {
        std::cerr << "measurement failed: " << arguments.join(QLatin1Char(' ')).toStdString() << "\n";
        std::exit(1);
    }
    const QString output = QString::fromUtf8(child.readAllStandardOutput());
    if (output.contains(QLatin1String(" error="))) {
        std::cerr << "the transfer failed: " << output.toStdString() << "\n";
        std::exit(1);
    }
    Figures figures = parseFigures(output);
    figures["peer-cpu"] = processorSecondsOf(peer) - peerBefore;
    return figures;
}

// The run of median time among repeated ones.
Figures median(std::vector<Figures> runs)
{
    std::sort(runs.begin(), runs.end(), [](const Figures& a, const Figures& b) { return a.at("seconds") < b.at("seconds"); });
    return runs[runs.size() / 2];
}

Figures measure(const QStringList& arguments, qint64 peer, int repeat)
{
    std::vector<Figures> runs;
    for (int i = 0; i < repeat; ++i)
        runs.push_back(measureInChild(arguments, peer));
    return median(runs);
}

QString number(double value, int decimals = 0)
{
    return QLocale(QLocale::English).toString(value, 'f', decimals);
}

void printHeader(const bench::Latency& latency)
{
    std::cout << "| Rows | (a) fetch rows/s | (b) transfer rows/s | (b)/(a) | (a) CPU µs/row | (b) CPU µs/row "
                 "| peer CPU µs/row in (a) | peer CPU µs/row in (b) | (b) peak RSS MB | (c) rows/s with " << latency.callMicroseconds << " µs/call + "
              << latency.rowMicroseconds << " µs/row | (c) target wait s | (c) time / max(fetch, target) "
                 "| executes/batch | commit calls/batch |\n"
              << "|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n";
}

void printRow(qint64 rows, const Figures& a, const Figures& b, const Figures& c, const bench::Latency& latency)
{
    const double batches = double(bench::batchesFor(rows));
    const double targetWait = ((c.at("executes") + c.at("commits")) * latency.callMicroseconds
                               + double(rows) * latency.rowMicroseconds)
        / 1e6;
    const double fetchRate = rows / a.at("seconds");
    const double transferRate = rows / b.at("seconds");
    std::cout << "| " << number(rows).toStdString() << " | " << number(fetchRate).toStdString() << " | "
              << number(transferRate).toStdString() << " | " << number(transferRate / fetchRate, 2).toStdString()
              << " | " << number(a.at("cpu") * 1e6 / rows, 2).toStdString() << " | "
              << number(b.at("cpu") * 1e6 / rows, 2).toStdString() << " | "
              << number(a.at("peer-cpu") * 1e6 / rows, 2).toStdString() << " | "
              << number(b.at("peer-cpu") * 1e6 / rows, 2).toStdString() << " | "
              << number(b.at("peak-kb") / 1024, 1).toStdString() << " | "
              << number(rows / c.at("seconds")).toStdString() << " | " << number(targetWait, 2).toStdString()
              << " | " << number(c.at("seconds") / std::max(a.at("seconds"), targetWait), 2).toStdString() << " | "
              << number(b.at("inserts") / batches, 2).toStdString() << " | "
              << number(b.at("commits") / batches, 2).toStdString() << " |" << std::endl;
}

// A peer serving `tables` tables of `rows` rows, in a process of its own.
class Peer {
public:
    Peer(qint64 rows, int tables)
    {
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QCoreApplication::applicationFilePath(),
                       {QStringLiteral("--serve"), QString::number(rows), QStringLiteral("--tables"),
                        QString::number(tables)});
        if (!process_.waitForReadyRead(1800000)) {
            std::cerr << "the peer did not start\n";
            std::exit(1);
        }
        port_ = QString::fromUtf8(process_.readLine()).trimmed();
    }
    ~Peer()
    {
        process_.closeWriteChannel();
        process_.waitForFinished(60000);
    }
    const QString& port() const { return port_; }
    qint64 pid() const { return process_.processId(); }

private:
    QProcess process_;
    QString port_;
};

QStringList programRun(const QString& port, int atOnce, const bench::Latency& latency, const QString& under)
{
    QStringList arguments{QStringLiteral("--measure"), QStringLiteral("program"), QStringLiteral("--port"), port,
                          QStringLiteral("--at-once"), QString::number(atOnce), QStringLiteral("--latency-call-us"),
                          QString::number(latency.callMicroseconds), QStringLiteral("--latency-row-us"),
                          QString::number(latency.rowMicroseconds)};
    if (!under.isEmpty())
        arguments << QStringLiteral("--under") << under;
    return arguments;
}

// (d) The program on one table, beside the bare fetch of the same table;
// (e) on several tables with the latency of (c), one at a time and several;
// no (e) for no tables. The program runs under the command `under` when
// one is given.
void measureWholeProgram(qint64 singleRows, qint64 rows, int tables, int atOnce, const bench::Latency& latency,
                         int repeat, const QString& under)
{
    {
        const Peer peer(singleRows, 1);
        const Figures a = measure({QStringLiteral("--measure"), QStringLiteral("fetch"), QStringLiteral("--port"),
                                   peer.port()},
                                  peer.pid(), repeat);
        const Figures d = measure(programRun(peer.port(), 1, {}, under), peer.pid(), repeat);
        std::cout << "| (d) Rows | (a) fetch rows/s | (d) program rows/s | (d)/(a) | (d) seconds | (d) CPU µs/row "
                     "| (d) peak RSS MB |\n|---:|---:|---:|---:|---:|---:|---:|\n"
                  << "| " << number(singleRows).toStdString() << " | "
                  << number(singleRows / a.at("seconds")).toStdString() << " | "
                  << number(singleRows / d.at("seconds")).toStdString() << " | "
                  << number(a.at("seconds") / d.at("seconds"), 2).toStdString() << " | "
                  << number(d.at("seconds"), 2).toStdString() << " | "
                  << number(d.at("cpu") * 1e6 / singleRows, 2).toStdString() << " | "
                  << number(d.at("peak-kb") / 1024, 1).toStdString() << " |\n"
                  << std::endl;
    }
    if (tables < 1)
        return;
    const Peer peer(rows, tables);
    const Figures one = measure(programRun(peer.port(), 1, latency, under), peer.pid(), repeat);
    const Figures several = measure(programRun(peer.port(), atOnce, latency, under), peer.pid(), repeat);
    // The shortest time the processors allow: the processor time of the
    // program and the peer, spread over every core.
    const int cores = QThread::idealThreadCount();
    const double floorSeconds = (several.at("cpu") + several.at("peer-cpu")) / cores;
    std::cout << "| (e) Tables × rows | latency | 1 at a time s | " << atOnce << " at once s | time ratio | 1 at a time "
              << "peak RSS MB | " << atOnce << " at once peak RSS MB | memory ratio | " << atOnce
              << " at once CPU s, program + peer | " << atOnce << " at once s over that CPU / " << cores
              << " cores |\n"
              << "|---|---|---:|---:|---:|---:|---:|---:|---:|---:|\n"
              << "| " << tables << " × " << number(rows).toStdString() << " | " << latency.callMicroseconds
              << " µs/call + " << latency.rowMicroseconds << " µs/row | " << number(one.at("seconds"), 2).toStdString()
              << " | " << number(several.at("seconds"), 2).toStdString() << " | "
              << number(several.at("seconds") / one.at("seconds"), 2).toStdString() << " | "
              << number(one.at("peak-kb") / 1024, 1).toStdString() << " | "
              << number(several.at("peak-kb") / 1024, 1).toStdString() << " | "
              << number(several.at("peak-kb") / one.at("peak-kb"), 2).toStdString() << " | "
              << number(several.at("cpu") + several.at("peer-cpu"), 2).toStdString() << " | "
              << number(several.at("seconds") / floorSeconds, 2).toStdString() << " |" << std::endl;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Measures the speed of the copy path."));
    parser.addHelpOption();
    const QCommandLineOption rowsOption(QStringLiteral("rows"), QStringLiteral("Table sizes, comma-separated."),
                                        QStringLiteral("list"), QStringLiteral("10000,100000,1000000"));
    const QCommandLineOption callOption(QStringLiteral("latency-call-us"),
                                        QStringLiteral("Latency of every execute and commit in (c)."),
                                        QStringLiteral("us"), QStringLiteral("2000"));
    const QCommandLineOption rowOption(QStringLiteral("latency-row-us"),
                                       QStringLiteral("Latency of every row executed in (c)."), QStringLiteral("us"),
                                       QStringLiteral("1"));
    const QCommandLineOption keepOption(QStringLiteral("keep-good-rows"),
                                        QStringLiteral("Transfer as with the option that stores the good rows of a "
                                                       "refused batch (batch error mode)."));
    const QCommandLineOption repeatOption(QStringLiteral("repeat"),
                                          QStringLiteral("Runs of each measurement; the median is shown."),
                                          QStringLiteral("n"), QStringLiteral("1"));
    // The roles of the child processes.
    const QCommandLineOption serveOption(QStringLiteral("serve"), QStringLiteral("(child) Serve a table of n rows."),
                                         QStringLiteral("n"));
    const QCommandLineOption measureOption(QStringLiteral("measure"),
                                           QStringLiteral("(child) fetch or transfer, from the peer at --port."),
                                           QStringLiteral("kind"));
    const QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("(child) The peer's port."),
                                        QStringLiteral("port"));
    const QCommandLineOption wholeOption(QStringLiteral("whole-program"),
                                         QStringLiteral("Measure the built program on unattended jobs: (d) and (e)."));
    const QCommandLineOption singleRowsOption(QStringLiteral("single-rows"),
                                              QStringLiteral("Rows of the one table of (d)."), QStringLiteral("n"),
                                              QStringLiteral("1000000"));
    const QCommandLineOption tablesOption(QStringLiteral("tables"),
                                          QStringLiteral("Tables of (e), or (child) tables the peer serves."),
                                          QStringLiteral("n"), QStringLiteral("8"));
    const QCommandLineOption tableRowsOption(QStringLiteral("table-rows"), QStringLiteral("Rows of each table of (e)."),
                                             QStringLiteral("n"), QStringLiteral("100000"));
    const QCommandLineOption atOnceOption(QStringLiteral("at-once"),
                                          QStringLiteral("Tables copied at once in (e), or (child) in the job."),
                                          QStringLiteral("n"), QStringLiteral("4"));
    const QCommandLineOption underOption(QStringLiteral("under"),
                                         QStringLiteral("Start the program of (d) and (e) under this command, for "
                                                        "instance a profiler."),
                                         QStringLiteral("command"));
    parser.addOptions({rowsOption, callOption, rowOption, keepOption, repeatOption, serveOption, measureOption,
                       portOption, wholeOption, singleRowsOption, tablesOption, tableRowsOption, atOnceOption,
                       underOption});
    parser.process(app);

    const bench::Latency latency{parser.value(callOption).toInt(), parser.value(rowOption).toInt()};
    if (parser.isSet(serveOption))
        return serve(parser.value(serveOption).toLongLong(), parser.isSet(tablesOption) ? parser.value(tablesOption).toInt() : 1);
    if (parser.isSet(measureOption)) {
        const int port = parser.value(portOption).toInt();
        const QString kind = parser.value(measureOption);
        const QString result = kind == QLatin1String("fetch")     ? bench::measureFetch(port)
            : kind == QLatin1String("program")                    ? bench::measureProgram(QStringLiteral(TW_PROGRAM), port,
                                                                                          parser.value(atOnceOption).toInt(),
                                                                                          latency,
                                                                                          parser.value(underOption))
                                                                  : bench::measureTransfer(port, latency,
                                                                                           parser.isSet(keepOption));
        std::cout << result.toStdString() << std::endl;
        return 0;
    }

    const int repeat = std::max(1, parser.value(repeatOption).toInt());
    if (parser.isSet(wholeOption)) {
        measureWholeProgram(parser.value(singleRowsOption).toLongLong(), parser.value(tableRowsOption).toLongLong(),
                            parser.value(tablesOption).toInt(), parser.value(atOnceOption).toInt(), latency, repeat,
                            parser.value(underOption));
        return 0;
    }
    printHeader(latency);
    for (const QString& size : parser.value(rowsOption).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const qint64 rows = size.toLongLong();
        QProcess peer;
        peer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        peer.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--serve"), QString::number(rows)});
        if (!peer.waitForReadyRead(600000)) {
            std::cerr << "the peer did not start\n";
            return 1;
        }
        const QString port = QString::fromUtf8(peer.readLine()).trimmed();
        QStringList at{QStringLiteral("--port"), port};
        if (parser.isSet(keepOption))
            at.append(QStringLiteral("--keep-good-rows"));
        const Figures a = measure(QStringList{QStringLiteral("--measure"), QStringLiteral("fetch")} + at,
                                  peer.processId(), repeat);
        const Figures b = measure(QStringList{QStringLiteral("--measure"), QStringLiteral("transfer"),
                                              QStringLiteral("--latency-call-us"), QStringLiteral("0"),
                                              QStringLiteral("--latency-row-us"), QStringLiteral("0")}
                                      + at,
                                  peer.processId(), repeat);
        const Figures c = measure(QStringList{QStringLiteral("--measure"), QStringLiteral("transfer"),
                                              QStringLiteral("--latency-call-us"),
                                              QString::number(latency.callMicroseconds),
                                              QStringLiteral("--latency-row-us"),
                                              QString::number(latency.rowMicroseconds)}
                                      + at,
                                  peer.processId(), repeat);
        printRow(rows, a, b, c, latency);
        peer.closeWriteChannel();
        peer.waitForFinished(60000);
    }
    return 0;
}
