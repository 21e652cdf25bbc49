#pragma once

#include "criteria_match.h"

#include "platform/db/connection.h"

#include <QList>

namespace velmora::catalogue {

// What one scan of the remainder found.
struct RemainderScan {
    QList<qint64> numbers; // the matching items, in Number order
    qint64 lastNumber = 0; // the scan's last item: the next scan starts after it
    bool atEnd = false;    // no item after lastNumber
};

// The first `count` items of price_all after `afterNumber`, in Number
// order, that take part in the search (Check_obrab true) and whose name
// the matcher takes. A large remainder is cut into Number ranges scanned
// side by side, each on a connection of its own to the same file; that
// needs the database in a file and no transaction open on `priceDb` (whose
// uncommitted rows the other connections would not see), and otherwise the
// scan runs on `priceDb` alone. Throws db::DbError.
RemainderScan scanRemainder(db::Connection& priceDb, const CriteriaMatcher& matcher, qint64 afterNumber, int count);

} // namespace velmora::catalogue
