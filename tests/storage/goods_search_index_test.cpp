// The offers' search index as the schema keeps it: deletes and bulk
// inserts leave it agreeing with the offers.

#include "storage_test_support.h"

#include "storage/goods_search_index.h"
#include "storage/schema.h"

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

    void expectConsistent()
    {
        EXPECT_NO_THROW(db.exec(
            QStringLiteral("INSERT INTO AllTovarPostav_SearchText(AllTovarPostav_SearchText) VALUES('integrity-check')")));
        EXPECT_TRUE(supplierGoodsIndexCurrent(db));
        EXPECT_EQ(db.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
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
    EXPECT_EQ(found(QStringLiteral("шайба")), 50);
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
    expectConsistent();
}

} // namespace
