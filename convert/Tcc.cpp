#include "convert/Tcc.h"

#include "convert/ColumnDefaults.h"
#include "convert/OracleIdentifiers.h"
#include "convert/OracleTypeMapping.h"
#include "convert/SourceSql.h"
#include "convert/TargetSql.h"
#include "db/Failure.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QThread>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#include <shlobj.h>
#endif

namespace tw {

QString statementErrorText(const QString& message, const TargetStatement& statement)
{
    return message + QStringLiteral("\r\n") + statement.sqlText() + QStringLiteral("\r\n");
}

void Tcc::CreateOracleTable(SourceQuery& query, TargetConnection& target, const TableRef& table, bool upperCase,
                            bool& ok, QString& errorText)
{
    ok = true;
    std::unique_ptr<TargetStatement> statement = target.createStatement();
    tmpmemo_.clear();
    definitionNotes_.clear();
    identityColumns_.clear();
    const QStringList sourceIdentity = fullDefinitions_ ? sourceIdentityColumns(query, table.source) : QStringList();
    const QHash<QString, QString> aliasBases = fullDefinitions_ ? sourceAliasBaseTypes(query, table.source)
                                                                : QHash<QString, QString>();
    if (fullDefinitions_)
        noteCheckConstraints(query, table);

    query.close();
    query.clearSql();
    for (const QString& line : columnCatalogueSql(table.source))
        query.addSql(line);
    query.open();
    query.first();

    // The catalogue is read whole first: a column's Oracle name depends on
    // the names of the columns before it.
    struct Column {
        QString sourceName;
        QString type;
        QString sourceDefault;
        bool notNull;
    };
    QVector<Column> columns;
    QStringList sourceNames;
    for (; !query.atEnd(); query.next()) {
        const QString sourceName = query.text(QStringLiteral("fieldname"));
        const QString typeName = query.text(QStringLiteral("fieldtyle"));
        // A column whose type row is missing has no system type id.
        const SqlValue systemTypeId = query.value(QStringLiteral("f_xtype"));
        const qint64 typeId = systemTypeId.isNull() ? 0 : systemTypeId.toInteger();
        const auto precision = [&] { return query.integer(QStringLiteral("f_size")); };
        const auto scale = [&] { return query.integer(QStringLiteral("f_scale")); };
        if (fullDefinitions_) {
            columns.append(Column{sourceName,
                                  fullOracleTypeText(aliasBases.value(sourceName, typeName), typeId, precision, scale),
                                  query.text(QStringLiteral("defaultvalue")),
                                  query.integer(QStringLiteral("isnullable")) == 0});
        } else {
            columns.append(Column{sourceName, oracleTypeText(typeName, typeId, precision, scale), QString(), false});
        }
        sourceNames.append(sourceName);
    }
    columnNames_ = OracleColumnNames(sourceNames, upperCase);
    columnNamesOf_ = table.target;

    tmpmemo_ = QStringList{createTableFirstLine(table.target)};
    for (int i = 0; i < columns.size(); ++i) {
        const Column& column = columns[i];
        const QString name = columnNames_.of(column.sourceName);
        QString line = QLatin1Char('"') + name + QLatin1Char('"') + column.type;
        if (fullDefinitions_) {
            line += fullColumnClauses(table.target, name, column.type, sourceIdentity.contains(column.sourceName),
                                      column.sourceDefault, column.notNull);
        }
        if (i + 1 < columns.size())
            line += QStringLiteral(" , ");
        tmpmemo_.append(line);
    }
    tmpmemo_.append(QStringLiteral(" ) "));

    statement->setSql(tmpmemo_);
    try {
        statement->executeDirect();
    } catch (const Failure& failure) {
        ok = false;
        errorText = statementErrorText(failure.message(), *statement);
    }
}

QStringList Tcc::sourceIdentityColumns(SourceQuery& query, const SourceTable& table)
{
    query.close();
    query.setSql(identityColumnsSql(table));
    query.open();
    QStringList columns;
    for (query.first(); !query.atEnd(); query.next())
        columns.append(query.text(QStringLiteral("name")));
    query.close();
    return columns;
}

QHash<QString, QString> Tcc::sourceAliasBaseTypes(SourceQuery& query, const SourceTable& table)
{
    query.close();
    query.setSql(aliasTypeColumnsSql(table));
    query.open();
    QHash<QString, QString> bases;
    for (query.first(); !query.atEnd(); query.next())
        bases.insert(query.text(QStringLiteral("name")), query.text(QStringLiteral("basetype")));
    query.close();
    return bases;
}

// Check constraints are written in T-SQL, which Oracle does not read: each
// is named in the log with its text instead.
void Tcc::noteCheckConstraints(SourceQuery& query, const TableRef& table)
{
    query.close();
    query.setSql(checkConstraintsSql(table.source));
    query.open();
    for (query.first(); !query.atEnd(); query.next())
        definitionNotes_.append(QStringLiteral("Check constraint %1 of %2 not carried: %3")
                                    .arg(query.text(QStringLiteral("name")), table.target,
                                         query.text(QStringLiteral("definition"))));
    query.close();
}

// Oracle's column definition: type, then DEFAULT or the identity clause,
// then the NOT NULL constraint (SQL Language Reference, "CREATE TABLE",
// column_definition). An identity column takes no default and, generated
// ON NULL, is NOT NULL by itself ("identity_clause").
QString Tcc::fullColumnClauses(const QString& targetTable, const QString& column, const QString& type, bool identity,
                               const QString& sourceDefault, bool notNull)
{
    if (identity) {
        identityColumns_.append(column);
        return QStringLiteral(" GENERATED BY DEFAULT ON NULL AS IDENTITY");
    }
    QString text;
    if (!sourceDefault.isEmpty()) {
        if (const std::optional<QString> value = oracleDefault(sourceDefault, type == QLatin1String(" DATE")))
            text += QStringLiteral(" DEFAULT ") + *value;
        else
            definitionNotes_.append(
                QStringLiteral("Default of %1.%2 not carried: %3").arg(targetTable, column, sourceDefault));
    }
    if (notNull)
        text += QStringLiteral(" NOT NULL");
    return text;
}

void Tcc::ContinueIdentityColumns(TargetConnection& target, const QString& targetTable, const QStringList& columns,
                                  bool& ok, QString& errorText)
{
    ok = true;
    for (const QString& column : columns) {
        std::unique_ptr<TargetStatement> statement = target.createStatement();
        statement->setSql(continueIdentitySql(targetTable, column));
        try {
            statement->executeDirect();
        } catch (const Failure& failure) {
            ok = false;
            errorText = statementErrorText(failure.message(), *statement);
        }
    }
}

void Tcc::CreateOracleForeignKey(TargetConnection& target, const SourceForeignKey& key, const QString& childTable,
                                 const OracleColumnNames& childColumns, const QString& parentTable,
                                 const OracleColumnNames& parentColumns, bool& ok, QString& errorText)
{
    ok = true;
    const auto named = [](const OracleColumnNames& names, const QStringList& columns) {
        QStringList quoted;
        for (const QString& column : columns)
            quoted.append(quotedName(names.of(column)));
        return quoted.join(QLatin1Char(','));
    };
    std::unique_ptr<TargetStatement> statement = target.createStatement();
    statement->setSql(QStringLiteral("alter table ") + quotedName(childTable) + QStringLiteral(" add constraint ")
                      + formedName(key.name.left(kMaxNameLength)) + QStringLiteral(" foreign key (")
                      + named(childColumns, key.columns) + QStringLiteral(") references ") + quotedName(parentTable)
                      + QStringLiteral(" (") + named(parentColumns, key.parentColumns) + QLatin1Char(')')
                      + oracleDeleteClause(key.onDelete));
    try {
        statement->executeDirect();
    } catch (const Failure& failure) {
        ok = false;
        errorText = statementErrorText(failure.message(), *statement);
    }
}

bool Tcc::OracleTableExists(TargetConnection& target, const QString& table, const QString& owner)
{
    std::unique_ptr<TargetStatement> statement = target.createStatement();
    statement->setSql(tableExistsSql(table, owner));
    return statement->queryInteger() > 0;
}

void Tcc::DropOracleTable(TargetConnection& target, const QString& table, bool& ok, QString& errorText)
{
    ok = true;
    std::unique_ptr<TargetStatement> statement = target.createStatement();
    statement->setSql(dropTableSql(table));
    try {
        statement->executeDirect();
    } catch (const Failure& failure) {
        errorText = failure.message();
        ok = false;
    }
}

QString Tcc::NormalizeName(const QString& name, bool upperCase)
{
    // Oracle allows no double quote inside a quoted name, so it becomes an
    // underscore like a blank; every other character stays.
    const QString result = ReplaceAll(ReplaceAll(name, QStringLiteral(" "), QStringLiteral("_")),
                                      QStringLiteral("\""), QStringLiteral("_"));
    return upperCase ? asciiUpper(result) : result;
}

QString Tcc::ReplaceAll(const QString& text, const QString& search, const QString& replacement)
{
    if (search.isEmpty())
        return text;
    QString result = text;
    // Searching again from the start after each replacement, as callers
    // expect; a replacement holding the search text would never end, so
    // such a call replaces each original occurrence once instead.
    if (replacement.contains(search))
        return result.replace(search, replacement);
    for (int at = result.indexOf(search); at >= 0; at = result.indexOf(search))
        result.replace(at, search.size(), replacement);
    return result;
}

QString Tcc::GetSpecialFolderPath(int csidl)
{
#ifdef Q_OS_WIN
    wchar_t path[MAX_PATH + 1] = {};
    LPITEMIDLIST items = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, csidl, &items))) {
        SHGetPathFromIDListW(items, path);
        CoTaskMemFree(items);
    }
    return QString::fromWCharArray(path);
#else
    // The roaming application data has its natural home in the XDG data
    // folder; other folder numbers are not used by the program.
    Q_UNUSED(csidl);
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
#endif
}

QString Tcc::GetAppDataFolder()
{
    const int csidlAppData = 26;
    return QDir::toNativeSeparators(GetSpecialFolderPath(csidlAppData) + QStringLiteral("/Harrowgate Data/"));
}

void Tcc::CopyTextToClipboard(const QString& text)
{
    tmpmemo_ = QStringList{text};
    // Only a GUI application has a clipboard, and only on its own thread; a
    // headless caller (a plain QCoreApplication) and the workers of a run
    // that copies several tables at once have none to fill.
    QCoreApplication* application = QCoreApplication::instance();
    if (qobject_cast<QGuiApplication*>(application) && application->thread() == QThread::currentThread())
        QGuiApplication::clipboard()->setText(text);
}

} // namespace tw
