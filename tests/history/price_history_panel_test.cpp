// The price history panels offscreen: switching, searching, choosing,
// deleting loads, the questions asked and not asked.
#include "history_test_support.h"


#include "storage/settings_store.h"
#include "suppliers/history/history_result_model.h"
#include "suppliers/history/price_history_panel.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTableView>
#include <QTableWidget>

namespace velmora::history::test {
namespace {

class PanelTest : public ThreeLoadsTest {
protected:
    void SetUp() override
    {
        ThreeLoadsTest::SetUp();
        velmora::testing::ensureApplication();
        panel = std::make_unique<PriceHistoryPanel>(priceDb, orderDb);
        panel->setSupplierProvider([this] { return supplier; });
        panel->setQuestionHandler([this](const QString& text) {
            questions << text;
            return answer;
        });
        loadsGrid = panel->findChild<QTableWidget*>(QStringLiteral("DBGrid_PriceHistory2"));
        findEdit = panel->findChild<QLineEdit*>(QStringLiteral("Edit_FindHistory"));
        resultGrid = panel->findChild<QTableView*>(QStringLiteral("DBGrid_FindHistory"));
        ASSERT_TRUE(loadsGrid && findEdit && resultGrid);
    }

    // The tab stored the switch the user clicked.
    void clickSwitch(bool on)
    {
        WriteSetting(orderDb, supplier + QStringLiteral("_PriceHistoryLoad"), QStringLiteral("TypeBoolean"),
                     on ? QStringLiteral("-1") : QStringLiteral("0"));
        panel->CheckBox_PriceHistoryClick();
    }

    QStringList resultNames() const
    {
        QStringList names;
        for (int r = 0; r < panel->resultModel()->rowCount(); ++r)
            names << panel->resultModel()->rowAt(r)->tovar;
        return names;
    }

