// The program with its subsystem pieces wired into the main window: each
// piece in its place, and one path across pieces per piece on a small
// database.
#include "app/main_status_bar.h"
#include "app/program.h"
#include "app/velmora_application.h"
#include "output/empty_catalogue.h"
#include "output/shop_upload/frm_connection_master.h"
#include "output/shop_upload/shop_data_source.h"
#include "app_environment.h"
#include "app_test_support.h"
#include "wired_installation.h"
#include "platform/spreadsheet/handover.h"
#include "platform/spreadsheet/workbook.h"
#include "suppliers/currency/rate_settings.h"
#include "suppliers/search/goods_card.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QRegularExpression>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>
#include <QWheelEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <functional>

using namespace velmora;
using namespace velmora::testing;

namespace {

const auto* const applicationEnvironment = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);



// Rates fixed in the database, no download: USD 90 roubles.
void fixRatesWithoutDownload(db::Connection& priceDb)
{
    rate_settings::setDownloadEnabled(priceDb, false);
    rate_settings::setSourceSetting(priceDb, 1); // Russia: RUB is the home currency
    rate_settings::setDisplayIndex(priceDb, 2);  // prices shown in RUB
    rate_settings::storeRate(priceDb, 0, 90.0);
}

void addPriceList(db::Connection& priceDb, int id, const QString& name, const QString& path)
{
    db::Statement insert = priceDb.prepare(QStringLiteral(
        "INSERT INTO AllPostavSetup (Id, Postavshik, Path, SheetCount, Obrab, PostavVisible, Dates, PriceConversion,"
        " Valuta) VALUES (?1, ?2, ?3, 1, '', 1, 0, 1, 0)"));
    insert.bindInt(1, id).bindText(2, name).bindText(3, path);
    insert.execute();
}

// One offer quoted in USD, stored at 90 roubles per dollar.
void addUsdOffer(db::Connection& priceDb, const QString& supplier, const QString& name, double usd)
{
    db::Statement offer = priceDb.prepare(QStringLiteral(
        "INSERT INTO AllTovarPostav (Postavshik, Art, Tovar, Price, Pricemax, PriceOut, Sklad, Garant, Description,"
        " TextNoName, Dates, Check_obrab, Check_sootv) VALUES (?1, 'A1', ?2, ?3, ?3, ?3, '', '', '', '', 0, '', '')"));
    offer.bindText(1, supplier).bindText(2, name).bindDouble(3, usd * 90);
    offer.execute();
    db::Statement rate = priceDb.prepare(QStringLiteral(
        "INSERT INTO AllTovarValuta (ID_Tovar, Price, Pricemax, Valuta, PriceConversion, Nacen, Dates)"
        " VALUES (last_insert_rowid(), ?1, ?1, 'USD', 1, 0, 0)"));
    rate.bindDouble(1, usd);
    rate.execute();
}

double storedPrice(const QString& path, const QString& name)
{
    db::Connection connection(path, db::OpenMode::ReadOnly);
    db::Statement select = connection.prepare(QStringLiteral("SELECT Price FROM AllTovarPostav WHERE Tovar = ?1"));
    select.bindText(1, name);
    return select.step() ? select.value(0).toDouble() : -1;
}

// The goods grid's rows as "name|shown price".
QStringList gridRows(Form_main& form)
{
    auto* grid = form.findChild<QTableView*>("DBGrid_Tovar");
    EXPECT_NE(grid, nullptr);
    QStringList rows;
    if (!grid || !grid->model())
        return rows;
    QAbstractItemModel* model = grid->model();
    for (int row = 0; row < model->rowCount(); ++row)
        rows << model->index(row, 1).data().toString() + u'|' + QString::number(model->index(row, 3).data().toDouble());
    return rows;
}

// Types a find text and presses Enter, as a user searches.
void searchFor(Form_main& form, const QString& text)
{
    auto* find = form.findChild<QLineEdit*>("Edit_Find");
    ASSERT_NE(find, nullptr);
    find->setText(text);
    QTest::keyClick(find, Qt::Key_Return);
}

bool isInside(const QWidget* widget, const QWidget* container)
{
    for (const QWidget* w = widget; w; w = w->parentWidget())
        if (w == container)
            return true;
    return false;
}

