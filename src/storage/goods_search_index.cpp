#include "goods_search_index.h"

#include "platform/db/jet_dialect.h"
#include "platform/db/pragma_override.h"
#include "platform/db/search_tokenizer.h"
#include "storage/schema.h"

#include <QStringList>

#include <algorithm>
#include <exception>
#include <optional>
#include <thread>

namespace velmora {
namespace {

const QStringList kFields = {
    QStringLiteral("Art"),    QStringLiteral("Tovar"),       QStringLiteral("Garant"),
    QStringLiteral("Sklad"), QStringLiteral("Description"), QStringLiteral("TextNoName"),
};

// Pending trigrams are written out each time they pass this many bytes; the
// engine's 1 MiB default makes a million-offer load write and merge dozens
// of small segments.
constexpr qint64 kPendingBytes = 64 << 20;

QString fts() { return QString::fromLatin1(kGoodsTextIndex); }
QString pending() { return QString::fromLatin1(kGoodsIndexPending); }

// True for a row the index holds: none above the watermark is in it yet.
QString indexedCondition(const QString& row)
{
    return QStringLiteral("NOT EXISTS (SELECT 1 FROM %1 WHERE %2.Number > Above)").arg(pending(), row);
}

QString createPendingSql()
{
    return QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (Above INTEGER NOT NULL)").arg(pending());
}

QString prefixed(const QString& prefix)
{
    QStringList out;
    for (const QString& f : kFields)
        out << prefix + f;
    return out.join(QStringLiteral(", "));
}

QString fieldList() { return kFields.join(QStringLiteral(", ")); }

// External content: the index keeps only the trigrams, the text stays in
// AllTovarPostav. The program's tokenizer hands over only the trigrams a
// search can ask for, folded as the search folds them: about two fifths of
// all a row's trigrams, the rest spanning spaces and separators. Which
// trigrams a row holds is all the search asks (it tests every candidate on
// the row), so neither positions (detail) nor field lengths (columnsize)
// are kept: over a million offers a fifth of the size and a third of the
// writing of a full index.
QString createTableSql()
{
    return QStringLiteral("CREATE VIRTUAL TABLE %1 USING fts5(%2, content='AllTovarPostav', content_rowid='Number', "
                          "tokenize='%3', detail=none, columnsize=0)")
        .arg(fts(), fieldList(), QString::fromLatin1(db::kSearchTokenizer));
}

// Each leaves a row above the watermark alone: the catch-up indexes it, and
// a 'delete' for a row the index lacks would corrupt it.
QString insertNew()
{
    return QStringLiteral("INSERT INTO %1 (rowid, %2) SELECT new.Number, %3 WHERE %4;")
        .arg(fts(), fieldList(), prefixed(QStringLiteral("new.")), indexedCondition(QStringLiteral("new")));
}

QString deleteOld()
{
    return QStringLiteral("INSERT INTO %1 (%1, rowid, %2) SELECT 'delete', old.Number, %3 WHERE %4;")
        .arg(fts(), fieldList(), prefixed(QStringLiteral("old.")), indexedCondition(QStringLiteral("old")));
}

struct Trigger {
    QString name;
    QString sql;
};

QList<Trigger> triggers()
{
    return {
        {fts() + QStringLiteral("_ai"),
         QStringLiteral("CREATE TRIGGER %1_ai AFTER INSERT ON AllTovarPostav BEGIN %2 END").arg(fts(), insertNew())},
        {fts() + QStringLiteral("_ad"),
         QStringLiteral("CREATE TRIGGER %1_ad AFTER DELETE ON AllTovarPostav BEGIN %2 END").arg(fts(), deleteOld())},
        // Re-pricing and renaming a supplier leave the index alone.
        {fts() + QStringLiteral("_au"),
         QStringLiteral("CREATE TRIGGER %1_au AFTER UPDATE OF Number, %2 ON AllTovarPostav BEGIN %3 %4 END")
             .arg(fts(), fieldList(), deleteOld(), insertNew())},
    };
}

const Trigger& insertTrigger()
{
    static const Trigger trigger = triggers().front();
    return trigger;
}

const Trigger& updateTrigger()
{
    static const Trigger trigger = triggers().back();
    return trigger;
}

QString storedSql(const db::Connection& db, const QString& name)
{
    return db.scalar(QStringLiteral("SELECT sql FROM sqlite_master WHERE name = ?1"), {name}).toString();
}

bool pendingLimitSet(const db::Connection& db)
{
    return db.scalar(QStringLiteral("SELECT count(*) FROM %1_config WHERE k = 'hashsize' AND v = ?1").arg(fts()),
                     {kPendingBytes})
               .toInt()
        == 1;
}

// The plain indexes the search's statements lean on: the default order and
// the join to each offer's quoted prices (part of that table's definition,
// missing from some older files).
bool plainIndexesPresent(const db::Connection& db)
{
    const bool hasValuta = db.tableExists(QStringLiteral("AllTovarValuta"));
    return db.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'index' AND name IN "
                                    "('AllTovarValuta_ID_Tovar', 'AllTovarPostav_PriceOut')"))
               .toInt()
        == (hasValuta ? 2 : 1);
}

