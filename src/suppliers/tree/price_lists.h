#pragma once

#include "platform/db/connection.h"

#include <QString>

#include <optional>
#include <vector>

namespace velmora {

// The name of a price list that has just been added and not yet named; at
// most one row carries it.
inline const QString kNewPriceListName = QStringLiteral("Новый прайс-лист");

// One row of AllPostavSetup: a supplier price list.
struct PriceListRow {
    qint64 Id = 0;
    QString Postavshik;
    QString Path;
    qint64 SheetCount = 0;
    QString Obrab;
    bool PostavVisible = true;
    qint64 Dates = 0; // day number of the last successful load
    double PriceConversion = 1;
    int Valuta = 0;
};

// Every price list in Id order.
std::vector<PriceListRow> ReadPriceLists(db::Connection& priceDb);

// The row of a name (text compared without case, as every supplier look-up);
// none when there is no such list.
std::optional<PriceListRow> FindPriceList(db::Connection& priceDb, const QString& name);
std::optional<PriceListRow> FindPriceListById(db::Connection& priceDb, qint64 id);

// True when another price list than `exceptId` is named `name`, compared
// without case (Cyrillic included) and without surrounding blanks.
bool PriceListNameTaken(db::Connection& priceDb, const QString& name, qint64 exceptId = 0);

} // namespace velmora
