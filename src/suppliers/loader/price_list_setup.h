#pragma once

#include "platform/db/connection.h"

#include <QString>

#include <optional>
#include <vector>

namespace velmora::loader {

// A supplier price list's row of AllPostavSetup, as the loader needs it.
struct PriceListSetup {
    qint64 id = 0;
    QString name;
    QString path;           // "/" separators ("\" of migrated rows turned)
    int sheetCount = 0;
    double conversion = 1;  // PriceConversion; an empty value reads as 1
};

// One sheet row of AllPostavPage.
struct SheetSetup {
    QString sheetName;
    qint64 columnArt = 0;
    qint64 columnTovar = 0;
    qint64 columnPrice = 0;
    qint64 columnPricemax = 0;
    qint64 columnSklad = 0;
    qint64 columnGarant = 0;
    qint64 columnDescription = 0;
    qint64 columnTextNoName = 0;
    int nacen = 0;         // markup in percent, may be negative
    int valuta = 0;        // currency index; 5 and above: per-row column + 5
    QString tovarPrefiks;
};

std::optional<PriceListSetup> ReadPriceListSetup(db::Connection& priceDb, const QString& name);

// The sheet rows of a price list in SheetName order.
std::vector<SheetSetup> ReadSheetSetups(db::Connection& priceDb, const QString& name);

} // namespace velmora::loader
