// The wizard window itself, offscreen on the model servers: both caption
// tables, the window frame and the fit of every caption (the shortcut
// builder's and the run summary's too), help, the buttons of the first and
// last pages, the connection pages and the table lists.

#include "app/HelpPage.h"
#include "app/InterfaceLanguage.h"
#include "app/WindowFrame.h"
#include "support/WizardOnModels.h"
#include "ui_Tmarfrm_bat.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QFontDatabase>
#include <QHeaderView>
#include <QGroupBox>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <functional>
#include <optional>

namespace {

// Takes the addresses that the wizard hands to the desktop's opener, so that
// no browser starts.
class OpenedUrls : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

// The caption of a label, check box or group box; none for other controls.
// A check box caption broken into lines reads as one line.
std::optional<QString> captionOf(const QWidget* control)
{
    if (auto* label = qobject_cast<const QLabel*>(control))
        return label->text();
    if (auto* box = qobject_cast<const QGroupBox*>(control))
        return box->title();
    if (auto* check = qobject_cast<const QCheckBox*>(control))
        return check->text().replace(QLatin1Char('\n'), QLatin1Char(' '));
    return std::nullopt;
}

// Whether a control's caption shows whole: a wrapping label within its
// height, any other caption (without its accelerator sign) within its width,
// and a caption of several lines (a check box's broken caption) within its
// height too.
bool captionFits(const QWidget* control)
{
    auto* label = qobject_cast<const QLabel*>(control);
    if (label && label->wordWrap())
        return label->heightForWidth(label->width()) <= label->height();
    const QStyle* style = control->style();
    int chrome = 0;
    QString caption = label ? label->text() : QString();
    if (auto* button = qobject_cast<const QAbstractButton*>(control)) {
        caption = button->text();
        chrome = qobject_cast<const QPushButton*>(control)
                     ? 2 * style->pixelMetric(QStyle::PM_ButtonMargin)
                     : style->pixelMetric(QStyle::PM_IndicatorWidth) + style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
    } else if (auto* box = qobject_cast<const QGroupBox*>(control)) {
        caption = box->title();
        chrome = 16;
    }
    caption.remove(QLatin1Char('&'));
    if (caption.contains(QLatin1Char('\n'))) {
        const QSize lines = control->fontMetrics().size(0, caption);
        return lines.width() + chrome <= control->width() && lines.height() <= control->height();
    }
    return control->fontMetrics().horizontalAdvance(caption) + chrome <= control->width();
}

QStringList texts(const QListWidget* list)
{
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names << list->item(i)->text();
    return names;
}

struct WizardPages : WizardOnModels {
    OpenedUrls opened;

    void SetUp() override
    {
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &opened, "open");
        sqlServer.addLogin(QStringLiteral("sa"), QStringLiteral("secret"));
        auto& shop = sqlServer.database(QStringLiteral("Shop"));
        for (const char* name : {"Orders", "Zeta", "beta", "Alpha", "Customers"})
            shop.table(QLatin1String(name)).column(QStringLiteral("Id"), QStringLiteral("int")).row({1});
        openWizard();
    }
    void TearDown() override
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        WizardOnModels::TearDown();
    }

    // Whether "< Back", "Next >", Close and Help are enabled, and Next's caption.
    QString buttonStates()
    {
        return QStringLiteral("%1 %2 %3 %4 %5")
            .arg(ui().btback->isEnabled())
            .arg(ui().btnext->isEnabled())
            .arg(ui().btcancel->isEnabled())
            .arg(ui().bthelp->isEnabled())
            .arg(ui().btnext->text());
    }
};

