#pragma once

#include "platform/db/connection.h"

#include <QString>

#include <vector>

namespace velmora::catalogue {

// The suppliers chosen per group for the minimum-price recalculation
// (table MinPrice_Group): one row per group and supplier of table
// postavshik, Obrab "True"/"False" saying whether the supplier's prices
// count for the group's goods, Dates the day of its last price list. The
// rows of Kategor -1 are the working set the group settings window edits.
// The group settings window and the minimum-price window both keep them
// here. Each change runs in one transaction (a savepoint inside a
// caller's); every call throws db::DbError.

inline constexpr qint64 kSupplierWorkingSet = -1;

struct GroupSupplier {
    QString postavshik;
    bool obrab = false;
    qint64 dates = 0;
};

// Upkeep before a list is shown: rows of suppliers no longer in postavshik
// are deleted, every row takes its supplier's Dates.
void refreshGroupSuppliers(db::Connection& priceDb);

// True when the group has rows of its own.
bool groupHasOwnSuppliers(db::Connection& priceDb, qint64 group);

// Adds each supplier of postavshik that the group has no row for, with
// the supplier's Obrab and Dates.
void addMissingGroupSuppliers(db::Connection& priceDb, qint64 group);

// Replaces the rows of each target group with copies of the rows of
// `from` (a target equal to `from` is left as it is).
void copyGroupSuppliers(db::Connection& priceDb, qint64 from, const std::vector<qint64>& targets);

// The working set for a group: upkeep, then the group's rows, then every
// supplier it lacks.
void loadSupplierWorkingSet(db::Connection& priceDb, qint64 group);

// The rows of a group in supplier order.
std::vector<GroupSupplier> readGroupSuppliers(db::Connection& priceDb, qint64 group);

// Ticks or clears one supplier of a group.
void setGroupSupplierObrab(db::Connection& priceDb, qint64 group, const QString& postavshik, bool obrab);

extern const QString kOwnSuppliersText;     // navy
extern const QString kGeneralSuppliersText; // red

} // namespace velmora::catalogue
