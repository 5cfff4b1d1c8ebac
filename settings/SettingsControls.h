#pragma once

#include <QString>
#include <QStringList>

namespace tw {

// The wizard controls that saved settings and job files fill and read: the
// logon fields of pages 2 and 3, the options of page 4, the database list and
// the two table lists. The wizard answers from its widgets; tests from
// plain values.
class SettingsControls {
public:
    virtual ~SettingsControls() = default;

    // The hidden character-set list: its entry index, or the entry of that
    // text (none chosen, index -1, when no entry has it).
    virtual int charsetIndex() const = 0;
    virtual void setCharsetIndex(int index) = 0;
    virtual void setCharsetText(const QString& text) = 0;

    virtual QString sourceServer() const = 0;
    virtual void setSourceServer(const QString& text) = 0;
    virtual QString loginName() const = 0;
    virtual void setLoginName(const QString& text) = 0;
    virtual QString sourcePassword() const = 0;
    virtual void setSourcePassword(const QString& text) = 0;
    // Choosing an authentication also enables the login name and password
    // fields for a SQL Server login and disables them for Windows logons.
    virtual bool windowsAuthentication() const = 0;
    virtual void setWindowsAuthentication(bool windows) = 0;

    virtual QString oracleService() const = 0;
    virtual void setOracleService(const QString& text) = 0;
    virtual QString oracleUser() const = 0;
    virtual void setOracleUser(const QString& text) = 0;
    virtual QString oraclePassword() const = 0;
    virtual void setOraclePassword(const QString& text) = 0;

    // 0 Overwrite, 1 Merge, 2 Skip, -1 no option chosen.
    virtual int processTable() const = 0;
    virtual void setProcessTable(int index) = 0;
    virtual bool tableDefinitionsOnly() const = 0;
    virtual void setTableDefinitionsOnly(bool on) = 0;
    virtual bool nameUppercase() const = 0;
    virtual void setNameUppercase(bool on) = 0;
    virtual bool skipIndex() const = 0;
    virtual void setSkipIndex(bool on) = 0;
    virtual bool blobToText() const = 0;
    virtual void setBlobToText(bool on) = 0;
    virtual bool keepGoodRows() const = 0;
    virtual void setKeepGoodRows(bool on) = 0;
    virtual bool fullDefinitions() const = 0;
    virtual void setFullDefinitions(bool on) = 0;
    virtual bool writeScript() const = 0;
    virtual void setWriteScript(bool on) = 0;
    // Tables copied at once, 1 to 8.
    virtual int tablesAtOnce() const = 0;
    virtual void setTablesAtOnce(int tables) = 0;

    // Adds an entry at the end of the database list and selects its first entry.
    virtual void addSourceDatabase(const QString& name) = 0;

    // The available-tables list, and its two moves to the selected list.
    virtual QStringList availableTables() const = 0;
    virtual void addAllTables() = 0;
    virtual void addTable(int availableIndex) = 0;
};

} // namespace tw
