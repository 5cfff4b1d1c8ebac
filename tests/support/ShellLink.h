#pragma once

#include <QString>

// What a Windows shell link (.lnk) starts, read back through the shell link
// object's IPersistFile and IShellLinkW interfaces; empty fields when the
// file cannot be loaded.
struct ShellLinkFields {
    QString target;
    QString arguments;
    QString workingFolder;
};

ShellLinkFields readShellLink(const QString& path);