TEST(WiredProgram, RunsFromAFreshDataFolderWithEveryPieceInItsPlace)
{
    WiredInstallation inst;
    Program program(inst.options());
    ASSERT_TRUE(program.start());
    Form_main& form = *program.Form_main();
    processEventsFor(300);

    struct Placed {
        const char* name;
        const char* container;
    };
    const Placed pieces[] = {
        {"Panel_Valuta", "Panel_Setup"},       {"ComboBox_ValutaName", "Panel_Setup"},
        {"ComboBox_ValutaSite", "Panel_Setup"}, {"Edit_Dollar", "Panel_Setup"},
        {"Panel_LoadPrice", "Panel_AllTovar"},  {"ListBox_LoadPrice", "Panel_AllTovar"},
        {"Button_LoadPrice", "Panel_AllTovar"}, {"CheckBox_AutoExportPrice", "Panel_AllTovar"},
        {"ToolButton_Setup", "ToolBar1"},       {"ToolButton8", "ToolBar1"},
        {"ToolButton_Load", "ToolBar1"},        {"TreeView1", "Panel_AllTovar"},
        {"Panel_SelPostav", "Panel_AllTovar"},  {"DBGrid_Tovar", "Panel_Tovar"},
        {"Edit_Find", "Panel_Tovar"},           {"RadioButton_TovarAll", "Panel_Tovar"},
        {"SpeedButton_AllPostav", "Panel_Tovar"}, {"Panel_TovarViews", "Panel_Tovar"},
        {"Edit_PriceList", "TabSheet_PostavSetup"}, {"Panel_PriceSaveAll", "TabSheet_PostavSetup"},
        {"BitBtn3", "Panel_Setup"},             {"BitBtn1", "Panel_Setup"},
    };
    for (const Placed& piece : pieces) {
        auto* widget = form.findChild<QWidget*>(QLatin1String(piece.name));
        ASSERT_NE(widget, nullptr) << piece.name;
        EXPECT_TRUE(isInside(widget, form.findChild<QWidget*>(QLatin1String(piece.container)))) << piece.name;
    }
    EXPECT_NE(form.findChild<QTimer*>("Timer_ValutaKursUpdate"), nullptr);
    // The administrator's currency controls are enabled.
    EXPECT_TRUE(form.findChild<QWidget*>("ComboBox_ValutaName")->isEnabled());
    EXPECT_NE(form.findChild<QAction*>("About"), nullptr);
    // Start-up hides the goods card and the save panel; with no order to
    // show, the price-list settings are in front.
    EXPECT_TRUE(form.findChild<QWidget*>("Panel_TovarViews")->isHidden());
    EXPECT_TRUE(form.findChild<QWidget*>("Panel_PriceSaveAll")->isHidden());
    EXPECT_EQ(form.findChild<QTabWidget*>("PageControl_Sootv")->currentIndex(), 7);

    // The settings panel opens from its tool button and closes with its X.
    auto* setup = form.findChild<QWidget*>("Panel_Setup");
    EXPECT_TRUE(setup->isHidden());
    form.findChild<QToolButton*>("ToolButton_Setup")->click();
    EXPECT_FALSE(setup->isHidden());
    // "Скрыть панели" hides the whole left panel and brings it back.
    auto* panels = form.findChild<QPushButton*>("BitBtn_NotVisble");
    ASSERT_TRUE(isInside(panels, setup));
    panels->click();
    EXPECT_TRUE(form.findChild<QWidget*>("Panel_AllTovar")->isHidden());
    EXPECT_FALSE(program.globals().PanelsVisible);
    panels->click();
    EXPECT_FALSE(form.findChild<QWidget*>("Panel_AllTovar")->isHidden());
    form.findChild<QPushButton*>("Button4")->click();
    EXPECT_TRUE(setup->isHidden());

    form.close();
    EXPECT_EQ(inst.messages, QStringList{"Скопирована база \"по-умолчанию\"!"});
    EXPECT_TRUE(inst.questions.isEmpty()) << inst.questions.join(" | ").toStdString();
}

TEST(WiredProgram, OtherUsersFindTheLoadQueueLocked)
{
    WiredInstallation inst;
    inst.setUserKey("UserAdminName", "boris");
    Program program(inst.options("anna"));
    ASSERT_TRUE(program.start());
    Form_main& form = *program.Form_main();
    processEventsFor(100);

    EXPECT_FALSE(form.findChild<QWidget*>("ComboBox_ValutaName")->isEnabled());
    inst.messages.clear();
    form.findChild<QToolButton*>("ToolButton8")->click();
    EXPECT_EQ(inst.messages, QStringList{"Опция заблокирована!\rПроверьте настройки."});
    EXPECT_TRUE(form.findChild<QWidget*>("Panel_LoadPrice")->isHidden());
    form.close();
}

TEST(WiredProgram, HandingTheRoleOverLocksTheAdministratorsControls)
{
    WiredInstallation inst;
    Program program(inst.options("anna"));
    ASSERT_TRUE(program.start());
    Form_main& form = *program.Form_main();
    processEventsFor(100);
    ASSERT_TRUE(program.globals().IsLoadAdmin);

    inst.answer = true;
    auto* loadBase = form.findChild<QCheckBox*>("CheckBox_LoadBasePostav");
    ASSERT_NE(loadBase, nullptr);
    loadBase->click();
    EXPECT_FALSE(program.globals().IsLoadAdmin);
    EXPECT_FALSE(form.findChild<QWidget*>("ComboBox_ValutaName")->isEnabled());
    EXPECT_EQ(ReadSetting(form.ADOConnection_Zakaz, "LoadBasePostav", "TypeBoolean", "0").toBool(), false);
    EXPECT_EQ(readBytesAsCp1251(inst.userIni()).contains("UserAdminName=anna"), false);
    form.close();
}

