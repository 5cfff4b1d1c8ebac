// Saved settings and job settings files: what each reads into the wizard's
// controls, the fallbacks for missing and bad values, and what the writer
// produces.

#include "app/Taaform1.h"
#include "app/WizardSettingsControls.h"
#include "db/Failure.h"
#include "peers/oracle/ModelTargetLayer.h"
#include "peers/sqlserver/ModelSourceLayer.h"
#include "settings/JobSettings.h"
#include "settings/OwnerOnlyFile.h"
#include "settings/SavedSettings.h"
#include "settings/SettingText.h"
#include "support/FakeSettingsControls.h"
#include "support/OwnerOnly.h"
#include "ui_Taaform1.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

tw::JobSettingsList jobOf(const QByteArray& bytes)
{
    tw::JobSettingsList job;
    job.setContent(bytes);
    return job;
}

TEST(SavedSettings, LoadingAppliesEveryFallback)
{
    struct Case {
        const char* name;
        QStringList stored;  // key=value pairs in the store; empty: no store at all
        int charset, mode;
        bool windows, upper;
        QString server;
    };
    const Case cases[] = {
        {"first run keeps the design-time state", {}, 0, 0, true, true, QString()},
        {"missing authentication and uppercase values", {QStringLiteral("mssqlserver=db1")}, 0, 0, false, false,
         QStringLiteral("db1")},
        {"processtable non-number", {QStringLiteral("processtable=abc"), QStringLiteral("Windows Authentication=1"),
                                     QStringLiteral("nameuppercase=1")}, 0, 0, true, true, QString()},
        {"processtable above and charset index", {QStringLiteral("processtable=9"), QStringLiteral("Character Set=5")},
         5, 2, false, false, QString()},
        {"processtable below -1, charset non-number",
         {QStringLiteral("processtable=-7"), QStringLiteral("Character Set=x"), QStringLiteral("nameuppercase=yes")},
         0, -1, false, false, QString()},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        QSettings store(dir.filePath(QStringLiteral("s.conf")), QSettings::IniFormat);
        for (const QString& pair : c.stored)
            store.setValue(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
        FakeControls controls;
        controls.charset = 3;
        tw::loadSavedSettings(store, controls);
        const int expectedCharset = c.stored.isEmpty() ? 3 : c.charset;
        EXPECT_EQ(controls.charset, expectedCharset) << c.name;
        EXPECT_EQ(controls.mode, c.mode) << c.name;
        EXPECT_EQ(controls.windows, c.windows) << c.name;
        EXPECT_EQ(controls.upper, c.upper) << c.name;
        EXPECT_EQ(controls.server, c.server) << c.name;
    }
}

TEST(SavedSettings, SavedValuesReadBackAsStringsInAnOwnerOnlyFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("new/Tablewright.conf"));
    FakeControls written;
    written.server = QStringLiteral("db1,1433");
    written.login = QStringLiteral("sa");
    written.password = QStringLiteral("p=w;d");
    written.windows = false;
    written.service = QStringLiteral("ORCL");
    written.user = QStringLiteral("scott");
    written.oraPassword = QStringLiteral("tiger");
    written.mode = -1;
    written.charset = 4;
    written.upper = false;
    written.blob = true;
    written.keepGood = true;
    written.atOnce = 4;
    written.fullDefs = true;
    {
        QSettings store(path, QSettings::IniFormat);
        tw::saveSavedSettings(store, written);
    }
    EXPECT_TRUE(isOwnerOnly(path));

    const QSettings store(path, QSettings::IniFormat);
    EXPECT_EQ(store.allKeys().size(), 17);
    EXPECT_EQ(store.value(QStringLiteral("Windows Authentication")).toString(), QStringLiteral("0"));
    EXPECT_EQ(store.value(QStringLiteral("processtable")).toString(), QStringLiteral("-1"));
    EXPECT_EQ(store.value(QStringLiteral("Character Set")).toString(), QStringLiteral("4"));
    FakeControls read;
    tw::loadSavedSettings(store, read);
    EXPECT_EQ(std::tie(read.server, read.login, read.password, read.service, read.user, read.oraPassword),
              std::tie(written.server, written.login, written.password, written.service, written.user,
                       written.oraPassword));
    EXPECT_EQ(std::tie(read.windows, read.mode, read.charset, read.upper, read.blob, read.defsOnly, read.skipIdx,
                       read.keepGood, read.fullDefs, read.script, read.atOnce),
              std::tie(written.windows, written.mode, written.charset, written.upper, written.blob, written.defsOnly,
                       written.skipIdx, written.keepGood, written.fullDefs, written.script, written.atOnce));

    // A file edited by hand, with an unquoted comma in a value.
    QFile edited(dir.filePath(QStringLiteral("edited.conf")));
    ASSERT_TRUE(edited.open(QIODevice::WriteOnly));
    edited.write("[General]\nmssqlserver=db1,1433\n");
    edited.close();
    tw::loadSavedSettings(QSettings(edited.fileName(), QSettings::IniFormat), read);
    EXPECT_EQ(read.server, QStringLiteral("db1,1433"));
}

