#include "app/RunProgressView.h"

#include "ui_Taaform1.h"

#include <QLocale>

namespace {
// The height of a bar's row in the panel.
const int kBarRow = 24;

// A progress bar's format replaces %p, %v and %m; the counts are put in
// beforehand, so a literal "%" must be doubled.
QString barText(const QString& text)
{
    return QString(text).replace(QLatin1Char('%'), QStringLiteral("%%"));
}
} // namespace

RunProgressView::RunProgressView(Ui::Taaform1& ui) : ui_(ui) {}

RunProgressView::~RunProgressView() = default;

void RunProgressView::startRun(int tablesSelected)
{
    if (panelHeight_ == 0) {
        panelTop_ = ui_.progresspanel->y();
        panelHeight_ = ui_.progresspanel->height();
        for (QWidget* row : {static_cast<QWidget*>(ui_.tableprogresslabel), static_cast<QWidget*>(ui_.tableprogress),
                             static_cast<QWidget*>(ui_.runprogresslabel), static_cast<QWidget*>(ui_.runprogress),
                             static_cast<QWidget*>(ui_.progressrate), static_cast<QWidget*>(ui_.columnproblem)})
            rows_.emplace_back(row, row->y());
    }
    ui_.summarygrid->hide();
    ui_.progresspanel->show();
    ui_.columnproblem->clear();
    ui_.columnproblem->setToolTip(QString());
    run_.startRun(tablesSelected);
    tables_.clear();
    last_ = tw::RunProgress();
    clock_.start();
    arrange();
    show();
}

void RunProgressView::startTable(int index, const QString& sourceName)
{
    tables_[index].startTable(index, sourceName);
    arrange();
    show();
}

void RunProgressView::rowsCopied(int index, qint64 copied, qint64 counted)
{
    const auto found = tables_.find(index);
    if (found == tables_.end())
        return;
    found->second.copied(copied, counted, clock_.elapsed());
    unshownRows_ = true;
}

void RunProgressView::refresh()
{
    if (unshownRows_)
        show();
}

void RunProgressView::finishTable(int index)
{
    const auto found = tables_.find(index);
    if (found != tables_.end()) {
        // The bar of the last table done stays until another starts.
        found->second.finishTable(index);
        last_ = found->second;
        tables_.erase(found);
    }
    run_.finishTable(index);
    arrange();
    show();
}

void RunProgressView::showColumnProblem(const QString& line)
{
    QLabel& note = *ui_.columnproblem;
    const QString text = ui_.columnproblemformat->text().arg(line);
    note.setText(note.fontMetrics().elidedText(text, Qt::ElideRight, note.width()));
    note.setToolTip(text);
}

void RunProgressView::arrange()
{
    const int extra = qMax(0, int(tables_.size()) - 1);
    while (int(extraBars_.size()) < extra) {
        auto bar = std::make_unique<QProgressBar>(ui_.progresspanel);
        bar->setMaximum(tw::RunProgress::kBarMaximum);
        bar->setFont(ui_.tableprogress->font());
        extraBars_.push_back(std::move(bar));
    }
    const int grown = extra * kBarRow;
    ui_.progresspanel->setGeometry(ui_.progresspanel->x(), panelTop_ - grown, ui_.progresspanel->width(),
                                   panelHeight_ + grown);
    ui_.sc->setGeometry(0, 0, ui_.sc->width(), panelTop_ - grown - 2);
    // The extra tables above the panel's own rows, which move down.
    const QRect first = ui_.tableprogress->geometry();
    for (int i = 0; i < int(extraBars_.size()); ++i) {
        extraBars_[i]->setGeometry(first.x(), i * kBarRow, first.width(), first.height());
        extraBars_[i]->setVisible(i < extra);
    }
    for (const auto& [row, y] : rows_)
        row->move(row->x(), y + grown);
}

void RunProgressView::showTable(QProgressBar& bar, const tw::RunProgress& table, bool named) const
{
    const QLocale locale;
    const QString counted = table.rowsCounted() < 0 ? QStringLiteral("?") : locale.toString(table.rowsCounted());
    const QString rows = ui_.tablerowsformat->text().arg(locale.toString(table.rowsCopied()), counted);
    bar.setValue(table.tableBar());
    bar.setFormat(barText(named ? table.tableName() + QStringLiteral(": ") + rows : rows));
}

void RunProgressView::show()
{
    unshownRows_ = false;
    const QLocale locale;
    const bool several = tables_.size() > 1;
    // The tables in list order from the top; the last in the panel's own
    // bar, beside its label and above its rate.
    const tw::RunProgress& first = tables_.empty() ? last_ : tables_.rbegin()->second;
    showTable(*ui_.tableprogress, first, several);
    int extra = 0;
    for (auto it = tables_.begin(); several && std::next(it) != tables_.end(); ++it)
        showTable(*extraBars_[extra++], it->second, true);
    ui_.runprogress->setValue(run_.runBar());
    ui_.runprogress->setFormat(barText(
        ui_.runtablesformat->text().arg(locale.toString(run_.tablesDone()), locale.toString(run_.tablesSelected()))));

    QStringList parts{first.tableName()};
    if (first.rowsPerSecond() > 0)
        parts.append(ui_.rowspersecondformat->text().arg(locale.toString(first.rowsPerSecond())));
    if (first.secondsLeft() >= 0 && first.rowsCounted() > 0)
        parts.append(ui_.timeleftformat->text().arg(tw::durationText(first.secondsLeft())));
    ui_.progressrate->setText(parts.join(QStringLiteral("    ")));
}
