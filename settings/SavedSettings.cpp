#include "settings/SavedSettings.h"

#include "settings/OwnerOnlyFile.h"
#include "settings/SettingText.h"

#include <QSettings>

namespace tw {

namespace {

const QString kCharset = QStringLiteral("Character Set");
const QString kServer = QStringLiteral("mssqlserver");
const QString kLogin = QStringLiteral("msloginname");
const QString kPassword = QStringLiteral("mspassword");
const QString kWindows = QStringLiteral("Windows Authentication");
const QString kOracleService = QStringLiteral("oracleh");
const QString kOraclePassword = QStringLiteral("oraclep");
const QString kOracleUser = QStringLiteral("oracleu");
const QString kProcessTable = QStringLiteral("processtable");
const QString kTableDefOnly = QStringLiteral("tabledefonly");
const QString kNameUppercase = QStringLiteral("nameuppercase");
const QString kSkipIndex = QStringLiteral("skipindex");
const QString kBlobToText = QStringLiteral("blobtotext");
const QString kKeepGoodRows = QStringLiteral("keepgoodrows");
const QString kFullDefinitions = QStringLiteral("fulldefinitions");
const QString kWriteScript = QStringLiteral("writescript");
const QString kTablesAtOnce = QStringLiteral("paralleltables");

} // namespace

void loadSavedSettings(const QSettings& store, SettingsControls& controls)
{
    if (store.childKeys().isEmpty())
        return;
    // A value that does not exist reads as the empty text. In a settings file
    // edited by hand an unquoted comma makes a list of the value: it is read
    // back whole ("db1,1433").
    const auto text = [&store](const QString& name) {
        const QVariant value = store.value(name);
        return value.typeId() == QMetaType::QStringList ? value.toStringList().join(QLatin1Char(','))
                                                        : value.toString();
    };

    controls.setCharsetIndex(decimalInteger(text(kCharset)).value_or(0));
    controls.setSourceServer(text(kServer));
    controls.setLoginName(text(kLogin));
    controls.setSourcePassword(text(kPassword));
    controls.setWindowsAuthentication(isOn(text(kWindows)));
    controls.setOracleService(text(kOracleService));
    controls.setOracleUser(text(kOracleUser));
    controls.setOraclePassword(text(kOraclePassword));
    controls.setProcessTable(clampedExistingTableMode(decimalInteger(text(kProcessTable)).value_or(0)));
    controls.setTableDefinitionsOnly(isOn(text(kTableDefOnly)));
    controls.setNameUppercase(isOn(text(kNameUppercase)));
    controls.setSkipIndex(isOn(text(kSkipIndex)));
    controls.setBlobToText(isOn(text(kBlobToText)));
    controls.setKeepGoodRows(isOn(text(kKeepGoodRows)));
    controls.setFullDefinitions(isOn(text(kFullDefinitions)));
    controls.setWriteScript(isOn(text(kWriteScript)));
    controls.setTablesAtOnce(tablesAtOnceSetting(text(kTablesAtOnce)));
}

void saveSavedSettings(QSettings& store, const SettingsControls& controls)
{
    // A new settings file is made owner-only before the first password goes
    // in; later writes keep the file's permissions.
    createOwnerOnlyFile(store.fileName());
    store.setValue(kCharset, QString::number(controls.charsetIndex()));
    store.setValue(kServer, controls.sourceServer());
    store.setValue(kLogin, controls.loginName());
    store.setValue(kPassword, controls.sourcePassword());
    store.setValue(kWindows, onOff(controls.windowsAuthentication()));
    store.setValue(kOracleService, controls.oracleService());
    store.setValue(kOraclePassword, controls.oraclePassword());
    store.setValue(kOracleUser, controls.oracleUser());
    store.setValue(kProcessTable, QString::number(controls.processTable()));
    store.setValue(kTableDefOnly, onOff(controls.tableDefinitionsOnly()));
    store.setValue(kNameUppercase, onOff(controls.nameUppercase()));
    store.setValue(kSkipIndex, onOff(controls.skipIndex()));
    store.setValue(kBlobToText, onOff(controls.blobToText()));
    store.setValue(kKeepGoodRows, onOff(controls.keepGoodRows()));
    store.setValue(kFullDefinitions, onOff(controls.fullDefinitions()));
    store.setValue(kWriteScript, onOff(controls.writeScript()));
    store.setValue(kTablesAtOnce, QString::number(controls.tablesAtOnce()));
    store.sync();
    restrictToOwner(store.fileName());
}

void loadSavedSettings(SettingsControls& controls)
{
    const QSettings store(QStringLiteral("Quillmoor"), QStringLiteral("Tablewright"));
    loadSavedSettings(store, controls);
}

void saveSavedSettings(const SettingsControls& controls)
{
    QSettings store(QStringLiteral("Quillmoor"), QStringLiteral("Tablewright"));
    saveSavedSettings(store, controls);
}

} // namespace tw
