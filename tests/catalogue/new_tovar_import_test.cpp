// Groups and goods built from the staging table New_tovar.
#include "catalogue_test_support.h"

#include "catalogue/new_tovar_import.h"

using namespace velmora;
using namespace velmora::catalogue;
using velmora::testing::CatalogueTest;

namespace {

class NewTovarTest : public CatalogueTest {
protected:
    void stage(qint64 id, const QStringList& levels, const QString& name, double price = 10)
    {
        QVariantList values{id};
        for (int i = 0; i < 5; ++i)
            values << levels.value(i);
        values << QStringLiteral("A%1").arg(id) << name << price;
        exec(QStringLiteral("INSERT INTO New_tovar VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)"), values);
    }

    // Each group as "name<parent name" in code order, and each good as
    // "name@group name".
    QStringList tree()
    {
        return rows(QStringLiteral("SELECT t.Comment || '<' || ifnull(p.Comment, '') || ':' || t.Pos || ':' || t.HCh_T"
                                   " FROM Tovar_tree t LEFT JOIN Tovar_tree p ON p.Code = t.Parent ORDER BY t.Code"));
    }
    QStringList goods()
    {
        return rows(QStringLiteral("SELECT g.Code || ' ' || g.Tovar || '@' || ifnull(t.Comment, g.Kategor) FROM price_main g"
                                   " LEFT JOIN Tovar_tree t ON t.Code = g.Kategor ORDER BY g.Code"));
    }
};

TEST_F(NewTovarTest, GoodsAreFiledUnderTheGroupsOfTheirOwnPath)
{
    stage(1, {"К", "Г", "П1"}, "мышь");
    stage(2, {"К", "Г", "П2"}, "клавиатура");
    stage(3, {"К", "Г", "П2"}, "трекбол");
    // A changed group with a subgroup of a name seen before gets its own.
    stage(4, {"К", "Г2", "П1"}, "коврик");
    // A path cut at its first empty name.
    stage(5, {"К", "", "П9"}, "кабель");
    stage(6, {"Вторая"}, "лампа");
    const NewTovarResult result = buildCatalogueFromNewTovar(priceDb, true);
    EXPECT_TRUE(result.refusedIds.isEmpty());
    EXPECT_EQ(result.groups, 7);
    EXPECT_EQ(result.goods, 6);
    EXPECT_EQ(tree(), (QStringList{"К<:1:1", "Г<К:1:1", "П1<Г:1:0", "П2<Г:2:0", "Г2<К:2:1", "П1<Г2:1:0", "Вторая<:2:0"}));
    EXPECT_EQ(goods(), (QStringList{"1 мышь@П1", "2 клавиатура@П2", "3 трекбол@П2", "4 коврик@П1", "5 кабель@К",
                                    "6 лампа@Вторая"}));
    EXPECT_EQ(rows(QStringLiteral("SELECT Art, PriceBase, Price_1, Nacen FROM price_main WHERE Code = 1")),
              QStringList{"A1|10|10|0"});
    EXPECT_EQ(rows(QStringLiteral("SELECT Picture, Nacen, Garant FROM Tovar_tree GROUP BY 1, 2, 3")), QStringList{"5|0|"});
    // Every good has its (empty) export details.
    EXPECT_EQ(rows(QStringLiteral("SELECT Code || Art || URL || pictures || Comment FROM Price_Tovar_Info ORDER BY Code")),
              (QStringList{"1A1", "2A2", "3A3", "4A4", "5A5", "6A6"}));
}

TEST_F(NewTovarTest, ClearingEmptiesEveryTableThatRefersToGoodsCodes)
{
    putGroup(1, 0, 1, QStringLiteral("Старая"));
    putGood(1, 1, QStringLiteral("старый"));
    const char* referring[] = {"INSERT INTO krit (Code_krit) VALUES (1)", "INSERT INTO kritiskl (Code_KritIskl) VALUES (1)",
                               "INSERT INTO sootv (Code) VALUES (1)",     "INSERT INTO svod (Code_sootv) VALUES (1)",
                               "INSERT INTO Sootv_All (Code) VALUES (1)", "INSERT INTO MinPrice_Group (Kategor) VALUES (1)",
                               "INSERT INTO MinPrice_Nacen (Kategor) VALUES (1)", "INSERT INTO Price_Tovar_Info (Code) VALUES (1)"};
    for (const char* sql : referring)
        exec(QString::fromUtf8(sql));
    exec(QStringLiteral("INSERT INTO postavshik (Postavshik) VALUES ('А')"));
    stage(1, {"Новая"}, "новый");
    buildCatalogueFromNewTovar(priceDb, true);
    EXPECT_EQ(goods(), QStringList{"1 новый@Новая"});
    for (const char* table : {"krit", "kritiskl", "sootv", "svod", "Sootv_All", "MinPrice_Group", "MinPrice_Nacen"})
        EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(table))), 0) << table;
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Price_Tovar_Info")), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM postavshik")), 1);
}

TEST_F(NewTovarTest, AddingRefusesIdsThatAreTakenOrRepeatedAndChangesNothing)
{
    putGroup(1, 0, 1, QStringLiteral("Старая"));
    putGood(5, 1, QStringLiteral("старый"));
    exec(QStringLiteral("INSERT INTO krit (Code_krit, Krit_1) VALUES (5, 'ст')"));
    struct Case {
        const char* name;
        std::vector<qint64> ids;
        QList<qint64> refused;
        bool empty;
    };
    const Case cases[] = {
        {"an id that is a goods code", {4, 5}, {5}, false},
        {"an id given twice", {6, 6, 7}, {6}, false},
        {"a row without an id", {0, 8}, {}, true},
    };
    const QStringList before = goods() + tree();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        exec(QStringLiteral("DELETE FROM New_tovar"));
        for (qint64 id : c.ids)
            stage(id, {"Новая"}, QStringLiteral("новый"));
        if (c.empty)
            exec(QStringLiteral("UPDATE New_tovar SET id = NULL WHERE id = 0"));
        const NewTovarResult result = buildCatalogueFromNewTovar(priceDb, false);
        EXPECT_EQ(result.refusedIds, c.refused);
        EXPECT_EQ(result.refusedEmptyId, c.empty);
        EXPECT_FALSE(newTovarRefusalMessage(result).isEmpty());
        EXPECT_EQ(goods() + tree(), before);
        EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM krit")), 1);
    }
    EXPECT_TRUE(newTovarRefusalMessage(NewTovarResult{}).isEmpty());
}

TEST_F(NewTovarTest, AddingPutsTheNewCategoriesAfterTheExistingOnes)
{
    putGroup(3, 0, 1, QStringLiteral("Старая"));
    putGood(5, 3, QStringLiteral("старый"));
    stage(6, {"Старая", "Г"}, "новый");
    const NewTovarResult result = buildCatalogueFromNewTovar(priceDb, false);
    EXPECT_TRUE(result.refusedIds.isEmpty());
    EXPECT_EQ(groups(), (QStringList{"3:0:1", "4:0:2", "5:4:1"}));
    EXPECT_EQ(goods(), (QStringList{"5 старый@Старая", "6 новый@Г"}));
}

} // namespace
