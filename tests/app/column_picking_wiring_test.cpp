// Picking columns in the wired program: every window that picks them opens
// the workbook in a sheet view that belongs to it (a tool window, which the
// window manager keeps above its owner) and takes clicks while the window
// waits modally; a click on D5 there and the window's "..." set its column
// choice to D. Clicks go through the window system, as a user's do, so a
// view that a modal window blocked would not take them.
#include "app/program.h"
#include "app_environment.h"
#include "app_test_support.h"
#include "wired_installation.h"
#include "../catalogue/sheet_fixtures.h"

#include "platform/spreadsheet/view/sheet_view.h"
#include "suppliers/setup/price_list_setup_tab.h"
#include "suppliers/setup/sheet_settings.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QWindow>

using namespace velmora;
using namespace velmora::testing;

namespace {

const auto* const applicationEnvironment = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

constexpr int kSetupPage = 7;

// A supplier's workbook with its prices in column D from row 5.
QString writeSupplierBook(const QString& path)
{
    SheetRows rows = {{QStringLiteral("Прайс ООО Альфа")}, {}, {},
                      {QStringLiteral("Код"), QStringLiteral("Группа"), QStringLiteral("Товар"), QStringLiteral("Цена"),
                       QStringLiteral("Остаток")}};
    for (int i = 1; i <= 3; ++i)
        rows.push_back({QStringLiteral("A-%1").arg(i), QStringLiteral("Мыши"), QStringLiteral("Мышь %1").arg(i),
                        100.0 + i, double(i)});
    writeXlsx(path, {{QStringLiteral("Прайс"), rows}});
    return path;
}

// A left click as the window system delivers it: to the widget's window,
// through its modality check, then to the widget under the point.
void systemClick(QWidget* widget, const QPoint& at)
{
    QWindow* window = widget->window()->windowHandle();
    ASSERT_NE(window, nullptr);
    QTest::mouseClick(window, Qt::LeftButton, {}, widget->mapTo(widget->window(), at));
}

void systemClick(QWidget* widget) { systemClick(widget, widget->rect().center()); }

// The view is shown as a window of `owner`'s window, which keeps it above.
void expectAboveItsOwner(sheet::SheetView* view, QWidget* owner)
{
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view));
    EXPECT_TRUE(view->isVisible());
    EXPECT_EQ(view->windowType(), Qt::Tool);
    ASSERT_NE(view->windowHandle(), nullptr);
    EXPECT_EQ(view->windowHandle()->transientParent(), owner->window()->windowHandle());
}

// The sheet view on the screen, wherever it belongs.
sheet::SheetView* shownSheetView()
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* view = qobject_cast<sheet::SheetView*>(window); view && view->isVisible())
            return view;
    return nullptr;
}

void clickCell(sheet::SheetView* view, int row, int column)
{
    auto* grid = view->findChild<QTableView*>(QStringLiteral("TableView_Sheet"));
    ASSERT_NE(grid, nullptr);
    const QModelIndex index = grid->model()->index(row - 1, column - 1);
    grid->scrollTo(index);
    ASSERT_NO_FATAL_FAILURE(systemClick(grid->viewport(), grid->visualRect(index).center()));
    EXPECT_EQ(view->currentCell().row, row);
    EXPECT_EQ(view->currentCell().column, column);
}

template <typename Widget>
Widget* control(QWidget* window, const QString& name)
{
    auto* widget = window->findChild<Widget*>(name);
    EXPECT_NE(widget, nullptr) << name.toStdString();
    return widget;
}

struct PickingWindow {
    const char* command;    // the menu command that opens it
    const char* window;     // its objectName
    const char* columnList; // a column choice ...
    const char* pick;       // ... and its "..."
    int page;               // the page holding them (-1: no pages)
};

