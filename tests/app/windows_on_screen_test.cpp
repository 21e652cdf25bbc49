// Every window the program opens, on a 1366x768 screen (a common shop
// laptop): each fits the screen with every control inside it, and no
// label, check box, radio button, button, tab or header section shows less
// than its whole text. The goods grid shows its prices, suppliers and
// stock whole at 1366 and at 1000 wide, with long names beside them.
#include "app/form_logo.h"
#include "app/form_progress.h"
#include "app/program.h"
#include "app/screen_fit.h"
#include "app_environment.h"
#include "app_test_support.h"
#include "wired_installation.h"
#include "../common/program_databases.h"
#include "../common/whole_texts.h"

#include "platform/spreadsheet/handover.h"
#include "suppliers/search/goods_columns.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTest>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>

#include <cmath>
#include <functional>
#include <memory>

using namespace velmora;
using namespace velmora::testing;
using velmora::search::shortGoodsTitle;

namespace {

const auto* const applicationEnvironment = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

// Two suppliers with offers of long names, prices in the hundred thousands
// and stock texts as suppliers write them; a catalogue group with a good.
void addLongOffers(WiredInstallation& inst)
{
    db::Connection price = inst.priceDefaults();
    price.exec(QStringLiteral(
        "INSERT INTO AllPostavSetup (Id, Postavshik, Path, SheetCount, Valuta, PriceConversion, Dates, Obrab,"
        " PostavVisible) VALUES (1, 'Техносила-Опт', '', 1, 0, 1, 45000, '', 1),"
        " (2, 'Альфа', '', 1, 0, 1, 45000, '', 1)"));
    QStringList rows;
    for (int i = 0; i < 40; ++i) {
        const QString supplier = i % 2 ? QStringLiteral("Альфа") : QStringLiteral("Техносила-Опт");
        rows << QStringLiteral("('ART-%1-XL', 'Перфоратор аккумуляторный бесщёточный с набором буров и кейсом, модель %1',"
                               " %2, %3, %4, 'в наличии', '12 мес.', 'Makita', 'Япония', '%5')")
                    .arg(1000 + i)
                    .arg(12490.5 + i * 101.25, 0, 'f', 2)
                    .arg(13990.75 + i, 0, 'f', 2)
                    .arg(114990.25 + i, 0, 'f', 2)
                    .arg(supplier);
    }
    price.exec(QStringLiteral("INSERT INTO AllTovarPostav (Art, Tovar, Price, Pricemax, PriceOut, Sklad, Garant,"
                              " TextNoName, Description, Postavshik) VALUES ")
               + rows.join(u','));
    // The shop's own catalogue: one group with goods.
    price.exec(QStringLiteral("INSERT INTO Tovar_tree (Code, Parent, Pos, HCh_T, Picture, Comment, Nacen, Garant)"
                              " VALUES (1, 0, 1, 0, 5, 'Электроинструмент', 0, '')"));
    price.exec(QStringLiteral("INSERT INTO price_main (Code, Art, Kategor, Tovar, PriceBase, Nacen, Price_1, Dates,"
                              " Garant, Sale, SuperPrice) VALUES (11, 'PRF-18V', '1', 'Перфоратор аккумуляторный 18 В',"
                              " 12490.5, 15, 14364.08, 45000, '1 год', 0, 0)"));
}

void searchFor(Form_main& form, const QString& text)
{
    auto* find = findControl<QLineEdit>(&form, "Edit_Find");
    find->setText(text);
    QTest::keyClick(find, Qt::Key_Return);
    processEventsFor(100);
}

QSet<QWidget*> shownWindows()
{
    QSet<QWidget*> shown;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            shown << w;
    return shown;
}

QWidget* newWindow(const QSet<QWidget*>& before, const QString& name)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && !before.contains(w) && w->objectName() == name)
            return w;
    return nullptr;
}

void closeWindow(QWidget* window)
{
    if (auto* dialog = qobject_cast<QDialog*>(window))
        dialog->reject();
    else
        window->close();
}

