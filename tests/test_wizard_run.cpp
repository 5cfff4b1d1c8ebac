// The wizard driving a conversion against the model servers: the walk
// through the pages, the running state of the buttons, Stop and the close
// box, column problems, and the log memo following the run.

#include "app/LogMemo.h"
#include "app/RunProgressView.h"
#include "support/WizardOnModels.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QProgressBar>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace {

struct WizardRun : WizardOnModels {
    void SetUp() override
    {
        auto& shop = sqlServer.database(QStringLiteral("Shop"));
        for (const char* name : {"Orders", "Customers"}) {
            auto& table = shop.table(QLatin1String(name)).column(QStringLiteral("Id"), QStringLiteral("int"));
            for (int i = 1; i <= 1000; ++i)
                table.row({i});
        }
        openWizard();
    }

    // The newest interactive log file.
    static QByteArray savedLog()
    {
        const QDir folder(tw::Tcc::GetAppDataFolder());
        const QStringList saved = folder.entryList({QStringLiteral("twjobs_*.log")}, QDir::Files, QDir::Time);
        QFile file(folder.filePath(saved.value(0)));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Walks pages 1 to 5 and selects every table.
    void walkToTableSelection()
    {
        WizardOnModels::walkToTableSelection();
        EXPECT_FALSE(ui().btnext->isEnabled());
        ui().Buttonaddall->click();
        EXPECT_TRUE(ui().btnext->isEnabled());
    }
};

TEST_F(WizardRun, WalksThePagesAndConvertsTheSelectedTables)
{
    walkToTableSelection();
    EXPECT_EQ(ui().selecttables->item(0)->text(), QStringLiteral("Customers"));

    bool sawRunningState = false;
    QStringList progressShown;
    QTimer::singleShot(0, [&] {
        sawRunningState = !ui().btback->isEnabled() && !ui().btnext->isEnabled()
            && ui().btcancel->text() == QStringLiteral("Stop") && ui().pg->currentIndex() == 5;
        progressShown = QStringList{ui().tableprogress->text(), ui().runprogress->text(),
                                    ui().progressrate->text().section(QLatin1Char(' '), 0, 0)};
        progressShown.append(ui().summarygrid->isHidden() ? QStringLiteral("no summary") : QStringLiteral("summary"));
    });
    wizard->btnextClick();

    EXPECT_TRUE(sawRunningState);
    // At the first report of the copy, then the summary in the progress
    // display's place once the run is done.
    EXPECT_EQ(progressShown, (QStringList{QStringLiteral("100 of %1 rows").arg(QLocale().toString(1000)),
                                          QStringLiteral("0 of 2 tables"), QStringLiteral("CUSTOMERS"),
                                          QStringLiteral("no summary")}));
    EXPECT_TRUE(ui().progresspanel->isHidden());
    ASSERT_EQ(ui().summarygrid->rowCount(), 2);
    QStringList firstRow{ui().summarygrid->horizontalHeaderItem(0)->text()};
    for (int column = 0; column < 6; ++column)
        firstRow.append(ui().summarygrid->item(0, column)->text());
    EXPECT_EQ(firstRow, (QStringList{"Source", "CUSTOMERS", "CUSTOMERS", "created", "1000", "1000", "0"}));
    EXPECT_EQ(wizard->currentPage(), 6);
    EXPECT_EQ(ui().btnext->text(), QStringLiteral("Finish"));
    EXPECT_FALSE(ui().btcancel->isEnabled());
    EXPECT_EQ(oracle.rows(QStringLiteral("SCOTT"), QStringLiteral("ORDERS")).size(), 1000);
    EXPECT_EQ(wizard->runLog().lines().last(), QStringLiteral("Click 'Finish' to exit the wizard."));
    EXPECT_TRUE(ui().sc->toPlainText().contains(QStringLiteral("Insert table CUSTOMERS 1000 Rows ...Done")));
}

// Entries of a name that two schemas hold keep their table through the
// moves and the sorting of the lists, and each becomes a table of its own.
// With several tables at once the panel grows a bar for each table at
// work above the run bar, and the log above gives it the room.
TEST_F(WizardRun, ProgressShowsABarPerTableAtWork)
{
    openWizard();
    RunProgressView view(ui());
    const int panelBottom = ui().progresspanel->geometry().bottom();
    view.startRun(6);
    for (int i = 0; i < 3; ++i)
        view.startTable(i, QStringLiteral("T%1").arg(i + 1));
    view.rowsCopied(1, 50, 200);
    view.refresh();
    const auto shown = [this] {
        QStringList texts;
        QList<QProgressBar*> bars = ui().progresspanel->findChildren<QProgressBar*>();
        std::sort(bars.begin(), bars.end(), [](QProgressBar* a, QProgressBar* b) { return a->y() < b->y(); });
        for (QProgressBar* bar : bars) {
            if (bar->isVisibleTo(ui().progresspanel))
                texts.append(bar->text());
        }
        return texts;
    };
    EXPECT_EQ(shown(), (QStringList{"T1: 0 of ? rows", "T2: 50 of 200 rows", "T3: 0 of ? rows", "0 of 6 tables"}));
    EXPECT_EQ(ui().progresspanel->geometry().bottom(), panelBottom);
    EXPECT_LT(ui().sc->geometry().bottom(), ui().progresspanel->y());

    view.finishTable(0);
    EXPECT_EQ(shown(), (QStringList{"T2: 50 of 200 rows", "T3: 0 of ? rows", "1 of 6 tables"}));
    view.finishTable(1);
    view.finishTable(2);
    // One table at a time again: the panel as the form made it.
    view.startTable(3, QStringLiteral("T4"));
    EXPECT_EQ(shown(), (QStringList{"0 of ? rows", "3 of 6 tables"}));
    EXPECT_EQ(ui().progresspanel->height(), 88);

    // Rows copied show when the display is refreshed, and the last of a
    // table's rows when it finishes: its bar ends full.
    view.rowsCopied(3, 300, 400);
    EXPECT_EQ(shown(), (QStringList{"0 of ? rows", "3 of 6 tables"}));
    view.rowsCopied(3, 400, 400);
    view.finishTable(3);
    EXPECT_EQ(shown(), (QStringList{"400 of 400 rows", "4 of 6 tables"}));
    EXPECT_EQ(ui().tableprogress->value(), tw::RunProgress::kBarMaximum);
}

// The memo shows the log as it is once the window has been served, or once
// asked to catch up, whatever changed in between; until then it stays as
// it was. It keeps no history of its edits.
TEST(LogMemoShown, FollowsEveryKindOfChange)
{
    const std::vector<std::pair<const char*, std::function<void(tw::RunLog&)>>> changes{
        {"lines appended", [](tw::RunLog& log) { log.append(QStringLiteral("c\r\nd")); }},
        {"the last line rewritten again and again",
         [](tw::RunLog& log) {
             for (int rows = 100; rows <= 1000; rows += 100)
                 log.replaceLast(QStringLiteral("Insert table T %1 Rows ").arg(rows));
         }},
        {"the last line rewritten, then lines appended and extended",
         [](tw::RunLog& log) {
             log.replaceLast(QStringLiteral("Insert table T 5 Rows "));
             log.append(QStringLiteral("e"));
             log.appendToLast(QStringLiteral("...Done"));
         }},
        {"cleared and written anew",
         [](tw::RunLog& log) {
             log.clear();
             log.append(QStringLiteral("new"));
         }},
        {"cleared", [](tw::RunLog& log) { log.clear(); }},
    };
    for (const bool served : {true, false}) {
        for (const auto& [name, change] : changes) {
            QPlainTextEdit memo;
            tw::RunLog log;
            LogMemo shown(log, memo);
            log.append(QStringLiteral("a\r\nb"));
            shown.catchUp();
            change(log);
            EXPECT_EQ(memo.toPlainText(), QStringLiteral("a\nb")) << name;
            if (served)
                QCoreApplication::processEvents();
            else
                shown.catchUp();
            EXPECT_EQ(memo.toPlainText(), log.lines().join(QLatin1Char('\n'))) << name;
            // Nothing kept to undo: a long copy's edits cost no memory.
            EXPECT_EQ(memo.document()->availableUndoSteps(), 0) << name;
        }
    }
}

TEST_F(WizardRun, EntriesOfANameInTwoSchemasKeepTheirTable)
{
    sqlServer.database(QStringLiteral("Shop")).table(QStringLiteral("Orders"), QStringLiteral("Sales"))
        .column(QStringLiteral("Region"), QStringLiteral("int"))
        .row({7});
    WizardOnModels::walkToTableSelection();
    QStringList entries;
    for (int i = 0; i < ui().availabletables->count(); ++i)
        entries.append(ui().availabletables->item(i)->text());
    EXPECT_EQ(entries, (QStringList{"Customers", "dbo.Orders", "Sales.Orders"}));

    ui().Buttonaddall->click();
    ui().Button4->click();
    ui().availabletables->findItems(QStringLiteral("Sales.Orders"), Qt::MatchExactly).first()->setSelected(true);
    ui().Buttonadd->click();
    wizard->btnextClick();

    EXPECT_EQ(oracle.rows(QStringLiteral("SCOTT"), QStringLiteral("SALES_ORDERS")),
              (QVector<QVector<tw::SqlValue>>{{tw::SqlValue(7)}}));
    EXPECT_EQ(oracle.tables(QStringLiteral("SCOTT")), QStringList{QStringLiteral("SALES_ORDERS")});
    EXPECT_TRUE(ui().sc->toPlainText().contains(QStringLiteral("Insert table SALES.ORDERS 1 Rows ...Done")));
}

TEST_F(WizardRun, StopDuringTheFirstTableEndsTheRunBeforeTheNext)
{
    walkToTableSelection();
    // Stop at the first yield of the copy and confirm it.
    QTimer::singleShot(0, [&] {
        answerNextMessageBox(QMessageBox::Yes);
        ui().btcancel->click();
    });
    wizard->btnextClick();

    EXPECT_EQ(wizard->currentPage(), 5);
    EXPECT_EQ(ui().pg->currentIndex(), 5);
    EXPECT_TRUE(ui().btback->isEnabled());
    EXPECT_FALSE(ui().btnext->isEnabled());
    EXPECT_EQ(ui().btcancel->text(), QStringLiteral("Close"));
    EXPECT_FALSE(wizard->stopFlag());
    const QStringList lines = wizard->runLog().lines();
    ASSERT_GE(lines.size(), 7);
    EXPECT_EQ(lines.mid(lines.size() - 7, 6),
              (QStringList{QStringLiteral("Insert table CUSTOMERS 100 Rows "), QStringLiteral("Operation aborted"),
                           QString(), QStringLiteral("Tables not reached: Orders"), QString(),
                           QStringLiteral("The conversion was stopped by the user.")}));
    EXPECT_TRUE(lines.last().startsWith(QStringLiteral("The end time:")));
    EXPECT_TRUE(savedLog().endsWith((lines.last() + QStringLiteral("\r\n")).toLocal8Bit()));
    EXPECT_FALSE(oracle.tables(QStringLiteral("SCOTT")).contains(QStringLiteral("ORDERS")));
    // The summary of a stopped run says so too.
    EXPECT_EQ((QStringList{ui().summarygrid->item(0, 2)->text(), ui().summarygrid->item(1, 2)->text()}),
              (QStringList{"stopped", "not reached"}));

    // Back returns to the settings page with both lists emptied.
    wizard->btbackClick();
    EXPECT_EQ(wizard->currentPage(), 4);
    EXPECT_EQ(ui().availabletables->count() + ui().selecttables->count(), 0);

    // The cancel button asks before closing again.
    QString question;
    answerNextMessageBox(QMessageBox::No, &question);
    ui().btcancel->click();
    EXPECT_EQ(question, QStringLiteral("Close this Wizard ?"));
    EXPECT_EQ(wizard->currentPage(), 4);
}

TEST_F(WizardRun, StopDuringTheLastTableStillLetsTheWizardGoOn)
{
    walkToTableSelection();
    ui().selecttables->takeItem(0);  // only Orders is left
    QTimer::singleShot(0, [&] {
        answerNextMessageBox(QMessageBox::Yes);
        ui().btcancel->click();
    });
    wizard->btnextClick();

    // The run ended as stopped, with its log saved; the wizard stays on page 5.
    EXPECT_EQ(wizard->currentPage(), 5);
    const QStringList lines = wizard->runLog().lines();
    EXPECT_TRUE(lines.contains(QStringLiteral("Operation aborted")));
    EXPECT_FALSE(lines.join(QLatin1Char('\n')).contains(QStringLiteral("Tables not reached")));
    EXPECT_EQ(lines.value(lines.size() - 2), QStringLiteral("The conversion was stopped by the user."));
    EXPECT_EQ(ui().summarygrid->item(0, 2)->text(), QStringLiteral("stopped"));

    wizard->btbackClick();
    wizard->btnextClick();
    EXPECT_EQ(wizard->currentPage(), 5);
    EXPECT_EQ(ui().availabletables->count(), 2);
}

TEST_F(WizardRun, FailureThatEndsTheRunSavesTheLogThenShowsTheBoxWithTheButtonsFreed)
{
    walkToTableSelection();
    // The source goes away during the first table; the second table's first
    // catalogue query fails outside any table step.
    QTimer::singleShot(0, [&] { source->close(); });
    QString message;
    answerNextMessageBox(QMessageBox::Ok, &message);
    wizard->btnextClick();

    EXPECT_EQ(message, QStringLiteral("Operation is not allowed when the object is closed."));
    EXPECT_EQ(wizard->currentPage(), 5);
    EXPECT_TRUE(ui().btback->isEnabled());
    EXPECT_FALSE(ui().btnext->isEnabled());
    EXPECT_EQ(ui().btcancel->text(), QStringLiteral("Close"));
    const QStringList lines = wizard->runLog().lines();
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines.mid(lines.size() - 3, 2), (QStringList{message, QString()}));
    EXPECT_TRUE(lines.last().startsWith(QStringLiteral("The end time:")));
    EXPECT_TRUE(savedLog().endsWith((lines.last() + QStringLiteral("\r\n")).toLocal8Bit()));
}

