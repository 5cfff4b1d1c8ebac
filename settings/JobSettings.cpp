#include "settings/JobSettings.h"

#include "db/Failure.h"
#include "settings/SettingText.h"

namespace tw {

namespace {

// Removes blanks and control characters from both ends.
QString trimmedName(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= u' ')
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= u' ')
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

void ApplyJobSettings(const JobSettingsList& job, SettingsControls& controls)
{
    controls.setSourceServer(job.value(QStringLiteral("mssqlserver")));
    controls.setWindowsAuthentication(job.value(QStringLiteral("mssqlAuthentication")) == QLatin1String("Windows"));
    controls.setLoginName(job.value(QStringLiteral("mssqlloginname")));
    controls.setSourcePassword(job.value(QStringLiteral("mssqlpassword")));
    controls.setOracleService(job.value(QStringLiteral("oracleh")));
    controls.setOracleUser(job.value(QStringLiteral("oracleu")));
    controls.setOraclePassword(job.value(QStringLiteral("oraclep")));
    controls.addSourceDatabase(job.value(QStringLiteral("msdatabase")));
    controls.setCharsetText(job.value(QStringLiteral("character_set")));

    const QString processTable = job.value(QStringLiteral("processtable"));
    const std::optional<int> mode = decimalInteger(processTable);
    if (!mode)
        throw Failure(notAnIntegerMessage(processTable));
    controls.setProcessTable(clampedExistingTableMode(*mode));

    controls.setTableDefinitionsOnly(isOn(job.value(QStringLiteral("tabledefonly"))));
    controls.setNameUppercase(isOn(job.value(QStringLiteral("nameuppercase"))));
    controls.setSkipIndex(isOn(job.value(QStringLiteral("skipindex"))));
    controls.setBlobToText(isOn(job.value(QStringLiteral("blobtotext"))));
    controls.setKeepGoodRows(isOn(job.value(QStringLiteral("keepgoodrows"))));
    controls.setFullDefinitions(isOn(job.value(QStringLiteral("fulldefinitions"))));
    controls.setWriteScript(isOn(job.value(QStringLiteral("writescript"))));
    controls.setTablesAtOnce(tablesAtOnceOfJob(job.value(QStringLiteral("paralleltables"))));
}

JobTableChoice SelectJobTables(const JobSettingsList& job, SettingsControls& controls)
{
    JobTableChoice choice;
    if (isOn(job.value(QStringLiteral("alltables")))) {
        controls.addAllTables();
        return choice;
    }
    choice.selectsNoTable = true;
    // A table named twice is moved once; its second line is no missing table.
    QStringList moved;
    // The numbers in the line names are never read: the file's line order is
    // the order of the selected list.
    for (const QString& line : job.lines()) {
        if (!line.startsWith(QLatin1String("tables")))
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        const QString name = trimmedName(equals < 0 ? line : line.mid(equals + 1));
        if (name.isEmpty())
            continue;
        choice.selectsNoTable = false;
        const qsizetype found = controls.availableTables().indexOf(name);
        if (found >= 0) {
            controls.addTable(int(found));
            moved.append(name);
        } else if (!moved.contains(name) && !choice.notFound.contains(name)) {
            choice.notFound.append(name);
        }
    }
    return choice;
}

} // namespace tw
