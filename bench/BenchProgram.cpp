#include "BenchProgram.h"

#include "BenchTable.h"
#include "OciTestBed.h"
#include "peers/oracle/ModelOracle.h"
#include "peers/tds/TdsLoopback.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

namespace bench {

namespace {

QString jobText(int port, int atOnce)
{
    const QStringList lines{QStringLiteral("mssqlserver=127.0.0.1,%1").arg(port),
                            QStringLiteral("msdatabase=") + kDatabase,
                            QStringLiteral("mssqlloginname=") + kLogin,
                            QStringLiteral("mssqlpassword=") + kPassword,
                            QStringLiteral("mssqlAuthentication=SQLSERVER"),
                            QStringLiteral("oracleh=ORCL"),
                            QStringLiteral("oracleu=scott"),
                            QStringLiteral("oraclep=tiger"),
                            QStringLiteral("processtable=0"),
                            QStringLiteral("nameuppercase=1"),
                            QStringLiteral("paralleltables=%1").arg(atOnce),
                            QStringLiteral("alltables=1")};
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

// The processor seconds and the peak resident kilobytes of this process's
// ended children (here: the program alone); -1 where the system does not
// tell.
std::pair<double, qint64> childrenUsage()
{
#ifdef Q_OS_UNIX
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const double cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return {cpu, qint64(usage.ru_maxrss)};
#else
    return {-1, -1};
#endif
}

} // namespace

QString benchTableName(int index, int tables)
{
    return tables == 1 ? kSourceTable : kSourceTable + QString::number(index);
}

QString measureProgram(const QString& program, int port, int atOnce, const Latency& latency, const QString& under)
{
    QTemporaryDir dir;
    const QString modelPath = dir.filePath(QStringLiteral("model.ora"));
    peers::ModelOracle model;
    model.addUser(QStringLiteral("SCOTT"), QStringLiteral("tiger"));
    model.save(modelPath);
    const QString jobPath = dir.filePath(QStringLiteral("bench.twjobs"));
    QFile job(jobPath);
    if (!job.open(QIODevice::WriteOnly) || job.write(jobText(port, atOnce).toUtf8()) < 0)
        return QStringLiteral("error=the_job_file_cannot_be_written");
    job.close();

    peers::isolateOdbcEnvironment();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // A scheduled job's environment: no display, settings of its own.
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR"})
        environment.remove(QLatin1String(name));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("TABLEWRIGHT_OCI_LIBRARY"), OciTestBed::stubLibraryPath());
    environment.insert(QStringLiteral("TABLEWRIGHT_OCISTUB_MODEL"), modelPath);
    environment.insert(QStringLiteral("TABLEWRIGHT_OCISTUB_DISCARD"), QStringLiteral("1"));
    environment.insert(QStringLiteral("TABLEWRIGHT_OCISTUB_LATENCY_CALL_US"), QString::number(latency.callMicroseconds));
    environment.insert(QStringLiteral("TABLEWRIGHT_OCISTUB_LATENCY_ROW_US"), QString::number(latency.rowMicroseconds));

    QProcess run;
    run.setProcessEnvironment(environment);
    run.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    QStringList command = QProcess::splitCommand(under);
    command << program << jobPath;
    run.start(command.takeFirst(), command);
    const bool ended = run.waitForFinished(-1);
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    const auto [cpu, peakKb] = childrenUsage();
    QString result = QStringLiteral("seconds=%1 cpu=%2 peak-kb=%3").arg(seconds, 0, 'f', 4).arg(cpu, 0, 'f', 4).arg(peakKb);
    if (!ended || run.exitStatus() != QProcess::NormalExit || run.exitCode() != 0) {
        QFile log(dir.filePath(QStringLiteral("bench.log")));
        const QString text = log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll()) : QString();
        result += QStringLiteral(" error=exit_code_%1:_").arg(run.exitCode())
            + QString(text).replace(QLatin1Char(' '), QLatin1Char('_')).replace(QLatin1String("\r\n"), QLatin1String("|"));
    }
    return result;
}

} // namespace bench
