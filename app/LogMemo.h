#pragma once

#include <QObject>

class QPlainTextEdit;

namespace tw {
class RunLog;
}

// Shows a run log in a memo. A copy rewrites the log's last line every 100
// rows, far more often than anybody can read it, and every edit of the
// memo's document lays out its text again. So the memo takes the log's
// changes in one go when the window is about to be served (or when asked to
// catch up), from the first line that changed since, whatever the number of
// changes and however long the log is.
class LogMemo : public QObject {
public:
    LogMemo(const tw::RunLog& log, QPlainTextEdit& memo);

    // Brings the memo up to the log now; nothing when it is up to date.
    void catchUp();

private:
    void logChanged(int firstChangedLine);

    const tw::RunLog& log_;
    QPlainTextEdit& memo_;
    // The first line that the memo does not show as the log has it; -1
    // when the memo is up to date.
    int staleFrom_ = -1;
};
