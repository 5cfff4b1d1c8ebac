#include "convert/WholeFile.h"

#include "db/Failure.h"

#include <QDir>
#include <QSaveFile>
#include <QStringEncoder>

namespace tw {

QByteArray systemTextLines(const QStringList& lines)
{
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    QStringEncoder encoder(QStringConverter::System);
    return encoder.encode(text);
}

void saveWholeFile(const QString& path, const QByteArray& bytes, QFileDevice::Permissions permissions)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || (permissions && !file.setPermissions(permissions))
        || file.write(bytes) != bytes.size() || !file.commit())
        throw Failure(QStringLiteral("Cannot create file \"%1\". %2")
                          .arg(QDir::toNativeSeparators(path), file.errorString()));
}

} // namespace tw
