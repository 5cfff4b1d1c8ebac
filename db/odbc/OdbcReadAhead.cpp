#include "db/odbc/OdbcReadAhead.h"

namespace tw {

OdbcReadAhead::OdbcReadAhead(const OdbcRowFetcher& fetcher, FetchBlock fetchBlock, int blocks)
    : fetcher_(fetcher), fetchBlock_(std::move(fetchBlock))
{
    for (int i = 0; i < std::max(blocks, 2); ++i) {
        blocks_.push_back(fetcher_.newBlock());
        empty_.push_back(blocks_.back().get());
    }
    thread_ = std::thread([this] { fetchAll(); });
}

OdbcReadAhead::~OdbcReadAhead()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void OdbcReadAhead::fetchAll()
{
    for (;;) {
        OdbcBlock* block = nullptr;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return stopping_ || !empty_.empty(); });
            if (stopping_)
                return;
            block = empty_.front();
            empty_.pop_front();
        }
        bool more = false;
        std::exception_ptr failure;
        try {
            more = fetchBlock_(*block);
        } catch (...) {
            failure = std::current_exception();
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (more) {
                filled_.push_back(block);
            } else {
                finished_ = true;
                failure_ = failure;
            }
        }
        changed_.notify_all();
        if (!more)
            return;
    }
}

bool OdbcReadAhead::take()
{
    if (!taking_ || position_ >= taking_->fetched) {
        std::unique_lock<std::mutex> lock(mutex_);
        if (taking_) {
            empty_.push_back(taking_);
            taking_ = nullptr;
            changed_.notify_all();
        }
        changed_.wait(lock, [this] { return !filled_.empty() || finished_; });
        if (filled_.empty()) {
            if (failure_)
                std::rethrow_exception(failure_);
            return false;
        }
        taking_ = filled_.front();
        filled_.pop_front();
        position_ = 0;
        firstBadRow_ = fetcher_.firstBadRow(*taking_);
    }
    // A block is checked as a whole when it is taken; the row that fails
    // the check fails when it is reached.
    if (position_ == firstBadRow_)
        fetcher_.checkRow(*taking_, position_);
    ++position_;
    return true;
}

} // namespace tw
