// The wizard window itself, offscreen on the model servers: both caption
// tables, the window frame, help, the buttons of the first and last pages,
// the connection pages and the table lists.

#include "app/HelpPage.h"
#include "app/InterfaceLanguage.h"
#include "support/WizardOnModels.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <functional>

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

// The caption a control shows: a label's or check box's text, a group box's
// title; a null text for controls that carry no caption.
QString captionOf(const QWidget* control)
{
    if (auto* label = qobject_cast<const QLabel*>(control))
        return label->text();
    if (auto* box = qobject_cast<const QGroupBox*>(control))
        return box->title();
    if (auto* check = qobject_cast<const QCheckBox*>(control))
        return check->text();
    return QString();
}

bool carriesCaption(const QWidget* control)
{
    return qobject_cast<const QLabel*>(control) || qobject_cast<const QGroupBox*>(control)
           || qobject_cast<const QCheckBox*>(control);
}

QStringList texts(const QListWidget* list)
{
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names << list->item(i)->text();
    return names;
}

// The width a caption needs in its control, its accelerator marker left out.
int neededWidth(const QWidget* control, const QString& caption)
{
    QString shown = caption;
    shown.remove(QLatin1Char('&'));
    const int text = control->fontMetrics().horizontalAdvance(shown);
    const QStyle* style = control->style();
    if (qobject_cast<const QCheckBox*>(control))
        return text + style->pixelMetric(QStyle::PM_IndicatorWidth) + style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
    if (qobject_cast<const QRadioButton*>(control))
        return text + style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth)
               + style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing);
    if (qobject_cast<const QPushButton*>(control))
        return text + 2 * style->pixelMetric(QStyle::PM_ButtonMargin);
    if (qobject_cast<const QGroupBox*>(control))
        return text + 16;
    return text;
}

// Whether a control's caption shows whole: a wrapping label within its
// height, anything else within its width.
bool captionFits(const QWidget* control)
{
    if (auto* label = qobject_cast<const QLabel*>(control)) {
        if (label->wordWrap())
            return label->heightForWidth(label->width()) <= label->height();
        return neededWidth(label, label->text()) <= label->contentsRect().width();
    }
    if (auto* button = qobject_cast<const QAbstractButton*>(control))
        return neededWidth(button, button->text()) <= button->width();
    if (auto* box = qobject_cast<const QGroupBox*>(control))
        return neededWidth(box, box->title()) <= box->width();
    return true;
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

    // The enabled states of "< Back", "Next >", Close and Help, and the Next
    // caption.
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
    // Rows kept for the whole table's sake: no control bears these names.
    const QStringList rowsWithoutControl = {"Label12", "Label13", "Label15", "Label14", "edtport111", "Label16",
                                            "Label17", "accessmode", "authorization", "GroupBox1", "GroupBox2"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        // English is what start-up applied; Chinese is applied here.
        if (QLatin1String(c.code) != QLatin1String("en"))
            wizard->applyLanguage(QLatin1String(c.code));
        EXPECT_EQ(c.table.rows().size(), 48);
        QStringList unmatched;
        for (const tw::CaptionTable::Row& row : c.table.rows()) {
            const QWidget* control = wizard->findChild<QWidget*>(row.name);
            if (!control)
                unmatched << row.name;
            else
                EXPECT_EQ(captionOf(control), row.value) << row.name.toStdString();
        }
        EXPECT_EQ(unmatched, rowsWithoutControl);
        // A control without a row shows no caption.
        for (const QWidget* control : wizard->findChildren<QWidget*>()) {
            if (carriesCaption(control) && c.table.value(control->objectName()).isNull()) {
                EXPECT_EQ(captionOf(control), QString()) << control->objectName().toStdString();
            }
        }
        EXPECT_EQ(ui().msGroupBox3->title(), QString());
        EXPECT_EQ(QStringList({ui().Buttonadd->text(), ui().Buttonaddall->text(), ui().Button3->text(),
                               ui().Button4->text(), ui().bthelp->text(), ui().btcreatebat->text()}),
                  c.buttons);
        // The texts used as data follow the language.
        QString question;
        answerNextMessageBox(QMessageBox::No, &question);
        ui().btcancel->click();
        EXPECT_EQ(question, QString::fromUtf8(c.closeQuestion));
        ui().bthelp->click();
        ASSERT_FALSE(opened.urls.isEmpty());
        EXPECT_EQ(opened.urls.last(), tw::helpPageUrl(QLatin1String(c.helpPage)));
        EXPECT_TRUE(opened.urls.last().toLocalFile().endsWith(QLatin1String(c.helpPage)));
    }
}

