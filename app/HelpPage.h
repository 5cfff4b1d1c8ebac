#pragma once

#include <QUrl>

namespace tw {

// The help page of an address from the caption table: a relative address
// names a file under the program's own folder (the pages are installed beside
// the program); an absolute one is taken as it is.
QUrl helpPageUrl(const QString& address);

// Opens the help page with the desktop's default handler; the outcome is
// ignored, as a missing browser is no failure of the wizard.
void openHelpPage(const QString& address);

} // namespace tw
