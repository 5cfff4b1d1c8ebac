#pragma once

#include "app/LogMemo.h"
#include "app/RunProgressView.h"
#include "convert/ConversionHost.h"
#include "convert/RunLog.h"
#include "convert/Tcc.h"
#include "db/SourceAccess.h"
#include "db/TargetAccess.h"
#include "settings/JobSettings.h"
#include "settings/JobSettingsFile.h"
#include "settings/Tmarfrm_bat.h"
#include "settings/UnattendedRun.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

namespace Ui {
class Taaform1;
}

// The wizard window, the program's main window. It owns the source and target
// connections for the life of the program; its controls are the live
// settings that every step reads when it runs.
class Taaform1 : public QWidget, private tw::ConversionHost {
    Q_OBJECT
public:
    Taaform1(std::unique_ptr<tw::SourceConnection> source, std::unique_ptr<tw::TargetConnection> target,
             const QStringList& arguments, QWidget* parent = nullptr);
    ~Taaform1() override;

    int currentPage() const { return currentPage_; }
    bool stopFlag() const { return stopFlag_; }
    tw::RunLog& runLog() { return log_; }
    Ui::Taaform1& controls() { return *ui; }
    // The process exit code once the window has closed (always 0 for an
    // interactive run; see settings/ExitCodes.h for an unattended one).
    int exitCode() const;

    // The click handlers of the button bar.
    void btnextClick();
    void btbackClick();

    // The interface language: "en" or "cn" apply that caption table; any
    // other code changes nothing.
    QString language() const { return language_; }
    void applyLanguage(const QString& code);

protected:
    // The close box: closes at once, but during a run asks the Stop question
    // and closes once the run has acted on the stop and saved its log.
    void closeEvent(QCloseEvent* event) override;

private:
    void connectControls();
    // Page display: shows page n and sets the buttons and step labels.
    void showPage(int n);
    void nextRule();
    // Ends a handler chain without a message, as a stopped run does.
    struct SilentAbort {};
    // Runs a handler; a failure ends it and is shown in the error box.
    bool guarded(const std::function<void()>& handler);

    // Leave actions of the pages.
    void step2Click();
    void step3Click();
    void step4Click();
    void step5Click();
    void step6Click();
    void bkstep5Click();

    // The cancel button: the close question normally, Stop during a run.
    void bindCancelToClose();
    void closeConfirmation();
    void stopHandler();
    void helpClick();

    // Timer1's single shot: presses Next, which starts the unattended walk.
    void Timer1Timer();

    // Table selection lists.
    void addSelected();
    void removeSelected();
    void addAll();
    void removeAll();
    void moveChosen(class QListWidget* from, class QListWidget* to);
    void sortAvailable();

    // What the conversion run reads from and does to the wizard.
    int selectedTableCount() const override;
    tw::SourceTable selectedTable(int index) const override;
    QStringList tablesNotFound() const override;
    QString sourceDatabase() const override;
    int existingTableMode() const override;
    bool skipIndexes() const override;
    bool namesUppercase() const override;
    bool tableDefinitionsOnly() const override;
    bool keepGoodRows() const override;
    bool fullDefinitions() const override;
    bool writeScript() const override;
    int tablesAtOnce() const override;
    QString owner() const override;
    bool unattended() const override;
    QString jobFilePath() const override;
    QString appDataFolder() const override;
    QString completedCaption() const override;
    QString migratedCaption() const override;
    QString failedCaption() const override;
    QString finishCaption() const override;
    QString stoppedCaption() const override;
    void enterRunningState() override;
    void leaveRunningState();
    void processEvents() override;
    bool stopRequested() const override;
    void clearStop() override;
    void columnProblem(const QString& targetTable, const QString& column, const QString& reason) override;
    void closeMainWindow() override;
    void tableStarted(int index, const QString& sourceName) override;
    void rowsCopied(qint64 copied, qint64 counted) override;
    void tableRowsCopied(int index, qint64 copied, qint64 counted) override;
    void tableFinished(int index, const tw::TableSummary& summary) override;
    // Shows the run's summary below the log; an unattended run also prints
    // it and writes its file.
    void reportSummary(const tw::RunSummary& summary);

    // Saved settings (loaded at start-up, saved when the window is
    // destroyed), the shortcut builder and the unattended run
    // (Taaform1Settings.cpp).
    void LoadSettings();
    void SaveSettings();
    void btcreatebatClick();
    // Loads and applies the job file, then starts Timer1, which starts the walk.
    void startUnattended();
    // After a Next click that advanced the wizard: the walk presses Next
    // again, selecting the job's tables on page 5.
    void continueUnattended(bool advanced);
    // Shows a failure in the error box; an unattended run also writes it to
    // the job log, and a headless one ends instead of waiting for a click.
    void showFailure(const QString& message);

    Ui::Taaform1* ui;
    RunProgressView progressView_{*ui};
    std::unique_ptr<tw::SourceConnection> ADOConnection1;
    std::unique_ptr<tw::SourceQuery> ADOQuery1;
    std::unique_ptr<tw::TargetConnection> oracleconn;
    std::unique_ptr<tw::RowWriter> oracledata;
    tw::Tcc cc;
    tw::RunLog log_;
    // Shows log_ in the log page's memo.
    std::unique_ptr<LogMemo> logMemo_;

    QStringList arguments_;
    QString appDataFolder_;
    int currentPage_ = 1;
    bool unattended_ = false;
    bool stopFlag_ = false;
    // A conversion run is working, and the window is to close when it ends.
    bool runActive_ = false;
    bool closeAfterRun_ = false;
    // The table that a run of one table at a time is working on.
    int currentTable_ = 0;
    // When the run last let the window handle its events.
    static constexpr qint64 kServeEveryMs = 20;
    QElapsedTimer eventsServed_;
    bool availableSorted_ = false;
    QMetaObject::Connection cancelAction_;
    QString language_;
    // One-shot, 1000 ms, started only by an unattended run.
    QTimer Timer1;
    Tmarfrm_bat marfrm_bat;
    tw::JobSettingsList ValueListEditorbat;
    // What the job's table lines found, once the walk has reached page 5.
    tw::JobTableChoice jobTables_;
    std::unique_ptr<tw::UnattendedRun> unattendedRun_;
};
