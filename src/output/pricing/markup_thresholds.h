#pragma once

#include "platform/db/connection.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace velmora::output {

// The thresholds of the additional markup, one row of MinPrice_Nacen per
// group; the row of group 0 holds the general thresholds.
inline constexpr int kThresholdCount = 5;

struct MarkupThresholds {
    std::array<int, kThresholdCount> price{};  // Price1 ... Price5: "Порог 1" ... "Порог 5"
    std::array<int, kThresholdCount> markup{}; // Nacen1 ... Nacen5: additional markup in percent
    bool operator==(const MarkupThresholds&) const = default;
};

// The pairs in ascending order of threshold, each markup staying with its
// threshold; pairs of equal thresholds keep their order.
MarkupThresholds sortThresholds(MarkupThresholds thresholds);

// The group's own row; none when it has none.
std::optional<MarkupThresholds> readThresholds(db::Connection& priceDb, qint64 group);

// The thresholds the markup window shows for a group: a group without a
// row of its own first gets a copy of the general row (none when there is
// no general row either, which reads as zeros).
MarkupThresholds prepareThresholds(db::Connection& priceDb, qint64 group);

// Stores the thresholds, sorted, as the row of each group (a group without
// one gets it), in one transaction.
void storeThresholds(db::Connection& priceDb, const std::vector<qint64>& groups, const MarkupThresholds& thresholds);

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
