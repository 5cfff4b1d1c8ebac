#pragma once

#include <QString>
#include <QUrl>

namespace tw {

// The help page of an address from the caption table: a relative address
// names a file under the program's own folder in the build tree, or under
// the data folder that an installed program reaches from its folder; an
// absolute one is taken as it is.
QUrl helpPageUrl(const QString& address);

// The folder that holds the help pages of both languages, or an empty text
// when neither place has them.
QString helpPagesFolder();

// Opens the help page with the desktop's default handler; false when the
// desktop could not open it (no browser or opener set up).
bool openHelpPage(const QString& address);

} // namespace tw
