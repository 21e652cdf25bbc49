#pragma once

#include "platform/db/connection.h"

#include <QString>
#include <QStringList>

namespace velmora {

enum class RenameResult {
    Renamed,
    Unchanged,   // the new name equals the current one: nothing is touched
    EmptyName,   // refused: a price list needs a name
    NameTaken,   // refused: another price list has that name (case ignored)
    NoSuchList,  // no price list has that Id
    NotShown,    // refused: the Id is no longer the list the caller showed
};

// The message a window shows for a refused rename; empty for the others.
QString RenameRefusalText(RenameResult result, const QString& newName);

// The setting names that belong to one price list: its name followed by
// one of these (order database).
QStringList PerPriceListSettingSuffixes();

// Renames the price list with this Id to `newName` (surrounding blanks
// dropped) everywhere its name is the key: AllPostavSetup, AllPostavPage,
// AllTovarPostav, BrandNamePostav, AllPriceHistory and postav_info in the
// price database, and its per-list settings and selection-template rows
// (SelectTempPostav) in the order database; the
// two transactions commit together (settings last), so a failure leaves
// both databases as they were and throws db::DbError. An empty name and a name that
// another list has already (compared without case) are refused and change
// nothing. A name that differs from the old one only in case is a rename.
// `shownName`, when given, is the name under which the caller showed the
// list of this Id: when the Id now belongs to another list (the lists were
// renumbered meanwhile) the rename is refused.
RenameResult RenamePriceList(db::Connection& priceDb, db::Connection& orderDb, qint64 id, const QString& newName,
                             const QString& shownName = QString());

} // namespace velmora
