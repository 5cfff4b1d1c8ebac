#pragma once

#include "support/Printers.h"

#include "settings/SettingsControls.h"

// The controls as plain values, starting in the wizard's design-time state.
struct FakeControls : tw::SettingsControls {
    int charset = 0;
    QString charsetText;
    QString server, login, password, service, user, oraPassword;
    bool windows = true;
    int mode = 0;
    bool defsOnly = false, upper = true, skipIdx = false, blob = false, keepGood = false, fullDefs = false,
         script = false;
    int atOnce = 1;
    QStringList databases, available, selected;

    int charsetIndex() const override { return charset; }
    void setCharsetIndex(int index) override { charset = index; }
    void setCharsetText(const QString& text) override { charsetText = text; }
    QString sourceServer() const override { return server; }
    void setSourceServer(const QString& text) override { server = text; }
    QString loginName() const override { return login; }
    void setLoginName(const QString& text) override { login = text; }
    QString sourcePassword() const override { return password; }
    void setSourcePassword(const QString& text) override { password = text; }
    bool windowsAuthentication() const override { return windows; }
    void setWindowsAuthentication(bool on) override { windows = on; }
    QString oracleService() const override { return service; }
    void setOracleService(const QString& text) override { service = text; }
    QString oracleUser() const override { return user; }
    void setOracleUser(const QString& text) override { user = text; }
    QString oraclePassword() const override { return oraPassword; }
    void setOraclePassword(const QString& text) override { oraPassword = text; }
    int processTable() const override { return mode; }
    void setProcessTable(int index) override { mode = index; }
    bool tableDefinitionsOnly() const override { return defsOnly; }
    void setTableDefinitionsOnly(bool on) override { defsOnly = on; }
    bool nameUppercase() const override { return upper; }
    void setNameUppercase(bool on) override { upper = on; }
    bool skipIndex() const override { return skipIdx; }
    void setSkipIndex(bool on) override { skipIdx = on; }
    bool blobToText() const override { return blob; }
    void setBlobToText(bool on) override { blob = on; }
    bool keepGoodRows() const override { return keepGood; }
    void setKeepGoodRows(bool on) override { keepGood = on; }
    bool fullDefinitions() const override { return fullDefs; }
    void setFullDefinitions(bool on) override { fullDefs = on; }
    bool writeScript() const override { return script; }
    void setWriteScript(bool on) override { script = on; }
    int tablesAtOnce() const override { return atOnce; }
    void setTablesAtOnce(int tables) override { atOnce = tables; }
    void addSourceDatabase(const QString& name) override { databases.append(name); }
    QStringList availableTables() const override { return available; }
    void addAllTables() override { selected += available, available.clear(); }
    void addTable(int index) override { selected.append(available.takeAt(index)); }
};
