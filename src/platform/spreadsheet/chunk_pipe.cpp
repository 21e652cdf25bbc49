#include "platform/spreadsheet/chunk_pipe.h"

#include <algorithm>

namespace velmora::sheet {

ChunkPipe::ChunkPipe(Parse parse, Deliver deliver, int workers)
    : parse_(std::move(parse)), deliver_(std::move(deliver)), maxInFlight_(std::size_t(std::max(workers, 1)) + 1)
{
    for (int i = 0; i < workers; ++i)
        threads_.emplace_back([this] { work(); });
}

ChunkPipe::~ChunkPipe()
{
    shutdown();
}

int ChunkPipe::workers()
{
    const int cores = int(std::thread::hardware_concurrency());
    return std::clamp(cores - 2, 0, 4);
}

bool ChunkPipe::dispatch(std::string bytes, int firstRow)
{
    if (threads_.empty()) {
        // No workers: the chunk is parsed here.
        Job job;
        job.chunk.bytes = std::move(bytes);
        job.chunk.firstRow = firstRow;
        parse_(job.chunk);
        stopped_ = !deliver_(job.chunk);
        return !stopped_;
    }
    {
        std::lock_guard lock(mutex_);
        std::unique_ptr<Job> job;
        if (free_.empty()) {
            job = std::make_unique<Job>();
        } else {
            job = std::move(free_.back());
            free_.pop_back();
        }
        job->chunk.bytes = std::move(bytes);
        job->chunk.firstRow = firstRow;
        pending_.push_back(job.get());
        jobs_.push_back(std::move(job));
    }
    work_.notify_one();
    return drain(false);
}

std::string ChunkPipe::spareBytes()
{
    std::lock_guard lock(mutex_);
    if (spareBytes_.empty())
        return {};
    std::string bytes = std::move(spareBytes_.back());
    spareBytes_.pop_back();
    return bytes;
}

void ChunkPipe::work()
{
    for (;;) {
        Job* job = nullptr;
        {
            std::unique_lock lock(mutex_);
            work_.wait(lock, [&] { return quit_ || !pending_.empty(); });
            if (quit_)
                return;
            job = pending_.front();
            pending_.pop_front();
        }
        try {
            job->chunk.items.clear();
            job->chunk.texts = StringPool();
            parse_(job->chunk);
        } catch (...) {
            job->error = std::current_exception();
        }
        {
            std::lock_guard lock(mutex_);
            if (spareBytes_.size() < maxInFlight_) {
                job->chunk.bytes.clear();
                spareBytes_.push_back(std::move(job->chunk.bytes));
            }
            job->chunk.bytes = std::string();
            job->done = true;
        }
        done_.notify_all();
    }
}

bool ChunkPipe::drain(bool all)
{
    while (!stopped_) {
        std::unique_ptr<Job> job;
        {
            std::unique_lock lock(mutex_);
            if (jobs_.empty())
                break;
            if (!jobs_.front()->done) {
                if (!all && jobs_.size() < maxInFlight_)
                    break;
                done_.wait(lock, [&] { return jobs_.front()->done; });
            }
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        if (job->error)
            std::rethrow_exception(job->error);
        stopped_ = !deliver_(job->chunk);
        job->error = nullptr;
        job->done = false;
        std::lock_guard lock(mutex_);
        free_.push_back(std::move(job));
    }
    return !stopped_;
}

void ChunkPipe::shutdown()
{
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    work_.notify_all();
    for (auto& t : threads_)
        if (t.joinable())
            t.join();
}

} // namespace velmora::sheet