TEST(WiredCurrency, ATypedRateRepricesTheGoods)
{
    WiredInstallation inst;
    {
        db::Connection priceDb = inst.priceDefaults();
        fixRatesWithoutDownload(priceDb);
        addPriceList(priceDb, 1, "Альфа", "-");
        addUsdOffer(priceDb, "Альфа", "Болт", 10);
    }
    Program program(inst.options());
    ASSERT_TRUE(program.start());
    Form_main& form = *program.Form_main();
    processEventsFor(100);
    const QString priceDb = inst.data + "PRICE.vdb";
    ASSERT_DOUBLE_EQ(storedPrice(priceDb, "Болт"), 900);
    searchFor(form, "Болт");
    ASSERT_EQ(gridRows(form), QStringList{"Болт|900"});

    auto* dollar = form.findChild<QLineEdit*>("Edit_Dollar");
    ASSERT_NE(dollar, nullptr);
    dollar->setText("100");
    // The re-pricing timer fires 1500 ms after the change.
    ASSERT_TRUE(waitFor([&] { return storedPrice(priceDb, "Болт") == 1000; }, 5000))
        << storedPrice(priceDb, "Болт");
    EXPECT_TRUE(mainStatusText(form, 1).startsWith("Цены пересчитаны")) << mainStatusText(form, 1).toStdString();
    // The same find text is searched again: the grid shows the new price.
    EXPECT_EQ(gridRows(form), QStringList{"Болт|1000"});
    // The whole title, shown or as the tool tip of its short form.
    EXPECT_EQ(
        form.findChild<QTableView*>("DBGrid_Tovar")->model()->headerData(3, Qt::Horizontal, Qt::ToolTipRole).toString(),
        "Цена (RUB)");
    form.close();
}

// A price list "Бета" read from a CSV file of two offers in roubles, never
// loaded yet, with no export after a load.
void addCsvPriceList(WiredInstallation& inst, int id)
{
    const QString file = inst.root.filePath("prices/Бета.csv");
    QDir().mkpath(QFileInfo(file).path());
    {
        QFile csv(file);
        ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
        csv.write("B1;Гайка;12\r\nB2;Шайба;3\r\n");
    }
    db::Connection priceDb = inst.priceDefaults();
    addPriceList(priceDb, id, "Бета", file);
    db::Statement sheet = priceDb.prepare(QStringLiteral(
        "INSERT INTO AllPostavPage (Postavshik, SheetName, Column_art, Column_Tovar, Column_Price,"
        " Column_Pricemax, Column_Sklad, Column_Garant, Column_Description, Column_TextNoName, Obrab, Nacen,"
        " Valuta, PriceSet, TovarPrefiks) VALUES ('Бета', 'Бета', 1, 2, 3, 0, 0, 0, 0, 0, '', 0, 2, 0, '')"));
    sheet.execute();
    db::Connection orderDb(inst.program + "BaseZakaz.vdb");
    WriteSetting(orderDb, "AutoExportPrice", "TypeBoolean", "False");
}

TEST(WiredLoadQueue, AQueuedLoadRunsOnItsThreadAndReportsInTheStatusBar)
{
    WiredInstallation inst;
    {
        db::Connection priceDb = inst.priceDefaults();
        fixRatesWithoutDownload(priceDb);
    }
    addCsvPriceList(inst, 1);
    Program program(inst.options());
    ASSERT_TRUE(program.start());
    Form_main& form = *program.Form_main();
    // The new-file check after the first showing offers the never-loaded list.
    ASSERT_TRUE(waitFor([&] { return !inst.questions.isEmpty(); }, 30000));
    EXPECT_EQ(inst.questions.first(), "Обновились некоторые прайс-листы.\rДобавить их в очередь загрузки?");

    // The tree filled the queue with every list.
    auto* queue = form.findChild<QListWidget*>("ListBox_LoadPrice");
    auto* button = form.findChild<QPushButton*>("Button_LoadPrice");
    ASSERT_NE(queue, nullptr);
    ASSERT_EQ(queue->count(), 1);
    EXPECT_EQ(queue->item(0)->text(), "Бета");
    searchFor(form, "Гайка");
    EXPECT_TRUE(gridRows(form).isEmpty());
    button->click();
    EXPECT_EQ(button->text(), "Остановить загрузку");
    ASSERT_TRUE(waitForLoadRunEnd(form));
    EXPECT_EQ(button->text(), "Загрузить прайс-листы");
    EXPECT_TRUE(button->isEnabled());
    EXPECT_TRUE(mainStatusText(form, 1).contains("Загрузка и экспорт в Excel успешно завершен!"))
        << mainStatusText(form, 1).toStdString();
    EXPECT_FALSE(mainStatusText(form, 2).isEmpty());
    EXPECT_DOUBLE_EQ(storedPrice(inst.data + "PRICE.vdb", "Гайка"), 12);
    // The grid shows the new goods without another search by the user.
    EXPECT_EQ(gridRows(form), QStringList{"Гайка|12"});
    form.close();
}

