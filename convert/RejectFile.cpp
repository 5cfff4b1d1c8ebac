#include "convert/RejectFile.h"

#include "convert/Csv.h"
#include "convert/RunLog.h"
#include "db/Failure.h"

#include <QDir>
#include <QFileInfo>

namespace tw {

RejectFile::RejectFile(std::function<QString()> pathSource) : pathSource_(std::move(pathSource)) {}

void RejectFile::add(const QString& table, const QStringList& columns, qint64 row, const QString& message,
                     const QVector<SqlValue>& values)
{
    if (!file_.isOpen()) {
        file_.setFileName(pathSource_());
        if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw Failure(QStringLiteral("Cannot create file \"%1\". %2")
                              .arg(QDir::toNativeSeparators(file_.fileName()), file_.errorString()));
    }
    QString text;
    if (table != table_) {
        text += csvRecord(QStringList{QStringLiteral("table"), QStringLiteral("row"), QStringLiteral("error")}
                          + columns);
        table_ = table;
    }
    QStringList fields{table, QString::number(row), message};
    for (const SqlValue& value : values)
        fields.append(value.toText());
    text += csvRecord(fields);
    write(text);
}

// Each record reaches the disk at once: a run that dies later keeps the
// rows it refused before.
void RejectFile::write(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    if (file_.write(bytes) != bytes.size() || !file_.flush())
        throw Failure(QStringLiteral("Cannot write file \"%1\". %2")
                          .arg(QDir::toNativeSeparators(file_.fileName()), file_.errorString()));
}

QString RejectFile::fileName() const
{
    return file_.isOpen() ? QFileInfo(file_.fileName()).fileName() : QString();
}

QString rejectFilePath(const QString& logPath)
{
    return besideJobFile(logPath, QStringLiteral(".rejects.csv"));
}

} // namespace tw
