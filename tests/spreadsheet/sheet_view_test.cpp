#include "platform/spreadsheet/sheet_error.h"
#include "platform/spreadsheet/view/sheet_view.h"

#include <QApplication>
#include <QBrush>
#include <QFont>
#include <QSignalSpy>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

namespace velmora::sheet {
namespace {

QString fixture(const char* name)
{
    return QStringLiteral(VELMORA_TEST_DATA "/spreadsheet/") + QString::fromLatin1(name);
}

// Clicks the cell (row, column), both from 1, as the user would.
void clickCell(QTableView* grid, int row, int column)
{
    const QModelIndex index = grid->model()->index(row - 1, column - 1);
    grid->scrollTo(index);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
}

TEST(SheetView, ShowsTheSheetAndReportsTheClickedCell)
{
    SheetView view;
    // Never above the program's own dialogs.
    EXPECT_FALSE(view.windowFlags() & Qt::WindowStaysOnTopHint);
    view.openWorkbook(fixture("sample.xlsx"));
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    auto* grid = view.findChild<QTableView*>(QStringLiteral("TableView_Sheet"));
    auto* tabs = view.findChild<QTabBar*>(QStringLiteral("TabBar_Sheets"));
    ASSERT_NE(grid, nullptr);
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("Второй лист"));
    EXPECT_EQ(grid->model()->headerData(4, Qt::Horizontal).toString(), QStringLiteral("E"));
    EXPECT_EQ(grid->model()->index(1, 1).data().toString(), QStringLiteral("Молоко «Весёлое» 3,2%"));
    EXPECT_EQ(grid->columnSpan(3, 1), 2); // the merged block B4:C4

    QSignalSpy clicked(&view, &SheetView::cellClicked);
    clickCell(grid, 2, 5);
    ASSERT_EQ(clicked.count(), 1);
    const auto cell = clicked.takeFirst().at(0).value<PickedCell>();
    EXPECT_EQ(cell.row, 2);
    EXPECT_EQ(cell.column, 5);
    EXPECT_EQ(cell.value.toText(), QStringLiteral("сайт"));
    EXPECT_EQ(cell.hyperlink, QStringLiteral("http://example.com/a?x=1&y=2"));
    EXPECT_EQ(view.currentCell().column, 5);

    clickCell(grid, 2, 6);
    EXPECT_EQ(view.currentCell().formula, QStringLiteral("=HYPERLINK(\"http://example.com/b\",\"b\")"));

    QSignalSpy shown(&view, &SheetView::sheetShown);
    tabs->setCurrentIndex(1); // the user picks the second tab
    ASSERT_EQ(shown.count(), 1);
    EXPECT_EQ(view.currentSheet(), 2);
    EXPECT_EQ(grid->model()->index(0, 0).data().toString(), QStringLiteral("x"));
    EXPECT_TRUE(view.showSheet(QStringLiteral("Прайс")));
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_FALSE(view.showSheet(3));
}

TEST(SheetView, AFileThatCannotBeReadKeepsWhatWasShown)
{
    SheetView view;
    view.openWorkbook(fixture("sample_lo.xls"), 3);
    auto* grid = view.findChild<QTableView*>(QStringLiteral("TableView_Sheet"));
    EXPECT_EQ(grid->model()->rowCount(), 3); // only the first rows
    EXPECT_THROW(view.openWorkbook(fixture("protected.xls")), SheetError);
    EXPECT_EQ(view.path(), QFileInfo(fixture("sample_lo.xls")).absoluteFilePath());
    EXPECT_EQ(grid->model()->index(1, 0).data().toString(), QStringLiteral("А-001"));
    view.closeWorkbook();
    EXPECT_FALSE(view.hasWorkbook());
    EXPECT_EQ(view.currentCell().isValid(), false);
}

TEST(SheetView, APickedCellCarriesItsLookAndItsColumnsWidth)
{
    for (const char* name : {"styled.xlsx", "styled.xls"}) {
        SCOPED_TRACE(name);
        SheetView view;
        view.openWorkbook(fixture(name));
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        auto* grid = view.findChild<QTableView*>(QStringLiteral("TableView_Sheet"));
        clickCell(grid, 2, 1);
        const PickedCell cell = view.currentCell();
        EXPECT_EQ(cell.value.toText(), QStringLiteral("Мыши"));
        EXPECT_EQ(cell.style.font.name, QStringLiteral("Times New Roman"));
        EXPECT_DOUBLE_EQ(cell.style.font.size, 12);
        EXPECT_TRUE(cell.style.font.italic);
        EXPECT_EQ(cell.style.font.color, Color::fromRgb(0x0000FF));
        ASSERT_TRUE(cell.style.fill.has_value());
        EXPECT_EQ(*cell.style.fill, Color::fromRgb(0xCCFFCC));
        EXPECT_DOUBLE_EQ(cell.columnWidth, 30);
        // The grid draws the look too.
        const QModelIndex heading = grid->model()->index(0, 0);
        EXPECT_TRUE(heading.data(Qt::FontRole).value<QFont>().bold());
        EXPECT_EQ(heading.data(Qt::BackgroundRole).value<QBrush>().color(), QColor(0xFF, 0xFF, 0x00));
        EXPECT_EQ(heading.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(0xFF, 0x00, 0x00));
    }
}

} // namespace
} // namespace velmora::sheet

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen"); // also while ctest lists the tests
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
