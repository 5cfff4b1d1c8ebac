#pragma once

#include "convert/RunProgress.h"

#include <QElapsedTimer>
#include <map>
#include <memory>
#include <vector>

class QProgressBar;
class QWidget;

namespace Ui {
class Taaform1;
}

// The progress display of the log page while a run works: each table at
// work with its rows copied of its rows counted, the tables done of the
// tables selected, and the latest table's rows per second and time left, in
// the formats that the interface language's caption table gave the hidden
// labels. A run that copies several tables at once shows one bar per table
// at work in list order, the latest in the panel's own bar and the others
// above it.
class RunProgressView {
public:
    explicit RunProgressView(Ui::Taaform1& ui);
    ~RunProgressView();

    // Shows the progress display (in place of an earlier run's summary) with
    // nothing done yet and no column problem.
    void startRun(int tablesSelected);
    void startTable(int index, const QString& sourceName);
    // Takes the rows copied without showing them: the copy reports every
    // 100 rows, and the display shows them when refreshed.
    void rowsCopied(int index, qint64 copied, qint64 counted);
    // Shows the rows copied since the last showing; nothing when there were
    // none. Starting and finishing a table show at once.
    void refresh();
    void finishTable(int index);
    // The latest column problem of the run, on the line under the progress
    // bars, cut to the line's width; the whole text in its tooltip.
    void showColumnProblem(const QString& line);

private:
    void show();
    void showTable(QProgressBar& bar, const tw::RunProgress& table, bool named) const;
    // Gives the panel room for one bar per table at work.
    void arrange();

    Ui::Taaform1& ui_;
    tw::RunProgress run_;
    // The tables at work by their place in the selected list.
    std::map<int, tw::RunProgress> tables_;
    tw::RunProgress last_;
    std::vector<std::unique_ptr<QProgressBar>> extraBars_;
    QElapsedTimer clock_;
    // Rows were copied since the display last showed them.
    bool unshownRows_ = false;
    // The panel and its rows where the form placed them.
    int panelTop_ = 0;
    int panelHeight_ = 0;
    std::vector<std::pair<QWidget*, int>> rows_;
};
