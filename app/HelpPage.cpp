#include "app/HelpPage.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>

namespace tw {

QUrl helpPageUrl(const QString& address)
{
    const QUrl url(address);
    if (!url.isRelative())
        return url;
    return QUrl::fromLocalFile(QDir(QCoreApplication::applicationDirPath()).filePath(address));
}

void openHelpPage(const QString& address)
{
    QDesktopServices::openUrl(helpPageUrl(address));
}

} // namespace tw
