#pragma once

#include <optional>

namespace tw {

// What happens before the window system starts: "--help" and "--version" as
// the first argument print their text; a start without a display either runs
// its job on the offscreen platform or, for the wizard, ends with a one-line
// message. Returns the exit code when the program ends here.
std::optional<int> prepareStart(int argc, char** argv);

// The text that "--help" prints.
const char* helpText();

} // namespace tw
