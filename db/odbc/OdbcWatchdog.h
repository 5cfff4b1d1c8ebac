#pragma once

#include <QtGlobal>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace tw {

// Gives up on a server that has stopped answering. While armed it looks at
// the connection once per limit; when nothing has arrived since the last
// look, it runs the teardown once, from its own thread, so that a driver
// call blocked on the server returns. A driver that waits for the server to
// acknowledge a cancel (a frozen server never does) cannot end such a wait
// by itself.
class OdbcWatchdog {
public:
    // progress: a count that grows while the server sends; teardown: ends
    // the connection under the blocked call.
    OdbcWatchdog(std::function<quint64()> progress, std::function<void()> teardown);
    ~OdbcWatchdog();
    OdbcWatchdog(const OdbcWatchdog&) = delete;
    OdbcWatchdog& operator=(const OdbcWatchdog&) = delete;

    // Starts watching with a limit in seconds (0: no limit).
    void arm(int seconds);
    void disarm();
    // Whether the teardown has run.
    bool fired() const { return fired_; }

private:
    void watch();

    std::function<quint64()> progress_;
    std::function<void()> teardown_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::thread thread_;
    bool armed_ = false;
    bool quit_ = false;
    std::atomic<bool> fired_{false};
    std::chrono::seconds limit_{0};
    std::chrono::steady_clock::time_point deadline_;
    quint64 lastProgress_ = 0;
};

} // namespace tw
