// The shortcut file builder: what it copies from the wizard, the table
// choice it keeps, and the job file, launcher and message it writes.

#include "app/Taaform1.h"
#include "peers/oracle/ModelTargetLayer.h"
#include "peers/sqlserver/ModelSourceLayer.h"
#include "settings/Shortcut.h"
#include "settings/Tmarfrm_bat.h"
#include "support/FakeSettingsControls.h"
#include "ui_Taaform1.h"
#include "ui_Tmarfrm_bat.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTimer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
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
    wizard.fullDefs = true;
    const QString head = QStringLiteral("mssqlserver=db1\r\nmsdatabase=Shop\r\nmssqlloginname=sa\r\nmssqlpassword=pw\r\n"
                                        "mssqlAuthentication=SQLSERVER\r\noracleh=ORCL\r\noracleu=scott\r\noraclep=tiger\r\n"
                                        "processtable=2\r\ntabledefonly=0\r\nskipindex=1\r\nnameuppercase=1\r\n"
                                        "blobtotext=0\r\nfulldefinitions=1\r\nwritescript=0\r\n");
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
        EXPECT_EQ(contentOf(shortcut),
                  tw::desktopLauncher(QApplication::applicationFilePath(), dir.filePath(c.jobName),
                                      QApplication::applicationDirPath() + QLatin1Char('/'),
                                      QFileInfo(shortcut).completeBaseName()))
            << c.name;
        EXPECT_EQ(message.split(QLatin1Char('\n')),
                  (QStringList{QStringLiteral("Success to create \"%1\".").arg(shortcut),
                               QStringLiteral("Create setting file \"%1\" OK.").arg(dir.filePath(c.jobName)),
                               QStringLiteral("It will build a log file \"%1\" after running with this Shortcut File.")
                                   .arg(dir.filePath(c.logName))}))
            << c.name;
    }
    // The table choice stays for the next opening.
    builder.fill({wizard, QString(), QString(), {}});
    EXPECT_TRUE(builder.controls().rgselecttable0->isChecked());
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
    ui.selecttables->addItem(QStringLiteral("Orders"));

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
                                 QStringLiteral("Tablewright 4.0"), QStringLiteral("Orders"),
                                 QStringLiteral("This form will be closed.\nAfter you finish your choice,please click "
                                                "the button \"Create Shortcut File\" to return to this form.")}));
}

} // namespace
