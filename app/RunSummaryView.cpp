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
// A name column keeps at least this many characters of its text.
const int kShortestName = 6;

// Narrows the two name columns, the wider first, until the columns fit in
// the given width, each no narrower than its heading or a short name.
// Returns whether all columns then fit.
bool fitColumns(QTableWidget& grid, int room)
{
    int total = 0;
    for (int column = 0; column < grid.columnCount(); ++column)
        total += grid.columnWidth(column);
    if (total <= room)
        return true;
    const int least = grid.fontMetrics().horizontalAdvance(QString(kShortestName, QLatin1Char('M')));
    int widths[kNameColumns];
    int floors[kNameColumns];
    for (int column = 0; column < kNameColumns; ++column) {
        widths[column] = grid.columnWidth(column);
        floors[column] = std::min(widths[column], std::max(least, grid.horizontalHeader()->sectionSizeHint(column)));
    }
    const int names = std::max(widths[0] + widths[1] - (total - room), floors[0] + floors[1]);
    // The narrower column keeps its width when the wider one can give up
    // enough; otherwise both get half.
    const int narrower = widths[0] <= widths[1] ? 0 : 1;
    const int wider = 1 - narrower;
    const int narrow = std::max(std::min(widths[narrower], names / 2), floors[narrower]);
    const int wide = std::max(names - narrow, floors[wider]);
    grid.setColumnWidth(narrower, narrow);
    grid.setColumnWidth(wider, wide);
    return total - widths[0] - widths[1] + narrow + wide <= room;
}

} // namespace

tw::SummaryCaptions summaryCaptions(const Ui::Taaform1& ui)
{
    tw::SummaryCaptions captions;
    for (const QLabel* heading : {ui.summarysource, ui.summarytarget, ui.summaryresult, ui.summaryread, ui.summarystored,
                                  ui.summaryrefused, ui.summaryseconds, ui.summaryrate})
        captions.headings.append(heading->text());
    for (const QLabel* outcome : {ui.resultcreated, ui.resultoverwritten, ui.resultmerged, ui.resultskipped,
                                  ui.resultfailed, ui.resultnotreached, ui.resultstopped})
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