    QString supplier = kSupplier;
    bool answer = false;
    QStringList questions;
    std::unique_ptr<PriceHistoryPanel> panel;
    QTableWidget* loadsGrid = nullptr;
    QLineEdit* findEdit = nullptr;
    QTableView* resultGrid = nullptr;
};

TEST_F(PanelTest, SwitchedOnItShowsTheLoadsAndAnEmptySearchListsAll)
{
    EXPECT_TRUE(panel->historyPanel()->isHidden());
    clickSwitch(true);
    EXPECT_FALSE(panel->historyPanel()->isHidden());
    EXPECT_FALSE(panel->findChild<QPushButton*>(QStringLiteral("Button_PriceHistoryExcel"))->isVisibleTo(panel.get()));
    ASSERT_EQ(loadsGrid->rowCount(), 3);
    EXPECT_EQ(loadsGrid->item(0, 0)->text(), QStringLiteral("03.03.2025 10:15:30"));
    EXPECT_EQ(loadsGrid->item(2, 1)->text(), QStringLiteral("2"));
    EXPECT_FALSE(panel->resultModel()->isOpen());

    panel->Button_FindHistoryClick(); // empty text: all, in load order
    EXPECT_EQ(resultNames().size(), 8);
    EXPECT_EQ(resultNames().front(), QStringLiteral("Яблоко"));
    auto* abc = panel->findChild<QCheckBox*>(QStringLiteral("CheckBox_FindHistoryABC"));
    abc->click(); // by name, and remembered
    EXPECT_EQ(resultNames().front(), QStringLiteral("Арбуз"));
    EXPECT_TRUE(SettingsStore(orderDb).readBoolean(QStringLiteral("CheckBox_FindHistoryABC")));

    findEdit->setText(QStringLiteral("O'Neil"));
    panel->SearchPriceHistory();
    EXPECT_EQ(resultNames().size(), 2);
    panel->showPriceList(supplier, true); // shown again with text in the box: searched again
    EXPECT_EQ(resultNames().size(), 2);

    loadsGrid->setCurrentCell(2, 0);
    panel->DBGrid_PriceHistory2DblClick(); // one load, the box emptied
    EXPECT_TRUE(findEdit->text().isEmpty());
    EXPECT_EQ(resultNames(), (QStringList{QStringLiteral("Арбуз"), QStringLiteral("Яблоко")}));
    EXPECT_TRUE(questions.isEmpty());
}

TEST_F(PanelTest, DeletingTheNewestMakesTheNextOlderCurrent)
{
    clickSwitch(true);
    loadsGrid->setCurrentCell(0, 0);
    panel->Button_PriceHistoryDelClick(); // No: kept
    ASSERT_EQ(questions.size(), 1);
    EXPECT_EQ(questions[0], QStringLiteral("Удалить прайс \"03.03.2025 10:15:30\" из базы?"));
    EXPECT_EQ(loadsGrid->rowCount(), 3);

    // The result grid lists every stored offer; the deleted load's leave it
    // at once.
    panel->Button_FindHistoryClick();
    ASSERT_EQ(resultNames().size(), 8);
    const double newest = loadsGrid->item(0, 0)->data(Qt::UserRole).toDouble();
    answer = true;
    loadsGrid->setCurrentCell(0, 0);
    panel->Button_PriceHistoryDelClick();
    ASSERT_EQ(loadsGrid->rowCount(), 2);
    EXPECT_EQ(loadsGrid->currentRow(), 0);
    EXPECT_EQ(loadsGrid->item(0, 0)->text(), QStringLiteral("02.03.2025 10:15:30"));
    EXPECT_EQ(stored(kSupplier), 5);
    ASSERT_EQ(resultNames().size(), 5);
    for (int r = 0; r < 5; ++r)
        EXPECT_NE(panel->resultModel()->rowAt(r)->dates, newest);

    // The grid showing one load: deleting it leaves the grid empty.
    loadsGrid->setCurrentCell(1, 0);
    panel->DBGrid_PriceHistory2DblClick();
    ASSERT_FALSE(resultNames().isEmpty());
    panel->Button_PriceHistoryDelClick();
    EXPECT_EQ(loadsGrid->rowCount(), 1);
    EXPECT_TRUE(resultNames().isEmpty());
}

TEST_F(PanelTest, SwitchingOffAsksOnlyWhenLoadsAreStored)
{
    supplier = QStringLiteral("Пустой");
    clickSwitch(false);
    EXPECT_TRUE(questions.isEmpty());

    supplier = kSupplier;
    clickSwitch(false); // No: kept
    ASSERT_EQ(questions.size(), 1);
    EXPECT_EQ(questions[0], ClearHistoryQuestion(kSupplier));
    EXPECT_TRUE(panel->historyPanel()->isHidden());
    EXPECT_EQ(stored(kSupplier), 8);
    answer = true;
    panel->Button_FindHistoryClick();
    ASSERT_FALSE(resultNames().isEmpty());
    clickSwitch(false);
    EXPECT_EQ(stored(kSupplier), 0);
    EXPECT_TRUE(resultNames().isEmpty());
    EXPECT_EQ(stored(QStringLiteral("Другой")), 1);

    supplier.clear(); // no price list shown: nothing happens
    panel->Button_FindHistoryClick();
    panel->ClearPriceHistory(QString(), 0);
    EXPECT_EQ(questions.size(), 2);
}

TEST_F(PanelTest, ChoosingAFoundRowNarrowsThenSearchesTheOffers)
{
    clickSwitch(true);
    QSignalSpy goodsSearch(panel.get(), &PriceHistoryPanel::goodsSearchRequested);
    findEdit->setText(QStringLiteral("я"));
    panel->SearchPriceHistory();
    ASSERT_EQ(resultNames().size(), 3);
    resultGrid->setCurrentIndex(panel->resultModel()->index(0, 0));
    panel->DBGrid_FindHistoryDblClick();
    EXPECT_EQ(findEdit->text(), QStringLiteral("Яблоко"));
    EXPECT_EQ(goodsSearch.count(), 0);
    resultGrid->setCurrentIndex(panel->resultModel()->index(0, 0));
    QTest::keyClick(resultGrid, Qt::Key_Return); // Enter chooses as a double-click does
    ASSERT_EQ(goodsSearch.count(), 1);
    EXPECT_EQ(goodsSearch.at(0).at(0).toString(), QStringLiteral("Яблоко"));
}

TEST_F(PanelTest, ResultRowsAreReadAsTheGridScrolls)
{
    for (int i = 0; i < 500; ++i)
        add(kSupplier, QStringLiteral("M-%1").arg(i), QStringLiteral("Много %1").arg(i), loads[1]);
    clickSwitch(true);
    findEdit->setText(QStringLiteral("Много"));
    panel->SearchPriceHistory();
    HistoryResultModel* model = panel->resultModel();
    EXPECT_EQ(model->rowCount(), 200);
    ASSERT_TRUE(model->canFetchMore({}));
    model->fetchMore({});
    model->fetchMore({});
    EXPECT_EQ(model->rowCount(), 500);
    EXPECT_FALSE(model->canFetchMore({}));
}

} // namespace
} // namespace velmora::history::test
