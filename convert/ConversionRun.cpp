#include "convert/ConversionRun.h"

#include "convert/RowTransfer.h"
#include "convert/TargetSql.h"

#include <QDateTime>

namespace tw {

namespace {
const int kLongNamePrefix = 26;
const int kLastSuffix = 100;
} // namespace

ConversionRun::ConversionRun(ConversionHost& host, Tcc& cc, SourceQuery& query, TargetConnection& target,
                             RowWriter& writer, RunLog& log)
    : host_(host), cc_(cc), query_(query), target_(target), writer_(writer), log_(log)
{
}

ConversionRun::Outcome ConversionRun::run()
{
    log_.append(QStringLiteral("Start time:") + logTimeStamp(QDateTime::currentDateTime()));
    const int mode = host_.existingTableMode();
    const bool overwrite = mode == 0;
    const bool skip = mode == 2;
    const bool convertIndexes = !host_.skipIndexes();
    host_.enterRunningState();
    host_.clearStop();

    for (int i = 0; i < host_.selectedTableCount(); ++i) {
        if (host_.stopRequested()) {
            host_.clearStop();
            return Outcome::Aborted;
        }
        const QString listed = host_.selectedTable(i);
        tableFailed_ = false;
        convertTable(host_.namesUppercase() ? asciiUpper(listed) : listed, overwrite, skip, convertIndexes);
        if (tableFailed_)
            ++failedTables_;
    }
    finish();
    return Outcome::Completed;
}

QString ConversionRun::targetNameFor(const QString& sourceName, bool upperCase)
{
    if (sourceName.size() <= kMaxNameLength)
        return Tcc::NormalizeName(sourceName, upperCase);
    QString candidate;
    for (int k = 0; k <= kLastSuffix; ++k) {
        candidate = Tcc::NormalizeName(sourceName.left(kLongNamePrefix) + QStringLiteral("%1").arg(k, 4, 10, QLatin1Char('0')),
                                       upperCase);
        if (!cc_.OracleTableExists(target_, candidate, host_.owner()))
            break;
    }
    return candidate;
}

void ConversionRun::convertTable(const QString& sourceName, bool overwrite, bool skip, bool convertIndexes)
{
    const bool upperCase = host_.namesUppercase();
    const QString target = targetNameFor(sourceName, upperCase);
    const bool exists = cc_.OracleTableExists(target_, target, host_.owner());
    bool ok = true;
    QString errorText;

    if (exists && overwrite) {
        log_.append(QStringLiteral("Drop table ") + target + QStringLiteral("... "));
        cc_.DropOracleTable(target_, target, ok, errorText);
        appendStepResult(QStringLiteral("Drop table ") + target + QStringLiteral("...Done"), ok, errorText);
    }
    if (exists && skip) {
        log_.append(QStringLiteral("Skip table ") + target + QStringLiteral("... "));
        log_.append(QString());
    }
    if (!exists || overwrite) {
        log_.append(QStringLiteral("Create table ") + target + QStringLiteral("... "));
        cc_.CreateOracleTable(query_, target_, sourceName, target, upperCase, ok, errorText);
        appendStepResult(QStringLiteral("Create table ") + target + QStringLiteral("...Done"), ok, errorText);
        if (convertIndexes) {
            cc_.CreateOracleIndexes(query_, target_, sourceName, target, upperCase, ok, errorText);
            // Keys and indexes that the target refused are written after the
            // create step's block, so that none goes missing unnoticed.
            if (!ok) {
                tableFailed_ = true;
                log_.append(errorText);
                log_.append(QString());
            }
        }
    }
    if (host_.tableDefinitionsOnly())
        return;
    if (skip && exists) {
        log_.append(QStringLiteral("Skip table ") + target);
        log_.append(QString());
        return;
    }
    log_.append(QStringLiteral("Insert table ") + target + QStringLiteral("... "));
    RowTransfer transfer(query_, writer_, log_, cc_, host_);
    transfer.run(target, sourceName, ok, errorText);
    if (ok) {
        log_.appendToLast(QStringLiteral("...Done"));
    } else {
        tableFailed_ = true;
        log_.append(errorText);
    }
    log_.append(QString());
    for (const QString& problem : transfer.columnProblems())
        log_.append(problem);
    if (!transfer.columnProblems().isEmpty())
        log_.append(QString());
}

// The step's line becomes its done line on success; on failure the error
// text follows it. An empty line closes the step either way.
void ConversionRun::appendStepResult(const QString& doneLine, bool ok, const QString& errorText)
{
    if (ok) {
        log_.replaceLast(doneLine);
    } else {
        tableFailed_ = true;
        log_.append(errorText);
    }
    log_.append(QString());
}

void ConversionRun::finish()
{
    log_.append(host_.completedCaption());
    log_.append(host_.migratedCaption());
    log_.append(QStringLiteral("The end time:") + logTimeStamp(QDateTime::currentDateTime()));
    if (host_.unattended()) {
        log_.save(jobLogPath(host_.jobFilePath()));
        host_.closeMainWindow();
    } else {
        log_.save(host_.appDataFolder() + interactiveLogFileName(QDateTime::currentDateTime()));
    }
    log_.append(host_.finishCaption());
}

} // namespace tw
