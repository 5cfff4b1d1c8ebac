// Renders the wizard window as PNG files: every page (the log page during
// and after a run), the close question, an error box and the shortcut
// builder, in both interface languages, offscreen against the model
// servers. The only argument names the folder to write into.

#include "app/Taaform1.h"
#include "peers/oracle/ModelTargetLayer.h"
#include "peers/sqlserver/ModelSourceLayer.h"
#include "support/MessageBoxes.h"
#include "ui_Taaform1.h"
#include "ui_Tmarfrm_bat.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTimer>
#include <cstdio>

namespace {

class PageRenderer {
public:
    PageRenderer(const QString& folder, const QString& language) : folder_(folder), language_(language)
    {
        oracle_.addUser(QStringLiteral("SCOTT"), QStringLiteral("tiger"));
        sqlServer_.addLogin(QStringLiteral("sa"), QStringLiteral("secret"));
        auto& shop = sqlServer_.database(QStringLiteral("Shop"));
        for (const char* name : {"Customers", "Employees", "Orders", "Order Details", "Products",
                                 "Shipments Archive of the Fourth Quarter 2024", "Suppliers"}) {
            auto& table = shop.table(QLatin1String(name)).column(QStringLiteral("Id"), QStringLiteral("int"));
            const int rows = QLatin1String(name) == QLatin1String("Orders") ? 12345 : 250;
            for (int i = 1; i <= rows; ++i)
                table.row({i});
        }
        sqlServer_.database(QStringLiteral("Accounts"));
    }

    void renderAll()
    {
        Taaform1 wizard(std::make_unique<peers::ModelSourceConnection>(sqlServer_),
                        std::make_unique<peers::ModelTargetConnection>(oracle_), QStringList());
        Ui::Taaform1& ui = wizard.controls();
        wizard.applyLanguage(language_);
        wizard.show();
        save(wizard, "page1");

        wizard.btnextClick();
        ui.mssqlservedit->setText(QStringLiteral("db1.example.com"));
        ui.msRadioButton2->click();
        ui.mslogonnameedit->setText(QStringLiteral("sa"));
        ui.mspasswordedit->setText(QStringLiteral("wrong"));
        save(wizard, "page2");
        onNextMessageBox([this](QMessageBox* box) {
            save(*box, "error-box");
            box->button(QMessageBox::Ok)->click();
        });
        wizard.btnextClick();
        ui.mspasswordedit->setText(QStringLiteral("secret"));
        wizard.btnextClick();

        ui.edtservice->setText(QStringLiteral("ORCL"));
        ui.edtoracleusername->setText(QStringLiteral("scott"));
        ui.edtoraclepassword->setText(QStringLiteral("tiger"));
        save(wizard, "page3");
        wizard.btnextClick();

        ui.mssqldblist->setCurrentItem(ui.mssqldblist->findItems(QStringLiteral("Shop"), Qt::MatchExactly).first());
        save(wizard, "page4");
        wizard.btnextClick();

        // A long name shows how the summary cuts names to fit.
        for (int row : {1, 3, 5})
            ui.availabletables->item(row)->setSelected(true);
        ui.Buttonadd->click();
        ui.availabletables->item(0)->setSelected(true);
        save(wizard, "page5");
        onNextMessageBox([this](QMessageBox* box) {
            save(*box, "close-question");
            box->button(QMessageBox::No)->click();
        });
        ui.btcancel->click();
        // The shortcut builder, with the selected tables listed.
        QTimer::singleShot(0, [this] {
            if (auto* builder = qobject_cast<Tmarfrm_bat*>(QApplication::activeModalWidget())) {
                builder->controls().rgselecttable0->click();
                save(*builder, "builder");
                builder->reject();
            }
        });
        ui.btcreatebat->click();
        // The run lets pending events through every 100 rows: a timer that
        // fires at each of those moments takes the picture at row 4,000 of
        // the second table.
        QTimer duringRun;
        int moments = 0;
        QObject::connect(&duringRun, &QTimer::timeout, [&] {
            if (++moments == 2 + 40) {
                duringRun.stop();
                save(wizard, "page6-running");
            }
        });
        duringRun.start(0);
        wizard.btnextClick();
        save(wizard, "page6");
    }

private:
    void save(QWidget& widget, const char* name)
    {
        QApplication::processEvents();
        const QString path = QDir(folder_).filePath(language_ + QLatin1Char('-') + QLatin1String(name) + ".png");
        if (!widget.grab().save(path))
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    }

    QString folder_;
    QString language_;
    peers::ModelSqlServer sqlServer_;
    peers::ModelOracle oracle_;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: render_pages FOLDER\n");
        return 2;
    }
    // The runs' logs go to a test folder, never the user's data folder.
    QStandardPaths::setTestModeEnabled(true);
    QApplication::setApplicationDisplayName(QStringLiteral("Tablewright 4.0"));
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "cannot create the folder %s\n", argv[1]);
        return 1;
    }
    for (const char* language : {"en", "cn"})
        PageRenderer(folder, QLatin1String(language)).renderAll();
    return 0;
}