TEST(WiredLoadQueue, AQueueEntryShowsItsListAndTheToolBarLoadsTheSelectedOne)
{
    WiredInstallation inst;
    {
        db::Connection priceDb = inst.priceDefaults();
        fixRatesWithoutDownload(priceDb);
        addPriceList(priceDb, 1, "Альфа", "-");
    }
    addCsvPriceList(inst, 2);
    Program program(inst.options());
    ASSERT_TRUE(program.start());
    Form_main& form = *program.Form_main();
    processEventsFor(100);
    auto* name = form.findChild<QLineEdit*>("Edit_PriceList");
    ASSERT_EQ(name->text(), "Альфа");

    // The queue box lists both; a click on an entry shows that list.
    form.findChild<QToolButton*>("ToolButton8")->click(); // the new-file question is answered No
    auto* queue = form.findChild<QListWidget*>("ListBox_LoadPrice");
    ASSERT_EQ(queue->count(), 2);
    QListWidgetItem* beta = queue->item(1);
    QTest::mouseClick(queue->viewport(), Qt::LeftButton, {}, queue->visualItemRect(beta).center());
    EXPECT_EQ(name->text(), "Бета");
    EXPECT_EQ(form.findChild<QTreeWidget*>("TreeView1")->currentItem()->text(0), "Бета");
    EXPECT_EQ(form.findChild<QTabWidget*>("PageControl_Sootv")->currentIndex(), 7);

    searchFor(form, "Гайка");
    ASSERT_TRUE(gridRows(form).isEmpty());
    form.findChild<QToolButton*>("ToolButton_Load")->click();
    // The grid lists the loaded list's offers.
    ASSERT_TRUE(waitFor([&] { return !gridRows(form).isEmpty(); }));
    EXPECT_EQ(gridRows(form), (QStringList{"Шайба|3", "Гайка|12"}));
    // The settings tab counts the new goods.
    auto* info = form.findChild<QLabel*>("StaticText_InfoPrice");
    ASSERT_NE(info, nullptr);
    EXPECT_TRUE(info->text().contains(QRegularExpression("Кол-во товаров:\\s+2"))) << info->text().toStdString();
    EXPECT_TRUE(inst.messages.filter("Бета").isEmpty()) << inst.messages.join(" | ").toStdString();
    form.close();
}

TEST(WiredGoodsSearch, AColumnRenamedFromTheMenuRetitlesTheGrid)
{
    WiredInstallation inst;
    Program program(inst.options());
    ASSERT_TRUE(program.start());
    Form_main& form = *program.Form_main();
    processEventsFor(100);
    QAbstractItemModel* grid = form.findChild<QTableView*>("DBGrid_Tovar")->model();
    ASSERT_EQ(grid->headerData(1, Qt::Horizontal).toString(), "Товар");

    auto* rename = form.findChild<QAction*>("Column_Tovar_Name");
    ASSERT_NE(rename, nullptr);
    // The rename window is modal: it is answered once it is up.
    QTimer::singleShot(0, &form, [&form] {
        auto* window = form.findChild<QDialog*>("Form_Column_Name");
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->findChild<QLineEdit*>("Edit_Column_Name")->text(), "Товар");
        window->findChild<QLineEdit*>("Edit_Column_Name")->setText("Наименование");
        window->findChild<QPushButton*>("Button_Column_Name")->click();
    });
    rename->trigger();
    EXPECT_EQ(grid->headerData(1, Qt::Horizontal).toString(), "Наименование");
    EXPECT_EQ(ReadSetting(form.ADOConnection_Zakaz, "Column_Tovar_Name", "TypeText", "").toString(), "Наименование");
    form.close();
}

TEST(WiredGoodsSearch, TheCardsRefusedLinkIsReportedToTheUser)
{
    WiredInstallation inst;
    Program program(inst.options());
    ASSERT_TRUE(program.start());
    Form_main& form = *program.Form_main();
    processEventsFor(100);
    auto* card = form.findChild<search::GoodsCard*>("Panel_TovarViews");
    ASSERT_NE(card, nullptr);
    search::OfferCard offer;
    offer.textNoName = QStringLiteral("/usr/bin/xterm");
    card->showOffer(offer);
    inst.messages.clear();
    card->SpeedButton_StranaHyperLinkClick();
    EXPECT_EQ(inst.messages, QStringList{search::kLinkFailedMessage + QStringLiteral("/usr/bin/xterm")});
    form.close();
}

// A wheel turn of `delta` (120 a notch, negative towards the user) over
// the widget.
void turnWheel(QWidget* widget, int delta)
{
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    QWheelEvent wheel(at, widget->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(widget, &wheel);
}

TEST(WiredGoodsSearch, TheWheelMovesTheGridsCurrentRowOneRowANotch)
{
    WiredInstallation inst;
    {
        db::Connection priceDb = inst.priceDefaults();
        fixRatesWithoutDownload(priceDb);
        addPriceList(priceDb, 1, "Альфа", "-");
        for (const char* name : {"Болт 1", "Болт 2", "Болт 3"})
            addUsdOffer(priceDb, "Альфа", name, 1);
    }
    Program program(inst.options());
    ASSERT_TRUE(program.start());
    Form_main& form = *program.Form_main();
    processEventsFor(100);
    searchFor(form, "Болт");
    auto* grid = form.findChild<QTableView*>("DBGrid_Tovar");
    ASSERT_EQ(grid->model()->rowCount(), 3);
    ASSERT_EQ(grid->currentIndex().row(), 0);

    turnWheel(grid->viewport(), -120);
    EXPECT_EQ(grid->currentIndex().row(), 1);
    turnWheel(grid->viewport(), -60); // half a notch of a fine wheel: not yet
    EXPECT_EQ(grid->currentIndex().row(), 1);
    turnWheel(grid->viewport(), -60);
    EXPECT_EQ(grid->currentIndex().row(), 2);
    turnWheel(grid->viewport(), 240);
    EXPECT_EQ(grid->currentIndex().row(), 0);
    form.close();
}

TEST(WiredSupplierTree, ChoosingAPriceListShowsItsSettingsAndSearchesFollowTheSelection)
{
    WiredInstallation inst;
    {
        db::Connection priceDb = inst.priceDefaults();
        fixRatesWithoutDownload(priceDb);
        addPriceList(priceDb, 1, "Альфа", "-");
        addPriceList(priceDb, 2, "Гамма", "-");
        addUsdOffer(priceDb, "Альфа", "Болт стальной", 1);
        addUsdOffer(priceDb, "Гамма", "Болт медный", 2);
    }
    Program program(inst.options());
    ASSERT_TRUE(program.start());
    Form_main& form = *program.Form_main();
    processEventsFor(100);

    auto* tree = form.findChild<QTreeWidget*>("TreeView1");
    ASSERT_NE(tree, nullptr);
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    auto* pages = form.findChild<QTabWidget*>("PageControl_Sootv");
    auto* name = form.findChild<QLineEdit*>("Edit_PriceList");
    EXPECT_EQ(name->text(), "Альфа"); // the first list is shown at start

    // A search leaves the empty order page behind; a click on a node
    // brings its settings.
    pages->setCurrentIndex(6);
    searchFor(form, "Болт");
    EXPECT_EQ(gridRows(form).size(), 2);
    EXPECT_EQ(pages->currentIndex(), 7);
    QTreeWidgetItem* gamma = tree->topLevelItem(1);
    const QRect node = tree->visualItemRect(gamma);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, node.center());
    EXPECT_EQ(name->text(), "Гамма");
    EXPECT_EQ(pages->currentIndex(), 7);
    EXPECT_EQ(form.findChild<QLineEdit*>("Edit_idPostav")->text(), "2");

    // Disabling the list on its settings tab drops its goods from the grid.
    auto* disable = form.findChild<QCheckBox*>("CheckBox_PostavDisable");
    ASSERT_NE(disable, nullptr);
    disable->click();
    EXPECT_EQ(gridRows(form), QStringList{"Болт стальной|90"});
    EXPECT_TRUE(program.globals().PriceListSettingsChanged);
    form.close();
}

