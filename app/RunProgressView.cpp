#include "app/RunProgressView.h"

#include "ui_Taaform1.h"

#include <QLocale>

void RunProgressView::startRun(int tablesSelected)
{
    ui_.summarygrid->hide();
    ui_.sc->setGeometry(0, 0, ui_.sc->width(), ui_.progresspanel->y() - 2);
    ui_.progresspanel->show();
    ui_.columnproblem->clear();
    ui_.columnproblem->setToolTip(QString());
    progress_.startRun(tablesSelected);
    clock_.start();
    show();
}

void RunProgressView::startTable(int index, const QString& sourceName)
{
    progress_.startTable(index, sourceName);
    show();
}

void RunProgressView::rowsCopied(qint64 copied, qint64 counted)
{
    progress_.copied(copied, counted, clock_.elapsed());
    show();
}

void RunProgressView::finishTable(int index)
{
    progress_.finishTable(index);
    show();
}

void RunProgressView::showColumnProblem(const QString& line)
{
    QLabel& note = *ui_.columnproblem;
    const QString text = ui_.columnproblemformat->text().arg(line);
    note.setText(note.fontMetrics().elidedText(text, Qt::ElideRight, note.width()));
    note.setToolTip(text);
}

void RunProgressView::show()
{
    const QLocale locale;
    // A progress bar's format replaces %p, %v and %m; the counts are put in
    // beforehand, so a literal "%" must be doubled.
    auto barText = [](const QString& text) { return QString(text).replace(QLatin1Char('%'), QStringLiteral("%%")); };
    const QString counted = progress_.rowsCounted() < 0 ? QStringLiteral("?") : locale.toString(progress_.rowsCounted());
    ui_.tableprogress->setValue(progress_.tableBar());
    ui_.tableprogress->setFormat(
        barText(ui_.tablerowsformat->text().arg(locale.toString(progress_.rowsCopied()), counted)));
    ui_.runprogress->setValue(progress_.runBar());
    ui_.runprogress->setFormat(barText(
        ui_.runtablesformat->text().arg(locale.toString(progress_.tablesDone()), locale.toString(progress_.tablesSelected()))));

    QStringList parts{progress_.tableName()};
    if (progress_.rowsPerSecond() > 0)
        parts.append(ui_.rowspersecondformat->text().arg(locale.toString(progress_.rowsPerSecond())));
    if (progress_.secondsLeft() >= 0 && progress_.rowsCounted() > 0)
        parts.append(ui_.timeleftformat->text().arg(tw::durationText(progress_.secondsLeft())));
    ui_.progressrate->setText(parts.join(QStringLiteral("    ")));
}
