#pragma once

#include <QString>

// Whether only the file's owner can read it: no group or other permission
// bits, or on Windows a protected access list whose one entry is the user's.
bool isOwnerOnly(const QString& path);
