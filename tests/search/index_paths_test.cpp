// On a set large enough for every plan of the indexed search (trigram
// candidates, a window of the sort order, the rarest trigram's candidates
// in the sort order and a wider window of them, the fall-back),
// the rows equal those of the plain statement, chunk after chunk, and so
// does the whole result read by one statement.
#include "search_fixture.h"

#include "suppliers/search/goods_index.h"
#include "suppliers/search/supplier_goods_search.h"

#include <gtest/gtest.h>

namespace velmora::search {
namespace {

using test::PriceDbFixture;

constexpr int kOffers = 24000;

class IndexPathsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        fixture = new PriceDbFixture;
        fixture->addSupplier({QStringLiteral("Альфа"), 1});
        fixture->addSupplier({QStringLiteral("Бета"), 1});
        fixture->addSupplier({QStringLiteral("Скрытый"), 0});
        db::Transaction transaction(fixture->db());
        insertOffers(1, kOffers);
        transaction.commit();
        ensureSupplierGoodsIndex(fixture->db());
    }
    // Offers numbered first..last, with their currency rows, inside the
    // caller's transaction.
    static void insertOffers(int first, int last)
    {
        const QStringList kinds = {QStringLiteral("Болт"), QStringLiteral("Гайка"), QStringLiteral("Шайба"),
                                   QStringLiteral("Винт")};
        db::Statement s = fixture->db().prepare(QStringLiteral(
            "INSERT INTO AllTovarPostav (Number, Art, Tovar, Postavshik, Description, PriceOut) VALUES (?, ?, ?, ?, ?, ?)"));
        db::Statement v = fixture->db().prepare(QStringLiteral(
            "INSERT INTO AllTovarValuta (ID_Tovar, Price, Valuta) VALUES (?, ?, 'RUB')"));
        for (int n = first; n <= last; ++n) {
            // Half the names hold "стальной" (dense); one in 20 "медный"
            // (more than a chunk, far from most); one in 60 "латунный"
            // (sparse); a description on every third row, with item numbers
            // so that "item%77" is rare among them.
            QString tovar = kinds.at(n % 4) + (n % 2 ? QStringLiteral(" стальной") : QStringLiteral(" черный"));
            if (n % 60 == 0)
                tovar += QStringLiteral(" латунный");
            else if (n % 20 == 0)
                tovar += QStringLiteral(" медный");
            s.bindInt(1, n).bindText(2, QStringLiteral("A-%1").arg(n)).bindText(3, tovar);
            s.bindText(4, n % 7 == 0 ? QStringLiteral("Скрытый") : n % 2 ? QStringLiteral("Альфа") : QStringLiteral("Бета"));
            if (n % 3 == 0)
                s.bindText(5, QStringLiteral("www.example.com/item/%1").arg(n));
            else
                s.bindNull(5);
            if (n % 97 == 0)
                s.bindNull(6);  // a few offers without a price
            else
                s.bindDouble(6, double((n * 7919) % 5000) / 10);
            s.execute();
            s.reset();
            v.bindInt(1, n).bindDouble(2, double(n % 300));
            v.execute();
            v.reset();
        }
    }

    static void TearDownTestSuite()
    {
        delete fixture;
        fixture = nullptr;
    }

    struct Rows {
        std::vector<qint64> numbers;
        std::vector<qint64> whole; // the same result by one statement (forEachRow)
        GoodsQuery::FetchCounts counts;
    };

    static Rows all(const QString& text, SearchField field, IndexUse index, std::optional<SortOrder> sort,
                    int chunk = 400)
    {
        SearchState state;
        SearchOptions options;
        options.field = field;
        options.index = index;
        options.sort = sort;
        SearchOutcome outcome = SearchSupplierGoods(fixture->db(), options, text, state, chunk);
        EXPECT_EQ(outcome.status, SearchStatus::Opened) << outcome.error.toStdString();
        Rows rows;
        if (!outcome.query)
            return rows;
        const GoodsQuery& q = *outcome.query;
        const int number = q.columnIndex(QStringLiteral("Number"));
        GoodsChunk part = outcome.firstChunk;
        while (true) {
            for (const GoodsRow& row : part.rows)
                rows.numbers.push_back(row.at(number).toLongLong());
            if (part.atEnd || part.rows.isEmpty())
                break;
            part = q.fetch(q.keyOf(part.rows.constLast()), chunk);
        }
        rows.counts = q.fetchCounts();
        q.forEachRow({QStringLiteral("Number")}, [&](const db::Statement& row) {
            rows.whole.push_back(row.integer(0));
            return true;
        });
        return rows;
    }

