#include "suppliers/tree/load_queue.h"
#include "suppliers/tree/price_lists.h"

#include <gtest/gtest.h>

using namespace velmora;

namespace {

std::vector<PriceListRow> lists(std::initializer_list<std::pair<qint64, const char*>> rows)
{
    std::vector<PriceListRow> out;
    for (const auto& [id, name] : rows) {
        PriceListRow row;
        row.Id = id;
        row.Postavshik = QString::fromUtf8(name);
        out.push_back(row);
    }
    return out;
}

TEST(LoadQueueNames, IndexedByIdWithGapsLeftEmpty)
{
    const LoadQueueNames queue = LoadQueueNames::fromPriceLists(lists({{1, "А"}, {2, "Б"}, {4, "Г"}}));
    EXPECT_EQ(queue.size(), 5);
    EXPECT_EQ(queue.at(0), "");
    EXPECT_EQ(queue.at(3), "");
    EXPECT_EQ(queue.at(4), "Г");
    EXPECT_EQ(queue.names(), QStringList({"А", "Б", "Г"}));
    EXPECT_EQ(LoadQueueNames::fromPriceLists({}).size(), 1);
}

TEST(LoadQueueNames, RemoveAndAppendKeepTheOrder)
{
    LoadQueueNames queue = LoadQueueNames::fromPriceLists(lists({{1, "А"}, {2, "Б"}, {3, "В"}}));
    EXPECT_TRUE(queue.remove("Б"));
    EXPECT_FALSE(queue.remove("Б"));
    EXPECT_EQ(queue.names(), QStringList({"А", "В"}));
    EXPECT_EQ(queue.append("Б"), 2);
    EXPECT_EQ(queue.append("А"), 0); // already queued: stays in place
    EXPECT_EQ(queue.names(), QStringList({"А", "В", "Б"}));
    EXPECT_EQ(queue.size(), 5);
}

} // namespace
