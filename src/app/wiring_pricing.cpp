// Pricing and the export run: the items "Установка наценок", "Пересчет
// минимальных цен", "Экспорт" and "База DBF для менеджеров" of the menu
// "Экспорт"; the group tree's commands for a group's markup, warranty,
// thresholds and minimum prices; the recalculation for the older loading
// window. The spreadsheet price list of the export run comes through the
// hook ExportPriceExcel.
#include "main_wiring.h"

#include "platform/files/error_text.h"
#include "wait_window_progress.h"

#include "catalogue/ui/catalogue_page.h"
#include "output/dbase/managers_dbf.h"
#include "output/export/form_export.h"
#include "output/output_error.h"
#include "output/pricing/form_min_price.h"
#include "output/pricing/form_nacen.h"
#include "output/pricing/form_nacen_set.h"
#include "storage/settings_store.h"

#include <QAction>

#include <memory>

namespace velmora {
namespace {

void showGoodsAgain(MainWiring& wiring)
{
    if (wiring.catalogue) {
        wiring.catalogue->ReopenGoodsList();
        wiring.catalogue->ShowGoodsTotals();
    }
}

QAction* addExportItem(Form_main& form, const char* name, const char* caption)
{
    return addMainMenuItem(form, QStringLiteral("Menu_Export"), QStringLiteral("Экспорт"), QLatin1String(name),
                           QString::fromUtf8(caption));
}

// DBF1Click: the managers' catalogue in the program folder.
void writeManagersDbf(MainWiring& wiring, Progress& wait)
{
    Form_main& form = wiring.form;
    const QString folder = form.folders().programFolder;
    try {
        output::WriteManagersDbf(form.ADOConnection, folder, QDate::currentDate(), &wait);
        wait.finish();
        runHook(form.dialogs().message, output::kManagersDbfDone + u'\r' + folder);
    } catch (const output::OutputError& refused) {
        wait.finish();
        runHook(warningSink(form.dialogs()), refused.message());
    } catch (const std::exception& e) {
        wait.finish();
        runHook(warningSink(form.dialogs()), output::kManagersDbfFailed + u'\r' + ErrorText(e));
    }
}

} // namespace

void wirePricing(MainWiring& wiring)
{
    Form_main& form = wiring.form;
    AppGlobals& globals = wiring.globals;
    if (!wiring.orderSettings)
        wiring.orderSettings = std::make_unique<SettingsStore>(form.ADOConnection_Zakaz);
    SettingsStore& settings = *wiring.orderSettings;
    const output::WindowDialogs dialogs{form.dialogs().message, form.dialogs().confirm};
    const auto pricingGlobals = [&globals] {
        return output::PricingGlobals{globals.RoundDigits, globals.SaleSupplierName};
    };
    auto wait = std::make_shared<WaitWindowProgress>(form);

    auto* nacen = new output::Form_Nacen(form.ADOConnection, settings, &form);
    auto* minPrice = new output::Form_MinPrice(form.ADOConnection, settings, &form);
    auto* nacenSet = new output::Form_NacenSet(form.ADOConnection, &form);
    auto* exportWindow = new output::Form_Export(form.ADOConnection, settings, form.folders().programFolder, &form);
    nacen->setDialogs(dialogs);
    nacenSet->setDialogs(dialogs);
    minPrice->setDialogs(dialogs);
    minPrice->setPricingGlobals(pricingGlobals);
    minPrice->setWaitWindow(wait.get());
    exportWindow->setDialogs(dialogs);
    exportWindow->setPricingGlobals(pricingGlobals);
    QObject::connect(nacen, &output::Form_Nacen::goodsChanged, &wiring, [&wiring] { showGoodsAgain(wiring); });
    QObject::connect(nacenSet, &output::Form_NacenSet::goodsChanged, &wiring, [&wiring] { showGoodsAgain(wiring); });
    QObject::connect(minPrice, &output::Form_MinPrice::pricesChanged, &wiring, [&wiring] { showGoodsAgain(wiring); });
    QObject::connect(exportWindow, &output::Form_Export::exported, &wiring, [&wiring] { showGoodsAgain(wiring); });

    // SetupNacenClick, MinPriceClick, ExportOut, DBF1Click.
    QObject::connect(addExportItem(form, "SetupNacen", "Установка наценок"), &QAction::triggered, nacen, [nacen] {
        nacen->setGroup(0);
        nacen->exec();
    });
    QObject::connect(addExportItem(form, "MinPrice", "Пересчет минимальных цен"), &QAction::triggered, minPrice,
                     [minPrice] {
                         minPrice->setGroup(0);
                         minPrice->exec();
                     });
    QObject::connect(addExportItem(form, "ExportOut", "Экспорт"), &QAction::triggered, exportWindow,
                     [&form, exportWindow] {
                         exportWindow->setPriceListWriter(form.hooks().ExportPriceExcel);
                         exportWindow->exec();
                     });
    QObject::connect(addExportItem(form, "DBF1", "База DBF для менеджеров"), &QAction::triggered, &wiring,
                     [&wiring, wait] { writeManagersDbf(wiring, *wait); });

    // The group tree's commands; the group code is reset once the window closed.
    MainHooks& hooks = form.hooks();
    hooks.OpenGroupValueWindow = [nacenSet](qint64 group, const QString& column) {
        nacenSet->setGroup(group, column);
        nacenSet->exec();
    };
    hooks.OpenMarkupThresholds = [nacen](qint64 group) {
        nacen->setGroup(group);
        nacen->exec();
        nacen->setGroup(0);
    };
    hooks.RecalcGroupMinPrices = [minPrice](qint64 group) {
        minPrice->setGroup(group);
        minPrice->exec();
        minPrice->setGroup(0);
    };
    hooks.RecalcAllMinPrices = [&wiring, &settings, pricingGlobals](Progress* bar) {
        try {
            const output::PricingGlobals g = pricingGlobals();
            output::RecalcRequest request;
            request.today = QDate::currentDate();
            const output::RecalcResult result = output::RecalcMinPrices(
                wiring.form.ADOConnection, output::readMinPriceSettings(settings, g.roundDigits, g.saleSupplierName),
                request, bar);
            if (result.roundingFailed)
                runHook(wiring.form.dialogs().message, output::kRoundingFailed);
            runHook(wiring.form.dialogs().message, output::recalcReportText(result));
            showGoodsAgain(wiring);
            return true;
        } catch (const std::exception& e) {
            runHook(wiring.form.dialogs().error, ErrorText(e));
            return false;
        }
    };
}

} // namespace velmora
