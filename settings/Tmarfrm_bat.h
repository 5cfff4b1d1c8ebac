#pragma once

#include "settings/JobSettingsFile.h"
#include "settings/SettingsControls.h"

#include <QDialog>
#include <functional>

namespace Ui {
class Tmarfrm_bat;
}

// The shortcut file builder: shows the wizard's settings, lets the user adjust
// the logon and option values of a job and choose its tables, then writes the
// job file and a shortcut (a .desktop launcher outside Windows) that starts
// the program with it. Its texts are always English. The table choice stays
// from one opening to the next; every other field comes from the wizard.
class Tmarfrm_bat : public QDialog {
    Q_OBJECT
public:
    explicit Tmarfrm_bat(QWidget* parent = nullptr);
    ~Tmarfrm_bat() override;

    // What the builder copies from the wizard at each opening.
    struct WizardState {
        const tw::SettingsControls& controls;
        QString database;
        // The caption of the chosen existing-table option ("Overwrite", ...).
        QString existingOption;
        QStringList selectedTables;
    };
    void fill(const WizardState& wizard);
    // Fills the builder and shows it modally until it is closed.
    void openFrom(const WizardState& wizard);

    // The job file that the builder's fields describe.
    tw::JobDefinition jobDefinition() const;
    // Writes the job file beside the shortcut (extension ".twjobs") and the
    // shortcut; returns the message that announces both and the job log.
    QString writeShortcutFiles(const QString& shortcutPath);

    Ui::Tmarfrm_bat& controls() { return *ui; }
    // Shows a failure to write the files (the program's error box).
    void setFailureHandler(std::function<void(const QString&)> handler) { showFailure_ = std::move(handler); }

private:
    void Button1Click();
    // Where the save dialog opens: the folder of the last shortcut saved in
    // this program run, else the user's documents folder (the home folder
    // when there is none).
    QString saveFolder() const;
    void bttableselectClick();
    void showTableChoice();

    Ui::Tmarfrm_bat* ui;
    int processTable_ = 0;
    QString lastFolder_;
    std::function<void(const QString&)> showFailure_;
};
