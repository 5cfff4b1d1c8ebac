#include "app/HelpPage.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>

namespace tw {

namespace {

// The folder under which the caption table's relative addresses lie: the
// program's own folder when the pages are beside it (the build tree),
// otherwise the data folder of an installed program (../share/tablewright
// from its bin folder) when the pages are there.
QDir helpBase()
{
    const QDir program(QCoreApplication::applicationDirPath());
    const QString installed = program.filePath(QStringLiteral(TW_DATA_FROM_PROGRAM));
    if (!program.exists(QStringLiteral("help")) && QDir(installed).exists(QStringLiteral("help")))
        return QDir(QDir::cleanPath(installed));
    return program;
}

} // namespace

QUrl helpPageUrl(const QString& address)
{
    const QUrl url(address);
    if (!url.isRelative())
        return url;
    return QUrl::fromLocalFile(helpBase().filePath(address));
}

QString helpPagesFolder()
{
    const QDir base = helpBase();
    return base.exists(QStringLiteral("help")) ? base.filePath(QStringLiteral("help")) : QString();
}

bool openHelpPage(const QString& address)
{
    return QDesktopServices::openUrl(helpPageUrl(address));
}

} // namespace tw
