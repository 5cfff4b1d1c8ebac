#include "peers/oracle/OraPersistence.h"

#include "db/Failure.h"

#include <QDataStream>
#include <QFile>
#include <QSaveFile>

// The stream operators live in the namespaces of their types, where the
// container streaming of QDataStream finds them.
namespace peers {

static QDataStream& operator<<(QDataStream& out, const OraColumn& c)
{
    return out << c.name << c.type << c.length << c.precision << c.scale << c.nullable << c.charLength
               << c.defaultExpression << qint8(c.identity) << c.identityNext << c.identityIncrement;
}
static QDataStream& operator>>(QDataStream& in, OraColumn& c)
{
    qint8 identity = 0;
    in >> c.name >> c.type >> c.length >> c.precision >> c.scale >> c.nullable >> c.charLength
        >> c.defaultExpression >> identity >> c.identityNext >> c.identityIncrement;
    c.identity = char(identity);
    return in;
}

static QDataStream& operator<<(QDataStream& out, const OraIndexInfo& i)
{
    return out << i.name << i.table << i.columns << i.unique;
}
static QDataStream& operator>>(QDataStream& in, OraIndexInfo& i)
{
    return in >> i.name >> i.table >> i.columns >> i.unique;
}

static QDataStream& operator<<(QDataStream& out, const OraConstraintInfo& c)
{
    return out << c.name << c.table << qint8(c.type) << c.columns << c.referencedTable << c.referencedColumns
               << c.indexName << c.deleteRule;
}
static QDataStream& operator>>(QDataStream& in, OraConstraintInfo& c)
{
    qint8 type = 0;
    in >> c.name >> c.table >> type >> c.columns >> c.referencedTable >> c.referencedColumns >> c.indexName
        >> c.deleteRule;
    c.type = char(type);
    return in;
}

} // namespace peers