void createPlainIndexes(db::Connection& db)
{
    db.exec(QStringLiteral("CREATE INDEX IF NOT EXISTS AllTovarPostav_PriceOut ON AllTovarPostav (PriceOut)"));
    if (db.tableExists(QStringLiteral("AllTovarValuta")))
        db.exec(QStringLiteral("CREATE INDEX IF NOT EXISTS AllTovarValuta_ID_Tovar ON AllTovarValuta (ID_Tovar)"));
}

const QString kPriceOrderIndex = QStringLiteral("AllTovarPostav_PriceOut");

// How a bulk load or a wholesale delete treats each index of the schema on
// the offers and their quoted prices.
enum class BulkTreatment { Rebuilt, RebuiltOnceSearchable, KeptUp, LeftForSave };

BulkTreatment bulkTreatment(const TableDef& table, const IndexDef& index)
{
    // A list's quoted prices are added in the order of their offers' numbers,
    // so each lands at the end of the index that joins them to their offer.
    // Nothing asks for them by currency code; that index is the database
    // save's to build.
    if (table.name == u"AllTovarValuta")
        return index.name == u"Valuta" ? BulkTreatment::LeftForSave : BulkTreatment::KeptUp;
    // A list's offers are one run of the supplier index, added at its end or
    // taken out whole: kept up row by row that is a short walk each, where a
    // sort would compare every offer's supplier through the collation.
    if (index.name == u"Postav")
        return BulkTreatment::KeptUp;
    // The index on the names serves no statement (the search looks names up
    // through the full-text index) and the database save builds it; sorted
    // again here it would be the dearest of all.
    if (index.name == u"Tovar")
        return BulkTreatment::LeftForSave;
    // The index on the articles orders the grid by article; the search and
    // its default order do without it. A load builds it once the list is
    // searchable (completeOfferIndexes), the next start if the program
    // stopped before.
    if (index.name == u"Art")
        return BulkTreatment::RebuiltOnceSearchable;
    return BulkTreatment::Rebuilt;
}

const QStringList kBulkTables = {QStringLiteral("AllTovarPostav"), QStringLiteral("AllTovarValuta")};

// Runs `visit` with the name and statement of each index of the offers'
// tables whose bulk treatment `chosen` picks.
void forEachOfferIndex(const std::function<bool(BulkTreatment)>& chosen,
                       const std::function<void(const QString&, const QString&)>& visit)
{
    for (const QString& name : kBulkTables) {
        const TableDef& table = priceTable(name);
        const QStringList statements = createIndexSql(table);
        for (qsizetype i = 0; i < table.indexes.size(); ++i)
            if (chosen(bulkTreatment(table, table.indexes.at(i))))
                visit(db::uniqueIndexName(table.name, table.indexes.at(i).name), statements.at(i));
    }
}

void forEachOfferIndex(BulkTreatment treatment, const std::function<void(const QString&, const QString&)>& visit)
{
    forEachOfferIndex([treatment](BulkTreatment t) { return t == treatment; }, visit);
}

// The indexes a bulk change puts off, and the price order. Kept up row by
// row, a large load or delete pays a search down each for every offer, in
// no order; built again once, each is one sort.
void dropOfferIndexes(db::Connection& db)
{
    forEachOfferIndex([](BulkTreatment t) { return t != BulkTreatment::KeptUp; },
                      [&](const QString& name, const QString&) {
                          db.exec(QStringLiteral("DROP INDEX IF EXISTS \"%1\"").arg(name));
                      });
    db.exec(QStringLiteral("DROP INDEX IF EXISTS ") + kPriceOrderIndex);
}

// Building an index sorts every offer. The engine's sorter hands each slice
// that fills its memory (the cache size) to a worker thread and merges the
// sorted slices, so with a few workers and slices of a few megabytes a
// million offers are sorted on several cores instead of one. Both settings
// return to what they were.
class SortOnWorkerThreads {
public:
    explicit SortOnWorkerThreads(db::Connection& db)
        : threads_(db, "threads", std::clamp(int(std::thread::hardware_concurrency()) - 1, 0, kMaxWorkers)),
          cacheSize_(db, "cache_size", -kSliceKiB)
    {
    }

private:
    static constexpr int kMaxWorkers = 4;
    static constexpr int kSliceKiB = 8192;
    const db::PragmaOverride threads_;
    const db::PragmaOverride cacheSize_;
};

