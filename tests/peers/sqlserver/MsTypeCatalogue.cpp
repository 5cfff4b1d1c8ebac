#include "peers/sqlserver/MsTypeCatalogue.h"

#include <QRegularExpression>
#include <stdexcept>

namespace peers {

namespace {

// Types without a size argument. Precision and scale are those of the type
// table; the property values are what COLUMNPROPERTY returns for a column.
struct FixedType {
    const char* name;
    int xtype;
    int length;
    int precision;
    int scale;
    std::optional<int> propertyPrecision;
    std::optional<int> propertyScale;
};

const FixedType fixedTypes[] = {
    {"bigint", 127, 8, 19, 0, 19, 0},
    {"int", 56, 4, 10, 0, 10, 0},
    {"smallint", 52, 2, 5, 0, 5, 0},
    {"tinyint", 48, 1, 3, 0, 3, 0},
    {"bit", 104, 1, 1, 0, 1, 0},
    {"money", 60, 8, 19, 4, 19, 4},
    {"smallmoney", 122, 4, 10, 4, 10, 4},
    {"float", 62, 8, 53, 0, 53, std::nullopt},
    {"real", 59, 4, 24, 0, 24, std::nullopt},
    {"datetime", 61, 8, 23, 3, 23, 3},
    {"smalldatetime", 58, 4, 16, 0, 16, 0},
    {"date", 40, 3, 10, 0, 10, 0},
    {"text", 35, 16, 0, 0, 2147483647, std::nullopt},
    {"ntext", 99, 16, 0, 0, 1073741823, std::nullopt},
    {"image", 34, 16, 0, 0, 2147483647, std::nullopt},
    {"uniqueidentifier", 36, 16, 0, 0, 36, std::nullopt},
    {"timestamp", 189, 8, 0, 0, 8, std::nullopt},
    {"sql_variant", 98, 8016, 0, 0, 0, std::nullopt},
    {"xml", 241, -1, 0, 0, -1, std::nullopt},
};

// Character and binary types with a length argument (or max).
struct SizedType {
    const char* name;
    int xtype;
    int bytesPerUnit;
    int maxSize;
    bool allowsMax;
    bool isBinary;
};

const SizedType sizedTypes[] = {
    {"char", 175, 1, 8000, false, false},     {"varchar", 167, 1, 8000, true, false},
    {"nchar", 239, 2, 4000, false, false},    {"nvarchar", 231, 2, 4000, true, false},
    {"binary", 173, 1, 8000, false, true},    {"varbinary", 165, 1, 8000, true, true},
};

// Date and time types with a fractional-seconds argument (0 to 7, default 7).
struct FractionalType {
    const char* name;
    int xtype;
    int characters;   // length of the text form without fraction
    int lengths[8];   // storage bytes by fractional digits
};

const FractionalType fractionalTypes[] = {
    {"time", 41, 8, {3, 3, 3, 4, 4, 5, 5, 5}},
    {"datetime2", 42, 19, {6, 6, 6, 7, 7, 8, 8, 8}},
    {"datetimeoffset", 43, 26, {8, 8, 8, 9, 9, 10, 10, 10}},
};

// CLR types: every one has the system type id 240; the three that every
// database has are hierarchyid, geometry and geography, user type ids 128,
// 129 and 130, at most 892 bytes for hierarchyid and unlimited (-1) for the
// spatial types ("sys.types (Transact-SQL)", "hierarchyid data type method
// reference", "Spatial Data Types").
constexpr int kClrSystemTypeId = 240;

struct ClrType {
    const char* name;
    int xusertype;
    int length;
};

const ClrType clrTypes[] = {
    {"hierarchyid", 128, 892},
    {"geometry", 129, -1},
    {"geography", 130, -1},
};

// The bytes a decimal of the given precision occupies.
int decimalLength(int precision)
{
    if (precision <= 9)
        return 5;
    if (precision <= 19)
        return 9;
    if (precision <= 28)
        return 13;
    return 17;
}

[[noreturn]] void fail(const QString& text, const char* why)
{
    throw std::invalid_argument(QStringLiteral("column type '%1': %2").arg(text, QLatin1String(why)).toStdString());
}

int parseNumber(const QString& text, const QString& whole)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok)
        fail(whole, "size is not a number");
    return value;
}

