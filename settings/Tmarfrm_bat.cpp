#include "settings/Tmarfrm_bat.h"

#include "ui_Tmarfrm_bat.h"

#include "convert/RunLog.h"
#include "db/Failure.h"
#include "settings/LoginFields.h"
#include "settings/Shortcut.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>

namespace {

// The line break of the builder's messages: a lone CR on Windows, where the
// message box breaks lines there; a line feed elsewhere.
#ifdef Q_OS_WIN
const QLatin1Char kMessageLineBreak('\r');
#else
const QLatin1Char kMessageLineBreak('\n');
#endif

QString quoted(const QString& path)
{
    return QLatin1Char('"') + QDir::toNativeSeparators(path) + QLatin1Char('"');
}

void showMessage(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text, QMessageBox::Ok, parent);
    box.exec();
}

} // namespace

Tmarfrm_bat::Tmarfrm_bat(QWidget* parent) : QDialog(parent), ui(new Ui::Tmarfrm_bat)
{
    ui->setupUi(this);
    setFixedSize(size());
    tw::bindLoginFields(ui->msRadioButton1, ui->mslogonnameedit, ui->mspasswordedit);
    connect(ui->rgselecttable0, &QRadioButton::toggled, this, &Tmarfrm_bat::showTableChoice);
    connect(ui->bttableselect, &QPushButton::clicked, this, &Tmarfrm_bat::bttableselectClick);
    connect(ui->Button1, &QPushButton::clicked, this, &Tmarfrm_bat::Button1Click);
    connect(ui->btcancel, &QPushButton::clicked, this, &QDialog::reject);
}

Tmarfrm_bat::~Tmarfrm_bat()
{
    delete ui;
}

void Tmarfrm_bat::fill(const WizardState& wizard)
{
    setWindowTitle(QApplication::applicationDisplayName());
    const tw::SettingsControls& from = wizard.controls;
    ui->mssqlservedit->setText(from.sourceServer());
    ui->msdatabase->setText(wizard.database);
    (from.windowsAuthentication() ? ui->msRadioButton1 : ui->msRadioButton2)->setChecked(true);
    ui->mslogonnameedit->setText(from.loginName());
    ui->mspasswordedit->setText(from.sourcePassword());
    ui->edtoracleservice->setText(from.oracleService());
    ui->edtoracleusername->setText(from.oracleUser());
    ui->edtoraclepassword->setText(from.oraclePassword());
    ui->edtoracleexits->setText(wizard.existingOption);
    processTable_ = from.processTable();
    tablesAtOnce_ = from.tablesAtOnce();
    ui->chktabledefi->setChecked(from.tableDefinitionsOnly());
    ui->chkskipindex->setChecked(from.skipIndex());
    ui->chkuppercase->setChecked(from.nameUppercase());
    ui->chkblobtotext->setChecked(from.blobToText());
    ui->chkkeepgoodrows->setChecked(from.keepGoodRows());
    ui->chkfulldefinitions->setChecked(from.fullDefinitions());
    ui->chkwritescript->setChecked(from.writeScript());
    ui->mysqltableselect->clear();
    ui->mysqltableselect->addItems(wizard.selectedTables);
    showTableChoice();
}

void Tmarfrm_bat::openFrom(const WizardState& wizard)
{
    fill(wizard);
    exec();
}

void Tmarfrm_bat::showTableChoice()
{
    ui->mysqltableselect->setVisible(!ui->rgselecttable1->isChecked());
    ui->bttableselect->setVisible(ui->mysqltableselect->isVisibleTo(this));
}

tw::JobDefinition Tmarfrm_bat::jobDefinition() const
{
    tw::JobDefinition job;
    job.server = ui->mssqlservedit->text();
    job.database = ui->msdatabase->text();
    job.loginName = ui->mslogonnameedit->text();
    job.password = ui->mspasswordedit->text();
    job.windowsAuthentication = ui->msRadioButton1->isChecked();
    job.oracleService = ui->edtoracleservice->text();
    job.oracleUser = ui->edtoracleusername->text();
    job.oraclePassword = ui->edtoraclepassword->text();
    // The wizard's option index, not the caption the builder shows.
    job.processTable = processTable_;
    job.tablesAtOnce = tablesAtOnce_;
    job.tableDefinitionsOnly = ui->chktabledefi->isChecked();
    job.skipIndex = ui->chkskipindex->isChecked();
    job.nameUppercase = ui->chkuppercase->isChecked();
    job.blobToText = ui->chkblobtotext->isChecked();
    job.keepGoodRows = ui->chkkeepgoodrows->isChecked();
    job.fullDefinitions = ui->chkfulldefinitions->isChecked();
    job.writeScript = ui->chkwritescript->isChecked();
    job.tableChoice = ui->rgselecttable1->isChecked() ? 1 : 0;
    for (int i = 0; i < ui->mysqltableselect->count(); ++i)
        job.tables.append(ui->mysqltableselect->item(i)->text());
    return job;
}

QString Tmarfrm_bat::writeShortcutFiles(const QString& shortcutPath)
{
    const QString logPath = tw::jobLogPath(shortcutPath);
    const QString jobPath = logPath.chopped(int(QStringLiteral(".log").size())) + QStringLiteral(".twjobs");
    tw::WriteJobFile(jobPath, jobDefinition());
    tw::CreateShortcut(QApplication::applicationFilePath(), QDir::toNativeSeparators(jobPath),
                       QDir::toNativeSeparators(QApplication::applicationDirPath() + QLatin1Char('/')), shortcutPath);
    return QStringLiteral("Success to create ") + quoted(shortcutPath) + QLatin1Char('.') + kMessageLineBreak
        + QStringLiteral("Create setting file ") + quoted(jobPath) + QStringLiteral(" OK.") + kMessageLineBreak
        + QStringLiteral("It will build a log file ") + quoted(logPath)
        + QStringLiteral(" after running with this Shortcut File.");
}

QString Tmarfrm_bat::saveFolder() const
{
    if (!lastFolder_.isEmpty())
        return lastFolder_;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(documents).exists() ? documents : QDir::homePath();
}

void Tmarfrm_bat::Button1Click()
{
    // A job of the selected tables without any would copy nothing.
    if (ui->rgselecttable0->isChecked() && ui->mysqltableselect->count() == 0) {
        showMessage(this, QStringLiteral("No table is selected, so the job would convert nothing.")
                              + kMessageLineBreak
                              + QStringLiteral("Choose \"Reselect tables\" to select tables on the wizard's page, or "
                                               "choose \"All database tables\"."));
        return;
    }
    // Files of the same name are replaced without a question.
    QFileDialog dialog(this, QString(), saveFolder());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(tw::shortcutExtension());
    dialog.setNameFilter(tw::shortcutExtension() + QStringLiteral(" (*.") + tw::shortcutExtension() + QLatin1Char(')'));
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString shortcutPath = dialog.selectedFiles().first();
    QString message;
    try {
        message = writeShortcutFiles(shortcutPath);
    } catch (const tw::Failure& failure) {
        // The builder stays open, so that another name can be tried.
        if (showFailure_)
            showFailure_(failure.message());
        return;
    }
    lastFolder_ = QFileInfo(shortcutPath).absolutePath();
    showMessage(this, message);
    accept();
}

void Tmarfrm_bat::bttableselectClick()
{
    showMessage(this, QStringLiteral("This form will be closed.") + kMessageLineBreak
                          + QStringLiteral("After you finish your choice,please click the button "
                                           "\"Create Shortcut File\" to return to this form."));
    accept();
}
