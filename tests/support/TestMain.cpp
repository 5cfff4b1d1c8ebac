// Test entry point: an application object (offscreen unless told otherwise)
// so that widgets, the clipboard and event processing behave as in the program.
#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Data and settings folders of the tests' own, never the user's.
    QStandardPaths::setTestModeEnabled(true);
    // Saved settings of this test process alone: tests that run at the same
    // time must not see what another saved.
    const QTemporaryDir settingsFolder;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder.path());
    QApplication::setApplicationDisplayName(QStringLiteral("Tablewright 4.0"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
