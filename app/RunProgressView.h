#pragma once

#include "convert/RunProgress.h"

#include <QElapsedTimer>

namespace Ui {
class Taaform1;
}

// The progress display of the log page while a run works: the current
// table's rows copied of its rows counted, the tables done of the tables
// selected, and the copy's rows per second and time left, in the formats
// that the interface language's caption table gave the hidden labels.
class RunProgressView {
public:
    explicit RunProgressView(Ui::Taaform1& ui) : ui_(ui) {}

    // Shows the progress display (in place of an earlier run's summary) with
    // nothing done yet and no column problem.
    void startRun(int tablesSelected);
    void startTable(int index, const QString& sourceName);
    void rowsCopied(qint64 copied, qint64 counted);
    void finishTable(int index);
    // The latest column problem of the run, on the line under the progress
    // bars, cut to the line's width; the whole text in its tooltip.
    void showColumnProblem(const QString& line);

private:
    void show();

    Ui::Taaform1& ui_;
    tw::RunProgress progress_;
    QElapsedTimer clock_;
};
