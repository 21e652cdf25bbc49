// The catalogue's group and supplier windows offscreen: the main tree's
// node of the goods of no group, the group settings window over its
// thresholds, suppliers and status switches, and the invoice window's
// number cell picked in the sheet view.
#include "catalogue_test_support.h"
#include "sheet_fixtures.h"
#include "../common/program_databases.h"

#include "catalogue/group_settings/group_suppliers.h"
#include "catalogue/group_settings/markup_thresholds.h"
#include "catalogue/group_settings/pricing_switches.h"
#include "catalogue/ui/catalogue_goods_panel.h"
#include "catalogue/ui/catalogue_page.h"
#include "catalogue/ui/form_excel_setup.h"
#include "catalogue/ui/form_group_setup.h"
#include "catalogue/ui/form_shops_script.h"
#include "catalogue/ui/form_view_tovar_sel.h"
#include "catalogue/ui/settings_group_tree.h"
#include "platform/spreadsheet/view/sheet_picker.h"
#include "catalogue/ui/supplier_file_window.h"
#include "storage/settings_store.h"

#include <QAction>
#include <QCheckBox>
#include <QChartView>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableView>
#include <QTableWidget>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

using namespace velmora;
using namespace velmora::catalogue;
using velmora::testing::CatalogueTest;
using velmora::testing::ensureApplication;
using velmora::testing::findControl;

namespace {

class CatalogueWindowsTest : public CatalogueTest {
protected:
    CatalogueWindowsTest() { ensureApplication(); }

    CatalogueWindowEnvironment environment()
    {
        CatalogueWindowEnvironment env;
        env.priceDb = &priceDb;
        env.orderDb = &priceDb;
        env.programFolder = dir.path() + u'/';
        env.message = [this](const QString& text) { messages << text; };
        env.error = [this](const QString& text) { errors << text; };
        env.confirm = [this](const QString& text) {
            questions << text;
            return true;
        };
        return env;
    }

    QStringList messages, errors, questions;
};

TEST_F(CatalogueWindowsTest, GoodsOfNoGroupHaveTheirOwnNodeThatTakesNoGroupCommands)
{
    putGroup(1, 0, 1, QStringLiteral("A"));
    putGood(1, 1, QStringLiteral("В группе"));
    SettingsStore settings(priceDb);
    CatalogueDialogs dialogs;
    dialogs.message = [this](const QString& text) { messages << text; };
    CataloguePage page(priceDb, settings, dialogs);
    page.start();
    ASSERT_EQ(page.tree()->topLevelItemCount(), 1) << "no node while every good has its group";

    putGood(2, 0, QStringLiteral("Без места"));
    putGood(3, 0, QStringLiteral("Ещё без места"));
    page.tree()->LoadGroupTreeRoot();
    ASSERT_EQ(page.tree()->topLevelItemCount(), 2);
    QTreeWidgetItem* node = page.tree()->topLevelItem(1);
    EXPECT_EQ(node->text(0), QStringLiteral("Без группы"));
    page.tree()->setCurrentItem(node);
    EXPECT_TRUE(page.tree()->ungroupedSelected());
    EXPECT_EQ(page.tree()->selectedGroup(), 0);
    auto* list = findControl<QTableView>(page.goods(), "DBGrid_PriceMain");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->model()->rowCount(), 2);

    QMenu* menu = page.tree()->popupMenu();
    emit menu->aboutToShow();
    for (const char* name : {"AddGroup", "DelGroup", "Sort", "NacenGroup", "KatMinPrice"})
        EXPECT_FALSE(menu->findChild<QAction*>(QLatin1String(name))->isEnabled()) << name;
    page.tree()->AddGroupClick();
    page.tree()->DelGroupClick();
    page.Button_MainTovAddClick();
    EXPECT_EQ(messages, QStringList{"Выберите группу товаров"}) << "no new good goes to another group";
    EXPECT_EQ(groups(), QStringList{"1:0:1"});
    EXPECT_EQ(page.tree()->topLevelItemCount(), 2);
}