// The windows of the "Каталог" and "Экспорт" menus: each opens modally from
// its item and works on the program's databases.
TEST(WiredMenus, StockCriteriaAndExportParametersOpenFromTheirMenus)
{
    WiredInstallation inst;
    Program program(inst.options());
    ASSERT_TRUE(program.start());
    Form_main& form = *program.Form_main();
    processEventsFor(100);

    QStringList menus;
    for (QAction* action : form.menuBar()->actions())
        menus << action->text();
    EXPECT_EQ(menus.indexOf("Справка"), menus.size() - 1) << menus.join(", ").toStdString();

    auto* sklad = form.findChild<QAction*>("Sklad");
    ASSERT_NE(sklad, nullptr);
    QTimer::singleShot(0, &form, [&form] {
        auto* window = form.findChild<QDialog*>("Form_Sklad");
        ASSERT_NE(window, nullptr);
        window->findChild<QLineEdit*>("Edit_Yes")->setText("есть");
        window->findChild<QPushButton*>("Button_AddYes")->click();
        window->findChild<QPushButton*>("Button_Close")->click();
    });
    sklad->trigger();
    EXPECT_EQ(form.ADOConnection.scalar("SELECT Text FROM Price_Sklad WHERE Sklad = 'Yes'").toString(), "есть");

    auto* parameters = form.findChild<QAction*>("ParamExport");
    ASSERT_NE(parameters, nullptr);
    QTimer::singleShot(0, &form, [&form] {
        auto* window = form.findChild<QDialog*>("Form_parametr");
        ASSERT_NE(window, nullptr);
        // The data-source wizard is wired.
        EXPECT_TRUE(window->findChild<QWidget*>("SpeedButton5")->isEnabled());
        window->findChild<QLineEdit*>("Edit_Out_1")->setText("Розница");
        window->findChild<QPushButton*>("Button_OutSet")->click();
    });
    parameters->trigger();
    EXPECT_EQ(form.ADOConnection.scalar("SELECT Name_out FROM parametr WHERE Id = 1").toString(), "Розница");
    form.close();
}

// The pricing items of the "Экспорт" menu open their windows; the group
// tree's pricing commands are wired.
TEST(WiredMenus, PricingItemsOpenTheirWindowsAndTheGroupCommandsAreSet)
{
    WiredInstallation inst;
    Program program(inst.options());
    ASSERT_TRUE(program.start());
    Form_main& form = *program.Form_main();
    processEventsFor(100);

    QStringList items;
    for (const char* name : {"ParamExport", "SetupNacen", "MinPrice", "ExportOut", "DBF1"})
        if (auto* action = form.findChild<QAction*>(name))
            items << action->text();
    EXPECT_EQ(items, (QStringList{"Параметры экспорта", "Установка наценок", "Пересчет минимальных цен", "Экспорт",
                                  "База DBF для менеджеров"}));
    EXPECT_TRUE(form.hooks().OpenGroupValueWindow && form.hooks().OpenMarkupThresholds
                && form.hooks().RecalcGroupMinPrices && form.hooks().RecalcAllMinPrices);
    EXPECT_TRUE(form.hooks().RecalcAllMinPrices(nullptr));

    QTimer::singleShot(0, &form, [&form] {
        auto* window = form.findChild<QDialog*>("Form_Export");
        ASSERT_NE(window, nullptr);
        // The spreadsheet price list's writer is wired.
        EXPECT_TRUE(window->findChild<QWidget*>("CheckBox_Excel")->isEnabled());
        window->close();
    });
    form.findChild<QAction*>("ExportOut")->trigger();
    form.close();
}