    static void expectPlainRows(bool windowsAsPlanned);

    static PriceDbFixture* fixture;
};

PriceDbFixture* IndexPathsTest::fixture = nullptr;

// Every text on every sort, chunk after chunk: the indexed search's rows
// are the plain statement's. With `windowsAsPlanned` the texts also take
// the plans they are meant to.
void IndexPathsTest::expectPlainRows(bool windowsAsPlanned)
{
    // Where the first chunk comes from on an indexed sort order.
    enum class Plan {
        Window,      // the top of the sort order, every row tested: the rarest trigram is in most rows
        Candidates,  // the sort order walked for the rarest trigram's candidates: many, but far from most
        Walked,      // one of those two, as the sort order falls
        Any,         // as the data fall
    };
    struct Case {
        const char* text;
        SearchField field;
        Plan plan;
    };
    const std::vector<std::optional<SortOrder>> sorts = {
        std::nullopt, SortOrder{"PriceOut", true}, SortOrder{"Tovar", false}, SortOrder{"PricePostav", false}};
    for (const Case& c : {Case{"стальной", SearchField::Name, Plan::Window},
                          Case{"медный", SearchField::Name, Plan::Candidates},
                          Case{"латунный", SearchField::Name, Plan::Any},
                          // On the name's order its rows come after half the table.
                          Case{"гайка стальной", SearchField::Name, Plan::Walked},
                          // Its trigrams "www", "exa", ... are in every third row, "/77" in few.
                          Case{"www.example.com/item/77", SearchField::All, Plan::Any},
                          Case{"[стальной]&![гайка]", SearchField::Name, Plan::Window},
                          Case{"example", SearchField::All, Plan::Window}}) {
        for (const auto& sort : sorts) {
            SCOPED_TRACE(testing::Message() << c.text << " / " << (sort ? sort->field.toStdString() : "default")
                                            << (sort && sort->descending ? " desc" : ""));
            // Chunk sizes differ on purpose: the rows do not depend on them.
            const Rows plain = all(QString::fromUtf8(c.text), c.field, IndexUse::Never, sort, 5000);
            const Rows indexed = all(QString::fromUtf8(c.text), c.field, IndexUse::Auto, sort);
            EXPECT_FALSE(plain.numbers.empty());
            EXPECT_EQ(indexed.numbers, plain.numbers);
            EXPECT_EQ(indexed.whole, plain.numbers);
            EXPECT_EQ(plain.whole, plain.numbers);
            EXPECT_EQ(indexed.counts.table, 0);
            // Only an indexed sort order can be walked in windows.
            if (sort && sort->field == "PricePostav") {
                EXPECT_EQ(indexed.counts.window + indexed.counts.candidates, 0);
            } else if (c.plan == Plan::Walked && windowsAsPlanned) {
                EXPECT_GT(indexed.counts.window + indexed.counts.candidates, 0);
            } else if (c.plan != Plan::Any && windowsAsPlanned) {
                EXPECT_EQ(indexed.counts.window > 0, c.plan == Plan::Window);
                EXPECT_EQ(indexed.counts.candidates > 0, c.plan == Plan::Candidates);
            }
        }
    }
}

TEST_F(IndexPathsTest, EveryPlanGivesThePlainRows)
{
    expectPlainRows(true);
}

// The offers above the watermark, loaded but not yet indexed, are found as
// well: a few of them (the index's candidates decide the plan) and half
// the table (every plan walks the sort order).
TEST_F(IndexPathsTest, OffersWaitingForTheIndexAreFoundToo)
{
    for (const int waiting : {100, kOffers / 2}) {
        SCOPED_TRACE(testing::Message() << waiting << " waiting");
        const int above = kOffers - waiting;
        {
            db::Transaction transaction(fixture->db());
            for (const char* sql : {"DELETE FROM AllTovarValuta WHERE ID_Tovar > ?1",
                                    "DELETE FROM AllTovarPostav WHERE Number > ?1"}) {
                db::Statement remove = fixture->db().prepare(QString::fromUtf8(sql));
                remove.bindInt(1, above);
                remove.execute();
            }
            SupplierGoodsBulkInsert bulk(fixture->db());
            insertOffers(above + 1, kOffers);
            bulk.finish();
            transaction.commit();
        }
        ASSERT_EQ(supplierGoodsIndexPendingAbove(fixture->db()), std::optional<qint64>(above));
        expectPlainRows(waiting < kOffers / 100);
        EXPECT_TRUE(catchUpSupplierGoodsIndex(fixture->db()));
        expectPlainRows(true);
    }
}

} // namespace
} // namespace velmora::search
