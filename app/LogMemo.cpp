#include "app/LogMemo.h"

#include "convert/RunLog.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <utility>

LogMemo::LogMemo(const tw::RunLog& log, QPlainTextEdit& memo) : log_(log), memo_(memo)
{
    // The memo's document would keep every edit to undo it, and a copy
    // edits it all along: memory would grow with the rows copied.
    memo_.setUndoRedoEnabled(false);
    connect(&log_, &tw::RunLog::changed, this, &LogMemo::logChanged);
}

// The first change after the memo was up to date asks the event loop to
// catch up; the window's next turn brings every change since.
void LogMemo::logChanged(int firstChangedLine)
{
    if (staleFrom_ >= 0) {
        staleFrom_ = qMin(staleFrom_, firstChangedLine);
        return;
    }
    staleFrom_ = firstChangedLine;
    QMetaObject::invokeMethod(this, &LogMemo::catchUp, Qt::QueuedConnection);
}

void LogMemo::catchUp()
{
    if (staleFrom_ < 0)
        return;
    const int first = std::exchange(staleFrom_, -1);
    const QStringList& lines = log_.lines();
    if (first == 0) {
        memo_.setPlainText(lines.join(QLatin1Char('\n')));
        return;
    }
    // Only the lines from the first changed one on are laid out again.
    QTextDocument* document = memo_.document();
    QTextCursor cursor(document);
    if (first < document->blockCount()) {
        cursor.setPosition(document->findBlockByNumber(first).position() - 1);
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    } else {
        cursor.movePosition(QTextCursor::End);
    }
    for (int i = first; i < lines.size(); ++i) {
        cursor.insertBlock();
        cursor.insertText(lines[i]);
    }
}
