#include "row_cache.h"

#include <algorithm>

namespace velmora::search {

RowCache::RowCache(int chunkSize, int maxChunks)
    : chunkSize_(std::max(1, chunkSize)), maxChunks_(std::max(1, maxChunks))
{
}

std::optional<RowKey> RowCache::startOf(int chunk) const
{
    if (chunk <= 0 || chunk > lastKeys_.size())
        return std::nullopt;
    return lastKeys_.at(chunk - 1);
}

int RowCache::append(QVector<GoodsRow> rows, bool atEnd, const std::optional<RowKey>& lastKey)
{
    if (complete_)
        return 0;
    if (rows.size() > chunkSize_)
        rows.resize(chunkSize_);
    const int added = int(rows.size());
    if (added < chunkSize_ || atEnd || !lastKey)
        complete_ = true;
    if (added == 0)
        return 0;
    const int chunk = chunkCount();
    lastKeys_.push_back(lastKey.value_or(RowKey{}));
    chunks_.insert(chunk, std::move(rows));
    rowCount_ += added;
    touch(chunk);
    evictBeyondCapacity();
    return added;
}

void RowCache::restore(int chunk, QVector<GoodsRow> rows)
{
    if (chunk < 0 || chunk >= chunkCount())
        return;
    if (rows.size() > chunkSize_)
        rows.resize(chunkSize_);
    chunks_.insert(chunk, std::move(rows));
    touch(chunk);
    evictBeyondCapacity();
}

const GoodsRow* RowCache::row(int index)
{
    if (index < 0 || index >= rowCount_)
        return nullptr;
    const int chunk = chunkOf(index);
    const auto it = chunks_.constFind(chunk);
    if (it == chunks_.constEnd())
        return nullptr;
    const int offset = index - chunk * chunkSize_;
    if (offset >= it->size())
        return nullptr;
    if (recency_.front() != chunk)
        touch(chunk);
    return &it->at(offset);
}

void RowCache::clear()
{
    rowCount_ = 0;
    complete_ = false;
    lastKeys_.clear();
    chunks_.clear();
    recency_.clear();
}

void RowCache::touch(int chunk)
{
    recency_.remove(chunk);
    recency_.push_front(chunk);
}

void RowCache::evictBeyondCapacity()
{
    while (int(recency_.size()) > maxChunks_) {
        chunks_.remove(recency_.back());
        recency_.pop_back();
    }
}

} // namespace velmora::search
