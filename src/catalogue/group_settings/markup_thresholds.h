#pragma once

#include "platform/db/connection.h"

#include <QHash>
#include <QString>

#include <array>
#include <utility>
#include <vector>

namespace velmora::catalogue {

// The thresholds of the additional markup (table MinPrice_Nacen): one row
// per group with its own, the row of Kategor 0 holding the general ones
// that every other group uses. Each row holds five pairs (price threshold
// PriceN, markup NacenN in percent), ascending by threshold once stored.
// The group settings window, the markup window and the minimum-price
// recalculation all read and keep them here.

inline constexpr int kThresholdCount = 5;
inline constexpr qint64 kGeneralThresholdsGroup = 0;

struct ThresholdPair {
    qint64 price = 0;
    qint64 markup = 0;
    bool operator==(const ThresholdPair&) const = default;
};
using MarkupThresholds = std::array<ThresholdPair, kThresholdCount>;

// The pairs ordered by threshold, ascending, each markup staying with its
// threshold; equal thresholds keep their order.
MarkupThresholds sortedThresholds(MarkupThresholds thresholds);

// The row of one group (or of the general thresholds, group 0); false when
// there is none. Throws db::DbError.
bool readThresholdRow(db::Connection& priceDb, qint64 group, MarkupThresholds& thresholds);

// Every row at once, by group (the general row under 0). Throws
// db::DbError.
QHash<qint64, MarkupThresholds> readAllThresholdRows(db::Connection& priceDb);

// The thresholds a group works with: its own row (own = true), else the
// general row (zeros when that is missing too).
struct GroupThresholds {
    MarkupThresholds thresholds{};
    bool own = false;
};
GroupThresholds readGroupThresholds(db::Connection& priceDb, qint64 group);

// The thresholds the markup window shows for a group: a group without a
// row of its own first gets a copy of the general row as it stands (none
// when there is no general row either, which reads as zeros).
MarkupThresholds prepareThresholds(db::Connection& priceDb, qint64 group);

// Stores the thresholds, sorted, into the row of each group (a missing row
// is added): all in one transaction (a savepoint inside a caller's).
void storeThresholds(db::Connection& priceDb, const std::vector<qint64>& groups, const MarkupThresholds& thresholds);

// The points of the markup chart: (0, N1), (P1, N1) ... (P5, N5) and
// (P5 + 50, N5).
std::vector<std::pair<double, double>> thresholdChartPoints(const MarkupThresholds& thresholds);

// The texts of the group settings window, and the question it and the
// markup window put after a save while the thresholds take no part in the
// minimum price.
extern const QString kOwnThresholdsText;     // navy
extern const QString kGeneralThresholdsText; // red
extern const QString kUseThresholdsQuestion;

} // namespace velmora::catalogue
