// The shop's own catalogue: the page "Каталог" of the left panel (the group
// tree), the own goods in the centre panel while that page is chosen, the
// tabs of the matching pages 0 to 5 of PageControl_Sootv, the menu
// "Каталог" and the goods totals in panel 0 of the status bar.
//
// Pieces that show more about the current own good put their widgets onto
// the pages TabSheet_Krit, TabSheet_Sootv, TabSheet_TablSootv,
// TabSheet_Ostatok, TabSheet_IsklTovar and TabSheet_Svod with
// form.placeWidget(page name, widget), in their own wiring function called
// after wireCatalogue, and follow the good through
//   connect(wiring.catalogue, &catalogue::CataloguePage::currentGoodChanged, ...)
// which carries its Code (0 for none). The group commands of the tree's
// menu reach their windows through the MainHooks entries
// OpenGroupValueWindow, OpenMarkupThresholds, RecalcGroupMinPrices and
// FindMatchesInGroup. The own goods panel's hidden "в Заказ" puts the
// current good into the order list Zakaz and shows the order tab.
#include "main_wiring.h"

#include "main_status_bar.h"
#include "platform/files/error_text.h"
#include "storage/settings_store.h"

#include "catalogue/ui/catalogue_goods_panel.h"
#include "catalogue/ui/catalogue_page.h"
#include "orders/order_rate.h"
#include "orders/ui/order_tab.h"
#include "orders/zakaz_list.h"

#include <QAction>
#include <QHash>
#include <QPushButton>
#include <QTabWidget>

#include <memory>

