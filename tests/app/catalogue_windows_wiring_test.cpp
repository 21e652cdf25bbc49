// The catalogue's workbook windows in the wired program: the own catalogue
// imported from a workbook whose columns are picked in the sheet view,
// then a supplier's price update through the correspondences.
#include "app/main_status_bar.h"
#include "app/program.h"
#include "app_test_support.h"
#include "wired_installation.h"
#include "../catalogue/sheet_fixtures.h"
#include "../common/program_databases.h"

#include "catalogue/ui/form_excel_setup.h"
#include "platform/spreadsheet/view/sheet_picker.h"
#include "catalogue/ui/supplier_file_window.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

using namespace velmora;
using namespace velmora::testing;

namespace {

// The program's application object comes from catalogue_wiring_test.cpp's
// environment, one per test program.

// Clicks the cell (row, column, both from 1) in the window's sheet view,
// then the window's "..." button.
void pick(QWidget* window, sheet::SheetPicker* picker, int row, int column, const char* button)
{
    ASSERT_TRUE(picker->isOpen());
    auto* grid = picker->view()->findChild<QTableView*>(QStringLiteral("TableView_Sheet"));
    ASSERT_NE(grid, nullptr);
    const QModelIndex index = grid->model()->index(row - 1, column - 1);
    grid->scrollTo(index);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
    auto* picked = window->findChild<QToolButton*>(QLatin1String(button));
    ASSERT_NE(picked, nullptr) << button;
    picked->click();
}

template <typename Widget>
Widget* control(QWidget* window, const char* name)
{
    auto* widget = window->findChild<Widget*>(QLatin1String(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

TEST(WiredCatalogueWindows, AnImportWithPickedColumnsFillsTheTreeAndAPriceUpdateFillsTheCombinedPrice)
{
    WiredInstallation inst;
    inst.answer = true;
    const QString catalogueBook = inst.program + QStringLiteral("Каталог.xlsx");
    // Categories in A, groups in B, name in C, price in D, article in E,
    // under a heading row.
    writeXlsx(catalogueBook,
              {{QStringLiteral("Товары"),
                {{QStringLiteral("Категория"), QStringLiteral("Группа"), QStringLiteral("Название"),
                  QStringLiteral("Цена"), QStringLiteral("Код")},
                 {QStringLiteral("Компьютеры"), QStringLiteral("Мыши"), QStringLiteral("Мышь M1"), 10.0,
                  QStringLiteral("M-1")},
                 {QStringLiteral("Компьютеры"), QStringLiteral("Клавиатуры"), QStringLiteral("Клавиатура K1"), 5.0,
                  QStringLiteral("K-1")},
                 {QStringLiteral("Сеть"), QStringLiteral("Кабели"), QStringLiteral("Кабель C1"), 7.0,
                  QStringLiteral("C-1")}}}});
    const QString supplierBook = inst.program + QStringLiteral("Альфа.xlsx");
    writeXlsx(supplierBook, {{QStringLiteral("Прайс"),
                              {{QStringLiteral("Код"), QStringLiteral("Товар"), QStringLiteral("Цена"),
                                QStringLiteral("Остаток")},
                               {QStringLiteral("A-1"), QStringLiteral("Мышь оптическая"), 9.5, 3.0},
                               {QStringLiteral("A-7"), QStringLiteral("Кабель 2 м"), QStringLiteral("6,25"), 2.5}}}});
    {
        db::Connection priceDb = inst.priceDefaults();
        priceDb.exec(QStringLiteral("INSERT INTO postavshik (Postavshik, Obrab, Dates, Obrab_Def) "
                                    "VALUES ('ООО Альфа', 'True', 45000, 'True')"));
    }
    Program program(inst.options());
    ASSERT_TRUE(program.start());
    Form_main& form = *program.Form_main();
    QCoreApplication::processEvents();
    inst.messages.clear();

    QAction* myPrice = form.findChild<QAction*>(QStringLiteral("MyPrice"));
    ASSERT_NE(myPrice, nullptr);
    driveModal<catalogue::Form_ExcelSetup>(form, "Form_ExcelSetup", [&] { myPrice->trigger(); },
                                           [&](catalogue::Form_ExcelSetup* w) {
        control<QLineEdit>(w, "Edit_Path")->setText(catalogueBook);
        control<QToolButton>(w, "SpeedButton_Path")->click();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w->picker()->view()));
        EXPECT_EQ(control<QComboBox>(w, "ComboBox_Sheet")->currentText(), QStringLiteral("Товары"));
        control<QComboBox>(w, "ComboBox_TreeType")->setCurrentIndex(1);
        pick(w, w->picker(), 2, 5, "Button_SelArt");
        pick(w, w->picker(), 2, 3, "Button_SelName");
        pick(w, w->picker(), 2, 4, "Button_SelMaxPrice");
        pick(w, w->picker(), 2, 1, "Button_SetParam1");
        pick(w, w->picker(), 2, 2, "Button_SetParam2");
        pick(w, w->picker(), 2, 3, "Button_StartRow");
        EXPECT_EQ(control<QComboBox>(w, "ComboBox_Art")->currentText(), QStringLiteral("E"));
        EXPECT_EQ(control<QComboBox>(w, "ComboBox_PriceMax")->currentText(), QStringLiteral("D"));
        EXPECT_EQ(control<QLabel>(w, "StaticText_Column2")->text(), QStringLiteral("B"));
        EXPECT_EQ(control<QLineEdit>(w, "Edit_FontName1")->text(), QStringLiteral("Calibri"));
        EXPECT_EQ(control<QComboBox>(w, "ComboBox_StartRow")->currentText(), QStringLiteral("2"));
        control<QPushButton>(w, "Button_Start")->click();
        EXPECT_EQ(control<QLabel>(w, "Label_Info")->text(), QStringLiteral("Добавлено: категорий - 5, товаров - 3"));
    });
    EXPECT_EQ(inst.questions.value(0).left(20), QStringLiteral("Данная функция позво"));
    EXPECT_EQ(inst.messages, QStringList{"Добавлено: категорий - 5, товаров - 3"});

    // The main window shows the new tree and totals.
    auto* tree = form.findChild<QTreeWidget*>(QStringLiteral("TreeView_Groups"));
    ASSERT_NE(tree, nullptr);
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), QStringLiteral("Компьютеры"));
    EXPECT_EQ(tree->topLevelItem(1)->text(0), QStringLiteral("Сеть"));
    tree->topLevelItem(0)->setExpanded(true);
    ASSERT_EQ(tree->topLevelItem(0)->childCount(), 2);
    EXPECT_EQ(tree->topLevelItem(0)->child(1)->text(0), QStringLiteral("Клавиатуры"));
    EXPECT_EQ(mainStatusText(form, 0), QStringLiteral("Всего товаров - 3   Активных - 3"));

