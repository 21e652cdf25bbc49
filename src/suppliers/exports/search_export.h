#pragma once

#include "suppliers/exports/price_list_export.h"
#include "platform/spreadsheet/cell_ref.h"
#include "suppliers/search/goods_columns.h"

#include <QDate>
#include <QString>

namespace velmora::search {
class GoodsQuery;
}

namespace velmora::exports {

// The rows of the supplier goods search taken out to a workbook: sheet
// "Search_Tovar", row 1 the header (bold, size 10, black, centred), from
// row 2 one row per offer of the search in its order; prices are numbers,
// every other value text, and the text columns at the left formatted as
// text so that an article like "007" stays as it is. The file is
// "<program folder>/Excel/Search_Tovar_<dd.MM.yyyy>.xlsx", with "_2",
// "_3" ... before the extension while the name is taken.
struct SearchExportInput {
    // The search's statement, walked chunk by chunk (never the grid); none:
    // an empty result.
    const search::GoodsQuery* query = nullptr;
    search::ColumnTitles titles;
    QString currencyCode = QStringLiteral("RUB"); // the display currency
    QString programFolder;
    QDate today = QDate::currentDate();
    int chunkRows = 5000;
    // The rows a sheet holds below its header (fewer only to try the
    // refusal on a small result).
    qint64 sheetRows = sheet::kMaxRows - 1;
};

// The standard layout: Art, Tovar, the supplier, PriceOut (headed "Цена ("
// + the display currency + ")"), Pricemax, Sklad, Garant, TextNoName,
// Description. Returns the path written. Throws ExportError with the text
// the user sees: "Невозможно создать директорию " + the folder, "Файл не
// был сохранен!", or the refusal of a result the sheet cannot hold.
QString ExportSearchToExcel(const SearchExportInput& input);

// The client layout Quorvel: Art, TextNoName, the price in the supplier's
// currency, Tovar, the supplier, Sklad; the converted price is left out.
QString ExportSearchToExcelQuorvel(const SearchExportInput& input);

inline const QString kSearchExportFolder = QStringLiteral("Excel");
inline const QString kSearchExportSheet = QStringLiteral("Search_Tovar");

// The refusal of a result longer than a sheet holds below its header.
QString searchTooLongMessage(qint64 rows, qint64 sheetRows = sheet::kMaxRows - 1);

} // namespace velmora::exports
