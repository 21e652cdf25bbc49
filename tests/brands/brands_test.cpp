// The supplier settings' logic: article normalisation and its
// recalculation, maker texts and standard brands, priority brands, markup
// scales.
#include "../common/program_databases.h"

#include "platform/db/db_error.h"
#include "storage/goods_search_index.h"
#include "storage/settings_store.h"
#include "suppliers/brands/article_recalc.h"
#include "suppliers/brands/markup_scales.h"
#include "suppliers/brands/priority_brands.h"
#include "suppliers/brands/supplier_brands.h"
#include "suppliers/search/supplier_goods_search.h"

namespace velmora::brands {
namespace {

using testing::queryRows;

ArticleSwitches AllSteps()
{
    ArticleSwitches s;
    s.cutAtSlashComma = s.trimEnds = s.lettersAndDigits = s.upperCase = s.cyrillicToLatin = s.letterOToZero = true;
    return s;
}

TEST(ArticleNormaliser, StepsInTheirOrder)
{
    ArticleSwitches onlyZero;
    onlyZero.letterOToZero = true;
    ArticleSwitches trimOnly;
    trimOnly.trimEnds = true;
    ArticleSwitches latinOnly;
    latinOnly.cyrillicToLatin = true;
    ArticleSwitches lettersOnly;
    lettersOnly.lettersAndDigits = true;
    ArticleSwitches cutOnly;
    cutOnly.cutAtSlashComma = true;
    ArticleSwitches upperOnly;
    upperOnly.upperCase = true;
    struct Case {
        const char* article;
        ArticleSwitches steps;
        const char* expected;
    };
    const Case cases[] = {
        {" ab-С1/2,3 ", AllSteps(), "ABC1"}, // the С is Cyrillic, the C of the result Latin
        {"OO7", onlyZero, "007"},
        {"ОО7", onlyZero, "007"},           // Cyrillic capitals too
        {"oAB12", onlyZero, "oAB12"},       // no capital O: unchanged
        {" ab-С1/2,3 ", ArticleSwitches{}, " ab-С1/2,3 "},
        {"\t A1 \r\n", trimOnly, "A1"},
        {"нрав", latinOnly, "NPAB"},        // small Cyrillic become capital Latin
        {"Н", latinOnly, "N"},
        {"Ёж-ёлка9", lettersOnly, "жлка9"}, // Ё and ё are no letters of the step
        {"A,1/2", cutOnly, "A"},
        {"A/1,2", cutOnly, "A"},
        {"ab-яж", upperOnly, "AB-ЯЖ"},
        {"ёж", upperOnly, "ЁЖ"},
        {"straße", upperOnly, "STRASSE"}, // the full mapping, longer
    };
    for (const Case& c : cases)
        EXPECT_EQ(NormaliseArticle(QString::fromUtf8(c.article), c.steps), QString::fromUtf8(c.expected)) << c.article;
}

class ArticleRecalcTest : public testing::ProgramDatabasesTest {
protected:
    void addOffer(const QString& supplier, const QVariant& art, const QString& description)
    {
        db::Statement insert = priceDb.prepare(QStringLiteral(
            "INSERT INTO AllTovarPostav (Postavshik, Art, Tovar, Description, PriceOut) VALUES (?1, ?2, 'Товар', ?3, 1)"));
        insert.bind(1, supplier).bind(2, art).bind(3, description);
        insert.execute();
    }

    QStringList descriptions() const
    {
        return queryRows(priceDb, QStringLiteral("SELECT Art || '=' || coalesce(Description, 'NULL') FROM AllTovarPostav "
                                                 "WHERE Art IS NOT NULL ORDER BY Number"));
    }

    // Offers the goods search finds for a text in any field.
    int found(const QString& text) const
    {
        search::SearchState state;
        search::SearchOptions options;
        options.field = search::SearchField::All;
        const search::SearchOutcome outcome = search::SearchSupplierGoods(priceDb, options, text, state);
        EXPECT_EQ(outcome.status, search::SearchStatus::Opened) << text.toStdString();
        return int(outcome.firstChunk.rows.size());
    }

    void expectIndexConsistent()
    {
        EXPECT_NO_THROW(priceDb.exec(QStringLiteral(
            "INSERT INTO AllTovarPostav_SearchText(AllTovarPostav_SearchText, rank) VALUES('integrity-check', 1)")));
        EXPECT_TRUE(supplierGoodsIndexCurrent(priceDb));
    }

