#include "StubTables.h"

#include <QDate>
#include <QRegularExpression>

namespace ocistub {

namespace {

// An identifier as Oracle folds it: quoted names keep their case.
QString identifier(const QString& text)
{
    const QString name = text.trimmed();
    if (name.startsWith(QLatin1Char('"')) && name.endsWith(QLatin1Char('"')))
        return name.mid(1, name.size() - 2);
    return name.toUpper();
}

peers::OraColumn columnOf(const QString& definition)
{
    // The types whose names have their sizes inside: TIMESTAMP(n) WITH TIME
    // ZONE and INTERVAL DAY(d) TO SECOND(n) (SQL Language Reference,
    // "Datetime and Interval Data Types").
    static const QRegularExpression zoned(
        QStringLiteral("^\\s*(\\S+)\\s+TIMESTAMP\\s*\\((\\d)\\)\\s+WITH\\s+TIME\\s+ZONE\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression interval(
        QStringLiteral("^\\s*(\\S+)\\s+INTERVAL\\s+DAY\\s*\\((\\d)\\)\\s+TO\\s+SECOND\\s*\\((\\d)\\)\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    if (const QRegularExpressionMatch m = zoned.match(definition); m.hasMatch()) {
        peers::OraColumn column;
        column.name = identifier(m.captured(1));
        column.scale = m.captured(2).toInt();
        column.type = QStringLiteral("TIMESTAMP(%1) WITH TIME ZONE").arg(column.scale);
        column.length = 13;
        return column;
    }
    if (const QRegularExpressionMatch m = interval.match(definition); m.hasMatch()) {
        peers::OraColumn column;
        column.name = identifier(m.captured(1));
        column.precision = m.captured(2).toInt();
        column.scale = m.captured(3).toInt();
        column.type = QStringLiteral("INTERVAL DAY(%1) TO SECOND(%2)").arg(column.precision).arg(column.scale);
        column.length = 11;
        return column;
    }
    static const QRegularExpression form(QStringLiteral("^\\s*(\\S+)\\s+([A-Za-z0-9_ ]+?)\\s*(?:\\((\\d+)\\))?\\s*$"));
    const QRegularExpressionMatch m = form.match(definition);
    peers::OraColumn column;
    column.name = identifier(m.captured(1));
    column.type = m.captured(2).toUpper();
    const int size = m.captured(3).isEmpty() ? -1 : m.captured(3).toInt();
    if (column.type == QLatin1String("TIMESTAMP")) {
        column.scale = size < 0 ? 6 : size;
        column.type = QStringLiteral("TIMESTAMP(%1)").arg(column.scale);
        column.length = 11;
    } else if (column.type == QLatin1String("VARCHAR2") || column.type == QLatin1String("RAW")) {
        column.length = size;
    } else if (column.type == QLatin1String("NUMBER")) {
        column.length = 22;
    } else if (column.type == QLatin1String("DATE")) {
        column.length = 7;
    } else {
        column.length = column.type.startsWith(QLatin1String("BINARY_")) ? 8 : 4000;
    }
    return column;
}

[[noreturn]] void inconsistent(const QString& expected, const tw::SqlValue& value)
{
    throw peers::OraError(932, QStringLiteral("inconsistent datatypes: expected %1 got %2")
                                   .arg(expected, tw::describe(value)));
}

QString floatText(double value, bool single)
{
    return single ? QString::number(float(value), 'g', QLocale::FloatingPointShortest)
                  : QString::number(value, 'g', QLocale::FloatingPointShortest);
}

// A bound value as the column stores it, by the server's conversion rules:
// text bound to a TIMESTAMP or BINARY_* column is read with the session's
// NLS_TIMESTAMP_FORMAT and NLS_NUMERIC_CHARACTERS (SQL Language Reference,
// "Data Type Comparison Rules": implicit conversion).
QString stored(const tw::SqlValue& value, const peers::OraColumn& column, const NlsSettings& nls)
{
    using Kind = tw::SqlValue::Kind;
    if (value.isNull())
        return QStringLiteral("NULL");
    const QString& type = column.type;
    const QChar decimal = nls.numericCharacters.isEmpty() ? QLatin1Char('.') : nls.numericCharacters[0];
    if (type.startsWith(QLatin1String("TIMESTAMP")) && type.endsWith(QLatin1String("WITH TIME ZONE"))) {
        if (value.kind() != Kind::Text)
            inconsistent(QStringLiteral("TIMESTAMP WITH TIME ZONE"), value);
        return readTimestamp(value.asText(), nls.timestampTzFormat, decimal).zonedText(column.scale);
    }
    if (type.startsWith(QLatin1String("INTERVAL DAY"))) {
        if (value.kind() != Kind::Text)
            inconsistent(QStringLiteral("INTERVAL DAY TO SECOND"), value);
        return readDaySecondInterval(value.asText(), column.precision, column.scale);
    }
    if (type.startsWith(QLatin1String("TIMESTAMP"))) {
        if (value.kind() == Kind::DateTime)
            return value.asDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
        if (value.kind() != Kind::Text)
            inconsistent(QStringLiteral("TIMESTAMP"), value);
        return readTimestamp(value.asText(), nls.timestampFormat, decimal).text(column.scale);
    }
    if (type.startsWith(QLatin1String("BINARY_"))) {
        const bool single = type == QLatin1String("BINARY_FLOAT");
        switch (value.kind()) {
        case Kind::Float:
            return floatText(value.asFloat(), single);
        case Kind::Integer:
            return floatText(double(value.asInteger()), single);
        case Kind::Decimal:
            return floatText(value.asDecimal().text.toDouble(), single);
        case Kind::Text:
            return floatText(readNumber(value.asText(), decimal), single);
        default:
            inconsistent(type, value);
        }
    }
    if (type == QLatin1String("DATE")) {
        // Text is read with NLS_DATE_FORMAT (SQL Language Reference, "Data
        // Type Comparison Rules": implicit conversion).
        if (value.kind() == Kind::DateTime)
            return value.asDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (value.kind() != Kind::Text)
            inconsistent(type, value);
        return readTimestamp(value.asText(), nls.dateFormat, decimal).text(0);
    }
    if (type == QLatin1String("NUMBER")) {
        if (value.kind() == Kind::Text)
            return QString::number(readNumber(value.asText(), decimal), 'g', QLocale::FloatingPointShortest);
        if (value.kind() != Kind::Integer && value.kind() != Kind::Decimal)
            inconsistent(type, value);
        return value.toText();
    }
    if (type == QLatin1String("BLOB") || type == QLatin1String("LONG RAW") || type == QLatin1String("RAW")) {
        if (value.kind() != Kind::Bytes)
            inconsistent(QStringLiteral("BINARY"), value);
        return QString::fromLatin1(value.asBytes().toHex());
    }
    if (value.kind() != Kind::Text)
        inconsistent(QStringLiteral("CHAR"), value);
    if (type == QLatin1String("VARCHAR2") && value.asText().toUtf8().size() > column.length)
        throw peers::OraError(12899, QStringLiteral("value too large for column \"%1\" (actual: %2, maximum: %3)")
                                         .arg(column.name)
                                         .arg(value.asText().toUtf8().size())
                                         .arg(column.length));
    return value.asText();
}

StubStorage storageOf(const QString& type)
{
    if (type == QLatin1String("NUMBER"))
        return StubStorage::Number;
    if (type == QLatin1String("DATE"))
        return StubStorage::Date;
    if (type == QLatin1String("VARCHAR2"))
        return StubStorage::Varchar2;
    if (type == QLatin1String("CLOB") || type == QLatin1String("LONG"))
        return StubStorage::LongText;
    if (type == QLatin1String("BLOB") || type == QLatin1String("LONG RAW"))
        return StubStorage::Binary;
    return StubStorage::Other;
}

bool isText(ub2 dataType)
{
    return dataType == SQLT_CHR || dataType == SQLT_AFC || dataType == SQLT_LNG;
}

bool isBinary(ub2 dataType)
{
    return dataType == SQLT_BIN || dataType == SQLT_LBI;
}

// An OCINumber (SQLT_VNU): a length byte and that many bytes of Oracle's
// NUMBER format, an exponent byte and base-100 digits, 1 to 100 for a
// positive number, 101 down to 2 and a closing 102 for a negative one
// (OCI Programmer's Guide, "NUMBER": internal format).
bool isOciNumber(const unsigned char* data, ub4 length)
{
    if (length < 2 || data[0] < 1 || data[0] > 21 || data[0] + 1u > length)
        return false;
    const int bytes = data[0];
    const unsigned char* number = data + 1;
    if (bytes == 1)
        return number[0] == 0x80;
    const bool positive = number[0] & 0x80;
    for (int i = 1; i < bytes; ++i) {
        const int digit = number[i];
        const bool closing = !positive && i == bytes - 1 && digit == 102;
        if (!closing && (positive ? digit < 1 || digit > 100 : digit < 2 || digit > 101))
            return false;
    }
    return true;
}

// A 7-byte DATE (SQLT_DAT): century and year of the century plus 100,
// month, day, and hour, minute and second plus 1.
bool isOracleDate(const unsigned char* data, ub4 length)
{
    if (length != ORACLE_DATE_SIZE)
        return false;
    const int year = (data[0] - 100) * 100 + (data[1] - 100);
    return year >= -4712 && year <= 9999 && year != 0 && QDate::isValid(year, data[2], data[3]) && data[4] >= 1
        && data[4] <= 24 && data[5] >= 1 && data[5] <= 60 && data[6] >= 1 && data[6] <= 60;
}

} // namespace

StubTables& StubTables::instance()
{
    static StubTables tables;
    return tables;
}

StubTables::StubTables() : discardModelTables_(qEnvironmentVariableIntValue("TABLEWRIGHT_OCISTUB_DISCARD") == 1)
{
}

void StubTables::create(const QString& name, const QString& columns, bool discard)
{
    auto table = std::make_unique<StubTable>();
    table->name = name;
    table->discard = discard;
    for (const QString& definition : columns.split(QLatin1Char(',')))
        table->columns.append(columnOf(definition));
    add(std::move(table));
}

void StubTables::add(std::unique_ptr<StubTable> table)
{
    for (const peers::OraColumn& column : std::as_const(table->columns))
        table->storage.append(storageOf(column.type));
    const QString name = table->name;
    tables_[name] = std::move(table);
}

void StubTables::followDefinition(const QString& sql, const peers::ModelOracle& model, const QString& owner)
{
    if (!discardModelTables_)
        return;
    static const QRegularExpression definition(
        QStringLiteral("^\\s*(create|drop)\\s+table\\s+(\"[^\"]+\"|\\w+)"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = definition.match(sql);
    if (!m.hasMatch())
        return;
    const QString name = identifier(m.captured(2));
    if (m.captured(1).compare(QLatin1String("drop"), Qt::CaseInsensitive) == 0) {
        tables_.erase(name);
        return;
    }
    auto table = std::make_unique<StubTable>();
    table->name = name;
    table->discard = true;
    table->columns = model.columns(owner, name);
    add(std::move(table));
}

StubTable* StubTables::queried(const QString& sql)
{
    static const QRegularExpression query(
        QStringLiteral("^\\s*select\\s+\\*\\s+from\\s+(\"[^\"]+\"|\\w+)\\s+where\\s+1\\s*=\\s*0\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = query.match(sql);
    if (!m.hasMatch())
        return nullptr;
    const auto found = tables_.find(identifier(m.captured(1)));
    return found == tables_.end() ? nullptr : found->second.get();
}

StubTable* StubTables::counted(const QString& sql)
{
    static const QRegularExpression query(
        QStringLiteral("^\\s*select\\s+count\\(\\*\\)\\s+from\\s+(\"[^\"]+\"|\\w+)\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = query.match(sql);
    if (!m.hasMatch())
        return nullptr;
    const auto found = tables_.find(identifier(m.captured(1)));
    return found == tables_.end() || !found->second->discard ? nullptr : found->second.get();
}

std::optional<StubInsert> StubTables::insertOf(const QString& sql)
{
    static const QRegularExpression insert(
        QStringLiteral("^\\s*insert\\s+into\\s+(\"[^\"]+\"|\\w+)\\s*\\(([^)]*)\\)\\s*values"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = insert.match(sql);
    if (!m.hasMatch())
        return std::nullopt;
    const auto found = tables_.find(identifier(m.captured(1)));
    if (found == tables_.end())
        return std::nullopt;
    StubInsert result;
    result.table = found->second.get();
    for (const QString& name : m.captured(2).split(QLatin1Char(','))) {
        int index = -1;
        for (int i = 0; i < result.table->columns.size(); ++i) {
            if (result.table->columns[i].name == identifier(name))
                index = i;
        }
        if (index < 0)
            throw peers::OraError(904, QStringLiteral("%1: invalid identifier").arg(name.trimmed()));
        result.columnOfBind.append(index);
    }
    return result;
}

void StubTables::insert(const StubInsert& insert, const QVector<tw::SqlValue>& values, const NlsSettings& nls,
                        const void* session)
{
    StubTable& table = *insert.table;
    QStringList row(table.columns.size(), QStringLiteral("NULL"));
    for (int i = 0; i < values.size() && i < insert.columnOfBind.size(); ++i) {
        const int column = insert.columnOfBind[i];
        row[column] = stored(values[i], table.columns[column], nls);
    }
    ++table.receivedRows;
    if (!table.discard)
        table.pending[session].append(row);
}

bool StubTables::quickCheck(const StubInsert& insert, int bind, ub2 dataType, const unsigned char* data,
                            ub4 length) const
{
    const int index = insert.columnOfBind[bind];
    const StubTable& table = *insert.table;  // read only: no copy of its lists
    const peers::OraColumn& column = table.columns[index];
    switch (table.storage[index]) {
    case StubStorage::Number:
        if (dataType != SQLT_VNU)
            return false;
        if (!isOciNumber(data, length))
            throw peers::OraError(1460, QStringLiteral("unimplemented or unreasonable conversion requested"));
        return true;
    case StubStorage::Date:
        if (dataType != SQLT_DAT)
            return false;
        if (!isOracleDate(data, length))
            throw peers::OraError(1858, QStringLiteral("a non-numeric character was found where a numeric was "
                                                       "expected"));
        return true;
    case StubStorage::Varchar2:
        if (!isText(dataType))
            return false;
        // Bytes of AL32UTF8 text, as the full conversion measures them.
        if (int(length) > column.length)
            throw peers::OraError(12899, QStringLiteral("value too large for column \"%1\" (actual: %2, maximum: %3)")
                                             .arg(column.name)
                                             .arg(length)
                                             .arg(column.length));
        return true;
    case StubStorage::LongText:
        return isText(dataType);
    case StubStorage::Binary:
        return isBinary(dataType);
    case StubStorage::Other:
        break;
    }
    return false;
}

void StubTables::checkValue(const StubInsert& insert, int bind, const tw::SqlValue& value,
                            const NlsSettings& nls) const
{
    stored(value, insert.table->columns[insert.columnOfBind[bind]], nls);
}

void StubTables::discardRow(const StubInsert& insert, const void* session)
{
    ++insert.table->receivedRows;
    ++insert.table->pendingCount[session];
}

void StubTables::commit(const void* session)
{
    for (auto& [name, table] : tables_) {
        const auto count = table->pendingCount.find(session);
        if (count != table->pendingCount.end()) {
            table->committedCount += count->second;
            table->pendingCount.erase(count);
        }
        const auto found = table->pending.find(session);
        if (found == table->pending.end())
            continue;
        table->committed += found->second;
        table->pending.erase(found);
    }
}

void StubTables::rollback(const void* session)
{
    for (auto& [name, table] : tables_) {
        table->pending.erase(session);
        table->pendingCount.erase(session);
    }
}

QByteArray StubTables::rowsText(const QString& name) const
{
    const auto found = tables_.find(name);
    if (found == tables_.end())
        return QByteArray();
    QByteArray text;
    for (const QStringList& row : found->second->committed)
        text += row.join(QLatin1Char('\t')).toUtf8() + '\n';
    return text;
}

qint64 StubTables::receivedRows(const QString& name) const
{
    const auto found = tables_.find(name);
    return found == tables_.end() ? 0 : found->second->receivedRows;
}

} // namespace ocistub
