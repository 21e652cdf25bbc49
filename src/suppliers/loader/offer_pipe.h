#pragma once

#include "suppliers/loader/offer_store.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

namespace velmora::loader {

// Chunks of parsed offers passed from the thread that reads the file to the
// one that writes them, at most `capacity` chunks ahead, so memory stays
// bounded whatever the file's size. Written chunks come back emptied, with
// their capacity, for the reading side to fill again: a long list does not
// allocate and free a chunk's buffers over and over, each on another thread.
class OfferPipe {
public:
    explicit OfferPipe(std::size_t capacity) : capacity_(capacity) {}

    // Producer: waits while the pipe is full; false once the consumer has
    // cancelled (the chunk is dropped).
    bool push(OfferStore&& chunk)
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return cancelled_ || chunks_.size() < capacity_; });
        if (cancelled_)
            return false;
        chunks_.push_back(std::move(chunk));
        changed_.notify_all();
        return true;
    }
    // Producer: an emptied chunk to fill next (a fresh one when none came back).
    OfferStore takeSpare()
    {
        std::lock_guard lock(mutex_);
        if (spare_.empty())
            return {};
        OfferStore chunk = std::move(spare_.back());
        spare_.pop_back();
        return chunk;
    }
    // Producer: no more chunks.
    void finish()
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
        changed_.notify_all();
    }

    // Consumer: the next chunk; false when the producer has finished and
    // every chunk was taken.
    bool pop(OfferStore& chunk)
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return !chunks_.empty() || finished_; });
        if (chunks_.empty())
            return false;
        chunk = std::move(chunks_.front());
        chunks_.pop_front();
        changed_.notify_all();
        return true;
    }
    // Consumer: a written chunk handed back for reuse.
    void recycle(OfferStore&& chunk)
    {
        chunk.clear();
        std::lock_guard lock(mutex_);
        if (!cancelled_ && spare_.size() < capacity_)
            spare_.push_back(std::move(chunk));
    }
    // Consumer: stop the producer and drop what is queued.
    void cancel()
    {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
        chunks_.clear();
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<OfferStore> chunks_;
    std::vector<OfferStore> spare_;
    std::size_t capacity_;
    bool finished_ = false;
    bool cancelled_ = false;
};

} // namespace velmora::loader
