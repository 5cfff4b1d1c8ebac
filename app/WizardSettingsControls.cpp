#include "app/WizardSettingsControls.h"

#include "ui_Taaform1.h"

int WizardSettingsControls::charsetIndex() const
{
    return ui.cbcharset->currentIndex();
}

void WizardSettingsControls::setCharsetIndex(int index)
{
    // An index outside the list leaves no entry chosen.
    ui.cbcharset->setCurrentIndex(index >= 0 && index < ui.cbcharset->count() ? index : -1);
}

void WizardSettingsControls::setCharsetText(const QString& text)
{
    ui.cbcharset->setCurrentIndex(ui.cbcharset->findText(text, Qt::MatchFixedString));
}

QString WizardSettingsControls::sourceServer() const
{
    return ui.mssqlservedit->text();
}

void WizardSettingsControls::setSourceServer(const QString& text)
{
    ui.mssqlservedit->setText(text);
}

QString WizardSettingsControls::loginName() const
{
    return ui.mslogonnameedit->text();
}

void WizardSettingsControls::setLoginName(const QString& text)
{
    ui.mslogonnameedit->setText(text);
}

QString WizardSettingsControls::sourcePassword() const
{
    return ui.mspasswordedit->text();
}

void WizardSettingsControls::setSourcePassword(const QString& text)
{
    ui.mspasswordedit->setText(text);
}

bool WizardSettingsControls::windowsAuthentication() const
{
    return ui.msRadioButton1->isChecked();
}

void WizardSettingsControls::setWindowsAuthentication(bool windows)
{
    // The login fields follow through the choice's toggled handler.
    (windows ? ui.msRadioButton1 : ui.msRadioButton2)->setChecked(true);
}

QString WizardSettingsControls::oracleService() const
{
    return ui.edtservice->text();
}

void WizardSettingsControls::setOracleService(const QString& text)
{
    ui.edtservice->setText(text);
}

QString WizardSettingsControls::oracleUser() const
{
    return ui.edtoracleusername->text();
}

void WizardSettingsControls::setOracleUser(const QString& text)
{
    ui.edtoracleusername->setText(text);
}

QString WizardSettingsControls::oraclePassword() const
{
    return ui.edtoraclepassword->text();
}

void WizardSettingsControls::setOraclePassword(const QString& text)
{
    ui.edtoraclepassword->setText(text);
}

QRadioButton* WizardSettingsControls::processTableOption(int index) const
{
    QRadioButton* const options[] = {ui.processtable0, ui.processtable1, ui.processtable2};
    return index >= 0 && index < 3 ? options[index] : nullptr;
}

int WizardSettingsControls::processTable() const
{
    for (int i = 0; i < 3; ++i) {
        if (processTableOption(i)->isChecked())
            return i;
    }
    return -1;
}

void WizardSettingsControls::setProcessTable(int index)
{
    // Auto-exclusive radio buttons refuse to clear the chosen one; for "no
    // option" (-1) each is cleared with the rule lifted for a moment. A later
    // click still chooses exactly one.
    for (int i = 0; i < 3; ++i) {
        QRadioButton* option = processTableOption(i);
        option->setAutoExclusive(false);
        option->setChecked(i == index);
        option->setAutoExclusive(true);
    }
}

bool WizardSettingsControls::tableDefinitionsOnly() const
{
    return ui.chktabledefi->isChecked();
}

void WizardSettingsControls::setTableDefinitionsOnly(bool on)
{
    ui.chktabledefi->setChecked(on);
}

bool WizardSettingsControls::nameUppercase() const
{
    return ui.chkuppercase->isChecked();
}

void WizardSettingsControls::setNameUppercase(bool on)
{
    ui.chkuppercase->setChecked(on);
}

bool WizardSettingsControls::skipIndex() const
{
    return ui.chkskipindex->isChecked();
}

void WizardSettingsControls::setSkipIndex(bool on)
{
    ui.chkskipindex->setChecked(on);
}

bool WizardSettingsControls::blobToText() const
{
    return ui.chkblobtotext->isChecked();
}

void WizardSettingsControls::setBlobToText(bool on)
{
    ui.chkblobtotext->setChecked(on);
}

bool WizardSettingsControls::keepGoodRows() const
{
    return ui.chkkeepgoodrows->isChecked();
}

void WizardSettingsControls::setKeepGoodRows(bool on)
{
    ui.chkkeepgoodrows->setChecked(on);
}

bool WizardSettingsControls::fullDefinitions() const
{
    return ui.chkfulldefinitions->isChecked();
}

void WizardSettingsControls::setFullDefinitions(bool on)
{
    ui.chkfulldefinitions->setChecked(on);
}

bool WizardSettingsControls::writeScript() const
{
    return ui.chkwritescript->isChecked();
}

void WizardSettingsControls::setWriteScript(bool on)
{
    ui.chkwritescript->setChecked(on);
}

int WizardSettingsControls::tablesAtOnce() const
{
    return ui.paralleltables->value();
}

void WizardSettingsControls::setTablesAtOnce(int tables)
{
    ui.paralleltables->setValue(tables);
}

void WizardSettingsControls::addSourceDatabase(const QString& name)
{
    ui.mssqldblist->addItem(name);
    ui.mssqldblist->setCurrentRow(0);
}

QStringList WizardSettingsControls::availableTables() const
{
    QStringList names;
    for (int i = 0; i < ui.availabletables->count(); ++i)
        names.append(ui.availabletables->item(i)->text());
    return names;
}

void WizardSettingsControls::addAllTables()
{
    ui.Buttonaddall->click();
}

void WizardSettingsControls::addTable(int availableIndex)
{
    ui.availabletables->clearSelection();
    ui.availabletables->item(availableIndex)->setSelected(true);
    ui.Buttonadd->click();
}
