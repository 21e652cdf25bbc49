// Group settings: the tree's positions repaired as it is shown, markup
// thresholds, defaults of a subtree, the suppliers per group, the status
// switches, and the selected-goods viewer's conditions.
#include "catalogue_test_support.h"

#include "catalogue/goods_selection.h"
#include "catalogue/group_settings/group_defaults.h"
#include "catalogue/group_settings/group_suppliers.h"
#include "catalogue/group_settings/markup_thresholds.h"
#include "catalogue/group_settings/pricing_switches.h"
#include "catalogue/group_tree.h"
#include "catalogue/group_tree_walk.h"
#include "catalogue/shops_script/shops_script_goods.h"
#include "storage/settings_store.h"

using namespace velmora;
using namespace velmora::catalogue;
using velmora::testing::CatalogueTest;

namespace {

class GroupSettingsTest : public CatalogueTest {
protected:
    QStringList thresholdRows()
    {
        return rows(QStringLiteral("SELECT Kategor, Price1, Nacen1, Price2, Nacen2, Price3, Nacen3, Price4, Nacen4,"
                                   " Price5, Nacen5 FROM MinPrice_Nacen ORDER BY Kategor"));
    }
    void putSupplier(const QString& name, const QString& obrab, qint64 dates)
    {
        exec(QStringLiteral("INSERT INTO postavshik (Postavshik, Obrab, Dates) VALUES (?1, ?2, ?3)"),
             {name, obrab, dates});
    }
};

TEST_F(GroupSettingsTest, ShowingALevelNumbersItsGroupsWithoutGaps)
{
    putGroup(1, 0, 1, QStringLiteral("A"), 1);
    putGroup(2, 1, 1, QStringLiteral("A1"));
    putGroup(3, 1, 2, QStringLiteral("A2"));
    putGroup(4, 1, 4, QStringLiteral("A4"));
    exec(QStringLiteral("UPDATE Tovar_tree SET HCh_T = 2 WHERE Code = 3")); // hidden in the main tree, shown here
    const std::vector<GroupNode> nodes = readGroupNodesRepairingPositions(priceDb, 1);
    ASSERT_EQ(nodes.size(), 3u);
    EXPECT_EQ(nodes[2].caption, QStringLiteral("A4"));
    EXPECT_FALSE(nodes[2].hasChildren);
    EXPECT_TRUE(readGroupNodesRepairingPositions(priceDb, 0)[0].hasChildren);
    EXPECT_EQ(groups(), (QStringList{"1:0:1", "2:1:1", "3:1:2", "4:1:3"}));
}

TEST_F(GroupSettingsTest, ThresholdsAreStoredAscendingWithTheirMarkupsIntoEachGroupGiven)
{
    addReferenceTree();
    storeThresholds(priceDb, {0}, MarkupThresholds{{{50, 1}, {60, 2}, {70, 3}, {80, 4}, {90, 5}}});
    GroupThresholds shown = readGroupThresholds(priceDb, 2);
    EXPECT_FALSE(shown.own) << "a group without a row shows the general thresholds";
    EXPECT_EQ(shown.thresholds[4], (ThresholdPair{90, 5}));

    const MarkupThresholds entered{{{500, 5}, {100, 1}, {300, 3}, {0, 0}, {200, 2}}};
    storeThresholds(priceDb, groupWithSubgroups(loadGroupTree(priceDb), 2), entered);
    EXPECT_EQ(thresholdRows(), (QStringList{"0|50|1|60|2|70|3|80|4|90|5", "2|0|0|100|1|200|2|300|3|500|5",
                                            "4|0|0|100|1|200|2|300|3|500|5"}));
    shown = readGroupThresholds(priceDb, 4);
    EXPECT_TRUE(shown.own);
    // Saved again, the row is changed, not doubled.
    storeThresholds(priceDb, {2}, MarkupThresholds{});
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM MinPrice_Nacen WHERE Kategor = 2")), 1);

    // The markup window gives a group without a row a copy of the general one.
    EXPECT_EQ(prepareThresholds(priceDb, 5), (MarkupThresholds{{{50, 1}, {60, 2}, {70, 3}, {80, 4}, {90, 5}}}));
    EXPECT_EQ(thresholdRows().last(), QStringLiteral("5|50|1|60|2|70|3|80|4|90|5"));

    const auto points = thresholdChartPoints(sortedThresholds(entered));
    ASSERT_EQ(points.size(), 7u);
    EXPECT_EQ(points.front(), std::make_pair(0.0, 0.0));
    EXPECT_EQ(points[2], std::make_pair(100.0, 1.0));
    EXPECT_EQ(points.back(), std::make_pair(550.0, 5.0));
}

TEST_F(GroupSettingsTest, DefaultsOfASubtreeGoToItsGoodsAndGroupsButSuperPricedGoodsKeepTheirMarkup)
{
    addReferenceTree();
    putGood(1, 2, QStringLiteral("a"));
    putGood(2, 4, QStringLiteral("b"));
    putGood(3, 4, QStringLiteral("super"));
    putGood(4, 3, QStringLiteral("elsewhere"));
    exec(QStringLiteral("UPDATE price_main SET SuperPrice = 1, Nacen = 7 WHERE Code = 3"));
    const std::vector<qint64> subtree = groupWithSubgroups(loadGroupTree(priceDb), 2);
    setGroupsMarkup(priceDb, subtree, 12);
    setGroupsWarranty(priceDb, subtree, QStringLiteral("1 год"));
    EXPECT_EQ(rows(QStringLiteral("SELECT Code, Nacen, Garant FROM price_main ORDER BY Code")),
              (QStringList{"1|12|1 год", "2|12|1 год", "3|7|1 год", "4|0|"}));
    EXPECT_EQ(rows(QStringLiteral("SELECT Code, Nacen, Garant FROM Tovar_tree WHERE Code IN (2, 3, 4) ORDER BY Code")),
              (QStringList{"2|12|1 год", "3|0|", "4|12|1 год"}));
}

TEST_F(GroupSettingsTest, TheSupplierWorkingSetHoldsTheGroupsRowsAndEveryOtherSupplier)
{
    addReferenceTree();
    putSupplier(QStringLiteral("Альфа"), QStringLiteral("True"), 45001);
    putSupplier(QStringLiteral("Бета"), QStringLiteral("False"), 45002);
    exec(QStringLiteral("INSERT INTO MinPrice_Group (Kategor, Postavshik, Obrab, Dates) VALUES"
                        " (2, 'Альфа', 'False', 1), (2, 'Гамма', 'True', 1), (5, 'Гамма', 'True', 1)"));
    EXPECT_TRUE(groupHasOwnSuppliers(priceDb, 2));
    EXPECT_FALSE(groupHasOwnSuppliers(priceDb, 4));

    loadSupplierWorkingSet(priceDb, 2);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM MinPrice_Group WHERE Postavshik = 'Гамма'")), 0)
        << "a supplier gone from postavshik leaves every group";
    const std::vector<GroupSupplier> set = readGroupSuppliers(priceDb, kSupplierWorkingSet);
    ASSERT_EQ(set.size(), 2u);
    EXPECT_EQ(set[0].postavshik, QStringLiteral("Альфа"));
    EXPECT_FALSE(set[0].obrab) << "the group's own choice";
    EXPECT_EQ(set[0].dates, 45001) << "dates from postavshik";
    EXPECT_EQ(set[1].postavshik, QStringLiteral("Бета"));

    setGroupSupplierObrab(priceDb, kSupplierWorkingSet, QStringLiteral("Бета"), true);
    copyGroupSuppliers(priceDb, kSupplierWorkingSet, groupWithSubgroups(loadGroupTree(priceDb), 2));
    EXPECT_EQ(rows(QStringLiteral("SELECT Kategor, Postavshik, Obrab FROM MinPrice_Group WHERE Kategor > 0"
                                  " ORDER BY Kategor, Postavshik")),
              (QStringList{"2|Альфа|False", "2|Бета|True", "4|Альфа|False", "4|Бета|True"}));
}

TEST_F(GroupSettingsTest, TheStatusSwitchesSayWhetherGroupThresholdsAndSuppliersTakePart)
{
    struct Case {
        bool katMinPrice, nacenDop, katNacen, katPost;
        const char* thresholds;
        const char* suppliers;
    };
    const Case cases[] = {
        {false, false, false, false, "НЕТ", "НЕТ"}, {true, true, true, false, "ДА", "НЕТ"},
        {true, false, true, true, "НЕТ", "ДА"},     {false, true, true, true, "НЕТ", "НЕТ"},
        {true, true, false, true, "НЕТ", "ДА"},
    };
    SettingsStore settings(priceDb);
    for (const Case& c : cases) {
        settings.write(kKatMinPriceSetting, QStringLiteral("TypeBoolean"), c.katMinPrice ? "-1" : "0");
        settings.write(kNacenDopSetting, QStringLiteral("TypeBoolean"), c.nacenDop ? "-1" : "0");
        settings.write(kKatNacenSetting, QStringLiteral("TypeBoolean"), c.katNacen ? "-1" : "0");
        settings.write(kKatPostSetting, QStringLiteral("TypeBoolean"), c.katPost ? "-1" : "0");
        const GroupSwitchTexts texts = readGroupSwitchTexts(settings);
        EXPECT_EQ(texts.thresholds, QString::fromUtf8(c.thresholds));
        EXPECT_EQ(texts.suppliers, QString::fromUtf8(c.suppliers));
    }
}

TEST_F(GroupSettingsTest, TheViewerSelectsByEachConditionAndKeepsGoodsWithoutDetails)
{
    putGood(1, 2, QStringLiteral("с артикулом"), QStringLiteral("A1"), 10);
    putGood(2, 1, QStringLiteral("без цены"), QString(), 0);
    putGood(3, 1, QStringLiteral("супер"), QStringLiteral("S"), 5);
    putGood(4, 1, QStringLiteral("без деталей"), QString(), 7);
    exec(QStringLiteral("UPDATE price_main SET SuperPrice = 1 WHERE Code = 3"));
    exec(QStringLiteral("INSERT INTO Price_Tovar_Info (Code, Art, URL, pictures, Comment) VALUES"
                        " (1, 'A1', 'http://a', '', ''), (2, '', '', 'p.jpg', ''), (3, 'S', '', '', '')"));
    auto codes = [&](const GoodsSelection& s) {
        QList<qint64> out;
        for (const GoodsListEntry& e : selectGoods(priceDb, s))
            out << e.code;
        return out;
    };
    GoodsSelection s = initialGoodsSelection();
    EXPECT_EQ(codes(s), (QList<qint64>{4, 3, 1})) << "by group, then name";
    s.priceAboveZero = false;
    EXPECT_EQ(codes(s), QList<qint64>{2});
    struct Case {
        GoodsSelection selection;
        QList<qint64> codes;
    };
    auto only = [](std::optional<bool> GoodsSelection::*field, bool value) {
        GoodsSelection s;
        s.*field = value;
        return s;
    };
    const Case cases[] = {
        {only(&GoodsSelection::hasArticle, true), {3, 1}},
        {only(&GoodsSelection::hasArticle, false), {4, 2}},
        {only(&GoodsSelection::superPrice, true), {3}},
        {only(&GoodsSelection::hasUrl, true), {1}},
        {only(&GoodsSelection::hasUrl, false), {4, 2, 3}},
        {only(&GoodsSelection::hasPicture, true), {2}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(codes(c.selection), c.codes);
    GoodsSelection both;
    both.hasArticle = false;
    both.priceAboveZero = true;
    EXPECT_EQ(codes(both), QList<qint64>{4});
}

} // namespace

namespace {

TEST_F(GroupSettingsTest, ShopScriptGoodsCarryTheFourOutputPricesAndKeepGoodsWithoutDetails)
{
    putGroup(1, 0, 1, QStringLiteral("A"));
    putGood(1, 1, QStringLiteral("Чайник"), QStringLiteral("Ч-1"), 100);
    putGood(2, 1, QStringLiteral("Утюг"), QStringLiteral("У-1"), 0);
    putGood(3, 2, QStringLiteral("Другая группа"), QString(), 50);
    exec(QStringLiteral("UPDATE price_main SET Nacen = 10 WHERE Code = 1"));
    exec(QStringLiteral("INSERT INTO Price_Tovar_Info (Code, Art, URL, pictures, Comment) "
                        "VALUES (1, 'Ч-1', 'http://shop/1', 'p1.jpg', '')"));
    putOutputPriceColumns({0, 5, 10, 20});

    const OutputPriceColumns columns = readOutputPriceColumns(priceDb);
    EXPECT_EQ(columns[3].name, QStringLiteral("Цена 4"));
    EXPECT_EQ(columns[3].markup, 20);
    const std::vector<ShopsScriptGood> goods = readShopsScriptGoods(priceDb, 1, -1.0, columns, 2);
    ASSERT_EQ(goods.size(), 2u) << "the good without details stays in";
    EXPECT_EQ(goods[0].tovar, QStringLiteral("Утюг"));
    EXPECT_EQ(goods[0].url, QString());
    EXPECT_EQ(goods[1].url, QStringLiteral("http://shop/1"));
    EXPECT_EQ(goods[1].priceOut, (std::array<double, 4>{110, 115.5, 121, 132}));
    EXPECT_EQ(readShopsScriptGoods(priceDb, 1, 0.0, columns, 2).size(), 1u) << "priced goods only";
}

} // namespace