TEST_F(CatalogueWindowsTest, TheGroupSettingsWindowStoresThresholdsAscendingAndShowsWhoseTheyAre)
{
    addReferenceTree();
    exec(QStringLiteral("INSERT INTO postavshik (Postavshik, Obrab, Dates) VALUES ('Альфа', 'True', 45000), "
                        "('Бета', 'False', 45001)"));
    QList<int> settingsPages;
    Form_GroupSetup window(environment(), [&](int page) { settingsPages << page; });
    window.show();
    EXPECT_EQ(window.GroupSetupCode(), 1);
    EXPECT_EQ(window.tree()->topLevelItemCount(), 2);
    auto* whose = findControl<QLabel>(&window, "StaticText_IndividGr");
    EXPECT_EQ(whose->text(), kGeneralThresholdsText);
    EXPECT_TRUE(whose->styleSheet().contains(QStringLiteral("red")));
    EXPECT_EQ(findControl<QLabel>(&window, "StatusPanel2")->text(), QStringLiteral("НЕТ"));

    const int prices[] = {500, 100, 300, 0, 200};
    const int markups[] = {5, 1, 3, 0, 2};
    for (int k = 0; k < 5; ++k) {
        findControl<QSpinBox>(&window, QStringLiteral("SpinEdit_Porog%1").arg(k + 1).toLatin1())->setValue(prices[k]);
        findControl<QSpinBox>(&window, QStringLiteral("SpinEdit_NacenPor%1").arg(k + 1).toLatin1())->setValue(markups[k]);
    }
    findControl<QPushButton>(&window, "Button_PorogNacenSet")->click();
    EXPECT_EQ(rows(QStringLiteral("SELECT Kategor, Price1, Nacen1, Price2, Nacen2, Price3, Nacen3, Price4, Nacen4, "
                                  "Price5, Nacen5 FROM MinPrice_Nacen")),
              QStringList{"1|0|0|100|1|200|2|300|3|500|5"});
    EXPECT_EQ(questions, QStringList{kUseThresholdsQuestion});
    EXPECT_TRUE(SettingsStore(priceDb).readBoolean(kNacenDopSetting));
    EXPECT_EQ(whose->text(), kOwnThresholdsText);
    EXPECT_TRUE(whose->styleSheet().contains(QStringLiteral("navy")));
    EXPECT_EQ(findControl<QSpinBox>(&window, "SpinEdit_Porog5")->value(), 500);
    auto* chart = findControl<QChartView>(&window, "Chart_Nacen");
    ASSERT_NE(chart, nullptr);
    auto* series = qobject_cast<QLineSeries*>(chart->chart()->series().value(0));
    ASSERT_NE(series, nullptr);
    ASSERT_EQ(series->count(), 7);
    EXPECT_EQ(series->at(6), QPointF(550, 5));

    // A subgroup without thresholds of its own shows the general ones.
    window.tree()->topLevelItem(0)->setExpanded(true);
    window.TreeView_GroupClick(2);
    EXPECT_EQ(whose->text(), kGeneralThresholdsText);

    // A supplier gone from postavshik is gone from the page.
    auto* tabs = findControl<QTabWidget>(&window, "PageControl1");
    auto* suppliers = findControl<QTableWidget>(&window, "DBGrid_Post");
    tabs->setCurrentIndex(2);
    ASSERT_EQ(suppliers->rowCount(), 2);
    exec(QStringLiteral("DELETE FROM postavshik WHERE Postavshik = 'Бета'"));
    tabs->setCurrentIndex(0);
    tabs->setCurrentIndex(2);
    ASSERT_EQ(suppliers->rowCount(), 1);
    EXPECT_EQ(suppliers->item(0, 0)->text(), QStringLiteral("Альфа"));
    suppliers->setCurrentCell(0, 2);
    auto* tick = findControl<QCheckBox>(&window, "DBCheckBox_SootvArt");
    EXPECT_TRUE(tick->isChecked());
    tick->click();
    EXPECT_EQ(suppliers->item(0, 1)->checkState(), Qt::Unchecked);
    findControl<QPushButton>(&window, "Button_PostSet")->click();
    EXPECT_EQ(rows(QStringLiteral("SELECT Kategor, Postavshik, Obrab FROM MinPrice_Group WHERE Kategor = 2")),
              QStringList{"2|Альфа|False"});
    EXPECT_EQ(findControl<QLabel>(&window, "StaticText_IndividPost")->text(), kOwnSuppliersText);

    // A double click on the switches opens the settings on their page.
    SettingsStore(priceDb).write(kKatMinPriceSetting, QStringLiteral("TypeBoolean"), QStringLiteral("-1"));
    SettingsStore(priceDb).write(kKatNacenSetting, QStringLiteral("TypeBoolean"), QStringLiteral("-1"));
    auto* status = findControl<QStatusBar>(&window, "StatusBar1");
    QTest::mouseDClick(status, Qt::LeftButton);
    EXPECT_EQ(settingsPages, QList<int>{1});
    EXPECT_EQ(findControl<QLabel>(&window, "StatusPanel2")->text(), QStringLiteral("ДА"));
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
}

