#pragma once

// The workbooks of the distribution window and the order import: the order
// to one supplier and the list of goods that could not be ordered.

#include "orders/not_found_rows.h"
#include "orders/order_distribution.h"
#include "orders/order_exports.h"

#include <QDate>
#include <QString>

namespace velmora::orders {

// What the order to one supplier is made from.
struct SupplierOrderInput {
    db::Connection* priceDb = nullptr;
    // The import's order number as the hidden order-number field shows it.
    QString orderNumberText;
    ExportChoice choice = ExportChoice::Selected;
    // The supplier's own prices, else the order's sale prices.
    bool supplierPrices = true;
    QString programFolder; // order.xlsx, Velmora_Light.ini and "Orders/"
    ExportProgress progress;
    QDate today = QDate::currentDate();
};

// The order to one supplier (template order.xlsx, folder "Orders/" beside
// the program): the supplier and its contacts, the order number, one row per
// good of the choice (ordered by the supplier's goods name) with the
// supplier's article and name, the price, the quantity (the units given, or
// the ordered quantity with ExportChoice::AllGoods) and its sum, with the
// own article in G when [ExportZakazExcel] ArtTovarZakazAdd of
// Velmora_Light.ini is "1"; the sum of the rows one empty row below them.
// The file is date + " " + supplier with the characters a file name cannot
// hold and blanks made "_", and "_2", "_3" ... while the name is taken.
// Returns the path saved; throws OrderExportError.
QString ExportOrderPostav(const SupplierOrderInput& input, const QVector<DistributedGood>& goods,
                          const QString& supplier);

// "Ошибки импорта заказов/" beside the program.
QString ImportErrorsFolder(const QString& programFolder);
// "Orders/" beside the program.
QString SupplierOrdersFolder(const QString& programFolder);

// The goods that could not be ordered, from row 5 of `templateName`
// (notimport.xlsx, notzakaz.xlsx; ".xls" stands for ".xlsx"): position,
// article, name, price and quantity (numbers where the texts are numbers),
// saved as `fileName` in "Ошибки импорта заказов/", replacing an earlier
// file of that name. An empty list writes nothing and returns "". Throws
// OrderExportError (a missing template, a folder that cannot be made, a
// save that fails).
QString ExportNoTovar(const NotFoundRows& rows, const QString& fileName, const QString& templateName,
                      const QString& programFolder, const ExportProgress& progress = {});

inline const QString kNotImportedFileName = QStringLiteral("Не найденные товары.xls");
inline const QString kNotImportedTemplate = QStringLiteral("notimport.xls");
inline const QString kNotOfferedFileName = QStringLiteral("Нет товаров у поставщиков.xls");
inline const QString kNotOfferedTemplate = QStringLiteral("notzakaz.xls");

} // namespace velmora::orders
