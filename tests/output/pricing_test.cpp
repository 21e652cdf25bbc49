// Markup thresholds, the suppliers chosen per group, group markups and the
// minimum-price recalculation on small catalogues.
#include "pricing_fixture.h"

#include "output/pricing/group_markups.h"
#include "output/pricing/min_price_suppliers.h"
#include "output/pricing/recalc_min_prices.h"

#include "catalogue/group_settings/markup_thresholds.h"
#include "catalogue/stock/stock_criteria.h"
#include "storage/settings_store.h"

#include <optional>
#include <stdexcept>

using namespace velmora;
using namespace velmora::output;
using namespace velmora::testing;
using catalogue::MarkupThresholds;
using catalogue::prepareThresholds;
using catalogue::storeThresholds;

namespace {

MarkupThresholds thresholds(std::array<int, 5> price, std::array<int, 5> markup)
{
    MarkupThresholds t{};
    for (size_t k = 0; k < t.size(); ++k)
        t[k] = catalogue::ThresholdPair{price[k], markup[k]};
    return t;
}

// The group's own row; none when it has none.
std::optional<MarkupThresholds> ownThresholds(db::Connection& priceDb, qint64 group)
{
    MarkupThresholds t{};
    if (!catalogue::readThresholdRow(priceDb, group, t))
        return std::nullopt;
    return t;
}

// A progress that fails at its n-th step, standing for any failure in the
// middle of the work.
class FailingProgress : public Progress {
public:
    explicit FailingProgress(int failAt) : failAt_(failAt) {}
    void start(const QString&, int steps) override { maximum = steps; }
    void step(int count) override
    {
        position += count;
        if (++calls == failAt_)
            throw std::runtime_error("stopped");
    }
    int maximum = 0;
    int position = 0;
    int calls = 0;

private:
    int failAt_;
};

class RecalcTest : public PricingTest {
protected:
    MinPriceSettings settings;
    RecalcRequest request;

