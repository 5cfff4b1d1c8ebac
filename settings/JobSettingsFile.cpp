#include "settings/JobSettingsFile.h"

#include "convert/WholeFile.h"
#include "db/Failure.h"
#include "settings/OwnerOnlyFile.h"
#include "settings/SettingText.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

namespace tw {

namespace {

// The encoding a file's byte-order mark announces, and the mark's length.
struct Encoding {
    QStringConverter::Encoding encoding;
    int markLength;
};

Encoding encodingOf(const QByteArray& bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return {QStringConverter::Utf8, 3};
    if (bytes.startsWith("\xFF\xFE"))
        return {QStringConverter::Utf16LE, 2};
    if (bytes.startsWith("\xFE\xFF"))
        return {QStringConverter::Utf16BE, 2};
    return {QStringConverter::System, 0};
}

QStringList splitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        lines.append(text.mid(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    // A line break at the end closes the last line; it does not open another.
    if (start < text.size())
        lines.append(text.mid(start));
    return lines;
}

} // namespace

void JobSettingsList::load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("Cannot open file \"%1\". %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Failure(QStringLiteral("Cannot read file \"%1\". %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    setContent(bytes);
}

void JobSettingsList::setContent(const QByteArray& bytes)
{
    const Encoding encoding = encodingOf(bytes);
    QStringDecoder decoder(encoding.encoding);
    lines_ = splitLines(decoder.decode(QByteArrayView(bytes).sliced(encoding.markLength)));
}

QString JobSettingsList::value(const QString& key) const
{
    for (const QString& line : lines_) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        if (QStringView(line).left(equals).compare(key, Qt::CaseInsensitive) == 0)
            return line.mid(equals + 1);
    }
    return QString();
}

QStringList jobFileLines(const JobDefinition& job)
{
    QStringList lines{
        QStringLiteral("mssqlserver=") + job.server,
        QStringLiteral("msdatabase=") + job.database,
        QStringLiteral("mssqlloginname=") + job.loginName,
        QStringLiteral("mssqlpassword=") + job.password,
        QStringLiteral("mssqlAuthentication=")
            + (job.windowsAuthentication ? QStringLiteral("Windows") : QStringLiteral("SQLSERVER")),
        QStringLiteral("oracleh=") + job.oracleService,
        QStringLiteral("oracleu=") + job.oracleUser,
        QStringLiteral("oraclep=") + job.oraclePassword,
        QStringLiteral("processtable=") + QString::number(job.processTable),
        QStringLiteral("tabledefonly=") + onOff(job.tableDefinitionsOnly),
        QStringLiteral("skipindex=") + onOff(job.skipIndex),
        QStringLiteral("nameuppercase=") + onOff(job.nameUppercase),
        QStringLiteral("blobtotext=") + onOff(job.blobToText),
        QStringLiteral("keepgoodrows=") + onOff(job.keepGoodRows),
        QStringLiteral("fulldefinitions=") + onOff(job.fullDefinitions),
        QStringLiteral("writescript=") + onOff(job.writeScript),
        QStringLiteral("paralleltables=") + QString::number(job.tablesAtOnce),
        QStringLiteral("alltables=") + QString::number(job.tableChoice == 1 ? 1 : 0),
    };
    if (job.tableChoice == 0) {
        for (int i = 0; i < job.tables.size(); ++i)
            lines.append(QStringLiteral("tables%1=").arg(i + 1) + job.tables.at(i));
    }
    return lines;
}

void WriteJobFile(const QString& path, const JobDefinition& job)
{
    // The file holds passwords: it is made owner-only before they are written.
    saveOwnerOnlyFile(path, systemTextLines(jobFileLines(job)));
}

} // namespace tw