// A command of a window: a menu item or a button, found by name.
void runCommand(QWidget& owner, const QString& name)
{
    for (QAction* action : owner.findChildren<QAction*>(name)) {
        if (action->menu())
            continue;
        ASSERT_TRUE(action->isEnabled()) << name.toStdString();
        action->trigger();
        return;
    }
    // A title label opens its rename window on a double click.
    if (auto* label = owner.findChild<QLabel*>(name)) {
        QTest::mouseDClick(label, Qt::LeftButton);
        return;
    }
    auto* button = owner.findChild<QAbstractButton*>(name);
    ASSERT_NE(button, nullptr) << name.toStdString();
    ASSERT_TRUE(button->isEnabled()) << name.toStdString();
    button->click();
}

// What is done in a window before it is looked at (a step that changes its
// layout), or a window opened from it, with the findings of both.
using WindowStep = std::function<QStringList(QWidget* window)>;

// Runs the command of `owner`, waits for the window it opens (modal or
// not), runs the step, checks the window and closes it; the findings, or
// why none could be made.
QStringList checkWindowOf(QWidget& owner, const QString& command, const QString& name, const WindowStep& step = {})
{
    const QSet<QWidget*> before = shownWindows();
    QStringList found;
    bool checked = false;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, &owner, [&] {
        QWidget* window = newWindow(before, name);
        if (!window || !window->windowHandle() || !window->windowHandle()->isExposed())
            return;
        poll.stop();
        processEventsFor(100);
        if (step) {
            found << step(window);
            processEventsFor(50);
        }
        found << textsCutIn(window);
        checked = true;
        closeWindow(window);
    });
    poll.start();
    runCommand(owner, command);
    waitFor([&] { return checked; }, 5000);
    poll.stop();
    if (!checked)
        found << command + QStringLiteral(": no window ") + name;
    processEventsFor(50);
    return found;
}

// A step: clicks a button of the window.
WindowStep clicking(const char* button)
{
    return [button](QWidget* window) {
        runCommand(*window, QLatin1String(button));
        return QStringList{};
    };
}

// A step: the window that a command of this window opens.
WindowStep opening(const char* command, const char* name, WindowStep then = {})
{
    return [command, name, then](QWidget* window) {
        return checkWindowOf(*window, QLatin1String(command), QLatin1String(name), then);
    };
}

struct Started {
    WiredInstallation inst;
    std::unique_ptr<Program> program;
    Form_main* form = nullptr;
};

std::unique_ptr<Started> startOverLongOffers()
{
    sheet::setDesktopOpeningEnabled(false);
    auto started = std::make_unique<Started>();
    addLongOffers(started->inst);
    started->inst.answer = true;
    started->program = std::make_unique<Program>(started->inst.options());
    if (!started->program->start())
        return nullptr;
    started->form = started->program->Form_main();
    processEventsFor(200);
    return started;
}

struct WindowCommand {
    const char* command;
    const char* window;
    WindowStep step = {};
    std::function<void(Form_main&)> before = {};
};

// The own catalogue in the centre, its first group chosen.
void showCatalogue(Form_main& form)
{
    findControl<QTabWidget>(&form, "PageControl_AllTovar")->setCurrentIndex(1);
    auto* tree = findControl<QTreeWidget>(&form, "TreeView_Groups");
    ASSERT_GT(tree->topLevelItemCount(), 0);
    tree->setCurrentItem(tree->topLevelItem(0));
    processEventsFor(50);
}

// The settings panel, where its buttons are.
void showSettingsPanel(Form_main& form) { findControl<QAbstractButton>(&form, "ToolButton_Setup")->click(); }