TEST(WiredColumnPicking, EveryModalPickingWindowTakesTheColumnOfACellClickedInItsSheetView)
{
    const PickingWindow windows[] = {
        {"ParamImport", "Form_load", "ComboBox_Price", "ComboBox_Price_Pick", -1},
        {"MyPrice", "Form_ExcelSetup", "ComboBox_PriceMax", "Button_SelMaxPrice", 1},
        {"ZakazExcel", "Form_ZakazExcel", "ComboBox_PriceMax", "SpeedButton_PriceMax", -1},
        {"LoadPricePostav", "Form_LoadPricePostav", "ComboBox_PriceMax", "Button_SelMaxPrice", -1},
        {"PostavInvoice", "Form_PostavInvoice", "ComboBox_PriceMax", "Button_SelMaxPrice", -1},
    };
    WiredInstallation inst;
    inst.answer = true; // the catalogue import asks before it opens
    const QString book = writeSupplierBook(inst.program + QStringLiteral("Альфа.xlsx"));
    Program program(inst.options());
    ASSERT_TRUE(program.start());
    Form_main& form = *program.Form_main();
    processEventsFor(100);

    for (const PickingWindow& w : windows) {
        SCOPED_TRACE(w.window);
        QAction* command = form.findChild<QAction*>(QLatin1String(w.command));
        ASSERT_NE(command, nullptr);
        driveModal<QDialog>(form, w.window, [&] { command->trigger(); }, [&](QDialog* window) {
            EXPECT_EQ(QApplication::activeModalWidget(), window);
            control<QLineEdit>(window, QStringLiteral("Edit_Path"))->setText(book);
            control<QToolButton>(window, QStringLiteral("SpeedButton_Path"))->click();
            sheet::SheetView* view = shownSheetView();
            ASSERT_NO_FATAL_FAILURE(expectAboveItsOwner(view, window));
            ASSERT_NO_FATAL_FAILURE(clickCell(view, 5, 4));
            if (w.page >= 0)
                control<QTabWidget>(window, QStringLiteral("PageControl1"))->setCurrentIndex(w.page);
            auto* list = control<QComboBox>(window, QLatin1String(w.columnList));
            ASSERT_NE(list, nullptr);
            list->setCurrentIndex(0);
            ASSERT_NO_FATAL_FAILURE(systemClick(control<QToolButton>(window, QLatin1String(w.pick))));
            EXPECT_EQ(list->currentText(), QStringLiteral("D"));
            // Picking goes on: the view is still there for the next cell.
            EXPECT_TRUE(view->isVisible());
        });
    }
}

// The settings tab's view belongs to the main window; the user clicks a
// cell there and a "..." on the tab, three times in a row, and each pick
// lands while the view stays shown above the main window. A window that
// hides the main window for a while takes the view along.
TEST(WiredColumnPicking, TheSettingsTabTakesThreePicksInARowFromItsSheetView)
{
    WiredInstallation inst;
    const QString book = writeSupplierBook(inst.program + QStringLiteral("Альфа.xlsx"));
    {
        db::Connection priceDb = inst.priceDefaults();
        priceDb.exec(QStringLiteral("INSERT INTO AllPostavSetup (Id, Postavshik, Path, SheetCount, Obrab, PostavVisible,"
                                    " Dates, PriceConversion, Valuta) VALUES (1, 'Альфа', '-', 1, '', 1, 0, 1, 0)"));
    }
    Program program(inst.options());
    ASSERT_TRUE(program.start());
    Form_main& form = *program.Form_main();
    processEventsFor(100);
    auto* tree = control<QTreeWidget>(&form, QStringLiteral("TreeView1"));
    const QList<QTreeWidgetItem*> items = tree->findItems(QStringLiteral("Альфа"), Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1);
    tree->setCurrentItem(items.first());
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(items.first()).center());
    ASSERT_EQ(control<QTabWidget>(&form, QStringLiteral("PageControl_Sootv"))->currentIndex(), kSetupPage);
    auto* tab = control<PriceListSetupTab>(&form, QStringLiteral("PriceListSetupTab"));
    ASSERT_NE(tab, nullptr);
    ASSERT_EQ(tab->currentName(), QStringLiteral("Альфа"));

    // The path typed and Enter: the sheet row is made and the view opens.
    auto* path = control<QLineEdit>(tab, QStringLiteral("Edit_Path"));
    path->setText(book);
    QTest::keyClick(path, Qt::Key_Return);
    ASSERT_EQ(tab->currentSheet(), QStringLiteral("Прайс"));
    auto* scroll = control<QScrollArea>(&form, QStringLiteral("ScrollBox_PostavSetup"));

    const struct {
        int row, column;
        const char* list;
        const char* pick;
        SheetField field;
        const char* letter;
    } picks[] = {
        {5, 4, "ComboBox_Price", "Button_SelMinPrice", SheetField::Price, "D"},
        {6, 3, "ComboBox_Tov", "Button_SelName", SheetField::Tovar, "C"},
        {7, 1, "ComboBox_Art", "Button_SelArt", SheetField::Art, "A"},
    };
    for (const auto& p : picks) {
        SCOPED_TRACE(p.list);
        ASSERT_NO_FATAL_FAILURE(expectAboveItsOwner(tab->sheetView(), &form));
        ASSERT_NO_FATAL_FAILURE(clickCell(tab->sheetView(), p.row, p.column));
        auto* pick = control<QToolButton>(tab, QLatin1String(p.pick));
        scroll->ensureWidgetVisible(pick);
        ASSERT_NO_FATAL_FAILURE(systemClick(pick));
        EXPECT_EQ(control<QComboBox>(tab, QLatin1String(p.list))->currentText(), QLatin1String(p.letter));
        EXPECT_EQ(ReadSheet(form.ADOConnection, QStringLiteral("Альфа"), QStringLiteral("Прайс"))->spec(p.field),
                  p.column);
    }
    EXPECT_TRUE(tab->sheetView()->isVisible());

    // The price updates hide the main window while their workbook is open;
    // the tab's view goes with it and comes back above it, its cell kept.
    QAction* updates = form.findChild<QAction*>(QStringLiteral("LoadPricePostav"));
    ASSERT_NE(updates, nullptr);
    driveModal<QDialog>(form, "Form_LoadPricePostav", [&] { updates->trigger(); }, [&](QDialog* window) {
        control<QLineEdit>(window, QStringLiteral("Edit_Path"))->setText(book);
        control<QToolButton>(window, QStringLiteral("SpeedButton_Path"))->click();
        EXPECT_FALSE(form.isVisible());
        EXPECT_FALSE(tab->sheetView()->isVisible());
    });
    processEventsFor(50);
    ASSERT_TRUE(form.isVisible());
    ASSERT_NO_FATAL_FAILURE(expectAboveItsOwner(tab->sheetView(), &form));
    EXPECT_EQ(tab->sheetView()->currentCell().row, 7);
}

