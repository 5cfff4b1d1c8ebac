#pragma once

#include <QString>

namespace tw {

// Writes a file that starts the program with a job file as its only
// argument, in the given working folder, replacing any file of that name.
// On Windows a shell link (.lnk), whose argument text is the job path in
// double quotes; elsewhere a freedesktop launcher (.desktop). Throws Failure
// when the launcher cannot be written; the shell link's own calls are not
// checked.
void CreateShortcut(const QString& target, const QString& jobPath, const QString& workingFolder,
                    const QString& shortcutPath);

// The save dialog's default extension for the shortcut: "lnk" on Windows,
// "desktop" elsewhere.
QString shortcutExtension();

// The content of a freedesktop launcher for the program and its job: the
// Exec line quotes both paths by the desktop-entry rules.
QByteArray desktopLauncher(const QString& target, const QString& jobPath, const QString& workingFolder,
                           const QString& name);

} // namespace tw
