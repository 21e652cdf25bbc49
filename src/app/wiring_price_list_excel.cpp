// The shop's spreadsheet price list: the layout window "Настройка
// прайс-листа в Excel" (menu "Экспорт" and the export parameters window)
// and the one writer that both its button "Выгрузить в Excel" and the
// export run call (hook ExportPriceExcel).
#include "main_wiring.h"

#include "wait_window_progress.h"

#include "output/output_error.h"
#include "output/price_list/form_price_excel.h"
#include "output/price_list/price_list_excel.h"
#include "platform/spreadsheet/handover.h"

#include <QAction>
#include <QDialog>

#include <memory>

namespace velmora {
namespace {

// ExportPriceExcel with the program's databases and globals: the layout
// window, when shown, is hidden during the walk and closed at the end in
// every outcome; a failure is told, a saved workbook is opened for the
// user. True when the workbook was saved.
bool writePriceList(MainWiring& wiring, output::Form_PriceExcel* layout, Progress* progress)
{
    Form_main& form = wiring.form;
    output::PriceExcelInput input;
    input.programFolder = form.folders().programFolder;
    input.roubleRate = wiring.roubleRate();
    input.displayCurrency = wiring.displayCurrencyCode();
    input.roundDigits = wiring.globals.RoundDigits;
    const bool layoutShown = layout && layout->isVisible();
    if (layoutShown)
        layout->hide();
    const output::PriceExcelResult result =
        output::ExportPriceExcel(form.ADOConnection, form.ADOConnection_Zakaz, input, progress);
    if (layoutShown)
        layout->close();

    const UserDialogs& dialogs = form.dialogs();
    if (!result.saved) {
        runHook(warningSink(dialogs), result.message);
        return false;
    }
    if (!result.message.isEmpty())
        runHook(dialogs.message, result.message);
    if (!sheet::openInDesktop(result.savedPath))
        wiring.showStatus(QStringLiteral("Сохранено: ") + result.savedPath);
    return true;
}

} // namespace

void wirePriceListExcel(MainWiring& wiring)
{
    Form_main& form = wiring.form;
    auto wait = std::make_shared<WaitWindowProgress>(form);
    auto* layout = new output::Form_PriceExcel(form.ADOConnection_Zakaz, form.folders().programFolder, &form);
    layout->setDialogs({form.dialogs().message, form.dialogs().confirm});
    layout->setOpenDialog(form.dialogs().openFileName);
    layout->setWaitWindow(wait.get());
    layout->setDisplayCurrency([&wiring] { return wiring.displayCurrencyCode(); });
    layout->setPriceListWriter([&wiring, layout, wait] { writePriceList(wiring, layout, wait.get()); });

    // The window it was opened from (the export parameters window) comes
    // back when it closes; the main window steps aside for the template.
    auto returnTo = std::make_shared<QPointer<QWidget>>();
    layout->setOtherWindowsShown([&form, returnTo](bool shown) {
        if (!shown) {
            form.hide();
            return;
        }
        form.show();
        if (QPointer<QWidget> from = std::exchange(*returnTo, nullptr)) {
            if (auto* dialog = qobject_cast<QDialog*>(from.data()))
                dialog->open();
            else
                from->show();
        }
    });

    MainHooks& hooks = form.hooks();
    hooks.OpenPriceLayoutWindow = [layout, returnTo](QWidget* from) {
        *returnTo = from;
        layout->show();
        layout->raise();
        layout->activateWindow();
    };
    hooks.ExportPriceExcel = [&wiring, layout](Progress* bar) { return writePriceList(wiring, layout, bar); };

    // Excel1Click.
    QAction* item = addMainMenuItem(form, QStringLiteral("Menu_Export"), QStringLiteral("Экспорт"),
                                    QStringLiteral("Excel1"), QStringLiteral("Настройка прайс-листа в Excel"));
    QObject::connect(item, &QAction::triggered, layout, [&form] { runHook(form.hooks().OpenPriceLayoutWindow, nullptr); });
}

} // namespace velmora
