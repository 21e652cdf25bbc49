// The currency rates: the rate controls on the settings panel, the rate
// refresh of start-up, and re-pricing that searches the goods again.
#include "main_wiring.h"

#include "platform/files/ini_file.h"
#include "suppliers/currency/currency_panel.h"
#include "suppliers/pricing.h"

namespace velmora {

void wireCurrency(MainWiring& wiring)
{
    Form_main& form = wiring.form;
    AppGlobals& globals = wiring.globals;

    auto* panel = new CurrencyPanel(form.ADOConnection);
    panel->setObjectName(QStringLiteral("Panel_Valuta"));
    if (!form.placeWidget(QStringLiteral("GroupBox_Valuta"), panel))
        form.placeWidget(QStringLiteral("Panel_Setup"), panel);
    wiring.currency = panel;

    // Read at every re-pricing, so an edited SetupUser.ini counts at once.
    panel->setRoundingProvider([&globals] {
        const QString degree = ReadIniString(globals.UserIniPath, QStringLiteral("SetupUsers"), QStringLiteral("2"),
                                             QStringLiteral("DegreePricePostav"));
        return PriceRounding::fromDegreeText(degree, globals.ClientModeOrmita);
    });

    QObject::connect(panel, &CurrencyPanel::statusMessage, &wiring, &MainWiring::showStatus);
    QObject::connect(panel, &CurrencyPanel::goodsRepriced, &wiring, &MainWiring::searchGoodsAgain);
    QObject::connect(panel, &CurrencyPanel::priceListSettingsChanged, &wiring,
                     &MainWiring::markPriceListSettingsChanged);

    wiring.onStartupSettled.push_back([panel, &globals] { panel->setAdministrator(globals.IsLoadAdmin); });
    form.hooks().RefreshCurrencyRates = [panel, &globals] {
        // The role may have been handed over since the last refresh.
        panel->setAdministrator(globals.IsLoadAdmin);
        panel->RefreshCurrencyRates();
        globals.RatesRefreshRunning = panel->ratesRefreshRunning();
    };
}

} // namespace velmora
