// Test entry point: an application object (offscreen unless told otherwise)
// so that widgets, the clipboard and event processing behave as in the program.
#include "support/PrivateSettings.h"

#include <QApplication>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
#ifndef Q_OS_WIN
    // A home of this process's own, where the test mode below puts the data
    // folders: the run logs of tests that run at the same time (named after
    // the second they were saved in) neither meet nor replace each other.
    const QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
#endif
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Data and settings folders of the tests' own, never the user's.
    QStandardPaths::setTestModeEnabled(true);
    const PrivateSettings settings;
    QApplication::setApplicationDisplayName(QStringLiteral("Tablewright 4.0"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
