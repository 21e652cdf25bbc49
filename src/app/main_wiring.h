#pragma once

#include "app_globals.h"
#include "form_main.h"

#include <QObject>
#include <QPointer>

#include "suppliers/search/goods_columns.h"

#include <functional>
#include <memory>
#include <vector>

class QMenu;
class QToolButton;

namespace velmora {

class CurrencyPanel;
class PriceListSetupTab;
class SettingsStore;
class SupplierTree;
namespace catalogue {
class CataloguePage;
}
namespace exports {
class PriceSavePanel;
}
namespace loader {
class LoadQueuePanel;
}
namespace orders {
class OrderTab;
class UserExportRunner;
}
namespace search {
class SupplierGoodsPanel;
class SupplierSelectionPanel;
}

// The subsystem pieces placed into the main window and what they share:
// one instance per main window (its child), built by wireSubsystems. The
// pieces never know each other; the connections between them are made
// here, through the pointers below (null while a piece is not there).
class MainWiring : public QObject {
    Q_OBJECT
public:
    MainWiring(Form_main& form, AppGlobals& globals);
    ~MainWiring() override;

    Form_main& form;
    AppGlobals& globals;

    QPointer<CurrencyPanel> currency;
    QPointer<loader::LoadQueuePanel> loadQueue;
    QPointer<search::SupplierGoodsPanel> goods;
    QPointer<search::SupplierSelectionPanel> supplierSelection;
    QPointer<SupplierTree> tree;
    QPointer<PriceListSetupTab> setupTab;
    QPointer<exports::PriceSavePanel> priceSave;
    QPointer<orders::OrderTab> orderTab;
    // The combined stock export's worker (wiring_user_export.cpp).
    QPointer<orders::UserExportRunner> userExport;
    // The own catalogue (wiring_catalogue.cpp): later pieces follow its
    // currentGoodChanged(Code) and fill the pages of PageControl_Sootv.
    QPointer<catalogue::CataloguePage> catalogue;

    // The order database's settings for the pieces that keep theirs there.
    std::unique_ptr<SettingsStore> orderSettings;
    // The user's grid column titles (LoadColumnTitles).
    search::ColumnTitles columnTitles;

    // Set-up steps that need the open databases and the settled role; run
    // in order by the StartupSettled hook.
    std::vector<std::function<void()>> onStartupSettled;

    // A status text in panel 1 of the status bar.
    void showStatus(const QString& text);
    // Runs the supplier goods search again with the same find text (after
    // prices or the shown suppliers changed).
    void searchGoodsAgain();
    // Shows the page of PageControl_Sootv with this index.
    void showSootvPage(int index);
    // The goods grid's titles from columnTitles and the display currency.
    void applyColumnTitles();
    // The display currency's code ("RUB", its default, until the rates are
    // there).
    QString displayCurrencyCode() const;
    // Roubles per unit of the display currency: from the currency table
    // when it knows the rate, else the stored KursRUB.
    double roubleRate() const;
    // Marks the price-list settings as changed (written at close).
    void markPriceListSettingsChanged() { globals.PriceListSettingsChanged = true; }

    // A button of the main tool bar, added after the frame's own buttons.
    QToolButton* addToolButton(const QString& name, const QString& hint, const QIcon& icon);
};

// A submenu of a menu of the main menu (both made on first use).
QMenu* addMainMenu(Form_main& form, const QString& name, const QString& title, const QString& parentName,
                   const QString& parentTitle);
// An item of the main menu. `name` is the handler's name without "Click"
// ("ZakazExcel", "ExportOut"). An item the menu already holds under that
// name (the commands of wiring_main_menu.cpp, there from the start and
// disabled) is returned enabled, in its place, with the caption when one
// is given; any other is added at the end of the named menu (made on first
// use), before "Выход" in "Файл".
QAction* addMainMenuItem(Form_main& form, const QString& menuName, const QString& menuTitle, const QString& name,
                         const QString& caption);

// One piece each, called by wireSubsystems in the order the panels fill.
void wireCurrency(MainWiring& wiring);
void wireLoadQueue(MainWiring& wiring);
void wireGoodsSearch(MainWiring& wiring);
void wireOrders(MainWiring& wiring);
void wireOrderList(MainWiring& wiring);
void wireSupplierTree(MainWiring& wiring);
void wireCatalogue(MainWiring& wiring);
void wireCatalogueWindows(MainWiring& wiring);
void wireMatching(MainWiring& wiring);
void wirePriceSave(MainWiring& wiring);
void wireSettingsPanel(MainWiring& wiring);
void wireMainMenu(MainWiring& wiring);
void wireOutputParameters(MainWiring& wiring);
void wirePricing(MainWiring& wiring);
void wireStockCriteria(MainWiring& wiring);
void wireDatabaseSave(MainWiring& wiring);
void wireSupplierSettings(MainWiring& wiring);
void wirePriceListIni(MainWiring& wiring);
void wireProgramSettings(MainWiring& wiring);
void wireSearchExport(MainWiring& wiring);
void wireShopExports(MainWiring& wiring);
void wirePriceListExcel(MainWiring& wiring);
void wireUserExport(MainWiring& wiring);

// The price-list settings file (wiring_price_list_ini.cpp): written from the
// tables and the queue, read back into them; both report through the
// window's messages.
bool exportPriceListSettings(MainWiring& wiring, const QString& iniPath);
void importPriceListSettings(MainWiring& wiring, const QString& iniPath);

} // namespace velmora
