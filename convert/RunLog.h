#pragma once

#include <QObject>
#include <QStringList>

namespace tw {

// The lines of a conversion run's progress log. The wizard's log page shows
// them; a run appends, edits the last line and saves the whole log as a file.
class RunLog : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Adds the text as new lines: one per part between its line breaks (CR LF,
    // CR or LF); a final line break ends the last part. An empty text adds
    // one empty line.
    void append(const QString& text);
    // The last line becomes the text (a new line on an empty log).
    void replaceLast(const QString& text);
    // The text is added at the end of the last line (a new line on an empty log).
    void appendToLast(const QString& text);
    // Ends a step begun with its "...  " line: on success that line becomes
    // the done line, on failure the error text follows it; an empty line
    // closes the step either way.
    void endStep(const QString& doneLine, bool ok, const QString& errorText);
    // Lines about what a step could not carry, as a block of their own
    // closed by an empty line; nothing for no lines.
    void appendBlock(const QStringList& lines);
    void clear();

    // Writes every line followed by CR LF, in the system's 8-bit encoding
    // (the locale's on Linux, the ANSI code page on Windows), without a
    // byte-order mark; when that encoding lacks a character of the log, in
    // UTF-8 after a byte-order mark instead. An existing file is replaced.
    // Throws Failure when the file cannot be written.
    void save(const QString& path) const;

    const QStringList& lines() const { return lines_; }

signals:
    // Emitted after every change, with the index of the first line that
    // changed (lines from there on are new or different).
    void changed(int firstChangedLine);

private:
    QStringList lines_;
};

// The file name of an interactive run's log for the given moment:
// "twjobs_" + yyyyMMdd_HHmmss + ".log".
QString interactiveLogFileName(const class QDateTime& moment);
// The log of an unattended run: the job file's path with its extension
// replaced by ".log", or with ".log" added when it has none.
QString jobLogPath(const QString& jobFilePath);
// A file beside the job file: its path with the extension replaced by the
// given one, or with the given one added when it has none.
QString besideJobFile(const QString& jobFilePath, const QString& extension);
// "Start time:" / "The end time:" stamps: the system's short date and long time.
QString logTimeStamp(const class QDateTime& moment);

} // namespace tw
