#pragma once

#include "convert/RunSummary.h"

namespace Ui {
class Taaform1;
}

// The summary texts of the interface language: the column headings and the
// outcome words, captions of hidden labels of the wizard.
tw::SummaryCaptions summaryCaptions(const Ui::Taaform1& ui);

// Shows the run summary below the log, in place of the progress display:
// one row per selected table, numbers to the right.
void showRunSummary(Ui::Taaform1& ui, const tw::RunSummary& summary);