namespace peers::ora {

namespace {

const quint32 kMagic = 0x4f524d32;  // "ORM2"
const quint32 kChanges = 0x4f524331;  // "ORC1"
const QDataStream::Version kStreamVersion = QDataStream::Qt_6_0;

using Kind = SqlValue::Kind;

void writeValue(QDataStream& out, const SqlValue& value)
{
    out << quint8(value.kind());
    switch (value.kind()) {
    case Kind::Null:
        break;
    case Kind::Integer:
        out << value.asInteger();
        break;
    case Kind::Decimal:
        out << value.asDecimal().text;
        break;
    case Kind::Float:
        out << value.asFloat();
        break;
    case Kind::DateTime:
        // Date and time of day apart, so that no time zone takes part.
        out << value.asDateTime().date().toJulianDay() << value.asDateTime().time().msecsSinceStartOfDay();
        break;
    case Kind::Text:
        out << value.asText();
        break;
    case Kind::Bytes:
        out << value.asBytes();
        break;
    case Kind::Boolean:
        out << value.asBoolean();
        break;
    }
}

SqlValue readValue(QDataStream& in)
{
    quint8 kind = 0;
    in >> kind;
    switch (Kind(kind)) {
    case Kind::Null:
        return SqlValue();
    case Kind::Integer: {
        qint64 v = 0;
        in >> v;
        return SqlValue(v);
    }
    case Kind::Decimal: {
        QString text;
        in >> text;
        return SqlValue::decimal(text);
    }
    case Kind::Float: {
        double v = 0;
        in >> v;
        return SqlValue(v);
    }
    case Kind::DateTime: {
        qint64 day = 0;
        int msecs = 0;
        in >> day >> msecs;
        return SqlValue(QDateTime(QDate::fromJulianDay(day), QTime::fromMSecsSinceStartOfDay(msecs), Qt::UTC));
    }
    case Kind::Text: {
        QString text;
        in >> text;
        return SqlValue(text);
    }
    case Kind::Bytes: {
        QByteArray bytes;
        in >> bytes;
        return SqlValue(bytes);
    }
    case Kind::Boolean: {
        bool v = false;
        in >> v;
        return SqlValue(v);
    }
    }
    in.setStatus(QDataStream::ReadCorruptData);
    return SqlValue();
}

} // namespace

namespace {

void writeRows(QDataStream& out, const QVector<QVector<SqlValue>>& rows)
{
    out << qint64(rows.size());
    for (const QVector<SqlValue>& row : rows) {
        out << qint32(row.size());
        for (const SqlValue& value : row)
            writeValue(out, value);
    }
}

void readRows(QDataStream& in, QVector<QVector<SqlValue>>& rows)
{
    qint64 rowCount = 0;
    in >> rowCount;
    rows.clear();
    for (qint64 r = 0; r < rowCount && in.status() == QDataStream::Ok; ++r) {
        qint32 size = 0;
        in >> size;
        QVector<SqlValue> row;
        for (qint32 i = 0; i < size && in.status() == QDataStream::Ok; ++i)
            row.append(readValue(in));
        rows.append(row);
    }
}

// Reads one appended record into the database; false, with the database
// untouched, at the end of the file or at a record cut short.
bool readChanges(QDataStream& in, OraDatabase& db)
{
    quint32 magic = 0;
    QStringList statements;
    qint32 tables = 0;
    in >> magic >> statements >> tables;
    QVector<CommittedRows> committed;
    for (qint32 t = 0; t < tables && in.status() == QDataStream::Ok; ++t) {
        CommittedRows rows;
        in >> rows.schema >> rows.table;
        readRows(in, rows.rows);
        committed.append(rows);
    }
    if (magic != kChanges || in.status() != QDataStream::Ok)
        return false;
    db.statementLog += statements;
    for (const CommittedRows& rows : std::as_const(committed)) {
        OraSchema* schema = db.schema(rows.schema);
        if (OraTable* table = schema ? schema->table(rows.table) : nullptr)
            table->rows += rows.rows;
    }
    return true;
}

} // namespace

static QDataStream& operator<<(QDataStream& out, const OraAlias& a) { return out << a.name << a.target << a.isView; }
static QDataStream& operator>>(QDataStream& in, OraAlias& a) { return in >> a.name >> a.target >> a.isView; }

static QDataStream& operator<<(QDataStream& out, const OraTable& t)
{
    out << t.name << t.columns << t.indexes << t.constraints;
    writeRows(out, t.rows);
    return out;
}
static QDataStream& operator>>(QDataStream& in, OraTable& t)
{
    in >> t.name >> t.columns >> t.indexes >> t.constraints;
    readRows(in, t.rows);
    return in;
}


static QDataStream& operator<<(QDataStream& out, const OraSchema& s)
{
    return out << s.name << s.password << s.tables << s.aliases;
}
static QDataStream& operator>>(QDataStream& in, OraSchema& s)
{
    return in >> s.name >> s.password >> s.tables >> s.aliases;
}

void saveDatabase(const OraDatabase& db, const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw tw::Failure(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
    QDataStream out(&file);
    out.setVersion(kStreamVersion);
    out << kMagic << db.services << db.schemas << db.statementLog << qint32(db.systemNameCount);
    if (out.status() != QDataStream::Ok || !file.commit())
        throw tw::Failure(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
}

void appendChanges(const OraDatabase& db, const QString& path)
{
    const UnsavedChanges& unsaved = db.unsaved;
    if (unsaved.rows.isEmpty() && unsaved.statementsSaved == db.statementLog.size())
        return;
    QByteArray record;
    QDataStream out(&record, QIODevice::WriteOnly);
    out.setVersion(kStreamVersion);
    out << kChanges << db.statementLog.mid(unsaved.statementsSaved) << qint32(unsaved.rows.size());
    for (const CommittedRows& rows : unsaved.rows) {
        out << rows.schema << rows.table;
        writeRows(out, rows.rows);
    }
    QFile file(path);
    if (!file.open(QIODevice::Append) || file.write(record) != record.size() || !file.flush())
        throw tw::Failure(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
}

void loadDatabase(OraDatabase& db, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw tw::Failure(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    QDataStream in(&file);
    in.setVersion(kStreamVersion);
    quint32 magic = 0;
    OraDatabase loaded;
    qint32 systemNameCount = 0;
    in >> magic;
    if (magic == kMagic)
        in >> loaded.services >> loaded.schemas >> loaded.statementLog >> systemNameCount;
    if (magic != kMagic || in.status() != QDataStream::Ok)
        throw tw::Failure(QStringLiteral("%1 does not hold a model Oracle database").arg(path));
    // The records appended since, up to the first one cut short.
    bool more = true;
    while (more && !in.atEnd())
        more = readChanges(in, loaded);
    db.services = loaded.services;
    db.schemas = loaded.schemas;
    db.statementLog = loaded.statementLog;
    db.systemNameCount = systemNameCount;
}

} // namespace peers::ora
