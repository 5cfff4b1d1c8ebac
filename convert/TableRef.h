#pragma once

#include "db/SourceTable.h"

namespace tw {

// One table of a conversion run: the source table it reads, the name under
// which the log and the summary show it (its list entry, upper-cased with
// the names-uppercase option) and the Oracle table it becomes. The run forms
// it once per table; every step of the table takes it whole.
struct TableRef {
    SourceTable source;
    QString shown;
    QString target;
};

} // namespace tw
