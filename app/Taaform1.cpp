#include "app/Taaform1.h"

#include "ui_Taaform1.h"

#include "app/FollowLastLine.h"
#include "app/HelpPage.h"
#include "app/InterfaceLanguage.h"
#include "app/TableItems.h"
#include "app/WindowFrame.h"
#include "db/ConnectionSteps.h"
#include "db/Failure.h"
#include "settings/LoginFields.h"

#include <QCloseEvent>
#include <QCollator>
#include <QDir>
#include <QMessageBox>

namespace {
const int kPages = 6;
}

Taaform1::Taaform1(std::unique_ptr<tw::SourceConnection> source, std::unique_ptr<tw::TargetConnection> target,
                   const QStringList& arguments, QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::Taaform1)
    , ADOConnection1(std::move(source))
    , ADOQuery1(ADOConnection1->createQuery())
    , oracleconn(std::move(target))
    , oracledata(oracleconn->createRowWriter())
    , arguments_(arguments)
{
    // The caption tables and the picture are compiled into this library;
    // a static library must register them itself.
    Q_INIT_RESOURCE(resources);
    ui->setupUi(this);
    tw::setUpWindowFrame(*this);
    // The Oracle page's labels underline their accelerators, which Qt draws
    // only for a label with a buddy; each is its own buddy, so that pressing
    // the accelerator moves no focus.
    for (QLabel* label : {ui->Label21, ui->Label22, ui->Label23})
        label->setBuddy(label);
    Timer1.setSingleShot(true);
    Timer1.setInterval(1000);
    followLastLine(*ui->sc);
    logMemo_ = std::make_unique<LogMemo>(log_, *ui->sc);
    connectControls();

    // The data folder holds the interactive run logs; create it when missing
    // (with its parents: a fresh Linux account may have no data home yet).
    // A failure shows later, when a log cannot be saved there.
    appDataFolder_ = tw::Tcc::GetAppDataFolder();
    QDir().mkpath(appDataFolder_);
    unattended_ = !arguments_.isEmpty();
    applyLanguage(QStringLiteral("en"));
    // The Chinese captions are reached through TABLEWRIGHT_LANG.
    const QString chosenLanguage = tw::languageFromEnvironment();
    if (!chosenLanguage.isEmpty())
        applyLanguage(chosenLanguage);
    stopFlag_ = false;
    bindCancelToClose();
    setWindowTitle(QApplication::applicationDisplayName());
    LoadSettings();
    if (unattended_)
        startUnattended();
    // The pages have no tabs to hide: only the wizard's buttons change them.
    currentPage_ = 1;
    showPage(currentPage_);
}

Taaform1::~Taaform1()
{
    SaveSettings();
    delete ui;
}

void Taaform1::connectControls()
{
    connect(ui->btnext, &QPushButton::clicked, this, &Taaform1::btnextClick);
    connect(ui->btback, &QPushButton::clicked, this, &Taaform1::btbackClick);
    connect(ui->bthelp, &QPushButton::clicked, this, &Taaform1::helpClick);
    connect(ui->Image1, &QAbstractButton::clicked, this, &Taaform1::helpClick);
    tw::bindLoginFields(ui->msRadioButton1, ui->mslogonnameedit, ui->mspasswordedit);
    connect(ui->Buttonadd, &QPushButton::clicked, this, &Taaform1::addSelected);
    connect(ui->Buttonaddall, &QPushButton::clicked, this, &Taaform1::addAll);
    connect(ui->Button3, &QPushButton::clicked, this, &Taaform1::removeSelected);
    connect(ui->Button4, &QPushButton::clicked, this, &Taaform1::removeAll);
    connect(ui->availabletables, &QListWidget::itemDoubleClicked, this, &Taaform1::addSelected);
    connect(ui->selecttables, &QListWidget::itemDoubleClicked, this, &Taaform1::removeSelected);
    connect(&Timer1, &QTimer::timeout, this, &Taaform1::Timer1Timer);
    connect(ui->btcreatebat, &QPushButton::clicked, this, &Taaform1::btcreatebatClick);
    marfrm_bat.setFailureHandler([this](const QString& message) { showFailure(message); });
}

void Taaform1::applyLanguage(const QString& code)
{
    language_ = code;
    tw::applyLanguage(*this, language_);
}

void Taaform1::Timer1Timer()
{
    Timer1.stop();
    btnextClick();
}

bool Taaform1::guarded(const std::function<void()>& handler)
{
    try {
        handler();
        return true;
    } catch (const SilentAbort&) {
    } catch (const tw::Failure& failure) {
        showFailure(failure.message());
    } catch (const std::exception& failure) {
        showFailure(QString::fromLocal8Bit(failure.what()));
    }
    return false;
}

void Taaform1::showPage(int n)
{
    ui->btback->setEnabled(true);
    ui->btnext->setEnabled(true);
    ui->btnext->setText(QStringLiteral("Next >"));
    ui->btcancel->setEnabled(true);
    ui->bthelp->setEnabled(true);
    if (n == 1)
        ui->btback->setEnabled(false);
    if (n == kPages) {
        ui->btback->setEnabled(false);
        ui->btnext->setText(QStringLiteral("Finish"));
        ui->btcancel->setEnabled(false);
        ui->bthelp->setEnabled(false);
    }
    ui->pg->setCurrentIndex(n - 1);
    QLabel* const steps[] = {ui->Label1, ui->Label2, ui->Label3, ui->Label4, ui->Label5, ui->Label6};
    for (int i = 0; i < kPages; ++i) {
        QFont font = steps[i]->font();
        font.setBold(i == n - 1);
        steps[i]->setFont(font);
    }
    nextRule();
    if (n == 3)
        ui->edtservice->setFocus();
    else if (n == 4)
        ui->mssqldblist->setFocus();
    else if (n == 5)
        ui->availabletables->setFocus();
}