TEST_F(CatalogueWindowsTest, TheInvoiceWindowTakesTheNumberCellsAddressAndExportsOnlyWithLines)
{
    exec(QStringLiteral("INSERT INTO postavshik (Postavshik, Obrab, Dates) VALUES ('Альфа', 'True', 45000)"));
    const QString book = dir.filePath(QStringLiteral("накладная.xlsx"));
    std::vector<QVariant> numberRow(52);
    numberRow[51] = QStringLiteral("№ 41");
    const velmora::testing::SheetRows sheet{{QStringLiteral("Арт"), QStringLiteral("Товар"), QStringLiteral("Цена")},
                                   {QStringLiteral("X-1"), QStringLiteral("Нечто"), 0.0},
                                   {},
                                   {},
                                   {},
                                   {},
                                   numberRow};
    velmora::testing::writeXlsx(book, {{QStringLiteral("Лист1"), sheet}});
    Form_PostavInvoice window(environment(), nullptr);
    window.show();
    findControl<QLineEdit>(&window, "Edit_Path")->setText(book);
    findControl<QToolButton>(&window, "SpeedButton_Path")->click();
    ASSERT_TRUE(window.picker()->isOpen());
    auto* grid = window.picker()->view()->findChild<QTableView*>(QStringLiteral("TableView_Sheet"));
    ASSERT_NE(grid, nullptr);
    grid->setCurrentIndex(grid->model()->index(6, 51));
    findControl<QToolButton>(&window, "Button_Number")->click();
    EXPECT_EQ(findControl<QLineEdit>(&window, "Edit_Number")->text(), QStringLiteral("AZ7"));

    // Without a column nothing is read; a sheet of unpriced lines gives no export.
    findControl<QPushButton>(&window, "Button1")->click();
    EXPECT_EQ(findControl<QLabel>(&window, "Label_Info")->text(), QStringLiteral("Не выбраны столбцы для загрузки"));
    grid->setCurrentIndex(grid->model()->index(1, 2));
    findControl<QToolButton>(&window, "Button_SelMaxPrice")->click();
    findControl<QPushButton>(&window, "Button1")->click();
    EXPECT_EQ(findControl<QLabel>(&window, "Label_Info")->text(), kInvoiceLoadedText);
    EXPECT_EQ(window.invoice().number, QStringLiteral("№ 41"));
    EXPECT_EQ(findControl<QLabel>(&window, "Label_All")->text(), QStringLiteral("0"));
    EXPECT_FALSE(findControl<QPushButton>(&window, "Button_ExportInvoice")->isEnabled());

    // The chosen supplier is the one the window offers next time.
    findControl<QPushButton>(&window, "Button_SaveZakazExcel")->click();
    EXPECT_EQ(findControl<QLabel>(&window, "Label_Info")->text(), kSettingsSavedText);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
}

