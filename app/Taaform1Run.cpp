// The conversion run as the wizard drives it: the leave action of page 5,
// the Stop button, and the wizard's answers to what the run asks.

#include "app/Taaform1.h"

#include "ui_Taaform1.h"

#include "app/RunSummaryView.h"
#include "app/TableItems.h"
#include "app/WizardSettingsControls.h"
#include "convert/ConversionRun.h"
#include "convert/RowTransfer.h"
#include "settings/UnattendedRun.h"

#include <QApplication>
#include <QMessageBox>

void Taaform1::step5Click()
{
    tw::ConversionRun run(*this, cc, *ADOQuery1, *oracleconn, *oracledata, log_);
    run.setWorkerSessions([this] { return tw::openSessionsLike(*ADOConnection1, *oracleconn); });
    tw::ConversionRun::Outcome outcome = tw::ConversionRun::Outcome::Completed;
    runActive_ = true;
    closeAfterRun_ = false;
    try {
        outcome = run.run();
    } catch (...) {
        // The run has saved its log; the wizard leaves the running state as
        // after a stop, and the failure goes on to the error box.
        runActive_ = false;
        reportSummary(run.summary());
        leaveRunningState();
        throw;
    }
    runActive_ = false;
    reportSummary(run.summary());
    if (outcome == tw::ConversionRun::Outcome::Stopped) {
        // Stopped by the close box: the log is saved, the window goes.
        if (closeAfterRun_)
            close();
        throw SilentAbort();
    }
    if (unattendedRun_)
        unattendedRun_->finished(run.failedTables());
}

void Taaform1::reportSummary(const tw::RunSummary& summary)
{
    logMemo_->catchUp();
    showRunSummary(*ui, summary);
    if (unattendedRun_)
        unattendedRun_->report(summary, summaryCaptions(*ui));
}

void Taaform1::stopHandler()
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Info"), QStringLiteral("Stop"),
                    QMessageBox::Yes | QMessageBox::No, this);
    if (box.exec() == QMessageBox::Yes) {
        stopFlag_ = true;
        leaveRunningState();
    } else {
        stopFlag_ = false;
    }
}

int Taaform1::selectedTableCount() const
{
    return ui->selecttables->count();
}

tw::SourceTable Taaform1::selectedTable(int index) const
{
    return tableOfItem(*ui->selecttables->item(index));
}

QStringList Taaform1::tablesNotFound() const
{
    return jobTables_.notFound;
}

QString Taaform1::sourceDatabase() const
{
    const QListWidgetItem* database = ui->mssqldblist->currentItem();
    return database ? database->text() : QString();
}

int Taaform1::existingTableMode() const
{
    return WizardSettingsControls(*ui).processTable();
}

bool Taaform1::skipIndexes() const
{
    return ui->chkskipindex->isChecked();
}

bool Taaform1::namesUppercase() const
{
    return ui->chkuppercase->isChecked();
}

bool Taaform1::tableDefinitionsOnly() const
{
    return ui->chktabledefi->isChecked();
}

bool Taaform1::keepGoodRows() const
{
    return ui->chkkeepgoodrows->isChecked();
}

bool Taaform1::fullDefinitions() const
{
    return ui->chkfulldefinitions->isChecked();
}

bool Taaform1::writeScript() const
{
    return ui->chkwritescript->isChecked();
}

int Taaform1::tablesAtOnce() const
{
    return ui->paralleltables->value();
}

QString Taaform1::owner() const
{
    return ui->edtoracleusername->text();
}

bool Taaform1::unattended() const
{
    return unattended_;
}

QString Taaform1::jobFilePath() const
{
    return arguments_.value(0);
}

QString Taaform1::appDataFolder() const
{
    return appDataFolder_;
}

QString Taaform1::completedCaption() const
{
    return ui->Label29->text();
}

QString Taaform1::migratedCaption() const
{
    return ui->Label30->text();
}

QString Taaform1::failedCaption() const
{
    return ui->Label31->text();
}

QString Taaform1::finishCaption() const
{
    return ui->Label32->text();
}

QString Taaform1::stoppedCaption() const
{
    return ui->runstopped->text();
}

void Taaform1::enterRunningState()
{
    ui->pg->setCurrentIndex(5);
    progressView_.startRun(selectedTableCount());
    eventsServed_.invalidate();
    ui->btback->setEnabled(false);
    ui->btnext->setEnabled(false);
    disconnect(cancelAction_);
    ui->btcancel->setText(QStringLiteral("Stop"));
    ui->btcancel->setEnabled(true);
    cancelAction_ = connect(ui->btcancel, &QPushButton::clicked, this, &Taaform1::stopHandler);
}

// Back is enabled and the cancel button closes again; Next stays disabled.
void Taaform1::leaveRunningState()
{
    ui->btback->setEnabled(true);
    bindCancelToClose();
}

// The copy offers to serve the window every 100 rows. Serving it paints
// the log and the bars, and bringing them up to date lays out their texts
// again, which costs more processor time than the rows themselves when they
// come fast. So the window is served at most every 20 ms, and the log and
// the bars take the rows copied only then: the display stays live and a
// click on Stop is answered at once.
void Taaform1::processEvents()
{
    if (eventsServed_.isValid() && eventsServed_.elapsed() < kServeEveryMs)
        return;
    eventsServed_.start();
    logMemo_->catchUp();
    progressView_.refresh();
    QApplication::processEvents();
}

bool Taaform1::stopRequested() const
{
    return stopFlag_;
}

void Taaform1::clearStop()
{
    stopFlag_ = false;
}

// Shown under the progress bars, never in a box: the copy must not wait.
void Taaform1::columnProblem(const QString& targetTable, const QString& column, const QString& reason)
{
    progressView_.showColumnProblem(tw::columnProblemLine(targetTable, column, reason));
}

void Taaform1::closeMainWindow()
{
    // The run has saved its log and ends the program: no Stop question.
    runActive_ = false;
    close();
}

void Taaform1::tableStarted(int index, const QString& sourceName)
{
    currentTable_ = index;
    progressView_.startTable(index, sourceName);
}

void Taaform1::rowsCopied(qint64 copied, qint64 counted)
{
    progressView_.rowsCopied(currentTable_, copied, counted);
}

void Taaform1::tableRowsCopied(int index, qint64 copied, qint64 counted)
{
    progressView_.rowsCopied(index, copied, counted);
}

void Taaform1::tableFinished(int index, const tw::TableSummary& summary)
{
    Q_UNUSED(summary);
    progressView_.finishTable(index);
}
