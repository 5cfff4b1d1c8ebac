#include "settings/OwnerOnlyFile.h"

#include "convert/WholeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tw {

void createOwnerOnlyFile(const QString& path)
{
    if (QFileInfo::exists(path))
        return;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::NewOnly, kOwnerOnly);
}

void restrictToOwner(const QString& path)
{
    if (QFileInfo::exists(path))
        QFile::setPermissions(path, kOwnerOnly);
}

void saveOwnerOnlyFile(const QString& path, const QByteArray& bytes)
{
    saveWholeFile(path, bytes, kOwnerOnly);
}

} // namespace tw
