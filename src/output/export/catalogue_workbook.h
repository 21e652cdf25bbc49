#pragma once

#include "output/output_error.h"
#include "output/parameters/export_parameters.h"

#include "platform/db/connection.h"
#include "platform/files/progress.h"

#include <QDate>
#include <QString>

namespace velmora::output {

// The spreadsheet catalogue of the export run: sheet "Каталог", saved as
// parametr row 1's FileName (an ".xls" or ".xlsx" dropped) with ".xlsx",
// "Каталог.xlsx" when that is blank.
inline constexpr char kCatalogueSheetName[] = "Каталог";
inline constexpr char kCatalogueDefaultStem[] = "Каталог";

struct CatalogueResult {
    qint64 rows = 0;
    int levels = 0; // group-level columns
};

// The number of group-level columns: 1 + the deepest level (0 ... 9) whose
// NameKat column holds a name in Price_Out; 1 when none does.
int catalogueLevels(db::Connection& priceDb);

// Writes the catalogue of Price_Out (rows in ID order) to `path`: row 1
// "Каталог от:" and today's date (dd.mm.yyyy) merged over all columns,
// row 3 the header with an auto filter (level captions "Категория",
// "Группа", "Подгруппа", "Раздел", "Подраздел 1", ...; "Артикул",
// "Наименование", the four price columns' names, "Гарантия"), from row 4
// the goods, with the layout's widths, fills, fonts and borders. Throws
// OutputError kFileNotSaved when the workbook cannot be saved (an old file
// stays as it was), db::DbError when Price_Out cannot be read.
CatalogueResult WriteCatalogueWorkbook(db::Connection& priceDb, const ExportParameters& parameters,
                                       const QString& path, const QDate& today, Progress* progress = nullptr);

} // namespace velmora::output
