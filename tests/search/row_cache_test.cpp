#include "suppliers/search/row_cache.h"

#include <gtest/gtest.h>

namespace velmora::search {
namespace {

QVector<GoodsRow> rows(int first, int count)
{
    QVector<GoodsRow> out;
    for (int i = 0; i < count; ++i)
        out.push_back(GoodsRow{first + i});
    return out;
}

RowKey key(int n) { return RowKey{n * 10, n}; }

int valueAt(RowCache& cache, int row)
{
    const GoodsRow* r = cache.row(row);
    return r ? r->at(0).toInt() : -1;
}

TEST(RowCache, GrowsByChunksAndKeepsWhereEachStarts)
{
    RowCache cache(3, 10);
    EXPECT_FALSE(cache.nextStart());
    EXPECT_EQ(cache.append(rows(0, 3), false, key(2)), 3);
    EXPECT_EQ(cache.append(rows(3, 3), false, key(5)), 3);
    EXPECT_EQ(cache.rowCount(), 6);
    EXPECT_FALSE(cache.complete());
    EXPECT_FALSE(cache.startOf(0));
    ASSERT_TRUE(cache.startOf(1));
    EXPECT_EQ(cache.startOf(1)->number, 2);
    EXPECT_EQ(cache.nextStart()->number, 5);
    EXPECT_EQ(valueAt(cache, 4), 4);
    EXPECT_EQ(valueAt(cache, 6), -1);
}

TEST(RowCache, AShortChunkCompletesTheResult)
{
    struct Case {
        int count;
        bool atEnd;
        bool complete;
    };
    for (const Case& c : {Case{3, false, false}, Case{2, false, true}, Case{3, true, true}, Case{0, false, true}}) {
        RowCache cache(3, 4);
        cache.append(rows(0, c.count), c.atEnd, c.count ? std::optional<RowKey>(key(c.count - 1)) : std::nullopt);
        EXPECT_EQ(cache.complete(), c.complete) << c.count << " " << c.atEnd;
        // Nothing is added once complete.
        if (c.complete) {
            EXPECT_EQ(cache.append(rows(9, 3), false, key(11)), 0);
        }
    }
}

TEST(RowCache, DropsTheLeastRecentlyUsedChunk)
{
    RowCache cache(2, 2);
    cache.append(rows(0, 2), false, key(1));
    cache.append(rows(2, 2), false, key(3));
    EXPECT_EQ(valueAt(cache, 0), 0);  // chunk 0 is now the most recent
    cache.append(rows(4, 2), false, key(5));
    EXPECT_EQ(cache.loadedChunks(), 2);
    EXPECT_TRUE(cache.isLoaded(0));
    EXPECT_FALSE(cache.isLoaded(1));
    EXPECT_EQ(valueAt(cache, 2), -1);
    EXPECT_EQ(cache.rowCount(), 6);  // rows are still counted
    // An evicted chunk comes back from its start key.
    EXPECT_EQ(cache.startOf(1)->number, 1);
    cache.restore(1, rows(2, 2));
    EXPECT_EQ(valueAt(cache, 3), 3);
    EXPECT_FALSE(cache.isLoaded(0));
}

TEST(RowCache, ARestoredChunkThatCameBackShortLeavesGaps)
{
    RowCache cache(3, 1);
    cache.append(rows(0, 3), false, key(2));
    cache.append(rows(3, 3), false, key(5));
    cache.restore(0, rows(0, 1));
    EXPECT_EQ(valueAt(cache, 0), 0);
    EXPECT_EQ(valueAt(cache, 2), -1);
    cache.clear();
    EXPECT_EQ(cache.rowCount(), 0);
    EXPECT_FALSE(cache.complete());
}

} // namespace
} // namespace velmora::search