MsColumnType systemType(const QString& name, int xtype)
{
    MsColumnType type;
    type.typeName = name;
    type.baseName = name;
    type.xtype = xtype;
    type.xusertype = xtype;
    return type;
}

MsColumnType fixedType(const FixedType& rule)
{
    MsColumnType type = systemType(QLatin1String(rule.name), rule.xtype);
    type.length = rule.length;
    type.precision = rule.precision;
    type.scale = rule.scale;
    return type;
}

template <typename Rule, size_t N>
const Rule* findRule(const Rule (&rules)[N], const QString& name)
{
    for (const Rule& rule : rules) {
        if (name == QLatin1String(rule.name))
            return &rule;
    }
    return nullptr;
}

MsColumnType sizedType(const SizedType& rule, const QStringList& args, const QString& whole)
{
    if (args.size() > 1)
        fail(whole, "takes one size");
    MsColumnType type = systemType(QLatin1String(rule.name), rule.xtype);
    int size = 1;
    if (!args.isEmpty() && args[0].trimmed().compare(QLatin1String("max"), Qt::CaseInsensitive) == 0) {
        if (!rule.allowsMax)
            fail(whole, "max is allowed for varchar, nvarchar and varbinary only");
        size = -1;
    } else if (!args.isEmpty()) {
        size = parseNumber(args[0], whole);
        if (size < 1 || size > rule.maxSize)
            fail(whole, "size out of range");
    }
    type.size = size;
    type.length = size < 0 ? -1 : size * rule.bytesPerUnit;
    return type;
}

MsColumnType decimalType(const QString& name, int xtype, const QStringList& args, const QString& whole)
{
    if (args.size() > 2)
        fail(whole, "takes precision and scale");
    const int precision = args.isEmpty() ? 18 : parseNumber(args[0], whole);
    const int scale = args.size() < 2 ? 0 : parseNumber(args[1], whole);
    if (precision < 1 || precision > 38 || scale < 0 || scale > precision)
        fail(whole, "precision or scale out of range");
    MsColumnType type = systemType(name, xtype);
    type.precision = precision;
    type.scale = scale;
    type.length = decimalLength(precision);
    return type;
}

MsColumnType fractionalType(const FractionalType& rule, const QStringList& args, const QString& whole)
{
    if (args.size() > 1)
        fail(whole, "takes one fractional-seconds precision");
    const int digits = args.isEmpty() ? 7 : parseNumber(args[0], whole);
    if (digits < 0 || digits > 7)
        fail(whole, "fractional-seconds precision out of range");
    MsColumnType type = systemType(QLatin1String(rule.name), rule.xtype);
    type.size = digits;
    type.scale = digits;
    type.precision = rule.characters + (digits > 0 ? digits + 1 : 0);
    type.length = rule.lengths[digits];
    return type;
}

MsColumnType floatType(const QStringList& args, const QString& whole)
{
    if (args.size() > 1)
        fail(whole, "takes one mantissa size");
    const int bits = args.isEmpty() ? 53 : parseNumber(args[0], whole);
    if (bits < 1 || bits > 53)
        fail(whole, "mantissa size out of range");
    return fixedType(*findRule(fixedTypes, bits <= 24 ? QStringLiteral("real") : QStringLiteral("float")));
}

QString canonicalName(const QString& name)
{
    const QString folded = name.simplified().toLower();
    if (folded == QLatin1String("rowversion"))
        return QStringLiteral("timestamp");
    if (folded == QLatin1String("integer"))
        return QStringLiteral("int");
    if (folded == QLatin1String("dec"))
        return QStringLiteral("decimal");
    if (folded == QLatin1String("double precision"))
        return QStringLiteral("float");
    return folded;
}

} // namespace

