#include "app/RunSummaryView.h"

#include "ui_Taaform1.h"

#include <QHeaderView>
#include <QScrollBar>

namespace {
const int kFirstNumberColumn = 3;
const int kFewestRowsShown = 3;
const int kMostRowsShown = 8;
} // namespace

tw::SummaryCaptions summaryCaptions(const Ui::Taaform1& ui)
{
    tw::SummaryCaptions captions;
    for (const QLabel* heading : {ui.summarysource, ui.summarytarget, ui.summaryresult, ui.summaryread, ui.summarystored,
                                  ui.summaryrefused, ui.summaryseconds, ui.summaryrate})
        captions.headings.append(heading->text());
    for (const QLabel* outcome : {ui.resultcreated, ui.resultoverwritten, ui.resultmerged, ui.resultskipped,
                                  ui.resultfailed, ui.resultnotreached, ui.resultnotfound})
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
    for (int row = 0; row < summary.size(); ++row) {
        const QStringList fields = tw::summaryFields(summary[row], captions);
        for (int column = 0; column < fields.size(); ++column) {
            auto* item = new QTableWidgetItem(fields[column]);
            if (column >= kFirstNumberColumn)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grid.setItem(row, column, item);
        }
    }
    grid.verticalHeader()->setDefaultSectionSize(grid.fontMetrics().height() + 4);
    grid.resizeColumnsToContents();
    // As tall as its rows need, between a few rows and half the page; the
    // log takes the rest.
    const int page = ui.TabSheet6->height();
    const int rows = qBound(kFewestRowsShown, int(summary.size()), kMostRowsShown);
    const int height = grid.horizontalHeader()->sizeHint().height() + rows * grid.verticalHeader()->defaultSectionSize()
        + grid.horizontalScrollBar()->sizeHint().height() + 2 * grid.frameWidth();
    grid.setGeometry(0, page - height, grid.width(), height);
    ui.progresspanel->hide();
    ui.sc->setGeometry(0, 0, ui.sc->width(), grid.y() - 2);
    grid.show();
    ui.sc->ensureCursorVisible();
}
