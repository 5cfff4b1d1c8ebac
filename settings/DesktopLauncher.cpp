// The launcher of a job on freedesktop systems: a .desktop entry whose Exec
// line starts the program with the job file.

#include "settings/Shortcut.h"

#include "convert/WholeFile.h"

#include <QFileInfo>

namespace tw {

namespace {

// The escapes of a string value in a desktop entry: backslash, and the
// control characters that would end or change the line.
QString escapedValue(const QString& text)
{
    QString escaped;
    for (const QChar c : text) {
        if (c == QLatin1Char('\\'))
            escaped += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            escaped += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            escaped += QStringLiteral("\\r");
        else if (c == QLatin1Char('\t'))
            escaped += QStringLiteral("\\t");
        else
            escaped += c;
    }
    return escaped;
}

// One argument of an Exec line, quoted: inside double quotes the double
// quote, backtick, dollar sign and backslash take a backslash before them,
// and a percent sign is doubled so that it is no field code. The string
// escapes apply to the whole line afterwards.
QString quotedArgument(const QString& argument)
{
    QString quoted = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        if (c == QLatin1Char('%'))
            quoted += QLatin1Char('%');
        quoted += c;
    }
    return quoted + QLatin1Char('"');
}

} // namespace

QByteArray desktopLauncher(const QString& target, const QString& jobPath, const QString& workingFolder,
                           const QString& name)
{
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Version=1.5\n"
                                        "Name=%1\n"
                                        "Exec=%2\n"
                                        "Path=%3\n"
                                        "Terminal=false\n")
                             .arg(escapedValue(name),
                                  escapedValue(quotedArgument(target) + QLatin1Char(' ') + quotedArgument(jobPath)),
                                  escapedValue(workingFolder));
    return text.toUtf8();
}

#ifndef Q_OS_WIN

QString shortcutExtension()
{
    return QStringLiteral("desktop");
}

void CreateShortcut(const QString& target, const QString& jobPath, const QString& workingFolder,
                    const QString& shortcutPath)
{
    const QByteArray content =
        desktopLauncher(target, jobPath, workingFolder, QFileInfo(shortcutPath).completeBaseName());
    // File managers start only launchers that are executable.
    saveWholeFile(shortcutPath, content,
                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup
                      | QFileDevice::ReadOther);
}

#endif

} // namespace tw
