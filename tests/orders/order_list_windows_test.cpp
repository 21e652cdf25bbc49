// The windows of the order list offscreen: the import window with its sheet
// view, the distribution window and the comparison sheet's window, found by
// name and driven as a user would, on real databases and templates.
#include "order_test_support.h"
#include "widget_test_environment.h"

#include "orders/comparison_sheet.h"
#include "orders/order_rate.h"
#include "orders/ui/form_postav_zakaz.h"
#include "orders/ui/form_setup_svod.h"
#include "orders/ui/form_zakaz_excel.h"
#include "platform/files/cp1251.h"
#include "platform/spreadsheet/handover.h"
#include "storage/settings_store.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTableWidget>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

namespace velmora::orders {
namespace {

using test::OrderFolder;
using test::WriteWorkbook;

[[maybe_unused]] ::testing::Environment* const qtEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::WidgetTestEnvironment);

template <typename W>
W* child(QWidget* window, const char* name)
{
    W* w = window->findChild<W*>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

// A real mouse click on a cell of a grid (row and column from 0).
void clickGrid(QTableView* grid, int row, int column, bool twice = false)
{
    const QModelIndex index = grid->model()->index(row, column);
    ASSERT_TRUE(index.isValid()) << row << "," << column;
    grid->scrollTo(index);
    const QPoint at = grid->visualRect(index).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    if (twice)
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
}

// What the windows told the program around them.
struct Recorded {
    QStringList errors;
    QStringList messages;
    QStringList handedOver;
    QStringList imported; // number text, "+" when added to the order
    QList<bool> mainHidden;
};

struct ImportWindowFixture {
    OrderFolder folder;
    Recorded seen;
    QString workbook = folder.program + QStringLiteral("Заказ клиента.xlsx");
    QString ini = folder.program + QStringLiteral("SetupPriceList.ini");
    std::unique_ptr<Form_ZakazExcel> window;

    ImportWindowFixture()
    {
        folder.addOwnGood(1, QStringLiteral("M-1"), QStringLiteral("Монитор"), 100, 15);
        // The quantity stands in D and the price in E, the name in C.
        WriteWorkbook(workbook, {{QStringLiteral("Код"), QStringLiteral("Наименование"), QStringLiteral("Кол-во"),
                                  QStringLiteral("Цена")},
                                 {QStringLiteral("M-1"), QStringLiteral("Монитор"), 2.0, 120.0},
                                 {QStringLiteral("X-9"), QStringLiteral("Неизвестный"), 1.0, 5.0}},
                       QStringLiteral("Заказ"));
        QFile file(ini);
        file.open(QIODevice::WriteOnly);
        file.write(encodeCp1251(QStringLiteral("[Zakaz]\r\nZakazNumber=6\r\n")));
        file.close();
        open();
    }

    void open()
    {
        ZakazExcelEnvironment env;
        env.orderDb = &folder.order;
        env.priceDb = &folder.price;
        env.programFolder = folder.program;
        env.priceListIniPath = [this] { return ini; };
        env.roundDigits = [] { return 0; };
        env.openFileName = [this](QWidget*, const QString&) { return workbook; };
        env.setMainWindowHidden = [this](bool hidden) { seen.mainHidden << hidden; };
        env.orderImported = [this](const QString& number, bool added) {
            seen.imported << number + (added ? QStringLiteral("+") : QString());
        };
        env.handOver = [this](const QString& path) { seen.handedOver << path; };
        env.error = [this](const QString& text) { seen.errors << text; };
        window = std::make_unique<Form_ZakazExcel>(std::move(env));
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    void pick(int row, int column, const char* button)
    {
        QTableView* grid = window->sheetView()->findChild<QTableView*>();
        ASSERT_NE(grid, nullptr);
        clickGrid(grid, row - 1, column - 1);
        child<QToolButton>(window.get(), button)->click();
    }
};

TEST(ImportWindow, AWorkbookPickedInTheSheetViewIsLoadedIntoTheOrder)
{
    ImportWindowFixture f;
    Form_ZakazExcel* w = f.window.get();
    EXPECT_TRUE(w->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(child<QWidget>(w, "Panel_Load")->isVisible());
    // The defaults: article in B, name C, price D, quantity E.
    EXPECT_EQ(child<QComboBox>(w, "ComboBox_Art")->currentText(), QStringLiteral("B"));
    EXPECT_EQ(child<QComboBox>(w, "ComboBox_Zakaz")->currentText(), QStringLiteral("E"));

    // No path yet: the file dialog gives the workbook, the sheet view shows it.
    child<QToolButton>(w, "SpeedButton_Path")->click();
    ASSERT_NE(w->sheetView(), nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w->sheetView()));
    EXPECT_EQ(f.seen.mainHidden, QList<bool>{true});
    EXPECT_EQ(child<QComboBox>(w, "ComboBox_Sheet")->currentText(), QStringLiteral("Заказ"));

    f.pick(2, 1, "SpeedButton_Art");
    f.pick(2, 2, "SpeedButton_Tov");
    f.pick(2, 3, "SpeedButton_Zakaz");
    f.pick(3, 4, "SpeedButton_PriceMax");
    f.pick(2, 4, "SpeedButton_StartRow");
    EXPECT_EQ(child<QComboBox>(w, "ComboBox_Art")->currentText(), QStringLiteral("A"));
    EXPECT_EQ(child<QComboBox>(w, "ComboBox_Tov")->currentText(), QStringLiteral("B"));
    EXPECT_EQ(child<QComboBox>(w, "ComboBox_Zakaz")->currentText(), QStringLiteral("C"));
    EXPECT_EQ(child<QComboBox>(w, "ComboBox_PriceMax")->currentText(), QStringLiteral("D"));
    EXPECT_EQ(child<QComboBox>(w, "ComboBox_StartRow")->currentText(), QStringLiteral("2"));
    EXPECT_TRUE(child<QRadioButton>(w, "RadioButton_SelArtZakaz")->isChecked());
    // No article column: matching goes by name.
    QComboBox* art = child<QComboBox>(w, "ComboBox_Art");
    art->setCurrentIndex(0);
    emit art->activated(0);
    EXPECT_TRUE(child<QRadioButton>(w, "RadioButton_SelTovarZakaz")->isChecked());
    f.pick(2, 1, "SpeedButton_Art");
    EXPECT_TRUE(child<QRadioButton>(w, "RadioButton_SelArtZakaz")->isChecked());

    child<QPushButton>(w, "Button1")->click();
    EXPECT_EQ(f.seen.errors, QStringList());
    EXPECT_EQ(child<QLabel>(w, "Label_Info")->text(), QStringLiteral("Загружено в заказ: 1 из  2"));
    EXPECT_EQ(f.seen.imported, QStringList{"00007"});
    // The order tab prices in roubles at 30 by default: 115 × 30.
    EXPECT_EQ(f.folder.price.scalar(QStringLiteral("SELECT Price_1 || '/' || PriceOut || '/' || Quantity FROM Zakaz")).toString(),
              QStringLiteral("115.0/3450.0/2"));
    auto* exportButton = child<QPushButton>(w, "BitBtn_ExportNoTovar");
    ASSERT_TRUE(exportButton->isVisible());

    // The goods not loaded go to their workbook; the window closes and the
    // main window comes back.
    exportButton->click();
    ASSERT_EQ(f.seen.handedOver.size(), 1);
    EXPECT_TRUE(QFileInfo::exists(f.seen.handedOver[0]));
    EXPECT_EQ(QFileInfo(f.seen.handedOver[0]).fileName(), QStringLiteral("Не найденные товары.xlsx"));
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(f.seen.mainHidden, (QList<bool>{true, false}));
}

TEST(ImportWindow, SettingsAreStoredAndAMissingFileIsSaid)
{
    ImportWindowFixture f;
    Form_ZakazExcel* w = f.window.get();
    child<QLineEdit>(w, "Edit_Path")->setText(f.folder.program + QStringLiteral("нет.xlsx"));
    child<QComboBox>(w, "ComboBox_Zakaz")->setCurrentIndex(3);
    child<QCheckBox>(w, "CheckBox_PriceZakaz")->setChecked(true);
    child<QPushButton>(w, "Button_SaveZakazExcel")->click();
    EXPECT_EQ(child<QLabel>(w, "Label_Info")->text(), QStringLiteral("Настройки сохранены в базе данных."));
    EXPECT_EQ(ReadSetting(f.folder.order, QStringLiteral("ComboBox_Zakaz_ZakazExcel"), QStringLiteral("TypeInteger"),
                          QStringLiteral("5"))
                  .toInt(),
              3);

    child<QPushButton>(w, "Button1")->click();
    EXPECT_EQ(child<QLabel>(w, "Label_Info")->text(), QStringLiteral("Указанный файл не существует!"));
    EXPECT_TRUE(child<QPushButton>(w, "Button_Close")->isEnabled());
    EXPECT_TRUE(f.seen.imported.isEmpty());

    // A new window shows what was stored.
    f.window->close();
    f.open();
    EXPECT_EQ(child<QComboBox>(f.window.get(), "ComboBox_Zakaz")->currentIndex(), 3);
    EXPECT_TRUE(child<QCheckBox>(f.window.get(), "CheckBox_PriceZakaz")->isChecked());
    EXPECT_EQ(child<QLineEdit>(f.window.get(), "Edit_Path")->text(), f.folder.program + QStringLiteral("нет.xlsx"));
}

// The distribution window over the folder's order list, shown.
std::unique_ptr<Form_PostavZakaz> openDistribution(OrderFolder& folder, Recorded& seen)
{
    PostavZakazEnvironment env;
    env.priceDb = &folder.price;
    env.orderDb = &folder.order;
    env.programFolder = folder.program;
    env.roundDigits = [] { return 2; };
    env.kursRub = [] { return 30.0; };
    env.orderNumberText = [] { return QStringLiteral("00007"); };
    env.handOver = [&seen](const QString& path) { seen.handedOver << path; };
    env.message = [&seen](const QString& text) { seen.messages << text; };
    env.error = [&seen](const QString& text) { seen.errors << text; };
    auto window = std::make_unique<Form_PostavZakaz>(std::move(env));
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    return window;
}

// An order of three goods over three suppliers.
struct DistributionWindowFixture {
    OrderFolder folder;
    Recorded seen;
    std::unique_ptr<Form_PostavZakaz> window;

    DistributionWindowFixture()
    {
        folder.addOwnGood(10, QStringLiteral("OWN-10"), QStringLiteral("Монитор"), 80);
        folder.addZakaz(1, 10, QStringLiteral("Монитор"), 3, 90);
        folder.addZakaz(2, 20, QStringLiteral("Мышь"), 10, 5);
        folder.addZakaz(3, 30, QStringLiteral("Кабель"), 1, 1);
        folder.addSvod(10, QStringLiteral("Альфа"), 100, QStringLiteral("3"));
        folder.addSvod(10, QStringLiteral("Бета"), 110, QStringLiteral("5"));
        folder.addSvod(20, QStringLiteral("Бета"), 4, QStringLiteral("6"));
        // The order's prices in dollars: the purchase prices as they stand.
        StorePricesInRoubles(folder.order, false);
        open();
    }

    void open() { window = openDistribution(folder, seen); }

    QString units(qint64 code) { return folder.unitsOf(code); }
};

TEST(ImportWindow, AfterAnImportTheDistributionSumsAreInTheOrderTabsCurrency)
{
    struct Case {
        bool roubles; // "рубли" on the order tab, at the dollar rate 30
        const char* purchase;
        const char* sale;
        const char* income;
    };
    // Two monitors: Price_1 100 with Nacen 15 is 115 each, bought from
    // Альфа at 100 each. In dollars 2 × 100 = 200, 2 × 115 = 230, +30; in
    // roubles each × 30: 6000, 6900, +900.
    const Case cases[] = {{true, "6000", "6900", "900"}, {false, "200", "230", "30"}};
    for (const Case& c : cases) {
        ImportWindowFixture f;
        StorePricesInRoubles(f.folder.order, c.roubles);
        StoreDollarRateText(f.folder.order, QStringLiteral("30"), 0);
        f.folder.addSvod(1, QStringLiteral("Альфа"), 100, QStringLiteral("5"));
        Form_ZakazExcel* w = f.window.get();
        child<QLineEdit>(w, "Edit_Path")->setText(f.workbook);
        child<QComboBox>(w, "ComboBox_StartRow")->setCurrentIndex(1);
        child<QComboBox>(w, "ComboBox_Art")->setCurrentIndex(1);
        child<QComboBox>(w, "ComboBox_Tov")->setCurrentIndex(2);
        child<QComboBox>(w, "ComboBox_Zakaz")->setCurrentIndex(3);
        child<QComboBox>(w, "ComboBox_PriceMax")->setCurrentIndex(4);
        child<QPushButton>(w, "Button1")->click();
        ASSERT_EQ(child<QLabel>(w, "Label_Info")->text(), QStringLiteral("Загружено в заказ: 1 из  2"));
        w->close();

        Recorded seen;
        std::unique_ptr<Form_PostavZakaz> distribution = openDistribution(f.folder, seen);
        EXPECT_EQ(child<QLineEdit>(distribution.get(), "Edit_SumPokupky")->text(), QLatin1String(c.purchase));
        EXPECT_EQ(child<QLineEdit>(distribution.get(), "Edit_SumProdazhy")->text(), QLatin1String(c.sale));
        EXPECT_EQ(child<QLineEdit>(distribution.get(), "Edit_Doxod")->text(), QLatin1String(c.income));
        // The export page's row of Альфа says the same.
        child<QTabWidget>(distribution.get(), "PageControl_PostavZakaz")->setCurrentIndex(1);
        auto* rows = child<QTableWidget>(distribution.get(), "Grid_PostavExport");
        ASSERT_EQ(rows->rowCount(), 1);
        EXPECT_EQ(rows->item(0, 1)->text(), QLatin1String(c.purchase));
        EXPECT_EQ(rows->item(0, 2)->text(), QLatin1String(c.sale));
        EXPECT_EQ(rows->item(0, 3)->text(), QLatin1String(c.income));
        EXPECT_EQ(seen.errors, QStringList());
    }
}

TEST(DistributionWindow, UnitsAreGivenByHandAndKeptOnReopening)
{
    DistributionWindowFixture f;
    Form_PostavZakaz* w = f.window.get();
    EXPECT_EQ(f.units(10), QStringLiteral("Альфа=3 Бета=0"));
    EXPECT_EQ(child<QLineEdit>(w, "Edit_SumPokupky")->text(), QStringLiteral("324"));
    EXPECT_EQ(child<QLineEdit>(w, "Edit_SumProdazhy")->text(), QStringLiteral("300"));
    EXPECT_EQ(child<QLineEdit>(w, "Edit_Doxod")->text(), QStringLiteral("-24"));
    auto* noOffer = child<QPushButton>(w, "Button_NoPostav");
    auto* noStock = child<QPushButton>(w, "Button_NoSklad");
    EXPECT_TRUE(noOffer->isVisible());
    EXPECT_EQ(noOffer->text(), QStringLiteral("(1) Поставщики"));
    EXPECT_EQ(noStock->text(), QStringLiteral("(1) Склад"));

    // The goods grid: the monitor at Альфа, the mouse at Бета (short: red).
    auto* goods = child<QTableView>(w, "DBGrid_ZakazTovarSel");
    ASSERT_EQ(goods->model()->rowCount(), 2);
    EXPECT_EQ(goods->model()->index(1, 5).data().toString(), QStringLiteral("Бета"));
    EXPECT_EQ(goods->model()->index(1, 0).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::red));

    // The monitor is fully given: one more unit at Бета is refused.
    auto* offers = child<QTableView>(w, "DBGrid_PostavZakaz");
    clickGrid(goods, 0, 1);
    ASSERT_EQ(offers->model()->rowCount(), 2);
    clickGrid(offers, 1, 1);
    auto* count = child<QComboBox>(w, "ComboBox_TovarCount");
    EXPECT_EQ(count->count(), 1); // only 0
    count->addItem(QStringLiteral("1"));
    count->setCurrentIndex(1);
    child<QPushButton>(w, "Button_SelPostavZakaz")->click();
    EXPECT_EQ(f.seen.messages, QStringList{kTooManyUnitsMessage});
    // Deselecting Альфа (0 units) and giving Бета the three by a double click.
    clickGrid(offers, 0, 1);
    count->setCurrentIndex(0);
    child<QPushButton>(w, "Button_SelPostavZakaz")->click();
    EXPECT_EQ(f.units(10), QStringLiteral("Альфа=- Бета=0"));
    clickGrid(offers, 1, 1);
    EXPECT_EQ(count->currentText(), QStringLiteral("3"));
    clickGrid(offers, 1, 1, true);
    EXPECT_EQ(f.units(10), QStringLiteral("Альфа= Бета=3"));
    EXPECT_EQ(offers->model()->index(1, 1).data(Qt::BackgroundRole).value<QBrush>().color(), QColor(166, 202, 240));

    // Reopening keeps it; the button redoes it.
    w->close();
    f.open();
    EXPECT_EQ(f.units(10), QStringLiteral("Альфа= Бета=3"));
    child<QPushButton>(f.window.get(), "Button_AutoRaspred")->click();
    EXPECT_EQ(f.units(10), QStringLiteral("Альфа=3 Бета=0"));
    EXPECT_EQ(f.seen.errors, QStringList());
}

TEST(DistributionWindow, TheSalePriceIsChangedInItsPanel)
{
    DistributionWindowFixture f;
    Form_PostavZakaz* w = f.window.get();
    auto* goods = child<QTableView>(w, "DBGrid_ZakazTovarSel");
    clickGrid(goods, 0, 1, true);
    auto* panel = child<QWidget>(w, "Panel_PriceSetup");
    ASSERT_TRUE(panel->isVisible());
    auto* price = child<QLineEdit>(w, "Edit_PriceSetup");
    EXPECT_EQ(price->text(), QStringLiteral("90"));
    price->clear();
    QTest::keyClicks(price, "95.505");
    EXPECT_EQ(price->text(), QStringLiteral("95,505"));
    child<QPushButton>(w, "Button_PriceSetup")->click();
    EXPECT_DOUBLE_EQ(f.folder.price.scalar(QStringLiteral("SELECT PriceOut FROM Zakaz WHERE Id = 1")).toDouble(), 95.505);
    EXPECT_EQ(child<QLineEdit>(w, "Edit_SumProdazhy")->text(), QStringLiteral("316,52"));
}

TEST(DistributionWindow, TheExportPageWritesOrdersAndTheComparisonSheet)
{
    DistributionWindowFixture f;
    Form_PostavZakaz* w = f.window.get();
    child<QTabWidget>(w, "PageControl_PostavZakaz")->setCurrentIndex(1);
    auto* rows = child<QTableWidget>(w, "Grid_PostavExport");
    ASSERT_EQ(rows->rowCount(), 2);
    EXPECT_EQ(rows->item(0, 0)->text(), QStringLiteral("Альфа"));
    EXPECT_EQ(rows->item(1, 4)->text(), QStringLiteral("1"));
    child<QRadioButton>(w, "RadioButton_AllTovar")->setChecked(true);
    EXPECT_EQ(rows->item(1, 4)->text(), QStringLiteral("2")); // Бета offers both goods

    // Contacts saved for the supplier of a row.
    rows->setCurrentCell(1, 0);
    EXPECT_EQ(child<QComboBox>(w, "ComboBox_Postav")->currentText(), QStringLiteral("Бета"));
    child<QLineEdit>(w, "Edit_Mail")->setText(QStringLiteral("beta@example.ru"));
    child<QPushButton>(w, "Button_SavePostavInfo")->click();
    EXPECT_EQ(f.folder.price.scalar(QStringLiteral("SELECT Mail FROM postav_info WHERE Postavshik = 'Бета'")).toString(),
              QStringLiteral("beta@example.ru"));

    qobject_cast<QPushButton*>(rows->cellWidget(1, 5))->click();
    ASSERT_EQ(f.seen.handedOver.size(), 1);
    EXPECT_TRUE(f.seen.handedOver[0].contains(QStringLiteral("/Orders/")));
    const QStringList cells = test::ReadCells(f.seen.handedOver[0]);
    EXPECT_EQ(test::Cell(cells, "B11"), QStringLiteral("beta@example.ru"));
    EXPECT_EQ(test::Cell(cells, "E14"), QStringLiteral("3"));  // the monitor ordered
    EXPECT_EQ(test::Cell(cells, "E15"), QStringLiteral("10")); // the mouse ordered

    // "Экспорт заявок по ВСЕМ поставщикам": the suppliers given units.
    child<QPushButton>(w, "Button_ExportAll")->click();
    EXPECT_EQ(f.seen.handedOver.size(), 3);

    // The shortage buttons each export their own list.
    child<QPushButton>(w, "Button_NoPostav")->click();
    ASSERT_EQ(f.seen.handedOver.size(), 4);
    EXPECT_EQ(test::Cell(test::ReadCells(f.seen.handedOver[3]), "C5"), QStringLiteral("Кабель"));
    child<QPushButton>(w, "Button_NoSklad")->click();
    ASSERT_EQ(f.seen.handedOver.size(), 5);
    const QStringList shortage = test::ReadCells(f.seen.handedOver[4]);
    EXPECT_EQ(test::Cell(shortage, "C5"), QStringLiteral("Мышь"));
    EXPECT_EQ(test::Cell(shortage, "E5"), QStringLiteral("4"));

    // "Сводный прайс-лист": Бета unchecked, the sheet written; the choice
    // is shown again next time.
    bool seenWindow = false;
    QTimer::singleShot(0, w, [&] {
        auto* svod = w->findChild<QDialog*>(QStringLiteral("Form_SetupSvod"));
        ASSERT_NE(svod, nullptr);
        seenWindow = true;
        auto* list = child<QListWidget>(svod, "CheckListBox_Postav");
        EXPECT_EQ(list->count(), 2);
        list->item(1)->setCheckState(Qt::Unchecked);
        child<QPushButton>(svod, "BitBtn_ExportExcelSvodPrice")->click();
        child<QPushButton>(svod, "Button_Close")->click();
    });
    child<QPushButton>(w, "Button_SvodPrice")->click();
    EXPECT_TRUE(seenWindow);
    EXPECT_EQ(f.seen.errors, QStringList());
    ASSERT_EQ(f.seen.handedOver.size(), 6);
    const QStringList sheetCells = test::ReadCells(f.seen.handedOver[5]);
    EXPECT_EQ(test::Cell(sheetCells, "E4"), QStringLiteral("Альфа"));
    EXPECT_EQ(test::Cell(sheetCells, "H4"), QStringLiteral("Минимальная цена"));

    QTimer::singleShot(0, w, [&] {
        auto* svod = w->findChild<QDialog*>(QStringLiteral("Form_SetupSvod"));
        ASSERT_NE(svod, nullptr);
        auto* list = child<QListWidget>(svod, "CheckListBox_Postav");
        EXPECT_EQ(list->item(0)->checkState(), Qt::Checked);
        EXPECT_EQ(list->item(1)->checkState(), Qt::Unchecked);
        auto* withDate = child<QCheckBox>(svod, "CheckBox_FileDate");
        EXPECT_TRUE(withDate->isChecked());
        EXPECT_FALSE(child<QLineEdit>(svod, "Edit_FileNameSvod")->isEnabled());
        withDate->click();
        EXPECT_TRUE(child<QLineEdit>(svod, "Edit_FileNameSvod")->isEnabled());
        svod->close();
    });
    child<QPushButton>(w, "Button_SvodPrice")->click();
}

} // namespace
} // namespace velmora::orders
