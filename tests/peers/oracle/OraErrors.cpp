#include "peers/oracle/OraErrors.h"

namespace peers {

OraError::OraError(int code, QString text)
    : code(code)
    , message(QStringLiteral("ORA-%1: ").arg(code, 5, 10, QLatin1Char('0')) + text)
    , utf8(message.toUtf8())
{
}

namespace ora {

namespace {

OraError error(int code, const char* text)
{
    return OraError(code, QString::fromLatin1(text));
}

QString qualified(const QString& owner, const QString& name)
{
    return owner + QLatin1Char('.') + name;
}

} // namespace

OraError resourceBusy()
{
    return error(54, "resource busy and acquire with NOWAIT specified or timeout expired");
}
OraError invalidSqlStatement() { return error(900, "invalid SQL statement"); }
OraError invalidCreateCommand() { return error(901, "invalid CREATE command"); }
OraError invalidDatatype() { return error(902, "invalid datatype"); }
OraError invalidTableName() { return error(903, "invalid table name"); }
OraError invalidIdentifier(const QString& name)
{
    return OraError(904, name + QStringLiteral(": invalid identifier"));
}
OraError missingKeyword() { return error(905, "missing keyword"); }
OraError missingLeftParenthesis() { return error(906, "missing left parenthesis"); }
OraError missingRightParenthesis() { return error(907, "missing right parenthesis"); }
OraError lengthTooLong() { return error(910, "specified length too long for its datatype"); }
OraError invalidCharacter() { return error(911, "invalid character"); }
OraError tooManyValues() { return error(913, "too many values"); }
OraError missingOrInvalidOption() { return error(922, "missing or invalid option"); }
OraError fromKeywordNotFound() { return error(923, "FROM keyword not found where expected"); }
OraError missingIntoKeyword() { return error(925, "missing INTO keyword"); }
OraError missingValuesKeyword() { return error(926, "missing VALUES keyword"); }
OraError inconsistentDatatypes(const QString& expected, const QString& got)
{
    return OraError(932, QStringLiteral("inconsistent datatypes: expected %1 got %2").arg(expected, got));
}
OraError notProperlyEnded() { return error(933, "SQL command not properly ended"); }
OraError missingExpression() { return error(936, "missing expression"); }
OraError invalidAlterCommand() { return error(940, "invalid ALTER command"); }
OraError tableOrViewMissing() { return error(942, "table or view does not exist"); }
OraError notEnoughValues() { return error(947, "not enough values"); }
OraError invalidDropOption() { return error(950, "invalid DROP option"); }
OraError invalidIndexName() { return error(953, "missing or invalid index name"); }
OraError nameAlreadyUsed() { return error(955, "name is already used by an existing object"); }
OraError duplicateColumnName() { return error(957, "duplicate column name"); }
OraError missingOnKeyword() { return error(969, "missing ON keyword"); }
OraError identifierTooLong() { return error(972, "identifier is too long"); }
OraError columnNotAllowedHere() { return error(984, "column not allowed here"); }
OraError uniqueConstraintViolated(const QString& owner, const QString& name)
{
    return OraError(1, QStringLiteral("unique constraint (%1) violated").arg(qualified(owner, name)));
}
OraError nullPassword() { return error(1005, "null password given; logon denied"); }
OraError notAllVariablesBound() { return error(1008, "not all variables bound"); }
OraError invalidUsernamePassword() { return error(1017, "invalid username/password; logon denied"); }
OraError illegalVariable() { return error(1036, "illegal variable name/number"); }
OraError cannotInsertNull(const QString& owner, const QString& table, const QString& column)
{
    return OraError(1400, QStringLiteral("cannot insert NULL into (\"%1\".\"%2\".\"%3\")").arg(owner, table, column));
}
OraError columnListAlreadyIndexed() { return error(1408, "such column list already indexed"); }
OraError numericOverflow() { return error(1426, "numeric overflow"); }
OraError valueLargerThanPrecision()
{
    return error(1438, "value larger than specified precision allowed for this column");
}
OraError columnContainsNulls() { return error(1449, "column contains NULL values; cannot alter to NOT NULL"); }
OraError maximumKeyLengthExceeded(int limit)
{
    return OraError(1450, QStringLiteral("maximum key length (%1) exceeded").arg(limit));
}
OraError duplicateKeysFound() { return error(1452, "cannot CREATE UNIQUE INDEX; duplicate keys found"); }
OraError invalidHexNumber() { return error(1465, "invalid hex number"); }
OraError invalidNumber() { return error(1722, "invalid number"); }
OraError zeroLengthColumns() { return error(1723, "zero-length columns are not allowed"); }
OraError precisionOutOfRange() { return error(1727, "numeric precision specifier is out of range (1 to 38)"); }
OraError scaleOutOfRange() { return error(1728, "numeric scale specifier is out of range (-84 to 127)"); }
OraError invalidAlterTableOption() { return error(1735, "invalid ALTER TABLE option"); }
OraError invalidAlterSessionOption() { return error(2248, "invalid option for ALTER SESSION"); }
OraError missingDoubleQuote() { return error(1740, "missing double quote in identifier"); }
OraError zeroLengthIdentifier() { return error(1741, "illegal zero-length identifier"); }
OraError quotedStringNotTerminated() { return error(1756, "quoted string not properly terminated"); }
OraError literalDoesNotMatchFormat() { return error(1861, "literal does not match format string"); }
OraError invalidCreateIndexOption() { return error(2158, "invalid CREATE INDEX option"); }
OraError missingConstraintName() { return error(2250, "missing or invalid constraint name"); }
OraError referencingColumnCountMismatch()
{
    return error(2256, "number of referencing columns must match referenced columns");
}
OraError onlyOnePrimaryKey() { return error(2260, "table can have only one primary key"); }
OraError datatypeRequired() { return error(2263, "need to specify the datatype for this column"); }
OraError constraintNameUsed() { return error(2264, "name already used by an existing constraint"); }
OraError referencedTableHasNoPrimaryKey() { return error(2268, "referenced table does not have a primary key"); }
OraError noMatchingKey() { return error(2270, "no matching unique or primary key for this column-list"); }
OraError parentKeyNotFound(const QString& owner, const QString& name)
{
    return OraError(2291,
                    QStringLiteral("integrity constraint (%1) violated - parent key not found").arg(qualified(owner, name)));
}
OraError childRecordFound(const QString& owner, const QString& name)
{
    return OraError(2292,
                    QStringLiteral("integrity constraint (%1) violated - child record found").arg(qualified(owner, name)));
}
OraError parentKeysNotFound(const QString& owner, const QString& name)
{
    return OraError(2298, QStringLiteral("cannot validate (%1) - parent keys not found").arg(qualified(owner, name)));
}
OraError duplicateKeysFound(const QString& owner, const QString& name)
{
    return OraError(2299, QStringLiteral("cannot validate (%1) - duplicate keys found").arg(qualified(owner, name)));
}
OraError cannotIndexDatatype(const QString& type)
{
    return OraError(2327, QStringLiteral("cannot create index on expression with datatype %1").arg(type));
}
OraError cannotBeUniqueOrPrimary(const QString& type)
{
    return OraError(2329, QStringLiteral("column of datatype %1 cannot be unique or a primary key").arg(type));
}
OraError primaryKeyViolated(const QString& owner, const QString& name)
{
    return OraError(2437, QStringLiteral("cannot validate (%1) - primary key violated").arg(qualified(owner, name)));
}
OraError referencedByForeignKeys() { return error(2449, "unique/primary keys in table referenced by foreign keys"); }
OraError notConnected() { return error(3114, "not connected to ORACLE"); }
OraError viewHasErrors(const QString& owner, const QString& view)
{
    return OraError(4063, QStringLiteral("view \"%1\".\"%2\" has errors").arg(owner, view));
}
OraError valueTooLarge(const QString& owner, const QString& table, const QString& column, int actual, int maximum)
{
    return OraError(12899, QStringLiteral("value too large for column \"%1\".\"%2\".\"%3\" (actual: %4, maximum: %5)")
                               .arg(owner, table, column)
                               .arg(actual)
                               .arg(maximum));
}
OraError cannotResolveConnectIdentifier()
{
    return error(12154, "TNS:could not resolve the connect identifier specified");
}

OraError datetimePrecisionOutOfRange() { return error(30088, "datetime/interval precision is out of range"); }
OraError notAnIdentityColumn() { return error(30673, "column to be modified is not an identity column"); }
OraError identityColumnMustBeNumeric() { return error(30675, "identity column must be a numeric type"); }
OraError generatedAlwaysIdentity() { return error(32795, "cannot insert into a generated always identity column"); }

} // namespace ora
} // namespace peers
