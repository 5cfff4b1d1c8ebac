#pragma once

#include <QString>

namespace tw {

// Whether the drivers of this system log on with Windows authentication only
// through a Kerberos ticket (everywhere but on Windows, where they use the
// signed-on user's own logon).
#ifdef Q_OS_WIN
inline constexpr bool kWindowsLogonNeedsKerberos = false;
#else
inline constexpr bool kWindowsLogonNeedsKerberos = true;
#endif

// The message of a logon that failed: a first line naming what was tried,
// "Cannot connect to SQL Server at HOST, port PORT (driver NAME):"; for a
// Windows logon that needs a Kerberos ticket here, a line saying so and what
// to use instead; then the driver's own text unchanged.
QString logonFailureText(const QString& oledbString, const QString& driver, const QString& driverText,
                         bool windowsLogonNeedsKerberos);

} // namespace tw
