#pragma once

#include "platform/db/connection.h"
#include "suppliers/exports/price_list_export.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace velmora::exports {

// What the save panel asks for.
struct PanelExportRequest {
    bool allSuppliers = false;   // RadioButton_AllPrice
    bool oneWorkbook = false;    // CheckBox_AllTovar (with all suppliers)
    QString selectedName;        // ComboBox_SetPriceSave's text
    QStringList names;           // the list behind the combo box
    QString folder;              // Edit_SaveAllPath
    QString templatePath;        // PriceExcel.xlsx
    ExportColumnTitles titles;
    QString displayCode;
};

struct PanelExportResult {
    QStringList files;
    int rowsOmitted = 0;
};

// The save panel's export: one supplier into the Export folder beside its
// price file (into `folder` when the list has no file); all suppliers into
// the panel's folder, one workbook each or
// all in "TovarAll.xlsx". `step` is called after each supplier. Throws
// ExportError with the user's text ("Пустое значение для пути выгрузки
// файла", "Невозможно создать директорию ...", an unknown supplier).
PanelExportResult RunPanelExport(db::Connection& priceDb, const PanelExportRequest& request,
                                 const std::function<void(int done)>& step = {});

} // namespace velmora::exports
