#include "convert/RunLog.h"

#include "convert/WholeFile.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

namespace tw {

void RunLog::append(const QString& text)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QStringList parts = text.split(lineBreak);
    if (parts.size() > 1 && parts.last().isEmpty())
        parts.removeLast();
    const int first = int(lines_.size());
    lines_ += parts;
    emit changed(first);
}

void RunLog::replaceLast(const QString& text)
{
    if (lines_.isEmpty()) {
        append(text);
        return;
    }
    lines_.last() = text;
    emit changed(int(lines_.size()) - 1);
}

void RunLog::appendToLast(const QString& text)
{
    if (lines_.isEmpty()) {
        append(text);
        return;
    }
    lines_.last() += text;
    emit changed(int(lines_.size()) - 1);
}

void RunLog::endStep(const QString& doneLine, bool ok, const QString& errorText)
{
    if (ok)
        replaceLast(doneLine);
    else
        append(errorText);
    append(QString());
}

void RunLog::appendBlock(const QStringList& lines)
{
    for (const QString& line : lines)
        append(line);
    if (!lines.isEmpty())
        append(QString());
}

void RunLog::clear()
{
    lines_.clear();
    emit changed(0);
}

void RunLog::save(const QString& path) const
{
    saveWholeFile(path, losslessTextLines(lines_));
}

QString interactiveLogFileName(const QDateTime& moment)
{
    return QStringLiteral("twjobs_") + moment.toString(QStringLiteral("yyyyMMdd_HHmmss")) + QStringLiteral(".log");
}

QString besideJobFile(const QString& jobFilePath, const QString& extension)
{
    const QFileInfo info(jobFilePath);
    const QString name = info.fileName();
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    const QString base = jobFilePath.left(jobFilePath.size() - name.size());
    return base + (dot > 0 ? name.left(dot) : name) + extension;
}

QString jobLogPath(const QString& jobFilePath)
{
    return besideJobFile(jobFilePath, QStringLiteral(".log"));
}

QString logTimeStamp(const QDateTime& moment)
{
    // The long time format without its time-zone part, which the system's
    // long time on the desktop does not show either.
    static const QRegularExpression zone(QStringLiteral("\\s*\\bt+\\b"));
    const QLocale locale = QLocale::system();
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(zone);
    return locale.toString(moment.date(), QLocale::ShortFormat) + QLatin1Char(' ')
        + locale.toString(moment.time(), timeFormat.trimmed());
}

} // namespace tw
