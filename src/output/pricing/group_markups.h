#pragma once

#include "platform/db/connection.h"

#include <QString>

#include <optional>
#include <vector>

namespace velmora::output {

inline const QString kAllGoodsMarkupQuestion = QStringLiteral("Будет изменена наценка на ВСЕ товары! Продолжить?");

// The general markup: every good that is not super-priced and every group
// get `markup`. One transaction.
void setMarkupOfAllGoods(db::Connection& priceDb, int markup);

// What the group value window sets: the markup ("Nacen") or the warranty
// ("Garant").
enum class GroupValue { Markup, Warranty };
// "Nacen" / "Garant"; anything else is none.
std::optional<GroupValue> groupValueOfMode(const QString& mode);

// For each group: its goods (the markup: those not super-priced; the
// warranty: all) and the group itself get the value. One transaction.
void setGroupMarkup(db::Connection& priceDb, const std::vector<qint64>& groups, int markup);
void setGroupWarranty(db::Connection& priceDb, const std::vector<qint64>& groups, const QString& warranty);

} // namespace velmora::output
