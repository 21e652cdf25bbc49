#include "goods_index.h"

#include <exception>

namespace velmora::search {
namespace {

const QString kFields = QStringLiteral("Art, Tovar, Garant, Sklad, Description, TextNoName");

QString prefixed(const QString& prefix)
{
    QStringList out;
    for (const QString& f : kFields.split(QStringLiteral(", ")))
        out << prefix + f;
    return out.join(QStringLiteral(", "));
}

QString insertTriggerSql()
{
    const QString fts = QString::fromLatin1(kGoodsTextIndex);
    return QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1_ai AFTER INSERT ON AllTovarPostav BEGIN "
                          "INSERT INTO %1 (rowid, %2) VALUES (new.Number, %3); END")
        .arg(fts, kFields, prefixed(QStringLiteral("new.")));
}

} // namespace

bool supplierGoodsIndexExists(const db::Connection& priceDb)
{
    return priceDb.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name IN "
                                         "(?, 'AllTovarPostav_SearchText_ai', 'AllTovarPostav_SearchText_ad', "
                                         "'AllTovarPostav_SearchText_au')"),
                          {QString::fromLatin1(kGoodsTextIndex)})
               .toInt()
        == 4;
}

void ensureSupplierGoodsIndex(db::Connection& priceDb)
{
    const QString fts = QString::fromLatin1(kGoodsTextIndex);
    db::Transaction transaction(priceDb);
    priceDb.exec(QStringLiteral("CREATE INDEX IF NOT EXISTS AllTovarValuta_ID_Tovar ON AllTovarValuta (ID_Tovar)"));
    priceDb.exec(QStringLiteral("CREATE INDEX IF NOT EXISTS AllTovarPostav_PriceOut ON AllTovarPostav (PriceOut)"));
    const bool fresh = !priceDb.tableExists(fts);
    // An index found without all its triggers may have missed writes.
    const bool stale = !fresh && !supplierGoodsIndexExists(priceDb);
    if (fresh) {
        // External content: the index keeps only the trigrams, the text
        // stays in AllTovarPostav. Folding is on for ASCII and Cyrillic.
        priceDb.exec(QStringLiteral("CREATE VIRTUAL TABLE %1 USING fts5(%2, content='AllTovarPostav', "
                                    "content_rowid='Number', tokenize='trigram case_sensitive 0')")
                         .arg(fts, kFields));
    }
    const QString insertNew = QStringLiteral("INSERT INTO %1 (rowid, %2) VALUES (new.Number, %3);")
                                  .arg(fts, kFields, prefixed(QStringLiteral("new.")));
    priceDb.exec(insertTriggerSql());
    const QString deleteOld = QStringLiteral("INSERT INTO %1 (%1, rowid, %2) VALUES ('delete', old.Number, %3);")
                                  .arg(fts, kFields, prefixed(QStringLiteral("old.")));
    priceDb.exec(QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1_ad AFTER DELETE ON AllTovarPostav BEGIN %2 END")
                     .arg(fts, deleteOld));
    // Re-pricing rewrites prices only and leaves the index alone.
    priceDb.exec(QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1_au AFTER UPDATE OF Number, %2 ON AllTovarPostav "
                                "BEGIN %3 %4 END")
                     .arg(fts, kFields, deleteOld, insertNew));
    if (fresh || stale)
        priceDb.exec(QStringLiteral("INSERT INTO %1 (%1) VALUES ('rebuild')").arg(fts));
    transaction.commit();
}

void dropSupplierGoodsIndex(db::Connection& priceDb)
{
    const QString fts = QString::fromLatin1(kGoodsTextIndex);
    db::Transaction transaction(priceDb);
    for (const char* suffix : {"_ai", "_ad", "_au"})
        priceDb.exec(QStringLiteral("DROP TRIGGER IF EXISTS %1%2").arg(fts, QString::fromLatin1(suffix)));
    priceDb.exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(fts));
    priceDb.exec(QStringLiteral("DROP INDEX IF EXISTS AllTovarPostav_PriceOut"));
    transaction.commit();
}

SupplierGoodsBulkInsert::SupplierGoodsBulkInsert(db::Connection& priceDb) : db_(priceDb)
{
    if (!supplierGoodsIndexExists(db_))
        return;
    lastNumberBefore_ = db_.scalar(QStringLiteral("SELECT coalesce(max(Number), 0) FROM AllTovarPostav")).toLongLong();
    db_.exec(QStringLiteral("DROP TRIGGER %1_ai").arg(QString::fromLatin1(kGoodsTextIndex)));
    active_ = true;
}

SupplierGoodsBulkInsert::~SupplierGoodsBulkInsert()
{
    // Left by an exception, the caller's transaction rolls back and takes
    // the dropped trigger back with it; left normally, the offers must be
    // indexed before it commits.
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
    const QString fts = QString::fromLatin1(kGoodsTextIndex);
    // Numbers only grow, so the new offers are those above the old top.
    db::Statement add = db_.prepare(QStringLiteral("INSERT INTO %1 (rowid, %2) SELECT Number, %2 FROM AllTovarPostav "
                                                   "WHERE Number > ?")
                                        .arg(fts, kFields));
    add.bind(1, lastNumberBefore_);
    add.execute();
    db_.exec(insertTriggerSql());
}

} // namespace velmora::search
