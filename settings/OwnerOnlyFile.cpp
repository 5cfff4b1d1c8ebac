#include "settings/OwnerOnlyFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tw {

void createOwnerOnlyFile(const QString& path)
{
#ifndef Q_OS_WIN
    if (QFileInfo::exists(path))
        return;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::NewOnly, kOwnerOnly);
#else
    Q_UNUSED(path);
#endif
}

void restrictToOwner(const QString& path)
{
#ifndef Q_OS_WIN
    if (QFileInfo::exists(path))
        QFile::setPermissions(path, kOwnerOnly);
#else
    Q_UNUSED(path);
#endif
}

} // namespace tw