bool indexPresent(const db::Connection& db, const QString& name)
{
    return db.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'index' AND name = ?1"), {name})
               .toInt()
        == 1;
}

// Whether the indexes a bulk load builds only once its list is searchable
// are there.
bool deferredIndexesPresent(const db::Connection& db)
{
    bool present = true;
    forEachOfferIndex(BulkTreatment::RebuiltOnceSearchable,
                      [&](const QString& name, const QString&) { present = present && indexPresent(db, name); });
    return present;
}

// Builds those of them that are missing.
void createDeferredIndexes(db::Connection& db)
{
    if (deferredIndexesPresent(db))
        return;
    const SortOnWorkerThreads sorting(db);
    forEachOfferIndex(BulkTreatment::RebuiltOnceSearchable, [&](const QString& name, const QString& sql) {
        if (!indexPresent(db, name))
            db.exec(sql);
    });
}

// When the indexes a bulk load builds once its list is searchable are
// built: with the rest, or after the search index's catch-up.
enum class ArticleOrder { WithTheRest, OnceSearchable };

// The indexes a bulk change put off, each in one sort.
void createOfferIndexes(db::Connection& db, ArticleOrder articleOrder)
{
    {
        const SortOnWorkerThreads sorting(db);
        forEachOfferIndex(BulkTreatment::Rebuilt, [&](const QString&, const QString& sql) { db.exec(sql); });
        createPlainIndexes(db);
    }
    if (articleOrder == ArticleOrder::WithTheRest)
        createDeferredIndexes(db);
}

qint64 remainingOffers(const db::Connection& db)
{
    return db.scalar(QStringLiteral("SELECT count(*) FROM AllTovarPostav")).toLongLong();
}

// Indexes the offers numbered above `number` in one statement, in Number
// order, as one sorted run.
void indexOffersAbove(db::Connection& db, qint64 number)
{
    db::Statement add = db.prepare(
        QStringLiteral("INSERT INTO %1 (rowid, %2) SELECT Number, %2 FROM AllTovarPostav WHERE Number > ?1 ORDER BY Number")
            .arg(fts(), fieldList()));
    add.bind(1, number);
    add.execute();
}

void clearWatermark(db::Connection& db) { db.exec(QStringLiteral("DELETE FROM ") + pending()); }

bool pendingTablePresent(const db::Connection& db)
{
    return db.tableExists(pending());
}

// Indexes the offers above the watermark and clears it, inside the caller's
// transaction.
void indexPendingOffers(db::Connection& db)
{
    if (const std::optional<qint64> above = supplierGoodsIndexPendingAbove(db)) {
        indexOffersAbove(db, *above);
        clearWatermark(db);
    }
}

// A rewrite reaching half the offers costs less as one pass over all of
// them than as the trigger's delete and insert for each.
bool rebuildPays(const db::Connection& db, qint64 changedOffers)
{
    return changedOffers > 0 && changedOffers * 2 >= remainingOffers(db);
}

} // namespace

bool supplierGoodsIndexExists(const db::Connection& priceDb)
{
    QVariantList names{fts(), pending()};
    for (const Trigger& t : triggers())
        names << t.name;
    return priceDb
               .scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name IN (?1, ?2, ?3, ?4, ?5)"), names)
               .toInt()
        == 5;
}

bool supplierGoodsIndexCurrent(const db::Connection& priceDb)
{
    if (storedSql(priceDb, fts()) != createTableSql() || !pendingLimitSet(priceDb) || !pendingTablePresent(priceDb))
        return false;
    if (supplierGoodsIndexPendingAbove(priceDb))
        return false;
    for (const Trigger& t : triggers())
        if (storedSql(priceDb, t.name) != t.sql)
            return false;
    return plainIndexesPresent(priceDb) && deferredIndexesPresent(priceDb);
}

