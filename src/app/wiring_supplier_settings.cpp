// The supplier settings on the settings panel: the buttons "Настройки
// поставщиков" (the supplier settings window, modeless) and "Приоритеты
// Производителей" (the priority brands); and the price history panels on
// the price-list settings tab.
#include "main_wiring.h"

#include "main_status_bar.h"
#include "suppliers/brands/form_brend_priory.h"
#include "suppliers/brands/form_postav_setup.h"
#include "suppliers/history/price_history_panel.h"
#include "suppliers/search/supplier_goods_panel.h"
#include "suppliers/search/supplier_search_bar.h"
#include "suppliers/setup/price_list_setup_tab.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>

namespace velmora {

namespace {

// Panel 1 of the status bar at once: the recalculation runs on the main thread.
void showStatusNow(Form_main& form, const QString& text)
{
    setMainStatusText(form, 1, text);
    if (QLabel* panel = mainStatusPanel(form, 1))
        panel->repaint();
}

void wireSupplierSettingsWindows(MainWiring& wiring)
{
    Form_main& form = wiring.form;
    auto* postavSetup = new brands::Form_PostavSetup(form.ADOConnection, form.ADOConnection_Zakaz, &form);
    auto* brendPriory = new brands::Form_BrendPriory(form.ADOConnection, &form);
    if (form.dialogs().message) {
        postavSetup->setMessageSink(form.dialogs().message);
        brendPriory->setMessageSink(form.dialogs().message);
    }
    if (form.dialogs().confirm)
        brendPriory->setQuestionHandler(form.dialogs().confirm);
    QObject::connect(postavSetup, &brands::Form_PostavSetup::statusTextChanged, &wiring,
                     [&form](const QString& text) { showStatusNow(form, text); });
    QObject::connect(postavSetup, &brands::Form_PostavSetup::goodsChanged, &wiring, &MainWiring::searchGoodsAgain);
    QObject::connect(brendPriory, &brands::Form_BrendPriory::priorityBrandsChanged, &wiring,
                     &MainWiring::searchGoodsAgain);

    auto* openSetup = new QPushButton(QStringLiteral("Настройки поставщиков"));
    openSetup->setObjectName(QStringLiteral("Button_PostavSetup"));
    auto* openPriory = new QPushButton(QStringLiteral("Приоритеты Производителей"));
    openPriory->setObjectName(QStringLiteral("Button_BrendPriory"));
    form.placeWidget(QStringLiteral("Panel_Setup"), openSetup);
    form.placeWidget(QStringLiteral("Panel_Setup"), openPriory);
    QObject::connect(openSetup, &QPushButton::clicked, postavSetup, [postavSetup] {
        postavSetup->show();
        postavSetup->raise();
        postavSetup->activateWindow();
    });
    QObject::connect(openPriory, &QPushButton::clicked, brendPriory, [&form, brendPriory] {
        if (auto* panel = form.findChild<QWidget*>(QStringLiteral("Panel_Setup")))
            panel->hide();
        brendPriory->exec();
    });
}

// Under the price list's box on the settings tab, in step with the list
// shown and its switch.
void createPriceHistoryPanel(MainWiring& wiring)
{
    PriceListSetupTab* tab = wiring.setupTab;
    if (!tab)
        return;
    Form_main& form = wiring.form;
    auto* panel = new history::PriceHistoryPanel(form.ADOConnection, form.ADOConnection_Zakaz);
    panel->setSupplierProvider([tab = QPointer<PriceListSetupTab>(tab)] { return tab ? tab->currentName() : QString(); });
    if (form.dialogs().confirm)
        panel->setQuestionHandler(form.dialogs().confirm);
    if (form.dialogs().message)
        panel->setMessageSink(form.dialogs().message);
    if (auto* layout = qobject_cast<QBoxLayout*>(tab->layout()))
        layout->insertWidget(1, panel);
    QObject::connect(tab, &PriceListSetupTab::priceHistorySwitched, panel, &history::PriceHistoryPanel::showPriceList);
    // After the tab's own handler has stored the switch.
    auto* box = tab->findChild<QCheckBox*>(QStringLiteral("CheckBox_PriceHistory"));
    if (box)
        QObject::connect(box, &QCheckBox::clicked, panel, &history::PriceHistoryPanel::CheckBox_PriceHistoryClick);
    QObject::connect(panel, &history::PriceHistoryPanel::goodsSearchRequested, &wiring, [&wiring](const QString& text) {
        if (!wiring.goods)
            return;
        wiring.goods->searchBar()->findEdit()->setText(text);
        wiring.searchGoodsAgain();
    });
    // A list shown before the panel was made (a load or a new view of the
    // list shows its loads anew through the signal).
    if (!tab->currentName().isEmpty() && box)
        panel->showPriceList(tab->currentName(), box->isChecked());
}

} // namespace

void wireSupplierSettings(MainWiring& wiring)
{
    wireSupplierSettingsWindows(wiring);
    wiring.onStartupSettled.push_back([&wiring] { createPriceHistoryPanel(wiring); });
}

} // namespace velmora