namespace velmora {

namespace {

constexpr int kCatalogueTab = 1;    // of PageControl_AllTovar
constexpr int kCataloguePages = 6;  // PageControl_Sootv 0..5
constexpr int kOrderPage = 6;

// What the centre panel and the page control showed before "Каталог" was
// chosen, to be shown again when the suppliers are chosen back.
struct SupplierView {
    QHash<QWidget*, bool> shown;
    int page = kOrderPage;
};

void showCatalogue(MainWiring& wiring, bool on, SupplierView& before)
{
    Form_main& form = wiring.form;
    QWidget* own = wiring.catalogue ? wiring.catalogue->goods() : nullptr;
    if (auto* centre = form.findChild<QWidget*>(QStringLiteral("Panel_Tovar"))) {
        for (QWidget* piece : centre->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (piece == own)
                continue;
            if (on) {
                before.shown.insert(piece, !piece->isHidden());
                piece->hide();
            } else if (before.shown.value(piece, false)) {
                piece->show();
            }
        }
    }
    if (own)
        own->setVisible(on);
    if (auto* pages = form.findChild<QTabWidget*>(QStringLiteral("PageControl_Sootv"))) {
        if (on)
            before.page = pages->currentIndex();
        for (int index = 0; index < kCataloguePages && index < pages->count(); ++index)
            pages->setTabVisible(index, on);
        pages->setCurrentIndex(on ? 0 : (before.page >= kCataloguePages ? before.page : kOrderPage));
    }
}

void addCatalogueMenu(MainWiring& wiring, catalogue::CataloguePage* page)
{
    struct Item {
        const char* name;
        const char* caption;
        void (catalogue::CataloguePage::*handler)();
    };
    const Item items[] = {
        {"SearchArtTovar", "Поиск товара по артикулу", &catalogue::CataloguePage::SearchArtTovarClick},
        {"SearchNameTovar", "Поиск товара по названию", &catalogue::CataloguePage::SearchNameTovarClick},
        {"SetupArtikul", "Настройка артикула", &catalogue::CataloguePage::SetupArtikulClick},
        {"SpeedButton_Refresh", "Обновить", &catalogue::CataloguePage::SpeedButton_RefreshClick},
        {"N25", "Создать каталог из New_tovar", &catalogue::CataloguePage::N25Click},
    };
    for (const Item& item : items) {
        QAction* action = addMainMenuItem(wiring.form, QStringLiteral("Menu_Catalogue"), QStringLiteral("Каталог"),
                                          QLatin1String(item.name), QString::fromUtf8(item.caption));
        QObject::connect(action, &QAction::triggered, page, item.handler);
    }
}

// Button_AddZakazClick: the current own good into Zakaz, its sale price at
// the order tab's dollar rate when the order is priced in roubles; a good
// the list holds already is refused. The order tab then shows its order.
void Button_AddZakazClick(MainWiring& wiring)
{
    Form_main& form = wiring.form;
    const qint64 code = wiring.catalogue ? wiring.catalogue->currentGood() : 0;
    if (code <= 0)
        return;
    const UserDialogs& dialogs = form.dialogs();
    try {
        const double rate = orders::ReadZakazRate(form.ADOConnection_Zakaz);
        if (orders::AddOwnGoodToZakaz(form.ADOConnection, code, wiring.globals.RoundDigits, rate) ==
            orders::AddToZakazOutcome::AlreadyListed)
            runHook(dialogs.message, orders::kGoodAlreadyListedMessage);
    } catch (const std::exception& e) {
        runHook(dialogs.error ? dialogs.error : dialogs.message, ErrorText(e));
        return;
    }
    if (!wiring.orderTab)
        return;
    wiring.orderTab->RefreshOrder();
    emit wiring.orderTab->orderPageRequested();
}

} // namespace

void wireCatalogue(MainWiring& wiring)
{
    Form_main& form = wiring.form;
    AppGlobals& globals = wiring.globals;
    if (!wiring.orderSettings)
        wiring.orderSettings = std::make_unique<SettingsStore>(form.ADOConnection_Zakaz);

    const UserDialogs& dialogs = form.dialogs();
    auto* page = new catalogue::CataloguePage(form.ADOConnection, *wiring.orderSettings,
                                              catalogue::CatalogueDialogs{dialogs.message, dialogs.confirm}, &form);
    wiring.catalogue = page;
    page->setPricing([&wiring] { return catalogue::GoodsPricing{wiring.globals.RoundDigits, wiring.roubleRate()}; });
    page->setGroupCommandHooks([&form, page] {
        const MainHooks& hooks = form.hooks();
        // After a group's prices are recalculated the goods list shows them.
        std::function<void(qint64)> recalc;
        if (hooks.RecalcGroupMinPrices)
            recalc = [recalcGroup = hooks.RecalcGroupMinPrices, page](qint64 group) {
                recalcGroup(group);
                page->ReopenGoodsList();
            };
        return catalogue::GroupCommandHooks{hooks.OpenGroupValueWindow, hooks.OpenMarkupThresholds, recalc,
                                            hooks.FindMatchesInGroup};
    });
    form.placeWidget(QStringLiteral("TabSheet_Groups"), page->groupsPanel());
    page->goods()->hide();
    form.placeWidget(QStringLiteral("Panel_Tovar"), page->goods());

    QObject::connect(page, &catalogue::CataloguePage::statusTextChanged, &wiring,
                     [&form](int panel, const QString& text) { setMainStatusText(form, panel, text); });
    // After a restore from the backup copy the program starts again.
    QObject::connect(page, &catalogue::CataloguePage::programEndRequested, &form, &QWidget::close,
                     Qt::QueuedConnection);

    auto before = std::make_shared<SupplierView>();
    if (auto* left = form.findChild<QTabWidget*>(QStringLiteral("PageControl_AllTovar")))
        QObject::connect(left, &QTabWidget::currentChanged, &wiring,
                         [&wiring, before](int tab) { showCatalogue(wiring, tab == kCatalogueTab, *before); });

    QObject::connect(page->goods()->addZakazButton(), &QPushButton::clicked, &wiring,
                     [&wiring] { Button_AddZakazClick(wiring); });

    addCatalogueMenu(wiring, page);
    wiring.onStartupSettled.push_back([page] { page->start(); });
}

} // namespace velmora
