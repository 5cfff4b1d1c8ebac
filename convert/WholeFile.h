#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QStringConverter>
#include <QStringList>

namespace tw {

// The lines each followed by CR LF, in the system's 8-bit encoding, without
// a byte-order mark: the form of the log and job files the program writes.
QByteArray systemTextLines(const QStringList& lines);
// The same in the given 8-bit encoding when it holds every character of the
// lines; otherwise UTF-8 after a byte-order mark, so that no character is
// lost (Windows' ANSI code pages hold few scripts; Notepad reads the mark).
QByteArray losslessTextLines(const QStringList& lines,
                             QStringConverter::Encoding eightBit = QStringConverter::System);

// Replaces the file with the bytes at once (a reader never sees half a file).
// With permissions, the file gets them before anything is written. A failure
// is a Failure naming the file.
void saveWholeFile(const QString& path, const QByteArray& bytes, QFileDevice::Permissions permissions = {});

} // namespace tw
