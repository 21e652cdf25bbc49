// The goods: calculated columns, article numbers, the card, deleting and
// moving, the list model, the totals and the search.
#include "catalogue_test_support.h"

#include "catalogue/article_code.h"
#include "catalogue/goods_card_data.h"
#include "catalogue/goods_commands.h"
#include "catalogue/goods_list.h"
#include "catalogue/goods_search.h"
#include "storage/settings_store.h"

using namespace velmora;
using namespace velmora::catalogue;
using velmora::testing::CatalogueTest;

namespace {

TEST(GoodsPrices, CalculatedColumnsAtTheDefaultRoubleRate)
{
    struct Case {
        double price1;
        int nacen;
        double priceBase;
        bool superPrice;
        const char *priceNacen, *nacenAll, *nacenDollars, *priceRub;
    };
    const Case cases[] = {
        {100, 10, 80, false, "110", "37,5", "30", "2970"},
        {100, 0, 30, false, "100", "233,3", "70", "2700"},
        {0, 15, 0, false, "нет", "15", "-", " - "},
        {0, 15, 40, false, "нет", "15", "-", " - "},
        {99.999, 0, 50, true, "100", "-", "-", "2700"},
        {12.345, 0, 0, false, "12,35", "-", "-", "333,45"},
    };
    const GoodsPricing pricing{2, 27.0};
    for (const Case& c : cases) {
        Good good;
        good.price1 = c.price1;
        good.nacen = c.nacen;
        good.priceBase = c.priceBase;
        good.superPrice = c.superPrice;
        const GoodPriceTexts t = goodPriceTexts(good, pricing);
        EXPECT_EQ(t.Price_nacen, QString::fromUtf8(c.priceNacen)) << c.price1;
        EXPECT_EQ(t.NacenAll, QString::fromUtf8(c.nacenAll)) << c.price1;
        EXPECT_EQ(t.NacenDollars, QString::fromUtf8(c.nacenDollars)) << c.price1;
        EXPECT_EQ(t.Price_RUB, QString::fromUtf8(c.priceRub)) << c.price1;
    }
}

TEST(ArticleCode, BuildsFromNumberAndGroup)
{
    ArticleSettings all;
    all.CheckBox_Auto = all.CheckBox_Razd = all.CheckBox_PrefKat = true;
    all.Edit_Razd = QStringLiteral("-");
    all.Edit_PrefRazd = QStringLiteral("/");
    ArticleSettings shortPrefix = all;
    shortPrefix.ComboBox_PrefMax = 0;
    ArticleSettings sixDigits;
    sixDigits.CheckBox_Auto = true;
    ArticleSettings lateSeparator = sixDigits;
    lateSeparator.CheckBox_Razd = true;
    lateSeparator.ComboBox_RazdPos = 7;
    lateSeparator.Edit_Razd = QStringLiteral(".");
    ArticleSettings off = all;
    off.CheckBox_Auto = false;
    struct Case {
        const char* name;
        const ArticleSettings& settings;
        const char *number, *group, *article;
    };
    const Case cases[] = {
        {"every switch on", all, "15", "7", "00007/0000-15"},
        {"two prefix digits", shortPrefix, "15", "7", "07/0000-15"},
        {"a longer number is kept", sixDigits, "1234567", "7", "1234567"},
        {"a group code longer than the prefix", all, "15", "123456", "123456/0000-15"},
        {"the separator beyond the number", lateSeparator, "15", "7", "000015."},
        {"automatic articles off", off, "15", "7", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BuildArticleCode(c.settings, QString::fromUtf8(c.number), QString::fromUtf8(c.group)),
                  QString::fromUtf8(c.article))
            << c.name;
}

TEST(ArticleCode, SettingsAreAcceptedOnlyWhenTheirLongestArticleFitsTheField)
{
    struct Case {
        const char* name;
        bool autoOn;
        int maxArt; // digits: index + 4
        const char* separator; // nullptr: no separator
        int prefMax; // prefix digits: index + 2; -1: no prefix
        const char* prefixSeparator;
        int longest;
    };
    const Case cases[] = {
        {"the defaults with every switch on", true, 2, "-", 3, "/", 13},
        {"eight digits and a five-digit prefix", true, 4, "-", 3, "/", 15},
        {"one separator character too many", true, 4, "--", 3, "/", 16},
        {"long separators", true, 4, "-----", 3, "/////", 23},
        {"long separators without a prefix", true, 4, "-----", -1, "/////", 13},
        {"a switched-off separator takes no room", true, 4, nullptr, 3, "/////", 18},
        {"automatic articles off", false, 4, "-----", 3, "/////", 0},
    };
    for (const Case& c : cases) {
        ArticleSettings a;
        a.CheckBox_Auto = c.autoOn;
        a.ComboBox_MaxArt = c.maxArt;
        a.CheckBox_Razd = c.separator != nullptr;
        a.Edit_Razd = QString::fromUtf8(c.separator ? c.separator : "-----");
        a.ComboBox_RazdPos = 1;
        a.CheckBox_PrefKat = c.prefMax >= 0;
        a.ComboBox_PrefMax = std::max(c.prefMax, 0);
        a.Edit_PrefRazd = QString::fromUtf8(c.prefixSeparator);
        EXPECT_EQ(longestArticleLength(a), c.longest) << c.name;
        // The articles of the smallest and the largest numbers and group
        // codes the settings provide for.
        const int digits = c.maxArt + 4;
        const int prefixDigits = a.ComboBox_PrefMax + 2;
        qsizetype built = 0;
        for (const QString& number : {QStringLiteral("1"), QString(digits, u'9')})
            for (const QString& group : {QStringLiteral("1"), QString(prefixDigits, u'9')})
                built = std::max(built, BuildArticleCode(a, number, group).size());
        const QString refusal = articleTooLongMessage(a);
        if (built <= kArticleLength) {
            EXPECT_TRUE(refusal.isEmpty()) << c.name;
        } else {
            EXPECT_EQ(built, c.longest) << c.name;
            EXPECT_TRUE(refusal.contains(QStringLiteral("до %1 символов").arg(built))) << refusal.toStdString();
        }
    }
}

TEST_F(CatalogueTest, ArticleSettingsKeepTheirValuesAndDefaults)
{
    SettingsStore store(priceDb);
    EXPECT_EQ(readArticleSettings(store), ArticleSettings{});
    ArticleSettings changed;
    changed.CheckBox_Auto = changed.CheckBox_PrefKat = true;
    changed.ComboBox_MaxArt = 4;
    changed.ComboBox_RazdPos = 0;
    changed.Edit_Razd = QStringLiteral("–");
    changed.ComboBox_PrefMax = 1;
    changed.Edit_PrefRazd = QStringLiteral("'");
    writeArticleSettings(store, changed);
    EXPECT_EQ(readArticleSettings(store), changed);
}

class GoodsCardTest : public CatalogueTest {
protected:
    GoodsCardTest()
    {
        putGroup(7, 0, 1, QStringLiteral("Мыши"));
        putGroup(8, 0, 2, QStringLiteral("Клавиатуры"));
        exec(QStringLiteral("UPDATE Tovar_tree SET Nacen = 12, Garant = '1 год' WHERE Code = 8"));
        exec(QStringLiteral("INSERT INTO price_main VALUES (1, 'AB-1', '7', 'Мышь', 80, 10, 100.004, 45000, '6 мес', 1, 0)"));
        exec(QStringLiteral("INSERT INTO price_main VALUES (2, 'ab-2', '7', 'Мышь 2', 50, 5, 60, 45000, '', 0, 0)"));
        exec(QStringLiteral("INSERT INTO Price_Tovar_Info VALUES (1, 'AB-1', 'http://u', 'http://p', 'удобная')"));
    }

    QString good(qint64 code)
    {
        return rows(QStringLiteral("SELECT * FROM price_main WHERE Code = ?1"), {code}).value(0);
    }
};

TEST_F(GoodsCardTest, EditOpensWithTheGoodsFieldsAndKeepsItsOwnGroup)
{
    CardOpening card;
    ASSERT_TRUE(openCardForEdit(priceDb, 1, 2, card));
    EXPECT_EQ(card.groupName, QStringLiteral("Мыши"));
    EXPECT_EQ(card.fields.price, 100.0);
    EXPECT_EQ(card.fields.url, QStringLiteral("http://u"));
    EXPECT_EQ(card.shownArt, QStringLiteral("AB-1"));
    EXPECT_FALSE(openCardForEdit(priceDb, 99, 2, card));
}

TEST_F(GoodsCardTest, SavingChecksTheNameAndArticlesNewToTheGood)
{
    CardOpening edit;
    ASSERT_TRUE(openCardForEdit(priceDb, 1, 2, edit));
    const CardOpening add = openCardForAdd(priceDb, 8, [](qint64 code, const QString& group) {
        return QStringLiteral("AB-%1").arg(code - 1) + group.left(0);
    });
    EXPECT_EQ(add.code, 3);
    EXPECT_EQ(add.fields.art, QStringLiteral("AB-2")) << "an auto-built article another good has";
    EXPECT_EQ(add.fields.nacen, 12);
    EXPECT_EQ(add.fields.garant, QStringLiteral("1 год"));

    struct Case {
        const char* name;
        const CardOpening& opening;
        const char* art;
        const char* tovar;
        const char* message;
    };
    const Case cases[] = {
        {"an empty name", edit, "AB-1", "", "Укажите название товара !"},
        {"an existing article in another case", edit, "AB-2", "Мышь", "Такой Артикул уже существует!"},
        {"a new good with a taken article", add, "AB-2", "Трекбол", "Такой Артикул уже существует!"},
        {"its own unchanged article", edit, "AB-1", "Мышь", ""},
        {"its own article in another case", edit, "ab-1", "Мышь", ""},
        {"an empty article", edit, "", "Мышь", ""},
    };
    for (const Case& c : cases) {
        CardFields fields = c.opening.fields;
        fields.art = QString::fromUtf8(c.art);
        fields.tovar = QString::fromUtf8(c.tovar);
        const QString before = good(1) + good(2);
        const CardSaving saved = saveCard(priceDb, c.opening, fields, 46000);
        EXPECT_EQ(saved.message, QString::fromUtf8(c.message)) << c.name;
        EXPECT_EQ(saved.saved, saved.message.isEmpty()) << c.name;
        if (!saved.saved) {
            EXPECT_EQ(good(1) + good(2), before) << c.name;
        }
    }
}

TEST_F(GoodsCardTest, EditWritesTheCardAndKeepsGroupSaleAndBasePrice)
{
    CardOpening card;
    ASSERT_TRUE(openCardForEdit(priceDb, 1, 2, card));
    CardFields fields = card.fields;
    fields.tovar = QStringLiteral("Мышь O'Neil");
    fields.price = 120;
    fields.nacen = 15;
    fields.comment = QStringLiteral("новая");
    EXPECT_TRUE(saveCard(priceDb, card, fields, 46000).saved);
    EXPECT_EQ(good(1), QStringLiteral("1|AB-1|7|Мышь O'Neil|80|15|120|45000|6 мес|1|0"));
    EXPECT_EQ(rows(QStringLiteral("SELECT * FROM Price_Tovar_Info")), QStringList{"1|AB-1|http://u|http://p|новая"});

    // Супер Цена: the entered price becomes the base price, no markup.
    fields.superPrice = true;
    fields.price = 130;
    EXPECT_TRUE(saveCard(priceDb, card, fields, 46000).saved);
    EXPECT_EQ(good(1), QStringLiteral("1|AB-1|7|Мышь O'Neil|130|0|130|45000|6 мес|1|1"));
}

TEST_F(GoodsCardTest, AddFilesTheGoodUnderTheChosenGroupWithItsDetails)
{
    const CardOpening card = openCardForAdd(priceDb, 8, {});
    CardFields fields = card.fields;
    fields.tovar = QStringLiteral("Клавиатура");
    fields.price = 40;
    fields.art = QStringLiteral("K-1");
    fields.url = QStringLiteral("http://k");
    const CardSaving saved = saveCard(priceDb, card, fields, 46000);
    ASSERT_TRUE(saved.saved);
    EXPECT_EQ(saved.code, 3);
    EXPECT_EQ(good(3), QStringLiteral("3|K-1|8|Клавиатура|40|12|40|46000|1 год|0|0"));
    EXPECT_EQ(rows(QStringLiteral("SELECT * FROM Price_Tovar_Info WHERE Code = 3")), QStringList{"3|K-1|http://k||"});
}

TEST_F(CatalogueTest, DeletingGoodsTakesOnlyTheirRowsEverywhere)
{
    putGroup(1, 0, 1, QStringLiteral("Г"));
    for (qint64 code : {1, 2, 3}) {
        putGood(code, 1, QStringLiteral("товар %1").arg(code));
        for (const char* sql : {"INSERT INTO krit (Code_krit) VALUES (?1)", "INSERT INTO kritiskl (Code_KritIskl) VALUES (?1)",
                                "INSERT INTO sootv (Code) VALUES (?1)", "INSERT INTO svod (Code_sootv) VALUES (?1)",
                                "INSERT INTO Price_Tovar_Info (Code) VALUES (?1)"})
            exec(QString::fromUtf8(sql), {code});
    }
    deleteGoods(priceDb, {1, 3});
    for (const char* table : {"price_main", "Price_Tovar_Info", "sootv"})
        EXPECT_EQ(rows(QStringLiteral("SELECT Code FROM %1").arg(QLatin1String(table))), QStringList{"2"}) << table;
    EXPECT_EQ(rows(QStringLiteral("SELECT Code_krit FROM krit UNION ALL SELECT Code_KritIskl FROM kritiskl"
                                  " UNION ALL SELECT Code_sootv FROM svod")),
              (QStringList{"2", "2", "2"}));
    deleteGoods(priceDb, {});
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM price_main")), 1);
}

TEST_F(CatalogueTest, MovedGoodsTakeTheNewGroupAsText)
{
    putGroup(1, 0, 1, QStringLiteral("Г1"));
    putGroup(2, 0, 2, QStringLiteral("Г2"));
    for (qint64 code : {1, 2, 3})
        putGood(code, 1, QStringLiteral("товар %1").arg(code));
    moveGoods(priceDb, {1, 3}, 2);
    EXPECT_EQ(rows(QStringLiteral("SELECT Code || ':' || Kategor || ':' || typeof(Kategor) FROM price_main ORDER BY Code")),
              (QStringList{"1:2:text", "2:1:text", "3:2:text"}));
}

TEST_F(CatalogueTest, ListShowsAGroupsGoodsInNameOrderReadAsScrolled)
{
    putGroup(1, 0, 1, QStringLiteral("Г"));
    putGroup(2, 0, 2, QStringLiteral("Другая"));
    for (int i = 0; i < 25; ++i)
        putGood(100 + i, 1, QStringLiteral("Товар %1").arg(24 - i, 2, 10, QChar(u'0')), QString(), (24 - i) % 5 == 0 ? 0 : 10);
    putGood(200, 2, QStringLiteral("Чужой"));
    exec(QStringLiteral("INSERT INTO price_main (Code, Kategor, Tovar) VALUES (300, '1', 'без цены')"));

    CatalogueGoodsModel model(priceDb, nullptr, 10);
    model.reopen(GoodsListFilter{QStringLiteral("1"), QString()});
    EXPECT_EQ(model.goodsCount(), 25) << "a good without any price is not listed";
    EXPECT_EQ(model.rowCount(), 10);
    EXPECT_EQ(model.data(model.index(0, CatalogueGoodsModel::ColTovar)).toString(), QStringLiteral("Товар 00"));
    EXPECT_EQ(model.data(model.index(0, CatalogueGoodsModel::ColPriceNacen)).toString(), QStringLiteral("нет"));
    EXPECT_TRUE(model.canFetchMore(QModelIndex()));
    EXPECT_EQ(model.rowOfCode(100), 24);
    EXPECT_EQ(model.rowCount(), 25);
    EXPECT_FALSE(model.canFetchMore(QModelIndex()));
    EXPECT_EQ(model.rowOfCode(200), -1);

    model.reopen(GoodsListFilter{QStringLiteral("1"), QStringLiteral("ар 1")});
    EXPECT_EQ(model.goodsCount(), 10);
    model.reopen(GoodsListFilter{QStringLiteral("1"), QStringLiteral("O'Neil")});
    EXPECT_EQ(model.goodsCount(), 0);

    EXPECT_EQ(goodsTotalsText(readGoodsTotals(priceDb)), QStringLiteral("Всего товаров - 27   Активных - 21"));
}

TEST_F(CatalogueTest, SearchFindsByArticleOrNamePart)
{
    putGroup(1, 0, 1, QStringLiteral("Г"));
    putGood(1, 1, QStringLiteral("Мышь беспроводная"), QStringLiteral("MX-100"));
    putGood(2, 1, QStringLiteral("Коврик для мыши"), QStringLiteral("mx-1000"));
    putGood(3, 1, QStringLiteral("Клавиатура"), QStringLiteral("KB-100"));
    // Pairs that a wildcard "%" or "_" would not tell apart.
    putGood(4, 1, QStringLiteral("Кабель 100%"), QStringLiteral("A_1"));
    putGood(5, 1, QStringLiteral("Кабель 1000"), QStringLiteral("AB1"));
    putGood(6, 1, QStringLiteral("Набор [2 шт]"), QStringLiteral("[X]1"));
    putGood(7, 1, QStringLiteral("Набор 2 шт"), QStringLiteral("X1"));
    putGood(8, 1, QStringLiteral("Провод_USB"), QStringLiteral("P%2"));
    putGood(9, 1, QStringLiteral("Провод USB"), QStringLiteral("P12"));
    struct Case {
        GoodsSearchMode mode;
        const char* text;
        QStringList codes;
    };
    const Case cases[] = {
        {GoodsSearchMode::ExactArticle, "mx-100", {"1"}},
        {GoodsSearchMode::ExactArticle, "a_1", {"4"}},
        {GoodsSearchMode::PartialArticle, "X-1", {"1", "2"}},
        {GoodsSearchMode::PartialArticle, "100", {"1", "2", "3"}},
        {GoodsSearchMode::PartialArticle, "A_1", {"4"}},
        {GoodsSearchMode::PartialArticle, "%2", {"8"}},
        {GoodsSearchMode::PartialArticle, "[X]", {"6"}},
        {GoodsSearchMode::NamePart, "МЫШ", {"1", "2"}},
        {GoodsSearchMode::NamePart, "100%", {"4"}},
        {GoodsSearchMode::NamePart, "_USB", {"8"}},
        {GoodsSearchMode::NamePart, "[2", {"6"}},
        {GoodsSearchMode::NamePart, "O'Neil", {}},
        {GoodsSearchMode::NamePart, "", {}},
    };
    for (const Case& c : cases) {
        QStringList codes;
        for (const FoundGood& g : findGoods(priceDb, c.mode, QString::fromUtf8(c.text)))
            codes << QString::number(g.code);
        EXPECT_EQ(codes, c.codes) << c.text;
    }
    // The goods list's name filter finds them as typed too.
    CatalogueGoodsModel model(priceDb);
    for (const char* text : {"100%", "_USB", "[2"}) {
        model.reopen(GoodsListFilter{QStringLiteral("1"), QString::fromUtf8(text)});
        EXPECT_EQ(model.goodsCount(), 1) << text;
    }
    EXPECT_EQ(findGoods(priceDb, GoodsSearchMode::ExactArticle, QStringLiteral("KB-100")).front().kategor,
              QStringLiteral("1"));
}

} // namespace
