// What a load replaces and what a failed load leaves alone.
#include "loader_test_support.h"

#include "platform/db/day_numbers.h"
#include "storage/goods_search_index.h"
#include "storage/schema.h"
#include "storage/settings_store.h"
#include "suppliers/loader/file_stamp.h"
#include "suppliers/brands/article_normaliser.h"
#include "suppliers/loader/price_list_loader.h"

#include <gtest/gtest.h>

#include <QFile>

#include <functional>

namespace velmora::loader::test {
namespace {

const QString kName = QStringLiteral("Д'Арт");
const QString kOther = QStringLiteral("Другой");

SheetSetup UsdSheet(const QString& sheetName = QStringLiteral("usd"))
{
    SheetSetup sheet;
    sheet.sheetName = sheetName;
    sheet.columnArt = 1;
    sheet.columnTovar = 2;
    sheet.columnPrice = 3;
    sheet.columnPricemax = 4;
    sheet.valuta = CurrencyUSD;
    return sheet;
}

LoadResult Load(TestDatabases& dbs, const QString& name, bool ormita = false)
{
    LoadRequest request;
    request.name = name;
    request.rates = TestRates();
    request.switches.ormita = ormita;
    return LoadPriceList(dbs.price, dbs.order, request);
}

struct Snapshot {
    std::vector<StoredOffer> offers;
    qint64 rateRows = 0;
    qint64 dates = 0;
    qint64 dataLoad = 0;
};

Snapshot Take(TestDatabases& dbs, const QString& name)
{
    Snapshot s;
    s.offers = ReadOffers(dbs.price, name);
    s.rateRows = CountRows(dbs.price, QStringLiteral("SELECT COUNT(*) FROM AllTovarValuta"));
    s.dates = dbs.price.scalar(QStringLiteral("SELECT Dates FROM AllPostavSetup WHERE Postavshik = ?1"), {name}).toLongLong();
    s.dataLoad = SettingsStore(dbs.order).readInteger(name + QStringLiteral("_DataLoad"));
    return s;
}

// Two lists loaded, each from the xlsx fixture; returns the fixture path.
QString LoadTwoLists(TestDatabases& dbs)
{
    const QString file = TestDataPath(QStringLiteral("loader_cases.xlsx"));
    AddPriceList(dbs.price, kName, file);
    AddSheet(dbs.price, kName, UsdSheet());
    AddSheet(dbs.price, kName, UsdSheet(QStringLiteral("round")));
    AddPriceList(dbs.price, kOther, file);
    AddSheet(dbs.price, kOther, UsdSheet(QStringLiteral("eur")));
    EXPECT_TRUE(Load(dbs, kName).loaded);
    EXPECT_TRUE(Load(dbs, kOther).loaded);
    return file;
}

TEST(LoaderReplace, ReloadReplacesOffersWithFreshNumbersAndOneRateEach)
{
    TestDatabases dbs;
    const QString file = LoadTwoLists(dbs);
    const Snapshot first = Take(dbs, kName);
    ASSERT_EQ(first.offers.size(), 4u); // 1 from "usd", 3 from "round"
    const Snapshot other = Take(dbs, kOther);

    ASSERT_TRUE(Load(dbs, kName).loaded);
    const Snapshot second = Take(dbs, kName);
    ASSERT_EQ(second.offers.size(), first.offers.size());
    for (const StoredOffer& offer : second.offers) {
        EXPECT_GT(offer.number, first.offers.back().number) << "numbers are never reused";
        EXPECT_EQ(offer.rateRows, 1);
    }
    EXPECT_EQ(second.rateRows, qint64(second.offers.size() + other.offers.size()));
    EXPECT_EQ(ReadOffers(dbs.price, kOther).size(), other.offers.size());

    const qint64 today = db::dayNumber(QDate::currentDate());
    EXPECT_EQ(second.dates, today);
    EXPECT_EQ(second.offers.front().dates, today);
    EXPECT_EQ(second.dataLoad, FileDosStamp(file));
    EXPECT_GT(second.dataLoad, 0);
}

TEST(LoaderReplace, HistoryCopyOnlyWhenSwitchedOn)
{
    TestDatabases dbs;
    LoadTwoLists(dbs);
    EXPECT_EQ(CountRows(dbs.price, QStringLiteral("SELECT COUNT(*) FROM AllPriceHistory")), 0);
    WriteSetting(dbs.order, kName + QStringLiteral("_PriceHistoryLoad"), QStringLiteral("TypeBoolean"), QStringLiteral("True"));
    ASSERT_TRUE(Load(dbs, kName).loaded);
    EXPECT_EQ(CountRows(dbs.price, QStringLiteral("SELECT COUNT(*) FROM AllPriceHistory WHERE Postavshik = 'Д''Арт'")), 4);
}

TEST(LoaderReplace, EachWorksheetIsReadOnce)
{
    TestDatabases dbs;
    AddPriceList(dbs.price, kName, TestDataPath(QStringLiteral("loader_cases.xlsx")));
    AddSheet(dbs.price, kName, UsdSheet());
    AddSheet(dbs.price, kName, UsdSheet(QStringLiteral("[US]")));
    ASSERT_TRUE(Load(dbs, kName).loaded);
    EXPECT_EQ(ReadOffers(dbs.price, kName).size(), 1u);
}

TEST(LoaderReplace, OrmitaStoresEveryRowAndCopiesArticlesOfThisListOnly)
{
    TestDatabases dbs;
    LoadTwoLists(dbs);
    dbs.price.exec(QStringLiteral("UPDATE AllPostavPage SET SheetName = 'null', Valuta = 2 WHERE Postavshik = 'Д''Арт'"));
    ASSERT_TRUE(Load(dbs, kName, true).loaded);
    const std::vector<StoredOffer> offers = ReadOffers(dbs.price, kName);
    ASSERT_EQ(offers.size(), 4u); // the row without a name too
    EXPECT_EQ(offers[3].tovar, QStringLiteral(" "));
    for (const StoredOffer& offer : offers)
        EXPECT_EQ(offer.description, offer.art);
    for (const StoredOffer& offer : ReadOffers(dbs.price, kOther))
        EXPECT_TRUE(offer.description.isEmpty());
}

// With "Преобразовывать артикулы при загрузке" on, a load stores each
// offer's normalised article as its Description, in client mode too; the
// other list, loaded before, keeps its own.
TEST(LoaderReplace, ArticlesConvertedOnLoadBecomeTheDescriptionKey)
{
    TestDatabases dbs;
    LoadTwoLists(dbs);
    brands::ArticleSwitches switches;
    switches.convertOnLoad = true;
    switches.lettersAndDigits = true;
    SettingsStore settings(dbs.order);
    switches.write(settings);
    for (const bool ormita : {false, true}) {
        SCOPED_TRACE(ormita ? "client mode" : "plain");
        ASSERT_TRUE(Load(dbs, kName, ormita).loaded);
        const std::vector<StoredOffer> offers = ReadOffers(dbs.price, kName);
        ASSERT_EQ(offers.size(), 4u);
        for (const StoredOffer& offer : offers)
            EXPECT_EQ(offer.description, QString(offer.art).remove(u'-')) << offer.art.toStdString();
    }
    for (const StoredOffer& offer : ReadOffers(dbs.price, kOther))
        EXPECT_TRUE(offer.description.isEmpty());
}

// After the catch-up the load's caller runs, the search index agrees with
// the offers: the engine's own check against them, and every offer of both
// lists found through its article and name.
void ExpectIndexFollowsOffers(TestDatabases& dbs)
{
    catchUpSupplierGoodsIndex(dbs.price);
    completeOfferIndexes(dbs.price);
    EXPECT_NO_THROW(dbs.price.exec(QStringLiteral(
        "INSERT INTO AllTovarPostav_SearchText(AllTovarPostav_SearchText, rank) VALUES('integrity-check', 1)")));
    EXPECT_TRUE(supplierGoodsIndexCurrent(dbs.price));
    for (const QString& list : {kName, kOther}) {
        for (const StoredOffer& offer : ReadOffers(dbs.price, list)) {
            // The article, or the name when the article has no trigram the
            // index keeps.
            QString term = supplierGoodsIndexTerm(offer.art, QString());
            if (term.isEmpty())
                term = supplierGoodsIndexTerm(offer.tovar, QString());
            if (term.isEmpty())
                continue;
            SCOPED_TRACE(term.toStdString());
            const qint64 found = dbs.price
                                     .scalar(QStringLiteral("SELECT count(*) FROM AllTovarPostav_SearchText "
                                                            "WHERE AllTovarPostav_SearchText MATCH ?1 AND rowid = ?2"),
                                             {term, offer.number})
                                     .toLongLong();
            EXPECT_EQ(found, 1);
        }
    }
}

TEST(LoaderReplace, SearchIndexFollowsLoadsAndReloads)
{
    TestDatabases dbs;
    LoadTwoLists(dbs);
    ExpectIndexFollowsOffers(dbs);
    // A list that is most of the table and one that is not, and a load
    // that writes the descriptions as it goes; each loaded once more before
    // the catch-up of the first load ran, so that the reload deletes offers
    // the index does not hold yet.
    for (const QString& list : {kName, kOther}) {
        SCOPED_TRACE(list.toStdString());
        ASSERT_TRUE(Load(dbs, list).loaded);
        EXPECT_TRUE(supplierGoodsIndexPendingAbove(dbs.price));
        ASSERT_TRUE(Load(dbs, list).loaded);
        ExpectIndexFollowsOffers(dbs);
    }
    ASSERT_TRUE(Load(dbs, kName, true).loaded);
    ExpectIndexFollowsOffers(dbs);
    EXPECT_FALSE(supplierGoodsIndexPendingAbove(dbs.price));
    EXPECT_EQ(CountRows(dbs.price, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'AllTovarPostav_PriceOut'")),
              1);
}

// The program stopped between a load's commit and its catch-up: the next
// start's upgrade indexes the loaded offers and builds the index on the
// articles the load left for after the catch-up.
TEST(LoaderReplace, StartUpIndexesALoadWhoseCatchUpNeverRan)
{
    const QString articleIndex = QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'AllTovarPostav_Art'");
    TestDatabases dbs;
    LoadTwoLists(dbs);
    ASSERT_TRUE(supplierGoodsIndexPendingAbove(dbs.price));
    ASSERT_EQ(CountRows(dbs.price, articleIndex), 0) << "the first list was a bulk load into an empty table";
    dbs.price.close();
    dbs.price.open(dbs.pricePath);
    UpgradeSchema(dbs.price, dbs.order, false);
    EXPECT_FALSE(supplierGoodsIndexPendingAbove(dbs.price));
    EXPECT_FALSE(catchUpSupplierGoodsIndex(dbs.price));
    EXPECT_EQ(CountRows(dbs.price, articleIndex), 1);
    EXPECT_FALSE(completeOfferIndexes(dbs.price));
    ExpectIndexFollowsOffers(dbs);
}

struct FailureCase {
    const char* label;
    std::function<void(TestDatabases&)> breakIt;
    QString errorPart;
};

TEST(LoaderFailure, LeavesOffersRatesAndDatesAlone)
{
    const std::vector<FailureCase> cases = {
        {"disabled list",
         [](TestDatabases& dbs) {
             WriteSetting(dbs.order, kName + QStringLiteral("_PostavDisable"), QStringLiteral("TypeBoolean"), QStringLiteral("True"));
         },
         DisabledText(kName)},
        {"missing file",
         [](TestDatabases& dbs) {
             dbs.price.exec(QStringLiteral("UPDATE AllPostavSetup SET Path = '/nowhere/x.xlsx'"));
         },
         MissingFileText(kName)},
        {"unreadable file",
         [](TestDatabases& dbs) {
             const QString broken = dbs.dir.filePath(QStringLiteral("broken.xlsx"));
             QFile f(broken);
             ASSERT_TRUE(f.open(QIODevice::WriteOnly));
             f.write("PK\x03\x04 this is no workbook");
             f.close();
             db::Statement update = dbs.price.prepare(QStringLiteral("UPDATE AllPostavSetup SET Path = ?1 WHERE Postavshik = ?2"));
             update.bindText(1, broken).bindText(2, kName);
             update.execute();
         },
         QStringLiteral("Не удалось прочитать прайс-лист ") + kName},
        {"no configured sheet in the workbook",
         [](TestDatabases& dbs) {
             dbs.price.exec(QStringLiteral("UPDATE AllPostavPage SET SheetName = 'Нет такого' WHERE Postavshik = 'Д''Арт'"));
         },
         QStringLiteral("нет ни одного листа")},
        {"no offers in the file",
         [](TestDatabases& dbs) {
             dbs.price.exec(QStringLiteral("UPDATE AllPostavPage SET Column_Tovar = 20 WHERE Postavshik = 'Д''Арт'"));
         },
         QStringLiteral("не найдено ни одного товара")},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.label);
        TestDatabases dbs;
        LoadTwoLists(dbs);
        dbs.price.exec(QStringLiteral("UPDATE AllPostavSetup SET Dates = 100"));
        const Snapshot before = Take(dbs, kName);
        c.breakIt(dbs);

        const LoadResult result = Load(dbs, kName);
        EXPECT_FALSE(result.loaded);
        EXPECT_TRUE(result.errorText.contains(c.errorPart)) << result.errorText.toStdString();

        const Snapshot after = Take(dbs, kName);
        ASSERT_EQ(after.offers.size(), before.offers.size());
        for (size_t i = 0; i < after.offers.size(); ++i) {
            EXPECT_EQ(after.offers[i].number, before.offers[i].number);
            EXPECT_EQ(after.offers[i].rateRows, 1);
        }
        EXPECT_EQ(after.rateRows, before.rateRows);
        EXPECT_EQ(after.dates, 100);
        EXPECT_EQ(after.dataLoad, before.dataLoad);
        ExpectIndexFollowsOffers(dbs);
    }
}

// A stop asked for while offers are written rolls the whole list back.
class StopWhileStoring : public LoadProgress {
public:
    bool offersStored(int) override { return false; }
};

TEST(LoaderFailure, StopDuringWriteRollsBack)
{
    TestDatabases dbs;
    LoadTwoLists(dbs);
    // "low" has 98 rows; a stop is polled every few thousand, so give more.
    QString big = dbs.dir.filePath(QStringLiteral("big.csv"));
    {
        QFile f(big);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        for (int i = 1; i <= 5000; ++i)
            f.write(QStringLiteral("A%1;Item %1;%1\r\n").arg(i).toLatin1());
    }
    db::Statement update = dbs.price.prepare(QStringLiteral("UPDATE AllPostavSetup SET Path = ?1 WHERE Postavshik = ?2"));
    update.bindText(1, big).bindText(2, kName);
    update.execute();
    const Snapshot before = Take(dbs, kName);

    StopWhileStoring stop;
    LoadRequest request;
    request.name = kName;
    request.rates = TestRates();
    request.progress = &stop;
    const LoadResult result = LoadPriceList(dbs.price, dbs.order, request);
    EXPECT_FALSE(result.loaded);
    EXPECT_TRUE(result.errorText.contains(QStringLiteral("прервана"))) << result.errorText.toStdString();
    const Snapshot after = Take(dbs, kName);
    EXPECT_EQ(after.offers.size(), before.offers.size());
    EXPECT_EQ(after.rateRows, before.rateRows);
    // The search index and the offers' indexes come back with the list.
    ExpectIndexFollowsOffers(dbs);
}

// A workbook whose sheet breaks off after thousands of rows: offers already
// written are rolled back with the rest.
TEST(LoaderFailure, FileBreakingOffHalfWayRollsBack)
{
    TestDatabases dbs;
    LoadTwoLists(dbs);
    const QString good = dbs.dir.filePath(QStringLiteral("good.xlsx"));
    const QString broken = dbs.dir.filePath(QStringLiteral("broken.xlsx"));
    WriteLargeXlsx(good, 20000, QStringLiteral("usd"));
    RunPython(QStringLiteral(R"(
import sys, zipfile
source, target = zipfile.ZipFile(sys.argv[1]), zipfile.ZipFile(sys.argv[2], "w", zipfile.ZIP_DEFLATED)
for item in source.infolist():
    data = source.read(item.filename)
    if item.filename.startswith("xl/worksheets/sheet"):
        data = data[: len(data) * 3 // 4] + b"<row r=\"x\"><c <<<"
    target.writestr(item, data)
target.close()
)"), {good, broken});
    db::Statement update = dbs.price.prepare(QStringLiteral("UPDATE AllPostavSetup SET Path = ?1 WHERE Postavshik = ?2"));
    update.bindText(1, broken).bindText(2, kName);
    update.execute();
    const Snapshot before = Take(dbs, kName);

    const LoadResult result = Load(dbs, kName);
    EXPECT_FALSE(result.loaded);
    EXPECT_TRUE(result.errorText.startsWith(QStringLiteral("Не удалось прочитать прайс-лист"))) << result.errorText.toStdString();
    const Snapshot after = Take(dbs, kName);
    ASSERT_EQ(after.offers.size(), before.offers.size());
    EXPECT_EQ(after.offers.front().number, before.offers.front().number);
    EXPECT_EQ(after.rateRows, before.rateRows);
    EXPECT_EQ(after.dataLoad, before.dataLoad);
}

} // namespace
} // namespace velmora::loader::test