TEST_F(WizardRun, CloseBoxDuringARunAsksTheStopQuestion)
{
    const struct {
        QMessageBox::StandardButton answer;
        bool stays;  // open, the run finished
    } cases[] = {{QMessageBox::No, true}, {QMessageBox::Yes, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stays ? "No" : "Yes");
        openWizard();
        walkToTableSelection();
        wizard->show();
        QString question;
        bool closedAtOnce = true;
        // The close box, pressed while the first table is copied: the
        // window's close request takes the window system's way.
        QTimer::singleShot(0, [&] {
            answerNextMessageBox(c.answer, &question);
            closedAtOnce = wizard->windowHandle()->close();
        });
        wizard->btnextClick();

        EXPECT_EQ(question, QStringLiteral("Stop"));
        EXPECT_FALSE(closedAtOnce);
        EXPECT_EQ(wizard->isVisible(), c.stays);
        const QStringList lines = wizard->runLog().lines();
        if (c.stays) {
            EXPECT_EQ(wizard->currentPage(), 6);
            EXPECT_EQ(lines.last(), QStringLiteral("Click 'Finish' to exit the wizard."));
            EXPECT_EQ(oracle.rows(QStringLiteral("SCOTT"), QStringLiteral("ORDERS")).size(), 1000);
        } else {
            // Stopped as by the Stop button, with the log saved, then closed.
            EXPECT_TRUE(lines.contains(QStringLiteral("Operation aborted")));
            const QByteArray saved = savedLog();
            EXPECT_TRUE(saved.contains("Tables not reached: Orders\r\n")) << saved.constData();
            EXPECT_TRUE(saved.endsWith((lines.last() + QStringLiteral("\r\n")).toLocal8Bit()));
        }
    }
}

