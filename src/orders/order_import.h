#pragma once

// The order import: a customer's order workbook, one row per ordered good,
// matched to the own goods by article or name and written into the order
// list Zakaz.

#include "orders/not_found_rows.h"
#include "orders/order_exports.h"
#include "platform/db/connection.h"
#include "platform/spreadsheet/value_block.h"

#include <QString>

#include <stdexcept>

namespace velmora::orders {

// Where the order is in the workbook and how it is matched; columns from 1
// (A), 0 for none.
struct OrderImportSettings {
    int sheetIndex = 1; // from 1
    int startRow = 1;
    int artColumn = 2;
    int tovarColumn = 3;
    int priceColumn = 4;
    int quantityColumn = 5;
    bool matchByArticle = true; // else by name
    bool priceFromFile = false; // the file's price becomes the sale price
    bool addToOrder = false;    // keep the goods already in Zakaz
    // The order tab's rate (ReadZakazRate): a sale price not taken from the
    // file is Price_1 at it, as the tab's rate update makes it.
    double rate = 1;
};

// What an import did: rows found (with a quantity), rows loaded into
// Zakaz, and the rows that were not (unmatched, or a quantity that is no
// whole number).
struct OrderImportResult {
    int found = 0;
    int loaded = 0;
    NotFoundRows notFound;
};

// "Загружено в заказ: " + loaded, and " из  " + found when they differ.
QString ImportReportText(const OrderImportResult& result);

// A failure that leaves Zakaz as it was, with the text the user sees.
class OrderImportError : public std::runtime_error {
public:
    explicit OrderImportError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

inline const QString kMissingOrderFileMessage = QStringLiteral("Указанный файл не существует!");

// The cells of the order: sheet `sheetIndex` from A1 to the last row with a
// value in the first `lastColumn` columns. Throws OrderImportError with
// kMissingOrderFileMessage for a missing file, with the spreadsheet layer's
// message for a file that is no workbook or a sheet it has not.
sheet::ValueBlock ReadOrderCells(const QString& path, int sheetIndex, int lastColumn);

// Imports the rows of `cells` from the start row: a row whose quantity is a
// whole number above 0 is matched to an own good (by article when so chosen
// and the article is not empty, else by name; case ignored); a match joins
// Zakaz as a new row or adds its quantity to the good's row. A quantity of
// 0, below it or empty skips the row. A fractional quantity, or one that is
// no number on a row with a name and a price above 0, counts the row as
// found, not loaded, and lists it; so does an unmatched row. A price that
// is no number leaves the row without a file price (the own price at the
// order tab's rate is taken). The caller owns the transaction; the progress
// steps once a row.
OrderImportResult ImportOrderCells(db::Connection& priceDb, const sheet::ValueBlock& cells,
                                   const OrderImportSettings& settings, int roundDigits,
                                   const ExportProgress& progress = {});

// The whole import: reads the workbook, then in one transaction empties
// Zakaz and the units of its distribution (unless adding to the order) and
// imports the rows. A failure throws (OrderImportError, db::DbError) and
// leaves Zakaz as it was.
OrderImportResult ImportOrder(db::Connection& priceDb, const QString& path, const OrderImportSettings& settings,
                              int roundDigits, const ExportProgress& progress = {});

} // namespace velmora::orders
