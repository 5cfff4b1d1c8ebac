// The shortcut file builder: what it copies from the wizard, the table
// choice it keeps, the job file, launcher and message it writes, and its
// guards: an empty selection, the save dialog's folder, Cancel.

#include "app/TableItems.h"
#include "app/Taaform1.h"
#include "peers/oracle/ModelTargetLayer.h"
#include "peers/sqlserver/ModelSourceLayer.h"
#include "settings/Shortcut.h"
#include "settings/Tmarfrm_bat.h"
#include "support/FakeSettingsControls.h"
#include "support/MessageBoxes.h"
#include "support/ShellLink.h"
#include "ui_Taaform1.h"
#include "ui_Tmarfrm_bat.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTimer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// The message box breaks its lines as the system's message boxes do.
#ifdef Q_OS_WIN
const QLatin1Char kMessageLineBreak('\r');
#else
const QLatin1Char kMessageLineBreak('\n');
#endif

// The launcher starts this program with the job file, in the program's
// folder: a shell link on Windows, a desktop entry elsewhere.
void expectLauncherOfJob(const QString& shortcut, const QString& jobPath, const char* name)
{
#ifdef Q_OS_WIN
    const ShellLinkFields link = readShellLink(shortcut);
    EXPECT_EQ(link.target, QDir::toNativeSeparators(QApplication::applicationFilePath())) << name;
    EXPECT_EQ(link.arguments, QLatin1Char('"') + QDir::toNativeSeparators(jobPath) + QLatin1Char('"')) << name;
    EXPECT_EQ(link.workingFolder, QDir::toNativeSeparators(QApplication::applicationDirPath() + QLatin1Char('/')))
        << name;
#else
    EXPECT_EQ(contentOf(shortcut),
              tw::desktopLauncher(QApplication::applicationFilePath(), jobPath,
                                  QApplication::applicationDirPath() + QLatin1Char('/'),
                                  QFileInfo(shortcut).completeBaseName()))
        << name;
#endif
}

TEST(ShortcutBuilder, WritesTheJobFileAndLauncherForBothTableChoices)
{
    FakeControls wizard;
    wizard.server = QStringLiteral("db1");
    wizard.windows = false;
    wizard.login = QStringLiteral("sa");
    wizard.password = QStringLiteral("pw");
    wizard.service = QStringLiteral("ORCL");
    wizard.user = QStringLiteral("scott");
    wizard.oraPassword = QStringLiteral("tiger");
    wizard.mode = 2;
    wizard.skipIdx = true;
    wizard.keepGood = true;
    wizard.fullDefs = true;
    wizard.atOnce = 5;
    const QString head = QStringLiteral("mssqlserver=db1\r\nmsdatabase=Shop\r\nmssqlloginname=sa\r\nmssqlpassword=pw\r\n"
                                        "mssqlAuthentication=SQLSERVER\r\noracleh=ORCL\r\noracleu=scott\r\noraclep=tiger\r\n"
                                        "processtable=2\r\ntabledefonly=0\r\nskipindex=1\r\nnameuppercase=1\r\n"
                                        "blobtotext=0\r\nkeepgoodrows=1\r\nfulldefinitions=1\r\nwritescript=0\r\n"
                                        "paralleltables=5\r\n");
    struct Case {
        const char* name;
        bool selectedTables;
        QString shortcutName, jobName, logName, tail;
    };
    const Case cases[] = {
        {"all database tables (start value)", false, QStringLiteral("night job.desktop"),
         QStringLiteral("night job.twjobs"), QStringLiteral("night job.log"), QStringLiteral("alltables=1\r\n")},
        {"selected tables, other extension", true, QStringLiteral("night.lnk2"), QStringLiteral("night.twjobs"),
         QStringLiteral("night.log"), QStringLiteral("alltables=0\r\ntables1=Orders\r\ntables2=Items\r\n")},
    };
    Tmarfrm_bat builder;
    for (const Case& c : cases) {
        builder.fill({wizard, QStringLiteral("Shop"), QStringLiteral("Skip"), {QStringLiteral("Orders"), QStringLiteral("Items")}});
        EXPECT_EQ(builder.controls().edtoracleexits->text(), QStringLiteral("Skip"));
        EXPECT_TRUE(builder.controls().mslogonnameedit->isEnabled());
        if (c.selectedTables)
            builder.controls().rgselecttable0->click();
        EXPECT_EQ(builder.controls().mysqltableselect->isVisibleTo(&builder), c.selectedTables) << c.name;
        EXPECT_EQ(builder.controls().bttableselect->isVisibleTo(&builder), c.selectedTables) << c.name;

        QTemporaryDir dir;
        const QString shortcut = dir.filePath(c.shortcutName);
        const QString message = builder.writeShortcutFiles(shortcut);
        EXPECT_EQ(QString::fromLocal8Bit(contentOf(dir.filePath(c.jobName))), head + c.tail) << c.name;
        expectLauncherOfJob(shortcut, dir.filePath(c.jobName), c.name);
        EXPECT_EQ(message.split(kMessageLineBreak),
                  (QStringList{QStringLiteral("Success to create \"%1\".").arg(QDir::toNativeSeparators(shortcut)),
                               QStringLiteral("Create setting file \"%1\" OK.")
                                   .arg(QDir::toNativeSeparators(dir.filePath(c.jobName))),
                               QStringLiteral("It will build a log file \"%1\" after running with this Shortcut File.")
                                   .arg(QDir::toNativeSeparators(dir.filePath(c.logName)))}))
            << c.name;
    }
    // The table choice stays for the next opening.
    builder.fill({wizard, QString(), QString(), {}});
    EXPECT_TRUE(builder.controls().rgselecttable0->isChecked());
}

