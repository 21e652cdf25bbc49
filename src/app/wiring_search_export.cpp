// The tool button "Экспорт товаров из поиска в Excel": the rows of the
// supplier goods search into a workbook in the program folder's "Excel",
// opened for the user once it is saved.
#include "main_wiring.h"
#include "startup_settings.h"

#include "platform/files/error_text.h"
#include "platform/spreadsheet/handover.h"
#include "suppliers/currency/currency_panel.h"
#include "suppliers/exports/search_export.h"
#include "suppliers/search/supplier_goods_model.h"
#include "suppliers/search/supplier_goods_panel.h"

#include <QApplication>
#include <QStyle>
#include <QToolButton>

namespace velmora {
namespace {

// The search can run long on a large result: the cursor says so.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

void ToolButton_FindExcelClick(MainWiring& wiring)
{
    Form_main& form = wiring.form;
    // The client layout is read afresh each time.
    const bool quorvel = clientSwitchOn(wiring.globals.UserIniPath, QStringLiteral("Quorvel"), form.dialogs().message);
    const std::shared_ptr<const search::GoodsQuery> query = wiring.goods ? wiring.goods->model()->query() : nullptr;
    exports::SearchExportInput input;
    input.query = query.get();
    input.titles = wiring.columnTitles;
    if (wiring.currency)
        input.currencyCode = wiring.currency->currencyTable().displayCode();
    input.programFolder = form.folders().programFolder;

    QString path;
    try {
        WaitCursor wait;
        path = quorvel ? exports::ExportSearchToExcelQuorvel(input) : exports::ExportSearchToExcel(input);
    } catch (const std::exception& e) {
        const MessageSink& error = form.dialogs().error ? form.dialogs().error : form.dialogs().message;
        runHook(error, ErrorText(e));
        return;
    }
    if (!sheet::openInDesktop(path))
        wiring.showStatus(QStringLiteral("Сохранено: ") + path);
}

} // namespace

void wireSearchExport(MainWiring& wiring)
{
    QToolButton* button = wiring.addToolButton(QStringLiteral("ToolButton_FindExcel"),
                                               QStringLiteral("Экспорт товаров из поиска в Excel"),
                                               wiring.form.style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    QObject::connect(button, &QToolButton::clicked, &wiring, [&wiring] { ToolButton_FindExcelClick(wiring); });
}

} // namespace velmora