// The shop's catalogue outputs of the "Экспорт" menu on a small shop: each
// item says where its file went or what is missing; the export parameters'
// wizard fills the connection string.
TEST(WiredMenus, CatalogueOutputsShowTheirMessagesAndTheWizardFillsTheConnectionString)
{
    WiredInstallation inst;
    for (const char* name : {"Svod_Price_Kat.xlsx", "shops.dtd"})
        ASSERT_TRUE(QFile::copy(QStringLiteral(VELMORA_PROGRAM_DIR "/") + QLatin1String(name),
                                inst.program + QLatin1String(name)));
    {
        db::Connection priceDb = inst.priceDefaults();
        fixRatesWithoutDownload(priceDb);
        priceDb.exec(QStringLiteral("INSERT INTO Tovar_tree (Code, Parent, Pos, HCh_T, Picture, Comment, Nacen, Garant) "
                                    "VALUES (1, 0, 1, 0, 0, 'Чайники', 0, '')"));
        priceDb.exec(QStringLiteral("INSERT INTO price_main (Code, Art, Kategor, Tovar, PriceBase, Nacen, Price_1, "
                                    "Dates, Garant, Sale, SuperPrice) VALUES (5, 'A5', '1', 'Чайник', 90, 10, 100, 1, "
                                    "'', 0, 0)"));
        priceDb.exec(QStringLiteral("INSERT INTO Price_Tovar_Info (Code, Art, URL, pictures, Comment) "
                                    "VALUES (5, 'A5', 'http://shop.example/5', '', 'белый')"));
    }
    QTemporaryDir odbc;
    qputenv("ODBCINI", QFile::encodeName(odbc.filePath("odbc.ini")));
    sheet::setDesktopOpeningEnabled(false);
    Program program(inst.options());
    ASSERT_TRUE(program.start());
    Form_main& form = *program.Form_main();
    processEventsFor(100);

    const auto run = [&](const char* item) {
        inst.messages.clear();
        auto* action = form.findChild<QAction*>(item);
        EXPECT_TRUE(action && action->isEnabled()) << item;
        if (action)
            action->trigger();
        return inst.messages.join(u'\n');
    };
    EXPECT_EQ(run("ShopScript"), QStringLiteral("Каталог для Shop-Script создан в:\r") + inst.program +
                                     QStringLiteral("Каталог для Shop-Script/CatalogUpdate.csv"));
    EXPECT_EQ(run("XML1"), QStringLiteral(" Каталог в формате XML создан в:\r ") + inst.program +
                               QStringLiteral("XML каталог/price.xml"));
    EXPECT_TRUE(QFile::exists(inst.program + QStringLiteral("XML каталог/shops.dtd")));
    EXPECT_TRUE(run("MySQL_Updait").contains(QStringLiteral("не указана строка соединения")));
    EXPECT_EQ(run("SvodExcel"), QStringLiteral("Сводный прайс-лист сохранен в:\r") + inst.program +
                                    QStringLiteral("Сводные прайс-листы/Svod_Price_") +
                                    QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")) +
                                    QStringLiteral(".xlsx"));

    // "Параметры экспорта" -> the wizard -> Edit_ConStr.
    QString connection;
    QTimer::singleShot(0, &form, [&form, &connection] {
        auto* window = form.findChild<QDialog*>("Form_parametr");
        ASSERT_NE(window, nullptr);
        QTimer::singleShot(0, &form, [&form] {
            auto* master = form.findChild<output::frmConnectionMaster*>("frmConnectionMaster");
            ASSERT_NE(master, nullptr);
            output::ConnectionMasterDialogs dialogs;
            dialogs.input = [](QWidget*, const QString& caption, const QString&) -> std::optional<QString> {
                return caption == QStringLiteral("Сервер MySQL") ? QStringLiteral("srv") : QStringLiteral("shop");
            };
            master->setDialogs(dialogs);
            master->findChild<QPushButton*>("btnNext")->click();
            master->findChild<QPushButton*>("btnClose")->click();
        });
        window->findChild<QToolButton*>("SpeedButton5")->click();
        connection = window->findChild<QLineEdit*>("Edit_ConStr")->text();
        window->close();
    });
    form.findChild<QAction*>("ParamExport")->trigger();
    EXPECT_EQ(connection, output::shopConnectionString());
    form.close();
    qunsetenv("ODBCINI");
}

// With an empty catalogue each catalogue output refuses with its message,
// shown as a warning, and makes no folder of its own.
TEST(WiredMenus, CatalogueOutputsRefuseAnEmptyCatalogueWithAWarning)
{
    WiredInstallation inst;
    for (const char* name : {"Svod_Price_Kat.xlsx", "shops.dtd"})
        ASSERT_TRUE(QFile::copy(QStringLiteral(VELMORA_PROGRAM_DIR "/") + QLatin1String(name),
                                inst.program + QLatin1String(name)));
    QStringList warnings;
    ProgramOptions options = inst.options();
    options.dialogs.warning = [&warnings](const QString& text) { warnings << text; };
    Program program(options);
    ASSERT_TRUE(program.start());
    Form_main& form = *program.Form_main();
    processEventsFor(100);
    const QStringList before = QDir(inst.program).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    const std::pair<const char*, const char*> items[] = {
        {"SvodExcel", "сводный прайс-лист не создан"},
        {"ShopScript", "каталог для Shop-Script не создан"},
        {"DBF1", "база \"DBF_for_manager\" не создана"},
        {"XML1", "файл XML не создан"},
    };
    for (const auto& [item, notMade] : items) {
        inst.messages.clear();
        warnings.clear();
        auto* action = form.findChild<QAction*>(item);
        ASSERT_TRUE(action) << item;
        action->trigger();
        EXPECT_EQ(warnings, QStringList{output::noGroupsMessage(QString::fromUtf8(notMade))}) << item;
        EXPECT_TRUE(inst.messages.isEmpty()) << item << ": " << inst.messages.join(u'\n').toStdString();
        EXPECT_EQ(QDir(inst.program).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before) << item;
    }
    form.close();
}

