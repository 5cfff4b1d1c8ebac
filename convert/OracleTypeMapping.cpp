#include "convert/OracleTypeMapping.h"


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

QString varchar2(qint64 precision)
{
    return QStringLiteral(" varchar2(%1)").arg(precision);
}

} // namespace

QString oracleTypeText(const QString& typeName, const std::function<qint64()>& precision,
                       const std::function<qint64()>& scale)
{
    if (isOneOf(typeName, {"varchar", "nvarchar", "char", "nchar"}))
        return varchar2(precision());
    // The first number is precision plus scale, as the catalogue gives them.
    if (isOneOf(typeName, {"smallint", "bigint", "int", "tinyint", "decimal", "numeric"})) {
        const qint64 p = precision();
        const qint64 s = scale();
        return QStringLiteral(" NUMBER(%1,%2)").arg(p + s).arg(s);
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
    return varchar2(precision());
}

} // namespace tw
