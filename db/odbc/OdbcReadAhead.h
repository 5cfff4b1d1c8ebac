#pragma once

#include "db/odbc/OdbcRowFetcher.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tw {

// Fetches the blocks of a bound result on a thread of its own while the
// caller turns the rows of the blocks before them into values, so that
// waiting on the server and the work on the rows overlap. The thread only
// fills buffers; every value is made on the caller's thread. The rows
// arrive in order, then the end, or the failure that ended the fetching at
// the place where it happened. The caller reads the values of a row in its
// block. A fixed set of blocks circulates: the fetching pauses while all of
// them wait for the caller.
class OdbcReadAhead {
public:
    // fetchBlock fetches the next rows into a block (false at the end of
    // the result); it runs on the fetching thread only.
    using FetchBlock = std::function<bool(OdbcBlock&)>;

    OdbcReadAhead(const OdbcRowFetcher& fetcher, FetchBlock fetchBlock, int blocks);
    // Stops the fetching: a fetch under way is finished first.
    ~OdbcReadAhead();
    OdbcReadAhead(const OdbcReadAhead&) = delete;
    OdbcReadAhead& operator=(const OdbcReadAhead&) = delete;

    // Moves to the next row, checked (OdbcRowFetcher::checkRow); false at
    // the end of the result. The failure that ended the fetching is thrown
    // here once the rows before it have been taken.
    bool take();
    // The row taken last: its block, which stays the caller's until the
    // next take, and its position there.
    const OdbcBlock& block() const { return *taking_; }
    SQLULEN position() const { return position_ - 1; }

private:
    void fetchAll();

    const OdbcRowFetcher& fetcher_;
    FetchBlock fetchBlock_;
    std::vector<std::unique_ptr<OdbcBlock>> blocks_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<OdbcBlock*> empty_;   // for the thread to fill
    std::deque<OdbcBlock*> filled_;  // for the caller, in order
    OdbcBlock* taking_ = nullptr;    // the block the caller reads
    SQLULEN position_ = 0;
    SQLULEN firstBadRow_ = 0;        // of the block, its rows when none
    bool finished_ = false;          // the fetching has ended
    std::exception_ptr failure_;     // why, when it failed
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace tw
