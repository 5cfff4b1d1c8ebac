#include "support/OwnerOnly.h"

#include <QFile>

bool isOwnerOnly(const QString& path)
{
    constexpr QFileDevice::Permissions kOthers = QFileDevice::ReadGroup | QFileDevice::WriteGroup
                                                 | QFileDevice::ReadOther | QFileDevice::WriteOther;
    return QFile::exists(path) && (QFile::permissions(path) & kOthers) == 0;
}
