// The wizard's saved settings, the shortcut builder, and the unattended run:
// the job file applied at start-up, the walk through the pages that Timer1
// starts, and what a failure does when nobody may be there to answer a
// message box.

#include "app/Taaform1.h"

#include "ui_Taaform1.h"

#include "app/ErrorBox.h"
#include "app/WizardSettingsControls.h"
#include "settings/ExitCodes.h"
#include "settings/JobSettings.h"
#include "settings/SavedSettings.h"

#include <QGuiApplication>

namespace {

// Without a windowing system (the offscreen or minimal platform) a message
// box can never be answered.
bool headlessPlatform()
{
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

} // namespace

void Taaform1::LoadSettings()
{
    WizardSettingsControls controls(*ui);
    tw::loadSavedSettings(controls);
}

void Taaform1::SaveSettings()
{
    const WizardSettingsControls controls(*ui);
    tw::saveSavedSettings(controls);
}

void Taaform1::btcreatebatClick()
{
    const WizardSettingsControls controls(*ui);
    const QRadioButton* option = controls.processTableOption(controls.processTable());
    QStringList selected;
    for (int i = 0; i < selectedTableCount(); ++i)
        selected.append(selectedTable(i).entry());
    const QListWidgetItem* database = ui->mssqldblist->currentItem();
    marfrm_bat.openFrom({controls, database ? database->text() : QString(), option ? option->text() : QString(),
                         selected});
}

void Taaform1::startUnattended()
{
    unattendedRun_ = std::make_unique<tw::UnattendedRun>(arguments_.value(0), headlessPlatform());
    // Nobody sees the window of a run without a windowing system: it keeps
    // its state but paints nothing.
    if (unattendedRun_->headless())
        setUpdatesEnabled(false);
    guarded([this] {
        WizardSettingsControls controls(*ui);
        if (unattendedRun_->start(ValueListEditorbat, controls, log_))
            Timer1.start();
        else
            QTimer::singleShot(0, this, &QWidget::close);
    });
}

void Taaform1::continueUnattended(bool advanced)
{
    if (!advanced)
        return;
    if (currentPage_ >= 2 && currentPage_ <= 4) {
        btnextClick();
    } else if (currentPage_ == 5) {
        WizardSettingsControls controls(*ui);
        jobTables_ = tw::SelectJobTables(ValueListEditorbat, controls);
        if (!jobTables_.selectsNoTable) {
            btnextClick();
            return;
        }
        // Nothing to convert is a failed job, not an empty success.
        unattendedRun_->selectsNoTable(log_);
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void Taaform1::showFailure(const QString& message)
{
    if (unattendedRun_) {
        unattendedRun_->failed(message, log_);
        if (unattendedRun_->headless()) {
            // Closed once the handler chain has unwound.
            QTimer::singleShot(0, this, &QWidget::close);
            return;
        }
    }
    showErrorBox(this, message);
}

int Taaform1::exitCode() const
{
    return unattendedRun_ ? unattendedRun_->exitCode() : tw::exitcode::Succeeded;
}
