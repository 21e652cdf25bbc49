// The order tab on page 6: the main window's order hooks, the tool bar's
// "Новый заказ", the goods card's "Добавить в заказ" and the wait window of
// the order workbooks.
#include "main_wiring.h"
#include "wait_window_progress.h"

#include "orders/ui/order_tab.h"
#include "suppliers/currency/currency_panel.h"
#include "suppliers/search/goods_card.h"
#include "suppliers/search/supplier_goods_panel.h"

#include <QTabWidget>
#include <QToolButton>

namespace velmora {

namespace {

constexpr int kOrderPage = 6;

orders::OrderColumnTitles orderColumnTitles(const search::ColumnTitles& titles)
{
    orders::OrderColumnTitles result;
    result.art = titles.ColumnTitleArt;
    result.tovar = titles.ColumnTitleTovar;
    result.sklad = titles.ColumnTitleSklad;
    result.garant = titles.ColumnTitleGarant;
    result.description = titles.ColumnTitleDescription;
    result.textNoName = titles.ColumnTitleTextNoName;
    return result;
}

orders::CardOffer cardOffer(const search::OfferCard& card)
{
    orders::CardOffer offer;
    offer.number = card.number;
    offer.art = card.art;
    offer.tovar = card.tovar;
    offer.price = card.price;
    offer.pricemax = card.pricemax;
    offer.priceOut = card.priceOut;
    offer.supplier = card.supplier;
    offer.garant = card.garant;
    offer.sklad = card.sklad;
    offer.description = card.description;
    offer.textNoName = card.textNoName;
    return offer;
}

// Showing the order page hides the other feature panels.
void TabSheet_ZakazShow(MainWiring& wiring)
{
    for (const char* name : {"Panel_Excel", "Panel_ListExcel", "Panel4", "Panel_PostavInfo", "Panel_SelPostav",
                             "Panel_TemplateSetup"})
        if (auto* panel = wiring.form.findChild<QWidget*>(QLatin1String(name)))
            panel->hide();
    if (wiring.orderTab)
        wiring.orderTab->TabSheet_ZakazShow();
}

} // namespace

void wireOrders(MainWiring& wiring)
{
    Form_main& form = wiring.form;
    AppGlobals& globals = wiring.globals;

    orders::OrderTabEnvironment environment;
    environment.orderDb = &form.ADOConnection_Zakaz;
    environment.priceDb = &form.ADOConnection;
    environment.userIniPath = [&globals] { return globals.UserIniPath; };
    environment.programFolder = form.folders().programFolder;
    environment.clientLayouts = [&globals] { return globals.ClientModeOrderLayouts; };
    environment.columnTitles = [&wiring] { return orderColumnTitles(wiring.columnTitles); };
    environment.displayCode = [&wiring] { return wiring.displayCurrencyCode(); };
    environment.progress = waitWindowProgress(form);
    environment.message = form.dialogs().message;
    environment.error = form.dialogs().error ? form.dialogs().error : form.dialogs().message;
    environment.confirm = form.dialogs().confirm;
    environment.status = [&wiring](const QString& text) { wiring.showStatus(text); };

    auto* tab = new orders::OrderTab(std::move(environment));
    form.placeWidget(QStringLiteral("TabSheet_Zakaz"), tab);
    wiring.orderTab = tab;
    QObject::connect(tab, &orders::OrderTab::orderPageRequested, &wiring, [&wiring] { wiring.showSootvPage(kOrderPage); });

    MainHooks& hooks = form.hooks();
    hooks.FillOrderNumbers = [tab](int orderNumber) { tab->FillOrderNumbers(orderNumber); };
    hooks.RefreshOrder = [tab] { tab->RefreshOrder(); };
    hooks.FillOrderClients = [tab](const QString& clientName) { tab->FillOrderClients(clientName); };

    if (auto* newOrder = form.findChild<QToolButton*>(QStringLiteral("ToolButton9")))
        QObject::connect(newOrder, &QToolButton::clicked, tab, &orders::OrderTab::SpeedButton_ZakazNewClick);
    if (auto* pages = form.findChild<QTabWidget*>(QStringLiteral("PageControl_Sootv")))
        QObject::connect(pages, &QTabWidget::currentChanged, &wiring, [&wiring](int index) {
            if (index == kOrderPage)
                TabSheet_ZakazShow(wiring);
        });

    if (search::SupplierGoodsPanel* goods = wiring.goods) {
        search::GoodsCard* card = goods->card();
        QObject::connect(card, &search::GoodsCard::addToOrderRequested, tab, [tab, card] {
            if (tab->AddToOrder(cardOffer(card->offer()), card->quantityText()))
                card->resetQuantity();
        });
    }
}

} // namespace velmora
