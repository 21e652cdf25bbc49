#pragma once

#include "currency_table.h"

#include "platform/db/connection.h"
#include "suppliers/pricing.h"

namespace velmora {

struct RepriceResult {
    qint64 offersExamined = 0; // offers with a currency row and Price above 0
    qint64 offersChanged = 0;  // offers whose stored prices were rewritten
};

// Recomputes Price, Pricemax and PriceOut of every loaded offer from its
// quoted prices in AllTovarValuta with ComputeStoredPrices, the factor of
// its currency code in `table` and `rounding`, so a re-priced offer equals
// a freshly loaded one. Offers with Price 0, without a currency row, or
// whose code is none of the five are left alone; rows whose prices come out
// the same are not rewritten. All in one transaction: on failure nothing
// changes and the DbError reaches the caller.
RepriceResult RepriceForeignGoods(db::Connection& priceDb, const CurrencyTable& table,
                                  const PriceRounding& rounding);

} // namespace velmora
