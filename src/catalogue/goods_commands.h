#pragma once

#include "platform/db/connection.h"

#include <QList>
#include <QString>

namespace velmora::catalogue {

// Deletes goods with everything that refers to their codes: criteria,
// exclusions, correspondences, combined-price rows, export details. One
// transaction for all of them.
void deleteGoods(db::Connection& priceDb, const QList<qint64>& codes);

// Files goods under another group (its code), in one transaction.
void moveGoods(db::Connection& priceDb, const QList<qint64>& codes, qint64 groupCode);

extern const QString kDeleteGoodsQuestion;
extern const QString kGoodsPreparedMessage;
extern const QString kNoGoodsToMoveMessage;

} // namespace velmora::catalogue
