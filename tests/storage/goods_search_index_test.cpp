// The offers' search index as the schema keeps it: deletes and bulk
// inserts leave it agreeing with the offers, also while a bulk insert's
// offers still wait for the catch-up.

#include "storage_test_support.h"

#include "storage/goods_search_index.h"
#include "storage/schema.h"

#include <functional>
#include <string_view>
#include <vector>

using namespace velmora;

namespace {

class GoodsSearchIndexTest : public StorageTest {
protected:
    void SetUp() override
    {
        createPriceDatabase(path(QStringLiteral("PRICE.vdb")));
        db.open(path(QStringLiteral("PRICE.vdb")));
    }

    void addOffers(const QString& supplier, const QString& name, int count)
    {
        db::Statement insert = db.prepare(
            QStringLiteral("INSERT INTO AllTovarPostav (Postavshik, Art, Tovar, PriceOut) VALUES (?1, ?2, ?3, ?4)"));
        for (int i = 0; i < count; ++i) {
            insert.bind(1, supplier).bind(2, QStringLiteral("A-%1").arg(i)).bind(3, QStringLiteral("%1 %2").arg(name).arg(i));
            insert.bind(4, double((i * 37) % 11));
            insert.execute();
            insert.reset();
        }
    }

    int found(const QString& text) const
    {
        return db.scalar(QStringLiteral("SELECT count(*) FROM AllTovarPostav_SearchText "
                                        "WHERE AllTovarPostav_SearchText MATCH ?1"),
                         {supplierGoodsIndexTerm(text, QString())})
            .toInt();
    }

    // The engine's check of the index against the offers themselves.
    void expectConsistent()
    {
        EXPECT_NO_THROW(db.exec(QStringLiteral("INSERT INTO AllTovarPostav_SearchText(AllTovarPostav_SearchText, rank) "
                                               "VALUES('integrity-check', 1)")));
        EXPECT_TRUE(supplierGoodsIndexCurrent(db));
        EXPECT_EQ(db.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    }

    // Adds offers the way a loader does, leaving them to the catch-up.
    void bulkAdd(const QString& supplier, const QString& name, int count)
    {
        db::Transaction transaction(db);
        SupplierGoodsBulkInsert bulk(db, count);
        addOffers(supplier, name, count);
        bulk.finish();
        transaction.commit();
    }

    db::Connection db;
};

TEST_F(GoodsSearchIndexTest, ANewPriceDatabaseHasTheWholeIndex)
{
    EXPECT_TRUE(supplierGoodsIndexCurrent(db));
    addOffers(QStringLiteral("Альфа"), QStringLiteral("Болт оцинкованный"), 3);
    EXPECT_EQ(found(QStringLiteral("ОЦИНК")), 3);
    expectConsistent();
}

// The index keeps the trigrams a search can ask for, folded as the search
// folds them, and none across a space, a separator or a character it does
// not hold; a malformed text is indexed as far as it reads.
TEST_F(GoodsSearchIndexTest, TheIndexKeepsTheTrigramsASearchAsks)
{
    db.exec(QStringLiteral("INSERT INTO AllTovarPostav (Postavshik, Art, Tovar) VALUES "
                           "('Альфа', 'ЁЖ-20', 'ЁЛКА Болт/М6 x''y Straße'),"
                           "('Бета', CAST(x'41424344D0' AS TEXT), CAST(x'D0D0E282AC41424358' AS TEXT))"));
    struct Case {
        const char* query; // as the engine reads it
        int rows;
    };
    for (const Case& c : {Case{"\"ёлк\"", 1}, Case{"\"ЕЛК\"", 0}, Case{"\"ЁЛК\"", 1}, Case{"\"ёж\"", 0},
                          Case{"\"олт\"", 1}, Case{"\"т/м\"", 0}, Case{"\"а б\"", 0}, Case{"\"x'y\"", 0},
                          Case{"\"str\"", 1}, Case{"\"raß\"", 0}, Case{"\"bcd\"", 1}, Case{"\"bcx\"", 1},
                          Case{"\"bcd\" AND \"bcx\"", 1}}) {
        SCOPED_TRACE(c.query);
        EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM AllTovarPostav_SearchText "
                                           "WHERE AllTovarPostav_SearchText MATCH ?1"),
                            {QString::fromUtf8(c.query)})
                      .toInt(),
                  c.rows);
    }
    expectConsistent();
}

