// The own catalogue from a worksheet: groups and goods of both layouts, the
// look check of the level rows, and the replacement of the old catalogue in
// one transaction.
#include "catalogue_test_support.h"
#include "sheet_fixtures.h"

#include "catalogue/group_settings/markup_thresholds.h"
#include "catalogue/import/catalogue_import.h"
#include "platform/db/db_error.h"
#include "platform/spreadsheet/reader.h"

using namespace velmora;
using namespace velmora::catalogue;
using velmora::testing::CatalogueTest;
using velmora::testing::makeBlock;

namespace {

constexpr qint64 kToday = 46000;

CatalogueImportSettings inColumns(const QString& level1, const QString& level2)
{
    CatalogueImportSettings s;
    s.layout = CatalogueLayout::CategoriesInColumns;
    s.levels[1].column = level1;
    s.levels[2].column = level2;
    s.columnTovar = 3;
    s.columnPrice = 4;
    return s;
}

QStringList groupRows(const ImportedCatalogue& c)
{
    QStringList rows;
    for (const ImportedGroup& g : c.groups)
        rows << QStringLiteral("%1 %2 %3:%4:%5").arg(g.code).arg(g.name).arg(g.parent).arg(g.pos).arg(int(g.hasChildren));
    return rows;
}

QStringList goodRows(const ImportedCatalogue& c)
{
    QStringList rows;
    for (const ImportedGood& g : c.goods)
        rows << QStringLiteral("%1 %2>%3").arg(g.code).arg(g.tovar).arg(g.group);
    return rows;
}

struct LayoutCase {
    const char* name;
    std::vector<std::vector<QVariant>> rows; // A, B, C (name), D (price)
    QStringList groups;                       // "code name parent:pos:hasChildren"
    QStringList goods;                        // "code name>group"
};

class CategoriesInColumnsTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(CategoriesInColumnsTest, BuildsTheGroupsOfEachRowsPath)
{
    const LayoutCase& c = GetParam();
    const ImportedCatalogue built = buildImportedCatalogue(makeBlock(c.rows), inColumns("A", "B"));
    EXPECT_EQ(groupRows(built), c.groups);
    EXPECT_EQ(goodRows(built), c.goods);
}

const LayoutCase kLayoutCases[] = {
    {"the reference sheet",
     {{"Комп", "Мыши", "m1", 10}, {"Комп", "Мыши", "m2", 0}, {"Комп", "Клав", "k1", 5}, {"Сеть", "Кабели", "c1", 7}},
     {"1 Комп 0:1:1", "2 Мыши 1:1:0", "3 Клав 1:2:0", "4 Сеть 0:2:1", "5 Кабели 4:1:0"},
     {"1 m1>2", "2 k1>3", "3 c1>5"}},
    {"a subgroup name repeated under a new category is a new group",
     {{"Комп", "Мыши", "m1", 10}, {"Сеть", "Мыши", "m2", 20}},
     {"1 Комп 0:1:1", "2 Мыши 1:1:0", "3 Сеть 0:2:1", "4 Мыши 3:1:0"},
     {"1 m1>2", "2 m2>4"}},
    {"an empty level cell continues the row above's group at that level, but not after a level that changed",
     {{"", "", "y", 1},
      {"Комп", "Мыши", "m1", 10},
      {"Комп", "", "k1", 5},
      {"", "", "x", 1},
      {"Сеть", "", "c1", 2},
      {"", "Кабели", "c2", 3},
      {"", "", "c3", 4}},
     {"1 Комп 0:1:1", "2 Мыши 1:1:0", "3 Сеть 0:2:1", "4 Кабели 3:1:0"},
     {"1 y>0", "2 m1>2", "3 k1>2", "4 x>2", "5 c1>3", "6 c2>4", "7 c3>4"}},
    {"a price written as text counts; other texts and 0 do not",
     {{"Комп", "Мыши", "m1", "123,45"}, {"Комп", "Мыши", "m2", "нет"}, {"Комп", "Мыши", "m3", -5}},
     {"1 Комп 0:1:1", "2 Мыши 1:1:0"},
     {"1 m1>2"}},
};

INSTANTIATE_TEST_SUITE_P(Sheets, CategoriesInColumnsTest, ::testing::ValuesIn(kLayoutCases),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(CatalogueImportBuild, ALevelWithoutAColumnIsLeftOutAndTheStartRowStaysWithinItsRange)
{
    // Level 1 has no column: level 2's column gives the categories.
    const auto rows = makeBlock({{"Шапка", "Шапка", "name", "price"}, {"x", "Мыши", "m1", 10}});
    CatalogueImportSettings s = inColumns(QString(), QStringLiteral("B"));
    s.startRow = 2;
    EXPECT_EQ(groupRows(buildImportedCatalogue(rows, s)), QStringList{"1 Мыши 0:1:0"});
    s.startRow = 0; // read from row 1: the heading is a category without goods
    EXPECT_EQ(groupRows(buildImportedCatalogue(rows, s)), (QStringList{"1 Шапка 0:1:0", "2 Мыши 0:2:0"}));
    s.startRow = 70;
    EXPECT_EQ(buildImportedCatalogue(makeBlock(std::vector<std::vector<QVariant>>(60, {"", "Мыши", "m", 1})), s)
                  .goods.size(),
              11u)
        << "rows 50 to 60";
}

TEST(CatalogueImportBuild, GroupedByCategoriesFilesEveryRowWithANameOrPriceUnderNoGroup)
{
    CatalogueImportSettings s;
    s.columnArt = 1;
    s.columnTovar = 2;
    s.columnPrice = 3;
    s.columnGarant = 4;
    const QString longName = QString(210, u'н');
    const auto rows = makeBlock({{4600000000000.0, "Мышь", 100, "12 мес."},
                                 {"", "Заголовок", QVariant(), ""},
                                 {"", "", QVariant(), ""},
                                 {"АРТИКУЛ-0123456789", longName, 0, QString(60, u'г')},
                                 {"a", "", "99,5", ""},
                                 {"b", "минус", -1, ""}});
    const ImportedCatalogue built = buildImportedCatalogue(rows, s);
    EXPECT_TRUE(built.groups.empty());
    ASSERT_EQ(built.goods.size(), 4u);
    EXPECT_EQ(built.goods[0].art, QStringLiteral("4600000000000"));
    EXPECT_EQ(built.goods[0].garant, QStringLiteral("12 мес."));
    EXPECT_EQ(built.goods[1].tovar, QStringLiteral("Заголовок"));
    EXPECT_EQ(built.goods[1].price, 0);
    EXPECT_EQ(built.goods[2].art, QStringLiteral("АРТИКУЛ-0123456"));
    EXPECT_EQ(built.goods[2].tovar.size(), 200);
    EXPECT_EQ(built.goods[2].garant.size(), 50);
    EXPECT_DOUBLE_EQ(built.goods[3].price, 99.5);
    for (const ImportedGood& g : built.goods)
        EXPECT_EQ(g.group, 0);
}

TEST(CatalogueImportLooks, CountsIdenticalLevelRowsAndAsksAccordingly)
{
    LevelLook bold{QStringLiteral("Arial"), QStringLiteral("14"), QStringLiteral("A"),
                   sheet::Color::fromRgb(0xFF0000), sheet::Color::fromRgb(0xFFFFFF), true, false, false};
    LevelLook other = bold;
    other.italic = true;
    struct Case {
        std::array<LevelLook, 6> levels;
        int pairs;
    };
    std::array<LevelLook, 6> none{};
    std::array<LevelLook, 6> onePair{};
    onePair[1] = onePair[3] = bold;
    onePair[2] = other;
    onePair[0] = bold; // level 0 takes no part
    std::array<LevelLook, 6> threePairs{};
    threePairs[1] = threePairs[2] = threePairs[4] = bold; // 1-2, 1-4, 2-4
    std::array<LevelLook, 6> emptyNames{};                 // equal but without a font name
    for (const Case& c : {Case{none, 0}, Case{onePair, 1}, Case{threePairs, 3}, Case{emptyNames, 0}})
        EXPECT_EQ(identicalLevelPairs(c.levels), c.pairs);
    EXPECT_TRUE(identicalLevelsQuestion(0).isEmpty());
    EXPECT_TRUE(identicalLevelsQuestion(2).contains(QStringLiteral("желательно откорректировать")));
    EXPECT_TRUE(identicalLevelsQuestion(3).contains(QStringLiteral("больше критического")));
    EXPECT_TRUE(identicalLevelsQuestion(1).endsWith(QStringLiteral("\r\rПродолжить загрузку?")));
}

TEST(CatalogueImportLooks, ALevelRowTakesThePickedCellsLookFromBothFormats)
{
    for (const char* name : {"styled.xlsx", "styled.xls"}) {
        SCOPED_TRACE(name);
        sheet::WorkbookReader reader(QStringLiteral(VELMORA_TEST_DATA "/spreadsheet/") + QLatin1String(name));
        const sheet::SheetLook look = reader.readSheetLook(1);
        const LevelLook category = levelLookOfCell(look.style(1, 1), 1);
        EXPECT_EQ(category, (LevelLook{QStringLiteral("Arial"), QStringLiteral("14"), QStringLiteral("A"),
                                       sheet::Color::fromRgb(0xFF0000), sheet::Color::fromRgb(0xFFFF00), true,
                                       false, false}));
        const LevelLook underlined = levelLookOfCell(look.style(4, 1), 1);
        EXPECT_TRUE(underlined.underline);
        EXPECT_EQ(underlined.fill, sheet::Color::fromRgb(0xFFFFFF)) << "no fill reads white";
        EXPECT_EQ(levelLookOfCell(look.style(2, 1), 1).fontName, QStringLiteral("Times New Roman"));
    }
}

class CatalogueStoreTest : public CatalogueTest {
protected:
    void SetUp() override
    {
        addReferenceTree();
        putGood(1, 2, QStringLiteral("старый"));
        exec(QStringLiteral("INSERT INTO Price_Tovar_Info (Code, Art, URL, pictures, Comment) VALUES (1, '', 'u', 'p', 'c')"));
        for (const char* sql :
             {"INSERT INTO krit (Code_krit, Krit_1, Krit_2, Krit_3, Krit_4, Krit_5) VALUES (1, 'a', '', '', '', '')",
              "INSERT INTO kritiskl (Code_KritIskl, KritIskl) VALUES (1, 'b')",
              "INSERT INTO sootv (Code, Art, Tovar, Postavshik) VALUES (1, 'x', 'y', 'S')",
              "INSERT INTO svod (Code_sootv, Postavshik, Price) VALUES (1, 'S', 5)",
              "INSERT INTO Sootv_All (Code, Tovar) VALUES (1, 'y')", "INSERT INTO musor (Tovar) VALUES ('m')",
              "INSERT INTO price_all (Tovar) VALUES ('w')",
              "INSERT INTO MinPrice_Group (Kategor, Postavshik, Obrab) VALUES (2, 'S', 'True')"})
            exec(QString::fromLatin1(sql));
        storeThresholds(priceDb, {0}, MarkupThresholds{{{100, 10}, {200, 20}, {300, 30}, {400, 40}, {500, 50}}});
        storeThresholds(priceDb, {2}, MarkupThresholds{{{10, 1}, {20, 2}, {30, 3}, {40, 4}, {50, 5}}});
    }

    ImportedCatalogue newCatalogue() const
    {
        return buildImportedCatalogue(makeBlock({{"Комп", "Мыши", "m1", 10}, {"Сеть", "Кабели", "c1", 7}}),
                                      inColumns("A", "B"));
    }
};

TEST_F(CatalogueStoreTest, ReplacesTheCatalogueKeepsTheOldOneInTheHistoryAndEmptiesWhatReferredToIt)
{
    storeImportedCatalogue(priceDb, newCatalogue(), kToday);
    EXPECT_EQ(rows(QStringLiteral("SELECT Code, Parent, Pos, HCh_T, Picture, Comment, Nacen, Garant FROM Tovar_tree"
                                  " ORDER BY Code")),
              (QStringList{"1|0|1|1|5|Комп|0|", "2|1|1|0|5|Мыши|0|", "3|0|2|1|5|Сеть|0|", "4|3|1|0|5|Кабели|0|"}));
    EXPECT_EQ(rows(QStringLiteral("SELECT Code, Art, Kategor, Tovar, PriceBase, Nacen, Price_1, Dates, Sale,"
                                  " SuperPrice FROM price_main ORDER BY Code")),
              (QStringList{"1||2|m1|0|0|10|46000|0|0", "2||4|c1|0|0|7|46000|0|0"}));
    EXPECT_EQ(rows(QStringLiteral("SELECT Code, URL, pictures, Comment FROM Price_Tovar_Info ORDER BY Code")),
              (QStringList{"1|||", "2|||"}));
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Tovar_tree_history")), 6);
    EXPECT_EQ(rows(QStringLiteral("SELECT Tovar FROM price_main_history")), QStringList{"старый"});
    for (const char* table :
         {"krit", "kritiskl", "sootv", "svod", "Sootv_All", "musor", "price_all", "MinPrice_Group"})
        EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(table))), 0) << table;
    EXPECT_EQ(rows(QStringLiteral("SELECT Kategor, Price1, Nacen1 FROM MinPrice_Nacen")), QStringList{"0|100|10"})
        << "the general thresholds stay";
}

