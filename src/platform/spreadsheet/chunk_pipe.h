#pragma once

// Parsing a large sheet on several cores: its bytes are cut into chunks of
// whole rows, each chunk is parsed on a worker thread into items, and the
// items reach the sink in sheet order on the calling thread. At most one
// chunk more than there are workers is in flight, so memory stays bounded
// by the chunk size whatever the sheet's length. The xlsx and the CSV
// readers cut and parse differently; both go through this pipe.

#include "platform/spreadsheet/reader_backend.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace velmora::sheet {

// A row or cell as a chunk's parser met it. An xlsx chunk's items may still
// lack their row number and shared formula, which need the rows in order
// and are settled on delivery.
struct RawItem {
    bool isRow = false;
    bool hasRef = false; // the element had its own r attribute
    RowEvent row;
    CellEvent cell;
    int sharedSi = -1;
    bool sharedMaster = false;
};

// One chunk of a sheet: its bytes, what its parser made of them (items, or
// whole rows for a sink that takes them), and where it starts (for a format
// whose rows are numbered by counting, as CSV's). Chunks are reused: the
// parser gets `items` and `texts` empty, and `rows` as an earlier chunk
// left them, so that it can overwrite them row by row (each text freed
// just before the next is made, which the allocator serves best) and cut
// the vector to its own rows.
struct SheetChunk {
    std::string bytes;
    int firstRow = 1;
    std::vector<RawItem> items;
    StringPool texts; // the items' texts, for a parser that keeps them so
    // rows[0, rowCount) are the chunk's; those beyond are an earlier
    // chunk's, kept for their capacity.
    std::vector<RowData> rows;
    std::size_t rowCount = 0;
    // The rows' texts as UTF-8, for rows whose cells point into it; kept
    // from chunk to chunk and grown when a chunk needs more.
    std::unique_ptr<char[]> utf8;
    std::size_t utf8Capacity = 0;
};

class ChunkPipe {
public:
    // Runs on a worker: fills the chunk's items from its bytes; may throw.
    using Parse = std::function<void(SheetChunk&)>;
    // Runs on the calling thread, chunk by chunk in sheet order, handing the
    // chunk's items or rows on; false stops.
    using Deliver = std::function<bool(SheetChunk&)>;

    ChunkPipe(Parse parse, Deliver deliver, int workers);
    ~ChunkPipe();
    ChunkPipe(const ChunkPipe&) = delete;
    ChunkPipe& operator=(const ChunkPipe&) = delete;

    // Queues a chunk of whole rows and hands finished chunks on, waiting
    // when too many are in flight. false once delivery was stopped. A
    // worker's exception is thrown here, in the order of the chunks.
    bool dispatch(std::string bytes, int firstRow = 1);
    // Waits for every chunk and hands it on.
    bool finish() { return drain(true); }
    // An empty string with the capacity of a parsed chunk's bytes when one
    // is spare, to fill with the next chunk: a fresh buffer for each chunk
    // would have its pages faulted in anew.
    std::string spareBytes();
    bool stopped() const { return stopped_; }

    // Worker threads for a large sheet: none on a machine of two cores or
    // fewer.
    static int workers();

private:
    struct Job {
        SheetChunk chunk;
        std::exception_ptr error;
        bool done = false;
    };

    void work();
    bool drain(bool all);
    void shutdown();

    Parse parse_;
    Deliver deliver_;
    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable work_, done_;
    std::deque<std::unique_ptr<Job>> jobs_; // in sheet order
    std::deque<Job*> pending_;              // of those, not taken by a worker yet
    // Delivered jobs, reused with their capacity (emptied on a worker), so a
    // long sheet does not allocate and free a chunk's items over and over.
    std::vector<std::unique_ptr<Job>> free_;
    // Bytes of parsed chunks, kept for the next ones (no more than can be
    // in flight).
    std::vector<std::string> spareBytes_;
    std::size_t maxInFlight_ = 6;
    bool quit_ = false;
    bool stopped_ = false;
};

} // namespace velmora::sheet
