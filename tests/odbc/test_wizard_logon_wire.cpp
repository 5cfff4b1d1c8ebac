// The wizard's SQL Server logon through unixODBC, FreeTDS and the loopback
// TDS peer: a login and password reach the server as typed, whatever they
// hold, and can never add keys to the connection string.

#include "app/Taaform1.h"
#include "db/ConnectionSteps.h"
#include "db/ConnectionString.h"
#include "db/odbc/OdbcSourceConnection.h"
#include "peers/oracle/ModelTargetLayer.h"
#include "peers/tds/TdsLoopback.h"
#include "support/MessageBoxes.h"
#include "support/Printers.h"
#include "ui_Taaform1.h"

#include <gtest/gtest.h>

namespace {

struct Logon {
    const char* login;
    const char* password;
};
const Logon logons[] = {
    {"sa", "secret"},
    {"we;ird\"user", "pa;ss\"word"},
    {"\"quoted\"", " {open "},
    {"x;Data Source=elsewhere", "p=w;Integrated Security=SSPI"},
};

TEST(WizardLogonString, PlainValuesGiveTheTextAsWrittenAndOthersStayOneValue)
{
    EXPECT_EQ(tw::sourceConnectionString(false, QStringLiteral("db1"), QStringLiteral("sa"), QStringLiteral("secret")),
              QStringLiteral("Provider=SQLOLEDB.1;Persist Security Info=True;User ID=sa;Password=secret;Data Source=db1"));
    for (const Logon& logon : logons) {
        SCOPED_TRACE(logon.login);
        const QString text = tw::sourceConnectionString(false, QStringLiteral("db1"), QString::fromUtf8(logon.login),
                                                        QString::fromUtf8(logon.password));
        const QMap<QString, QString> pairs = tw::parseConnectionString(tw::sourceConnectionString(text, "Shop;x"));
        EXPECT_EQ(pairs.keys(), QStringList({"data source", "initial catalog", "password", "persist security info",
                                             "provider", "user id"}));
        EXPECT_EQ(pairs.value("user id"), QString::fromUtf8(logon.login));
        EXPECT_EQ(pairs.value("password"), QString::fromUtf8(logon.password));
        EXPECT_EQ(pairs.value("initial catalog"), QStringLiteral("Shop;x"));
    }
}

TEST(WizardLogonWire, LoginAndPasswordReachTheServerAsTyped)
{
    peers::ModelSqlServer server;
    server.database(QStringLiteral("Shop"));
    peers::TdsLoopback loopback(server);
    peers::ModelOracle oracle;
    UnexpectedBoxes unexpectedBoxes;
    Taaform1 wizard(std::make_unique<tw::OdbcSourceConnection>(),
                    std::make_unique<peers::ModelTargetConnection>(oracle), QStringList());
    Ui::Taaform1& ui = wizard.controls();
    wizard.btnextClick();
    ui.mssqlservedit->setText(loopback.dataSource());
    ui.msRadioButton2->click();
    for (const Logon& logon : logons) {
        SCOPED_TRACE(logon.login);
        server.addLogin(QString::fromUtf8(logon.login), QString::fromUtf8(logon.password));
        ui.mslogonnameedit->setText(QString::fromUtf8(logon.login));
        ui.mspasswordedit->setText(QString::fromUtf8(logon.password));
        wizard.btnextClick();
        ASSERT_EQ(wizard.currentPage(), 3) << unexpectedBoxes.texts().toStdString();
        EXPECT_EQ(loopback.server().logins().last(), QString::fromUtf8(logon.login) + QLatin1Char('@'));
        EXPECT_EQ(ui.mssqldblist->count(), 5);
        wizard.btbackClick();
    }
    EXPECT_EQ(unexpectedBoxes.texts(), QString());
}

} // namespace
