#pragma once

#include "platform/db/connection.h"

namespace velmora::search {

// The search's own indexes on the price database: a trigram full-text index
// over the six searched fields of AllTovarPostav, kept in step by triggers
// so that the loader and every other writer keep it current, and an index
// on PriceOut for the default order. Plain SQLite (fts5 and triggers), so
// the file stays usable in the sqlite3 shell.
//
// Creates what is missing and fills a new full-text index from the rows
// already there; running it again changes nothing. One transaction.
void ensureSupplierGoodsIndex(db::Connection& priceDb);

// True when the full-text index and its triggers are in place.
bool supplierGoodsIndexExists(const db::Connection& priceDb);

// Removes the search's own indexes and triggers (the benchmark compares the
// plain statements without them).
void dropSupplierGoodsIndex(db::Connection& priceDb);

// The index indexes are named in the database.
inline constexpr const char* kGoodsTextIndex = "AllTovarPostav_SearchText";

} // namespace velmora::search
