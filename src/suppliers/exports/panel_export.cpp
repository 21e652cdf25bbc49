#include "suppliers/exports/panel_export.h"

#include "platform/spreadsheet/workbook.h"
#include "suppliers/loader/price_list_setup.h"

#include <QDir>

namespace velmora::exports {

PanelExportResult RunPanelExport(db::Connection& priceDb, const PanelExportRequest& request,
                                 const std::function<void(int done)>& step)
{
    PanelExportResult result;
    if (request.allSuppliers)
        EnsureFolder(request.folder);

    if (request.allSuppliers && request.oneWorkbook) {
        const QString out = QDir(request.folder).filePath(QStringLiteral("TovarAll.xlsx"));
        const ExportResult written = ExportAllPriceListsWorkbook(priceDb, request.names, request.templatePath, out,
                                                                 request.titles, request.displayCode, step);
        result.files << written.path;
        result.rowsOmitted = written.rowsOmitted;
        return result;
    }

    QStringList names = request.names;
    if (!request.allSuppliers) {
        // A typed name that is no list would otherwise export every list.
        if (!request.names.contains(request.selectedName))
            throw ExportError(QStringLiteral("Прайс-лист \"") + request.selectedName +
                              QStringLiteral("\" не найден в списке поставщиков"));
        names = {request.selectedName};
    }
    int done = 0;
    for (const QString& name : names) {
        QString folder = request.folder;
        if (!request.allSuppliers) {
            // Beside its price file; a list without one goes to the folder
            // the user chose for it.
            const std::optional<loader::PriceListSetup> setup = loader::ReadPriceListSetup(priceDb, name);
            folder = ExportFolderFor(setup ? setup->path : QString());
            if (folder.isEmpty())
                folder = request.folder;
            EnsureFolder(folder);
        }
        const QString out = QDir(folder).filePath(sheet::xlsxNameFor(SafeFileName(name) + QStringLiteral(".xls")));
        const ExportResult written =
            ExportPriceListWorkbook(priceDb, name, request.templatePath, out, request.titles, request.displayCode);
        result.files << written.path;
        result.rowsOmitted += written.rowsOmitted;
        if (step)
            step(++done);
    }
    return result;
}

} // namespace velmora::exports
