#pragma once

#include "platform/db/connection.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace velmora::brands {

// One row of BrendPriory: a brand the supplier goods search marks.
struct PriorityBrand {
    qint64 id = 0;
    QString name;
};

// Creates BrendPriory when the file lacks it (start-up makes it only with
// the client switch on).
void EnsurePriorityBrandTable(db::Connection& priceDb);

// The priority brands in name order.
QVector<PriorityBrand> ReadPriorityBrands(db::Connection& priceDb);

// The maker texts of the loaded goods, each once, in order, without NULL
// and empty ones: what the window offers to add.
QStringList ReadLoadedMakerTexts(db::Connection& priceDb);

// Adds a brand; "" when added, else the message the user sees: "Бренд "X"
// уже добавлен!" when it is there already (compared without case), and
// nothing is added.
QString AddPriorityBrand(db::Connection& priceDb, const QString& name);

// The question before a brand is deleted.
QString DeletePriorityBrandQuestion(const QString& name);
void DeletePriorityBrand(db::Connection& priceDb, qint64 id);

} // namespace velmora::brands
