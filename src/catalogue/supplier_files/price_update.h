#pragma once

#include "supplier_file_rows.h"

#include "platform/db/connection.h"

#include <QString>

#include <vector>

namespace velmora::catalogue {

// The supplier price update (Button1Click of Form_LoadPricePostav): each
// row offered (price above 0) is looked up in the supplier's
// correspondences; for the own good found, the supplier's row of the
// combined price (svod) gets the price (as Price and Pricemax), the
// quantity as its stock text ("3", "2,5") and today's date, or a new row
// is made (Obrab 'True', Garant '') when the good has none. The supplier
// rate takes no part. One transaction; throws db::DbError and then
// changes nothing.
struct PriceUpdateResult {
    int offered = 0; // rows with a price
    int updated = 0; // goods whose existing row was updated
};
PriceUpdateResult updateSupplierPrices(db::Connection& priceDb, const QString& supplier,
                                       const std::vector<SupplierFileRow>& rows, bool byArticle, qint64 today);

// "Обновлены цены по U товарам." or "Обновлены цены по U товарам из  I".
QString priceUpdateMessage(const PriceUpdateResult& result);

extern const QString kLoadingDataText;  // "Загружаются данные..."
extern const QString kReadingExcelText; // "Загрузка данных из Excel"

} // namespace velmora::catalogue