// The order templates beside the installation's program.
void copyOrderTemplates(const WiredInstallation& inst)
{
    QDir().mkpath(inst.program + "client");
    for (const char* name : {"zakaz.xlsx", "zayavka.xlsx", "Quorvel.xlsx", "order.xlsx", "notimport.xlsx", "notzakaz.xlsx",
                             "Svod_Price.xlsx", "client/zakaz.xlsx", "client/zayavka.xlsx", "client/zayavka2.xlsx"})
        ASSERT_TRUE(QFile::copy(QStringLiteral(VELMORA_PROGRAM_DIR "/") + QLatin1String(name),
                                inst.program + QLatin1String(name)))
            << name;
}

TEST(WiredOrders, AnOfferFromTheCardGoesIntoTheOrderAndTheClientsWorkbook)
{
    WiredInstallation inst;
    copyOrderTemplates(inst);
    {
        db::Connection priceDb = inst.priceDefaults();
        fixRatesWithoutDownload(priceDb);
        addPriceList(priceDb, 1, "Альфа", "-");
        addUsdOffer(priceDb, "Альфа", "Болт", 10);
    }
    sheet::setDesktopOpeningEnabled(false);
    Program program(inst.options());
    ASSERT_TRUE(program.start());
    Form_main& form = *program.Form_main();
    processEventsFor(100);
    auto* numbers = form.findChild<QComboBox*>("ComboBox_ZakazNumber");
    auto* lines = form.findChild<QTableView*>("DBCtrlGrid_Zakaz");
    ASSERT_NE(numbers, nullptr);
    ASSERT_NE(lines, nullptr);
    EXPECT_EQ(numbers->currentText(), "1"); // no order yet: the counter + 1

    // Search, open the card from the grid: its quantity list has the focus.
    searchFor(form, "Болт");
    ASSERT_EQ(gridRows(form), QStringList{"Болт|900"});
    auto* goods = form.findChild<QTableView*>("DBGrid_Tovar");
    const QRect row = goods->visualRect(goods->model()->index(0, 1));
    QTest::mouseClick(goods->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(goods->viewport(), Qt::LeftButton, {}, row.center());
    auto* card = form.findChild<search::GoodsCard*>("Panel_TovarViews");
    auto* quantity = form.findChild<QComboBox*>("ComboBox_Quantity2");
    ASSERT_NE(quantity, nullptr);
    ASSERT_TRUE(waitFor([&] { return card->isVisible(); }, 2000));
    EXPECT_EQ(quantity->itemText(0), "1");
    quantity->setCurrentIndex(2);
    form.findChild<QPushButton*>("Button_Zakaz")->click();

    EXPECT_TRUE(card->isHidden());
    EXPECT_EQ(quantity->currentText(), "1");
    ASSERT_EQ(lines->model()->rowCount(), 1);
    EXPECT_EQ(lines->model()->index(0, 1).data().toString(), "Болт");
    EXPECT_EQ(lines->model()->index(0, 3).data().toString(), "3");
    EXPECT_EQ(lines->model()->index(0, 4).data().toString(), "2700,00");
    EXPECT_EQ(form.findChild<QLineEdit*>("DBEdit_Itogo")->text(), "2700,00");
    EXPECT_EQ(form.findChild<QTabWidget*>("PageControl_Sootv")->currentIndex(), 6);

    // Enter in the quantity list adds the same way: the same offer again is
    // refused with the message, and the card goes.
    QTest::mouseDClick(goods->viewport(), Qt::LeftButton, {}, row.center());
    ASSERT_TRUE(waitFor([&] { return card->isVisible(); }, 2000));
    inst.messages.clear();
    QTest::keyClick(quantity->lineEdit(), Qt::Key_Return);
    EXPECT_TRUE(card->isHidden());
    EXPECT_EQ(inst.messages, QStringList{"Товар уже есть в списке"});
    EXPECT_EQ(lines->model()->rowCount(), 1);

    // "Новый заказ" from the tool bar gives the next number, with no lines.
    form.findChild<QToolButton*>("ToolButton9")->click();
    EXPECT_EQ(numbers->currentText(), "2");
    EXPECT_EQ(lines->model()->rowCount(), 0);
    EXPECT_TRUE(readBytesAsCp1251(inst.userIni()).contains("ZakazNumber=2"));

    // Back to order 1; typing a client renames its lines.
    numbers->setCurrentIndex(0);
    emit numbers->activated(0);
    ASSERT_EQ(lines->model()->rowCount(), 1);
    auto* client = form.findChild<QComboBox*>("ComboBox_Client");
    client->lineEdit()->setText("Petrov");
    emit client->lineEdit()->textEdited("Petrov");
    {
        db::Connection orderDb(inst.data + "BaseZakaz.vdb", db::OpenMode::ReadOnly);
        EXPECT_EQ(orderDb.scalar("SELECT ClientName FROM AllZakazFull WHERE ZakazNumber = 1").toString(), "Petrov");
    }

    // "Заказ для Клиента": the client stored, the workbook under Заявки/.
    form.findChild<QPushButton*>("BitBtn_ZakazExcel")->click();
    const QString workbook = inst.program + "Заявки/" + QDate::currentDate().toString("dd.MM.yyyy") + "_Petrov.xlsx";
    EXPECT_TRUE(QFileInfo::exists(workbook)) << workbook.toStdString();
    EXPECT_EQ(mainStatusText(form, 1), "Сохранено: " + workbook);
    form.close();
}

TEST(WiredOrders, TheClientLayoutModeShowsTheTemplateListAndRelabelsTheClientFields)
{
    WiredInstallation inst;
    inst.setUserKey("Тальверон", "1");
    inst.setUserKey("Quorvel", "1");
    Program program(inst.options());
    ASSERT_TRUE(program.start());
    Form_main& form = *program.Form_main();
    processEventsFor(100);
    EXPECT_TRUE(program.globals().ClientModeOrderLayouts);
    EXPECT_FALSE(form.findChild<QWidget*>("ComboBox_Template")->isHidden());
    EXPECT_FALSE(form.findChild<QWidget*>("Button_Quorvel")->isHidden());
    EXPECT_EQ(form.findChild<QLabel*>("Label16")->text(), "ФИО/Долж.");
    EXPECT_EQ(form.findChild<QLabel*>("Label4")->text(), "Тел./E-mail");
    form.close();
}

} // namespace

