#pragma once

#include "platform/db/connection.h"

#include <QStringList>

namespace velmora::search::bench {

// Fills an empty price database with `offers` supplier offers of
// `suppliers` suppliers: Cyrillic and Latin goods names built from hardware,
// electrical and tool vocabularies, articles, brands, countries and stock
// texts, one currency row per offer. Deterministic for a given seed.
// Returns the supplier names.
// With `bulkScope` the offers are written inside SupplierGoodsBulkInsert.
QStringList generateOffers(db::Connection& priceDb, int offers, int suppliers, unsigned seed = 20240305,
                           bool bulkScope = false);

} // namespace velmora::search::bench