TEST(JobSettingsFile, LinesAndLookup)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        QString key, value;
    };
    const Case cases[] = {
        {"capitalised key", "MSSQLSERVER=db1\r\n", QStringLiteral("mssqlserver"), QStringLiteral("db1")},
        {"blank before =", "mssqlserver =db1\r\n", QStringLiteral("mssqlserver"), QString()},
        {"value keeps blanks and =", "oraclep= a=b= \r\n", QStringLiteral("oraclep"), QStringLiteral(" a=b= ")},
        {"first of two lines", "oracleu=a\noracleu=b\n", QStringLiteral("oracleu"), QStringLiteral("a")},
        {"line without =", "oracleu\roracleu=x", QStringLiteral("oracleu"), QStringLiteral("x")},
        {"lone CR ends a line", "a=1\rb=2\r", QStringLiteral("b"), QStringLiteral("2")},
        {"UTF-8 mark", "\xEF\xBB\xBFmssqlserver=\xE8\xAE\xA2\r\n", QStringLiteral("mssqlserver"), QStringLiteral("订")},
        {"UTF-16 LE mark", QByteArray("\xFF\xFE" "a\0=\0\xA2\x8B" "a\0", 10), QStringLiteral("a"), QStringLiteral("订a")},
        {"UTF-16 BE mark", QByteArray("\xFE\xFF\0a\0=\x8B\xA2", 8), QStringLiteral("A"), QStringLiteral("订")},
        {"missing key", "x=1", QStringLiteral("y"), QString()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(jobOf(c.bytes).value(c.key), c.value) << c.name;
    EXPECT_EQ(jobOf("a=1\r\n\r\nb\n").lines(), (QStringList{QStringLiteral("a=1"), QString(), QStringLiteral("b")}));
}

TEST(JobSettingsFile, ApplyFollowsTheReaderRules)
{
    struct Case {
        const char* name;
        QByteArray text;
        bool windows, upper, throws;
        int mode;
        QString server;
    };
    const Case cases[] = {
        {"missing nameuppercase clears it", "processtable=1\nmssqlserver=db\nmssqlAuthentication=Windows", true, false,
         false, 1, QStringLiteral("db")},
        {"windows in lower case", "processtable=0\nmssqlAuthentication=windows\nnameuppercase=1", false, true, false,
         0, QString()},
        {"processtable 7", "processtable=7\nnameuppercase=1", false, true, false, 2, QString()},
        {"processtable -4", "processtable=-4", false, false, false, -1, QString()},
        {"processtable not a number stops before the switches", "processtable=x\nmssqlserver=db", false, true, true,
         5, QStringLiteral("db")},
        {"missing processtable", "nameuppercase=0", false, true, true, 5, QString()},
    };
    for (const Case& c : cases) {
        FakeControls controls;
        controls.server = QStringLiteral("saved");
        controls.mode = 5;
        bool threw = false;
        try {
            tw::ApplyJobSettings(jobOf(c.text), controls);
        } catch (const tw::Failure&) {
            threw = true;
        }
        EXPECT_EQ(threw, c.throws) << c.name;
        EXPECT_EQ(controls.windows, c.windows) << c.name;
        EXPECT_EQ(controls.upper, c.upper) << c.name;
        EXPECT_EQ(controls.mode, c.mode) << c.name;
        EXPECT_EQ(controls.server, c.server) << c.name;
        EXPECT_EQ(controls.databases, QStringList{QString()}) << c.name;
    }
}

TEST(JobSettingsFile, TablesAtOnceFromOneToEight)
{
    const struct {
        QByteArray line;
        int tables;  // 0: refused
    } cases[] = {{"", 1}, {"paralleltables=", 1}, {"paralleltables=3", 3}, {"paralleltables= 8 ", 8},
                 {"paralleltables=0", 0}, {"paralleltables=9", 0}, {"paralleltables=two", 0}, {"paralleltables=2.5", 0}};
    for (const auto& c : cases) {
        FakeControls controls;
        QString message;
        try {
            tw::ApplyJobSettings(jobOf("processtable=1\n" + c.line), controls);
        } catch (const tw::Failure& failure) {
            message = failure.message();
        }
        if (c.tables > 0) {
            EXPECT_EQ(controls.atOnce, c.tables) << c.line.constData();
            EXPECT_EQ(message, QString()) << c.line.constData();
        } else {
            const QString value = QString::fromUtf8(c.line.mid(c.line.indexOf('=') + 1));
            EXPECT_EQ(message, QStringLiteral("The job's paralleltables value '%1' is not a number of tables from 1 to 8")
                                   .arg(value))
                << c.line.constData();
        }
    }
    // A saved value out of range is brought into it; a broken one is 1.
    EXPECT_EQ(tw::tablesAtOnceSetting(QStringLiteral("12")), 8);
    EXPECT_EQ(tw::tablesAtOnceSetting(QStringLiteral("x")), 1);
}

TEST(JobSettingsFile, SelectsTheJobTablesAndNamesThoseNotFound)
{
    struct Case {
        const char* name;
        QByteArray text;
        QStringList selected;
        QStringList notFound;
        bool selectsNoTable;
    };
    const QStringList available{QStringLiteral("orders"), QStringLiteral("Customers"), QStringLiteral("Items"),
                                QStringLiteral("dbo.Notes"), QStringLiteral("Sales.Notes")};
    const Case cases[] = {
        {"all tables wins over table lines", "alltables=1\ntables1=Nope", available, {}, false},
        {"lines in file order, numbers unread", "alltables=0\ntables3=Items\ntables1= Customers\t", {"Items", "Customers"}, {}, false},
        {"letter case of names is exact", "tables1=Orders\ntables2=orders", {"orders"}, {"Orders"}, false},
        {"a table named twice moves once", "tables1=Items\ntables2=Items\ntables3=X\ntables4=X", {"Items"}, {"X"}, false},
        {"entries of a name in several schemas", "tables1=Sales.Notes\ntables2=Notes", {"Sales.Notes"}, {"Notes"}, false},
        {"line name case is exact, no = takes the line", "Tables1=Items\ntablesItems", {}, {"tablesItems"}, false},
        {"no table lines select nothing", "alltables=yes\ntables1= ", {}, {}, true},
    };
    for (const Case& c : cases) {
        FakeControls controls;
        controls.available = available;
        const tw::JobTableChoice choice = tw::SelectJobTables(jobOf(c.text), controls);
        EXPECT_EQ(controls.selected, c.selected) << c.name;
        EXPECT_EQ(choice.notFound, c.notFound) << c.name;
        EXPECT_EQ(choice.selectsNoTable, c.selectsNoTable) << c.name;
    }
}

TEST(JobSettingsFile, WriterLinesReadBackKeyByKey)
{
    tw::JobDefinition job;
    job.server = QStringLiteral("db1");
    job.database = QStringLiteral("Shop");
    job.loginName = QStringLiteral("sa");
    job.password = QStringLiteral("a=b");
    job.windowsAuthentication = false;
    job.oracleService = QStringLiteral("ORCL");
    job.oracleUser = QStringLiteral("scott");
    job.oraclePassword = QStringLiteral("tiger");
    job.processTable = 2;
    job.keepGoodRows = true;
    job.writeScript = true;
    job.tablesAtOnce = 3;
    job.tables = {QStringLiteral("Orders"), QStringLiteral("Items")};
    EXPECT_EQ(tw::jobFileLines(job).size(), 18);

    job.tableChoice = 0;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("nightly.twjobs"));
    tw::WriteJobFile(path, job);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "mssqlserver=db1\r\nmsdatabase=Shop\r\nmssqlloginname=sa\r\nmssqlpassword=a=b\r\n"
                              "mssqlAuthentication=SQLSERVER\r\noracleh=ORCL\r\noracleu=scott\r\noraclep=tiger\r\n"
                              "processtable=2\r\ntabledefonly=0\r\nskipindex=0\r\nnameuppercase=1\r\nblobtotext=0\r\n"
                              "keepgoodrows=1\r\nfulldefinitions=0\r\nwritescript=1\r\nparalleltables=3\r\n"
                              "alltables=0\r\ntables1=Orders\r\ntables2=Items\r\n");
    EXPECT_TRUE(isOwnerOnly(path));

    tw::JobSettingsList read;
    read.load(path);
    FakeControls controls;
    controls.available = {QStringLiteral("Items"), QStringLiteral("Orders")};
    tw::ApplyJobSettings(read, controls);
    tw::SelectJobTables(read, controls);
    EXPECT_EQ(std::tie(controls.server, controls.login, controls.password, controls.service, controls.user,
                       controls.oraPassword),
              std::tie(job.server, job.loginName, job.password, job.oracleService, job.oracleUser, job.oraclePassword));
    EXPECT_EQ(controls.databases, QStringList{job.database});
    EXPECT_EQ(std::tie(controls.windows, controls.mode, controls.upper, controls.keepGood, controls.fullDefs,
                       controls.script, controls.atOnce),
              std::tie(job.windowsAuthentication, job.processTable, job.nameUppercase, job.keepGoodRows,
                       job.fullDefinitions, job.writeScript, job.tablesAtOnce));
    EXPECT_EQ(controls.selected, job.tables);
}

