#include "OciTestBed.h"

#include <QRegularExpression>
#include <stdexcept>

OciTestBed::OciTestBed()
{
    seed_.addUser(QStringLiteral("SCOTT"), QStringLiteral("tiger"));
    qputenv("TABLEWRIGHT_OCI_LIBRARY", stubLibraryPath().toUtf8());
    qputenv("TABLEWRIGHT_OCISTUB_MODEL", modelPath().toUtf8());
    stub_.setFileName(stubLibraryPath());
    clearCalls();
    refuseRow(0);
    dropConnectionAfter(-1);
    failRollbacks(0);
    setLatency(0, 0);
    stubFunction<void (*)()>("ocistub_drop_tables")();
}

OciTestBed::~OciTestBed()
{
    qunsetenv("TABLEWRIGHT_OCISTUB_MODEL");
    qunsetenv("TABLEWRIGHT_OCI_LIBRARY");
}

QString OciTestBed::stubLibraryPath()
{
    return QStringLiteral(OCISTUB_LIBRARY_PATH);
}

template <typename Function>
Function OciTestBed::stubFunction(const char* name)
{
    auto function = reinterpret_cast<Function>(stub_.resolve(name));
    if (!function)
        throw std::runtime_error(stub_.errorString().toStdString());
    return function;
}

std::unique_ptr<tw::OciTargetConnection> OciTestBed::connect(const QString& user, const QString& password,
                                                                  const QString& service)
{
    if (!seeded_)
        seed_.save(modelPath());
    seeded_ = true;
    auto connection = std::make_unique<tw::OciTargetConnection>();
    connection->setParams({QStringLiteral("Database=") + service, QStringLiteral("User_Name=") + user,
                           QStringLiteral("Password=") + password, QStringLiteral("DriverName=Oracle"),
                           QStringLiteral("RowsetSize=20"), QStringLiteral("BlobSize=-1"),
                           QStringLiteral("LocaleCode=0000"), QStringLiteral("ErrorResourceFile="),
                           QStringLiteral("Oracle TransIsolation=ReadCommited"),
                           QStringLiteral("OS Authentication=False"), QStringLiteral("Multiple Transaction=False"),
                           QStringLiteral("Trim Char=False")});
    connection->open();
    return connection;
}

void OciTestBed::execute(tw::TargetConnection& connection, const QString& sql)
{
    auto statement = connection.createStatement();
    statement->setSql(sql);
    statement->executeDirect();
}

peers::ModelOracle OciTestBed::target() const
{
    peers::ModelOracle model;
    model.load(modelPath());
    return model;
}

QVector<QVector<tw::SqlValue>> OciTestBed::targetRows(const QString& table) const
{
    return target().rows(QStringLiteral("SCOTT"), table);
}

QStringList OciTestBed::calls()
{
    return QString::fromUtf8(stubFunction<const char* (*)()>("ocistub_log")()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QStringList OciTestBed::executes(const QString& sqlStart)
{
    QStringList matching;
    for (const QString& line : calls()) {
        if (line.startsWith(QLatin1String("EXECUTE ")) && line.contains(QStringLiteral(" sql=") + sqlStart))
            matching.append(line);
    }
    return matching;
}

void OciTestBed::clearCalls()
{
    stubFunction<void (*)()>("ocistub_clear_log")();
}

void OciTestBed::refuseRow(int n)
{
    stubFunction<void (*)(int)>("ocistub_refuse_row")(n);
}

void OciTestBed::dropConnectionAfter(int executes)
{
    stubFunction<void (*)(int)>("ocistub_drop_connection_after")(executes);
}

void OciTestBed::failRollbacks(int n)
{
    stubFunction<void (*)(int)>("ocistub_fail_rollbacks")(n);
}

void OciTestBed::setLatency(int callMicroseconds, int rowMicroseconds)
{
    stubFunction<void (*)(int, int)>("ocistub_set_latency")(callMicroseconds, rowMicroseconds);
}

void OciTestBed::createStubTable(const QString& name, const QString& columns, bool discard)
{
    stubFunction<void (*)(const char*, const char*, int)>("ocistub_create_table")(
        name.toUtf8().constData(), columns.toUtf8().constData(), discard ? 1 : 0);
}

QStringList OciTestBed::stubTableRows(const QString& name)
{
    return QString::fromUtf8(stubFunction<const char* (*)(const char*)>("ocistub_table_rows")(name.toUtf8().constData()))
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

qint64 OciTestBed::stubTableReceived(const QString& name)
{
    return stubFunction<long long (*)(const char*)>("ocistub_table_received")(name.toUtf8().constData());
}
