#pragma once

#include <QString>

// Whether only the file's owner can read it: no group or other permission
// bits, or on Windows an access list that allows nobody but the user (and
// the system account).
bool isOwnerOnly(const QString& path);