TEST(WizardSettings, NoExistingTableOptionIsShownAndSavedAtExit)
{
    peers::ModelSqlServer sqlServer;
    peers::ModelOracle oracle;
    const auto makeWizard = [&] {
        return std::make_unique<Taaform1>(std::make_unique<peers::ModelSourceConnection>(sqlServer),
                                          std::make_unique<peers::ModelTargetConnection>(oracle), QStringList());
    };
    const auto chosen = [](Ui::Taaform1& ui) {
        return QVector<bool>{ui.processtable0->isChecked(), ui.processtable1->isChecked(), ui.processtable2->isChecked()};
    };
    auto wizard = makeWizard();
    Ui::Taaform1& ui = wizard->controls();
    WizardSettingsControls controls(ui);
    EXPECT_EQ(chosen(ui), (QVector<bool>{true, false, false}));  // first run: the design-time state
    EXPECT_TRUE(ui.chkuppercase->isChecked());
    controls.setProcessTable(-1);
    EXPECT_EQ(chosen(ui), (QVector<bool>{false, false, false}));
    ui.processtable1->click();
    ui.processtable2->click();
    EXPECT_EQ(chosen(ui), (QVector<bool>{false, false, true}));
    controls.setProcessTable(-1);
    wizard.reset();

    const QSettings saved(QStringLiteral("Quillmoor"), QStringLiteral("Tablewright"));
    EXPECT_EQ(saved.allKeys().size(), 17);
    EXPECT_EQ(saved.value(QStringLiteral("processtable")).toString(), QStringLiteral("-1"));
    EXPECT_EQ(saved.value(QStringLiteral("paralleltables")).toString(), QStringLiteral("1"));
    wizard = makeWizard();
    EXPECT_EQ(chosen(wizard->controls()), (QVector<bool>{false, false, false}));
}

} // namespace
