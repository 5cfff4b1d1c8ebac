#pragma once

#include <QString>

#include <optional>

namespace tw {

// What happens before the window system starts: "--help" and "--version" as
// the first argument print their text; a start without a display either runs
// its job on the offscreen platform or, for the wizard, ends with a one-line
// message. Returns the exit code when the program ends here. helpPagesFolder
// tells "--help" where the program finds its help pages.
std::optional<int> prepareStart(int argc, char** argv, QString (*helpPagesFolder)());

// The text that "--help" prints, naming the help pages' folder (empty: none
// was found).
QString helpText(const QString& helpPagesFolder);

} // namespace tw
