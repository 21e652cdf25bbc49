#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace velmora {

class Progress;

// The calls the main window makes into subsystems that live elsewhere.
// Whoever wires a subsystem into the program sets its entries; an entry
// left empty does nothing, so the window works before every subsystem is
// there. All of them run on the main thread.
struct MainHooks {
    // Both databases are open and the role, client switches and cached
    // settings are settled: subsystems that need them finish their set-up
    // here, before the refreshes of the end of start-up.
    std::function<void()> StartupSettled;
    // Currency rates: refreshes the rates and clears RatesRefreshRunning.
    std::function<void()> RefreshCurrencyRates;
    // Supplier goods grid: user column titles, columns, sort marks.
    std::function<void()> LoadColumnTitles;
    std::function<void()> LoadTovarColumns;
    std::function<void()> ClearTovarSortMarks;
    // Supplier tree.
    std::function<void()> BuildSupplierTree;
    // Orders: the order-number list (0 = no number to select), the current
    // order, the client list (empty name = none to select).
    std::function<void(int orderNumber)> FillOrderNumbers;
    std::function<void()> RefreshOrder;
    std::function<void(const QString& clientName)> FillOrderClients;
    // Supplier goods search.
    std::function<void()> SearchSupplierGoods;
    // Closing the main window: false keeps it open (the user was asked).
    std::function<bool()> ConfirmClose;
    // Group commands of the catalogue's group tree, each with the group's
    // code; a command whose hook is unset is disabled in the tree's menu.
    // The group value window sets the column "Nacen" (markup) or "Garant"
    // (warranty) of the group.
    std::function<void(qint64 groupCode, const QString& column)> OpenGroupValueWindow;
    std::function<void(qint64 groupCode)> OpenMarkupThresholds;
    std::function<void(qint64 groupCode)> RecalcGroupMinPrices;
    std::function<void(qint64 groupCode)> FindMatchesInGroup;
    // Timer_PostavNew: offers updated price lists for loading (administrator).
    std::function<void()> CheckUpdatedPriceLists;
    // Writes all price-list settings to PriceListIniPath.
    std::function<void()> SavePriceListSettingsToIni;
    // Releases the spreadsheet instance of the price-list settings page.
    std::function<void()> ReleasePriceExcelApp;
    // Turns a chosen database name into the file itself (unpacks archives);
    // empty: the name is used as it is.
    std::function<QString(const QString& name)> ResolveArchiveFile;
    // Windows the export parameters window opens: the ODBC data-source
    // window (returns the connection string it made, empty when none) and
    // the spreadsheet price-list layout window (given the window to show
    // again when it closes, or null). Their buttons stay disabled while
    // these are unset.
    std::function<QString(QWidget* parent)> OpenDataSourceWindow;
    std::function<void(QWidget* parent)> OpenPriceLayoutWindow;
    // The export run's spreadsheet price list (CheckBox_Excel, disabled
    // while unset): written from Price_Out and the export parameters with
    // the run's bar; true when the workbook was saved (only then is
    // parametr row 1 dated).
    std::function<bool(Progress* bar)> ExportPriceExcel;
    // The minimum-price recalculation of all goods with a caller's bar (the
    // older loading window): the default supplier ticks, the user's
    // settings; a failure is shown to the user and gives false.
    std::function<bool(Progress* bar)> RecalcAllMinPrices;
    // The settings dialog "Настройки программы", modal, on its page with
    // this index (0: the first); it is on its first page again afterwards.
    std::function<void(int pageIndex)> OpenProgramSettings;
    // The own catalogue's import window (Form_ExcelSetup), which the menu
    // item "MyPrice" opens after its warning; the item stays disabled
    // while this is unset.
    std::function<void()> OpenExcelSetup;
    // The user export window (Form_UserExport) that ToolButton_Export opens
    // in the client mode Ormita-Club; the button does nothing there while
    // this is unset.
    std::function<void()> OpenUserExport;
};

// Runs a hook when it is set.
template <typename Hook, typename... Args>
void runHook(const Hook& hook, Args&&... args)
{
    if (hook)
        hook(std::forward<Args>(args)...);
}

} // namespace velmora