// The commands of the main window that open a window of their own, and the
// windows those open.
const WindowCommand kWindowCommands[] = {
    {"ZakazExcel", "Form_ZakazExcel"},
    {"PostavZakaz", "Form_PostavZakaz", opening("Button_SvodPrice", "Form_SetupSvod")},
    {"SearchArtTovar", "Form_Search"},
    {"SearchArtTovar", "Form_Search", clicking("SpeedButton_ArtParam")},
    {"SearchNameTovar", "Form_Search"},
    {"SetupArtikul", "Form_Artikul"},
    {"Sklad", "Form_Sklad"},
    {"Sklad", "Form_Sklad", clicking("Button_OpenAll")},
    {"MyPrice", "Form_ExcelSetup"},
    {"N8", "Form_GroupSetup"},
    {"N11", "Form_ViewTovarSel"},
    {"LoadPricePostav", "Form_LoadPricePostav"},
    {"PostavInvoice", "Form_PostavInvoice"},
    {"SootvAll", "Form_AutoKritPost"},
    {"SootvOpen", "Form_AutoKrit"},
    {"ParamImport", "Form_load"},
    {"LoadPriceList", "Form_DataLoad"},
    {"DelPostav", "Form_PostavDel"},
    {"ParamExport", "Form_parametr", opening("SpeedButton5", "frmConnectionMaster")},
    {"ParamExport", "Form_parametr", opening("Button_Excel", "Form_PriceExcel")},
    {"SetupNacen", "Form_Nacen"},
    {"MinPrice", "Form_MinPrice"},
    {"ExportOut", "Form_Export"},
    {"Excel1", "Form_PriceExcel"},
    {"N12", "Form_ShopsScript"},
    {"ProgSetup", "Form_Setup"},
    {"About", "Form_About"},
    {"Button_PostavSetup", "Form_PostavSetup", {}, showSettingsPanel},
    {"Button_BrendPriory", "Form_BrendPriory", {}, showSettingsPanel},
    {"Label_art", "Form_Column_Name"},
    {"Button_MainTovAdd", "Form_MainTovAdEd", {}, showCatalogue},
    // The group tree's commands, on its first group.
    {"NacenGroup", "Form_NacenSet", {}, showCatalogue},
    {"GarantGroup", "Form_NacenSet", {}, showCatalogue},
    {"DopNacenGroup", "Form_Nacen", {}, showCatalogue},
    {"KatMinPrice", "Form_MinPrice", {}, showCatalogue},
    {"KatAutoKrit", "Form_AutoKritPost", {}, showCatalogue},
};

TEST(WindowsOnScreen, EveryWindowFitsTheScreenAndShowsItsTextsWhole)
{
    const std::unique_ptr<Started> s = startOverLongOffers();
    ASSERT_TRUE(s);
    Form_main& form = *s->form;
    ASSERT_EQ(form.screen()->availableGeometry().size(), kLaptopScreen);
    for (QMenu* menu : form.findChildren<QMenu*>())
        emit menu->aboutToShow();
    for (const WindowCommand& c : kWindowCommands) {
        if (c.before)
            c.before(form);
        EXPECT_EQ(checkWindowOf(form, QLatin1String(c.command), QLatin1String(c.window), c.step), QStringList{})
            << c.command;
    }
    // The splash and the wait window, which the program shows itself.
    Form_Logo* splash = s->program->Form_Logo();
    splash->show();
    processEventsFor(50);
    EXPECT_EQ(textsCutIn(splash), QStringList{});
    splash->hide();
    Form_Progress* wait = s->program->Form_Progress();
    wait->begin(QStringLiteral("                     Загрузка сохраненых значений"), 12);
    processEventsFor(50);
    EXPECT_EQ(textsCutIn(wait), QStringList{});
    wait->finish();
    form.close();
}

TEST(WindowsOnScreen, TheMainWindowAfterASearchShowsItsTextsWhole)
{
    const std::unique_ptr<Started> s = startOverLongOffers();
    ASSERT_TRUE(s);
    Form_main& form = *s->form;
    searchFor(form, QStringLiteral("перфоратор"));
    EXPECT_EQ(textsCutIn(&form), QStringList{});
    findControl<QTabWidget>(&form, "PageControl_Sootv")->setCurrentIndex(6);
    processEventsFor(50);
    EXPECT_EQ(textsCutIn(&form), QStringList{}) << "on the order page";
    showSettingsPanel(form);
    processEventsFor(100);
    EXPECT_EQ(textsCutIn(&form), QStringList{}) << "with the settings panel open";
    findControl<QAbstractButton>(&form, "Button_SetupClose")->click();

    // The own catalogue in the centre, a group chosen.
    showCatalogue(form);
    ASSERT_GT(findControl<QTableView>(&form, "DBGrid_PriceMain")->model()->rowCount(), 0);
    EXPECT_EQ(textsCutIn(&form), QStringList{}) << "with the catalogue";
    form.close();
}

