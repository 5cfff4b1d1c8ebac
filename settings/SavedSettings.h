#pragma once

#include "settings/SettingsControls.h"

class QSettings;

namespace tw {

// The settings kept from one program run to the next: thirteen string values
// under organisation "Quillmoor", application "Tablewright" (the registry key
// SOFTWARE\Quillmoor\Tablewright of the current user on Windows, the user's
// ~/.config/Quillmoor/Tablewright.conf elsewhere).

// Reads the saved values into the controls. When nothing is stored yet (the
// first run) the controls keep their design-time state; once the store
// exists, a missing value empties its field or clears its check box.
void loadSavedSettings(const QSettings& store, SettingsControls& controls);
// Writes all thirteen values. A store that cannot be written is left
// alone without a message. The settings file is readable by its owner only.
void saveSavedSettings(QSettings& store, const SettingsControls& controls);

// The same on the program's own store.
void loadSavedSettings(SettingsControls& controls);
void saveSavedSettings(const SettingsControls& controls);

} // namespace tw
