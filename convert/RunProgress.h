#pragma once

#include <QString>

namespace tw {

// How far a run is, as a progress display shows it: the current table's
// rows copied of the rows counted before the copy, the tables done of the
// tables selected, the copy's rows per second and the time it still needs.
// Times are milliseconds on any steady clock the caller keeps.
class RunProgress {
public:
    static constexpr int kBarMaximum = 1000;

    void startRun(int tablesSelected);
    void startTable(int index, const QString& sourceName);
    // The copy of the current table has reached `copied` rows of `counted`
    // (the source's count before the copy). The first report of a table
    // starts its copy clock.
    void copied(qint64 copied, qint64 counted, qint64 msecs);
    void finishTable(int index);

    const QString& tableName() const { return tableName_; }
    qint64 rowsCopied() const { return rowsCopied_; }
    // -1 until the source has been counted.
    qint64 rowsCounted() const { return rowsCounted_; }
    int tablesSelected() const { return tablesSelected_; }
    int tablesDone() const { return tablesDone_; }

    // Bar positions from 0 to kBarMaximum. A table of no rows and a run of no
    // tables are full bars: all of nothing is done.
    int tableBar() const;
    int runBar() const;
    // The copy's rate so far; 0 before any time has passed.
    qint64 rowsPerSecond() const;
    // The time the current copy still needs at its rate so far; -1 when
    // that cannot be told yet.
    qint64 secondsLeft() const;

private:
    QString tableName_;
    qint64 rowsCopied_ = 0;
    qint64 rowsCounted_ = -1;
    qint64 copyStart_ = -1;
    qint64 copyElapsed_ = 0;
    int tablesSelected_ = 0;
    int tablesDone_ = 0;
};

// A duration as h:mm:ss, or m:ss under an hour.
QString durationText(qint64 seconds);

} // namespace tw
