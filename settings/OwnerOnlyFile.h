#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

namespace tw {

// Files that hold passwords (job files, the settings file) are readable and
// writable by their owner only: by their permission bits, or on Windows by an
// access list that grants the owner alone and inherits nothing from the
// folder. On Windows the saved settings live in the registry, under the
// user's own key (HKEY_CURRENT_USER); a registry path is left alone.
inline constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Creates an empty owner-only file, and its folder, when there is no file of
// that name; files written over it later keep its permissions.
void createOwnerOnlyFile(const QString& path);
// Makes an existing file owner-only (files from earlier versions).
void restrictToOwner(const QString& path);
// Replaces the file with the bytes at once, the new file owner-only before
// anything is written into it. A failure is a Failure naming the file.
void saveOwnerOnlyFile(const QString& path, const QByteArray& bytes);

} // namespace tw
