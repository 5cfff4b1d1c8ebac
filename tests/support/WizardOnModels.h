#pragma once

// The real wizard window, offscreen, on the model SQL Server and the model
// Oracle, with the walk a user takes to the table lists.

#include "app/Taaform1.h"
#include "peers/oracle/ModelTargetLayer.h"
#include "peers/sqlserver/ModelSourceLayer.h"
#include "support/MessageBoxes.h"
#include "support/Printers.h"
#include "ui_Taaform1.h"

#include <gtest/gtest.h>
#include <memory>

struct WizardOnModels : ::testing::Test {
    peers::ModelSqlServer sqlServer;
    peers::ModelOracle oracle;
    std::unique_ptr<Taaform1> wizard;
    peers::ModelSourceConnection* source = nullptr;  // owned by the wizard
    UnexpectedBoxes unexpectedBoxes;

    WizardOnModels() { oracle.addUser(QStringLiteral("SCOTT"), QStringLiteral("tiger")); }
    void TearDown() override { EXPECT_EQ(unexpectedBoxes.texts(), QString()); }

    // Opens the window, as the program starts it without arguments.
    void openWizard()
    {
        auto sourceConnection = std::make_unique<peers::ModelSourceConnection>(sqlServer);
        source = sourceConnection.get();
        wizard = std::make_unique<Taaform1>(std::move(sourceConnection),
                                            std::make_unique<peers::ModelTargetConnection>(oracle), QStringList());
    }
    Ui::Taaform1& ui() { return wizard->controls(); }

    // Fills page 3 for the model Oracle's user SCOTT.
    void fillTargetPage(const QString& password)
    {
        ui().edtservice->setText(QStringLiteral("ORCL"));
        ui().edtoracleusername->setText(QStringLiteral("scott"));
        ui().edtoraclepassword->setText(password);
    }

    // Walks pages 1 to 5 with Windows authentication and the database
    // "Shop"; the table lists are left as page 4 filled them.
    void walkToTableSelection()
    {
        wizard->btnextClick();
        ui().mssqlservedit->setText(QStringLiteral("localhost"));
        wizard->btnextClick();
        ASSERT_EQ(wizard->currentPage(), 3);
        fillTargetPage(QStringLiteral("tiger"));
        wizard->btnextClick();
        ASSERT_EQ(wizard->currentPage(), 4);
        ui().mssqldblist->setCurrentItem(ui().mssqldblist->findItems(QStringLiteral("Shop"), Qt::MatchExactly).first());
        wizard->btnextClick();
        ASSERT_EQ(wizard->currentPage(), 5);
    }
};
