// The supplier goods search: the find bar and goods grid in the centre
// panel, the supplier selection panel under the supplier tree with its "*"
// button, the grid titles from the user's column titles and the display
// currency.
#include "main_wiring.h"

#include "storage/settings_store.h"
#include "suppliers/currency/currency_panel.h"
#include "suppliers/search/column_name_dialog.h"
#include "suppliers/search/goods_card.h"
#include "suppliers/search/goods_grid.h"
#include "suppliers/search/goods_search_controller.h"
#include "suppliers/search/supplier_goods_model.h"
#include "suppliers/search/supplier_goods_panel.h"
#include "suppliers/search/supplier_search_bar.h"
#include "suppliers/search/supplier_selection_panel.h"

#include "orders/ui/order_tab.h"

#include <QAbstractItemView>
#include <QAction>
#include <QBoxLayout>
#include <QMenu>
#include <QTabWidget>
#include <QToolButton>

namespace velmora {

namespace {

constexpr int kOrderPage = 6;
constexpr int kSetupPage = 7;

bool orderHasLines(const MainWiring& wiring)
{
    if (!wiring.orderTab)
        return false;
    const auto* lines = wiring.orderTab->findChild<QAbstractItemView*>(QStringLiteral("DBCtrlGrid_Zakaz"));
    return lines && lines->model() && lines->model()->rowCount() > 0;
}

// An empty order page does not stay in front of the price-list settings.
void leaveEmptyOrderPage(MainWiring& wiring)
{
    const auto* pages = wiring.form.findChild<QTabWidget*>(QStringLiteral("PageControl_Sootv"));
    if (pages && pages->currentIndex() == kOrderPage && !orderHasLines(wiring))
        wiring.showSootvPage(kSetupPage);
}

// A search shows the order page when there is an order to show.
void showOrderPageIfUsed(MainWiring& wiring)
{
    if (orderHasLines(wiring))
        wiring.showSootvPage(kOrderPage);
    else
        leaveEmptyOrderPage(wiring);
}

// The goods panel's first row holds the sort reset and the find bar; the
// button goes between them.
bool placeBesideFindBar(search::SupplierGoodsPanel* goods, QWidget* button)
{
    if (!goods || !goods->layout() || goods->layout()->count() == 0)
        return false;
    auto* top = qobject_cast<QBoxLayout*>(goods->layout()->itemAt(0)->layout());
    if (!top)
        return false;
    top->insertWidget(1, button);
    return true;
}

// The selection panel reads the supplier list when made: after the
// databases are open.
void createSupplierSelection(MainWiring& wiring)
{
    Form_main& form = wiring.form;
    auto* selection = new search::SupplierSelectionPanel(form.ADOConnection, form.ADOConnection_Zakaz);
    selection->setObjectName(QStringLiteral("SupplierSelectionPanel"));
    if (form.dialogs().confirm)
        selection->setQuestion(form.dialogs().confirm);
    selection->selectionPanel()->hide();
    selection->templatePanel()->hide();
    form.placeWidget(QStringLiteral("TabSheet_AllPostav"), selection);
    wiring.supplierSelection = selection;
    QObject::connect(selection, &search::SupplierSelectionPanel::selectionChanged, &wiring,
                     &MainWiring::searchGoodsAgain);
}

void wireSupplierSelection(MainWiring& wiring)
{
    wiring.onStartupSettled.push_back([&wiring] { createSupplierSelection(wiring); });

    // "*" beside the find bar opens and closes the supplier list.
    auto* button = new QToolButton;
    button->setObjectName(QStringLiteral("SpeedButton_AllPostav"));
    button->setText(QStringLiteral("*"));
    button->setToolTip(QStringLiteral("Выбор поставщиков"));
    if (!placeBesideFindBar(wiring.goods, button))
        wiring.form.placeWidget(QStringLiteral("Panel_Tovar"), button);
    QObject::connect(button, &QToolButton::clicked, &wiring, [&wiring] {
        if (wiring.supplierSelection)
            wiring.supplierSelection->SpeedButton_AllPostavClick();
    });
}

// The column rename window opens from a double click on a title label of
// the goods card (after the question) and from the menu, one item per
// renamable title.
void wireColumnTitleMenu(MainWiring& wiring)
{
    Form_main& form = wiring.form;
    auto* rename = new search::Form_Column_Name(*wiring.orderSettings, &form);
    QObject::connect(wiring.goods->card(), &search::GoodsCard::columnTitleRenameRequested, &wiring,
                     [&wiring, rename](const QString& labelName, const QString& caption) {
                         const QString setting = search::columnTitleSettingOf(labelName);
                         const UserDialogs& dialogs = wiring.form.dialogs();
                         if (setting.isEmpty() || !dialogs.confirm ||
                             !dialogs.confirm(QStringLiteral("Поменять название колонки?")))
                             return;
                         rename->prepare(caption, setting);
                         if (rename->exec() == QDialog::Accepted)
                             runHook(wiring.form.hooks().LoadColumnTitles);
                     });
    QMenu* menu = addMainMenu(form, QStringLiteral("Menu_ColumnTitles"), QStringLiteral("Названия колонок"),
                              QStringLiteral("Menu_Setup"), QStringLiteral("Настройки"));
    for (const search::ColumnTitleSetting& setting : search::columnTitleSettings()) {
        QAction* action = menu->addAction(setting.defaultText);
        action->setObjectName(setting.name);
        QObject::connect(action, &QAction::triggered, &wiring, [&wiring, rename, setting] {
            rename->prepare(wiring.columnTitles.*setting.title, setting.name);
            if (rename->exec() == QDialog::Accepted)
                runHook(wiring.form.hooks().LoadColumnTitles);
        });
    }
    // Each item shows the column's present title.
    QObject::connect(menu, &QMenu::aboutToShow, &wiring, [&wiring, menu] {
        for (const search::ColumnTitleSetting& setting : search::columnTitleSettings())
            if (auto* action = menu->findChild<QAction*>(setting.name))
                action->setText(wiring.columnTitles.*setting.title);
    });
}

} // namespace

void wireGoodsSearch(MainWiring& wiring)
{
    Form_main& form = wiring.form;
    AppGlobals& globals = wiring.globals;

    auto* goods = new search::SupplierGoodsPanel(form.ADOConnection);
    goods->setObjectName(QStringLiteral("Panel_SupplierGoods"));
    form.placeWidget(QStringLiteral("Panel_Tovar"), goods);
    wiring.goods = goods;
    wiring.orderSettings = std::make_unique<SettingsStore>(form.ADOConnection_Zakaz);
    goods->searchBar()->setSettingsStore(wiring.orderSettings.get());
    goods->grid()->setWidthSettings(&form.ADOConnection_Zakaz, wiring.orderSettings.get());
    if (form.dialogs().message)
        goods->setReporter(form.dialogs().message);
    if (form.dialogs().error)
        goods->card()->setErrorReporter(form.dialogs().error);
    goods->controller()->setBrendPriory(false);
    // The card's prices with the places of the program's rounding.
    wiring.onStartupSettled.push_back([&wiring] {
        if (wiring.goods)
            wiring.goods->setPricePlaces(wiring.globals.RoundDigits);
    });

    // Re-pricing and the other pieces clear LastFindText to have the same
    // text searched again.
    goods->controller()->shareLastFindText(&globals.LastFindText);
    QObject::connect(goods->controller(), &search::GoodsSearchController::searched, &wiring, [&wiring] {
        // A search that ran closes the supplier selection.
        if (wiring.supplierSelection) {
            wiring.supplierSelection->selectionPanel()->hide();
            wiring.supplierSelection->templatePanel()->hide();
        }
        showOrderPageIfUsed(wiring);
    });

    auto& hooks = form.hooks();
    hooks.SearchSupplierGoods = [&wiring, &globals] {
        search::SupplierGoodsPanel* goods = wiring.goods;
        search::GoodsSearchController* controller = goods->controller();
        // Start-up sets the field choice on the buttons without a click.
        controller->setField(goods->searchBar()->field());
        controller->setBrendPriory(globals.BrendPrioryOn);
        controller->search(goods->searchBar()->findText());
        // The first showing (an empty find box searches nothing) too.
        leaveEmptyOrderPage(wiring);
    };
    hooks.LoadColumnTitles = [&wiring] {
        wiring.columnTitles = search::LoadColumnTitles(*wiring.orderSettings);
        wiring.applyColumnTitles();
    };
    hooks.LoadTovarColumns = [goods] { goods->grid()->LoadTovarColumns(); };
    hooks.ClearTovarSortMarks = [goods] { goods->model()->setSortMark(search::SortMark{}); };

    if (wiring.currency)
        QObject::connect(wiring.currency, &CurrencyPanel::currencyTableChanged, &wiring,
                         &MainWiring::applyColumnTitles);

    wireSupplierSelection(wiring);
    wireColumnTitleMenu(wiring);
}

} // namespace velmora