TEST_F(CatalogueWindowsTest, TheImportWindowsLevelRowsTakeThePickedCellsLookAndAskAboutIdenticalOnes)
{
    addReferenceTree();
    bool replaced = false;
    CatalogueWindowEnvironment env = environment();
    env.confirm = [this](const QString& text) {
        questions << text;
        return false;
    };
    Form_ExcelSetup window(env, [&] { replaced = true; });
    window.show();
    findControl<QLineEdit>(&window, "Edit_Path")->setText(QStringLiteral(VELMORA_TEST_DATA "/spreadsheet/styled.xls"));
    findControl<QToolButton>(&window, "SpeedButton_Path")->click();
    ASSERT_TRUE(window.picker()->isOpen());
    EXPECT_EQ(findControl<QComboBox>(&window, "ComboBox_Sheet")->currentText(), QStringLiteral("Прайс"));
    auto* grid = window.picker()->view()->findChild<QTableView*>(QStringLiteral("TableView_Sheet"));
    ASSERT_NE(grid, nullptr);
    const auto pickFor = [&](int row, int column, const char* button) {
        grid->setCurrentIndex(grid->model()->index(row - 1, column - 1));
        findControl<QToolButton>(&window, button)->click();
    };
    pickFor(1, 1, "Button_SetParam1");
    pickFor(1, 1, "Button_SetParam2");
    pickFor(2, 1, "Button_SetParam3");
    EXPECT_EQ(findControl<QLineEdit>(&window, "Edit_FontName1")->text(), QStringLiteral("Arial"));
    EXPECT_EQ(findControl<QLineEdit>(&window, "Edit_FontSize1")->text(), QStringLiteral("14"));
    EXPECT_EQ(findControl<QLabel>(&window, "StaticText_Column1")->text(), QStringLiteral("A"));
    EXPECT_TRUE(findControl<QToolButton>(&window, "SpeedButton_FontBold1")->isChecked());
    EXPECT_FALSE(findControl<QToolButton>(&window, "SpeedButton_FontItalic1")->isChecked());
    EXPECT_EQ(findControl<QFrame>(&window, "Panel_ColorFont1")->palette().color(QPalette::Window), QColor(0xFF0000));
    EXPECT_EQ(findControl<QFrame>(&window, "Panel_Color1")->palette().color(QPalette::Window), QColor(0xFFFF00));
    EXPECT_TRUE(findControl<QToolButton>(&window, "SpeedButton_FontItalic3")->isChecked());
    EXPECT_EQ(findControl<QLineEdit>(&window, "Edit_FontName3")->text(), QStringLiteral("Times New Roman"));

    // Levels 1 and 2 look alike: the milder question, and No writes nothing.
    findControl<QPushButton>(&window, "Button_Start")->click();
    EXPECT_EQ(questions, QStringList{identicalLevelsQuestion(1)});
    EXPECT_FALSE(replaced);
    EXPECT_EQ(groups().size(), 6);

    findControl<QPushButton>(&window, "Button_ClearSetGroup")->click();
    EXPECT_EQ(findControl<QLineEdit>(&window, "Edit_FontName1")->text(), QString());
    EXPECT_EQ(findControl<QLabel>(&window, "StaticText_Column3")->text(), QString());
    EXPECT_FALSE(findControl<QToolButton>(&window, "SpeedButton_FontBold1")->isChecked());
    EXPECT_EQ(identicalLevelPairs(window.levelLooks()), 0);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
}

} // namespace

namespace {

TEST_F(CatalogueWindowsTest, TheViewerListsTheGoodsOfTheTickedConditionsAndEditsTheCurrentOne)
{
    putGroup(1, 0, 1, QStringLiteral("A"));
    putGood(1, 1, QStringLiteral("Без цены"), QStringLiteral("Б-1"), 0);
    putGood(2, 1, QStringLiteral("С ценой"), QStringLiteral("С-2"), 120);
    putGood(3, 1, QStringLiteral("С ценой, без артикула"), QString(), 80);
    QList<qint64> edited;
    Form_ViewTovarSel window(environment(), [&](qint64 code) { edited << code; });
    window.show();
    QAbstractItemModel* list = window.list()->model();
    ASSERT_EQ(list->rowCount(), 2) << "at first the goods with a price";
    EXPECT_FALSE(findControl<QRadioButton>(&window, "CheckBox_Price_1")->isEnabled());

    findControl<QCheckBox>(&window, "CheckBox_Price")->setChecked(true);
    EXPECT_TRUE(findControl<QRadioButton>(&window, "CheckBox_Price_1")->isEnabled());
    findControl<QPushButton>(&window, "Button_Sel")->click();
    ASSERT_EQ(list->rowCount(), 1);
    EXPECT_EQ(list->index(0, 2).data().toString(), QStringLiteral("Без цены"));
    EXPECT_EQ(findControl<QLineEdit>(&window, "DBEdit_Art")->text(), QStringLiteral("Б-1"));

    findControl<QRadioButton>(&window, "CheckBox_Price_2")->setChecked(true);
    findControl<QCheckBox>(&window, "CheckBox_Art")->setChecked(true); // "артикул отсутствует"
    findControl<QPushButton>(&window, "Button_Sel")->click();
    ASSERT_EQ(list->rowCount(), 1);
    EXPECT_EQ(list->index(0, 2).data().toString(), QStringLiteral("С ценой, без артикула"));
    findControl<QPushButton>(&window, "Button_Edit")->click();
    EXPECT_EQ(edited, QList<qint64>{3});
}

} // namespace

