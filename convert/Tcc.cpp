#include "convert/Tcc.h"

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

    query.close();
    query.clearSql();
    for (const QString& line : columnCatalogueSql(table.source))
        query.addSql(line);
    query.open();
    query.first();

    QStringList sourceNames;
    QStringList typeTexts;
    for (; !query.atEnd(); query.next()) {
        sourceNames.append(query.text(QStringLiteral("fieldname")));
        // A column whose type row is missing has no system type id.
        const SqlValue systemTypeId = query.value(QStringLiteral("f_xtype"));
        typeTexts.append(oracleTypeText(
            query.text(QStringLiteral("fieldtyle")), systemTypeId.isNull() ? 0 : systemTypeId.toInteger(),
            [&] { return query.integer(QStringLiteral("f_size")); },
            [&] { return query.integer(QStringLiteral("f_scale")); }));
    }
    columnNames_ = OracleColumnNames(sourceNames, upperCase);
    columnNamesOf_ = table.target;

    tmpmemo_ = QStringList{createTableFirstLine(table.target)};
    for (int i = 0; i < sourceNames.size(); ++i) {
        QString line = QLatin1Char('"') + columnNames_.of(sourceNames[i]) + QLatin1Char('"') + typeTexts[i];
        if (i + 1 < sourceNames.size())
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
