#include "convert/ColumnDefaults.h"

#include <QRegularExpression>

namespace tw {

namespace {

// SQL Server keeps a default with the parentheses it wraps around every
// expression, doubled for numbers: "((0))". They are taken off in pairs.
QString withoutOuterParentheses(QString text)
{
    text = text.trimmed();
    while (text.startsWith(QLatin1Char('(')) && text.endsWith(QLatin1Char(')'))) {
        int depth = 0;
        bool wrapsAll = true;
        for (qsizetype i = 0; i < text.size() - 1 && wrapsAll; ++i) {
            depth += text[i] == QLatin1Char('(') ? 1 : text[i] == QLatin1Char(')') ? -1 : 0;
            wrapsAll = depth > 0;
        }
        if (!wrapsAll)
            break;
        text = text.mid(1, text.size() - 2).trimmed();
    }
    return text;
}

// SQL Server's uniqueidentifier text: 8-4-4-4-12 hexadecimal digits. Oracle's
// SYS_GUID gives 16 bytes (Oracle Database SQL Language Reference,
// "SYS_GUID"), shown by RAWTOHEX as 32 digits, grouped here the same way.
const QString kGuidText = QStringLiteral(
    "REGEXP_REPLACE(RAWTOHEX(SYS_GUID()),'(.{8})(.{4})(.{4})(.{4})(.{12})','\\1-\\2-\\3-\\4-\\5')");

} // namespace

std::optional<QString> oracleDefault(const QString& sqlServerDefault, bool dateColumn)
{
    const QString text = withoutOuterParentheses(sqlServerDefault);
    static const QRegularExpression number(QStringLiteral("^[-+]?(\\d+\\.?\\d*|\\.\\d+)([eE][-+]?\\d+)?$"));
    if (number.match(text).hasMatch())
        return text;
    // 'abc' or N'abc', quotes inside doubled: the same literal in Oracle.
    static const QRegularExpression string(QStringLiteral("^[Nn]?('(?:[^']|'')*')$"));
    if (const QRegularExpressionMatch match = string.match(text); match.hasMatch())
        return match.captured(1);
    const QString function = text.toLower().remove(QLatin1Char(' '));
    if (function == QLatin1String("getdate()") || function == QLatin1String("sysdatetime()")
        || function == QLatin1String("current_timestamp"))
        return dateColumn ? QStringLiteral("SYSDATE") : QStringLiteral("SYSTIMESTAMP");
    if (function == QLatin1String("newid()"))
        return kGuidText;
    return std::nullopt;
}

} // namespace tw