void createSupplierGoodsIndex(db::Connection& priceDb)
{
    createPlainIndexes(priceDb);
    createDeferredIndexes(priceDb);
    // An index of another definition, or found without all its triggers
    // (it may have missed writes), is built anew.
    const bool rebuild = storedSql(priceDb, fts()) != createTableSql() || !supplierGoodsIndexExists(priceDb);
    if (rebuild) {
        for (const Trigger& t : triggers())
            priceDb.exec(QStringLiteral("DROP TRIGGER IF EXISTS ") + t.name);
        priceDb.exec(QStringLiteral("DROP TABLE IF EXISTS ") + fts());
        priceDb.exec(createTableSql());
    }
    priceDb.exec(createPendingSql());
    db::Statement limit =
        priceDb.prepare(QStringLiteral("INSERT INTO %1 (%1, rank) VALUES ('hashsize', ?1)").arg(fts()));
    limit.bind(1, kPendingBytes);
    limit.execute();
    for (const Trigger& t : triggers()) {
        if (storedSql(priceDb, t.name) == t.sql)
            continue;
        priceDb.exec(QStringLiteral("DROP TRIGGER IF EXISTS ") + t.name);
        priceDb.exec(t.sql);
    }
    if (rebuild) {
        priceDb.exec(QStringLiteral("INSERT INTO %1 (%1) VALUES ('rebuild')").arg(fts()));
        clearWatermark(priceDb);
    } else {
        // A load whose catch-up never ran (the program was stopped between
        // the two) is finished here.
        indexPendingOffers(priceDb);
    }
}

std::optional<qint64> supplierGoodsIndexPendingAbove(const db::Connection& priceDb)
{
    if (!priceDb.tableExists(pending()))
        return std::nullopt;
    const QVariant above = priceDb.scalar(QStringLiteral("SELECT min(Above) FROM ") + pending());
    if (above.isNull())
        return std::nullopt;
    return above.toLongLong();
}

bool catchUpSupplierGoodsIndex(db::Connection& priceDb)
{
    if (!supplierGoodsIndexExists(priceDb) || !supplierGoodsIndexPendingAbove(priceDb))
        return false;
    db::Transaction transaction(priceDb);
    indexPendingOffers(priceDb);
    transaction.commit();
    return true;
}

bool completeOfferIndexes(db::Connection& priceDb)
{
    if (deferredIndexesPresent(priceDb))
        return false;
    db::Transaction transaction(priceDb);
    createDeferredIndexes(priceDb);
    transaction.commit();
    return true;
}

void ensureSupplierGoodsIndex(db::Connection& priceDb)
{
    if (supplierGoodsIndexCurrent(priceDb))
        return;
    db::Transaction transaction(priceDb);
    createSupplierGoodsIndex(priceDb);
    transaction.commit();
}

void rebuildSupplierGoodsIndex(db::Connection& priceDb)
{
    if (!supplierGoodsIndexExists(priceDb))
        return;
    priceDb.exec(QStringLiteral("INSERT INTO %1 (%1) VALUES ('delete-all')").arg(fts()));
    indexOffersAbove(priceDb, 0);
    clearWatermark(priceDb);
}

void dropSupplierGoodsIndex(db::Connection& priceDb)
{
    db::Transaction transaction(priceDb);
    for (const Trigger& t : triggers())
        priceDb.exec(QStringLiteral("DROP TRIGGER IF EXISTS ") + t.name);
    priceDb.exec(QStringLiteral("DROP TABLE IF EXISTS ") + fts());
    priceDb.exec(QStringLiteral("DROP TABLE IF EXISTS ") + pending());
    priceDb.exec(QStringLiteral("DROP INDEX IF EXISTS AllTovarPostav_PriceOut"));
    transaction.commit();
}

QStringList supplierGoodsIndexTrigrams(const QString& text)
{
    QStringList trigrams;
    for (qsizetype i = 0; i + 3 <= text.size(); ++i) {
        QString trigram = text.mid(i, 3);
        // The index keeps no trigram that holds any other character.
        if (!std::all_of(trigram.cbegin(), trigram.cend(), [](QChar c) { return db::searchIndexHolds(c.unicode()); }))
            continue;
        trigram.replace(u'"', QStringLiteral("\"\""));
        const QString quoted = u'"' + trigram + u'"';
        if (!trigrams.contains(quoted))
            trigrams << quoted;
    }
    return trigrams;
}

QString supplierGoodsIndexTerm(const QString& text, const QString& field)
{
    // Without positions the index answers for single trigrams only: a row
    // holding every trigram of the text is a candidate. The field is not
    // kept either; the test on the row checks it.
    Q_UNUSED(field);
    return supplierGoodsIndexTrigrams(text).join(QStringLiteral(" AND "));
}