    // The supplier's items stand for goods 1 (the mouse) and 3 (the cable).
    form.ADOConnection.exec(QStringLiteral(
        "INSERT INTO sootv (Code, Art, Tovar, Postavshik, Art_obrab) VALUES "
        "(1, 'A-1', 'Мышь оптическая', 'ООО Альфа', 'True'), (3, 'A-7', 'Кабель 2 м', 'ООО Альфа', 'True');"
        "INSERT INTO svod (Art, Tovar, Price, Pricemax, Postavshik, Code_sootv, Obrab, Dates, Garant, Sklad) "
        "VALUES ('A-1', 'Мышь оптическая', 12, 12, 'ООО Альфа', 1, 'True', 40000, '', '')"));

    QAction* update = form.findChild<QAction*>(QStringLiteral("LoadPricePostav"));
    ASSERT_TRUE(update && update->isEnabled());
    driveModal<catalogue::Form_LoadPricePostav>(form, "Form_LoadPricePostav", [&] { update->trigger(); },
                                                [&](catalogue::Form_LoadPricePostav* w) {
        EXPECT_EQ(control<QComboBox>(w, "ComboBox_NamePostav")->currentText(), QStringLiteral("ООО Альфа"));
        control<QLineEdit>(w, "Edit_Path")->setText(supplierBook);
        control<QToolButton>(w, "SpeedButton_Path")->click();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w->picker()->view()));
        pick(w, w->picker(), 2, 1, "Button_SelArt");
        pick(w, w->picker(), 2, 2, "Button_SelName");
        pick(w, w->picker(), 2, 3, "Button_SelMaxPrice");
        pick(w, w->picker(), 2, 4, "Button_SelSklad");
        pick(w, w->picker(), 2, 1, "Button_StartRow");
        control<QPushButton>(w, "Button1")->click();
        EXPECT_EQ(control<QLabel>(w, "Label_Info")->text(), QStringLiteral("Обновлены цены по 1 товарам из  2"));
    });
    // The order page is shown again with its lines.
    auto* pages = form.findChild<QTabWidget*>(QStringLiteral("PageControl_Sootv"));
    ASSERT_NE(pages, nullptr);
    EXPECT_EQ(pages->currentWidget()->objectName(), QStringLiteral("TabSheet_Zakaz"));
    const qint64 today = form.ADOConnection.scalar(QStringLiteral("SELECT CAST(julianday(date('now', 'localtime')) - julianday('1899-12-30') AS INTEGER)")).toLongLong();
    EXPECT_EQ(queryRows(form.ADOConnection,
                        QStringLiteral("SELECT Code_sootv, Price, Pricemax, Sklad, Obrab, Dates = %1 FROM svod "
                                       "ORDER BY Code_sootv").arg(today)),
              (QStringList{"1|9.5|9.5|3|True|1", "3|6.25|6.25|2,5|True|1"}));
    form.close();
}

} // namespace
