#pragma once

#include "goods_query.h"

#include <QHash>

#include <list>
#include <optional>

namespace velmora::search {

// The rows of a result that the grid has reached, held in fixed-size chunks.
// Only the most recently used chunks keep their rows; for every chunk the
// key of its last row is kept, so that an evicted chunk can be read again
// starting after the previous chunk's last row.
class RowCache {
public:
    RowCache(int chunkSize, int maxChunks);

    int chunkSize() const { return chunkSize_; }
    int maxChunks() const { return maxChunks_; }
    // Rows reached so far; grows by append().
    int rowCount() const { return rowCount_; }
    // True once a chunk came back short: there are no more rows.
    bool complete() const { return complete_; }
    int chunkCount() const { return int(lastKeys_.size()); }
    int chunkOf(int row) const { return row / chunkSize_; }
    int loadedChunks() const { return int(chunks_.size()); }

    // Where the next chunk to append starts; none for the first.
    std::optional<RowKey> nextStart() const { return startOf(chunkCount()); }
    // Where chunk k starts: after the last row of chunk k-1.
    std::optional<RowKey> startOf(int chunk) const;

    // Adds the next chunk. Rows beyond the chunk size are dropped; a short
    // chunk (or atEnd) completes the result. Returns the rows added.
    int append(QVector<GoodsRow> rows, bool atEnd, const std::optional<RowKey>& lastKey);
    // Puts the rows of an evicted chunk back (read again from its start).
    void restore(int chunk, QVector<GoodsRow> rows);

    bool isLoaded(int chunk) const { return chunks_.contains(chunk); }
    // The row, or null when its chunk is not held (or it came back shorter).
    const GoodsRow* row(int index);

    void clear();

private:
    void touch(int chunk);
    void evictBeyondCapacity();

    int chunkSize_;
    int maxChunks_;
    int rowCount_ = 0;
    bool complete_ = false;
    QVector<RowKey> lastKeys_;
    QHash<int, QVector<GoodsRow>> chunks_;
    std::list<int> recency_;  // most recent first
};

} // namespace velmora::search