qint64 deleteSupplierOffers(db::Connection& priceDb, const QString& supplier)
{
    const qint64 offers =
        priceDb.scalar(QStringLiteral("SELECT count(*) FROM AllTovarPostav WHERE Postavshik = ?1"), {supplier})
            .toLongLong();
    if (offers == 0)
        return 0;
    const qint64 others = remainingOffers(priceDb) - offers;
    const bool wholesale = others < offers && supplierGoodsIndexExists(priceDb);
    if (!wholesale) {
        db::Statement remove = priceDb.prepare(QStringLiteral("DELETE FROM AllTovarPostav WHERE Postavshik = ?1"));
        remove.bind(1, supplier);
        remove.execute();
        return offers;
    }
    const Trigger deleteTrigger = triggers().at(1);
    priceDb.exec(QStringLiteral("DROP TRIGGER ") + deleteTrigger.name);
    priceDb.exec(QStringLiteral("INSERT INTO %1 (%1) VALUES ('delete-all')").arg(fts()));
    if (others == 0) {
        // Without a delete trigger the engine empties the table at once.
        priceDb.exec(QStringLiteral("DELETE FROM AllTovarPostav"));
        clearWatermark(priceDb);
    } else {
        dropOfferIndexes(priceDb);
        db::Statement remove = priceDb.prepare(QStringLiteral("DELETE FROM AllTovarPostav WHERE Postavshik = ?1"));
        remove.bind(1, supplier);
        remove.execute();
        createOfferIndexes(priceDb, ArticleOrder::WithTheRest);
        // Offers still waiting for the catch-up are indexed with the rest.
        indexOffersAbove(priceDb, 0);
        clearWatermark(priceDb);
    }
    priceDb.exec(deleteTrigger.sql);
    return offers;
}

SupplierGoodsBulkInsert::SupplierGoodsBulkInsert(db::Connection& priceDb, qint64 expectedOffers) : db_(priceDb)
{
    if (!supplierGoodsIndexExists(db_))
        return;
    // Numbers are never reused, so the new offers are those above the top.
    // A watermark already there (an earlier load not caught up) stays.
    if (!supplierGoodsIndexPendingAbove(db_)) {
        db::Statement mark = db_.prepare(
            QStringLiteral("INSERT INTO %1 (Above) SELECT coalesce(max(Number), 0) FROM AllTovarPostav").arg(pending()));
        mark.execute();
    }
    db_.exec(QStringLiteral("DROP TRIGGER ") + insertTrigger().name);
    offerIndexesOff_ = expectedOffers >= remainingOffers(db_);
    if (offerIndexesOff_)
        dropOfferIndexes(db_);
    active_ = true;
}

SupplierGoodsBulkInsert::~SupplierGoodsBulkInsert()
{
    // Left by an exception, the caller's transaction rolls back and takes
    // the dropped trigger back with it; left normally, the trigger and the
    // offers' indexes must be back before it commits.
    if (std::uncaught_exceptions() > 0)
        return;
    try {
        finish();
    } catch (...) {
    }
}

void SupplierGoodsBulkInsert::finish()
{
    if (!active_)
        return;
    active_ = false;
    db_.exec(insertTrigger().sql);
    if (offerIndexesOff_)
        createOfferIndexes(db_, ArticleOrder::OnceSearchable);
}

SupplierGoodsBulkUpdate::SupplierGoodsBulkUpdate(db::Connection& priceDb, qint64 changedOffers) : db_(priceDb)
{
    if (changedOffers == 0 || !supplierGoodsIndexExists(db_) || !rebuildPays(db_, changedOffers))
        return;
    db_.exec(QStringLiteral("DROP TRIGGER ") + updateTrigger().name);
    active_ = true;
}

SupplierGoodsBulkUpdate::~SupplierGoodsBulkUpdate()
{
    // Left by an exception, the caller's transaction rolls back and takes
    // the dropped trigger back with it.
    if (std::uncaught_exceptions() > 0)
        return;
    try {
        finish();
    } catch (...) {
    }
}

void SupplierGoodsBulkUpdate::finish()
{
    if (!active_)
        return;
    active_ = false;
    db_.exec(updateTrigger().sql);
    rebuildSupplierGoodsIndex(db_);
}

qint64 rewriteSupplierGoods(db::Connection& priceDb, const std::function<qint64()>& write)
{
    if (!supplierGoodsIndexExists(priceDb))
        return write();
    db::Savepoint triggerOff(priceDb, QStringLiteral("rewrite_supplier_goods"));
    priceDb.exec(QStringLiteral("DROP TRIGGER ") + updateTrigger().name);
    const qint64 changed = write();
    if (rebuildPays(priceDb, changed)) {
        priceDb.exec(updateTrigger().sql);
        rebuildSupplierGoodsIndex(priceDb);
        triggerOff.release();
        return changed;
    }
    triggerOff.rollBack();
    return changed == 0 ? 0 : write();
}

} // namespace velmora