// Hands the next modal file dialog to the action once it is shown.
void onNextFileDialog(const std::function<void(QFileDialog*)>& action)
{
    QTimer::singleShot(0, [=] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget()))
            action(dialog);
        else
            onNextFileDialog(action);
    });
}

TEST(ShortcutBuilder, RefusesAnEmptySelectionSavesFromTheDocumentsFolderOnAndCancels)
{
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", home.path().toLocal8Bit());
    QDir(home.path()).mkpath(QStringLiteral("Documents"));
    FakeControls wizard;
    wizard.oraPassword = QStringLiteral("tiger");
    Tmarfrm_bat builder;
    Ui::Tmarfrm_bat& form = builder.controls();
    EXPECT_EQ(form.rgselecttable->title(), QStringLiteral("Select MSSQL tables"));
    builder.fill({wizard, QStringLiteral("Shop"), QStringLiteral("Merge"), {}});
    EXPECT_EQ(form.edtoraclepassword->echoMode(), QLineEdit::Password);

    // "Selected tables" without a table: refused before any file dialog.
    form.rgselecttable0->click();
    QString refusal;
    answerNextMessageBox(QMessageBox::Ok, &refusal);
    form.Button1->click();
    EXPECT_EQ(refusal, QStringLiteral("No table is selected, so the job would convert nothing.") + kMessageLineBreak
                           + QStringLiteral("Choose \"Reselect tables\" to select tables on the wizard's page, or choose "
                                            "\"All database tables\"."));

    // The first save starts in the documents folder, the next where the
    // last job went.
    form.rgselecttable1->click();
    QTemporaryDir jobs;
    QStringList folders;
    for (int save = 0; save < 2; ++save) {
        onNextFileDialog([&](QFileDialog* dialog) {
            folders << dialog->directory().absolutePath();
            dialog->selectFile(jobs.filePath(QStringLiteral("night.") + tw::shortcutExtension()));
            static_cast<QDialog*>(dialog)->accept();
        });
        answerNextMessageBox(QMessageBox::Ok);
        form.Button1->click();
    }
#ifdef Q_OS_WIN
    // Windows keeps the documents folder in the user's profile, whatever HOME says.
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
#else
    const QString documents = QDir(home.path()).filePath(QStringLiteral("Documents"));
#endif
    EXPECT_EQ(folders, (QStringList{documents, jobs.path()}));
    EXPECT_TRUE(QFile::exists(jobs.filePath(QStringLiteral("night.twjobs"))));

    // Cancel closes the builder.
    bool closed = false;
    QTimer::singleShot(0, [&] {
        form.btcancel->click();
        closed = true;
    });
    EXPECT_EQ(builder.exec(), QDialog::Rejected);
    EXPECT_TRUE(closed);
    qputenv("HOME", oldHome);
}

TEST(ShortcutBuilder, LauncherQuotesItsPathsByTheDesktopEntryRules)
{
    EXPECT_EQ(tw::desktopLauncher(QStringLiteral("/opt/tw/tablewright"), QStringLiteral("/jobs/a \"b\" $c `d` 5%\\e.twjobs"),
                                  QStringLiteral("/opt/tw/"), QStringLiteral("a")),
              QByteArray("[Desktop Entry]\nType=Application\nVersion=1.5\nName=a\n"
                         "Exec=\"/opt/tw/tablewright\" \"/jobs/a \\\\\"b\\\\\" \\\\$c \\\\`d\\\\` 5%%\\\\\\\\e.twjobs\"\n"
                         "Path=/opt/tw/\nTerminal=false\n"));
}

TEST(ShortcutBuilder, OpensFromTheWizardAndReselectClosesIt)
{
    peers::ModelSqlServer sqlServer;
    peers::ModelOracle oracle;
    Taaform1 wizard(std::make_unique<peers::ModelSourceConnection>(sqlServer),
                    std::make_unique<peers::ModelTargetConnection>(oracle), QStringList());
    Ui::Taaform1& ui = wizard.controls();
    ui.mssqlservedit->setText(QStringLiteral("db1"));
    ui.mssqldblist->addItem(QStringLiteral("Shop"));
    ui.mssqldblist->setCurrentRow(0);
    ui.processtable2->click();
    ui.selecttables->addItem(newTableItem({QStringLiteral("Sales"), QStringLiteral("Orders"), true}));

    QStringList seen;
    QTimer::singleShot(0, [&] {
        auto* builder = qobject_cast<Tmarfrm_bat*>(QApplication::activeModalWidget());
        ASSERT_NE(builder, nullptr);
        Ui::Tmarfrm_bat& form = builder->controls();
        seen << form.mssqlservedit->text() << form.msdatabase->text() << form.edtoracleexits->text()
             << builder->windowTitle();
        form.rgselecttable0->click();
        seen << form.mysqltableselect->item(0)->text();
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            seen << box->text();
            box->button(QMessageBox::Ok)->click();
        });
        form.bttableselect->click();
    });
    ui.btcreatebat->click();
    EXPECT_EQ(seen, (QStringList{QStringLiteral("db1"), QStringLiteral("Shop"), QStringLiteral("Skip"),
                                 QStringLiteral("Tablewright 4.0"), QStringLiteral("Sales.Orders"),
                                 QStringLiteral("This form will be closed.") + kMessageLineBreak
                                     + QStringLiteral("After you finish your choice,please click the button \"Create "
                                                      "Shortcut File\" to return to this form.")}));
}

} // namespace
