#pragma once

#include "db/SourceTable.h"

class QListWidgetItem;

// The entries of the two table lists: each shows the table's entry text and
// carries the table itself, so that moving and sorting entries moves the
// table with them.
QListWidgetItem* newTableItem(const tw::SourceTable& table);
tw::SourceTable tableOfItem(const QListWidgetItem& item);
