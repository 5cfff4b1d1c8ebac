#pragma once

#include "settings/JobSettingsFile.h"
#include "settings/SettingsControls.h"

namespace tw {

// Sets the wizard's connection and option controls from a loaded job, key by
// key in a fixed order. Every key is applied whether or not the file has it:
// a missing text key empties its field, a missing switch clears its check
// box. A "processtable" value that is missing or no integer throws Failure,
// and the keys after it ("tabledefonly", "nameuppercase", "skipindex",
// "blobtotext", "fulldefinitions", "writescript") are then not applied.
void ApplyJobSettings(const JobSettingsList& job, SettingsControls& controls);

// Moves the job's tables from the available list to the selected list: all
// of them when "alltables" is exactly "1", otherwise those of the "tables"
// lines in file order, matched with letter case; names not found are
// ignored.
void SelectJobTables(const JobSettingsList& job, SettingsControls& controls);

} // namespace tw
