// The find text's grammar, run against a small set of offers: every text of
// the table gives the same rows through the plain statement and through the
// trigram index, also while some offers wait for the index's catch-up.
#include "search_fixture.h"

#include "suppliers/search/goods_index.h"
#include "suppliers/search/supplier_goods_search.h"

#include <gtest/gtest.h>

namespace velmora::search {
namespace {

using test::PriceDbFixture;

// All rows of a result, read in small chunks so that the keyset paging is
// exercised too.
std::vector<qint64> allNumbers(const SearchOutcome& outcome, int chunk = 3)
{
    std::vector<qint64> numbers;
    if (!outcome.query)
        return numbers;
    const GoodsQuery& q = *outcome.query;
    const int numberColumn = q.columnIndex(QStringLiteral("Number"));
    GoodsChunk part = outcome.firstChunk;
    while (true) {
        for (const GoodsRow& row : part.rows)
            numbers.push_back(row.at(numberColumn).toLongLong());
        if (part.atEnd || part.rows.isEmpty())
            break;
        part = q.fetch(q.keyOf(part.rows.constLast()), chunk);
    }
    return numbers;
}

SearchOutcome run(const db::Connection& db, const QString& text, SearchField field, IndexUse index,
                  std::optional<SortOrder> sort = std::nullopt)
{
    SearchState state;
    SearchOptions options;
    options.field = field;
    options.index = index;
    options.sort = sort;
    return SearchSupplierGoods(db, options, text, state, 3);
}

struct GrammarCase {
    const char* text;
    SearchField field;
    std::vector<qint64> expected;  // in PriceOut order
    bool servedByIndex;            // some word is long enough for the index
};

const SearchField Name = SearchField::Name;
const SearchField Art = SearchField::Article;
const SearchField All = SearchField::All;

// Offers by PriceOut: 1, 10, 2, 3, 4, 5, 6, 7, (8 hidden), 9.
const std::vector<GrammarCase> kGrammar = {
    // Separators match any characters, in order.
    {"abc-12/3", Name, {1}, true},
    {"abc.12", Name, {1, 2}, true},
    {"6-0", Art, {3}, false},
    // Several words: each must be in the field.
    {"bolt nut", Name, {4}, true},
    {"bolt 12", Art, {4, 9}, true},
    {"abc 3", Name, {1, 2}, true},
    // Two blanks make an empty word, which any non-empty field matches.
    {"bolt  steel", Name, {10, 4}, true},
    {"%", Name, {1, 10, 2, 3, 4, 5, 6, 7, 9}, false},
    // Words shorter than the index serves.
    {"x", Name, {1, 7}, false},
    {"m6", Art, {3}, false},
    // Case folds for Cyrillic as for Latin; Ё too.
    {"болт", Name, {3}, true},
    {"бОлТ м6", Name, {3}, true},
    {"ёЛОЧ", Name, {9}, true},
    {"ЁЛК", Name, {}, true},
    {"BOLT", Name, {10, 4}, true},
    // The apostrophe stands for any one character.
    {"O'Neil", Name, {6, 7}, true},
    {"[O'Neil]", Name, {6, 7}, true},
    // Brackets: terms joined by AND with or without "&", groups, negation.
    {"[bolt]&[nut]", Name, {4}, true},
    {"[bolt][nut]", Name, {4}, true},
    {"[bolt]&&[nut]", Name, {4}, true},
    {"[[bolt]&[nut]]&[steel]", Name, {4}, true},
    {"[[bolt]&[steel]]&![nut]", Name, {10}, true},
    {"![bolt]", Name, {1, 2, 3, 5, 6, 7, 9}, false},
    {"!![bolt]", Name, {1, 2, 3, 5, 6, 7, 9}, false},
    {"[bolt nut]", Name, {4}, true},
    // All fields: any of the six; a negated word must be in none of them,
    // empty fields counting as not holding it.
    {"китай", All, {3}, true},
    {"bosch", All, {3}, true},
    {"ЁЛК", All, {10}, true},
    {"ёл", All, {10, 9}, false},
    {"![ёлк]", All, {1, 2, 3, 4, 5, 6, 7, 9}, false},
    {"![bolt]", All, {1, 2, 3, 5, 6, 7}, false},
    {"m6 есть", All, {3}, true},
    // Article only.
    {"bolt", Art, {4, 9}, true},
    {"nut", Art, {}, true},
    // A hidden supplier's offers are never found.
    {"скрыт", Name, {}, true},
};

// Offers numbered above `above` taken out and written again the way a
// load writes them, so that they wait for the index's catch-up.
void leaveForCatchUp(db::Connection& db, qint64 above)
{
    db::Transaction transaction(db);
    for (const char* sql : {"CREATE TEMP TABLE Waiting AS SELECT * FROM AllTovarPostav WHERE Number > ?1",
                            "DELETE FROM AllTovarPostav WHERE Number > ?1"}) {
        db::Statement statement = db.prepare(QString::fromUtf8(sql));
        statement.bindInt(1, above);
        statement.execute();
    }
    SupplierGoodsBulkInsert bulk(db);
    db.exec(QStringLiteral("INSERT INTO AllTovarPostav SELECT * FROM Waiting ORDER BY Number"));
    bulk.finish();
    db.exec(QStringLiteral("DROP TABLE Waiting"));
    transaction.commit();
}

// The plain statement; the index; the index with half the offers loaded
// but not yet in it.
enum class GrammarPath { Plain, Indexed, Waiting };

class GrammarTest : public ::testing::TestWithParam<GrammarPath> {
protected:
    void SetUp() override
    {
        fixture.addStandardOffers();
        if (GetParam() != GrammarPath::Plain)
            ensureSupplierGoodsIndex(fixture.db());
        if (GetParam() == GrammarPath::Waiting) {
            leaveForCatchUp(fixture.db(), 5);
            ASSERT_TRUE(supplierGoodsIndexPendingAbove(fixture.db()));
        }
    }
    IndexUse indexUse() const { return GetParam() == GrammarPath::Plain ? IndexUse::Never : IndexUse::Auto; }
    PriceDbFixture fixture;
};

TEST_P(GrammarTest, TextsFindTheirRows)
{
    for (const GrammarCase& c : kGrammar) {
        SCOPED_TRACE(c.text);
        const SearchOutcome outcome = run(fixture.db(), QString::fromUtf8(c.text), c.field, indexUse());
        ASSERT_EQ(outcome.status, SearchStatus::Opened) << outcome.error.toStdString();
        EXPECT_EQ(allNumbers(outcome), c.expected);
        EXPECT_EQ(outcome.query->usesIndex(), indexUse() == IndexUse::Auto && c.servedByIndex);
    }
}

TEST_P(GrammarTest, BadBracketsRunNothingOrFail)
{
    struct Case {
        const char* text;
        SearchStatus status;
    };
    for (const Case& c : {Case{"[bolt", SearchStatus::Rejected}, Case{"a[]b", SearchStatus::Rejected},
                          Case{"[bolt]]", SearchStatus::Rejected}, Case{"[!bolt]", SearchStatus::Failed},
                          Case{"][", SearchStatus::Failed}, Case{"]][[", SearchStatus::Failed}}) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(run(fixture.db(), QString::fromUtf8(c.text), Name, indexUse()).status, c.status);
    }
}

INSTANTIATE_TEST_SUITE_P(PlainAndIndexed, GrammarTest,
                         ::testing::Values(GrammarPath::Plain, GrammarPath::Indexed, GrammarPath::Waiting),
                         [](const auto& info) {
                             return info.param == GrammarPath::Plain ? "Plain"
                                 : info.param == GrammarPath::Indexed ? "Indexed"
                                                                      : "Waiting";
                         });

TEST(SearchIndex, PathsAgreeOnEveryText)
{
    PriceDbFixture fixture;
    fixture.addStandardOffers();
    ensureSupplierGoodsIndex(fixture.db());
    for (const GrammarCase& c : kGrammar) {
        SCOPED_TRACE(c.text);
        const QString text = QString::fromUtf8(c.text);
        EXPECT_EQ(allNumbers(run(fixture.db(), text, c.field, IndexUse::Never)),
                  allNumbers(run(fixture.db(), text, c.field, IndexUse::Auto)));
    }
}

TEST(SearchIndex, FollowsInsertsUpdatesAndDeletes)
{
    PriceDbFixture fixture;
    fixture.addStandardOffers();
    ensureSupplierGoodsIndex(fixture.db());
    ensureSupplierGoodsIndex(fixture.db());  // a second run changes nothing
    EXPECT_TRUE(supplierGoodsIndexExists(fixture.db()));
    auto numbers = [&](const char* text) {
        return allNumbers(run(fixture.db(), QString::fromUtf8(text), Name, IndexUse::Auto));
    };
    fixture.addOffer({11, QStringLiteral("Альфа"), "W1", QStringLiteral("Шайба плоская"), 5});
    EXPECT_EQ(numbers("шайба"), std::vector<qint64>{11});
    fixture.db().exec(QStringLiteral("UPDATE AllTovarPostav SET Tovar='Шуруп' WHERE Number=11"));
    EXPECT_EQ(numbers("шайба"), std::vector<qint64>{});
    EXPECT_EQ(numbers("шуруп"), std::vector<qint64>{11});
    fixture.db().exec(QStringLiteral("UPDATE AllTovarPostav SET PriceOut=1 WHERE Number=11"));
    EXPECT_EQ(numbers("шуруп"), std::vector<qint64>{11});
    fixture.db().exec(QStringLiteral("DELETE FROM AllTovarPostav WHERE Number=11"));
    EXPECT_EQ(numbers("шуруп"), std::vector<qint64>{});
    // The index stays consistent with its content table.
    EXPECT_NO_THROW(fixture.db().exec(
        QStringLiteral("INSERT INTO AllTovarPostav_SearchText(AllTovarPostav_SearchText) VALUES('integrity-check')")));
}

TEST(SearchIndex, IsBuiltFromRowsAlreadyThere)
{
    PriceDbFixture fixture;
    fixture.addStandardOffers();
    ensureSupplierGoodsIndex(fixture.db());
    EXPECT_EQ(allNumbers(run(fixture.db(), QStringLiteral("steel"), Name, IndexUse::Auto)),
              (std::vector<qint64>{10, 4}));
    dropSupplierGoodsIndex(fixture.db());
    EXPECT_FALSE(supplierGoodsIndexExists(fixture.db()));
    EXPECT_FALSE(run(fixture.db(), QStringLiteral("steel"), Name, IndexUse::Auto).query->usesIndex());
}

class SearchRunTest : public ::testing::Test {
protected:
    void SetUp() override { fixture.addStandardOffers(); }
    SearchOutcome search(const QString& text)
    {
        return SearchSupplierGoods(fixture.db(), options, text, state);
    }
    PriceDbFixture fixture;
    SearchOptions options;
    SearchState state;
};

TEST_F(SearchRunTest, EmptyTextAndThePlaceholderRunNothing)
{
    for (const QString& text : {QString(), QStringLiteral("   "), kFindPlaceholder,
                                QStringLiteral("  ") + kFindPlaceholder}) {
        EXPECT_EQ(search(text).status, SearchStatus::NotRun);
    }
    EXPECT_TRUE(state.lastFindText.isEmpty());
}

TEST_F(SearchRunTest, TheSameTextRunsOnceUntilTheLastTextIsCleared)
{
    EXPECT_EQ(search(QStringLiteral(" bolt ")).status, SearchStatus::Opened);
    EXPECT_EQ(state.lastFindText, QStringLiteral("bolt"));
    EXPECT_EQ(search(QStringLiteral("bolt")).status, SearchStatus::NotRun);
    state.lastFindText.clear();
    EXPECT_EQ(search(QStringLiteral("bolt")).status, SearchStatus::Opened);
    EXPECT_FALSE(state.searchRunning);
}

TEST_F(SearchRunTest, RejectedBracketsKeepTheNewTextAsLast)
{
    EXPECT_EQ(search(QStringLiteral("[bolt")).status, SearchStatus::Rejected);
    EXPECT_EQ(state.lastFindText, QStringLiteral("[bolt"));
}

TEST_F(SearchRunTest, NoVisibleSupplierFindsNothing)
{
    fixture.db().exec(QStringLiteral("UPDATE AllPostavSetup SET PostavVisible=0"));
    const SearchOutcome outcome = search(QStringLiteral("%"));
    ASSERT_EQ(outcome.status, SearchStatus::Opened);
    EXPECT_TRUE(allNumbers(outcome).empty());
}

TEST_F(SearchRunTest, SupplierNamesAreBound)
{
    // Only the supplier with an apostrophe is visible.
    fixture.db().exec(QStringLiteral("UPDATE AllPostavSetup SET PostavVisible=0 WHERE Postavshik<>'O''Neil'"));
    const SearchOutcome outcome = search(QStringLiteral("%"));
    ASSERT_EQ(outcome.status, SearchStatus::Opened) << outcome.error.toStdString();
    EXPECT_EQ(allNumbers(outcome), (std::vector<qint64>{6, 7}));
    EXPECT_EQ(visibleSuppliers(fixture.db()), QStringList{QStringLiteral("O'Neil")});
}

TEST_F(SearchRunTest, SortsByTheMarkedField)
{
    struct Case {
        std::optional<SortOrder> sort;
        std::vector<qint64> expected;
    };
    const std::vector<Case> cases = {
        {std::nullopt, {1, 10, 2, 3, 4, 5, 6, 7, 9}},
        {SortOrder{"PriceOut", true}, {9, 7, 6, 5, 4, 3, 2, 10, 1}},
        // Both tables have Pricemax: the grid's column is the offer's own.
        {SortOrder{"Pricemax", true}, {9, 7, 6, 5, 4, 3, 2, 10, 1}},
        // The supplier's price is the currency row's.
        {SortOrder{"PricePostav", false}, {5, 6, 4, 9, 1, 10, 3, 7, 2}},
        {SortOrder{"PricePostav", true}, {2, 7, 3, 10, 1, 9, 4, 6, 5}},
        // Empty fields first ascending, last descending; Number breaks ties.
        {SortOrder{"TextNoName", false}, {1, 2, 5, 6, 7, 9, 4, 3, 10}},
        {SortOrder{"TextNoName", true}, {10, 3, 4, 1, 2, 5, 6, 7, 9}},
        {SortOrder{"Opisanie", true}, {3, 4, 1, 2, 5, 6, 7, 9, 10}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sort ? c.sort->field.toStdString() + (c.sort->descending ? " desc" : "") : "default");
        options.sort = c.sort;
        state.lastFindText.clear();
        const SearchOutcome outcome = SearchSupplierGoods(fixture.db(), options, QStringLiteral("%"), state, 2);
        ASSERT_EQ(outcome.status, SearchStatus::Opened) << outcome.error.toStdString();
        EXPECT_EQ(allNumbers(outcome, 2), c.expected);
    }
}

TEST_F(SearchRunTest, PriorityBrandsJoinTheirColumn)
{
    fixture.db().exec(QStringLiteral("INSERT INTO BrendPriory (BrendName) VALUES ('BOSCH')"));
    options.brendPriory = true;
    const SearchOutcome outcome = search(QStringLiteral("%"));
    ASSERT_EQ(outcome.status, SearchStatus::Opened) << outcome.error.toStdString();
    const int brand = outcome.query->columnIndex(QStringLiteral("BrendPriory"));
    ASSERT_GE(brand, 0);
    QStringList brands;
    for (const GoodsRow& row : outcome.firstChunk.rows)
        brands << row.at(brand).toString();
    EXPECT_EQ(brands.count(QStringLiteral("BOSCH")), 1);
}

TEST(SearchConditions, PatternsAreBoundNeverPasted)
{
    const WordConditions words = buildWordConditions(QStringLiteral("O_Neil'; drop"), SearchField::Name);
    EXPECT_FALSE(words.sql.contains(QStringLiteral("Neil")));
    EXPECT_FALSE(words.sql.contains(QStringLiteral("drop")));
    EXPECT_FALSE(words.sql.contains(u'\''));
    EXPECT_EQ(words.patterns, (QStringList{QStringLiteral("%O_Neil_;%"), QStringLiteral("%drop%")}));
}

TEST(SearchConditions, IndexQueryTakesRunsOfThreeOrMore)
{
    struct Case {
        const char* pattern;
        SearchField field;
        const char* expected;
    };
    // Every trigram of each run once; the field is left to the test on the
    // row. A space, like any character the index does not keep, ends a run.
    for (const Case& c : {Case{"%ab%", SearchField::Name, ""},
                          Case{"%abc%12%3%", SearchField::Name, "(\"abc\")"},
                          Case{"%O_Neil%", SearchField::Article, "(\"Nei\" AND \"eil\")"},
                          Case{"%болт м6%", SearchField::All, "(\"бол\" AND \"олт\")"},
                          Case{"%болт м65%", SearchField::All, "(\"бол\" AND \"олт\" AND \"м65\")"},
                          Case{"%a b c%", SearchField::All, ""},
                          Case{"%a\"bc%", SearchField::All, "(\"a\"\"b\" AND \"\"\"bc\")"},
                          Case{"%ababab%", SearchField::All, "(\"aba\" AND \"bab\")"},
                          Case{"%abc%xyz%", SearchField::All, "(\"abc\" AND \"xyz\")"},
                          Case{"%ßtraße%", SearchField::All, "(\"tra\")"}}) {
        SCOPED_TRACE(c.pattern);
        EXPECT_EQ(indexQueryForPattern(QString::fromUtf8(c.pattern), c.field), QString::fromUtf8(c.expected));
    }
}

} // namespace
} // namespace velmora::search