// The columns staff compare: the article, the supplier, the prices, the
// currency and the stock.
constexpr int kComparedColumns[] = {0, 2, 3, 4, 5, 6, 7};

// Where a window goes: no larger than the free area with its frame, never
// below its minimum, inside the area as far as its size allows.
TEST(WindowsOnScreen, AWindowIsFittedIntoTheFreeArea)
{
    const QRect free(0, 0, 1366, 738);  // a panel below
    const QMargins frame(4, 30, 4, 4);
    const QSize none(0, 0);
    const QSize any(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    const struct {
        const char* what;
        QRect at;
        QSize wanted;
        QSize minimum;
        QRect fitted;
    } cases[] = {
        {"fits", {100, 100, 400, 300}, {400, 300}, none, {100, 100, 400, 300}},
        {"grows about its centre", {100, 100, 400, 300}, {500, 300}, none, {50, 100, 500, 300}},
        {"too tall", {200, 50, 1180, 780}, {1180, 780}, none, {182, 30, 1180, 704}},
        {"off the right edge", {1200, 100, 400, 300}, {400, 300}, none, {962, 100, 400, 300}},
        {"above the top", {100, 0, 400, 300}, {400, 300}, none, {100, 30, 400, 300}},
        {"minimum beyond the area", {0, 0, 1500, 900}, {1500, 900}, {1400, 800}, {4, 30, 1400, 800}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fittedGeometry(c.at, c.wanted, c.minimum, any, free, frame), c.fitted) << c.what;
}

// The first start opens maximised; "restore" gives a window that fits the
// screen with its frame, its status bar and the order page's buttons on it.
TEST(WindowsOnScreen, TheMainWindowRestoredFromMaximisedFitsTheScreen)
{
    const std::unique_ptr<Started> s = startOverLongOffers();
    ASSERT_TRUE(s);
    Form_main& form = *s->form;
    ASSERT_TRUE(form.isMaximized());
    form.showNormal();
    processEventsFor(100);
    EXPECT_FALSE(form.isMaximized());
    const QRect free = form.screen()->availableGeometry();
    EXPECT_TRUE(free.contains(form.frameGeometry())) << form.frameGeometry().width() << "x" << form.frameGeometry().height();
    EXPECT_EQ(textsCutIn(&form), QStringList{});
    form.close();
}

// Their cells, each against its column as the grid draws it: the style's
// margins and the grid line beside the text.
QStringList goodsCellsCut(QTableView* grid)
{
    QStringList cut;
    auto* delegate = qobject_cast<QStyledItemDelegate*>(grid->itemDelegate());
    const int margin = grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1;
    const QFontMetricsF metrics(grid->font());
    const int rows = std::min(grid->model()->rowCount(), 30);
    for (const int column : kComparedColumns) {
        if (grid->isColumnHidden(column))
            cut << QStringLiteral("column %1 hidden").arg(column);
        for (int row = 0; row < rows; ++row) {
            const QString text = delegate->displayText(grid->model()->index(row, column).data(), grid->locale());
            const int need = int(std::ceil(metrics.horizontalAdvance(text))) + 2 * margin + 1;
            if (need > grid->columnWidth(column))
                cut << QStringLiteral("row %1 column %2 \"%3\" %4 of %5")
                           .arg(row)
                           .arg(column)
                           .arg(text)
                           .arg(grid->columnWidth(column))
                           .arg(need);
        }
    }
    return cut;
}

TEST(WindowsOnScreen, TheGoodsGridShowsPricesSuppliersAndStockWhole)
{
    const std::unique_ptr<Started> s = startOverLongOffers();
    ASSERT_TRUE(s);
    Form_main& form = *s->form;
    auto* grid = findControl<QTableView>(&form, "DBGrid_Tovar");
    for (const int width : {1366, 1000}) {
        SCOPED_TRACE(width);
        form.showNormal();
        form.setGeometry(0, 0, width, kLaptopScreen.height());
        processEventsFor(100);
        searchFor(form, QStringLiteral("перфоратор"));
        ASSERT_GT(grid->model()->rowCount(), 10);
        EXPECT_EQ(goodsCellsCut(grid), QStringList{});
        // Their titles whole or short, the whole title as the tool tip.
        QStringList titles;
        checkHeader(grid->horizontalHeader(), QString(), titles, QList<int>(std::begin(kComparedColumns), std::end(kComparedColumns)));
        EXPECT_EQ(titles, QStringList{});
        for (const int column : kComparedColumns) {
            const QString shown = grid->model()->headerData(column, Qt::Horizontal).toString();
            const QString whole = grid->model()->headerData(column, Qt::Horizontal, Qt::ToolTipRole).toString();
            EXPECT_TRUE(shown == whole || shown == shortGoodsTitle(whole)) << column << shown.toStdString();
        }
        // The name takes what is left: no empty room, no scrolling.
        int sum = 0;
        for (int c = 0; c < grid->model()->columnCount(); ++c)
            sum += grid->isColumnHidden(c) ? 0 : grid->columnWidth(c);
        EXPECT_EQ(sum, grid->viewport()->width());
        EXPECT_GE(grid->columnWidth(1), 15 * grid->fontMetrics().averageCharWidth());
    }
    form.close();
}

// Pictures for docs/screens, taken only when VELMORA_SCREENS_DIR names
// their folder, under a real display with a window manager (scripts/screens
// runs this under xvfb-run with openbox, 1366x768): the main window after a
// search and three of its windows.
void saveScreen(const QString& name)
{
    processEventsFor(400);
    const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(0);
    const QImage image = screen.toImage().convertToFormat(QImage::Format_RGB888);
    const QString path = QDir(qEnvironmentVariable("VELMORA_SCREENS_DIR")).filePath(name);
    ASSERT_TRUE(image.save(path, "PNG", 9)) << path.toStdString();
}

// A step that takes the picture of the window (after `step`, when given).
WindowStep picturing(const char* name, WindowStep step = {})
{
    return [name, step](QWidget* window) {
        QStringList found = step ? step(window) : QStringList{};
        window->raise();
        window->activateWindow();
        saveScreen(QLatin1String(name));
        return found;
    };
}

TEST(WindowsOnScreenPictures, TheMainWindowAfterASearchAndThreeWindows)
{
    if (qEnvironmentVariableIsEmpty("VELMORA_SCREENS_DIR"))
        GTEST_SKIP() << "VELMORA_SCREENS_DIR not set";
    const std::unique_ptr<Started> s = startOverLongOffers();
    ASSERT_TRUE(s);
    Form_main& form = *s->form;
    ASSERT_TRUE(waitFor([&] { return form.isMaximized(); }, 5000));
    searchFor(form, QStringLiteral("перфоратор"));
    saveScreen(QStringLiteral("search.png"));
    for (QMenu* menu : form.menuBar()->findChildren<QMenu*>())
        emit menu->aboutToShow();
    EXPECT_EQ(checkWindowOf(form, QStringLiteral("SetupNacen"), QStringLiteral("Form_Nacen"), picturing("markups.png")),
              QStringList{});
    EXPECT_EQ(checkWindowOf(form, QStringLiteral("ProgSetup"), QStringLiteral("Form_Setup"),
                            picturing("program_settings.png")),
              QStringList{});
    EXPECT_EQ(checkWindowOf(form, QStringLiteral("Sklad"), QStringLiteral("Form_Sklad"),
                            picturing("stock_criteria.png", clicking("Button_OpenAll"))),
              QStringList{});
    form.close();
}

} // namespace
