// The shop's catalogue outputs of the menu "Экспорт": the combined price
// list by category, the YML catalogue, the MySQL upload and the Shop-Script
// file; and the ODBC data-source wizard the export parameters window opens.
#include "main_wiring.h"

#include "wait_window_progress.h"

#include "output/combined_price/combined_price_list.h"
#include "output/shop_script/shop_script_export.h"
#include "output/shop_upload/frm_connection_master.h"
#include "output/shop_upload/shop_upload.h"
#include "output/yml/yml_export.h"
#include "platform/files/error_text.h"
#include "platform/spreadsheet/handover.h"
#include "storage/settings_store.h"

#include <QAction>

#include <memory>

namespace velmora {
namespace {

QAction* addExportItem(Form_main& form, const char* name, const char* caption)
{
    return addMainMenuItem(form, QStringLiteral("Menu_Export"), QStringLiteral("Экспорт"), QLatin1String(name),
                           QString::fromUtf8(caption));
}

void tell(Form_main& form, const QString& text) { runHook(form.dialogs().message, text); }

// A command that failed or refused: a warning, never a notice.
void tellError(Form_main& form, const QString& text) { runHook(warningSink(form.dialogs()), text); }

void SvodExcelClick(MainWiring& wiring, Progress& wait)
{
    Form_main& form = wiring.form;
    output::CombinedPriceInput input;
    input.programFolder = form.folders().programFolder;
    input.today = QDate::currentDate();
    input.roundDigits = wiring.globals.RoundDigits;
    const output::CombinedPriceResult result =
        output::ExportCombinedPriceList(form.ADOConnection, form.ADOConnection_Zakaz, input, &wait);
    if (!result.saved) {
        tellError(form, result.message);
        return;
    }
    if (!result.message.isEmpty())
        tell(form, result.message);
    if (!sheet::openInDesktop(result.savedPath))
        tell(form, QStringLiteral("Сводный прайс-лист сохранен в:\r") + result.savedPath);
}

void XML1Click(MainWiring& wiring)
{
    Form_main& form = wiring.form;
    output::YmlExportInput input;
    input.programFolder = form.folders().programFolder;
    input.dataFolder = form.folders().dataFolder;
    input.displayCurrency = wiring.displayCurrencyCode();
    SettingsStore settings(form.ADOConnection_Zakaz);
    const output::YmlExportResult result = output::ExportYmlCatalogFile(form.ADOConnection, settings, input);
    if (result.written)
        tell(form, result.message);
    else
        tellError(form, result.message);
}

void MySQL_UpdaitClick(MainWiring& wiring, Progress& wait)
{
    Form_main& form = wiring.form;
    const output::ShopUploadResult result = output::UploadShopTables(form.ADOConnection, &wait);
    if (result.done)
        tell(form, result.message);
    else
        tellError(form, result.message);
}

void ShopScriptClick(MainWiring& wiring, Progress& wait)
{
    Form_main& form = wiring.form;
    try {
        const output::ShopScriptExportResult result = output::WriteShopScriptCatalog(
            form.ADOConnection, form.folders().programFolder, wiring.globals.RoundDigits, &wait);
        tell(form, QStringLiteral("Каталог для Shop-Script создан в:\r") + result.path);
    } catch (const std::exception& e) {
        tellError(form, ErrorText(e));
    }
}

} // namespace

void wireShopExports(MainWiring& wiring)
{
    Form_main& form = wiring.form;
    auto wait = std::make_shared<WaitWindowProgress>(form);
    QObject::connect(addExportItem(form, "SvodExcel", "Сводный прайс-лист по категориям"), &QAction::triggered,
                     &wiring, [&wiring, wait] { SvodExcelClick(wiring, *wait); });
    QObject::connect(addExportItem(form, "XML1", "Каталог в XML"), &QAction::triggered, &wiring,
                     [&wiring] { XML1Click(wiring); });
    QObject::connect(addExportItem(form, "MySQL_Updait", "Обновление данных в MySQL"), &QAction::triggered,
                     &wiring, [&wiring, wait] { MySQL_UpdaitClick(wiring, *wait); });
    QObject::connect(addExportItem(form, "ShopScript", "Каталог для Shop-Script"), &QAction::triggered, &wiring,
                     [&wiring, wait] { ShopScriptClick(wiring, *wait); });

    // SpeedButton5Click of the export parameters window: the wizard, and the
    // connection string it made.
    auto* master = new output::frmConnectionMaster(&form);
    output::ConnectionMasterDialogs dialogs = output::connectionMasterBoxes();
    dialogs.message = form.dialogs().message;
    dialogs.openFileName = form.dialogs().openFileName;
    master->setDialogs(dialogs);
    form.hooks().OpenDataSourceWindow = [master](QWidget*) {
        master->exec();
        return master->connectionString();
    };
}

} // namespace velmora
