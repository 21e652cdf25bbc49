#pragma once

#include "platform/db/connection.h"

#include <functional>
#include <vector>

namespace velmora::catalogue {

// Reading a large price_all side by side: its Number span cut into ranges,
// each read on a read-only connection of its own to the same file.

// The Numbers (from, to] of one range.
struct NumberRange {
    qint64 from = 0;
    qint64 to = 0;
};

// The ranges the span (after, last] is cut into: several when the database
// is a file, no transaction is open on `priceDb` (other connections would
// not see its uncommitted rows) and the span is large enough to share out;
// otherwise the one range. Empty when last <= after.
std::vector<NumberRange> sideBySideRanges(const db::Connection& priceDb, qint64 after, qint64 last);

// Runs work(connection, index) for each of `count` ranges at once, each on
// a read-only connection of its own (no journal settings, the small default
// page cache), and returns when all have ended; a single range runs on
// `priceDb` on the calling thread. The first failure is rethrown.
void runSideBySide(db::Connection& priceDb, size_t count,
                   const std::function<void(db::Connection& connection, size_t index)>& work);

} // namespace velmora::catalogue
