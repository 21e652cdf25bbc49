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

// The full-text index's name in the database.
inline constexpr const char* kGoodsTextIndex = "AllTovarPostav_SearchText";

// For a writer that inserts many offers one statement at a time (the
// loader): the full-text index writes out its pending trigrams at every
// statement, which makes such a load several times slower. Inside this
// scope, opened within the writer's transaction, the insert trigger is off;
// finish() indexes every offer added since in one statement and puts the
// trigger back. A transaction that is rolled back instead takes the
// trigger's removal back with it. Without the index it does nothing.
// Deletes and updates need no scope: one statement each stays fast.
class SupplierGoodsBulkInsert {
public:
    explicit SupplierGoodsBulkInsert(db::Connection& priceDb);
    SupplierGoodsBulkInsert(const SupplierGoodsBulkInsert&) = delete;
    SupplierGoodsBulkInsert& operator=(const SupplierGoodsBulkInsert&) = delete;
    // Finishes when the caller did not, unless an exception is on its way
    // (the caller's transaction then rolls back).
    ~SupplierGoodsBulkInsert();

    void finish();

private:
    db::Connection& db_;
    qint64 lastNumberBefore_ = 0;
    bool active_ = false;
};

} // namespace velmora::search