MsColumnType parseSystemType(const QString& text)
{
    static const QRegularExpression shape(QStringLiteral(R"(^\s*([A-Za-z_][A-Za-z_0-9 ]*?)\s*(?:\(([^()]*)\))?\s*$)"));
    const QRegularExpressionMatch match = shape.match(text);
    if (!match.hasMatch())
        fail(text, "not a type");
    const QString name = canonicalName(match.captured(1));
    const bool hasArgs = match.capturedStart(2) >= 0;
    const QStringList args = hasArgs ? match.captured(2).split(QLatin1Char(',')) : QStringList();

    if (name == QLatin1String("sysname")) {
        if (hasArgs)
            fail(text, "sysname takes no size");
        MsColumnType type = sizedType(*findRule(sizedTypes, QStringLiteral("nvarchar")), {QStringLiteral("128")}, text);
        type.typeName = name;
        type.xusertype = 256;
        return type;
    }
    if (name == QLatin1String("float"))
        return floatType(args, text);
    if (const ClrType* rule = findRule(clrTypes, name)) {
        if (hasArgs)
            fail(text, "type takes no size");
        return clrColumnType(QLatin1String(rule->name), rule->xusertype, rule->length);
    }
    if (name == QLatin1String("decimal") || name == QLatin1String("numeric"))
        return decimalType(name, name == QLatin1String("decimal") ? 106 : 108, args, text);
    if (const SizedType* rule = findRule(sizedTypes, name))
        return sizedType(*rule, args, text);
    if (const FractionalType* rule = findRule(fractionalTypes, name))
        return fractionalType(*rule, args, text);
    const FixedType* rule = findRule(fixedTypes, name);
    if (!rule)
        fail(text, "unknown type");
    if (hasArgs)
        fail(text, "type takes no size");
    return fixedType(*rule);
}

MsColumnType clrColumnType(const QString& name, int xusertype, int maxLength)
{
    MsColumnType type = systemType(name, kClrSystemTypeId);
    type.xusertype = xusertype;
    type.length = maxLength;
    type.size = maxLength;
    return type;
}

bool isClrType(const MsColumnType& type)
{
    return type.xtype == kClrSystemTypeId;
}

std::optional<int> columnPropertyPrecision(const MsColumnType& type)
{
    const QString& base = type.baseName;
    // COLUMNPROPERTY's Precision is the length for types that are not
    // numbers: the CLR type's maximum length, -1 when unlimited.
    if (isClrType(type))
        return type.length;
    if (base == QLatin1String("decimal") || base == QLatin1String("numeric"))
        return type.precision;
    if (findRule(sizedTypes, base))
        return type.size;
    if (findRule(fractionalTypes, base))
        return type.precision;
    return findRule(fixedTypes, base)->propertyPrecision;
}

std::optional<int> columnPropertyScale(const MsColumnType& type)
{
    const QString& base = type.baseName;
    if (isClrType(type))
        return std::nullopt;
    if (base == QLatin1String("decimal") || base == QLatin1String("numeric"))
        return type.scale;
    if (findRule(sizedTypes, base))
        return std::nullopt;
    if (findRule(fractionalTypes, base))
        return type.scale;
    return findRule(fixedTypes, base)->propertyScale;
}

MsResultColumn resultColumn(const QString& name, const MsColumnType& type, bool nullable)
{
    MsResultColumn column;
    column.name = name;
    column.type = type.baseName;
    column.maxLength = type.length;
    // The large-object types travel with their full length on the wire.
    if (type.baseName == QLatin1String("text") || type.baseName == QLatin1String("image"))
        column.maxLength = 2147483647;
    else if (type.baseName == QLatin1String("ntext"))
        column.maxLength = 2147483646;
    column.precision = type.precision;
    column.scale = type.scale;
    column.nullable = nullable;
    column.clrType = isClrType(type);
    return column;
}

MsResultColumn nvarcharResultColumn(const QString& name, int characters, bool nullable)
{
    return resultColumn(name, parseSystemType(QStringLiteral("nvarchar(%1)").arg(characters)), nullable);
}

MsResultColumn sysnameResultColumn(const QString& name, bool nullable)
{
    return nvarcharResultColumn(name, 128, nullable);
}

MsResultColumn intResultColumn(const QString& name, bool nullable)
{
    return resultColumn(name, parseSystemType(QStringLiteral("int")), nullable);
}

MsResultColumn tinyintResultColumn(const QString& name, bool nullable)
{
    return resultColumn(name, parseSystemType(QStringLiteral("tinyint")), nullable);
}

MsResultColumn smallintResultColumn(const QString& name, bool nullable)
{
    return resultColumn(name, parseSystemType(QStringLiteral("smallint")), nullable);
}

} // namespace peers
