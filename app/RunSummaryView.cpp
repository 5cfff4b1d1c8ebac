#include "app/RunSummaryView.h"

#include "ui_Taaform1.h"

#include <QHeaderView>
#include <QScrollBar>

#include <algorithm>

namespace {
const int kNameColumns = 2;
const int kFirstNumberColumn = 3;
const int kFewestRowsShown = 3;
const int kMostRowsShown = 8;
// Source, target, outcome and the read, stored and refused counts are
// always in view.
const int kAlwaysShownColumns = 6;
// A name column keeps at least this many characters of its text.
const int kShortestName = 6;

int widthOf(const QTableWidget& grid, int columns)
{
    int width = 0;
    for (int column = 0; column < columns; ++column)
        width += grid.columnWidth(column);
    return width;
}

// The narrowest a name column gets: its heading, or a short name.
int nameFloor(const QTableWidget& grid, int column)
{
    const int least = grid.fontMetrics().horizontalAdvance(QString(kShortestName, QLatin1Char('M')));
    return std::min(grid.columnWidth(column), std::max(least, grid.horizontalHeader()->sectionSizeHint(column)));
}

// Narrows the two name columns together by `excess` pixels, or as far as
// their floors let them, the wider first.
void narrowNames(QTableWidget& grid, int excess)
{
    const int narrower = grid.columnWidth(0) <= grid.columnWidth(1) ? 0 : 1;
    const int wider = 1 - narrower;
    const int names = std::max(grid.columnWidth(0) + grid.columnWidth(1) - excess,
                               nameFloor(grid, 0) + nameFloor(grid, 1));
    // The narrower column keeps its width when the wider one can give up
    // enough; otherwise both get half.
    const int narrow = std::max(std::min(grid.columnWidth(narrower), names / 2), nameFloor(grid, narrower));
    const int wide = std::max(names - narrow, nameFloor(grid, wider));
    grid.setColumnWidth(narrower, narrow);
    grid.setColumnWidth(wider, wide);
}

// Fits the columns into the given width by narrowing the names. When even
// the narrowest names leave no room for every column, the names give way
// only as far as the outcome and the row counts need, and the rest is
// reached by scrolling. Returns whether every column fits.
bool fitColumns(QTableWidget& grid, int room)
{
    const int all = widthOf(grid, grid.columnCount());
    if (all <= room)
        return true;
    const int namesCanGive = widthOf(grid, kNameColumns) - nameFloor(grid, 0) - nameFloor(grid, 1);
    if (namesCanGive >= all - room) {
        narrowNames(grid, all - room);
        return true;
    }
    const int shown = widthOf(grid, kAlwaysShownColumns);
    if (shown > room)
        narrowNames(grid, shown - room);
    return false;
}

} // namespace

tw::SummaryCaptions summaryCaptions(const Ui::Taaform1& ui)
{
    tw::SummaryCaptions captions;
    for (const QLabel* heading : {ui.summarysource, ui.summarytarget, ui.summaryresult, ui.summaryread, ui.summarystored,
                                  ui.summaryrefused, ui.summaryseconds, ui.summaryrate})
        captions.headings.append(heading->text());
    for (const QLabel* outcome : {ui.resultcreated, ui.resultoverwritten, ui.resultmerged, ui.resultskipped,
                                  ui.resultfailed, ui.resultnotreached, ui.resultnotfound,
                                  ui.resultstopped})
        captions.outcomes.append(outcome->text());
    return captions;
}

void showRunSummary(Ui::Taaform1& ui, const tw::RunSummary& summary)
{
    const tw::SummaryCaptions captions = summaryCaptions(ui);
    QTableWidget& grid = *ui.summarygrid;
    grid.clear();
    grid.setColumnCount(int(captions.headings.size()));
    grid.setHorizontalHeaderLabels(captions.headings);
    grid.setRowCount(int(summary.size()));
    grid.setWordWrap(false);
    // A name cut to fit keeps its start and end; the tooltip has it whole.
    grid.setTextElideMode(Qt::ElideMiddle);
    for (int row = 0; row < summary.size(); ++row) {
        const QStringList fields = tw::summaryFields(summary[row], captions);
        for (int column = 0; column < fields.size(); ++column) {
            auto* item = new QTableWidgetItem(fields[column]);
            if (column < kNameColumns)
                item->setToolTip(fields[column]);
            if (column >= kFirstNumberColumn)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grid.setItem(row, column, item);
        }
    }
    grid.verticalHeader()->setDefaultSectionSize(grid.fontMetrics().height() + 4);
    grid.resizeColumnsToContents();
    // The columns fit the page's width where the names can give way; a
    // bar to scroll sideways only when they cannot.
    const int rows = qBound(kFewestRowsShown, int(summary.size()), kMostRowsShown);
    const int downBar = summary.size() > kMostRowsShown ? grid.verticalScrollBar()->sizeHint().width() : 0;
    const bool fits = fitColumns(grid, grid.width() - 2 * grid.frameWidth() - downBar);
    grid.setHorizontalScrollBarPolicy(fits ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    // As tall as its rows need, between a few rows and half the page; the
    // log takes the rest.
    const int page = ui.TabSheet6->height();
    const int height = grid.horizontalHeader()->sizeHint().height() + rows * grid.verticalHeader()->defaultSectionSize()
        + (fits ? 0 : grid.horizontalScrollBar()->sizeHint().height()) + 2 * grid.frameWidth();
    grid.setGeometry(0, page - height, grid.width(), height);
    ui.progresspanel->hide();
    ui.sc->setGeometry(0, 0, ui.sc->width(), grid.y() - 2);
    grid.show();
}
