// The save panel of supplier price lists on page 7, opened by the tool
// button "Сохранить в Excel выбранный файл".
#include "main_wiring.h"

#include "suppliers/currency/currency_panel.h"
#include "suppliers/exports/price_save_panel.h"
#include "suppliers/tree/price_lists.h"
#include "suppliers/tree/supplier_tree.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QScrollArea>
#include <QToolButton>

namespace velmora {

namespace {

constexpr int kSetupPage = 7;

// The panel reads its settings when made: after the databases are open.
void createPriceSavePanel(MainWiring& wiring)
{
    Form_main& form = wiring.form;
    exports::PriceSaveEnvironment environment;
    environment.pricePath = form.ADOConnection.path();
    environment.programFolder = form.folders().programFolder;
    environment.orderDb = &form.ADOConnection_Zakaz;
    QPointer<CurrencyPanel> currency = wiring.currency;
    environment.displayCode = [currency] {
        return currency ? currency->currencyTable().displayCode() : QStringLiteral("RUB");
    };
    auto* panel = new exports::PriceSavePanel(std::move(environment));
    panel->hide();
    // Above the settings tab, in its scrolled content.
    auto* content = form.findChild<QWidget*>(QStringLiteral("Panel_PostavSetupContent"));
    if (auto* layout = content ? qobject_cast<QBoxLayout*>(content->layout()) : nullptr)
        layout->insertWidget(0, panel);
    else
        form.placeWidget(QStringLiteral("TabSheet_PostavSetup"), panel);
    wiring.priceSave = panel;
    QObject::connect(panel, &exports::PriceSavePanel::exportFinished, &wiring,
                     [&wiring](const QStringList& files, const QString& errorText) {
                         if (!errorText.isEmpty())
                             wiring.showStatus(errorText);
                         else if (!files.isEmpty())
                             wiring.showStatus(QStringLiteral("Сохранено: ") + files.join(QStringLiteral(", ")));
                     });
}

void ToolButton_ExportClick(MainWiring& wiring)
{
    // The Ormita client exports through its own window.
    if (wiring.globals.ClientModeOrmita) {
        runHook(wiring.form.hooks().OpenUserExport);
        return;
    }
    exports::PriceSavePanel* panel = wiring.priceSave;
    if (!panel)
        return;
    wiring.showSootvPage(kSetupPage);
    QStringList names;
    for (const PriceListRow& row : ReadPriceLists(wiring.form.ADOConnection))
        names << row.Postavshik;
    panel->setSupplierNames(names);
    if (auto* combo = panel->findChild<QComboBox*>(QStringLiteral("ComboBox_SetPriceSave"))) {
        const int selected = wiring.tree ? names.indexOf(wiring.tree->selectedName()) : -1;
        combo->setCurrentIndex(selected >= 0 ? selected : (names.isEmpty() ? -1 : 0));
    }
    panel->show();
    if (auto* scroll = wiring.form.findChild<QScrollArea*>(QStringLiteral("ScrollBox_PostavSetup")))
        scroll->ensureWidgetVisible(panel);
}

} // namespace

void wirePriceSave(MainWiring& wiring)
{
    wiring.onStartupSettled.push_back([&wiring] { createPriceSavePanel(wiring); });
    if (auto* button = wiring.form.findChild<QToolButton*>(QStringLiteral("ToolButton_Export")))
        QObject::connect(button, &QToolButton::clicked, &wiring, [&wiring] { ToolButton_ExportClick(wiring); });
}

} // namespace velmora
