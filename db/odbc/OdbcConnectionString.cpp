#include "db/odbc/OdbcConnectionString.h"

#include "db/ConnectionString.h"

#include <QStringList>

namespace tw {

namespace {

// TDS 7.4 is what SQL Server 2012 and later speak; older servers negotiate
// down from it.
const char* const kFreeTdsProtocolVersion = "7.4";

bool isLocalHostAlias(const QString& host)
{
    return host == QLatin1String(".") || host.compare(QLatin1String("(local)"), Qt::CaseInsensitive) == 0;
}

QString attribute(const QString& key, const QString& value)
{
    return key + QLatin1Char('=') + quoteOdbcValue(value);
}

} // namespace

bool isIntegratedLogon(const QMap<QString, QString>& pairs)
{
    const QString integrated = pairs.value(QStringLiteral("integrated security")).trimmed();
    const QString trusted = pairs.value(QStringLiteral("trusted_connection")).trimmed();
    for (const QString& value : {integrated, trusted}) {
        if (value.compare(QLatin1String("sspi"), Qt::CaseInsensitive) == 0
            || value.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0
            || value.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

SqlServerAddress parseDataSource(const QString& dataSource)
{
    SqlServerAddress address;
    QString rest = dataSource.trimmed();
    if (rest.startsWith(QLatin1String("tcp:"), Qt::CaseInsensitive))
        rest = rest.mid(4);
    const int comma = rest.indexOf(QLatin1Char(','));
    if (comma >= 0) {
        address.port = rest.mid(comma + 1).trimmed();
        rest = rest.left(comma);
    }
    const int backslash = rest.indexOf(QLatin1Char('\\'));
    if (backslash >= 0) {
        address.instance = rest.mid(backslash + 1).trimmed();
        rest = rest.left(backslash);
    }
    address.host = rest.trimmed();
    if (isLocalHostAlias(address.host))
        address.host = QStringLiteral("localhost");
    return address;
}

QString quoteOdbcValue(const QString& value)
{
    // Braces only where a value would otherwise end early or lose blanks:
    // drivers disagree on everything else inside braces (FreeTDS before 1.4
    // keeps a doubled closing brace doubled).
    const bool needsBraces = value.contains(QLatin1Char(';')) || value.startsWith(QLatin1Char('{'))
                             || value != value.trimmed();
    if (!needsBraces)
        return value;
    QString escaped = value;
    escaped.replace(QLatin1String("}"), QLatin1String("}}"));
    return QLatin1Char('{') + escaped + QLatin1Char('}');
}

bool isFreeTdsDriver(const QString& driver)
{
    return driver.contains(QLatin1String("tds"), Qt::CaseInsensitive);
}

QString odbcConnectionString(const QString& oledbString, const QString& driver)
{
    const QMap<QString, QString> pairs = parseConnectionString(oledbString);
    const SqlServerAddress address = parseDataSource(pairs.value(QStringLiteral("data source")));
    const bool freeTds = isFreeTdsDriver(driver);

    // Driver names always go in braces: registered names hold blanks.
    QString driverValue = driver;
    driverValue.replace(QLatin1String("}"), QLatin1String("}}"));
    QStringList parts{QStringLiteral("DRIVER={") + driverValue + QLatin1Char('}')};

    if (freeTds) {
        // FreeTDS takes the port as its own key; an instance is looked up
        // through the server's browser service only when no port is given,
        // and the default instance is reached on the default port.
        QString server = address.host;
        QString port = address.port;
        if (port.isEmpty() && !address.instance.isEmpty())
            server += QLatin1Char('\\') + address.instance;
        else if (port.isEmpty())
            port = QLatin1String(kDefaultSqlServerPort);
        parts << attribute(QStringLiteral("Server"), server);
        if (!port.isEmpty())
            parts << attribute(QStringLiteral("Port"), port);
        parts << attribute(QStringLiteral("TDS_Version"), QLatin1String(kFreeTdsProtocolVersion));
        parts << attribute(QStringLiteral("ClientCharset"), QStringLiteral("UTF-8"));
    } else {
        QString server = address.host;
        if (!address.port.isEmpty())
            server += QLatin1Char(',') + address.port;
        else if (!address.instance.isEmpty())
            server += QLatin1Char('\\') + address.instance;
        parts << attribute(QStringLiteral("Server"), server);
        // The former provider sent nothing encrypted unless the server
        // insisted; newer drivers would otherwise demand a trusted certificate.
        parts << attribute(QStringLiteral("Encrypt"), QStringLiteral("no"));
    }

    const QString database = pairs.value(QStringLiteral("initial catalog"));
    if (!database.isEmpty())
        parts << attribute(QStringLiteral("Database"), database);

    if (isIntegratedLogon(pairs)) {
        parts << attribute(QStringLiteral("Trusted_Connection"), QStringLiteral("Yes"));
    } else {
        parts << attribute(QStringLiteral("UID"), pairs.value(QStringLiteral("user id")));
        parts << attribute(QStringLiteral("PWD"), pairs.value(QStringLiteral("password")));
    }
    parts << attribute(QStringLiteral("APP"), QStringLiteral("Tablewright"));
    // Every attribute ends with a semicolon: older FreeTDS keeps the closing
    // brace of a braced value that ends the string.
    return parts.join(QLatin1Char(';')) + QLatin1Char(';');
}

} // namespace tw
