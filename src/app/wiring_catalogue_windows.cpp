// The own catalogue's windows of the menus "Каталог" and "Экспорт": the
// import from a workbook (through the hook OpenExcelSetup, after the
// menu's warning), the group settings, the selected goods, the supplier
// price updates and invoices, and the Shop-Script catalogue.
#include "main_wiring.h"

#include "storage/settings_store.h"

#include "catalogue/goods_card_data.h"
#include "catalogue/ui/catalogue_goods_panel.h"
#include "catalogue/ui/catalogue_page.h"
#include "catalogue/ui/form_excel_setup.h"
#include "catalogue/ui/form_group_setup.h"
#include "catalogue/ui/form_main_tov_ad_ed.h"
#include "catalogue/ui/form_shops_script.h"
#include "catalogue/ui/form_view_tovar_sel.h"
#include "catalogue/ui/supplier_file_window.h"
#include "orders/ui/order_tab.h"
#include "platform/db/db_error.h"
#include "platform/spreadsheet/handover.h"

#include <QAction>

namespace velmora {

namespace {

catalogue::CatalogueWindowEnvironment windowEnvironment(MainWiring& wiring)
{
    Form_main& form = wiring.form;
    const UserDialogs& dialogs = form.dialogs();
    catalogue::CatalogueWindowEnvironment env;
    env.priceDb = &form.ADOConnection;
    env.orderDb = &form.ADOConnection_Zakaz;
    env.programFolder = form.folders().programFolder;
    env.roundDigits = wiring.globals.RoundDigits;
    env.openFileName = dialogs.openFileName;
    env.setMainWindowHidden = [&form](bool hidden) { form.setVisible(!hidden); };
    env.message = dialogs.message;
    env.error = dialogs.error ? dialogs.error : dialogs.message;
    env.confirm = dialogs.confirm;
    return env;
}

// After an import: the main window's tree, goods list and totals afresh
// (the current good's criteria and correspondences follow the list).
void showNewCatalogue(MainWiring& wiring)
{
    catalogue::CataloguePage* page = wiring.catalogue;
    if (!page)
        return;
    page->tree()->LoadGroupTreeRoot();
    page->ShowGoodsTotals();
    page->ReopenGoodsList();
}

void editGood(MainWiring& wiring, qint64 code)
{
    catalogue::CataloguePage* page = wiring.catalogue;
    if (!page)
        return;
    catalogue::CardOpening opening;
    try {
        if (!catalogue::openCardForEdit(wiring.form.ADOConnection, code, wiring.globals.RoundDigits, opening))
            return;
    } catch (const db::DbError& e) {
        if (wiring.form.dialogs().message)
            wiring.form.dialogs().message(e.message());
        return;
    }
    page->card()->showCard(opening);
}

QAction* menuItem(MainWiring& wiring, const char* menu, const char* title, const char* name, const char* caption)
{
    return addMainMenuItem(wiring.form, QLatin1String(menu), QString::fromUtf8(title), QLatin1String(name),
                           QString::fromUtf8(caption));
}

} // namespace

void wireCatalogueWindows(MainWiring& wiring)
{
    Form_main& form = wiring.form;
    MainWiring* w = &wiring;

    // MyPriceClick (wiring_main_menu.cpp) asks first, then opens it here.
    form.hooks().OpenExcelSetup = [w] {
        catalogue::Form_ExcelSetup window(windowEnvironment(*w), [w] { showNewCatalogue(*w); }, &w->form);
        window.exec();
    };
    menuItem(wiring, "Menu_Catalogue", "Каталог", "MyPrice", "Настройка прайс-листа для загрузки");

    // N8Click.
    QObject::connect(menuItem(wiring, "Menu_Catalogue", "Каталог", "N8", "Параметры групп товаров"),
                     &QAction::triggered, &wiring, [w] {
                         catalogue::Form_GroupSetup window(
                             windowEnvironment(*w),
                             [w](int page) { runHook(w->form.hooks().OpenProgramSettings, page); }, &w->form);
                         window.exec();
                     });
    // N11Click.
    QObject::connect(menuItem(wiring, "Menu_Catalogue", "Каталог", "N11", "Отобранные товары"), &QAction::triggered,
                     &wiring, [w] {
                         catalogue::Form_ViewTovarSel window(windowEnvironment(*w),
                                                             [w](qint64 code) { editGood(*w, code); }, &w->form);
                         window.exec();
                     });
    // LoadPricePostavClick: the order page shows its lines afresh after an update.
    QObject::connect(menuItem(wiring, "Menu_Catalogue", "Каталог", "LoadPricePostav", "Обновление цен поставщиков"),
                     &QAction::triggered, &wiring, [w] {
                         catalogue::Form_LoadPricePostav window(
                             windowEnvironment(*w),
                             [w] {
                                 if (!w->orderTab)
                                     return;
                                 w->orderTab->RefreshOrder();
                                 emit w->orderTab->orderPageRequested();
                             },
                             &w->form);
                         window.exec();
                     });
    // PostavInvoiceClick: the saved invoice opens in the desktop's spreadsheet.
    QObject::connect(
        menuItem(wiring, "Menu_Catalogue", "Каталог", "PostavInvoice", "Обработка накладных от поставщиков"),
        &QAction::triggered, &wiring, [w] {
            catalogue::Form_PostavInvoice window(
                windowEnvironment(*w),
                [w](const QString& path) {
                    if (!sheet::openInDesktop(path))
                        w->showStatus(QStringLiteral("Сохранено: ") + path);
                },
                &w->form);
            window.exec();
        });
    // N12Click.
    QObject::connect(
        menuItem(wiring, "Menu_Export", "Экспорт", "N12", "Формирование каталога товаров для Shop-Script"),
        &QAction::triggered, &wiring, [w] {
            catalogue::Form_ShopsScript window(windowEnvironment(*w), &w->form);
            window.exec();
        });
}

} // namespace velmora
