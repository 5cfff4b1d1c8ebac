#pragma once

#include "settings/SettingsControls.h"

class QRadioButton;

namespace Ui {
class Taaform1;
}

// The wizard's widgets as the settings and the job file see them.
class WizardSettingsControls : public tw::SettingsControls {
public:
    explicit WizardSettingsControls(Ui::Taaform1& ui) : ui(ui) {}

    int charsetIndex() const override;
    void setCharsetIndex(int index) override;
    void setCharsetText(const QString& text) override;
    QString sourceServer() const override;
    void setSourceServer(const QString& text) override;
    QString loginName() const override;
    void setLoginName(const QString& text) override;
    QString sourcePassword() const override;
    void setSourcePassword(const QString& text) override;
    bool windowsAuthentication() const override;
    void setWindowsAuthentication(bool windows) override;
    QString oracleService() const override;
    void setOracleService(const QString& text) override;
    QString oracleUser() const override;
    void setOracleUser(const QString& text) override;
    QString oraclePassword() const override;
    void setOraclePassword(const QString& text) override;
    int processTable() const override;
    void setProcessTable(int index) override;
    bool tableDefinitionsOnly() const override;
    void setTableDefinitionsOnly(bool on) override;
    bool nameUppercase() const override;
    void setNameUppercase(bool on) override;
    bool skipIndex() const override;
    void setSkipIndex(bool on) override;
    bool blobToText() const override;
    void setBlobToText(bool on) override;
    bool keepGoodRows() const override;
    void setKeepGoodRows(bool on) override;
    bool fullDefinitions() const override;
    void setFullDefinitions(bool on) override;
    bool writeScript() const override;
    void setWriteScript(bool on) override;
    int tablesAtOnce() const override;
    void setTablesAtOnce(int tables) override;
    void addSourceDatabase(const QString& name) override;
    QStringList availableTables() const override;
    void addAllTables() override;
    void addTable(int availableIndex) override;

    // The radio button of an existing-table option (0 to 2); null for -1.
    QRadioButton* processTableOption(int index) const;

private:
    Ui::Taaform1& ui;
};
