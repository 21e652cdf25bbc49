#pragma once

#include "output/parameters/export_parameters.h"

#include "platform/db/connection.h"
#include "platform/files/progress.h"

namespace velmora::output {

// Price_Out carries the names of ten group levels (NameKat0 ... NameKat9);
// groups deeper than that share the last.
inline constexpr int kPriceOutLevels = 10;

struct PriceOutResult {
    int groups = 0;
    qint64 goods = 0;
    bool roundingFailed = false; // "Ошибка при округлении цен на товары!"
};

// Rebuilds the output price table in one transaction: empties it, then
// walks the group tree from its first top-level group and inserts each
// group's goods in Russian alphabetical order of their names (which fixes
// their ID order), with the group names on the way to the group (entering
// a group sets the name of its level and clears the deeper ones) and the
// four output prices Price_1 × (1 + Nacen / 100) × (1 + Nacen_out k / 100),
// a missing markup counting 0. The prices are rounded to `roundDigits`
// places once after the walk; a rounding failure keeps the unrounded
// prices and is reported in the result. One progress step per group.
// Throws db::DbError (or what `progress` throws) and leaves Price_Out as it
// was.
PriceOutResult RebuildPriceOut(db::Connection& priceDb, const ExportParameters& parameters, int roundDigits,
                               Progress* progress = nullptr);

} // namespace velmora::output
