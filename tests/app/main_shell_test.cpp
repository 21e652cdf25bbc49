// The wired main window's shell: the panels' sizes as the window is made
// small or large, the menu with every window's command in its place, the
// warning before the own catalogue is loaded, the priority brands' colour.
#include "app/main_wiring.h"
#include "app/program.h"
#include "app_environment.h"
#include "app_test_support.h"
#include "wired_installation.h"
#include "../common/program_databases.h"

#include "app/main_status_bar.h"
#include "platform/files/ini_file.h"
#include "platform/spreadsheet/handover.h"
#include "platform/spreadsheet/reader.h"
#include "suppliers/search/supplier_goods_model.h"
#include "suppliers/search/supplier_goods_panel.h"

#include <QAction>
#include <QDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

using namespace velmora;
using namespace velmora::testing;

namespace {

const auto* const applicationEnvironment = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);


// One visible supplier "Альфа" with offers given as rows of (Art, Tovar,
// Price, Pricemax, PriceOut, TextNoName).
void addOffers(WiredInstallation& inst, const char* rows)
{
    db::Connection price = inst.priceDefaults();
    price.exec("INSERT INTO AllPostavSetup (Id, Postavshik, Path, SheetCount, Valuta, PriceConversion, Dates, "
               "Obrab, PostavVisible) VALUES (1, 'Альфа', '', 1, 0, 1, 45000, '', 1)");
    price.exec(QStringLiteral("INSERT INTO AllTovarPostav (Art, Tovar, Price, Pricemax, PriceOut, TextNoName, "
                              "Postavshik) SELECT *, 'Альфа' FROM (VALUES %1)")
                   .arg(QString::fromUtf8(rows)));
}

void searchFor(Form_main& form, const QString& text)
{
    auto* find = findControl<QLineEdit>(&form, "Edit_Find");
    find->setText(text);
    QTest::keyClick(find, Qt::Key_Return);
    processEventsFor(50);
}

struct PanelSizes {
    QSize window;
    QSize allTovar;
    QSize tovar;
    QSize pages;
    QStringList squeezed; // panels given less than their contents need
};

PanelSizes resizedTo(Form_main& form, QSize size)
{
    form.resize(size);
    processEventsFor(50);
    PanelSizes sizes{form.size(), findControl<QWidget>(&form, "Panel_AllTovar")->size(),
                     findControl<QWidget>(&form, "Panel_Tovar")->size(),
                     findControl<QWidget>(&form, "PageControl_Sootv")->size(), {}};
    for (const char* name : {"Panel_AllTovar", "Panel_Tovar", "TabSheet_Zakaz", "Panel_SupplierGoods"}) {
        const QWidget* panel = findControl<QWidget>(&form, name);
        const QSize need = panel->minimumSizeHint();
        if (need.width() > panel->width() || need.height() > panel->height())
            sizes.squeezed << QStringLiteral("%1 %2x%3 of %4x%5")
                                  .arg(QLatin1String(name))
                                  .arg(panel->width())
                                  .arg(panel->height())
                                  .arg(need.width())
                                  .arg(need.height());
    }
    return sizes;
}

void expectWithinLimits(const PanelSizes& s, const char* label)
{
    EXPECT_EQ(s.squeezed, QStringList{}) << label;
    EXPECT_GE(s.allTovar.width(), 255) << label;
    EXPECT_GE(s.tovar.height(), 150) << label;
    EXPECT_GE(s.pages.width(), 600) << label;
    EXPECT_GE(s.pages.height(), 280) << label;
    EXPECT_LE(s.pages.height(), 500) << label;
}

