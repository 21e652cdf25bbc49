// The windows of the order list Zakaz in the menu "Заказы": the import of a
// customer's order workbook ("Импорт заказа из Excel") and its distribution
// among the suppliers ("Оформление заявки"), from which the comparison
// sheet opens.
#include "main_wiring.h"
#include "wait_window_progress.h"

#include "orders/ui/form_postav_zakaz.h"
#include "orders/ui/form_zakaz_excel.h"
#include "orders/ui/order_tab.h"
#include "platform/spreadsheet/handover.h"

#include <QAction>

namespace velmora {

namespace {

const QString kOrdersMenu = QStringLiteral("Menu_Zakaz");
const QString kOrdersMenuTitle = QStringLiteral("Заказы");

// Opens a saved workbook; when no program opens it, the status bar names it.
std::function<void(const QString&)> handOver(MainWiring& wiring)
{
    return [&wiring](const QString& path) {
        if (!sheet::openInDesktop(path))
            wiring.showStatus(QStringLiteral("Сохранено: ") + path);
    };
}

void ZakazExcelClick(MainWiring& wiring)
{
    Form_main& form = wiring.form;
    AppGlobals& globals = wiring.globals;
    orders::ZakazExcelEnvironment environment;
    environment.orderDb = &form.ADOConnection_Zakaz;
    environment.priceDb = &form.ADOConnection;
    environment.programFolder = form.folders().programFolder;
    environment.priceListIniPath = [&globals] { return globals.PriceListIniPath; };
    environment.roundDigits = [&globals] { return globals.RoundDigits; };
    environment.openFileName = form.dialogs().openFileName;
    environment.setMainWindowHidden = [&form](bool hidden) { form.setVisible(!hidden); };
    environment.orderImported = [&wiring](const QString& numberText, bool addedToOrder) {
        if (!wiring.orderTab)
            return;
        emit wiring.orderTab->orderPageRequested();
        wiring.orderTab->RefreshOrder();
        if (!addedToOrder)
            wiring.orderTab->ClearClientFields();
        wiring.orderTab->setImportOrderNumberText(numberText);
    };
    environment.handOver = handOver(wiring);
    environment.error = form.dialogs().error ? form.dialogs().error : form.dialogs().message;
    orders::Form_ZakazExcel window(std::move(environment), &form);
    window.exec();
}

void PostavZakazClick(MainWiring& wiring)
{
    Form_main& form = wiring.form;
    AppGlobals& globals = wiring.globals;
    orders::PostavZakazEnvironment environment;
    environment.priceDb = &form.ADOConnection;
    environment.orderDb = &form.ADOConnection_Zakaz;
    environment.programFolder = form.folders().programFolder;
    environment.roundDigits = [&globals] { return globals.RoundDigits; };
    environment.kursRub = [&wiring] { return wiring.roubleRate(); };
    environment.orderNumberText = [&wiring] {
        return wiring.orderTab ? wiring.orderTab->importOrderNumberText() : QString();
    };
    environment.openFileName = form.dialogs().openFileName;
    environment.handOver = handOver(wiring);
    environment.progress = waitWindowProgress(form);
    environment.comparisonProgress =
        waitWindowProgress(form, QStringLiteral("          Выгрузка сводного прайс-листа в Excel"));
    environment.message = form.dialogs().message;
    environment.error = form.dialogs().error ? form.dialogs().error : form.dialogs().message;
    orders::Form_PostavZakaz window(std::move(environment), &form);
    window.exec();
}

} // namespace

void wireOrderList(MainWiring& wiring)
{
    Form_main& form = wiring.form;
    QAction* import = addMainMenuItem(form, kOrdersMenu, kOrdersMenuTitle, QStringLiteral("ZakazExcel"),
                                      QStringLiteral("Импорт заказа из Excel"));
    QObject::connect(import, &QAction::triggered, &wiring, [&wiring] { ZakazExcelClick(wiring); });
    QAction* distribution = addMainMenuItem(form, kOrdersMenu, kOrdersMenuTitle, QStringLiteral("PostavZakaz"),
                                            QStringLiteral("Оформление заявки"));
    QObject::connect(distribution, &QAction::triggered, &wiring, [&wiring] { PostavZakazClick(wiring); });
}

} // namespace velmora