    void SetUp() override
    {
        PricingTest::SetUp();
        request.today = kToday;
        settings.saleSupplierName = QStringLiteral("Распродажа");
    }
    RecalcResult recalc(Progress* progress = nullptr) { return RecalcMinPrices(priceDb, settings, request, progress); }
};

TEST(MarkupThresholdsTest, PairsAreSortedByThresholdWithTheirMarkups)
{
    const MarkupThresholds entered = thresholds({300, 100, 500, 200, 400}, {10, 30, 0, 20, 5});
    EXPECT_EQ(catalogue::sortedThresholds(entered), thresholds({100, 200, 300, 400, 500}, {30, 20, 10, 5, 0}));
    const MarkupThresholds descending = thresholds({500, 400, 300, 200, 100}, {0, 5, 10, 20, 30});
    EXPECT_EQ(catalogue::sortedThresholds(descending), thresholds({100, 200, 300, 400, 500}, {30, 20, 10, 5, 0}));
}

TEST_F(PricingTest, StoredThresholdsAreAscendingInEveryGroupGiven)
{
    storeThresholds(priceDb, {0}, thresholds({1, 2, 3, 4, 5}, {1, 1, 1, 1, 1}));
    storeThresholds(priceDb, {0, 7}, thresholds({300, 100, 500, 200, 400}, {10, 30, 0, 20, 5}));
    EXPECT_EQ(queryRows(priceDb, QStringLiteral("SELECT * FROM MinPrice_Nacen ORDER BY Kategor")),
              (QStringList{QStringLiteral("0|100|200|300|400|500|30|20|10|5|0"),
                           QStringLiteral("7|100|200|300|400|500|30|20|10|5|0")}));
}

TEST_F(PricingTest, AGroupWithoutThresholdsGetsACopyOfTheGeneralRow)
{
    EXPECT_EQ(prepareThresholds(priceDb, 5), MarkupThresholds{});
    EXPECT_FALSE(ownThresholds(priceDb, 5).has_value());
    const MarkupThresholds general = thresholds({100, 200, 300, 400, 500}, {20, 15, 10, 5, 0});
    storeThresholds(priceDb, {0}, general);
    EXPECT_EQ(prepareThresholds(priceDb, 5), general);
    EXPECT_EQ(ownThresholds(priceDb, 5), general);
}

TEST_F(RecalcTest, BaseAndSellingPriceFollowTheThresholdBands)
{
    struct Case {
        double offer; // the one supplier's price, 0: no offer
        bool superPrice;
        const char* prices; // PriceBase|Price_1 after the run
    };
    const Case cases[] = {
        {50, false, "50|60"},        // below threshold 1
        {100, false, "100|120"},     // at threshold 1
        {150, false, "150|176.25"},  // markup 17.5, between thresholds 1 and 2
        {500, false, "500|500"},     // at threshold 5, markup 0
        {1000, false, "1000|1000"},
        {0, false, "0|0"},           // no base price, no markup
        {150, true, "7|7"},          // a fixed price stays
    };
    addGroup(1, 0, 1, QStringLiteral("Все"));
    addSupplier(QStringLiteral("Альфа"));
    for (int i = 0; i < int(std::size(cases)); ++i) {
        addGood(i + 1, 1, QStringLiteral("Товар %1").arg(i), 7, 0, cases[i].superPrice);
        if (cases[i].offer > 0)
            addOffer(i + 1, QStringLiteral("Альфа"), cases[i].offer);
    }
    storeThresholds(priceDb, {0}, thresholds({100, 200, 300, 400, 500}, {20, 15, 10, 5, 0}));
    settings.thresholds = true;
    recalc();
    for (int i = 0; i < int(std::size(cases)); ++i)
        EXPECT_EQ(prices(i + 1).section(u'|', 0, 1), QString::fromUtf8(cases[i].prices)) << cases[i].offer;
}

TEST_F(RecalcTest, EqualThresholdsLeaveTheirBandEmpty)
{
    addGroup(1, 0, 1, QStringLiteral("Все"));
    addSupplier(QStringLiteral("Альфа"));
    addGood(1, 1, QStringLiteral("Товар"));
    addOffer(1, QStringLiteral("Альфа"), 200);
    storeThresholds(priceDb, {0}, thresholds({100, 200, 200, 400, 500}, {20, 15, 10, 5, 0}));
    settings.thresholds = true;
    recalc();
    EXPECT_EQ(prices(1).section(u'|', 0, 1), QStringLiteral("200|220")); // band 3, markup 10
}

TEST_F(RecalcTest, BaseIsTheSmallestUsableOfferWithItsDate)
{
    addGroup(1, 0, 1, QStringLiteral("Все"));
    addSupplier(QStringLiteral("Альфа"));
    addSupplier(QStringLiteral("Бета"));
    addSupplier(QStringLiteral("Старый"), true, today() - 10); // older than actual_price
    addSupplier(QStringLiteral("Распродажа"));
    addGood(1, 1, QStringLiteral("Товар"), 0, 25);
    addOffer(1, QStringLiteral("Альфа"), 120, today() - 1);
    addOffer(1, QStringLiteral("бета"), 100, today() - 2);
    addOffer(1, QStringLiteral("БЕТА"), 95, today() - 3);
    addOffer(1, QStringLiteral("Старый"), 90, today() - 10);
    addOffer(1, QStringLiteral("Распродажа"), 80);
    addOffer(1, QStringLiteral("Альфа"), 0);
    const RecalcResult result = recalc();
    EXPECT_EQ(result.activeSuppliers, 3);
    EXPECT_EQ(prices(1), QStringLiteral("95|95|%1").arg(today() - 3));
    EXPECT_EQ(priceDb.scalar(QStringLiteral("SELECT count(*) FROM svod WHERE Postavshik = 'Старый'")).toInt(), 0);
    EXPECT_EQ(priceDb.scalar(QStringLiteral("SELECT Obrab FROM postavshik WHERE Postavshik = 'Старый'")).toString(),
              QStringLiteral("False"));
    EXPECT_EQ(priceDb.scalar(QStringLiteral("SELECT Obrab FROM svod WHERE Postavshik = 'Распродажа'")).toString(),
              QStringLiteral("False"));
}

TEST_F(RecalcTest, TheRunSaysHowManyStaleOffersItDroppedAndGoodsItLeftWithoutAPrice)
{
    addGroup(1, 0, 1, QStringLiteral("Все"));
    addSupplier(QStringLiteral("Альфа"));
    addSupplier(QStringLiteral("Старый"), true, today() - 10); // older than actual_price
    addGood(1, 1, QStringLiteral("Монитор"), 50);     // an imported price, only a stale offer
    addGood(2, 1, QStringLiteral("Клавиатура"), 30);  // a fresh offer as well
    addGood(3, 1, QStringLiteral("Мышь"));            // never priced
    addGood(4, 1, QStringLiteral("Акция"), 70, 0, true); // a fixed price stays
    addOffer(1, QStringLiteral("Старый"), 45, today() - 10);
    addOffer(2, QStringLiteral("Старый"), 25, today() - 10);
    addOffer(2, QStringLiteral("Альфа"), 40);
    const RecalcResult result = recalc();
    // Two offers dropped; the monitor lost its 50, the keyboard took 40.
    EXPECT_EQ(result.staleOffers, 2);
    EXPECT_EQ(result.goodsLeftWithoutPrice, 1);
    EXPECT_EQ(prices(1).section(u'|', 0, 1), QStringLiteral("0|0"));
    EXPECT_EQ(prices(2).section(u'|', 0, 1), QStringLiteral("40|40"));
    EXPECT_EQ(recalcReportText(result),
              QStringLiteral("Пересчет цен: удалено устаревших предложений поставщиков - 2, "
                             "товаров осталось без цены - 1"));
    // A second run finds nothing more to drop and no price to lose.
    const RecalcResult again = recalc();
    EXPECT_EQ(again.staleOffers, 0);
    EXPECT_EQ(again.goodsLeftWithoutPrice, 0);
}

TEST_F(RecalcTest, WithoutActiveSuppliersTheSaleOfferGivesThePrice)
{
    addGroup(1, 0, 1, QStringLiteral("Все"));
    addSupplier(QStringLiteral("Альфа"), true, today(), false);
    addGood(1, 1, QStringLiteral("Товар"), 0, 25);
    addGood(2, 1, QStringLiteral("Без наценки"), 0, -100);
    addOffer(1, QStringLiteral("Альфа"), 70);
    addOffer(1, QStringLiteral("распродажа"), 80);
    addOffer(2, QStringLiteral("Распродажа"), 80);
    EXPECT_EQ(recalc().activeSuppliers, 0);
    EXPECT_EQ(prices(1).section(u'|', 0, 1), QStringLiteral("80|64"));
    // A markup of -100 would divide by zero: the good keeps no price.
    EXPECT_EQ(prices(2).section(u'|', 0, 1), QStringLiteral("0|0"));
}

TEST_F(RecalcTest, StockTextsDecideWithoutCase)
{
    struct Case {
        catalogue::StockList judgeBy;
        bool noTextInStock;
        const char* cheapest;
    };
    // Offers: "ЕСТЬ" 100, "под заказ" 90, "НЕТ" 80, no stock text 70.
    const Case cases[] = {
        {catalogue::StockList::Presence, true, "70"},
        {catalogue::StockList::Presence, false, "100"},
        {catalogue::StockList::Absence, false, "90"},
    };
    addGroup(1, 0, 1, QStringLiteral("Все"));
    addSupplier(QStringLiteral("Альфа"));
    addGood(1, 1, QStringLiteral("Товар"));
    addOffer(1, QStringLiteral("Альфа"), 100, today(), QStringLiteral("ЕСТЬ"));
    addOffer(1, QStringLiteral("Альфа"), 90, today(), QStringLiteral("под заказ"));
    addOffer(1, QStringLiteral("Альфа"), 80, today(), QStringLiteral("НЕТ"));
    addOffer(1, QStringLiteral("Альфа"), 70);
    catalogue::addStockCriterion(priceDb, catalogue::StockList::Presence, QStringLiteral("есть"));
    catalogue::addStockCriterion(priceDb, catalogue::StockList::Absence, QStringLiteral("нет"));
    for (const Case& c : cases) {
        settings.stock = {true, c.judgeBy, c.noTextInStock};
        recalc();
        EXPECT_EQ(prices(1).section(u'|', 0, 0), QString::fromUtf8(c.cheapest)) << int(c.judgeBy) << c.noTextInStock;
    }
}

TEST_F(RecalcTest, StockCriteriaNeverBringBackAnOfferTheSupplierChoiceLeftOut)
{
    // Two goods, each offered by Альфа (on) and by a supplier left out:
    // good 1 (group 1) by Выкл, switched off by default; good 2 (group 2) by
    // Бета, on in general but not in group 2's own choice. Each left-out
    // supplier has a cheap row without a stock text and one "есть".
    addGroup(1, 0, 1, QStringLiteral("Мониторы"));
    addGroup(2, 0, 2, QStringLiteral("Клавиатуры"));
    addSupplier(QStringLiteral("Альфа"));
    addSupplier(QStringLiteral("Выкл"), false, today(), false);
    addSupplier(QStringLiteral("Бета"));
    addGood(1, 1, QStringLiteral("Монитор"));
    addGood(2, 2, QStringLiteral("Клавиатура"));
    const QString inStock = QStringLiteral("есть");
    const QString outOfStock = QStringLiteral("нет");
    addOffer(1, QStringLiteral("Выкл"), 100);
    addOffer(1, QStringLiteral("Выкл"), 90, today(), inStock);
    addOffer(2, QStringLiteral("Бета"), 110);
    addOffer(2, QStringLiteral("Бета"), 105, today(), inStock);
    for (qint64 good : {1, 2}) {
        addOffer(good, QStringLiteral("Альфа"), 150);
        addOffer(good, QStringLiteral("Альфа"), 160, today(), inStock);
        addOffer(good, QStringLiteral("Альфа"), 120, today(), outOfStock);
    }
    for (const SupplierChoice& choice : prepareGroupSupplierChoices(priceDb, 2))
        if (choice.supplier == QStringLiteral("Бета"))
            setSupplierChoice(priceDb, 2, choice.rowId, false);
    settings.perGroup = true;
    settings.groupSuppliers = true;
    catalogue::addStockCriterion(priceDb, catalogue::StockList::Presence, inStock);
    catalogue::addStockCriterion(priceDb, catalogue::StockList::Absence, outOfStock);

    using catalogue::StockList;
    struct Case {
        const char* what;
        catalogue::StockSwitches stock;
        const char* good1;
        const char* good2;
    };
    // Альфа's rows alone are usable to begin with: 150 (no text), 160
    // ("есть"), 120 ("нет"); Выкл's and Бета's stay out whatever their text.
    const Case cases[] = {
        // Stock texts not judged: the cheapest of Альфа, 120.
        {"criteria off", {false, StockList::Presence, true}, "120", "120"},
        // "нет" is not in the presence list: 120 out; no text counts as in
        // stock and keeps what it had: 150 (not Выкл's 100 nor Бета's 110).
        {"presence list, KritSklad 1", {true, StockList::Presence, true}, "150", "150"},
        // No text is out as well: 160 alone is left.
        {"presence list, KritSklad 0", {true, StockList::Presence, false}, "160", "160"},
        // "нет" is in the absence list: 120 out, 150 and 160 stay.
        {"absence list, KritSklad 1", {true, StockList::Absence, true}, "150", "150"},
        {"absence list, KritSklad 0", {true, StockList::Absence, false}, "160", "160"},
    };
    for (const Case& c : cases) {
        settings.stock = c.stock;
        recalc();
        EXPECT_EQ(prices(1).section(u'|', 0, 0), QLatin1String(c.good1)) << c.what;
        EXPECT_EQ(prices(2).section(u'|', 0, 0), QLatin1String(c.good2)) << c.what;
    }
}

TEST_F(RecalcTest, AGroupRunPricesItsSubtreeOnlyWithItsOwnChoices)
{
    addGroup(1, 0, 1, QStringLiteral("A"));
    addGroup(2, 1, 1, QStringLiteral("B"));
    addGroup(3, 0, 2, QStringLiteral("C"));
    addSupplier(QStringLiteral("Альфа"));
    addSupplier(QStringLiteral("Бета"));
    for (qint64 good : {1, 2, 3}) {
        addGood(good, good, QStringLiteral("Товар"), 7);
        addOffer(good, QStringLiteral("Альфа"), 100);
        addOffer(good, QStringLiteral("Бета"), 200);
    }
    storeThresholds(priceDb, {0}, thresholds({1000, 2000, 3000, 4000, 5000}, {10, 0, 0, 0, 0}));
    storeThresholds(priceDb, {1}, thresholds({1000, 2000, 3000, 4000, 5000}, {50, 0, 0, 0, 0}));
    settings.thresholds = true;
    // Group A takes Beta only; B has no choice of its own yet.
    const QList<SupplierChoice> choices = prepareGroupSupplierChoices(priceDb, 1);
    ASSERT_EQ(choices.size(), 2);
    setSupplierChoice(priceDb, 1, choices.at(0).rowId, false);

    request.group = 1;
    recalc();
    EXPECT_EQ(prices(1).section(u'|', 0, 1), QStringLiteral("200|300")); // Beta, A's own thresholds
    EXPECT_EQ(prices(2).section(u'|', 0, 1), QStringLiteral("100|110")); // both, the general row
    EXPECT_EQ(prices(3), QStringLiteral("7|7|1"));                       // outside the run

    request.copyChoiceToSubgroups = true;
    recalc();
    EXPECT_EQ(prices(2).section(u'|', 0, 1), QStringLiteral("200|220"));
}

TEST_F(RecalcTest, TheTicksShownInTheWindowStandInAnAllGoodsRun)
{
    addGroup(1, 0, 1, QStringLiteral("Все"));
    addSupplier(QStringLiteral("Альфа"), false, today(), true); // unticked by the user
    addSupplier(QStringLiteral("Бета"));
    addGood(1, 1, QStringLiteral("Товар"));
    addOffer(1, QStringLiteral("Альфа"), 100);
    addOffer(1, QStringLiteral("Бета"), 150);
    request.resetSupplierTicks = false;
    recalc();
    EXPECT_EQ(prices(1).section(u'|', 0, 0), QStringLiteral("150"));
    request.resetSupplierTicks = true;
    recalc();
    EXPECT_EQ(prices(1).section(u'|', 0, 0), QStringLiteral("100"));
}

TEST_F(RecalcTest, AFailureAfterTheZeroingLeavesEverythingAsItWas)
{
    addGroup(1, 0, 1, QStringLiteral("Все"));
    addSupplier(QStringLiteral("Альфа"));
    addSupplier(QStringLiteral("Старый"), true, today() - 30);
    addGood(1, 1, QStringLiteral("Товар"), 55, 10);
    addOffer(1, QStringLiteral("Альфа"), 100);
    addOffer(1, QStringLiteral("Старый"), 90, today() - 30);
    const auto state = [&] {
        return queryRows(priceDb, QStringLiteral("SELECT Code, PriceBase, Price_1, Dates FROM price_main"))
            + queryRows(priceDb, QStringLiteral("SELECT Postavshik, Price, Obrab FROM svod ORDER BY Price"))
            + queryRows(priceDb, QStringLiteral("SELECT Postavshik, Obrab FROM postavshik"));
    };
    const QStringList before = state();
    FailingProgress progress(4); // the step after the goods were zeroed and priced
    EXPECT_THROW(recalc(&progress), std::runtime_error);
    EXPECT_EQ(state(), before);
    FailingProgress counting(0);
    recalc(&counting);
    EXPECT_EQ(counting.maximum, 1 + 3);
    EXPECT_EQ(counting.position, counting.maximum);
    EXPECT_EQ(prices(1).section(u'|', 0, 1), QStringLiteral("100|100"));
}

TEST_F(RecalcTest, PricesAreRoundedWhenSwitchedOn)
{
    addGroup(1, 0, 1, QStringLiteral("Все"));
    addSupplier(QStringLiteral("Альфа"));
    addGood(1, 1, QStringLiteral("Товар"));
    addOffer(1, QStringLiteral("Альфа"), 100);
    storeThresholds(priceDb, {0}, thresholds({1000, 2000, 3000, 4000, 5000}, {3, 0, 0, 0, 0}));
    settings.thresholds = true;
    settings.rounding = true;
    settings.roundDigits = -1;
    EXPECT_FALSE(recalc().roundingFailed);
    EXPECT_EQ(prices(1).section(u'|', 0, 1), QStringLiteral("100|100")); // 103 to tens
}

TEST_F(PricingTest, SettingsAreReadFromTheOrderDatabaseWithTheirDefaults)
{
    SettingsStore store(orderDb);
    MinPriceSettings read = readMinPriceSettings(store, 2, QStringLiteral("Распродажа"));
    EXPECT_EQ(read.actualDays, 7);
    EXPECT_FALSE(read.thresholds);
    EXPECT_EQ(read.stock.judgeBy, catalogue::StockList::Presence);
    store.write(QStringLiteral("actual_price"), QStringLiteral("TypeInteger"), QStringLiteral("3"));
    store.write(QStringLiteral("CheckBox_NacenDop"), QStringLiteral("TypeBoolean"), QStringLiteral("-1"));
    read = readMinPriceSettings(store, 2, QString());
    EXPECT_EQ(read.actualDays, 3);
    EXPECT_TRUE(read.thresholds);
}

TEST_F(PricingTest, MarkupsOfAllGoodsAndOfGroupsSpareFixedPrices)
{
    addGroup(1, 0, 1, QStringLiteral("A"));
    addGroup(2, 1, 1, QStringLiteral("B"));
    addGood(1, 1, QStringLiteral("Обычный"), 10, 5);
    addGood(2, 1, QStringLiteral("Суперцена"), 10, 5, true);
    addGood(3, 2, QStringLiteral("Вложенный"), 10, 5);
    const auto goods = [&] {
        return queryRows(priceDb, QStringLiteral("SELECT Code, Nacen, Garant FROM price_main ORDER BY Code"));
    };
    setMarkupOfAllGoods(priceDb, 12);
    EXPECT_EQ(goods(), (QStringList{"1|12|1 год", "2|5|1 год", "3|12|1 год"}));
    setGroupMarkup(priceDb, {1}, 30);
    setGroupWarranty(priceDb, {1, 2}, QStringLiteral("2 года"));
    EXPECT_EQ(goods(), (QStringList{"1|30|2 года", "2|5|2 года", "3|12|2 года"}));
    EXPECT_EQ(queryRows(priceDb, QStringLiteral("SELECT Code, Nacen, Garant FROM Tovar_tree ORDER BY Code")),
              (QStringList{"1|30|2 года", "2|12|2 года"}));
    EXPECT_EQ(groupValueOfMode(QStringLiteral("Garant")), GroupValue::Warranty);
    EXPECT_FALSE(groupValueOfMode(QStringLiteral("nacen")).has_value());
}

TEST_F(PricingTest, AGroupsSupplierListFollowsTheSuppliersTable)
{
    addGroup(1, 0, 1, QStringLiteral("A"));
    addGroup(2, 1, 1, QStringLiteral("B"));
    addSupplier(QStringLiteral("Альфа"), true, today() - 1);
    addSupplier(QStringLiteral("Бета"), false, today() - 2);
    exec(QStringLiteral("INSERT INTO MinPrice_Group VALUES (1, 'АЛЬФА', 'False', 0), (1, 'Ушедший', 'True', 0), "
                        "(2, 'Ушедший', 'True', 0)"));
    const QList<SupplierChoice> choices = prepareGroupSupplierChoices(priceDb, 1);
    ASSERT_EQ(choices.size(), 2);
    EXPECT_EQ(choices.at(0).supplier, QStringLiteral("АЛЬФА"));
    EXPECT_FALSE(choices.at(0).used);
    EXPECT_EQ(choices.at(0).dates, today() - 1);
    EXPECT_EQ(choices.at(1).supplier, QStringLiteral("Бета"));
    EXPECT_EQ(choices.at(1).dates, today() - 2);
    EXPECT_EQ(priceDb.scalar(QStringLiteral("SELECT count(*) FROM MinPrice_Group WHERE Postavshik = 'Ушедший'")).toInt(),
              0);
    EXPECT_EQ(copySupplierChoiceToSubgroups(priceDb, 1), 1);
    EXPECT_EQ(queryRows(priceDb, QStringLiteral("SELECT Kategor, Postavshik, Obrab FROM MinPrice_Group "
                                                "WHERE Kategor = 2 ORDER BY rowid")),
              (QStringList{"2|АЛЬФА|False", "2|Бета|False"}));
    setSupplierChoice(priceDb, 0, readSupplierChoices(priceDb).at(1).rowId, true);
    EXPECT_TRUE(readSupplierChoices(priceDb).at(1).used);
}

} // namespace
