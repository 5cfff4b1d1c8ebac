#include "convert/RunProgress.h"

#include <cmath>

namespace tw {

namespace {

int bar(qint64 part, qint64 whole)
{
    if (whole <= 0)
        return RunProgress::kBarMaximum;
    return int(qMin(part, whole) * RunProgress::kBarMaximum / whole);
}

} // namespace

void RunProgress::startRun(int tablesSelected)
{
    *this = RunProgress();
    tablesSelected_ = tablesSelected;
}

void RunProgress::startTable(int index, const QString& sourceName)
{
    tableName_ = sourceName;
    tablesDone_ = index;
    rowsCopied_ = 0;
    rowsCounted_ = -1;
    copyStart_ = -1;
    copyElapsed_ = 0;
}

void RunProgress::copied(qint64 copied, qint64 counted, qint64 msecs)
{
    if (copyStart_ < 0)
        copyStart_ = msecs;
    copyElapsed_ = msecs - copyStart_;
    rowsCopied_ = copied;
    rowsCounted_ = counted;
}

void RunProgress::finishTable(int index)
{
    tablesDone_ = index + 1;
    // A table whose rows were not copied is done all the same.
    if (rowsCounted_ < 0)
        rowsCounted_ = rowsCopied_;
}

int RunProgress::tableBar() const
{
    return rowsCounted_ < 0 ? 0 : bar(rowsCopied_, rowsCounted_);
}

int RunProgress::runBar() const
{
    return bar(tablesDone_, tablesSelected_);
}

qint64 RunProgress::rowsPerSecond() const
{
    return copyElapsed_ > 0 ? qint64(std::llround(double(rowsCopied_) * 1000.0 / double(copyElapsed_))) : 0;
}

qint64 RunProgress::secondsLeft() const
{
    if (rowsCounted_ < 0)
        return -1;
    if (rowsCopied_ >= rowsCounted_)
        return 0;
    const qint64 rate = rowsPerSecond();
    if (rate <= 0)
        return -1;
    return (rowsCounted_ - rowsCopied_ + rate - 1) / rate;
}

QString durationText(qint64 seconds)
{
    const qint64 hours = seconds / 3600;
    const QString minutesAndSeconds = QStringLiteral("%1:%2").arg(hours > 0 ? (seconds / 60) % 60 : seconds / 60,
                                                                     hours > 0 ? 2 : 1, 10, QLatin1Char('0'))
                                          .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return hours > 0 ? QString::number(hours) + QLatin1Char(':') + minutesAndSeconds : minutesAndSeconds;
}

} // namespace tw
