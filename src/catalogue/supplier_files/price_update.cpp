#include "price_update.h"

#include "storage/value_helpers.h"

namespace velmora::catalogue {

const QString kLoadingDataText = QStringLiteral("Загружаются данные...");
const QString kReadingExcelText = QStringLiteral("Загрузка данных из Excel");

PriceUpdateResult updateSupplierPrices(db::Connection& priceDb, const QString& supplier,
                                       const std::vector<SupplierFileRow>& rows, bool byArticle, qint64 today)
{
    PriceUpdateResult result;
    db::Transaction tx(priceDb);
    CorrespondenceFinder finder(priceDb, supplier);
    db::Statement update = priceDb.prepare(QStringLiteral(
        "UPDATE svod SET Price = ?1, Pricemax = ?1, Sklad = ?2, Dates = ?3 WHERE Postavshik = ?4 AND Code_sootv = ?5"));
    db::Statement insert = priceDb.prepare(QStringLiteral(
        "INSERT INTO svod (Art, Tovar, Price, Pricemax, Postavshik, Code_sootv, Obrab, Dates, Garant, Sklad)"
        " VALUES (?1, ?2, ?3, ?3, ?4, ?5, 'True', ?6, '', ?7)"));
    update.bindInt(3, today).bindText(4, supplier);
    insert.bindText(4, supplier).bindInt(6, today);
    for (const SupplierFileRow& row : rows) {
        ++result.offered;
        const qint64 code = finder.find(row.art, row.tovar, byArticle);
        if (code == 0)
            continue;
        const QString stock = RoundedDecimalText(row.quantity, 4, u',');
        update.bindDouble(1, row.price).bindText(2, stock).bindInt(5, code).execute();
        update.reset();
        if (priceDb.changes() > 0) {
            ++result.updated;
            continue;
        }
        insert.bindText(1, row.art).bindText(2, row.tovar).bindDouble(3, row.price).bindInt(5, code);
        insert.bindText(7, stock).execute();
        insert.reset();
    }
    tx.commit();
    return result;
}

QString priceUpdateMessage(const PriceUpdateResult& r)
{
    if (r.updated == r.offered)
        return QStringLiteral("Обновлены цены по %1 товарам.").arg(r.updated);
    return QStringLiteral("Обновлены цены по %1 товарам из  %2").arg(r.updated).arg(r.offered);
}

} // namespace velmora::catalogue
