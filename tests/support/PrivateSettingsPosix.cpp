#include "support/PrivateSettings.h"

#include <QDir>

PrivateSettings::PrivateSettings()
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder_.path());
}

PrivateSettings::~PrivateSettings() = default;

std::unique_ptr<QSettings> programSettings(const QString& configHome)
{
    return std::make_unique<QSettings>(QDir(configHome).filePath(QStringLiteral("Quillmoor/Tablewright.conf")),
                                       QSettings::IniFormat);
}

void removeProgramSettings() {}