TEST_F(WizardPages, StartUpAppliesEnglishThenTheLanguageTheEnvironmentNames)
{
    struct Case {
        const char* variable;  // null: unset
        const char* language;
        const char* pageTwoStep;
    };
    const Case cases[] = {
        {nullptr, "en", "Connect to MSSQL server"},
        {"cn", "cn", "连接MSSQL"},
        {"en", "en", "Connect to MSSQL server"},
        {"CN", "en", "Connect to MSSQL server"},
        {"fr", "en", "Connect to MSSQL server"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.variable ? c.variable : "unset");
        if (c.variable)
            qputenv("TABLEWRIGHT_LANG", c.variable);
        else
            qunsetenv("TABLEWRIGHT_LANG");
        openWizard();
        EXPECT_EQ(wizard->language(), QLatin1String(c.language));
        EXPECT_EQ(ui().Label2->text(), QString::fromUtf8(c.pageTwoStep));
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
    EXPECT_EQ(wizard->windowTitle(), QStringLiteral("Tablewright 4.0"));
    EXPECT_EQ(ui().Image1->height(), 47);
    EXPECT_EQ(ui().Image1->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_FALSE(ui().Image1->icon().isNull());

    for (const char* code : {"en", "cn"}) {
        SCOPED_TRACE(code);
        wizard->applyLanguage(QLatin1String(code));
        // Every step label is bold in its turn.
        for (QLabel* step : {ui().Label1, ui().Label2, ui().Label3, ui().Label4, ui().Label5, ui().Label6}) {
            QFont bold = step->font();
            bold.setBold(true);
            step->setFont(bold);
        }
        for (QWidget* page : {ui().TabSheet1, ui().TabSheet2, ui().TabSheet3, ui().TabSheet4, ui().TabSheet5}) {
            ui().pg->setCurrentWidget(page);
            for (const QWidget* control : wizard->findChildren<QWidget*>()) {
                if (control->isVisibleTo(wizard.get())) {
                    EXPECT_TRUE(captionFits(control)) << control->objectName().toStdString();
                }
            }
        }
        // A caption's "&" is drawn as its accelerator, never as the sign.
        for (const QLabel* label : wizard->findChildren<QLabel*>()) {
            if (label->text().contains(QLatin1Char('&'))) {
                EXPECT_NE(label->buddy(), nullptr) << label->objectName().toStdString();
            }
        }
    }
}

TEST_F(WizardPages, ButtonsOnTheFirstAndLastPagesAndHelpFromThePicture)
{
    EXPECT_EQ(buttonStates(), QStringLiteral("0 1 1 1 Next >"));
    ui().Image1->click();
    walkToTableSelection();
    ui().Buttonadd->click();  // nothing chosen: nothing moves
    EXPECT_FALSE(ui().btnext->isEnabled());
    ui().availabletables->item(0)->setSelected(true);
    ui().Buttonadd->click();
    wizard->btnextClick();
    ASSERT_EQ(wizard->currentPage(), 6);
    EXPECT_EQ(buttonStates(), QStringLiteral("0 1 0 0 Finish"));
    // The picture opens help also while the Help button is disabled.
    ui().Image1->click();
    const QUrl help = tw::helpPageUrl(QStringLiteral("help/en/index.html"));
    EXPECT_EQ(opened.urls, QList<QUrl>({help, help}));
    EXPECT_EQ(help.toLocalFile(), QCoreApplication::applicationDirPath() + QStringLiteral("/help/en/index.html"));
}

TEST_F(WizardPages, AuthenticationChoiceEnablesTheLoginFieldsAndKeepsTheirText)
{
    const auto loginFields = [this] {
        return QStringLiteral("%1 %2 %3")
            .arg(ui().mslogonnameedit->isEnabled())
            .arg(ui().mspasswordedit->isEnabled())
            .arg(ui().mslogonnameedit->text());
    };
    EXPECT_EQ(loginFields(), QStringLiteral("0 0 "));
    ui().msRadioButton2->click();
    EXPECT_EQ(loginFields(), QStringLiteral("1 1 "));
    ui().mslogonnameedit->setText(QStringLiteral("sa"));
    ui().msRadioButton1->click();
    EXPECT_EQ(loginFields(), QStringLiteral("0 0 sa"));
}

TEST_F(WizardPages, ConnectionPagesListDatabasesAndRetryAfterAFailure)
{
    const QStringList databases = {"master", "tempdb", "model", "msdb", "Shop"};
    wizard->btnextClick();
    ui().mssqlservedit->setText(QStringLiteral("localhost"));
    ui().msRadioButton2->click();
    ui().mslogonnameedit->setText(QStringLiteral("sa"));
    ui().mspasswordedit->setText(QStringLiteral("wrong"));
    QString message;
    answerNextMessageBox(QMessageBox::Ok, &message);
    wizard->btnextClick();
    EXPECT_EQ(message, QStringLiteral("Login failed for user 'sa'."));
    EXPECT_EQ(wizard->currentPage(), 2);

    // A second Next tries again with the page's current values.
    ui().mspasswordedit->setText(QStringLiteral("secret"));
    wizard->btnextClick();
    ASSERT_EQ(wizard->currentPage(), 3);
    EXPECT_EQ(texts(ui().mssqldblist), databases);
    EXPECT_EQ(ui().mssqldblist->currentRow(), 0);

    // Back and forward again refills the list and chooses the first entry.
    ui().mssqldblist->setCurrentRow(4);
    wizard->btbackClick();
    wizard->btnextClick();
    EXPECT_EQ(texts(ui().mssqldblist), databases);
    EXPECT_EQ(ui().mssqldblist->currentRow(), 0);

    fillTargetPage(QStringLiteral("tiger"));
    wizard->btnextClick();
    ASSERT_EQ(wizard->currentPage(), 4);
    ui().mssqldblist->setCurrentRow(-1);
    answerNextMessageBox(QMessageBox::Ok, &message);
    wizard->btnextClick();
    EXPECT_EQ(message, QStringLiteral("List index out of bounds (-1)"));
    EXPECT_EQ(wizard->currentPage(), 4);
    ui().mssqldblist->setCurrentRow(4);
    wizard->btnextClick();
    EXPECT_EQ(wizard->currentPage(), 5);
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
    struct Step {
        const char* action;
        std::function<void()> act;
        QStringList available;
        QStringList selected;
    };
    const Step steps[] = {
        {"listed", [] {}, {"Alpha", "beta", "Customers", "Orders", "Zeta"}, {}},
        {"add nothing", [&] { ui().Buttonadd->click(); }, {"Alpha", "beta", "Customers", "Orders", "Zeta"}, {}},
        {"add 2nd and 4th",
         [&] {
             choose(ui().availabletables, {"Orders", "beta"});
             ui().Buttonadd->click();
         },
         {"Alpha", "Customers", "Zeta"},
         {"beta", "Orders"}},
        {"double click available", [&] { doubleClick(ui().availabletables, "Alpha"); }, {"Customers", "Zeta"},
         {"beta", "Orders", "Alpha"}},
        {"remove one",
         [&] {
             choose(ui().selecttables, {"Orders"});
             ui().Button3->click();
         },
         {"Customers", "Orders", "Zeta"},
         {"beta", "Alpha"}},
        {"double click selected", [&] { doubleClick(ui().selecttables, "beta"); }, {"beta", "Customers", "Orders", "Zeta"},
         {"Alpha"}},
        {"remove all", [&] { ui().Button4->click(); }, {"Alpha", "beta", "Customers", "Orders", "Zeta"}, {}},
        {"add all", [&] { ui().Buttonaddall->click(); }, {}, {"Alpha", "beta", "Customers", "Orders", "Zeta"}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.action);
        step.act();
        EXPECT_EQ(texts(ui().availabletables), step.available);
        EXPECT_EQ(texts(ui().selecttables), step.selected);
        EXPECT_EQ(ui().btnext->isEnabled(), !step.selected.isEmpty());
    }

    // Back and Next list the database's tables afresh, once, none selected.
    wizard->btbackClick();
    wizard->btnextClick();
    EXPECT_EQ(texts(ui().availabletables), QStringList({"Alpha", "beta", "Customers", "Orders", "Zeta"}));
    EXPECT_EQ(texts(ui().selecttables), QStringList());
}

} // namespace

#include "test_wizard_pages.moc"
