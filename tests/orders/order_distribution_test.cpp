// The distribution of the order list among suppliers: one good as a pure
// function, then the order on a database with its units in ZakazPostav.
#include "order_test_support.h"

#include "orders/order_distribution.h"

#include <gtest/gtest.h>

namespace velmora::orders {
namespace {

using test::OrderFolder;

TEST(DistributeGood, UnitsGoCheapestFirstWithinStock)
{
    struct Case {
        const char* what;
        qint64 need;
        QVector<qint64> stocks;
        QStringList codes;
        qint64 shortage;
    };
    const std::vector<Case> cases = {
        {"three offers", 10, {4, 3, 5}, {"4", "3", "3"}, 0},
        {"one offer short", 10, {6}, {"6"}, 4},
        {"no stock anywhere", 10, {0, 0}, {"-", "0"}, 10},
        {"more than enough", 2, {5, 5}, {"2", "0"}, 0},
        {"stockless cheapest", 3, {0, 2, 9}, {"0", "2", "1"}, 0},
        {"no offer", 5, {}, {}, 5},
    };
    for (const Case& c : cases) {
        const GoodSplit split = DistributeGood(c.need, c.stocks);
        EXPECT_EQ(split.codes, c.codes) << c.what;
        EXPECT_EQ(split.shortage, c.shortage) << c.what;
    }
}

TEST(DistributeGood, StockTextsAndUnitCodes)
{
    const std::vector<std::pair<QString, qint64>> stocks = {
        {"12", 12}, {"12 шт", 12}, {" 7 ", 7}, {"1,5", 1}, {"+", 0}, {"есть", 0}, {"", 0}, {"-3", 0}};
    for (const auto& [text, units] : stocks)
        EXPECT_EQ(StockUnits(text), units) << text.toStdString();
    EXPECT_TRUE(StockHasNumber(QStringLiteral("0")));
    EXPECT_FALSE(StockHasNumber(QStringLiteral("есть")));
    for (const auto& [code, units] : std::vector<std::pair<QString, qint64>>{{"4", 4}, {"0", 0}, {"-", 0}, {"", 0}, {"True", 0}})
        EXPECT_EQ(UnitsOf(code), units) << code.toStdString();
}

// An order of three goods: a good with three offers, one with an offer
// short of stock, one no supplier offers.
struct DistributionFixture {
    OrderFolder folder;

    DistributionFixture()
    {
        folder.addZakaz(1, 10, QStringLiteral("Монитор"), 10, 90);
        folder.addZakaz(2, 20, QStringLiteral("Мышь"), 10, 5);
        folder.addZakaz(3, 30, QStringLiteral("Кабель"), 2, 1);
        folder.addSvod(10, QStringLiteral("Бета"), 110, QStringLiteral("3"), QStringLiteral("Монитор Б"));
        folder.addSvod(10, QStringLiteral("Альфа"), 100, QStringLiteral("4"), QStringLiteral("Монитор А"), QStringLiteral("True"));
        folder.addSvod(10, QStringLiteral("Гамма"), 120, QStringLiteral("5 шт"), QStringLiteral("Монитор Г"));
        folder.addSvod(20, QStringLiteral("Альфа"), 4, QStringLiteral("6"), QStringLiteral("Мышь А"), QStringLiteral("True"));
        // Another good's offer, not in the order.
        folder.addSvod(99, QStringLiteral("Дельта"), 1, QStringLiteral("100"));
    }

    QVector<DistributedGood> goods() { return ReadDistribution(folder.price); }

