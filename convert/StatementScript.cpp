#include "convert/StatementScript.h"

#include "convert/RunLog.h"
#include "convert/WholeFile.h"

#include <QRegularExpression>

namespace tw {

namespace {

// SQL*Plus ends a SQL statement at a ";" and a PL/SQL block only at a "/" on
// a line of its own, since a block holds ";" of its own (SQL*Plus User's
// Guide and Reference, "Running SQL Commands" and "Running PL/SQL Blocks").
bool isBlock(const QStringList& statementLines)
{
    static const QRegularExpression block(
        QStringLiteral("^\\s*(begin|declare|create\\s+(or\\s+replace\\s+)?(trigger|procedure|function|package|type))\\b"),
        QRegularExpression::CaseInsensitiveOption);
    return !statementLines.isEmpty() && block.match(statementLines.first()).hasMatch();
}

// A statement object executed by the target's own statement, its text added
// to the script first, so that refused statements are in the script too.
class ScriptingStatement : public TargetStatement {
public:
    ScriptingStatement(std::unique_ptr<TargetStatement> target, StatementScript* script)
        : target_(std::move(target)), script_(script)
    {
    }

    void executeDirect() override
    {
        if (script_)
            script_->add(sqlLines());
        target_->setSql(sqlLines());
        target_->executeDirect();
    }
    qint64 queryInteger() override
    {
        target_->setSql(sqlLines());
        return target_->queryInteger();
    }

private:
    std::unique_ptr<TargetStatement> target_;
    StatementScript* script_;
};

} // namespace

void StatementScript::add(const QStringList& statementLines)
{
    lines_.append(QStringLiteral("-- Table ") + table_);
    if (isBlock(statementLines)) {
        lines_ += statementLines;
        lines_.append(QStringLiteral("/"));
    } else {
        QStringList statement = statementLines;
        if (statement.isEmpty())
            statement.append(QString());
        statement.last() += QLatin1Char(';');
        lines_ += statement;
    }
}

QStringList StatementScript::lines() const
{
    return QStringList{QStringLiteral("SET DEFINE OFF")} + lines_;
}

void StatementScript::save(const QString& path) const
{
    saveWholeFile(path, systemTextLines(lines()));
}

QString scriptPathFor(const QString& logPath)
{
    return besideJobFile(logPath, QStringLiteral(".sql"));
}

std::unique_ptr<TargetStatement> ScriptingTargetConnection::createStatement()
{
    return std::make_unique<ScriptingStatement>(target_.createStatement(), script_);
}

} // namespace tw
