// The price-list settings file: written by the settings panel's save button
// and at close (SavePriceListSettingsToIni), read back by its load button,
// which rebuilds the supplier tree and the load queue.
#include "main_wiring.h"

#include "suppliers/loader/load_queue_panel.h"
#include "suppliers/setup/price_list_ini.h"

#include <QLineEdit>

namespace velmora {

namespace {

QString fieldText(Form_main& form, const char* name)
{
    const auto* field = form.findChild<QLineEdit*>(QLatin1String(name));
    return field ? field->text() : QString();
}

} // namespace

bool exportPriceListSettings(MainWiring& wiring, const QString& iniPath)
{
    if (iniPath.isEmpty())
        return false;
    Form_main& form = wiring.form;
    PriceListIniExtras extras;
    if (wiring.loadQueue)
        extras.loadQueue = wiring.loadQueue->queueNames();
    extras.saveAllPath = fieldText(form, "Edit_SaveAllPath");
    extras.rateDollar = fieldText(form, "Edit_Dollar");
    extras.rateEvro = fieldText(form, "Edit_Evro");
    extras.rateGrivna = fieldText(form, "Edit_Grivna");
    extras.rateBYR = fieldText(form, "Edit_BYR");
    return SavePriceListSettingsToIni(form.ADOConnection, iniPath, extras, form.dialogs().message);
}

void importPriceListSettings(MainWiring& wiring, const QString& iniPath)
{
    Form_main& form = wiring.form;
    const PriceListIniImport imported = LoadPriceListSettingsFromIni(form.ADOConnection, iniPath, form.dialogs().message);
    if (!imported.imported)
        return;
    if (auto* folder = form.findChild<QLineEdit*>(QStringLiteral("Edit_SaveAllPath")))
        folder->setText(imported.saveAllPath);
    // The tree shows the new lists and its first list's settings; the queue
    // then holds the lists the file marks.
    runHook(form.hooks().BuildSupplierTree);
    if (wiring.loadQueue)
        wiring.loadQueue->setQueueNames(imported.loadQueue);
    if (!imported.report.isEmpty() && form.dialogs().message)
        form.dialogs().message(imported.report);
}

void wirePriceListIni(MainWiring& wiring)
{
    wiring.form.hooks().SavePriceListSettingsToIni = [&wiring] {
        exportPriceListSettings(wiring, wiring.globals.PriceListIniPath);
    };
}

} // namespace velmora