TEST_F(WizardRun, ColumnProblemIsShownAndLoggedWithoutHoldingTheCopy)
{
    auto& photos = sqlServer.database(QStringLiteral("Shop")).table(QStringLiteral("Photos"));
    photos.column(QStringLiteral("Id"), QStringLiteral("int")).column(QStringLiteral("Photo"), QStringLiteral("varbinary(10)"));
    for (int i = 1; i <= 300; ++i)
        photos.row({i, QByteArray("\x01\x02")});
    // Merged into a table whose column cannot take the bytes.
    oracle.logon(QStringLiteral("scott"), QStringLiteral("tiger"), QStringLiteral("ORCL"))
        .execute(QStringLiteral("Create table \"PHOTOS\" (\"ID\" NUMBER(10,0), \"PHOTO\" NUMBER)"));
    WizardOnModels::walkToTableSelection();
    ui().processtable1->click();
    ui().availabletables->findItems(QStringLiteral("Photos"), Qt::MatchExactly).first()->setSelected(true);
    ui().Buttonadd->click();
    QString shown;
    QTimer::singleShot(0, [&] { shown = ui().columnproblem->toolTip(); });
    wizard->btnextClick();

    // No box waited for a click: the run reached its end by itself.
    EXPECT_EQ(wizard->currentPage(), 6);
    EXPECT_EQ(oracle.rows(QStringLiteral("SCOTT"), QStringLiteral("PHOTOS")).size(), 300);
    const QStringList lines = wizard->runLog().lines();
    const int line = int(lines.indexOf(QRegularExpression(QStringLiteral("^PHOTOS -----  Photo: .+"))));
    ASSERT_GE(line, 0) << qPrintable(lines.join(QLatin1Char('\n')));
    EXPECT_EQ(shown, QStringLiteral("Column problem (also in the log): ") + lines[line]);
}

