#pragma once

#include "platform/spreadsheet/xlsx_sheet_parser.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace velmora::sheet::xlsx {

// ---- parallel parsing of large sheets
//
// expat reads about 150 MB of XML a second; a sheet of a million rows is
// several hundred MB. Its rows are cut into chunks at row ends, each parsed
// by its own expat parser on a worker thread, and the results are handed to
// the sink in order on the calling thread. The part before the rows and the
// part after them (merges, hyperlinks) go through the main parser.
// Just past the sheetData start tag, or npos when it is not (yet) there.
std::size_t sheetDataStart(const std::string& b, bool& selfClosing);
// Where the sheetData end tag begins, at or after `from`; npos when none.
std::size_t sheetDataEnd(const std::string& b, std::size_t from);
// The end of the last complete row in b, outside comments and CDATA; 0
// when there is none.
std::size_t lastRowEnd(const std::string& b);

class NullSink : public CellSink {
public:
    bool cell(const CellEvent&) override { return true; }
};

class ParallelRows {
public:
    using MakeParser = std::function<std::unique_ptr<SheetParser>()>;
    ParallelRows(SheetParser& main, MakeParser make, int workers) : main_(main), make_(std::move(make))
    {
        for (int i = 0; i < workers; ++i)
            threads_.emplace_back([this] { work(); });
        maxInFlight_ = std::size_t(workers) + 1;
    }
    ~ParallelRows() { shutdown(); }

    // Queues a chunk of whole rows; hands finished chunks to the sink.
    // false once the sink asked to stop.
    bool dispatch(std::string xml)
    {
        {
            std::lock_guard lock(mutex_);
            jobs_.push_back(std::make_unique<Job>());
            jobs_.back()->xml = std::move(xml);
            pending_.push_back(jobs_.back().get());
        }
        work_.notify_one();
        return drain(false);
    }
    // Waits for every chunk and hands it on.
    bool finish() { return drain(true); }
    bool stopped() const { return stopped_; }

private:
    struct Job {
        std::string xml;
        std::vector<RawItem> items;
        StringPool texts;
        std::exception_ptr error;
        bool done = false;
    };

    void work()
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
                job->items.reserve(job->xml.size() / 24);
                std::unique_ptr<SheetParser> parser = make_();
                parser->recordInto(&job->items, &job->texts);
                static const char open[] = "<sheetData>";
                static const char close[] = "</sheetData>";
                parser->feed(open, sizeof open - 1, false);
                parser->feed(job->xml.data(), job->xml.size(), false);
                parser->feed(close, sizeof close - 1, true);
            } catch (...) {
                job->error = std::current_exception();
            }
            {
                std::lock_guard lock(mutex_);
                job->xml.clear();
                job->xml.shrink_to_fit();
                job->done = true;
            }
            done_.notify_all();
        }
    }

    bool drain(bool all)
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
            for (RawItem& item : job->items)
                if (!main_.deliver(item)) {
                    stopped_ = true;
                    break;
                }
        }
        return !stopped_;
    }

    void shutdown()
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

    SheetParser& main_;
    MakeParser make_;
    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable work_, done_;
    std::deque<std::unique_ptr<Job>> jobs_;
    std::deque<Job*> pending_;
    std::size_t maxInFlight_ = 6;
    bool quit_ = false;
    bool stopped_ = false;
};

constexpr std::uint64_t kParallelSheetSize = 8u << 20;
constexpr std::size_t kChunkSize = 512u << 10;

int parallelWorkers();

} // namespace velmora::sheet::xlsx