TEST(MainShell, PanelsKeepTheirLimitsAndTheGoodsSideTakesTheResize)
{
    WiredInstallation inst;
    Program program(inst.options());
    ASSERT_TRUE(program.start());
    Form_main& form = *program.Form_main();
    processEventsFor(100);

    // The smallest window the limits allow: nothing goes below its minimum.
    const PanelSizes smallest = resizedTo(form, QSize(1, 1));
    expectWithinLimits(smallest, "smallest");
    EXPECT_LT(smallest.window.width(), 1000);
    EXPECT_LT(smallest.window.height(), 700);
    EXPECT_EQ(form.minimumSize(), smallest.window);

    // 1000 wide after a wide supplier side: the page control goes down to
    // its minimum width and the supplier side has the rest.
    resizedTo(form, QSize(1400, 800));
    auto* splitter = findControl<QSplitter>(&form, "Splitter_Main");
    splitter->setSizes({600, splitter->width() - 600});
    const PanelSizes narrow = resizedTo(form, QSize(1000, 700));
    expectWithinLimits(narrow, "1000x700");
    EXPECT_EQ(narrow.window, QSize(1000, 700));
    EXPECT_EQ(narrow.pages.width(), 600);
    EXPECT_EQ(narrow.allTovar.width(), splitter->width() - 600 - splitter->handleWidth());

    // Large: the page control stops at 500 high; the goods side takes the
    // width, the supplier side keeps its own.
    const PanelSizes large = resizedTo(form, QSize(1920, 1080));
    expectWithinLimits(large, "1920x1080");
    EXPECT_EQ(large.window, QSize(1920, 1080));
    EXPECT_EQ(large.allTovar.width(), narrow.allTovar.width());

    // Growing and shrinking again: the supplier side and the page control
    // keep their sizes, the goods side follows the window.
    const PanelSizes wider = resizedTo(form, QSize(1600, 1000));
    EXPECT_EQ(wider.allTovar.width(), large.allTovar.width());
    EXPECT_EQ(wider.pages.height(), large.pages.height());
    EXPECT_EQ(large.tovar.width() - wider.tovar.width(), 320);
    EXPECT_EQ(large.tovar.height() - wider.tovar.height(), 80);
    form.close();
}

QStringList menuTitles(Form_main& form)
{
    QStringList titles;
    for (QAction* action : form.menuBar()->actions())
        titles << action->text();
    return titles;
}

QStringList itemNames(QMenu* menu)
{
    QStringList names;
    for (QAction* action : menu->actions())
        if (!action->isSeparator())
            names << action->objectName();
    return names;
}

TEST(MainShell, TheMenuHoldsEveryWindowsCommandInItsOrder)
{
    WiredInstallation inst;
    Program program(inst.options());
    ASSERT_TRUE(program.start());
    Form_main& form = *program.Form_main();
    processEventsFor(100);

    EXPECT_EQ(menuTitles(form),
              (QStringList{"Файл", "Заказы", "Каталог", "Соответствия", "Экспорт", "Настройки", "Справка"}));

    // Each menu's commands in their order; the menus may hold more after them.
    const struct {
        const char* menu;
        QStringList handlers;
    } menus[] = {
        {"Menu_Zakaz", {"ZakazExcelClick"}},
        {"Menu_Catalogue",
         {"SearchArtTovarClick", "SearchNameTovarClick", "SetupArtikulClick", "SpeedButton_RefreshClick",
          "SkladClick", "MyPriceClick", "N8Click", "N11Click", "LoadPricePostavClick", "PostavInvoiceClick"}},
        {"Menu_Sootv",
         {"SootvAllClick", "SootvOpenClick", "ParamImportClick", "LoadPriceListClick", "DelPostavClick"}},
        {"Menu_Export",
         {"ParamExportClick", "SetupNacenClick", "MinPriceClick", "ExportOut", "Excel1Click", "N12Click"}},
        {"Menu_Setup", {"ProgSetupClick"}},
        {"Menu_Help", {"AboutClick"}},
    };
    int commands = 0;
    for (const auto& m : menus) {
        QMenu* menu = findControl<QMenu>(&form, m.menu);
        ASSERT_NE(menu, nullptr);
        emit menu->aboutToShow();
        QStringList expected;
        for (const QString& handler : m.handlers)
            expected << QString(handler).remove(QRegularExpression(QStringLiteral("Click$")));
        EXPECT_EQ(itemNames(menu).mid(0, expected.size()), expected) << m.menu;
        commands += int(expected.size());
    }
    EXPECT_EQ(commands, 24);

    // The windows this program has open from their items; the others wait, disabled.
    const QStringList built{"ZakazExcel",  "SearchArtTovar", "SearchNameTovar", "SetupArtikul",
                            "SpeedButton_Refresh", "Sklad", "ParamExport", "SetupNacen",
                            "MinPrice",    "ExportOut",      "ProgSetup",       "About",
                            "MyPrice",     "N8",             "N11",             "LoadPricePostav",
                            "PostavInvoice", "N12"};
    for (const QString& name : built)
        EXPECT_TRUE(findControl<QAction>(&form, name.toLatin1().constData())->isEnabled()) << name.toStdString();

    // "Выход" stays last in "Файл", after the commands added there.
    QStringList file = itemNames(findControl<QMenu>(&form, "Menu_File"));
    EXPECT_EQ(file.last(), "ProgramExit");
    EXPECT_TRUE(file.contains("CompactDatabase"));
    form.close();
}

