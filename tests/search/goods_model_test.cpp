// The grid model over a search result: chunked reads, re-reads of dropped
// chunks, the previous row found again, the failure path and the titles.
#include "search_fixture.h"

#include "suppliers/search/goods_index.h"
#include "suppliers/search/goods_search_controller.h"
#include "suppliers/search/supplier_goods_model.h"

#include <QCoreApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace velmora::search {
namespace {

using test::PriceDbFixture;

class GoodsModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fixture.addSupplier({QStringLiteral("Альфа"), 1});
        fixture.addSupplier({QStringLiteral("Бета"), 1});
        // 50 offers; every fifth has no price so the keys hold NULLs too.
        for (int n = 1; n <= 50; ++n) {
            fixture.addOffer({n, n % 2 ? QStringLiteral("Альфа") : QStringLiteral("Бета"), QStringLiteral("A%1").arg(n),
                              QStringLiteral("Болт %1").arg(n), double((n * 37) % 11), {}, {}, {},
                              n % 3 ? QVariant(QStringLiteral("M%1").arg(n % 4)) : QVariant(), double(n)});
        }
    }

    std::vector<qint64> modelNumbers(SupplierGoodsModel& model)
    {
        while (model.canFetchMore(QModelIndex()))
            model.fetchMore(QModelIndex());
        std::vector<qint64> out;
        for (int r = 0; r < model.rowCount(); ++r)
            out.push_back(model.numberAt(r));
        return out;
    }

    std::vector<qint64> referenceNumbers(const QString& orderBy)
    {
        std::vector<qint64> out;
        db::Statement s = fixture.db().prepare(
            QStringLiteral("SELECT Number FROM AllTovarPostav ORDER BY %1, Number").arg(orderBy));
        while (s.step())
            out.push_back(s.integer(0));
        return out;
    }

    PriceDbFixture fixture;
};

TEST_F(GoodsModelTest, ChunksReadInTurnGiveTheWholeOrderedResult)
{
    struct Case {
        std::optional<SortOrder> sort;
        const char* orderBy;
    };
    for (const Case& c : {Case{std::nullopt, "PriceOut"}, Case{SortOrder{"PriceOut", true}, "PriceOut DESC"},
                          Case{SortOrder{"TextNoName", false}, "TextNoName"},
                          Case{SortOrder{"TextNoName", true}, "TextNoName DESC"},
                          Case{SortOrder{"Tovar", false}, "Tovar"}}) {
        SCOPED_TRACE(c.orderBy);
        SupplierGoodsModel model(nullptr, 7, 3);
        SearchState state;
        SearchOptions options;
        options.sort = c.sort;
        SearchOutcome outcome = SearchSupplierGoods(fixture.db(), options, QStringLiteral("болт"), state, 7);
        ASSERT_EQ(outcome.status, SearchStatus::Opened);
        model.setResult(outcome.query, std::move(outcome.firstChunk));
        EXPECT_EQ(model.rowCount(), 7);
        EXPECT_TRUE(model.canFetchMore(QModelIndex()));
        EXPECT_EQ(modelNumbers(model), referenceNumbers(QString::fromLatin1(c.orderBy)));
        EXPECT_FALSE(model.canFetchMore(QModelIndex()));
        EXPECT_LE(model.cache().loadedChunks(), 3);
    }
}

TEST_F(GoodsModelTest, ADroppedChunkIsReadAgainWhenTheViewComesBack)
{
    SupplierGoodsModel model(nullptr, 5, 2);
    SearchState state;
    SearchOutcome outcome = SearchSupplierGoods(fixture.db(), SearchOptions{}, QStringLiteral("%"), state, 5);
    model.setResult(outcome.query, std::move(outcome.firstChunk));
    const std::vector<qint64> all = modelNumbers(model);
    ASSERT_EQ(all.size(), 50u);
    const int reads = model.chunkReads();
    EXPECT_FALSE(model.cache().isLoaded(0));
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QStringLiteral("A%1").arg(all.front()));
    EXPECT_EQ(model.chunkReads(), reads + 1);
    EXPECT_EQ(model.numberAt(23), all.at(23));
}

TEST_F(GoodsModelTest, ColumnsShowTheGridFields)
{
    SupplierGoodsModel model;
    SearchState state;
    SearchOutcome outcome = SearchSupplierGoods(fixture.db(), SearchOptions{}, QStringLiteral("болт 17"), state);
    model.setResult(outcome.query, std::move(outcome.firstChunk));
    ASSERT_GE(model.rowCount(), 1);
    EXPECT_EQ(model.columnCount(), 11);
    const int row = 0;
    EXPECT_EQ(model.data(model.index(row, 1)).toString(), QStringLiteral("Болт 17"));
    EXPECT_EQ(model.data(model.index(row, 6)).toString(), QStringLiteral("USD"));  // ValutaPostav
    EXPECT_EQ(model.field(row, QStringLiteral("Postavshik")).toString(), QStringLiteral("Альфа"));
}

