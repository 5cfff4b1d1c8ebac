#include "convert/OracleTypeMapping.h"

#include <QHash>
#include <QtGlobal>

namespace tw {

namespace {

bool isOneOf(const QString& name, std::initializer_list<const char*> names)
{
    for (const char* candidate : names) {
        if (name == QLatin1String(candidate))
            return true;
    }
    return false;
}

// Oracle's VARCHAR2 holds at most 4000 bytes (ORA-00910 beyond), so a
// character column of unlimited length (precision -1, the (max) types and
// xml) or longer than that becomes a CLOB, which holds any text whole.
constexpr qint64 kMaxVarchar2Length = 4000;
// Oracle's NUMBER takes at most 38 digits of precision (ORA-01727 beyond);
// NUMBER(38,s) holds every value of SQL Server's widest decimal(38,s).
constexpr qint64 kMaxNumberPrecision = 38;

QString characterType(qint64 precision)
{
    if (precision < 0 || precision > kMaxVarchar2Length)
        return QStringLiteral(" CLOB");
    return QStringLiteral(" varchar2(%1)").arg(precision);
}

// Oracle Database SQL Language Reference, "Data Types": CHAR holds at most
// 2000 bytes, RAW at most 2000 bytes.
constexpr qint64 kMaxCharLength = 2000;
constexpr qint64 kMaxRawLength = 2000;

QString varyingCharacterType(qint64 length)
{
    if (length < 0 || length > kMaxVarchar2Length)
        return QStringLiteral(" CLOB");
    return QStringLiteral(" VARCHAR2(%1 CHAR)").arg(length);
}

// char(n) and nchar(n) keep their blank padding as CHAR(n CHAR) where CHAR
// reaches; longer fixed-length texts are kept whole in VARCHAR2 or CLOB.
QString fixedCharacterType(qint64 length)
{
    if (length > 0 && length <= kMaxCharLength)
        return QStringLiteral(" CHAR(%1 CHAR)").arg(length);
    return varyingCharacterType(length);
}

QString rawType(qint64 length)
{
    if (length < 0 || length > kMaxRawLength)
        return QStringLiteral(" BLOB");
    return QStringLiteral(" RAW(%1)").arg(length);
}

} // namespace

QString fullOracleTypeText(const QString& typeName, qint64 systemTypeId, const std::function<qint64()>& precision,
                           const std::function<qint64()>& scale)
{
    if (systemTypeId == kClrSystemTypeId)
        return oracleTypeText(typeName, systemTypeId, precision, scale);
    // Integers by the largest value of the SQL Server type (SQL Server
    // documentation, "int, bigint, smallint, and tinyint"; "bit"): the
    // number of decimal digits it has.
    static const QHash<QString, QString> fixed{
        {QStringLiteral("bit"), QStringLiteral(" NUMBER(1)")},
        {QStringLiteral("tinyint"), QStringLiteral(" NUMBER(3)")},
        {QStringLiteral("smallint"), QStringLiteral(" NUMBER(5)")},
        {QStringLiteral("int"), QStringLiteral(" NUMBER(10)")},
        {QStringLiteral("bigint"), QStringLiteral(" NUMBER(19)")},
        // "money and smallmoney": four decimal places, up to 922,337,203,685,477
        // and 214,748 before the point.
        {QStringLiteral("money"), QStringLiteral(" NUMBER(19,4)")},
        {QStringLiteral("smallmoney"), QStringLiteral(" NUMBER(10,4)")},
        // "float and real" are IEEE 754 binary64 and binary32, as are Oracle's
        // BINARY_DOUBLE and BINARY_FLOAT ("Data Types", "Floating-Point
        // Numbers"), so every value, the extremes included, arrives exactly.
        {QStringLiteral("float"), QStringLiteral(" BINARY_DOUBLE")},
        {QStringLiteral("real"), QStringLiteral(" BINARY_FLOAT")},
        {QStringLiteral("text"), QStringLiteral(" CLOB")},
        {QStringLiteral("ntext"), QStringLiteral(" CLOB")},
        {QStringLiteral("xml"), QStringLiteral(" CLOB")},
        {QStringLiteral("image"), QStringLiteral(" BLOB")},
        // "date" has no time; Oracle's DATE has one, which stays midnight.
        {QStringLiteral("date"), QStringLiteral(" DATE")},
        // "smalldatetime" keeps minutes, which DATE holds whole.
        {QStringLiteral("smalldatetime"), QStringLiteral(" DATE")},
        // "datetime" keeps 1/300 seconds, rounded to three decimals in its text.
        {QStringLiteral("datetime"), QStringLiteral(" TIMESTAMP(3)")},
        // "uniqueidentifier": the 36 characters of its text form.
        {QStringLiteral("uniqueidentifier"), QStringLiteral(" CHAR(36)")},
        // "rowversion (timestamp)": eight bytes.
        {QStringLiteral("timestamp"), QStringLiteral(" RAW(8)")},
    };
    const auto found = fixed.constFind(typeName);
    if (found != fixed.constEnd())
        return *found;
    if (isOneOf(typeName, {"decimal", "numeric"}))
        return QStringLiteral(" NUMBER(%1,%2)").arg(qMin(precision(), kMaxNumberPrecision)).arg(scale());
    if (isOneOf(typeName, {"char", "nchar"}))
        return fixedCharacterType(precision());
    // sysname is nvarchar(128) ("sysname" in "nchar and nvarchar"), a system
    // type that the alias-type catalogue does not list.
    if (isOneOf(typeName, {"varchar", "nvarchar", "sysname"}))
        return varyingCharacterType(precision());
    if (isOneOf(typeName, {"binary", "varbinary"}))
        return rawType(precision());
    // The fractional digits of "datetime2", "datetimeoffset" and "time" are
    // the column's scale; Oracle keeps up to nine ("Datetime and Interval
    // Data Types").
    if (typeName == QLatin1String("datetime2"))
        return QStringLiteral(" TIMESTAMP(%1)").arg(scale());
    if (typeName == QLatin1String("datetimeoffset"))
        return QStringLiteral(" TIMESTAMP(%1) WITH TIME ZONE").arg(scale());
    // A time of day is a span of less than one day since midnight.
    if (typeName == QLatin1String("time"))
        return QStringLiteral(" INTERVAL DAY(0) TO SECOND(%1)").arg(scale());
    return oracleTypeText(typeName, systemTypeId, precision, scale);
}

QString oracleTypeText(const QString& typeName, qint64 systemTypeId, const std::function<qint64()>& precision,
                       const std::function<qint64()>& scale)
{
    if (systemTypeId == kClrSystemTypeId)
        return QStringLiteral(" BLOB");
    if (isOneOf(typeName, {"varchar", "nvarchar", "char", "nchar"}))
        return characterType(precision());
    // The first number is precision plus scale, as the catalogue gives them,
    // within what the target accepts.
    if (isOneOf(typeName, {"smallint", "bigint", "int", "tinyint", "decimal", "numeric"})) {
        const qint64 p = precision();
        const qint64 s = scale();
        return QStringLiteral(" NUMBER(%1,%2)").arg(qMin(p + s, kMaxNumberPrecision)).arg(s);
    }
    if (typeName == QLatin1String("bit"))
        return QStringLiteral(" NUMBER(3)");
    if (isOneOf(typeName, {"binary", "image", "ntext", "sql_variant", "text", "timestamp", "uniqueidentifier",
                           "varbinary"}))
        return QStringLiteral(" BLOB");
    if (isOneOf(typeName, {"datetime", "smalldatetime"}))
        return QStringLiteral(" date");
    if (isOneOf(typeName, {"float", "money", "real", "smallmoney"}))
        return QStringLiteral(" NUMBER");
    return characterType(precision());
}

} // namespace tw