// A window's piece finds its command in place, disabled till then; a
// command of its own goes after the table's, and before "Выход" in "Файл".
TEST(MainShell, AddingACommandEnablesItsPlaceOrAppendsIt)
{
    AppGlobals globals;
    Form_main form(globals, {}, {});
    QAction* extra = addMainMenuItem(form, "Menu_Catalogue", "Каталог", "Extra", "Прочее");
    QAction* placeholder = findControl<QAction>(&form, "N8");
    ASSERT_NE(placeholder, nullptr);
    EXPECT_FALSE(placeholder->isEnabled());
    QMenu* catalogue = findControl<QMenu>(&form, "Menu_Catalogue");
    EXPECT_EQ(itemNames(catalogue).indexOf("Extra"), itemNames(catalogue).indexOf("PostavInvoice") + 1);

    QAction* n8 = addMainMenuItem(form, "Menu_Catalogue", "Каталог", "N8", "Параметры групп");
    EXPECT_EQ(n8, placeholder);
    EXPECT_TRUE(n8->isEnabled());
    EXPECT_EQ(n8->text(), "Параметры групп");
    EXPECT_EQ(itemNames(catalogue).indexOf("N8"), 6);
    EXPECT_TRUE(extra->isEnabled());

    // A menu the table does not have stands before "Справка".
    addMainMenuItem(form, "Menu_Other", "Другое", "Other", "Другое");
    EXPECT_EQ(menuTitles(form).mid(5),
              (QStringList{"Настройки", "Другое", "Справка"}));
}

TEST(MainShell, TheCatalogueImportOpensOnlyWhenItsWarningIsNotAnsweredNo)
{
    WiredInstallation inst;
    Program program(inst.options());
    ASSERT_TRUE(program.start());
    Form_main& form = *program.Form_main();
    processEventsFor(100);
    int opened = 0;
    form.hooks().OpenExcelSetup = [&opened] { ++opened; };
    QAction* item = findControl<QAction>(&form, "MyPrice");
    emit findControl<QMenu>(&form, "Menu_Catalogue")->aboutToShow();
    ASSERT_TRUE(item->isEnabled());

    inst.questions.clear();
    inst.answer = false;
    item->trigger();
    EXPECT_EQ(opened, 0);
    ASSERT_EQ(inst.questions.size(), 1);
    EXPECT_EQ(inst.questions.first(),
              "Данная функция позволяет загрузить \rсобственный каталог товаров.\r\r\r                    Внимание!\r\r"
              "Загрузка нового каталога товаров \rприведет к удалению всех существующих \r"
              "товаров, критериев и соответствий!\r\rПродолжить загрузку?");
    inst.answer = true;
    item->trigger();
    EXPECT_EQ(opened, 1);
    form.close();
}

// "Настройки программы" from the menu: a change stored with OK is there
// when it opens again, and the program's cached settings follow it.
TEST(MainShell, TheSettingsDialogKeepsWhatOkStored)
{
    WiredInstallation inst;
    Program program(inst.options());
    ASSERT_TRUE(program.start());
    Form_main& form = *program.Form_main();
    processEventsFor(100);

    QAction* item = findControl<QAction>(&form, "ProgSetup");
    ASSERT_TRUE(item->isEnabled());
    EXPECT_EQ(item->text(), "Настройки программы");
    QTimer::singleShot(0, &form, [&form] {
        auto* window = findControl<QDialog>(&form, "Form_Setup");
        ASSERT_TRUE(window && window->isVisible());
        findControl<QSpinBox>(window, "SpinEdit_OldTovarDay")->setValue(33);
        findControl<QSpinBox>(window, "SpinEdit_RoundingDegree")->setValue(1);
        findControl<QLineEdit>(window, "Edit_Sale")->setText("Склад");
        findControl<QPushButton>(window, "Button1")->click();
    });
    item->trigger();
    EXPECT_EQ(program.globals().OldTovarDays, 33);
    EXPECT_EQ(program.globals().RoundDigits, 1);
    EXPECT_EQ(program.globals().SaleSupplierName, "Склад");

    // Other windows open it on a page of their choice.
    int page = -1;
    int days = -1;
    QTimer::singleShot(0, &form, [&] {
        auto* window = findControl<QDialog>(&form, "Form_Setup");
        page = findControl<QTabWidget>(window, "PageControl_Setup")->currentIndex();
        days = findControl<QSpinBox>(window, "SpinEdit_OldTovarDay")->value();
        window->reject();
    });
    ASSERT_TRUE(form.hooks().OpenProgramSettings);
    form.hooks().OpenProgramSettings(1);
    EXPECT_EQ(page, 1);
    EXPECT_EQ(days, 33);
    form.close();
}

