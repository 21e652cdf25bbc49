#pragma once

#include "platform/db/connection.h"

#include <QString>

namespace velmora::output {

// The thresholds of the additional markup themselves (one row of
// MinPrice_Nacen per group, the general ones under group 0) are read and
// stored by catalogue/group_settings/markup_thresholds.h.

// Prices goods by their base price with the thresholds of a MinPrice_Nacen
// row: below threshold 1 markup 1; between thresholds k and k + 1 the
// markup linear between theirs; from threshold 5 on markup 5 (an empty band
// between equal thresholds prices nothing). Price_1 := PriceBase × (1 +
// markup / 100) for the goods that satisfy `goods` (a condition on
// price_main), are not super-priced and have PriceBase > 0; each takes the
// row whose Kategor `rowOfGood` (an expression over price_main) gives; a
// good whose row does not exist keeps its price. Throws db::DbError.
void applyThresholds(db::Connection& priceDb, const QString& goods, const QString& rowOfGood);

} // namespace velmora::output
