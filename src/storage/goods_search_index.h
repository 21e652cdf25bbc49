#pragma once

#include "platform/db/connection.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace velmora {

// The price database's search index over supplier offers: a trigram
// full-text index over the six searched fields of AllTovarPostav, kept in
// step by triggers so that every writer keeps it current, and an index on
// PriceOut for the default order. Plain SQLite (fts5 and triggers), so the
// file stays usable in the sqlite3 shell.
//
// The index only proposes candidates: it keeps which trigrams a row holds,
// not where (detail=none), and the search tests every candidate against
// the row itself.

// The full-text index's name in the database.
inline constexpr const char* kGoodsTextIndex = "AllTovarPostav_SearchText";

// The one-row table holding the watermark: offers numbered above its Above
// are not in the full-text index yet. Empty when the index is complete.
inline constexpr const char* kGoodsIndexPending = "AllTovarPostav_SearchPending";

// True when the full-text index, its triggers and the watermark table are in
// place.
bool supplierGoodsIndexExists(const db::Connection& priceDb);

// True when every object of the index is there as this build defines it
// and no offers wait for the catch-up.
bool supplierGoodsIndexCurrent(const db::Connection& priceDb);

// Creates what is missing or differs from this build's definition, fills a
// new full-text index from the rows already there and otherwise indexes the
// offers waiting above the watermark. Runs inside the caller's transaction.
void createSupplierGoodsIndex(db::Connection& priceDb);

// createSupplierGoodsIndex in a transaction of its own; does nothing (and
// writes nothing) when the index is current.
void ensureSupplierGoodsIndex(db::Connection& priceDb);

// The watermark when set: offers numbered above it are not in the full-text
// index yet, and the search tests each of them on the row itself.
std::optional<qint64> supplierGoodsIndexPendingAbove(const db::Connection& priceDb);

// The catch-up after a bulk insert: indexes the offers above the watermark
// in one pass and clears it, in a transaction of its own. False (nothing
// written) when nothing waits.
bool catchUpSupplierGoodsIndex(db::Connection& priceDb);

// After the catch-up: builds the offers' index on their articles (the
// grid's order by article), which a bulk load leaves off so that its list
// is searchable sooner, in a transaction of its own. False (nothing
// written) when it is there. A start that finds it missing builds it too.
bool completeOfferIndexes(db::Connection& priceDb);

// Indexes every offer anew in one pass (the watermark cleared), inside the
// caller's transaction. Without the index it does nothing.
void rebuildSupplierGoodsIndex(db::Connection& priceDb);

// Removes the index and its triggers (benchmarks compare the plain
// statements without them).
void dropSupplierGoodsIndex(db::Connection& priceDb);

// The full-text query proposing the rows whose `field` (any indexed field
// when empty) may contain `text`, at least three characters the index folds
// as the search does. Only the trigrams of characters the index holds
// (db::searchIndexHolds) are asked; empty when the text has none.
QString supplierGoodsIndexTerm(const QString& text, const QString& field);

// The trigrams of that query, each a full-text query of its own (quoted),
// in the order of the text, each once.
QStringList supplierGoodsIndexTrigrams(const QString& text);

// Deletes one supplier's offers inside the caller's transaction and returns
// how many there were. The delete trigger takes each offer's trigrams out
// of the index, about as costly as putting them in; when the offers are
// most of the table, the index is emptied and the remaining offers indexed
// again instead, and the offers' indexes are built anew over them (but for
// the one on Postavshik, kept up meanwhile, and the one on Tovar and the
// quoted prices' one on Valuta, which serve no statement and which the
// database save builds).
qint64 deleteSupplierOffers(db::Connection& priceDb, const QString& supplier);

// For a writer of many offers (the loader): the full-text index would
// tokenize each offer in its own statement and write its pending trigrams
// out at every one, several times slower than one pass, and the writer's
// transaction would hold the lock all that time. Inside this scope, opened
// within the writer's transaction, the insert trigger is off and the
// watermark is set at the offers already there (unless an earlier scope's
// still is), so the new offers are left out of the index; finish() puts the
// trigger back. After the commit, catchUpSupplierGoodsIndex indexes them in
// one pass; until then the search tests them on the rows. A transaction
// that is rolled back takes the trigger's removal and the watermark back
// with it. Without the index it does nothing. Offers may be updated and
// deleted inside the scope, but deleteSupplierOffers runs before it (its
// wholesale path indexes everything there and clears the watermark).
// `expectedOffers` tells how many the writer expects to add (a reload: the
// list's old size); when they would outnumber the offers already there, the
// offers' indexes (those of the schema and the price order) are left off
// until finish() builds each in one sort; the one on Postavshik is kept up
// (the list is one run of it), the one on Art is left for
// completeOfferIndexes, and the one on Tovar and the quoted prices' one on
// Valuta are left for the database save.
class SupplierGoodsBulkInsert {
public:
    explicit SupplierGoodsBulkInsert(db::Connection& priceDb, qint64 expectedOffers = 0);
    SupplierGoodsBulkInsert(const SupplierGoodsBulkInsert&) = delete;
    SupplierGoodsBulkInsert& operator=(const SupplierGoodsBulkInsert&) = delete;
    // Finishes when the caller did not, unless an exception is on its way
    // (the caller's transaction then rolls back).
    ~SupplierGoodsBulkInsert();

    void finish();
    // The caller's transaction is about to roll back and takes the trigger's
    // removal back with it: nothing left to do.
    void cancel() { active_ = false; }

private:
    db::Connection& db_;
    bool active_ = false;
    bool offerIndexesOff_ = false;
};

// For a writer that changes the searched fields of many offers in place
// (the article recalculation): the update trigger takes each changed
// offer's old trigrams out of the full-text index and puts the new ones in,
// a statement each, about twice the cost of indexing the offer once. When
// the changes reach half the offers, this scope, opened within the writer's
// transaction, takes the trigger off, and finish() puts it back and indexes
// every offer anew in one pass; fewer changes are left to the trigger. A
// rollback takes the trigger's removal back with it. Without the index it
// does nothing.
class SupplierGoodsBulkUpdate {
public:
    SupplierGoodsBulkUpdate(db::Connection& priceDb, qint64 changedOffers);
    SupplierGoodsBulkUpdate(const SupplierGoodsBulkUpdate&) = delete;
    SupplierGoodsBulkUpdate& operator=(const SupplierGoodsBulkUpdate&) = delete;
    // Finishes when the caller did not, unless an exception is on its way.
    ~SupplierGoodsBulkUpdate();

    void finish();

private:
    db::Connection& db_;
    bool active_ = false;
};

// For a writer that changes the searched fields of offers in place and
// learns how many only by writing (the article recalculation, one statement
// over all offers): `write` runs with the update trigger off and returns the
// offers it changed. When they reach half the offers the index is built anew
// in one pass, as SupplierGoodsBulkUpdate does; fewer are undone (with the
// trigger's removal) and written again by a second `write` with the trigger
// on, which keeps just those offers in step. Inside the caller's
// transaction; an exception leaves everything as it was before the call.
// Returns the offers changed.
qint64 rewriteSupplierGoods(db::Connection& priceDb, const std::function<qint64()>& write);

} // namespace velmora
