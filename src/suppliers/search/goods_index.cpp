#include "goods_index.h"

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
    if (fresh) {
        // External content: the index keeps only the trigrams, the text
        // stays in AllTovarPostav. Folding is on for ASCII and Cyrillic.
        priceDb.exec(QStringLiteral("CREATE VIRTUAL TABLE %1 USING fts5(%2, content='AllTovarPostav', "
                                    "content_rowid='Number', tokenize='trigram case_sensitive 0')")
                         .arg(fts, kFields));
    }
    const QString insertNew = QStringLiteral("INSERT INTO %1 (rowid, %2) VALUES (new.Number, %3);")
                                  .arg(fts, kFields, prefixed(QStringLiteral("new.")));
    const QString deleteOld = QStringLiteral("INSERT INTO %1 (%1, rowid, %2) VALUES ('delete', old.Number, %3);")
                                  .arg(fts, kFields, prefixed(QStringLiteral("old.")));
    priceDb.exec(QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1_ai AFTER INSERT ON AllTovarPostav BEGIN %2 END")
                     .arg(fts, insertNew));
    priceDb.exec(QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1_ad AFTER DELETE ON AllTovarPostav BEGIN %2 END")
                     .arg(fts, deleteOld));
    // Re-pricing rewrites prices only and leaves the index alone.
    priceDb.exec(QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1_au AFTER UPDATE OF Number, %2 ON AllTovarPostav "
                                "BEGIN %3 %4 END")
                     .arg(fts, kFields, deleteOld, insertNew));
    if (fresh)
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

} // namespace velmora::search