namespace {

TEST_F(CatalogueWindowsTest, TheShopScriptWindowRepairsItsTreeAndShowsTheOutputPricesUnderTheirNames)
{
    putGroup(1, 0, 1, QStringLiteral("A"), 1);
    putGroup(2, 1, 1, QStringLiteral("A1"));
    putGroup(3, 1, 2, QStringLiteral("A2"));
    putGroup(4, 1, 4, QStringLiteral("A4"));
    putGood(1, 1, QStringLiteral("Чайник"), QStringLiteral("Ч-1"), 100);
    putGood(2, 4, QStringLiteral("Утюг"), QStringLiteral("У-1"), 50);
    exec(QStringLiteral("UPDATE price_main SET Nacen = 10 WHERE Code = 1"));
    putOutputPriceColumns({0, 5, 10, 20});
    Form_ShopsScript window(environment());
    window.show();
    EXPECT_EQ(window.GroupSetupCode(), 1);
    QTableWidget* goods = window.goods();
    ASSERT_EQ(goods->rowCount(), 1);
    EXPECT_EQ(goods->horizontalHeaderItem(7)->text(), QStringLiteral("Цена 4"));
    QStringList prices;
    for (int c = 4; c < 8; ++c)
        prices << goods->item(0, c)->text();
    EXPECT_EQ(prices, (QStringList{"110", "115.5", "121", "132"}));

    window.tree()->topLevelItem(0)->setExpanded(true);
    ASSERT_EQ(window.tree()->topLevelItem(0)->childCount(), 3);
    EXPECT_EQ(groups(), (QStringList{"1:0:1", "2:1:1", "3:1:2", "4:1:3"})) << "showing the level closed the gap";
    window.TreeView_GroupClick(4);
    ASSERT_EQ(goods->rowCount(), 1);
    EXPECT_EQ(goods->item(0, 1)->text(), QStringLiteral("Утюг"));
}

TEST_F(CatalogueWindowsTest, TheInvoiceWindowExportsTheLoadedInvoiceAndHandsTheWorkbookOver)
{
    exec(QStringLiteral("INSERT INTO postavshik (Postavshik, Obrab, Dates) VALUES ('Альфа', 'True', 45000)"));
    putGood(1, 1, QStringLiteral("Мышь наша"), QStringLiteral("M-1"));
    exec(QStringLiteral("INSERT INTO sootv (Code, Art, Tovar, Postavshik) VALUES (1, 'A1', 'Мышь', 'Альфа')"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VELMORA_PROGRAM_DIR "/invoice.xlsx"), dir.filePath(QStringLiteral("invoice.xlsx"))));
    const QString book = dir.filePath(QStringLiteral("накладная.xlsx"));
    velmora::testing::writeXlsx(book, {{QStringLiteral("Лист1"),
                                        velmora::testing::SheetRows{{QStringLiteral("U1"), QStringLiteral("Коврик"), 5.0, 2.0},
                                                                    {QStringLiteral("A1"), QStringLiteral("Мышь"), 100.0, 1.5}}}});
    QStringList handedOver;
    Form_PostavInvoice window(environment(), [&](const QString& path) { handedOver << path; });
    window.show();
    findControl<QLineEdit>(&window, "Edit_Path")->setText(book);
    findControl<QComboBox>(&window, "ComboBox_Art")->setCurrentIndex(1);
    findControl<QComboBox>(&window, "ComboBox_Tov")->setCurrentIndex(2);
    findControl<QComboBox>(&window, "ComboBox_PriceMax")->setCurrentIndex(3);
    findControl<QComboBox>(&window, "ComboBox_Zakaz")->setCurrentIndex(4);
    findControl<QRadioButton>(&window, "RadioButton_SelArtZakaz")->setChecked(true);
    findControl<QPushButton>(&window, "Button1")->click();
    EXPECT_EQ(findControl<QLabel>(&window, "Label_All")->text(), QStringLiteral("2"));
    EXPECT_EQ(findControl<QLabel>(&window, "Label_k")->text(), QStringLiteral("1"));
    auto* exportButton = findControl<QPushButton>(&window, "Button_ExportInvoice");
    ASSERT_TRUE(exportButton->isEnabled());
    exportButton->click();
    ASSERT_EQ(handedOver.size(), 1);
    EXPECT_TRUE(QFileInfo::exists(handedOver[0]));
    EXPECT_EQ(QFileInfo(handedOver[0]).dir().dirName(), QStringLiteral("Накладные"));
    EXPECT_TRUE(QFileInfo(handedOver[0]).fileName().startsWith(QStringLiteral("Альфа ")));
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
}

} // namespace