TEST_F(GoodsSearchIndexTest, DeletingASuppliersOffersKeepsTheOthersFound)
{
    // Each: how many offers the deleted supplier and the kept one have (the
    // first is most of the table, the second is not).
    struct Case {
        int deleted;
        int kept;
    };
    for (const Case& c : {Case{30, 5}, Case{5, 30}, Case{7, 0}}) {
        SCOPED_TRACE(testing::Message() << c.deleted << " of " << c.deleted + c.kept);
        db.exec(QStringLiteral("DELETE FROM AllTovarPostav"));
        addOffers(QStringLiteral("Альфа"), QStringLiteral("Шайба"), c.deleted);
        addOffers(QStringLiteral("Бета"), QStringLiteral("Гайка"), c.kept);
        db::Transaction transaction(db);
        EXPECT_EQ(deleteSupplierOffers(db, QStringLiteral("альфа")), c.deleted);
        EXPECT_EQ(deleteSupplierOffers(db, QStringLiteral("Нет такого")), 0);
        transaction.commit();
        EXPECT_EQ(found(QStringLiteral("шайба")), 0);
        EXPECT_EQ(found(QStringLiteral("гайка")), c.kept);
        expectConsistent();
    }
}

TEST_F(GoodsSearchIndexTest, ABulkInsertOverAFewOffersRebuildsThePriceOrder)
{
    addOffers(QStringLiteral("Бета"), QStringLiteral("Гайка"), 2);
    {
        db::Transaction transaction(db);
        SupplierGoodsBulkInsert bulk(db, 50);
        addOffers(QStringLiteral("Альфа"), QStringLiteral("Шайба"), 50);
        bulk.finish();
        transaction.commit();
    }
    EXPECT_EQ(found(QStringLiteral("шайба")), 0);
    EXPECT_TRUE(catchUpSupplierGoodsIndex(db));
    EXPECT_FALSE(catchUpSupplierGoodsIndex(db));
    EXPECT_EQ(found(QStringLiteral("шайба")), 50);
    // The index on the articles follows once the list is searchable.
    EXPECT_FALSE(supplierGoodsIndexCurrent(db));
    EXPECT_TRUE(completeOfferIndexes(db));
    EXPECT_FALSE(completeOfferIndexes(db));
    expectConsistent();
    // A rolled-back one leaves the index and the price order as they were.
    try {
        db::Transaction transaction(db);
        SupplierGoodsBulkInsert bulk(db, 100);
        addOffers(QStringLiteral("Гамма"), QStringLiteral("Винт"), 10);
        throw std::runtime_error("load failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(found(QStringLiteral("винт")), 0);
    EXPECT_FALSE(supplierGoodsIndexPendingAbove(db));
    expectConsistent();
}

// Offers not yet indexed are deleted, changed and added to before the
// catch-up: no trigger may take from the index a row it lacks, and the
// catch-up then indexes each offer once.
TEST_F(GoodsSearchIndexTest, ChangesBeforeTheCatchUpKeepTheIndexRight)
{
    struct Case {
        const char* label;
        std::function<void(db::Connection&)> change;
        int gaika;  // offers found by each word after the catch-up
        int shaiba;
        int vint;
    };
    const auto update = [](const char* sql) { return [sql](db::Connection& c) { c.exec(QString::fromUtf8(sql)); }; };
    const auto remove = [](const char* supplier) {
        return [supplier](db::Connection& c) {
            db::Transaction transaction(c);
            deleteSupplierOffers(c, QString::fromUtf8(supplier));
            transaction.commit();
        };
    };
    const std::vector<Case> cases = {
        {"waiting offers deleted, the rest most of the table", remove("Альфа"), 30, 0, 0},
        {"indexed offers deleted row by row", update("DELETE FROM AllTovarPostav WHERE Postavshik = 'Бета'"), 0,
         20, 0},
        {"supplier with both deleted wholesale", remove("Бета"), 0, 20, 0},
        {"waiting offer renamed", update("UPDATE AllTovarPostav SET Tovar = 'Винт' WHERE Tovar = 'Шайба 3'"), 30, 19, 1},
        {"indexed offer renamed", update("UPDATE AllTovarPostav SET Tovar = 'Винт' WHERE Tovar = 'Гайка 3'"), 29, 20, 1},
        {"waiting offer re-priced", update("UPDATE AllTovarPostav SET PriceOut = 1 WHERE Tovar = 'Шайба 3'"), 30, 20, 0},
        {"one offer added by hand",
         update("INSERT INTO AllTovarPostav (Postavshik, Tovar) VALUES ('Гамма', 'Винт')"), 30, 20, 1},
        {"another bulk insert", [this](db::Connection&) { bulkAdd(QStringLiteral("Гамма"), QStringLiteral("Винт"), 5); },
         30, 20, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        db.exec(QStringLiteral("DELETE FROM AllTovarPostav"));
        ASSERT_FALSE(supplierGoodsIndexPendingAbove(db));
        addOffers(QStringLiteral("Бета"), QStringLiteral("Гайка"), 30);
        bulkAdd(QStringLiteral("Альфа"), QStringLiteral("Шайба"), 20);
        if (std::string_view(c.label).starts_with("supplier with both"))
            bulkAdd(QStringLiteral("Бета"), QStringLiteral("Шайба"), 10);
        const qint64 top = db.scalar(QStringLiteral("SELECT max(Number) FROM AllTovarPostav")).toLongLong();
        ASSERT_TRUE(supplierGoodsIndexPendingAbove(db));
        EXPECT_LT(*supplierGoodsIndexPendingAbove(db), top);
        c.change(db);
        catchUpSupplierGoodsIndex(db);
        EXPECT_EQ(found(QStringLiteral("гайка")), c.gaika);
        EXPECT_EQ(found(QStringLiteral("шайба")), c.shaiba);
        EXPECT_EQ(found(QStringLiteral("винт")), c.vint);
        expectConsistent();
    }
}

// Many offers' searched fields rewritten in place (the article
// recalculation), told beforehand how many change (the scope) or learning
// it by writing (the rewrite): with few changes the trigger keeps the
// index, with many it is built anew; offers still waiting for the catch-up
// are indexed once either way, and a rollback leaves everything as it was.
TEST_F(GoodsSearchIndexTest, ABulkUpdateOfSearchedFieldsKeepsTheIndexRight)
{
    struct Case {
        const char* label;
        const char* where; // the offers whose Description changes
        int changed;
    };
    const Case cases[] = {
        {"no offer", "WHERE Description = 'КЛЮЧ'", 0},
        {"a few offers", "WHERE Tovar = 'Гайка 3'", 1},
        {"most offers", "WHERE Postavshik = 'Бета'", 30},
        {"every offer", "", 50},
    };
    const auto rewrite = [this](const Case& c) -> qint64 {
        db.exec(QStringLiteral("UPDATE AllTovarPostav SET Description = 'КЛЮЧ' ") + QString::fromUtf8(c.where));
        return db.changes();
    };
    for (const bool learnedByWriting : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.label) + (learnedByWriting ? ", learned by writing" : ", told beforehand"));
            db.exec(QStringLiteral("DELETE FROM AllTovarPostav"));
            addOffers(QStringLiteral("Бета"), QStringLiteral("Гайка"), 30);
            bulkAdd(QStringLiteral("Альфа"), QStringLiteral("Шайба"), 20);
            {
                db::Transaction transaction(db);
                if (learnedByWriting) {
                    EXPECT_EQ(rewriteSupplierGoods(db, [&] { return rewrite(c); }), c.changed);
                } else {
                    SupplierGoodsBulkUpdate bulk(db, c.changed);
                    rewrite(c);
                    bulk.finish();
                }
                transaction.commit();
            }
            catchUpSupplierGoodsIndex(db);
            EXPECT_EQ(found(QStringLiteral("ключ")), c.changed);
            EXPECT_EQ(found(QStringLiteral("шайба")), 20);
            expectConsistent();
        }
    }
    const Case every = cases[3];
    try {
        db::Transaction transaction(db);
        SupplierGoodsBulkUpdate bulk(db, 50);
        db.exec(QStringLiteral("UPDATE AllTovarPostav SET Description = 'ВИНТ'"));
        throw std::runtime_error("recalculation failed");
    } catch (const std::runtime_error&) {
    }
    try {
        db::Transaction transaction(db);
        rewriteSupplierGoods(db, [&] {
            rewrite(every);
            db.exec(QStringLiteral("UPDATE AllTovarPostav SET Description = 'ВИНТ'"));
            throw std::runtime_error("recalculation failed");
            return qint64(0);
        });
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(found(QStringLiteral("винт")), 0);
    EXPECT_EQ(found(QStringLiteral("ключ")), 50);
    expectConsistent();
}

// A bulk insert committed without its catch-up (the program was killed in
// between): the next start's upgrade indexes the offers.
TEST_F(GoodsSearchIndexTest, TheUpgradeFinishesACatchUpThatNeverRan)
{
    addOffers(QStringLiteral("Бета"), QStringLiteral("Гайка"), 3);
    bulkAdd(QStringLiteral("Альфа"), QStringLiteral("Шайба"), 40);
    db.close();
    createOrderDatabase(path(QStringLiteral("ORDER.vdb")));
    db.open(path(QStringLiteral("PRICE.vdb")));
    db::Connection order(path(QStringLiteral("ORDER.vdb")));
    ASSERT_TRUE(supplierGoodsIndexPendingAbove(db));
    UpgradeSchema(db, order, false);
    EXPECT_FALSE(supplierGoodsIndexPendingAbove(db));
    EXPECT_EQ(found(QStringLiteral("шайба")), 40);
    EXPECT_EQ(found(QStringLiteral("гайка")), 3);
    expectConsistent();
}

} // namespace
