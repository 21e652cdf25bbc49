#pragma once

#include "platform/db/connection.h"

#include <QList>
#include <QString>

namespace velmora::catalogue {

// Builds groups and goods from the staging table New_tovar (filled by
// other programs): one good per row, in id order, filed under the path of
// its group names kategoria / gr / podgr1 / podgr2 / podgr3 (cut at the
// first empty name). A path met for the first time in the run gets new
// groups for every level not yet made under the same parents, each added
// as the last child of its parent; the good takes its row's id as code,
// its art, name and price1 (as base and selling price) and markup 0, and
// an empty row of export details. A row without any group name files its
// good under no group (Kategor "0").
//
// With clearFirst the goods, groups and every table that refers to goods
// codes are emptied first: the goods' export details, criteria and
// exclusions, correspondences, the combined price, the automatic
// matching's proposals, the trash bin and waiting supplier items, the
// minimum-price suppliers and markup thresholds. Without it the new rows
// are added to the catalogue. An id that is empty or repeated in New_tovar,
// or (adding) already a goods code, refuses the whole run.
//
// Everything runs in one transaction: refused or failed, nothing changes.
struct NewTovarResult {
    int groups = 0;
    int goods = 0;
    QList<qint64> refusedIds; // not empty: the run was refused
    bool refusedEmptyId = false;
};

NewTovarResult buildCatalogueFromNewTovar(db::Connection& priceDb, bool clearFirst);

// The message of a refused run.
QString newTovarRefusalMessage(const NewTovarResult& result);

// The two questions before the run.
extern const QString kNewTovarContinueQuestion;
extern const QString kNewTovarClearQuestion;

} // namespace velmora::catalogue
