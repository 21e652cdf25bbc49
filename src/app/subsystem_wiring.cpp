#include "main_wiring.h"
#include "program.h"
#include "wheel_to_arrow_keys.h"

#include <QApplication>

#include <QVBoxLayout>

namespace velmora {

void wireSubsystems(Program& program)
{
    Form_main& form = *program.Form_main();
    auto* wiring = new MainWiring(form, program.globals());

    // Panels fill in this order; the load queue and the save panel are made
    // at the end of start-up, once the databases are open.
    wireMainMenu(*wiring);
    wireSettingsPanel(*wiring);
    wireCurrency(*wiring);
    wireLoadQueue(*wiring);
    wireSupplierTree(*wiring);
    wireGoodsSearch(*wiring);
    wireOrders(*wiring);
    wireOrderList(*wiring);
    wireCatalogue(*wiring);
    wireCatalogueWindows(*wiring);
    wireMatching(*wiring);
    wirePriceSave(*wiring);
    wireStockCriteria(*wiring);
    wireSupplierSettings(*wiring);
    wireOutputParameters(*wiring);
    wirePricing(*wiring);
    wireDatabaseSave(*wiring);
    wirePriceListIni(*wiring);
    wireProgramSettings(*wiring);
    wireSearchExport(*wiring);
    wireShopExports(*wiring);
    wirePriceListExcel(*wiring);
    wireUserExport(*wiring);

    // The settings panel's groups stand at its top.
    if (auto* panel = form.findChild<QWidget*>(QStringLiteral("Panel_Setup")))
        if (auto* layout = qobject_cast<QVBoxLayout*>(panel->layout()))
            layout->addStretch(1);

    // Grids move their current row with the wheel; the filter leaves with the window.
    if (qApp)
        qApp->installEventFilter(new WheelToArrowKeys(&form));

    form.hooks().StartupSettled = [wiring] {
        for (const auto& step : wiring->onStartupSettled)
            step();
        // Again now that every piece's controls are there.
        wiring->form.ApplyAdminRole();
    };
}

} // namespace velmora
