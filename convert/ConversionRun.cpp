#include "convert/ConversionRun.h"

#include "convert/RowTransfer.h"
#include "convert/SourceSql.h"
#include "convert/TargetSql.h"
#include "db/Failure.h"

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
    failedTables_ = 0;

    for (int i = 0; i < host_.selectedTableCount(); ++i) {
        if (host_.stopRequested()) {
            host_.clearStop();
            return Outcome::Aborted;
        }
        const QString listed = host_.selectedTable(i);
        lostSource_.clear();
        try {
            if (!convertTable(host_.namesUppercase() ? asciiUpper(listed) : listed, overwrite, skip, convertIndexes))
                ++failedTables_;
        } catch (const std::exception& failure) {
            ++failedTables_;
            const auto* known = dynamic_cast<const Failure*>(&failure);
            endEarly(known ? known->message() : QString::fromLocal8Bit(failure.what()), i + 1);
            throw;
        }
        // Without the source no further table can be read: the run ends
        // here once, instead of failing every remaining table in turn.
        if (!lostSource_.isEmpty()) {
            endEarly(QString(), i + 1);
            throw ConnectionLost(lostSource_);
        }
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

bool ConversionRun::convertTable(const QString& sourceName, bool overwrite, bool skip, bool convertIndexes)
{
    const bool upperCase = host_.namesUppercase();
    const QString target = targetNameFor(sourceName, upperCase);
    const bool exists = cc_.OracleTableExists(target_, target, host_.owner());
    bool ok = true;
    bool allOk = true;
    QString errorText;

    if (!exists || overwrite) {
        const QString ambiguity = ambiguousSourceText(sourceName);
        if (!ambiguity.isEmpty()) {
            log_.append((exists ? QStringLiteral("Drop table ") : QStringLiteral("Create table ")) + target
                        + QStringLiteral("... "));
            appendStepResult(QString(), false, ambiguity);
            return false;
        }
    }
    if (exists && overwrite) {
        log_.append(QStringLiteral("Drop table ") + target + QStringLiteral("... "));
        cc_.DropOracleTable(target_, target, ok, errorText);
        appendStepResult(QStringLiteral("Drop table ") + target + QStringLiteral("...Done"), ok, errorText);
        allOk = allOk && ok;
    }
    if (exists && skip) {
        log_.append(QStringLiteral("Skip table ") + target + QStringLiteral("... "));
        log_.append(QString());
    }
    if (!exists || overwrite) {
        log_.append(QStringLiteral("Create table ") + target + QStringLiteral("... "));
        cc_.CreateOracleTable(query_, target_, sourceName, target, upperCase, ok, errorText);
        appendStepResult(QStringLiteral("Create table ") + target + QStringLiteral("...Done"), ok, errorText);
        allOk = allOk && ok;
        if (convertIndexes) {
            cc_.CreateOracleIndexes(query_, target_, sourceName, target, upperCase, ok, errorText);
            // Keys and indexes that the target refused are written after the
            // create step's block, so that none goes missing unnoticed.
            if (!ok) {
                log_.append(errorText);
                log_.append(QString());
            }
            allOk = allOk && ok;
        }
    }
    if (host_.tableDefinitionsOnly())
        return allOk;
    if (skip && exists) {
        log_.append(QStringLiteral("Skip table ") + target);
        log_.append(QString());
        return allOk;
    }
    log_.append(QStringLiteral("Insert table ") + target + QStringLiteral("... "));
    RowTransfer transfer(query_, writer_, log_, cc_, host_);
    transfer.run(target, sourceName, ok, errorText);
    if (ok)
        log_.appendToLast(QStringLiteral("...Done"));
    else
        log_.append(errorText);
    log_.append(QString());
    for (const QString& problem : transfer.columnProblems())
        log_.append(problem);
    if (!transfer.columnProblems().isEmpty())
        log_.append(QString());
    if (transfer.sourceLost())
        lostSource_ = errorText;
    return allOk && ok;
}

// Tables of the same name in several schemas all match the column
// catalogue's name filter, which would merge their columns into one create
// statement: such a table is left alone before anything is dropped.
QString ConversionRun::ambiguousSourceText(const QString& sourceName)
{
    query_.close();
    query_.setSql(tableSchemasSql(sourceName));
    query_.open();
    query_.first();
    QStringList schemas;
    for (; !query_.atEnd(); query_.next())
        schemas.append(query_.text(QStringLiteral("schemaname")));
    query_.close();
    if (schemas.size() < 2)
        return QString();
    return QStringLiteral("The name %1 matches tables in several schemas (%2); the table was not converted and its "
                          "target was left as it is.")
        .arg(sourceName, schemas.join(QStringLiteral(", ")));
}

// The step's line becomes its done line on success; on failure the error
// text follows it. An empty line closes the step either way.
void ConversionRun::appendStepResult(const QString& doneLine, bool ok, const QString& errorText)
{
    if (ok)
        log_.replaceLast(doneLine);
    else
        log_.append(errorText);
    log_.append(QString());
}

void ConversionRun::finish()
{
    log_.append(host_.completedCaption());
    if (failedTables_ > 0)
        log_.append(host_.failedCaption().arg(failedTables_).arg(host_.selectedTableCount()));
    else
        log_.append(host_.migratedCaption());
    log_.append(QStringLiteral("The end time:") + logTimeStamp(QDateTime::currentDateTime()));
    saveLog();
    if (host_.unattended())
        host_.closeMainWindow();
    log_.append(host_.finishCaption());
}

// A run that cannot go on keeps its record: the error, the tables it never
// reached, the end time, and the saved log.
void ConversionRun::endEarly(const QString& errorText, int firstNotReached)
{
    if (!errorText.isEmpty()) {
        log_.append(errorText);
        log_.append(QString());
    }
    QStringList notReached;
    for (int i = firstNotReached; i < host_.selectedTableCount(); ++i)
        notReached.append(host_.selectedTable(i));
    failedTables_ += int(notReached.size());
    if (!notReached.isEmpty()) {
        log_.append(QStringLiteral("Tables not reached: ") + notReached.join(QStringLiteral(", ")));
        log_.append(QString());
    }
    log_.append(QStringLiteral("The end time:") + logTimeStamp(QDateTime::currentDateTime()));
    saveLog();
}

void ConversionRun::saveLog()
{
    if (host_.unattended())
        log_.save(jobLogPath(host_.jobFilePath()));
    else
        log_.save(host_.appDataFolder() + interactiveLogFileName(QDateTime::currentDateTime()));
}

} // namespace tw