TEST_F(CatalogueStoreTest, AFailureWhileStoringLeavesTheOldCatalogueAndItsMatchingWhole)
{
    const QStringList before = rows(QStringLiteral("SELECT * FROM price_main")) +
                               rows(QStringLiteral("SELECT * FROM Tovar_tree")) +
                               rows(QStringLiteral("SELECT * FROM sootv"));
    // The last step fails: the combined price cannot be emptied.
    exec(QStringLiteral("CREATE TRIGGER keep_svod BEFORE DELETE ON svod BEGIN SELECT RAISE(ABORT, 'locked'); END"));
    EXPECT_THROW(storeImportedCatalogue(priceDb, newCatalogue(), kToday), db::DbError);
    EXPECT_EQ(rows(QStringLiteral("SELECT * FROM price_main")) + rows(QStringLiteral("SELECT * FROM Tovar_tree")) +
                  rows(QStringLiteral("SELECT * FROM sootv")),
              before);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Tovar_tree_history")), 0);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Price_Tovar_Info")), 1);
}

TEST_F(CatalogueStoreTest, MergedAndBlankLevelCellsKeepEveryRowInTheGroupTheSheetShows)
{
    const QString path = dir.filePath(QStringLiteral("merged.xlsx"));
    // A category merged over its rows, a subgroup merged over two, blank
    // cells under a subgroup's first row, and a heading merged across the
    // whole row.
    velmora::testing::writeXlsx(path,
                                {{"Прайс",
                                  {{"Категория", "Группа", "Товар", "Цена"},
                                   {"Компьютеры", "Мыши", "m1", 10},
                                   {QVariant(), QVariant(), "m2", 20},
                                   {QVariant(), "Клавиатуры", "k1", 30},
                                   {QVariant(), QVariant(), "k2", 40},
                                   {QVariant(), QVariant(), "k3", 50},
                                   {"Сеть", "Кабели", "c1", 60},
                                   {QVariant(), QVariant(), "c2", 70},
                                   {"Периферия"},
                                   {QVariant(), "Колонки", "s1", 80}}}},
                                {{QStringLiteral("Прайс"), {"A2:A6", "B2:B3", "A9:D9"}}});
    CatalogueImportSettings s = inColumns("A", "B");
    s.path = path;
    s.startRow = 2;
    const CatalogueImportResult result = importCatalogue(priceDb, s, kToday);
    EXPECT_EQ(catalogueImportedMessage(result), QStringLiteral("Добавлено: категорий - 7, товаров - 8"));
    EXPECT_EQ(rows(QStringLiteral("SELECT g.Tovar || ' > ' || ifnull(p.Comment || ' / ', '') || t.Comment"
                                  " FROM price_main g JOIN Tovar_tree t ON t.Code = g.Kategor"
                                  " LEFT JOIN Tovar_tree p ON p.Code = t.Parent ORDER BY g.Code")),
              (QStringList{"m1 > Компьютеры / Мыши", "m2 > Компьютеры / Мыши", "k1 > Компьютеры / Клавиатуры",
                           "k2 > Компьютеры / Клавиатуры", "k3 > Компьютеры / Клавиатуры", "c1 > Сеть / Кабели",
                           "c2 > Сеть / Кабели", "s1 > Периферия / Колонки"}));
    EXPECT_EQ(rows(QStringLiteral("SELECT Comment || ':' || Parent || ':' || Pos || ':' || HCh_T FROM Tovar_tree"
                                  " ORDER BY Code")),
              (QStringList{"Компьютеры:0:1:1", "Мыши:1:1:0", "Клавиатуры:1:2:0", "Сеть:0:2:1", "Кабели:4:1:0",
                           "Периферия:0:3:1", "Колонки:6:1:0"}));
}

TEST_F(CatalogueStoreTest, AnXlsWorkbookIsImportedFromItsSheetByName)
{
    const QString path = dir.filePath(QStringLiteral("catalogue.xls"));
    velmora::testing::writeXls(path, {{"Пусто", {}},
                                      {"Каталог",
                                       {{"Категория", "Группа", "Товар", "Цена"},
                                        {"Комп", "Мыши", "m1", 10},
                                        {"Комп", "Клав", "k1", 5}}}});
    CatalogueImportSettings s = inColumns("A", "B");
    s.path = path;
    s.sheetName = QStringLiteral("Каталог");
    s.sheetIndex = 1;
    s.startRow = 2;
    const CatalogueImportResult result = importCatalogue(priceDb, s, kToday);
    EXPECT_EQ(catalogueImportedMessage(result), QStringLiteral("Добавлено: категорий - 3, товаров - 2"));
    EXPECT_EQ(rows(QStringLiteral("SELECT Tovar || '>' || Kategor FROM price_main ORDER BY Code")),
              (QStringList{"m1>2", "k1>3"}));
}

} // namespace
