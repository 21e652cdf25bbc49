#pragma once

#include "platform/db/connection.h"

#include <QStringList>

#include <random>

namespace velmora::search::bench {

// The vocabularies the goods names are made of.
const QStringList& goodsTypes();
const QStringList& goodsAttributes();
const QStringList& goodsSizes();
const QStringList& goodsBrands();

// One realistic goods name: a type, an attribute and a size, sometimes a
// second attribute and the brand (which is returned in `brand` either way).
QString goodsName(std::mt19937& rng, QString& brand);

// Fills the matching remainder (price_all) with `items` goods names of
// `suppliers` suppliers, Numbers 1 .. items, every item taking part;
// deterministic. In the caller's transaction.
void fillRemainder(db::Connection& priceDb, int items, int suppliers);

// The names of `suppliers` suppliers ("ООО Крепеж", ... "Крепеж-25", ...).
QStringList supplierNames(int suppliers);

// Fills an empty price database with `offers` supplier offers of
// `suppliers` suppliers: Cyrillic and Latin goods names built from hardware,
// electrical and tool vocabularies, articles, brands, countries and stock
// texts, one currency row per offer. Deterministic for a given seed.
// Returns the supplier names.
// With `bulkScope` the offers are written inside SupplierGoodsBulkInsert.
QStringList generateOffers(db::Connection& priceDb, int offers, int suppliers, unsigned seed = 20240305,
                           bool bulkScope = false);

} // namespace velmora::search::bench