// The menu "Заказы": a customer's workbook imported into the order list,
// the order tab given its number, the distribution window over that list.
TEST(WiredOrders, ACustomersWorkbookIsImportedAndDistributedFromTheOrdersMenu)
{
    WiredInstallation inst;
    copyOrderTemplates(inst);
    {
        db::Connection priceDb = inst.priceDefaults();
        fixRatesWithoutDownload(priceDb);
        priceDb.exec("INSERT INTO price_main (Code, Art, Kategor, Tovar, Price_1, Nacen) VALUES (5, 'M-5', '1', 'Монитор', 100, 10);"
                     "INSERT INTO svod (Art, Tovar, Price, Postavshik, Code_sootv, Obrab, Sklad)"
                     " VALUES ('S-5', 'Монитор 24', 80, 'Альфа', 5, 'True', '9')");
    }
    const QString workbook = inst.program + "Заказ клиента.xlsx";
    {
        sheet::Workbook book;
        book.sheet(1).setText(1, 2, "M-5");
        book.sheet(1).setText(1, 3, "Монитор");
        book.sheet(1).setNumber(1, 4, 150);
        book.sheet(1).setNumber(1, 5, 2);
        book.saveAs(workbook);
    }
    sheet::setDesktopOpeningEnabled(false);
    ProgramOptions options = inst.options();
    options.dialogs.openFileName = [&workbook](QWidget*, const QString&) { return workbook; };
    Program program(options);
    ASSERT_TRUE(program.start());
    Form_main& form = *program.Form_main();
    processEventsFor(100);

    inst.messages.clear();
    auto* import = form.findChild<QAction*>("ZakazExcel");
    auto* distribution = form.findChild<QAction*>("PostavZakaz");
    ASSERT_NE(import, nullptr);
    ASSERT_NE(distribution, nullptr);
    EXPECT_EQ(import->text(), "Импорт заказа из Excel");
    QString report;
    QTimer::singleShot(0, &form, [&] {
        auto* window = form.findChild<QDialog*>("Form_ZakazExcel");
        ASSERT_NE(window, nullptr);
        window->findChild<QToolButton*>("SpeedButton_Path")->click();
        EXPECT_FALSE(form.isVisible());
        window->findChild<QPushButton*>("Button1")->click();
        report = window->findChild<QLabel*>("Label_Info")->text();
        window->findChild<QPushButton*>("Button_Exit")->click();
    });
    import->trigger();
    EXPECT_EQ(report, "Загружено в заказ: 1");
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.findChild<QLineEdit*>("Edit_ZakazNumber")->text(), "00002");
    EXPECT_EQ(form.findChild<QTabWidget*>("PageControl_Sootv")->currentIndex(), 6);
    EXPECT_TRUE(readBytesAsCp1251(inst.program + "SetupPriceList.ini").contains("ZakazNumber=2"));

    int goodsRows = -1;
    QString purchase;
    QTimer::singleShot(0, &form, [&] {
        auto* window = form.findChild<QDialog*>("Form_PostavZakaz");
        ASSERT_NE(window, nullptr);
        goodsRows = window->findChild<QTableView*>("DBGrid_ZakazTovarSel")->model()->rowCount();
        purchase = window->findChild<QLineEdit*>("Edit_SumPokupky")->text();
        window->findChild<QPushButton*>("Button_Cancel")->click();
    });
    distribution->trigger();
    EXPECT_EQ(goodsRows, 1);
    // Two units at 80, at the order tab's dollar rate of 30 (prices in roubles).
    EXPECT_EQ(purchase, "4800");
    EXPECT_EQ(inst.messages, QStringList());
    form.close();
}
