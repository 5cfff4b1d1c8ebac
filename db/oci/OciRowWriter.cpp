#include "db/oci/OciRowWriter.h"

#include "db/Failure.h"

#include <QRegularExpression>

namespace tw::oci {

OciRowWriter::OciRowWriter(std::function<std::shared_ptr<OciSession>()> sessionSource)
    : sessionSource_(std::move(sessionSource))
{
}

OciRowWriter::~OciRowWriter() = default;

void OciRowWriter::close()
{
    insert_.reset();
    columns_.clear();
    bindOrder_.clear();
    session_.reset();
    posted_ = 0;
    rowOpen_ = false;
}

void OciRowWriter::open()
{
    close();
    std::shared_ptr<OciSession> session = sessionSource_();
    if (!session)
        throw Failure(QStringLiteral("The connection to Oracle is closed."));
    table_ = tableOfCommand();
    OciStatement query(session, commandText());
    for (const DescribedColumn& column : query.describe())
        columns_.push_back(PendingColumn::forColumn(column));
    for (const auto& column : columns_) {
        if (!column->bindsLast())
            bindOrder_.push_back(column.get());
    }
    for (const auto& column : columns_) {
        if (column->bindsLast())
            bindOrder_.push_back(column.get());
    }
    session_ = std::move(session);
}

QStringList OciRowWriter::fieldNames() const
{
    QStringList names;
    for (const auto& column : columns_)
        names.append(column->column().name);
    return names;
}

void OciRowWriter::requireOpen() const
{
    if (!session_)
        throw Failure(QStringLiteral("The row writer is not open."));
}

void OciRowWriter::append()
{
    requireOpen();
    // A row still being filled is posted first, as a dataset does.
    if (rowOpen_)
        post();
    for (const auto& column : columns_)
        column->appendRow();
    rowOpen_ = true;
}

void OciRowWriter::setFieldValue(int index, const SqlValue& value)
{
    requireOpen();
    if (!rowOpen_)
        throw Failure(QStringLiteral("The row writer has no row being appended."));
    if (index < 0 || index >= int(columns_.size()))
        throw Failure(QStringLiteral("Field index %1 out of range").arg(index));
    PendingColumn& column = *columns_[index];
    column.set(posted_, convertForOracleColumn(value, column.column().type));
}

void OciRowWriter::post()
{
    requireOpen();
    if (!rowOpen_)
        return;
    rowOpen_ = false;
    ++posted_;
}

void OciRowWriter::clearPending()
{
    for (const auto& column : columns_)
        column->clear();
    posted_ = 0;
    rowOpen_ = false;
}

QString OciRowWriter::tableOfCommand() const
{
    static const QRegularExpression query(
        QStringLiteral("^\\s*select\\s+\\*\\s+from\\s+(.+?)\\s+where\\s+1\\s*=\\s*0\\s*$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = query.match(commandText());
    if (!m.hasMatch())
        throw Failure(QStringLiteral("The row writer needs a command of the form select * from \"T\" where 1=0, not: %1")
                          .arg(commandText()));
    return m.captured(1);
}

QString OciRowWriter::insertSql() const
{
    QStringList names;
    QStringList placeholders;
    for (const PendingColumn* column : bindOrder_) {
        QString name = column->column().name;
        names.append(QLatin1Char('"') + name.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"'));
        placeholders.append(QLatin1Char(':') + QString::number(placeholders.size() + 1));
    }
    return QStringLiteral("insert into %1 (%2) values (%3)")
        .arg(table_, names.join(QLatin1Char(',')), placeholders.join(QLatin1Char(',')));
}

// The whole batch goes in one array execute and one commit. Oracle stops an
// array insert at the first refused row with the rows before it inserted but
// not committed; the batch is rolled back then, so that it is stored whole or
// not at all. maxErrors is the number of refused rows the caller accepts;
// since the array insert stops at the first refusal, every refusal refuses
// the whole batch.
ApplyResult OciRowWriter::applyUpdates(int /*maxErrors*/)
{
    requireOpen();
    if (rowOpen_)
        post();
    ApplyResult result;
    const int rows = posted_;
    if (rows == 0)
        return result;
    try {
        if (!insert_)
            insert_ = std::make_unique<OciStatement>(session_, insertSql());
        ub4 position = 1;
        for (PendingColumn* column : bindOrder_)
            column->bind(*insert_, position++);
        session_->check(insert_->execute(ub4(rows), OCI_DEFAULT));
        session_->commit();
    } catch (const Failure& failure) {
        result.message = failure.message();
    }
    clearPending();
    if (result.message.isEmpty()) {
        result.stored = rows;
        return result;
    }
    // A rollback that fails too means the session is gone (the connection
    // was lost): that is a failure of the copy, not a refused batch.
    try {
        session_->rollback();
    } catch (const Failure&) {
        throw Failure(result.message);
    }
    result.refused = rows;
    return result;
}

} // namespace tw::oci
