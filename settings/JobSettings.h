#pragma once

#include "settings/JobSettingsFile.h"
#include "settings/SettingsControls.h"

namespace tw {

// Sets the wizard's connection and option controls from a loaded job, key by
// key in a fixed order. Every key is applied whether or not the file has it:
// a missing text key empties its field, a missing switch clears its check
// box. A "processtable" value that is missing or no integer throws Failure,
// and the keys after it ("tabledefonly", "nameuppercase", "skipindex",
// "blobtotext", "keepgoodrows", "fulldefinitions", "writescript",
// "paralleltables") are then not applied. A missing "paralleltables" is 1; a
// value other than 1 to 8 throws Failure.
void ApplyJobSettings(const JobSettingsList& job, SettingsControls& controls);

// What a job's table lines found in the available list.
struct JobTableChoice {
    // The names of table lines that match no available entry, in file order.
    QStringList notFound;
    // True when the job selects no table at all: "alltables" is not "1" and
    // no table line names a table.
    bool selectsNoTable = false;
};

// Moves the job's tables from the available list to the selected list: all
// of them when "alltables" is exactly "1", otherwise those of the "tables"
// lines in file order, matched with letter case against the list's entries
// (a bare name, or schema.name for a name that several schemas hold).
JobTableChoice SelectJobTables(const JobSettingsList& job, SettingsControls& controls);

} // namespace tw