    void SetUp() override
    {
        ProgramDatabasesTest::SetUp();
        priceDb.exec(QStringLiteral("INSERT INTO AllPostavSetup (Id, Postavshik, PostavVisible) VALUES "
                                    "(1, 'Альфа', 1), (2, 'Бета', 1)"));
        addOffer(QStringLiteral("Альфа"), QStringLiteral(" ab-С1/2,3 "), QStringLiteral("описание первое"));
        addOffer(QStringLiteral("Альфа"), QStringLiteral("abc-1"), QStringLiteral("описание второе"));
        addOffer(QStringLiteral("Бета"), QStringLiteral("ABC-1"), QStringLiteral("описание третье"));
        addOffer(QStringLiteral("Бета"), QVariant(), QStringLiteral("без артикула"));
        priceDb.exec(QStringLiteral("INSERT INTO ArtOldtoNew (ArtOld, ArtNew, TypeArt) VALUES "
                                    "('ручной', 'РУЧНОЙ', 1), ('старый', 'СТАРЫЙ', 0)"));
    }
};

TEST_F(ArticleRecalcTest, EveryOfferTakesItsNormalisedArticleAndOtherKindsStay)
{
    int lastPercent = -1;
    EXPECT_EQ(RecalculateArticles(priceDb, AllSteps(), [&](int percent) { lastPercent = percent; }), 4);
    EXPECT_EQ(lastPercent, 100);
    EXPECT_EQ(descriptions(), (QStringList{" ab-С1/2,3 =ABC1", "abc-1=ABC1", "ABC-1=ABC1"}));
    EXPECT_TRUE(priceDb.scalar(QStringLiteral("SELECT Description FROM AllTovarPostav WHERE Art IS NULL")).isNull());
    // One conversion per article as written; the hand-made kind stays.
    EXPECT_EQ(queryRows(priceDb, QStringLiteral("SELECT ArtOld || '>' || ArtNew || '>' || TypeArt FROM ArtOldtoNew "
                                                "ORDER BY TypeArt, ArtOld COLLATE BINARY")),
              (QStringList{" ab-С1/2,3 >ABC1>0", "ABC-1>ABC1>0", "abc-1>ABC1>0", "ручной>РУЧНОЙ>1"}));
    // The search finds the offers by their new key, not by the old text.
    EXPECT_EQ(found(QStringLiteral("ABC1")), 3);
    EXPECT_EQ(found(QStringLiteral("описание")), 0);
    expectIndexConsistent();
    // The same steps again change nothing.
    EXPECT_EQ(RecalculateArticles(priceDb, AllSteps()), 0);
    EXPECT_EQ(found(QStringLiteral("ABC1")), 3);
    expectIndexConsistent();

    // Without a step every article is its own key, however it is written.
    EXPECT_EQ(RecalculateArticles(priceDb, ArticleSwitches{}), 3);
    EXPECT_EQ(descriptions(), (QStringList{" ab-С1/2,3 = ab-С1/2,3 ", "abc-1=abc-1", "ABC-1=ABC-1"}));
    EXPECT_EQ(found(QStringLiteral("ABC1")), 0);
    expectIndexConsistent();
    // One article changed: the trigger keeps the index.
    ArticleSwitches cut;
    cut.cutAtSlashComma = true;
    EXPECT_EQ(RecalculateArticles(priceDb, cut), 1);
    EXPECT_EQ(found(QStringLiteral("ab-С1")), 1);
    expectIndexConsistent();
}

// The conversions are read on a connection of their own beside the writer
// where the database allows (WAL) and by the writer otherwise: either way
// one row per article exactly as written, in the order of the statement
// that reads them.
TEST_F(ArticleRecalcTest, ConversionsFollowTheDistinctArticlesInTheirOrder)
{
    const QStringList forms{QStringLiteral("ob-с%1"), QStringLiteral("OB-С%1"), QStringLiteral("ОВ с%1/2"),
                            QStringLiteral(" Ob-c%1 ")};
    for (int k = 0; k < 40; ++k)
        addOffer(QStringLiteral("Альфа"), forms[k % forms.size()].arg(k % 7), QStringLiteral("описание"));
    addOffer(QStringLiteral("Бета"), QStringLiteral(""), QStringLiteral("пустой"));
    addOffer(QStringLiteral("Бета"), QVariant(), QStringLiteral("без артикула"));
    for (const char* journal : {"wal", "delete"}) {
        SCOPED_TRACE(journal);
        EXPECT_EQ(priceDb.scalar(QStringLiteral("PRAGMA journal_mode=%1").arg(QLatin1String(journal))).toString(),
                  QLatin1String(journal));
        QStringList expected;
        db::Statement articles = priceDb.prepare(QStringLiteral(
            "SELECT Art FROM (SELECT DISTINCT Art COLLATE BINARY AS Art FROM AllTovarPostav WHERE Art IS NOT NULL)"));
        while (articles.step())
            expected << articles.text(0) + u'>' + NormaliseArticle(articles.text(0), AllSteps());
        ASSERT_EQ(expected.size(), 3 + 4 * 7 + 1);
        EXPECT_GT(RecalculateArticles(priceDb, AllSteps()), 0);
        EXPECT_EQ(queryRows(priceDb, QStringLiteral("SELECT ArtOld || '>' || ArtNew FROM ArtOldtoNew "
                                                    "WHERE TypeArt = 0 ORDER BY rowid")),
                  expected);
        EXPECT_EQ(found(QStringLiteral("0BC3")), 6);
        expectIndexConsistent();
        // Back to the old texts for the next way round.
        ApplyArticleConversions(priceDb, false);
    }
}

TEST_F(ArticleRecalcTest, AFailureLeavesEveryOfferAndConversionAsItWas)
{
    const QStringList offersBefore = descriptions();
    const QStringList conversionsBefore = queryRows(priceDb, QStringLiteral("SELECT * FROM ArtOldtoNew ORDER BY rowid"));
    priceDb.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE OF Description ON AllTovarPostav "
                                "WHEN new.Art = 'ABC-1' BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
    EXPECT_THROW(RecalculateArticles(priceDb, AllSteps()), db::DbError);
    EXPECT_EQ(descriptions(), offersBefore);
    EXPECT_EQ(queryRows(priceDb, QStringLiteral("SELECT * FROM ArtOldtoNew ORDER BY rowid")), conversionsBefore);
    EXPECT_EQ(found(QStringLiteral("описание")), 3);
    expectIndexConsistent();
}

TEST_F(ArticleRecalcTest, RememberingCopiesTheStoredConversionsOrTheArticles)
{
    RecalculateArticles(priceDb, AllSteps());
    addOffer(QStringLiteral("Бета"), QStringLiteral("Abc-1"), QStringLiteral("загружено позже"));
    addOffer(QStringLiteral("Бета"), QStringLiteral("новый"), QStringLiteral("загружено позже"));
    // Three offers: the database compares articles without case.
    priceDb.exec(QStringLiteral("UPDATE AllTovarPostav SET Description = 'ручная правка' WHERE Art = 'abc-1'"));

    // Switched on: the stored conversion of kind 0, found without case too;
    // an article without one keeps its text.
    EXPECT_EQ(ApplyArticleConversions(priceDb, true), 3);
    EXPECT_EQ(descriptions(), (QStringList{" ab-С1/2,3 =ABC1", "abc-1=ABC1", "ABC-1=ABC1", "Abc-1=ABC1",
                                           "новый=загружено позже"}));
    // Switched off: every Description is the article again.
    ApplyArticleConversions(priceDb, false);
    for (const QString& row : descriptions()) {
        const QStringList parts = row.split(u'=');
        EXPECT_EQ(parts[0], parts[1]) << row.toStdString();
    }
    EXPECT_TRUE(priceDb.scalar(QStringLiteral("SELECT Description FROM AllTovarPostav WHERE Art IS NULL")).isNull());
    EXPECT_EQ(found(QStringLiteral("новый")), 1);
    expectIndexConsistent();
}

class SupplierBrandsTest : public testing::ProgramDatabasesTest {
protected:
    void addGoods(const QString& supplier, const QVariant& maker)
    {
        db::Statement insert = priceDb.prepare(
            QStringLiteral("INSERT INTO AllTovarPostav (Postavshik, Art, Tovar, TextNoName) VALUES (?1, 'a', 't', ?2)"));
        insert.bind(1, supplier).bind(2, maker);
        insert.execute();
    }
    QStringList brandRows() const
    {
        return queryRows(priceDb, QStringLiteral("SELECT Postavshik || ':' || BrandNamePostav || ':' || "
                                                 "coalesce(BrandNameEtalon, 'NULL') FROM BrandNamePostav "
                                                 "ORDER BY Postavshik, BrandNamePostav"));
    }
};

TEST_F(SupplierBrandsTest, OpeningCollectsNewMakerTextsOnce)
{
    priceDb.exec(QStringLiteral("INSERT INTO BrandNamePostav VALUES ('А', 'Bosch', 'BOSCH')"));
    addGoods(QStringLiteral("Б"), QStringLiteral("bosch")); // mapped for А already, without case
    addGoods(QStringLiteral("А"), QStringLiteral("Makita"));
    addGoods(QStringLiteral("Б"), QStringLiteral("Makita"));
    addGoods(QStringLiteral("Б"), QStringLiteral("Makita"));
    addGoods(QStringLiteral("Б"), QVariant());
    addGoods(QStringLiteral("Б"), QStringLiteral(""));
    EXPECT_EQ(CollectMakerTexts(priceDb), 2);
    EXPECT_EQ(brandRows(), (QStringList{"А:Bosch:BOSCH", "А:Makita:NULL", "Б:Makita:NULL"}));
    EXPECT_EQ(CollectMakerTexts(priceDb), 0);
    EXPECT_EQ(brandRows().size(), 3);

    EXPECT_EQ(ReadMakerTexts(priceDb, QStringLiteral("А"), true).size(), 1);
    EXPECT_EQ(ReadMakerTexts(priceDb, QStringLiteral("А"), false).size(), 2);
    EXPECT_TRUE(SaveStandardName(priceDb, QStringLiteral("Б"), QStringLiteral("Makita"), QStringLiteral("MAKITA")));
    EXPECT_FALSE(SaveStandardName(priceDb, QStringLiteral("Б"), QStringLiteral("Нет такого"), QStringLiteral("X")));
    EXPECT_EQ(brandRows(), (QStringList{"А:Bosch:BOSCH", "А:Makita:NULL", "Б:Makita:MAKITA"}));
    EXPECT_EQ(ReadStandardBrandNames(priceDb), (QStringList{"BOSCH", "MAKITA"}));
}

TEST(StandardNameProposal, OwnThenEqualThenTheOneBefore)
{
    const QStringList names{QStringLiteral("AEG"), QStringLiteral("BOSCH"), QStringLiteral("MAKITA"),
                            QStringLiteral("ЗУБР")};
    struct Case {
        MakerText row;
        int expected;
    };
    const Case cases[] = {
        {{QStringLiteral("bosch"), QStringLiteral("MAKITA"), true}, 2}, // its own
        {{QStringLiteral("Bosch"), {}, false}, 1},                      // equal without case
        {{QStringLiteral("Hitachi"), {}, false}, 1},                    // the last one before it
        {{QStringLiteral("зубры"), {}, false}, 0},                      // the one before is the last: the first
        {{QStringLiteral("123"), {}, false}, 0},                        // none before
    };
    for (const Case& c : cases)
        EXPECT_EQ(ProposedStandardName(c.row, names), c.expected) << c.row.maker.toStdString();
    EXPECT_EQ(ProposedStandardName(MakerText{QStringLiteral("X"), {}, false}, {}), -1);
}

TEST_F(SupplierBrandsTest, PriorityBrandsOncePerNameAndTheirTableWhenMissing)
{
    priceDb.exec(QStringLiteral("DROP TABLE BrendPriory"));
    EnsurePriorityBrandTable(priceDb);
    EnsurePriorityBrandTable(priceDb);
    addGoods(QStringLiteral("А"), QStringLiteral("Makita"));
    addGoods(QStringLiteral("Б"), QStringLiteral("Bosch"));
    addGoods(QStringLiteral("Б"), QStringLiteral("Bosch"));
    addGoods(QStringLiteral("Б"), QString());
    EXPECT_EQ(ReadLoadedMakerTexts(priceDb), (QStringList{"Bosch", "Makita"}));
    EXPECT_EQ(AddPriorityBrand(priceDb, QStringLiteral("Bosch")), QString());
    EXPECT_EQ(AddPriorityBrand(priceDb, QStringLiteral("BOSCH")), QStringLiteral("Бренд \"BOSCH\" уже добавлен!"));
    ASSERT_EQ(ReadPriorityBrands(priceDb).size(), 1);
    DeletePriorityBrand(priceDb, ReadPriorityBrands(priceDb).front().id);
    EXPECT_TRUE(ReadPriorityBrands(priceDb).isEmpty());
    EXPECT_EQ(DeletePriorityBrandQuestion(QStringLiteral("Bosch")), QStringLiteral("Удалить бренд \"Bosch\" из приоритетов?"));
}

TEST_F(SupplierBrandsTest, MarkupScalesPerSupplierWithTheirDefaults)
{
    const MarkupScales defaults = MarkupScales::defaults();
    EXPECT_EQ(defaults.markups[1][1], 42);
    EXPECT_EQ(defaults.limits[0][5], 1000000);
    const QString longName = QStringLiteral("Очень длинное название поставщика, длиннее пятидесяти знаков в базе");
    MarkupScales changed = defaults;
    changed.limits[1][5] = 2000000;
    changed.markups[0][0] = 41;
    WriteMarkupScales(orderDb, longName, changed);
    const MarkupScales back = ReadMarkupScales(orderDb, longName);
    EXPECT_EQ(back.limits, changed.limits);
    EXPECT_EQ(back.markups, changed.markups);
    EXPECT_TRUE(SettingsStore(orderDb).contains(longName + QStringLiteral("SpinEdit_p2_6")));
    const MarkupScales other = ReadMarkupScales(orderDb, QStringLiteral("Другой"));
    EXPECT_EQ(other.markups, defaults.markups);
    EXPECT_EQ(MarkupSettingName(2, false, 6), QStringLiteral("SpinEdit_n2_6"));
}

} // namespace
} // namespace velmora::brands