namespace velmora::search {
namespace {

TEST(SearchIndex, ABulkInsertIsIndexedInOneGoAfterItsCommit)
{
    PriceDbFixture fixture;
    fixture.addStandardOffers();
    ensureSupplierGoodsIndex(fixture.db());
    {
        db::Transaction transaction(fixture.db());
        SupplierGoodsBulkInsert bulk(fixture.db());
        for (int n = 11; n <= 40; ++n)
            fixture.addOffer({n, QStringLiteral("Альфа"), QStringLiteral("W%1").arg(n), QStringLiteral("Шайба %1").arg(n), double(n)});
        bulk.finish();
        transaction.commit();
    }
    EXPECT_TRUE(supplierGoodsIndexExists(fixture.db()));
    // Found before the catch-up (tested on the rows) and after it.
    for (const bool caughtUp : {false, true}) {
        SCOPED_TRACE(caughtUp ? "caught up" : "waiting");
        if (caughtUp)
            EXPECT_TRUE(catchUpSupplierGoodsIndex(fixture.db()));
        EXPECT_EQ(allNumbers(run(fixture.db(), QStringLiteral("шайба 3"), Name, IndexUse::Auto)),
                  allNumbers(run(fixture.db(), QStringLiteral("шайба 3"), Name, IndexUse::Never)));
        EXPECT_EQ(allNumbers(run(fixture.db(), QStringLiteral("шайба"), Name, IndexUse::Auto)).size(), 30u);
    }
    EXPECT_NO_THROW(fixture.db().exec(QStringLiteral(
        "INSERT INTO AllTovarPostav_SearchText(AllTovarPostav_SearchText, rank) VALUES('integrity-check', 1)")));
    // Later single inserts go through the trigger again.
    fixture.addOffer({41, QStringLiteral("Бета"), "Q1", QStringLiteral("Шпилька"), 1});
    EXPECT_EQ(allNumbers(run(fixture.db(), QStringLiteral("шпиль"), Name, IndexUse::Auto)), std::vector<qint64>{41});
}

TEST(SearchIndex, ARolledBackBulkInsertLeavesTheIndexAsItWas)
{
    PriceDbFixture fixture;
    fixture.addStandardOffers();
    ensureSupplierGoodsIndex(fixture.db());
    try {
        db::Transaction transaction(fixture.db());
        SupplierGoodsBulkInsert bulk(fixture.db());
        fixture.addOffer({11, QStringLiteral("Альфа"), "W1", QStringLiteral("Шайба"), 1});
        throw std::runtime_error("load failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_TRUE(supplierGoodsIndexExists(fixture.db()));
    EXPECT_TRUE(allNumbers(run(fixture.db(), QStringLiteral("шайба"), Name, IndexUse::Auto)).empty());
}

} // namespace
} // namespace velmora::search

namespace velmora::search {
namespace {

TEST(SearchIndex, OddTextsNeverBreakTheIndexQuery)
{
    PriceDbFixture fixture;
    fixture.addStandardOffers();
    fixture.addOffer({11, QStringLiteral("Альфа"), "Q\"7\"", QStringLiteral("Кабель \"ВВГ\" *3x1,5* ^NEAR"), 5});
    ensureSupplierGoodsIndex(fixture.db());
    for (const char* text : {"[   ]", "\"ввг\"", "*3x1", "^near", "NEAR(", "AND OR NOT", "ввг\" OR \"", "{Art}: q",
                             "Tovar : кабель", "\xF0\x9F\x94\xA9 болт", "q\"7"}) {
        SCOPED_TRACE(text);
        for (SearchField field : {SearchField::Name, SearchField::Article, SearchField::All}) {
            const SearchOutcome plain = run(fixture.db(), QString::fromUtf8(text), field, IndexUse::Never);
            const SearchOutcome indexed = run(fixture.db(), QString::fromUtf8(text), field, IndexUse::Auto);
            ASSERT_EQ(plain.status, SearchStatus::Opened) << plain.error.toStdString();
            ASSERT_EQ(indexed.status, SearchStatus::Opened) << indexed.error.toStdString();
            EXPECT_EQ(allNumbers(indexed), allNumbers(plain));
        }
    }
    EXPECT_EQ(allNumbers(run(fixture.db(), QStringLiteral("\"ввг\""), Name, IndexUse::Auto)), std::vector<qint64>{11});
}

} // namespace
} // namespace velmora::search