    QString units(qint64 code) { return folder.unitsOf(code); }
};

TEST(OrderDistribution, TheOrderIsDistributedIntoItsOwnTableAndTheShortagesListedApart)
{
    DistributionFixture f;
    AutoDistribute(f.folder.price, DistributionScope::UndistributedGoods);
    EXPECT_EQ(f.units(10), QStringLiteral("Альфа=4 Бета=3 Гамма=3"));
    EXPECT_EQ(f.units(20), QStringLiteral("Альфа=6"));
    EXPECT_EQ(f.units(30), QString());
    // The combined price's own flags are never touched.
    EXPECT_EQ(f.folder.price.scalar(QStringLiteral("SELECT group_concat(Obrab) FROM svod")).toString(),
              QStringLiteral("False,True,False,True,False"));

    const QVector<DistributedGood> goods = f.goods();
    ASSERT_EQ(goods.size(), 3);
    ASSERT_EQ(goods[0].offers.size(), 3);
    EXPECT_EQ(goods[0].offers[0].supplier, QStringLiteral("Альфа"));
    EXPECT_EQ(goods[0].offers[0].tovar, QStringLiteral("Монитор А"));
    EXPECT_EQ(goods[0].assigned(), 10);

    const NotFoundRows noOffer = NoOfferRows(goods);
    ASSERT_EQ(noOffer.size(), 1);
    EXPECT_EQ(noOffer[0].tovar, QStringLiteral("Кабель"));
    EXPECT_EQ(noOffer[0].quantity, QStringLiteral("2"));
    const NotFoundRows shortStock = ShortStockRows(goods);
    ASSERT_EQ(shortStock.size(), 1);
    EXPECT_EQ(shortStock[0].tovar, QStringLiteral("Мышь"));
    EXPECT_EQ(shortStock[0].price, QStringLiteral("5"));
    EXPECT_EQ(shortStock[0].quantity, QStringLiteral("4"));
}

TEST(OrderDistribution, ShowingAgainKeepsManualWorkAndTheButtonRedoesIt)
{
    DistributionFixture f;
    AutoDistribute(f.folder.price, DistributionScope::UndistributedGoods);
    // Бета deselected by hand, Gamma given one unit more.
    QVector<DistributedGood> goods = f.goods();
    ASSERT_EQ(AddUnits(f.folder.price, goods[0], QStringLiteral("Бета"), 0), AddUnitsOutcome::Done);
    goods = f.goods();
    ASSERT_EQ(AddUnits(f.folder.price, goods[0], QStringLiteral("гамма"), 1), AddUnitsOutcome::Done);
    EXPECT_EQ(f.units(10), QStringLiteral("Альфа=4 Бета= Гамма=4"));

    AutoDistribute(f.folder.price, DistributionScope::UndistributedGoods);
    EXPECT_EQ(f.units(10), QStringLiteral("Альфа=4 Бета= Гамма=4"));

    // Stock changed meanwhile: the redone distribution resets the old units.
    f.folder.price.exec(QStringLiteral("UPDATE svod SET Sklad = '0' WHERE Code_sootv = 10 AND Postavshik = 'Альфа'"));
    AutoDistribute(f.folder.price, DistributionScope::AllGoods);
    EXPECT_EQ(f.units(10), QStringLiteral("Альфа=0 Бета=3 Гамма=5"));
}

TEST(OrderDistribution, AddingUnitsIsAnIncrementWithinTheOrderedQuantity)
{
    DistributionFixture f;
    f.folder.addSvod(30, QStringLiteral("Альфа"), 1, QStringLiteral("0"));
    f.folder.addSvod(30, QStringLiteral("Бета"), 2, QStringLiteral("есть"));
    AutoDistribute(f.folder.price, DistributionScope::AllGoods);
    EXPECT_EQ(f.units(30), QStringLiteral("Альфа=- Бета=0"));

    QVector<DistributedGood> goods = f.goods();
    const DistributedGood& cable = goods[2];
    // Stock 0: nothing to add; a stock that is no number: up to the need.
    EXPECT_EQ(MaxUnitsToAdd(cable, *cable.offer(QStringLiteral("Альфа"))), 0);
    EXPECT_EQ(MaxUnitsToAdd(cable, *cable.offer(QStringLiteral("Бета"))), 2);
    EXPECT_EQ(AddUnits(f.folder.price, cable, QStringLiteral("Бета"), 1), AddUnitsOutcome::Done);
    // Once the good has units its "-" marks go.
    EXPECT_EQ(f.units(30), QStringLiteral("Альфа= Бета=1"));
    goods = f.goods();
    EXPECT_EQ(MaxUnitsToAdd(goods[2], *goods[2].offer(QStringLiteral("Бета"))), 1);
    EXPECT_EQ(AddUnits(f.folder.price, goods[2], QStringLiteral("Бета"), 2), AddUnitsOutcome::TooMany);
    EXPECT_EQ(f.units(30), QStringLiteral("Альфа= Бета=1"));
    EXPECT_EQ(kTooManyUnitsMessage, QStringLiteral("Нельзя добавить больше товаров,\rчем требуется в заказе!"));

    // The monitor: fully given, stock 5 of Gamma with 3 given leaves
    // min(5 − 3, 10 − 10) = 0.
    EXPECT_EQ(MaxUnitsToAdd(goods[0], *goods[0].offer(QStringLiteral("Гамма"))), 0);
    EXPECT_EQ(AddUnits(f.folder.price, goods[0], QStringLiteral("Гамма"), 1), AddUnitsOutcome::TooMany);
}

TEST(OrderDistribution, SumsAndTheExportPageUseOneRate)
{
    OrderFolder folder;
    folder.addZakaz(1, 10, QStringLiteral("Монитор"), 3, 90);
    folder.addZakaz(2, 20, QStringLiteral("Мышь"), 5, 10);
    folder.addSvod(10, QStringLiteral("Альфа"), 100, QStringLiteral("3"));
    folder.addSvod(20, QStringLiteral("Бета"), 4, QStringLiteral("1"));
    folder.addSvod(20, QStringLiteral("Альфа"), 6, QStringLiteral("0"));
    AutoDistribute(folder.price, DistributionScope::AllGoods);
    const QVector<DistributedGood> goods = ReadDistribution(folder.price);

    // Purchase 300 + 4, sale 270 + 10: income -24.
    DistributionSums all = SumDistribution(goods, QString(), 1, 2);
    EXPECT_DOUBLE_EQ(all.purchase, 304);
    EXPECT_DOUBLE_EQ(all.sale, 280);
    EXPECT_DOUBLE_EQ(all.income, -24);
    const DistributionSums alpha = SumDistribution(goods, QStringLiteral("АЛЬФА"), 1, 2);
    EXPECT_DOUBLE_EQ(alpha.purchase, 300);
    EXPECT_DOUBLE_EQ(alpha.sale, 270);
    EXPECT_DOUBLE_EQ(alpha.income, -30);
    // At a dollar rate the purchase prices are converted as the sale prices were.
    EXPECT_DOUBLE_EQ(SumDistribution(goods, QString(), 30, 2).purchase, 9120);

    // "Отобранные": the suppliers given units; "Все товары": every supplier
    // offering a good, with the ordered quantities.
    EXPECT_EQ(ExportSuppliers(goods, ExportChoice::Selected), (QStringList{"Альфа", "Бета"}));
    const QVector<SupplierExportRow> selected = SupplierExportRows(goods, ExportChoice::Selected, 1, 2);
    ASSERT_EQ(selected.size(), 2);
    EXPECT_EQ(selected[0].goods, 1);
    EXPECT_DOUBLE_EQ(selected[0].purchase, 300);
    EXPECT_DOUBLE_EQ(selected[0].income, -30);
    const QVector<SupplierExportRow> all2 = SupplierExportRows(goods, ExportChoice::AllGoods, 1, 2);
    ASSERT_EQ(all2.size(), 2);
    EXPECT_EQ(all2[0].supplier, QStringLiteral("Альфа"));
    EXPECT_EQ(all2[0].goods, 2);
    EXPECT_DOUBLE_EQ(all2[0].purchase, 330); // 3 × 100 + 5 × 6
    EXPECT_DOUBLE_EQ(all2[0].sale, 320);     // 3 × 90 + 5 × 10
}

TEST(OrderDistribution, ASupplierOfferingAGoodTwiceIsTakenAtItsCheaperRow)
{
    OrderFolder folder;
    folder.addZakaz(1, 10, QStringLiteral("Монитор"), 5, 90);
    folder.addSvod(10, QStringLiteral("Альфа"), 105, QStringLiteral("3"));
    folder.addSvod(10, QStringLiteral("альфа"), 100, QStringLiteral("2"));
    folder.addSvod(10, QStringLiteral("Бета"), 103, QStringLiteral("9"));
    AutoDistribute(folder.price, DistributionScope::AllGoods);
    const QVector<DistributedGood> goods = ReadDistribution(folder.price);
    ASSERT_EQ(goods[0].offers.size(), 2);
    EXPECT_DOUBLE_EQ(goods[0].offers[0].price, 100);
    EXPECT_EQ(goods[0].offers[0].obrab, QStringLiteral("2"));
    EXPECT_EQ(goods[0].offers[1].obrab, QStringLiteral("3"));
}

} // namespace
} // namespace velmora::orders
