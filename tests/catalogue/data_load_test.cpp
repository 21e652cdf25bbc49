// Loading suppliers' workbooks into the matching tables: the rows, the
// pipeline through trash, correspondences and remainder, the queue's
// checks, the rate box, the supplier settings, deleting and renaming.
#include "catalogue/loading/data_load.h"
#include "catalogue/loading/supplier_edit.h"
#include "catalogue/loading/supplier_setup.h"
#include "matching_test_support.h"
#include "sheet_fixtures.h"

#include <QDate>
#include <QFile>

using namespace velmora;
using namespace velmora::catalogue;
using namespace velmora::testing;

namespace {

const QString kS = QStringLiteral("Поставщик С");
const QString kOther = QStringLiteral("Другой");

TEST(LoadRow, ParsedAsTheLoaderReadsIt)
{
    struct Case {
        const char* what;
        SheetRows cells; // A article, B name, C price, D retail
        double rate;
        LoadRounding rounding;
        bool loaded;
        double price;
        double pricemax;
        QString art;
    };
    const QString art40 = QString(40, u'A');
    const Case cases[] = {
        {"a number", {{"A1", "Болт", 10.0, 12.0}}, 1, {}, true, 10, 12, "A1"},
        {"a decimal comma in a text", {{"A1", "Болт", "10,5", "12"}}, 1, {}, true, 10.5, 12, "A1"},
        {"a price that is no number", {{"A1", "Болт", "abc", 12.0}}, 1, {}, false, 0, 0, ""},
        {"no name", {{"A1", QVariant(), 10.0, 12.0}}, 1, {}, false, 0, 0, ""},
        {"no price", {{"A1", "Болт", QVariant(), 12.0}}, 1, {}, false, 0, 0, ""},
        {"rate 3, three decimals", {{"A1", "Болт", 10.0, 20.0}}, 3, {}, true, 3.333, 6.667, "A1"},
        {"rate 3, RoundingPostav at 2", {{"A1", "Болт", 10.0, 20.0}}, 3, {true, 2}, true, 3.33, 6.67, "A1"},
        {"no rate, RoundingPostav at 1", {{"A1", "Болт", 10.26, 20.0}}, 1, {true, 1}, true, 10.3, 20, "A1"},
        {"a 40-character article", {{art40, "Болт", 10.0, 12.0}}, 1, {}, true, 10, 12, QString(30, u'A')},
        {"a numeric article", {{12345.0, "Болт", 10.0, 12.0}}, 1, {}, true, 10, 12, "12345"},
    };
    SupplierSetup setup;
    setup.columnArt = 1;
    setup.columnTovar = 2;
    setup.columnPrice = 3;
    setup.columnPricemax = 4;
    for (const Case& c : cases) {
        const std::optional<LoadedItem> item = parseLoadRow(makeBlock(c.cells), 1, setup, c.rate, c.rounding);
        ASSERT_EQ(item.has_value(), c.loaded) << c.what;
        if (!item)
            continue;
        EXPECT_DOUBLE_EQ(item->price, c.price) << c.what;
        EXPECT_DOUBLE_EQ(item->pricemax, c.pricemax) << c.what;
        EXPECT_EQ(item->art, c.art) << c.what;
    }
    // No retail column: the retail price is the purchase price; texts cut to 50.
    setup.columnPricemax = 0;
    setup.columnGarant = 4;
    const std::optional<LoadedItem> item =
        parseLoadRow(makeBlock({{"A1", "Болт", 7.0, QString(60, u'g')}}), 1, setup, 1, {});
    ASSERT_TRUE(item);
    EXPECT_DOUBLE_EQ(item->pricemax, 7);
    EXPECT_EQ(item->garant.size(), 50);
}

TEST(RateBox, KeysAndTexts)
{
    struct Case {
        const char* text;
        int caret;
        QChar key;
        RateKey result;
    };
    const Case cases[] = {
        {"", 0, u',', RateKey::Refuse},     {"1", 1, u'.', RateKey::AsComma}, {"1,5", 3, u',', RateKey::Refuse},
        {"1,234", 5, u'7', RateKey::Refuse}, {"1,23", 4, u'4', RateKey::Pass},  {"1,234", 0, u'9', RateKey::Pass},
        {"15", 0, u',', RateKey::Refuse},   {"15", 2, u'\b', RateKey::Pass},  {"15", 2, u'a', RateKey::Refuse},
    };
    for (const Case& c : cases)
        EXPECT_EQ(filterLoadRateKey(QString::fromUtf8(c.text), c.caret, c.key), c.result)
            << c.text << " + " << QString(c.key).toStdString();
    EXPECT_EQ(rateBoxText(1), QStringLiteral("Нет"));
    EXPECT_EQ(rateBoxText(27.5), QStringLiteral("27,5"));
    EXPECT_EQ(rateFromBoxText(QStringLiteral("Нет")), 1.0);
    EXPECT_EQ(rateFromBoxText(QStringLiteral("27,5")), 27.5);
    EXPECT_FALSE(rateFromBoxText(QStringLiteral("0")));
    EXPECT_FALSE(rateFromBoxText(QStringLiteral("0,000")));
    EXPECT_FALSE(rateFromBoxText(QString()));
}

class DataLoadTest : public MatchingTest {
protected:
    QString workbook(const SheetRows& rows, const QString& name = QStringLiteral("s.xls"))
    {
        const QString path = dir.filePath(name);
        writeXls(path, {{QStringLiteral("Лист1"), rows}});
        return path;
    }
    void setUpSupplier(const QString& path, bool byArticle = false)
    {
        SupplierSetup setup;
        setup.postavshik = kS;
        setup.path = path;
        setup.columnArt = 1;
        setup.columnTovar = 2;
        setup.columnPrice = 3;
        setup.artObrab = byArticle;
        ASSERT_EQ(saveSupplierSetup(priceDb, setup, QDate(2024, 1, 1)), QString());
    }
    EntryLoad load(double rate = 1, bool withCriteria = false)
    {
        LoadQueueEntry entry{kS, 45500, rate, std::nullopt};
        return loadQueueEntry(priceDb, entry, {}, withCriteria, {});
    }
    // S's trash row X, correspondence (7, Y) with its old combined-price row,
    // old remainder items; the other supplier's rows in every table.
    void putOldData()
    {
        priceDb.exec(QStringLiteral(
            "INSERT INTO musor (Art, Tovar, Price, Postavshik) VALUES ('x-old', 'X', 1, 'Поставщик С'), "
            "('o', 'X', 1, 'Другой');"
            "INSERT INTO sootv (Code, Art, Tovar, Postavshik) VALUES (7, 'y-old', 'Y', 'Поставщик С'), "
            "(8, 'o', 'Y', 'Другой');"
            "INSERT INTO svod (Art, Tovar, Price, Postavshik, Code_sootv, Obrab) VALUES "
            "('y-old', 'Y', 1, 'Поставщик С', 7, 'True'), ('o', 'Y', 1, 'Другой', 8, 'True');"));
        addItem(QStringLiteral("старый"), kS);
        addItem(QStringLiteral("чужой"), kOther);
    }
};

TEST_F(DataLoadTest, TheListGoesToTheTrashTheCombinedPriceAndTheRemainder)
{
    putOldData();
    setUpSupplier(workbook({{"Артикул", "Название", "Цена"},
                            {"x-new", "X", 11.0},
                            {"y-new", "y", 22.0},
                            {"z", "Z", 33.0},
                            {"", "", ""}}));
    const EntryLoad result = load();
    ASSERT_TRUE(result.loaded) << result.failure.toStdString();
    EXPECT_EQ(result.counts.loaded, 3);
    EXPECT_EQ(result.counts.trashed, 1);
    EXPECT_EQ(result.counts.combined, 1);
    EXPECT_EQ(result.counts.remainder, 1);
    EXPECT_EQ(rows("SELECT Art, Tovar, Price, Postavshik, Dates FROM musor ORDER BY Postavshik"),
              QStringList({QStringLiteral("o|X|1.0|Другой|"), QStringLiteral("x-new|X|11.0|Поставщик С|45500")}));
    // By name, whatever the case; the correspondence takes the new article.
    EXPECT_EQ(rows("SELECT Art, Tovar, Price, Code_sootv, Obrab FROM svod ORDER BY Postavshik"),
              QStringList({QStringLiteral("o|Y|1.0|8|True"), QStringLiteral("y-new|y|22.0|7|false")}));
    EXPECT_EQ(rows("SELECT Code, Art FROM sootv ORDER BY Code"), QStringList({"7|y-new", "8|o"}));
    EXPECT_EQ(rows("SELECT Tovar, Postavshik FROM price_all ORDER BY Number"),
              QStringList({QStringLiteral("чужой|Другой"), QStringLiteral("Z|Поставщик С")}));
    EXPECT_EQ(rows("SELECT Dates FROM postavshik"), QStringList{"45500"});
    EXPECT_EQ(rows("SELECT count(*) FROM price_one"), QStringList{"1"});
}

TEST_F(DataLoadTest, AWhollyMatchedListLeavesNothingInTheRemainder)
{
    putOldData();
    setUpSupplier(workbook({{"", "Y", 5.0}, {"", "x", 6.0}}));
    const EntryLoad result = load();
    EXPECT_EQ(result.counts.remainder, 0);
    EXPECT_EQ(rows("SELECT count(*) FROM price_all WHERE Postavshik = 'Поставщик С'"), QStringList{"0"});
    // An item without an article gets its good all the same.
    EXPECT_EQ(rows("SELECT Art, Code_sootv FROM svod WHERE Postavshik = 'Поставщик С'"), QStringList{"|7"});
}

TEST_F(DataLoadTest, ByArticleWhenTheSupplierSaysSoAndTheItemHasOne)
{
    putOldData();
    setUpSupplier(workbook({{"y-old", "Y переименован", 5.0}, {"", "X", 6.0}, {"z", "Z", 7.0}}), true);
    const EntryLoad result = load();
    EXPECT_EQ(result.counts.combined, 1);
    EXPECT_EQ(result.counts.trashed, 1);
    EXPECT_EQ(rows("SELECT Tovar FROM sootv WHERE Code = 7"), QStringList{QStringLiteral("Y переименован")});
    EXPECT_EQ(rows("SELECT Tovar, Code_sootv FROM svod WHERE Postavshik = 'Поставщик С'"),
              QStringList{QStringLiteral("Y переименован|7")});
    EXPECT_EQ(rows("SELECT Tovar FROM price_all WHERE Postavshik = 'Поставщик С'"), QStringList{"Z"});
    EXPECT_EQ(rows("SELECT Art, Price FROM musor WHERE Postavshik = 'Поставщик С'"), QStringList{"|6.0"});
}

TEST_F(DataLoadTest, AWorkbookThatFailsOrYieldsNothingKeepsTheSuppliersData)
{
    putOldData();
    const QStringList before = rows("SELECT Tovar FROM price_all ORDER BY Number") + rows("SELECT Tovar FROM svod");
    setUpSupplier(workbook({{"Артикул", "Название", "Цена"}}));
    EntryLoad result = load();
    EXPECT_FALSE(result.loaded);
    EXPECT_TRUE(result.failure.contains(kS));
    QFile file(dir.filePath(QStringLiteral("s.xls")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("not a workbook");
    file.close();
    result = load();
    EXPECT_FALSE(result.loaded);
    EXPECT_EQ(rows("SELECT Tovar FROM price_all ORDER BY Number") + rows("SELECT Tovar FROM svod"), before);
    EXPECT_EQ(rows("SELECT Dates FROM postavshik"), QStringList{QString::number(45292)});
}

TEST_F(DataLoadTest, TheQueueIsCheckedBeforeAnythingLoads)
{
    setUpSupplier(workbook({{"a", "b", 1.0}}));
    priceDb.exec(QStringLiteral("INSERT INTO postavshik (Postavshik, Path) VALUES ('Пропал', '/нет/такого.xls')"));
    const LoadQueueEntry good{kS, 45500, 1, std::nullopt};
    EXPECT_EQ(queueProblem(priceDb, {good}), QString());
    EXPECT_EQ(queueProblem(priceDb, {good, {QStringLiteral("Пропал"), 45500, 1, std::nullopt}}),
              QStringLiteral("Указанный файл не существует!"));
    EXPECT_EQ(queueProblem(priceDb, {{kS, 45500, 0, std::nullopt}}), badRateMessage(kS));
}

TEST_F(DataLoadTest, CriteriaAfterTheLoadFindTheSuppliersItems)
{
    priceDb.exec(QStringLiteral("INSERT INTO price_main (Code, Kategor, Tovar) VALUES (1, '5', 'Болт'); "
                                "INSERT INTO krit (Code_krit, Krit_1) VALUES (1, 'болт')"));
    addItem(QStringLiteral("болт чужой"), kOther);
    setUpSupplier(workbook({{"1", "Болт М6", 1.0}, {"2", "Болт М8", 2.0}, {"3", "Гайка", 3.0}}));
    const EntryLoad result = load(1, true);
    EXPECT_EQ(result.counts.criteriaHits, 2);
    EXPECT_EQ(rows("SELECT Tovar FROM Sootv_All ORDER BY Tovar"), QStringList({"Болт М6", "Болт М8"}));
}

TEST_F(DataLoadTest, SettingsAreCheckedThenStored)
{
    const QString path = workbook({{"a", "b", 1.0}});
    struct Case {
        const char* what;
        int art, tovar, price, pricemax;
        QString path;
        QString message;
    };
    const Case cases[] = {
        {"no price column", 1, 2, 0, 0, path, setupFieldsMissingMessage()},
        {"no path", 1, 2, 3, 0, QString(), setupFieldsMissingMessage()},
        {"article = name", 2, 2, 3, 0, path, setupColumnsClashMessage()},
        {"name = retail", 1, 2, 3, 2, path, setupColumnsClashMessage()},
        {"no file", 1, 2, 3, 0, path + u'x', missingWorkbookMessage()},
        {"fine", 1, 2, 3, 4, path, QString()},
    };
    for (const Case& c : cases) {
        SupplierSetup setup;
        setup.postavshik = QStringLiteral("O'Neil");
        setup.path = c.path;
        setup.columnArt = c.art;
        setup.columnTovar = c.tovar;
        setup.columnPrice = c.price;
        setup.columnPricemax = c.pricemax;
        EXPECT_EQ(saveSupplierSetup(priceDb, setup, QDate(2024, 1, 1)), c.message) << c.what;
    }
    EXPECT_EQ(rows("SELECT Postavshik, Column_art, Column_Tovar, Column_Price, Column_Pricemax, Sheet, Art_obrab, "
                   "Obrab, Dates, Obrab_Def FROM postavshik"),
              QStringList{QStringLiteral("O'Neil|1|2|3|4|1|false|False|45292|True")});
    SupplierSetup update = *readSupplierSetup(priceDb, QStringLiteral("O'Neil"));
    update.columnArt = 0;
    update.artObrab = true;
    update.sheet = 0; // none chosen: the stored one stays
    ASSERT_EQ(saveSupplierSetup(priceDb, update, QDate(2025, 1, 1)), QString());
    EXPECT_EQ(rows("SELECT Column_art, Sheet, Art_obrab, Obrab, Dates FROM postavshik"),
              QStringList{QStringLiteral("0|1|true|False|45292")});
}

class SupplierEditTest : public MatchingTest {
protected:
    void SetUp() override
    {
        MatchingTest::SetUp();
        for (const char* name : {"Альфа", "Бета"}) {
            const QString s = QString::fromUtf8(name);
            addItem(QStringLiteral("товар"), s);
            for (const char* table : {"musor", "sootv", "Sootv_All", "svod", "postavshik", "MinPrice_Group"}) {
                db::Statement insert = priceDb.prepare(
                    QStringLiteral("INSERT INTO %1 (Postavshik) VALUES (?1)").arg(QLatin1String(table)));
                insert.bindText(1, s);
                insert.execute();
            }
        }
    }
    QStringList everywhere()
    {
        QStringList out;
        for (const char* table : {"price_all", "musor", "MinPrice_Group", "sootv", "Sootv_All", "svod", "postavshik"})
            out << QLatin1String(table) + u':'
                    + queryRows(priceDb, QStringLiteral("SELECT Postavshik FROM %1 ORDER BY Postavshik")
                                             .arg(QLatin1String(table)))
                          .join(u',');
        return out;
    }
};

TEST_F(SupplierEditTest, DeleteAndRenameTouchTheSevenTables)
{
    deleteLoadingSupplier(priceDb, QStringLiteral("Альфа"));
    for (const QString& table : everywhere())
        EXPECT_TRUE(table.endsWith(QStringLiteral(":Бета"))) << table.toStdString();

    EXPECT_EQ(renameLoadingSupplier(priceDb, QStringLiteral("Бета"), QStringLiteral("Гамма"), {}, {}),
              SupplierRename::Renamed);
    for (const QString& table : everywhere())
        EXPECT_TRUE(table.endsWith(QStringLiteral(":Гамма"))) << table.toStdString();
}

TEST_F(SupplierEditTest, RenamingOntoAnotherNameAsksBeforeMerging)
{
    QStringList told;
    EXPECT_EQ(renameLoadingSupplier(priceDb, QStringLiteral("Альфа"), QStringLiteral("  "), {},
                                    [&](const QString& t) { told << t; }),
              SupplierRename::Refused);
    EXPECT_EQ(told, QStringList{emptySupplierNameMessage()});

    QStringList asked;
    const auto answer = [&asked](bool yes) {
        return [&asked, yes](const QString& q) {
            asked << q;
            return yes;
        };
    };
    const QStringList before = everywhere();
    EXPECT_EQ(renameLoadingSupplier(priceDb, QStringLiteral("Альфа"), QStringLiteral("бета"), answer(false), {}),
              SupplierRename::Refused);
    EXPECT_EQ(everywhere(), before);
    EXPECT_EQ(renameLoadingSupplier(priceDb, QStringLiteral("Альфа"), QStringLiteral("Бета"), answer(true), {}),
              SupplierRename::Merged);
    EXPECT_EQ(asked, QStringList(2, mergeSuppliersQuestion()));
    const QStringList merged = everywhere();
    EXPECT_EQ(merged.last(), QStringLiteral("postavshik:Бета"));
    EXPECT_EQ(merged.first(), QStringLiteral("price_all:Бета,Бета"));
    // A new spelling of the same name is a rename.
    EXPECT_EQ(renameLoadingSupplier(priceDb, QStringLiteral("Бета"), QStringLiteral("БЕТА"), {}, {}),
              SupplierRename::Renamed);
}

} // namespace
