#pragma once

#include "platform/db/connection.h"

#include <QString>

namespace velmora::orders {

// The order tab's dollar rate (setting Edit_KursDollar, TypeCurrency,
// default 30) and currency choice (GroupBox_PriceName, TypeBoolean: true
// for roubles, the default), in the order database's settings.
double ReadDollarRate(db::Connection& orderDb);
// Stores the rate text when it is a number; returns the stored rate, or
// `current` unchanged when the text does not parse (a text being typed).
double StoreDollarRateText(db::Connection& orderDb, const QString& text, double current);
bool ReadPricesInRoubles(db::Connection& orderDb);
void StorePricesInRoubles(db::Connection& orderDb, bool roubles);
// The rate the sale prices of Zakaz stand at: the dollar rate when the
// order is priced in roubles, else 1. Purchase prices shown beside them
// are converted at it, so both sides are in one currency.
double ReadZakazRate(db::Connection& orderDb);

// Price_1 * rate truncated to whole cents, computed on the four-decimal
// currency values exactly (1,15 at rate 1 stays 1,15).
double TruncatedToCents(double price1, double rate);
// PriceOut of every row of the price database's Zakaz becomes Price_1 at
// the rate truncated to cents; one transaction.
void UpdateZakazPrices(db::Connection& priceDb, double rate);

} // namespace velmora::orders