// On the settings page the sheets follow the list's fields with no gap
// (the price history, switched off, takes no room), and leaving the name
// field of a new list moves nothing.
TEST(WiredColumnPicking, TheSheetsFollowTheListsFieldsAndStayWhenTheNameIsLeft)
{
    WiredInstallation inst;
    {
        db::Connection priceDb = inst.priceDefaults();
        priceDb.exec(QStringLiteral("INSERT INTO AllPostavSetup (Id, Postavshik, Path, SheetCount, Obrab, PostavVisible,"
                                    " Dates, PriceConversion, Valuta) VALUES (1, 'Новый прайс-лист', '-', 1, '', 1, 0,"
                                    " 1, 0)"));
    }
    Program program(inst.options());
    ASSERT_TRUE(program.start());
    Form_main& form = *program.Form_main();
    processEventsFor(100);
    auto* tab = control<PriceListSetupTab>(&form, QStringLiteral("PriceListSetupTab"));
    ASSERT_NE(tab, nullptr);
    tab->ShowSelectedPriceList(QStringLiteral("Новый прайс-лист"), 1);
    processEventsFor(50);
    auto* list = control<QGroupBox>(tab, QStringLiteral("GroupBox_PriceList"));
    auto* sheets = control<QGroupBox>(tab, QStringLiteral("GroupBox_Sheets"));
    ASSERT_TRUE(sheets->isVisible());
    const int gap = sheets->mapTo(tab, QPoint(0, 0)).y() - list->mapTo(tab, QPoint(0, list->height())).y();
    EXPECT_LE(gap, 2 * tab->style()->pixelMetric(QStyle::PM_LayoutVerticalSpacing) + 12);
    const int before = sheets->mapTo(tab, QPoint(0, 0)).y();

    auto* name = control<QLineEdit>(tab, QStringLiteral("Edit_PriceList"));
    name->setText(QStringLiteral("Альфа"));
    QTest::keyClick(name, Qt::Key_Return);
    processEventsFor(50);
    ASSERT_EQ(tab->currentName(), QStringLiteral("Альфа"));
    EXPECT_TRUE(control<QWidget>(tab, QStringLiteral("Panel_PostavInfo"))->isVisible());
    EXPECT_EQ(sheets->mapTo(tab, QPoint(0, 0)).y(), before);
}

} // namespace
