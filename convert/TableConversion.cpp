#include "convert/TableConversion.h"

#include "convert/RowCountCheck.h"
#include "convert/RowTransfer.h"
#include "convert/SourceSql.h"
#include "convert/TargetSql.h"

namespace tw {

namespace {
const int kLongNamePrefix = 26;
const int kLastSuffix = 100;

// The table's turn at naming and creating its target, given back when the
// target is made, or at the latest when the table's steps end.
class NamingTurn {
public:
    explicit NamingTurn(TargetNaming* naming) : naming_(naming)
    {
        if (naming_)
            naming_->begin();
    }
    ~NamingTurn() { end(); }
    NamingTurn(const NamingTurn&) = delete;
    NamingTurn& operator=(const NamingTurn&) = delete;

    void claim(const QString& target)
    {
        if (naming_)
            naming_->claim(target);
    }
    void end()
    {
        if (naming_)
            naming_->end();
        naming_ = nullptr;
    }

private:
    TargetNaming* naming_;
};
} // namespace

TableConversion::TableConversion(ConversionHost& host, Tcc& cc, SourceQuery& query, TargetConnection& target,
                                 RowWriter& writer, RunLog& log, RejectFile& rejects, StatementScript& script,
                                 TargetNaming* naming)
    : host_(host), cc_(cc), query_(query), target_(target), changes_(target), script_(script), writer_(writer),
      log_(log), rejects_(rejects), naming_(naming)
{
    changes_.recordTo(host_.writeScript() ? &script_ : nullptr);
}

QString TableConversion::targetNameFor(const QString& base, bool upperCase)
{
    if (base.size() <= kMaxNameLength)
        return Tcc::NormalizeName(base, upperCase);
    QString candidate;
    for (int k = 0; k <= kLastSuffix; ++k) {
        candidate = Tcc::NormalizeName(base.left(kLongNamePrefix) + QStringLiteral("%1").arg(k, 4, 10, QLatin1Char('0')),
                                       upperCase);
        if (!cc_.OracleTableExists(target_, candidate, host_.owner()))
            break;
    }
    return candidate;
}

bool TableConversion::convert(const SourceTable& source, TableSummary& summary, const TableSteps& steps)
{
    lostSource_.clear();
    NamingTurn turn(naming_);
    const bool upperCase = host_.namesUppercase();
    const TableRef table{source, summary.source, targetNameFor(source.targetBase(), upperCase)};
    turn.claim(table.target);
    const QString& target = table.target;
    summary.target = target;
    converted_ = ConvertedTable{table, OracleColumnNames({}, upperCase), false};
    script_.setTable(target);
    cc_.setFullDefinitions(host_.fullDefinitions());
    const bool exists = cc_.OracleTableExists(target_, target, host_.owner());
    using Result = TableSummary::Outcome;
    summary.outcome = !exists    ? Result::Created
        : steps.overwrite        ? Result::Overwritten
        : steps.skip             ? Result::Skipped
                                 : Result::Merged;
    bool ok = true;
    bool allOk = true;
    QString errorText;
    QStringList identityColumns;

    if (!exists || steps.overwrite) {
        const QString ambiguity = ambiguousSourceText(table);
        if (!ambiguity.isEmpty()) {
            log_.append((exists ? QStringLiteral("Drop table ") : QStringLiteral("Create table ")) + target
                        + QStringLiteral("... "));
            log_.endStep(QString(), false, ambiguity);
            return false;
        }
    }
    if (exists && steps.overwrite) {
        log_.append(QStringLiteral("Drop table ") + target + QStringLiteral("... "));
        cc_.DropOracleTable(changes_, target, ok, errorText);
        log_.endStep(QStringLiteral("Drop table ") + target + QStringLiteral("...Done"), ok, errorText);
        allOk = allOk && ok;
    }
    if (exists && steps.skip) {
        log_.append(QStringLiteral("Skip table ") + target + QStringLiteral("... "));
        log_.append(QString());
    }
    if (!exists || steps.overwrite) {
        log_.append(QStringLiteral("Create table ") + target + QStringLiteral("... "));
        cc_.CreateOracleTable(query_, changes_, table, upperCase, ok, errorText);
        log_.endStep(QStringLiteral("Create table ") + target + QStringLiteral("...Done"), ok, errorText);
        allOk = allOk && ok;
        log_.appendBlock(cc_.columnNames().renamedLines(target));
        log_.appendBlock(cc_.definitionNotes());
        if (ok) {
            identityColumns = cc_.identityColumns();
            converted_.columns = cc_.columnNames();
            converted_.created = true;
        }
        if (steps.convertIndexes) {
            cc_.CreateOracleIndexes(query_, changes_, table, upperCase, ok, errorText);
            // Keys and indexes that the target refused are written after the
            // create step's block, so that none goes missing unnoticed.
            if (!ok) {
                log_.append(errorText);
                log_.append(QString());
            }
            allOk = allOk && ok;
        }
    }
    turn.end();
    if (host_.tableDefinitionsOnly())
        return continueIdentity(target, identityColumns) && allOk;
    if (steps.skip && exists) {
        log_.append(QStringLiteral("Skip table ") + target);
        log_.append(QString());
        return allOk;
    }
    const bool copied = copyRows(table, summary, exists && !steps.overwrite);
    return continueIdentity(target, identityColumns) && copied && allOk;
}

bool TableConversion::copyRows(const TableRef& table, TableSummary& summary, bool merged)
{
    const QString& target = table.target;
    bool ok = true;
    QString errorText;
    log_.append(QStringLiteral("Insert table ") + target + QStringLiteral("... "));
    const bool keepGoodRows = host_.keepGoodRows();
    RowCountCheck check(target_, target, merged, keepGoodRows);
    RowTransfer transfer(query_, writer_, log_, cc_, host_);
    if (keepGoodRows)
        transfer.keepGoodRows(rejects_);
    transfer.run(table, ok, errorText);
    summary.read = transfer.rowsRead();
    summary.stored = transfer.rowsStored();
    summary.refused = transfer.rowsRefused();
    summary.valuesNotStored = transfer.valuesNotStored();
    // A copy that read the whole source is checked against the target's
    // count; a mismatch fails the step like any other failure.
    if (transfer.readToEnd()) {
        const QString mismatch = check.verify(summary.read, summary.stored);
        if (!mismatch.isEmpty()) {
            errorText = ok ? mismatch : errorText + QStringLiteral("\r\n") + mismatch;
            ok = false;
        }
    }
    // A value that did not arrive fails the table; the column lines below
    // name the columns and the reasons.
    if (summary.valuesNotStored > 0) {
        const QString lost = summary.valuesNotStored == 1
            ? QStringLiteral("1 value was not stored")
            : QStringLiteral("%1 values were not stored").arg(summary.valuesNotStored);
        errorText = ok ? lost : errorText + QStringLiteral("\r\n") + lost;
        ok = false;
    }
    if (ok)
        log_.appendToLast(QStringLiteral("...Done"));
    else
        log_.append(errorText);
    log_.append(QString());
    log_.appendBlock(transfer.columnProblems());
    if (transfer.sourceLost())
        lostSource_ = errorText;
    if (transfer.stopped())
        summary.outcome = TableSummary::Outcome::Stopped;
    return ok;
}

// A table listed by its bare name, because one schema held the name, is
// left alone before anything is dropped when more schemas hold it now: the
// bare name, which a job file may have named it by, no longer says which
// table is meant. Tables listed as schema.name say so themselves.
QString TableConversion::ambiguousSourceText(const TableRef& table)
{
    if (table.source.qualified)
        return QString();
    query_.close();
    query_.setSql(tableSchemasSql(table.source.name));
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
        .arg(table.shown, schemas.join(QStringLiteral(", ")));
}

// Once the rows are in, the identity columns go on after the highest value
// copied; a table without identity columns has no such step.
bool TableConversion::continueIdentity(const QString& target, const QStringList& columns)
{
    if (columns.isEmpty())
        return true;
    bool ok = true;
    QString errorText;
    log_.append(QStringLiteral("Identity of table ") + target + QStringLiteral("... "));
    cc_.ContinueIdentityColumns(changes_, target, columns, ok, errorText);
    log_.endStep(QStringLiteral("Identity of table ") + target + QStringLiteral("...Done"), ok, errorText);
    return ok;
}

} // namespace tw
