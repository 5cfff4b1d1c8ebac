#include "peers/oracle/ModelRowWriter.h"

#include "db/Failure.h"
#include "db/OracleValueConversion.h"

#include <QRegularExpression>

namespace peers {

void ModelRowWriter::close()
{
    open_ = false;
    editing_.reset();
    pending_.clear();
}

void ModelRowWriter::open()
{
    close();
    static const QRegularExpression fromClause(QStringLiteral("\\bfrom\\s+(\"[^\"]*\"|[^\\s\"]+)"),
                                               QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = fromClause.match(commandText());
    columns_ = executeInSession(connection_, commandText()).columns;
    table_ = match.captured(1);
    open_ = true;
}

QStringList ModelRowWriter::fieldNames() const
{
    QStringList names;
    for (const OraColumn& column : columns_)
        names.append(column.name);
    return names;
}

void ModelRowWriter::append()
{
    if (!open_)
        throw tw::Failure(QStringLiteral("Cannot perform this operation on a closed dataset"));
    post();
    editing_ = QVector<SqlValue>(columns_.size());
}

void ModelRowWriter::setFieldValue(int position, const SqlValue& value)
{
    if (!editing_)
        throw tw::Failure(QStringLiteral("Dataset not in edit or insert mode"));
    if (position < 0 || position >= columns_.size())
        throw tw::Failure(QStringLiteral("Field index %1 out of range").arg(position));
    const OraColumn& column = columns_[position];
    const auto type = tw::OracleColumnType::fromTypeName(column.type, column.length, column.precision, column.scale);
    (*editing_)[position] = tw::convertForOracleColumn(value, type);
}

void ModelRowWriter::post()
{
    if (editing_)
        pending_.append(*editing_);
    editing_.reset();
}

// Every row is inserted with all the table's columns, NULL where a value was
// not set: one statement text for the whole batch, which a client prepares
// once and executes per row. The tables this program creates have no column
// defaults, so a NULL stores the same as leaving the column out.
QString ModelRowWriter::insertSql() const
{
    QStringList names;
    QStringList placeholders;
    for (int i = 0; i < columns_.size(); ++i) {
        names.append(QLatin1Char('"') + columns_[i].name + QLatin1Char('"'));
        placeholders.append(QStringLiteral(":%1").arg(i + 1));
    }
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
        .arg(table_, names.join(QLatin1Char(',')), placeholders.join(QLatin1Char(',')));
}

// All or nothing: the first refused row rolls the batch back. With the good
// rows kept, every row is tried and each refused one reported.
tw::ApplyResult ModelRowWriter::applyUpdates()
{
    post();
    const QVector<QVector<SqlValue>> batch = pending_;
    pending_.clear();
    connection_.recordApply(int(batch.size()));
    tw::ApplyResult result;
    if (batch.isEmpty())
        return result;
    OraSession& session = connection_.session();
    const QString sql = insertSql();
    for (int i = 0; i < batch.size(); ++i) {
        try {
            session.execute(sql, batch[i]);
            ++result.stored;
        } catch (const OraError& e) {
            if (!keepGoodRows()) {
                session.rollback();
                return tw::ApplyResult{0, int(batch.size()), e.message, 0, {}};
            }
            ++result.refused;
            result.refusedRows.append(tw::RefusedRow{i + 1, e.message});
        }
    }
    session.commit();
    return result;
}

} // namespace peers
