#include "db/odbc/OdbcWatchdog.h"

namespace tw {

OdbcWatchdog::OdbcWatchdog(std::function<quint64()> progress, std::function<void()> teardown)
    : progress_(std::move(progress)), teardown_(std::move(teardown))
{
}

OdbcWatchdog::~OdbcWatchdog()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void OdbcWatchdog::arm(int seconds)
{
    if (seconds <= 0 || fired_)
        return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        armed_ = true;
        limit_ = std::chrono::seconds(seconds);
        deadline_ = std::chrono::steady_clock::now() + limit_;
        lastProgress_ = progress_();
        // The thread starts with the first watched call: most connections
        // only list databases and never need it.
        if (!thread_.joinable())
            thread_ = std::thread([this] { watch(); });
    }
    changed_.notify_all();
}

void OdbcWatchdog::disarm()
{
    std::lock_guard<std::mutex> lock(mutex_);
    armed_ = false;
}

void OdbcWatchdog::watch()
{
    std::unique_lock<std::mutex> lock(mutex_);
    while (!quit_) {
        if (!armed_ || fired_) {
            changed_.wait(lock);
            continue;
        }
        changed_.wait_until(lock, deadline_);
        if (quit_ || !armed_ || std::chrono::steady_clock::now() < deadline_)
            continue;
        const quint64 progress = progress_();
        if (progress != lastProgress_) {
            lastProgress_ = progress;
            deadline_ = std::chrono::steady_clock::now() + limit_;
            continue;
        }
        fired_ = true;
        teardown_();
    }
}

} // namespace tw
