#include "db/TargetAccess.h"

#include "db/Failure.h"

namespace tw {

QString TargetStatement::sqlText() const
{
    QString text;
    for (const QString& line : lines_)
        text += line + QStringLiteral("\r\n");
    return text;
}

int RowWriter::fieldIndex(const QString& name) const
{
    const QStringList names = fieldNames();
    for (int i = 0; i < names.size(); ++i) {
        if (names[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

void RowWriter::setFieldValue(const QString& name, const SqlValue& value)
{
    const int index = fieldIndex(name);
    if (index < 0)
        throw Failure(QStringLiteral("Field '%1' not found").arg(name));
    setFieldValue(index, value);
}

int RowWriter::setFieldCells(const CellRoute* routes, int count, const SourceCell* cells)
{
    for (int i = 0; i < count; ++i) {
        const CellRoute& route = routes[i];
        try {
            if (route.form == CellForm::None || !setFieldCell(route.target, route.form, cells[route.source]))
                return i;
        } catch (const Failure&) {
            return i;
        }
    }
    return count;
}

void RowWriter::applyInBackground()
{
    try {
        keepApplied(applyUpdates());
    } catch (...) {
        keepApplyFailure(std::current_exception());
    }
}

bool RowWriter::takeApplied(ApplyResult& result, bool)
{
    if (applied_.empty())
        return false;
    Applied applied = std::move(applied_.front());
    applied_.pop_front();
    if (applied.failure)
        std::rethrow_exception(applied.failure);
    result = std::move(applied.result);
    return true;
}

QString TargetConnection::param(const QString& key) const
{
    const QString prefix = key + QLatin1Char('=');
    for (const QString& line : params_) {
        if (line.startsWith(prefix, Qt::CaseInsensitive))
            return line.mid(prefix.size());
    }
    return QString();
}

} // namespace tw