TEST_F(WizardRun, LogFollowsItsLastLineUnlessScrolledUp)
{
    for (int i = 0; i < 6; ++i)
        sqlServer.database(QStringLiteral("Shop")).table(QStringLiteral("T%1").arg(i)).column(QStringLiteral("Id"), QStringLiteral("int"));
    walkToTableSelection();
    wizard->show();
    QPlainTextEdit& memo = *ui().sc;
    const auto lastLineVisible = [&] {
        QTextCursor end(memo.document());
        end.movePosition(QTextCursor::End);
        return memo.viewport()->rect().contains(memo.cursorRect(end));
    };
    // After each table's block, and after the closing lines.
    QStringList hidden;
    int tables = 0;
    QObject::connect(&wizard->runLog(), &tw::RunLog::changed, wizard.get(), [&] {
        const QString last = wizard->runLog().lines().last();
        if (last.endsWith(QStringLiteral("...Done")) && last.startsWith(QStringLiteral("Insert table"))) {
            ++tables;
            // The memo takes the change when the window is next served.
            QCoreApplication::processEvents();
            if (!lastLineVisible())
                hidden << last;
        }
    });
    wizard->btnextClick();
    EXPECT_EQ(tables, 8);
    EXPECT_EQ(hidden, QStringList());
    ASSERT_GT(memo.verticalScrollBar()->maximum(), 0);
    EXPECT_TRUE(lastLineVisible());

    // Scrolled up, the memo stays where the user put it; back at the end,
    // it follows again.
    memo.verticalScrollBar()->setValue(0);
    wizard->runLog().append(QStringLiteral("one more"));
    QCoreApplication::processEvents();
    EXPECT_EQ(memo.verticalScrollBar()->value(), 0);
    memo.verticalScrollBar()->setValue(memo.verticalScrollBar()->maximum());
    wizard->runLog().append(QStringLiteral("and another"));
    QCoreApplication::processEvents();
    EXPECT_TRUE(memo.toPlainText().endsWith(QStringLiteral("one more\nand another")));
    EXPECT_TRUE(lastLineVisible());
}

TEST_F(WizardRun, FailedLogonShowsTheErrorBoxAndStays)
{
    wizard->btnextClick();
    ui().mssqlservedit->setText(QStringLiteral("localhost"));
    wizard->btnextClick();
    fillTargetPage(QStringLiteral("wrong"));
    QString message;
    answerNextMessageBox(QMessageBox::Ok, &message);
    wizard->btnextClick();
    EXPECT_EQ(message, QStringLiteral("ORA-01017: invalid username/password; logon denied."));
    EXPECT_EQ(wizard->currentPage(), 3);
}

} // namespace
