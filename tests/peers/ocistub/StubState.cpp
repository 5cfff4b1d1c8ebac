#include "StubState.h"

#include <QFile>
#include <chrono>
#include <mutex>
#include <thread>

namespace ocistub {

namespace {
std::recursive_mutex& stubMutex()
{
    static std::recursive_mutex mutex;
    return mutex;
}
// How often this thread holds the lock (entry points may call each other).
thread_local int lockDepth = 0;
} // namespace

StubLock::StubLock()
{
    stubMutex().lock();
    ++lockDepth;
}

StubLock::~StubLock()
{
    --lockDepth;
    stubMutex().unlock();
}

StubState& StubState::instance()
{
    static StubState state;
    return state;
}

StubState::StubState()
    : modelPath_(qEnvironmentVariable("TABLEWRIGHT_OCISTUB_MODEL")),
      logPath_(qEnvironmentVariable("TABLEWRIGHT_OCISTUB_LOG"))
{
    bool ok = false;
    const int refuse = qEnvironmentVariableIntValue("TABLEWRIGHT_OCISTUB_REFUSE_ROW", &ok);
    if (ok)
        refuseRow(refuse);
    const int drop = qEnvironmentVariableIntValue("TABLEWRIGHT_OCISTUB_DROP_AFTER", &ok);
    if (ok)
        executesBeforeDrop_ = drop;
    setLatency(qEnvironmentVariableIntValue("TABLEWRIGHT_OCISTUB_LATENCY_CALL_US"),
               qEnvironmentVariableIntValue("TABLEWRIGHT_OCISTUB_LATENCY_ROW_US"));
}

void StubState::attachStarted()
{
    // The file may have been changed by the test or another process since the
    // last session: read it again while nobody works on the model.
    modelPath_ = qEnvironmentVariable("TABLEWRIGHT_OCISTUB_MODEL");
    if (liveSessions_ > 0 || modelPath_.isEmpty() || !QFile::exists(modelPath_))
        return;
    model_ = peers::ModelOracle();
    model_.load(modelPath_);
}

void StubState::sessionEnded()
{
    if (liveSessions_ > 0)
        --liveSessions_;
    save();
}

void StubState::save()
{
    modelChanged_ = false;
    if (!modelPath_.isEmpty())
        model_.save(modelPath_);
}

void StubState::saveIfModelChanged()
{
    if (modelChanged_)
        save();
}

void StubState::setLatency(int callMicroseconds, int rowMicroseconds)
{
    callMicroseconds_ = qMax(0, callMicroseconds);
    rowMicroseconds_ = qMax(0, rowMicroseconds);
}

// The client waits for the server without using the processor, as it does
// on a network round trip.
void StubState::waitForServer(ub4 rows) const
{
    const qint64 microseconds = callMicroseconds_ + qint64(rows) * rowMicroseconds_;
    if (microseconds <= 0)
        return;
    const int depth = lockDepth;
    for (int i = 0; i < depth; ++i)
        stubMutex().unlock();
    std::this_thread::sleep_for(std::chrono::microseconds(microseconds));
    for (int i = 0; i < depth; ++i)
        stubMutex().lock();
}

void StubState::record(const QString& line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    log_.append(bytes);
    if (logPath_.isEmpty())
        return;
    QFile file(logPath_);
    if (file.open(QIODevice::Append))
        file.write(bytes);
}

void StubState::refuseRow(int n)
{
    rowsBeforeRefusal_ = n;
}

bool StubState::nextInsertRefused()
{
    if (rowsBeforeRefusal_ <= 0)
        return false;
    return --rowsBeforeRefusal_ == 0;
}

bool StubState::executeDropsConnection()
{
    if (executesBeforeDrop_ < 0)
        return false;
    if (executesBeforeDrop_-- > 0)
        return false;
    dropped_ = true;
    return true;
}

} // namespace ocistub