TEST_F(WizardPages, EachLanguageSetsEveryCaptionOfItsTable)
{
    struct Case {
        const char* code;
        const tw::CaptionTable& table;
        QStringList buttons;  // Buttonadd, Buttonaddall, Button3, Button4, bthelp, btcreatebat
        const char* closeQuestion;
        const char* helpPage;
    };
    const Case cases[] = {
        {"en", tw::englishCaptions(), {"Add >", "Add all >", "< Remove", "< Remove all", "Help", "Create Shortcut File"},
         "Close this Wizard ?", "help/en/index.html"},
        {"cn", tw::chineseCaptions(), {"添加>", "添加全部>", "<去除", "<去除全部", "帮助", "创建快捷方式"},
         "退出向导 ?", "help/cn/index.html"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        // English is what start-up applied.
        if (QLatin1String(c.code) != QLatin1String("en"))
            wizard->applyLanguage(QLatin1String(c.code));
        QStringList unmatched;
        for (const tw::CaptionTable::Row& row : c.table.rows()) {
            if (const QWidget* control = wizard->findChild<QWidget*>(row.name))
                EXPECT_EQ(captionOf(control), row.value) << row.name.toStdString();
            else
                unmatched << row.name;
        }
        EXPECT_EQ(unmatched, QStringList({"Label12", "Label13", "Label15", "Label14", "edtport111", "Label16",
                                          "Label17", "accessmode", "authorization", "GroupBox1", "GroupBox2"}));
        // A control without a row (msGroupBox3) shows no caption.
        for (const QWidget* control : wizard->findChildren<QWidget*>()) {
            if (captionOf(control) && c.table.value(control->objectName()).isNull()) {
                EXPECT_EQ(captionOf(control), QString()) << control->objectName().toStdString();
            }
        }
        EXPECT_EQ(QStringList({ui().Buttonadd->text(), ui().Buttonaddall->text(), ui().Button3->text(),
                               ui().Button4->text(), ui().bthelp->text(), ui().btcreatebat->text()}),
                  c.buttons);
        // The texts used as data follow the language.
        QString question;
        answerNextMessageBox(QMessageBox::No, &question);
        ui().btcancel->click();
        EXPECT_EQ(question, QString::fromUtf8(c.closeQuestion));
        ui().bthelp->click();
        EXPECT_EQ(opened.urls.value(opened.urls.size() - 1), tw::helpPageUrl(QLatin1String(c.helpPage)));
    }
}

TEST_F(WizardPages, StartUpAppliesEnglishThenTheLanguageTheEnvironmentNames)
{
    const struct {
        const char* variable;  // null: unset
        const char* language;
    } cases[] = {{nullptr, "en"}, {"cn", "cn"}, {"en", "en"}, {"CN", "en"}, {"fr", "en"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.variable ? c.variable : "unset");
        if (c.variable)
            qputenv("TABLEWRIGHT_LANG", c.variable);
        else
            qunsetenv("TABLEWRIGHT_LANG");
        openWizard();
        EXPECT_EQ(wizard->language(), QLatin1String(c.language));
        const tw::CaptionTable& table = wizard->language() == "cn" ? tw::chineseCaptions() : tw::englishCaptions();
        EXPECT_EQ(ui().Label2->text(), table.value("Label2"));
    }
    qunsetenv("TABLEWRIGHT_LANG");
}

TEST_F(WizardPages, WindowFrameIsFixedCentredAndEveryCaptionFits)
{
    EXPECT_EQ(wizard->minimumSize(), QSize(594, 425));
    EXPECT_EQ(wizard->maximumSize(), QSize(594, 425));
    const Qt::WindowFlags flags = wizard->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowSystemMenuHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint) || flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(wizard->frameGeometry().center(), QGuiApplication::primaryScreen()->availableGeometry().center());
    EXPECT_EQ(wizard->font().pointSize(), 8);
    EXPECT_EQ(ui().Image1->height(), 47);
    EXPECT_EQ(ui().Image1->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_FALSE(ui().Image1->icon().isNull());

#ifdef Q_OS_WIN
    // The captions are measured in the design font; where it is missing (the
    // offscreen platform under Wine has no Microsoft Sans Serif) another
    // font's widths would say nothing about them.
    const QString design = tw::designFont().family();
    if (!QFontDatabase::families().contains(design))
        GTEST_SKIP() << "the design font " << design.toStdString() << " is not installed";
#endif

    // Every step label is bold in its turn, so each must fit in bold.
    for (QLabel* step : {ui().Label1, ui().Label2, ui().Label3, ui().Label4, ui().Label5, ui().Label6}) {
        QFont bold = step->font();
        bold.setBold(true);
        step->setFont(bold);
    }
    for (const char* code : {"en", "cn"}) {
        SCOPED_TRACE(code);
        wizard->applyLanguage(QLatin1String(code));
        for (QWidget* page : {ui().TabSheet1, ui().TabSheet2, ui().TabSheet3, ui().TabSheet4, ui().TabSheet5,
                              ui().TabSheet6}) {
            ui().pg->setCurrentWidget(page);
            for (const QWidget* control : wizard->findChildren<QWidget*>()) {
                if (control->isVisibleTo(wizard.get())) {
                    EXPECT_TRUE(captionFits(control)) << control->objectName().toStdString();
                }
            }
        }
        // The shortcut builder keeps its English captions in both languages;
        // with the table list shown, each fits.
        Tmarfrm_bat builder;
        builder.controls().rgselecttable0->click();
        for (const QWidget* control : builder.findChildren<QWidget*>()) {
            if (control->isVisibleTo(&builder)) {
                EXPECT_TRUE(captionFits(control)) << control->objectName().toStdString();
            }
        }
        // The longest option of page 4 is among the controls measured above;
        // in English its caption takes two lines.
        EXPECT_TRUE(ui().chkkeepgoodrows->isVisibleTo(ui().TabSheet4));
        EXPECT_EQ(ui().chkkeepgoodrows->text().count(QLatin1Char('\n')), QLatin1String(code) == QLatin1String("en") ? 1 : 0);
        // An "&" is drawn as the accelerator (Qt does so for a label with a
        // buddy), never as the sign.
        for (const QLabel* label : wizard->findChildren<QLabel*>()) {
            if (label->text().contains(QLatin1Char('&'))) {
                EXPECT_NE(label->buddy(), nullptr) << label->objectName().toStdString();
            }
        }
    }
}

TEST_F(WizardPages, HelpWithoutAnOpenerShowsThePagesPath)
{
    // The offscreen desktop has no opener once the tests' own is gone.
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    for (const char* code : {"en", "cn"}) {
        SCOPED_TRACE(code);
        wizard->applyLanguage(QLatin1String(code));
        QString text;
        answerNextMessageBox(QMessageBox::Ok, &text);
        ui().bthelp->click();
        EXPECT_EQ(text, ui().helpnotopened->text() + QLatin1Char('\n')
                            + QDir::toNativeSeparators(tw::helpPageUrl(ui().helpurl->text()).toLocalFile()));
    }
}

TEST_F(WizardPages, SummaryGridFitsThePageInBothLanguages)
{
    const QString longName = QStringLiteral("Customer_Order_Line_Items_Archive_2024");
    sqlServer.database(QStringLiteral("Shop")).table(longName).column(QStringLiteral("Id"), QStringLiteral("int")).row({1});
    for (const char* code : {"en", "cn"}) {
        SCOPED_TRACE(code);
        openWizard();
        wizard->applyLanguage(QLatin1String(code));
        wizard->show();
        walkToTableSelection();
        ui().Buttonaddall->click();
        wizard->btnextClick();
        ASSERT_EQ(wizard->currentPage(), 6);
        QApplication::processEvents();

        const QTableWidget& grid = *ui().summarygrid;
        const QHeaderView& header = *grid.horizontalHeader();
        // Outcome, read, stored and refused in view without scrolling.
        for (int column = 2; column <= 5; ++column) {
            EXPECT_LE(header.sectionViewportPosition(column) + header.sectionSize(column), grid.viewport()->width())
                << column;
        }
        // Every heading whole in its column.
        const int margin = 2 * grid.style()->pixelMetric(QStyle::PM_HeaderMargin);
        for (int column = 0; column < grid.columnCount(); ++column) {
            const QString heading = grid.horizontalHeaderItem(column)->text();
            EXPECT_LE(header.fontMetrics().horizontalAdvance(heading) + margin, header.sectionSize(column))
                << heading.toStdString();
        }
        // A long name is cut in the middle, and whole in its tooltip.
        const int row = int(grid.findItems(longName.toUpper(), Qt::MatchExactly).value(0)->row());
        EXPECT_EQ(grid.item(row, 0)->toolTip(), longName.toUpper());
        EXPECT_EQ(grid.textElideMode(), Qt::ElideMiddle);
        EXPECT_LT(header.sectionSize(0), grid.fontMetrics().horizontalAdvance(longName.toUpper()));
    }
}

TEST_F(WizardPages, ButtonsOnTheFirstAndLastPagesAndHelpFromThePicture)
{
    EXPECT_EQ(buttonStates(), QStringLiteral("0 1 1 1 Next >"));
    ui().Image1->click();
    walkToTableSelection();
    ui().availabletables->item(0)->setSelected(true);
    ui().Buttonadd->click();
    wizard->btnextClick();
    ASSERT_EQ(wizard->currentPage(), 6);
    EXPECT_EQ(buttonStates(), QStringLiteral("0 1 0 0 Finish"));
    // The picture opens help also while the Help button is disabled.
    ui().Image1->click();
    const QUrl help = QUrl::fromLocalFile(QCoreApplication::applicationDirPath() + "/help/en/index.html");
    EXPECT_EQ(opened.urls, QList<QUrl>({help, help}));
}

TEST_F(WizardPages, ConnectionPagesListDatabasesAndRetryAfterAFailure)
{
    const auto loginFields = [this] {
        return QStringLiteral("%1 %2 %3")
            .arg(ui().mslogonnameedit->isEnabled())
            .arg(ui().mspasswordedit->isEnabled())
            .arg(ui().mslogonnameedit->text());
    };
    wizard->btnextClick();
    EXPECT_EQ(loginFields(), QStringLiteral("0 0 "));
    ui().msRadioButton2->click();
    ui().mslogonnameedit->setText(QStringLiteral("sa"));
    EXPECT_EQ(loginFields(), QStringLiteral("1 1 sa"));
    ui().msRadioButton1->click();
    EXPECT_EQ(loginFields(), QStringLiteral("0 0 sa"));
    ui().msRadioButton2->click();

    ui().mssqlservedit->setText(QStringLiteral("localhost"));
    ui().mspasswordedit->setText(QStringLiteral("wrong"));
    QString message;
    answerNextMessageBox(QMessageBox::Ok, &message);
    wizard->btnextClick();
    EXPECT_EQ(message, QStringLiteral("Login failed for user 'sa'."));
    EXPECT_EQ(wizard->currentPage(), 2);

    // A second Next tries again with the page's current values; back and
    // forward again refills the list and chooses the first entry again.
    const QStringList databases = {"master", "tempdb", "model", "msdb", "Shop"};
    ui().mspasswordedit->setText(QStringLiteral("secret"));
    for (int pass = 0; pass < 2; ++pass) {
        if (pass > 0) {
            ui().mssqldblist->setCurrentRow(4);
            wizard->btbackClick();
        }
        wizard->btnextClick();
        ASSERT_EQ(wizard->currentPage(), 3);
        EXPECT_EQ(texts(ui().mssqldblist), databases);
        EXPECT_EQ(ui().mssqldblist->currentRow(), 0);
    }

    fillTargetPage(QStringLiteral("tiger"));
    wizard->btnextClick();
    ASSERT_EQ(wizard->currentPage(), 4);
    ui().mssqldblist->setCurrentRow(-1);
    answerNextMessageBox(QMessageBox::Ok, &message);
    wizard->btnextClick();
    EXPECT_EQ(message, QStringLiteral("List index out of bounds (-1)"));
    EXPECT_EQ(wizard->currentPage(), 4);
}

TEST_F(WizardPages, TableListsMoveNamesInTheirOrder)
{
    walkToTableSelection();
    const auto choose = [](QListWidget* list, const QStringList& names) {
        list->clearSelection();
        for (const QString& name : names)
            list->findItems(name, Qt::MatchExactly).first()->setSelected(true);
    };
    // A double click on an entry: the first click chooses it alone.
    const auto doubleClick = [](QListWidget* list, const QString& name) {
        const QPoint at = list->visualItemRect(list->findItems(name, Qt::MatchExactly).first()).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    };
    Ui::Taaform1& u = ui();
    const struct {
        std::function<void()> act;
        QStringList available;
        QStringList selected;
    } steps[] = {
        {[] {}, {"Alpha", "beta", "Customers", "Orders", "Zeta"}, {}},
        {[&] { u.Buttonadd->click(); }, {"Alpha", "beta", "Customers", "Orders", "Zeta"}, {}},
        {[&] { choose(u.availabletables, {"Orders", "beta"}), u.Buttonadd->click(); },
         {"Alpha", "Customers", "Zeta"},
         {"beta", "Orders"}},
        {[&] { doubleClick(u.availabletables, "Alpha"); }, {"Customers", "Zeta"}, {"beta", "Orders", "Alpha"}},
        {[&] { choose(u.selecttables, {"Orders"}), u.Button3->click(); },
         {"Customers", "Orders", "Zeta"},
         {"beta", "Alpha"}},
        {[&] { doubleClick(u.selecttables, "beta"); }, {"beta", "Customers", "Orders", "Zeta"}, {"Alpha"}},
        {[&] { u.Button4->click(); }, {"Alpha", "beta", "Customers", "Orders", "Zeta"}, {}},
        {[&] { u.Buttonaddall->click(); }, {}, {"Alpha", "beta", "Customers", "Orders", "Zeta"}},
        // Back and Next list the database's tables afresh, none selected.
        {[&] { wizard->btbackClick(), wizard->btnextClick(); }, {"Alpha", "beta", "Customers", "Orders", "Zeta"}, {}},
    };
    int number = 0;
    for (const auto& step : steps) {
        SCOPED_TRACE(++number);
        step.act();
        EXPECT_EQ(texts(u.availabletables), step.available);
        EXPECT_EQ(texts(u.selecttables), step.selected);
        EXPECT_EQ(u.btnext->isEnabled(), !step.selected.isEmpty());
    }
}

} // namespace

#include "test_wizard_pages.moc"