void Taaform1::nextRule()
{
    if (currentPage_ == 5)
        ui->btnext->setEnabled(ui->selecttables->count() > 0);
}

void Taaform1::btnextClick()
{
    const bool done = guarded([this] {
        switch (currentPage_) {
        case 2: step2Click(); break;
        case 3: step3Click(); break;
        case 4: step4Click(); break;
        case 5: step5Click(); break;
        case 6: step6Click(); break;
        default: break;
        }
    });
    if (!done)
        return;
    const bool advance = !stopFlag_;
    if (advance && currentPage_ < kPages) {
        showPage(++currentPage_);
    } else if (advance && !unattended_) {
        currentPage_ = 1;
        showPage(currentPage_);
    }
    if (unattended_)
        continueUnattended(advance);
}

void Taaform1::btbackClick()
{
    // A stop confirmed while the last table was copied is never acted on
    // between tables; going back ends it, so that Next advances again.
    stopFlag_ = false;
    if (currentPage_ == 5)
        bkstep5Click();
    showPage(--currentPage_);
}

void Taaform1::step2Click()
{
    const QStringList names = tw::connectAndListDatabases(
        *ADOConnection1, *ADOQuery1,
        tw::sourceConnectionString(ui->msRadioButton1->isChecked(), ui->mssqlservedit->text(),
                                   ui->mslogonnameedit->text(), ui->mspasswordedit->text()));
    // An unattended run keeps the job's database as the list's only entry.
    if (unattended_)
        return;
    ui->mssqldblist->clear();
    ui->mssqldblist->addItems(names);
    if (!names.isEmpty())
        ui->mssqldblist->setCurrentRow(0);
}

void Taaform1::step3Click()
{
    tw::connectTarget(*oracleconn, tw::targetLogonParams(ui->edtservice->text(), ui->edtoracleusername->text(),
                                                         ui->edtoraclepassword->text()));
}

void Taaform1::step4Click()
{
    QListWidgetItem* chosen = ui->mssqldblist->currentItem();
    if (!chosen)
        throw tw::Failure(QStringLiteral("List index out of bounds (-1)"));
    const QString serverString = tw::sourceConnectionString(ui->msRadioButton1->isChecked(), ui->mssqlservedit->text(),
                                                            ui->mslogonnameedit->text(), ui->mspasswordedit->text());
    tw::connectAndListTables(*ADOConnection1, *ADOQuery1, tw::sourceConnectionString(serverString, chosen->text()),
                             [this](const tw::SourceTable& table) {
                                 ui->availabletables->addItem(newTableItem(table));
                                 if (availableSorted_)
                                     sortAvailable();
                             });
}

void Taaform1::step6Click()
{
    log_.clear();
    ui->selecttables->clear();
    close();
}

void Taaform1::bkstep5Click()
{
    ui->availabletables->clear();
    ui->selecttables->clear();
}

void Taaform1::bindCancelToClose()
{
    disconnect(cancelAction_);
    ui->btcancel->setText(QStringLiteral("Close"));
    cancelAction_ = connect(ui->btcancel, &QPushButton::clicked, this, &Taaform1::closeConfirmation);
}

void Taaform1::closeConfirmation()
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Information"), ui->queryclose->text(),
                    QMessageBox::Yes | QMessageBox::No, this);
    if (box.exec() == QMessageBox::Yes)
        close();
}

void Taaform1::helpClick()
{
    if (tw::openHelpPage(ui->helpurl->text()))
        return;
    // Without an opener the user can still reach the page by its path.
    const QUrl page = tw::helpPageUrl(ui->helpurl->text());
    const QString where = page.isLocalFile() ? QDir::toNativeSeparators(page.toLocalFile()) : page.toString();
    QMessageBox box(QMessageBox::Information, QApplication::applicationDisplayName(),
                    ui->helpnotopened->text() + QLatin1Char('\n') + where, QMessageBox::Ok, this);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.exec();
}

void Taaform1::closeEvent(QCloseEvent* event)
{
    if (!runActive_) {
        QWidget::closeEvent(event);
        return;
    }
    event->ignore();
    if (!stopFlag_)
        stopHandler();
    closeAfterRun_ = stopFlag_;
}

void Taaform1::moveChosen(QListWidget* from, QListWidget* to)
{
    const int at = to->count();
    for (int i = from->count() - 1; i >= 0; --i) {
        if (from->item(i)->isSelected())
            to->insertItem(at, from->takeItem(i));
    }
}

void Taaform1::addSelected()
{
    moveChosen(ui->availabletables, ui->selecttables);
    nextRule();
}

void Taaform1::removeSelected()
{
    moveChosen(ui->selecttables, ui->availabletables);
    sortAvailable();
    nextRule();
}

void Taaform1::addAll()
{
    while (ui->availabletables->count() > 0)
        ui->selecttables->addItem(ui->availabletables->takeItem(0));
    nextRule();
}

void Taaform1::removeAll()
{
    while (ui->selecttables->count() > 0)
        ui->availabletables->addItem(ui->selecttables->takeItem(0));
    sortAvailable();
    nextRule();
}

// Once sorted, the available list stays sorted, alphabetically without
// regard to case, in the system's collation.
void Taaform1::sortAvailable()
{
    availableSorted_ = true;
    QList<QListWidgetItem*> items;
    while (ui->availabletables->count() > 0)
        items.append(ui->availabletables->takeItem(0));
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(items.begin(), items.end(), [&](const QListWidgetItem* a, const QListWidgetItem* b) {
        return collator.compare(a->text(), b->text()) < 0;
    });
    for (QListWidgetItem* item : items)
        ui->availabletables->addItem(item);
}