// In the client mode Ormita-Club the export button opens the user export
// window and leaves the price-list pages alone.
TEST(MainShell, TheOrmitaClientsExportButtonOpensTheUserExport)
{
    WiredInstallation inst;
    inst.setUserKey(QStringLiteral("Ormita-Club"), QStringLiteral("1"));
    Program program(inst.options());
    ASSERT_TRUE(program.start());
    Form_main& form = *program.Form_main();
    processEventsFor(100);
    int opened = 0;
    form.hooks().OpenUserExport = [&opened] { ++opened; };
    auto* pages = findControl<QTabWidget>(&form, "PageControl_Sootv");
    const int page = pages->currentIndex();
    findControl<QToolButton>(&form, "ToolButton_Export")->click();
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(pages->currentIndex(), page);
    form.close();
}

// The search's rows go to a workbook in the program folder's "Excel"; with
// no program to open it the status bar names the file.
TEST(MainShell, TheSearchExportWritesTheFoundRows)
{
    sheet::setDesktopOpeningEnabled(false);
    WiredInstallation inst;
    addOffers(inst, "('007', 'Дрель ударная', 10, 12, 11, ''), ('A2', 'Пила', 20, 22, 21, '')");
    Program program(inst.options());
    ASSERT_TRUE(program.start());
    Form_main& form = *program.Form_main();
    processEventsFor(100);
    searchFor(form, QStringLiteral("дрель"));

    auto* button = findControl<QToolButton>(&form, "ToolButton_FindExcel");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->toolTip(), "Экспорт товаров из поиска в Excel");
    button->click();
    const QString path = inst.program + "Excel/Search_Tovar_" + QDate::currentDate().toString("dd.MM.yyyy") + ".xlsx";
    ASSERT_TRUE(QFileInfo::exists(path)) << path.toStdString();
    EXPECT_EQ(mainStatusText(form, 1), "Сохранено: " + path);
    const sheet::SheetData data = sheet::WorkbookReader(path).readSheet(1);
    EXPECT_EQ(data.values.rows(), 2);
    EXPECT_EQ(data.values.text(2, 1), "007");
    EXPECT_EQ(data.values.number(2, 4), 11);
    form.close();
}

// Offers of a priority brand are red only while the client switch is on.
TEST(MainShell, PriorityBrandOffersAreRedOnlyWithTheSwitchOn)
{
    for (const bool on : {false, true}) {
        WiredInstallation inst;
        if (on)
            inst.setUserKey(QStringLiteral("BrendPriory"), QStringLiteral("1"));
        addOffers(inst, "('A1', 'Дрель ударная', 10, 12, 11, 'Bosch'), ('A2', 'Дрель простая', 20, 22, 21, 'Noname')");
        inst.priceDefaults().exec("INSERT INTO BrendPriory (BrendName) VALUES ('Bosch')");
        Program program(inst.options());
        ASSERT_TRUE(program.start());
        Form_main& form = *program.Form_main();
        processEventsFor(100);
        searchFor(form, QStringLiteral("дрель"));
        auto* grid = findControl<QTableView>(&form, "DBGrid_Tovar");
        ASSERT_EQ(grid->model()->rowCount(), 2) << on;
        QStringList red;
        for (int row = 0; row < 2; ++row)
            if (grid->model()->index(row, 1).data(Qt::ForegroundRole).value<QColor>() == QColor(Qt::red))
                red << grid->model()->index(row, 1).data().toString();
        EXPECT_EQ(red, on ? QStringList{"Дрель ударная"} : QStringList{}) << on;
        form.close();
    }
}

} // namespace