TEST_F(GoodsModelTest, TitlesCarryTheSortMarkApartFromTheText)
{
    SupplierGoodsModel model;
    ColumnTitles titles;
    titles.ColumnTitleArt = QStringLiteral("vendor code");  // a user title starting with "v"
    model.setTitles(gridTitles(titles, QStringLiteral("EUR")));
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("vendor code"));
    EXPECT_EQ(model.headerData(3, Qt::Horizontal).toString(), QStringLiteral("Цена (EUR)"));
    EXPECT_EQ(model.headerData(10, Qt::Horizontal).toString(), QStringLiteral("Описание"));
    EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("Поставщик"));
    model.setSortMark(SortMark{3, true});
    EXPECT_EQ(model.headerData(3, Qt::Horizontal).toString(), QStringLiteral("vЦена (EUR)"));
    EXPECT_TRUE(model.headerData(3, Qt::Horizontal, Qt::ForegroundRole).isValid());
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("vendor code"));
    EXPECT_FALSE(model.headerData(0, Qt::Horizontal, Qt::ForegroundRole).isValid());
}

TEST(SortMarks, TitleClicksCycleOneColumn)
{
    SortMark mark;
    mark = nextSortMark(mark, 4);
    EXPECT_EQ(mark, (SortMark{4, false}));
    mark = nextSortMark(mark, 4);
    EXPECT_EQ(mark, (SortMark{4, true}));
    EXPECT_EQ(sortOrderOf(mark)->field, QStringLiteral("Pricemax"));
    EXPECT_TRUE(sortOrderOf(mark)->descending);
    mark = nextSortMark(mark, 4);
    EXPECT_EQ(mark, SortMark{});
    EXPECT_FALSE(sortOrderOf(mark));
    // Another column's click drops the first mark.
    EXPECT_EQ(nextSortMark(SortMark{4, true}, 5), (SortMark{5, false}));
}

class ControllerTest : public GoodsModelTest {
protected:
    SupplierGoodsModel model{nullptr, 4, 3};
    GoodsSearchController controller{fixture.db(), model};
};

TEST_F(ControllerTest, ThePreviousRowIsCurrentAgainWhenFound)
{
    controller.search(QStringLiteral("болт"));
    while (model.canFetchMore(QModelIndex()))
        model.fetchMore(QModelIndex());
    const int row = 17;
    const qint64 number = model.numberAt(row);
    controller.setCurrentRow(row);
    QSignalSpy searched(&controller, &GoodsSearchController::searched);
    controller.searchAgain(QStringLiteral("болт"));
    ASSERT_EQ(searched.count(), 1);
    const int current = searched.at(0).at(0).toInt();
    EXPECT_EQ(model.numberAt(current), number);
    // Gone from the new result: the first row is current.
    controller.setCurrentRow(current);
    controller.search(QStringLiteral("болт 3"));
    EXPECT_EQ(searched.at(1).at(0).toInt(), 0);
}

TEST_F(ControllerTest, AFailedSearchShowsThePreviousRowsAgain)
{
    QSignalSpy failed(&controller, &GoodsSearchController::searchFailed);
    EXPECT_EQ(controller.search(QStringLiteral("[!болт]")), SearchStatus::Failed);  // nothing before it
    EXPECT_EQ(model.rowCount(), 0);
    controller.search(QStringLiteral("болт 2"));
    const int rows = model.rowCount();
    ASSERT_GT(rows, 0);
    EXPECT_EQ(controller.search(QStringLiteral("[!болт]")), SearchStatus::Failed);
    EXPECT_EQ(failed.count(), 2);
    EXPECT_EQ(failed.at(1).at(0).toString(), kSearchFailedMessage);
    EXPECT_EQ(model.rowCount(), rows);
    // Rejected brackets leave the grid as it is and run nothing.
    EXPECT_EQ(controller.search(QStringLiteral("[болт")), SearchStatus::Rejected);
    EXPECT_EQ(model.rowCount(), rows);
}

TEST_F(ControllerTest, SortingAndVisibilitySearchAgain)
{
    controller.search(QStringLiteral("болт"));
    controller.sortByColumn(3, QStringLiteral("болт"));  // PriceOut ascending
    controller.sortByColumn(3, QStringLiteral("болт"));  // descending
    EXPECT_EQ(model.sortMark(), (SortMark{3, true}));
    EXPECT_GE(model.field(0, QStringLiteral("PriceOut")).toDouble(), model.field(1, QStringLiteral("PriceOut")).toDouble());
    fixture.setVisible(QStringLiteral("Альфа"), false);
    // The same text does not run again by itself...
    EXPECT_EQ(controller.search(QStringLiteral("болт")), SearchStatus::NotRun);
    // ...so a visibility change searches again.
    controller.searchAgain(QStringLiteral("болт"));
    while (model.canFetchMore(QModelIndex()))
        model.fetchMore(QModelIndex());
    EXPECT_EQ(model.rowCount(), 25);
    for (int r = 0; r < model.rowCount(); ++r)
        EXPECT_EQ(model.field(r, QStringLiteral("Postavshik")).toString(), QStringLiteral("Бета"));
    controller.clearSort(QStringLiteral("болт"));
    EXPECT_EQ(model.sortMark(), SortMark{});
}

} // namespace
} // namespace velmora::search
