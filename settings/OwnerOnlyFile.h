#pragma once

#include <QFileDevice>
#include <QString>

namespace tw {

// Files that hold passwords (job files, the settings file) are readable and
// writable by their owner only. On Windows the files keep the access rules of
// their folder, and the settings live in the registry.
inline constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Creates an empty owner-only file, and its folder, when there is no file of
// that name; files written over it later keep its permissions.
void createOwnerOnlyFile(const QString& path);
// Makes an existing file owner-only (files from earlier versions).
void restrictToOwner(const QString& path);

} // namespace tw
