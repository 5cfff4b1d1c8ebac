// libFuzzer target for the two readers of user-supplied settings: the job
// settings file (read, looked up, applied, its tables selected) and the saved
// settings file (read into the controls). Any input must end in values or a
// Failure, never in a crash or a hang.

#include "db/Failure.h"
#include "settings/JobSettings.h"
#include "settings/SavedSettings.h"
#include "support/FakeSettingsControls.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

namespace {

void readJobFile(const QByteArray& bytes)
{
    tw::JobSettingsList job;
    job.setContent(bytes);
    FakeControls controls;
    controls.available = {QStringLiteral("Orders"), QStringLiteral("orders"), QStringLiteral("Items")};
    try {
        tw::ApplyJobSettings(job, controls);
    } catch (const tw::Failure&) {
    }
    tw::SelectJobTables(job, controls);
}

void readSettingsFile(const QByteArray& bytes)
{
    // A new file name for every input: the settings reader keeps what it read
    // of a file and would not see a rewrite within the same second.
    static QTemporaryDir folder;
    static int count = 0;
    const QString path = folder.filePath(QStringLiteral("%1.conf").arg(++count));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(bytes);
    file.close();
    {
        const QSettings store(path, QSettings::IniFormat);
        FakeControls controls;
        tw::loadSavedSettings(store, controls);
    }
    QFile::remove(path);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    readJobFile(bytes);
    readSettingsFile(bytes);
    return 0;
}
