// The load queue: its panel under the supplier tree, opened by the tool
// button "Очередь загрузки" and by the new-file check after the first
// showing; the thread's status in the status bar; a finished run shows the
// new goods.
#include "main_wiring.h"

#include "main_status_bar.h"
#include "suppliers/currency/currency_panel.h"
#include "suppliers/loader/load_queue_panel.h"

#include <QCheckBox>
#include <QStyle>
#include <QToolButton>

#include <memory>

namespace velmora {

namespace {

const QString kOptionLocked = QStringLiteral("Опция заблокирована!\rПроверьте настройки.");
const QString kCloseDuringLoad = QStringLiteral("Идёт загрузка прайс-листов.\r\rЗакрыть программу? "
                                                "Прайс-лист, который сейчас загружается, останется с прежними товарами.");

// The panel needs the open databases and the settled role, so it is made
// at the end of start-up.
void createLoadQueuePanel(MainWiring& wiring)
{
    Form_main& form = wiring.form;
    AppGlobals& globals = wiring.globals;

    loader::LoadQueueEnvironment environment;
    environment.pricePath = form.ADOConnection.path();
    environment.orderPath = form.ADOConnection_Zakaz.path();
    environment.userIniPath = globals.UserIniPath;
    environment.programFolder = form.folders().programFolder;
    environment.ormita = globals.ClientModeOrmita;
    environment.isLoadAdmin = globals.IsLoadAdmin;
    environment.priceDb = &form.ADOConnection;
    environment.orderDb = &form.ADOConnection_Zakaz;
    QPointer<CurrencyPanel> currency = wiring.currency;
    // The rates a run loads with; a rate changed during the run re-prices
    // its offers once it has ended.
    auto runRates = std::make_shared<CurrencyTable>();
    environment.rates = [currency, runRates] {
        *runRates = currency ? currency->currencyTable() : CurrencyTable{};
        return *runRates;
    };
    if (form.dialogs().confirm)
        environment.ask = form.dialogs().confirm;
    if (form.dialogs().message)
        environment.inform = form.dialogs().message;
    environment.userName = form.folders().userName;

    auto* panel = new loader::LoadQueuePanel(std::move(environment));
    panel->hide();
    form.placeWidget(QStringLiteral("TabSheet_AllPostav"), panel);
    wiring.loadQueue = panel;
    if (!globals.IsLoadAdmin) {
        // As start-up leaves them for any user but the administrator.
        if (auto* loadBase = panel->findChild<QCheckBox*>(QStringLiteral("CheckBox_LoadBasePostav")))
            loadBase->setEnabled(false);
        if (auto* autoSave = panel->findChild<QCheckBox*>(QStringLiteral("CheckBox_AutoSaveIniFile"))) {
            autoSave->setChecked(false);
            autoSave->setEnabled(false);
        }
    }

    QObject::connect(panel, &loader::LoadQueuePanel::statusChanged, &wiring,
                     [&form](const QString& status, const QString& elapsed) {
                         setMainStatusText(form, 1, status);
                         setMainStatusText(form, 2, elapsed);
                     });
    QObject::connect(panel, &loader::LoadQueuePanel::repricingRequested, &wiring, [&wiring] {
        if (wiring.currency)
            wiring.currency->RepriceForeignGoods();
    });
    QObject::connect(panel, &loader::LoadQueuePanel::loadRunFinished, &wiring, [&wiring, runRates] {
        if (wiring.currency && wiring.currency->currencyTable() != *runRates)
            wiring.currency->RepriceForeignGoods();
        wiring.searchGoodsAgain();
    });
    QObject::connect(panel, &loader::LoadQueuePanel::loadAdminChanged, &wiring, [&wiring] {
        wiring.form.ApplyAdminRole();
        if (wiring.currency)
            wiring.currency->setAdministrator(wiring.globals.IsLoadAdmin);
    });
    QObject::connect(panel, &loader::LoadQueuePanel::queueChanged, &wiring, &MainWiring::markPriceListSettingsChanged);

    form.hooks().CheckUpdatedPriceLists = [panel] { panel->CheckUpdatedPriceLists(); };
    // Closing during a load abandons the list being loaded (its old goods
    // stay): the user says so first.
    form.hooks().ConfirmClose = [&form, panel] {
        if (!panel->isLoadRunning())
            return true;
        return form.dialogs().confirm && form.dialogs().confirm(kCloseDuringLoad);
    };
}

} // namespace

void wireLoadQueue(MainWiring& wiring)
{
    Form_main& form = wiring.form;
    wiring.onStartupSettled.push_back([&wiring] { createLoadQueuePanel(wiring); });

    QToolButton* queue = wiring.addToolButton(QStringLiteral("ToolButton8"), QStringLiteral("Очередь загрузки"),
                                              form.style()->standardIcon(QStyle::SP_BrowserReload));
    QObject::connect(queue, &QToolButton::clicked, &wiring, [&wiring] {
        if (!wiring.globals.IsLoadAdmin) {
            if (wiring.form.dialogs().message)
                wiring.form.dialogs().message(kOptionLocked);
            return;
        }
        if (!wiring.loadQueue)
            return;
        wiring.loadQueue->show();
        wiring.loadQueue->CheckUpdatedPriceLists();
    });
}

} // namespace velmora
