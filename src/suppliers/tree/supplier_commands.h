#pragma once

#include "platform/db/connection.h"

#include <QString>

#include <optional>

namespace velmora {

// The commands of the supplier tree as plain calls on the price database
// (and, where per-list settings are concerned, the order database). Each
// change runs in one transaction: it is made whole or not at all.

// Adds the placeholder "Новый прайс-лист" after the last price list (Id =
// last Id + 1, Path "-", SheetCount 0, Obrab "", PostavVisible true, Dates
// today, PriceConversion 1, Valuta 0). Returns its Id; none when a
// placeholder exists already (nothing is added then).
std::optional<qint64> AddPriceList(db::Connection& priceDb, qint64 todayDayNumber);

// Deletes a price list with its sheet rows, goods (and their quoted-price
// rows in AllTovarValuta) and price history, then renumbers the remaining
// lists 1..n in their old order. The contact card, brand rows and per-list
// settings are kept. False when no list has that name (nothing changes).
bool DeletePriceList(db::Connection& priceDb, const QString& name);

// Renumbers the price lists 1..n in alphabetical order of their names
// (Russian collation, case ignored).
void SortPriceLists(db::Connection& priceDb);

// The "<name>_PostavDisable" setting (order database, default false).
bool IsPriceListDisabled(db::Connection& orderDb, const QString& name);

// Stores the disabled flag and returns it as read back. Disabling deletes
// the list's goods and their quoted-price rows; enabling brings nothing
// back (the next load does).
bool SetPriceListDisabled(db::Connection& priceDb, db::Connection& orderDb, const QString& name, bool disabled);

// Deletes a list's goods and their AllTovarValuta rows, in the caller's
// transaction.
void DeleteSupplierGoods(db::Connection& priceDb, const QString& name);

// What the information text of the settings tab shows about the loaded goods.
struct GoodsSummary {
    qint64 count = 0;
    std::optional<qint64> firstDates; // Dates of the first goods row; none without goods
};
GoodsSummary ReadGoodsSummary(db::Connection& priceDb, const QString& name);

} // namespace velmora
