#include "convert/OracleTypeMapping.h"

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

} // namespace

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
