#pragma once

#include <QSettings>
#include <QTemporaryDir>
#include <memory>

// Saved settings of this test process alone, for its lifetime: tests that
// run at the same time must not see what another saved, and nothing stays
// behind. A settings folder of its own on Linux; on Windows, where QSettings
// keeps them in the registry, a registry key of its own that stands in for
// HKEY_CURRENT_USER and is deleted at the end.
class PrivateSettings {
public:
    PrivateSettings();
    ~PrivateSettings();
    PrivateSettings(const PrivateSettings&) = delete;
    PrivateSettings& operator=(const PrivateSettings&) = delete;

private:
    QTemporaryDir folder_;
};

// The settings that a program started by a test saved as its user's: the
// file under the XDG_CONFIG_HOME given to it, or on Windows the user's own
// registry key (which a program started by a test shares with every other).
std::unique_ptr<QSettings> programSettings(const QString& configHome);
// Removes what programSettings() reads, where it is shared.
void removeProgramSettings();
