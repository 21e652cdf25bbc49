// Times "Пересчитать Артикулы" with all six steps on a generated price
// database of 1,000,000 offers of 50 suppliers holding 300,000 articles,
// each written in up to four ways suppliers write them (which the steps
// make one), beside a rebuild of the search index over the same offers, in
// the same run. The target: at most twice the rebuild. Both run in one
// transaction with the copy of their log into the file held back; each copy
// is timed apart (the recalculation's runs on in the background after it,
// the rebuild's follows it on the same connection), and the ratio is given
// without the copies and with both.
//
//     article_recalc [--offers N] [--runs R]
#include "offer_generator.h"

#include "../bench_peer.h"
#include "../bench_stats.h"

#include "storage/goods_search_index.h"
#include "storage/schema.h"
#include "suppliers/brands/article_recalc.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

using namespace velmora;

namespace {

constexpr int kArticles = 300000;

// Articles from a pool of kArticles, each in forms that every step has a
// hand in making one: blanks at the ends, a tail after "/" or ",", dashes
// and blanks inside, small letters, Cyrillic look-alikes and the letter O.
// Article k becomes "0BC" + k in all of them.
void writeArticles(db::Connection& db)
{
    db::Transaction transaction(db);
    db.exec(QStringLiteral(
        "UPDATE AllTovarPostav SET Art = CASE abs(random()) % 4"
        " WHEN 0 THEN ' ob-с' || (Number % %1) || '/2,3 '"
        " WHEN 1 THEN 'OB-С' || (Number % %1)"
        " WHEN 2 THEN 'ОВ-С' || (Number % %1) || ',5'"
        " ELSE 'ob с' || (Number % %1) END")
                .arg(kArticles));
    transaction.commit();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int offers = 1000000;
    int runs = 3;
    const QStringList args = app.arguments();
    offers = timing::intOption(args, "--offers", offers);
    runs = std::max(1, timing::intOption(args, "--runs", runs));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("PRICE.vdb"));
    createPriceDatabase(path);
    db::Connection db(path);
    std::printf("generating %d offers of 50 suppliers...\n", offers);
    search::bench::generateOffers(db, offers, 50, 20240305, true);
    writeArticles(db);
    ensureSupplierGoodsIndex(db);
    const qint64 distinct = db.scalar(QStringLiteral("SELECT count(DISTINCT Art) FROM AllTovarPostav")).toLongLong();

    brands::ArticleSwitches all;
    all.convertOnLoad = all.cutAtSlashComma = all.trimEnds = all.lettersAndDigits = all.upperCase =
        all.cyrillicToLatin = all.letterOToZero = true;

    // What the generation left in the log is copied first, so that no run
    // pays for it.
    db.checkpoint();
    std::vector<double> rebuild, rebuildCopy, recalc, copy;
    db::BackgroundCheckpoint checkpoint;
    int changed = 0;
    for (int r = 0; r < runs; ++r) {
        bench::Measure index;
        {
            const db::AutoCheckpointPause paused(db);
            index.start();
            db::Transaction transaction(db);
            rebuildSupplierGoodsIndex(db);
            transaction.commit();
            index.stop();
        }
        rebuild.push_back(index.seconds);
        bench::Measure indexCopied;
        indexCopied.start();
        db.checkpoint();
        indexCopied.stop();
        rebuildCopy.push_back(indexCopied.seconds);

        // Every Description back to the article first, so that each run
        // rewrites them all (not timed).
        brands::ApplyArticleConversions(db, false);
        bench::Measure run;
        run.start();
        changed = brands::RecalculateArticles(db, all, {}, &checkpoint);
        run.stop();
        recalc.push_back(run.seconds);
        // The log's copy into the file runs on after the recalculation, as
        // in the program; it is timed apart and waited for before the next
        // run.
        bench::Measure copied;
        copied.start();
        checkpoint.wait();
        copied.stop();
        copy.push_back(copied.seconds);
    }
    const qint64 keys =
        db.scalar(QStringLiteral("SELECT count(DISTINCT Description COLLATE BINARY) FROM AllTovarPostav")).toLongLong();
    const double base = timing::median(rebuild);
    const double baseCopy = timing::median(rebuildCopy);
    const double ours = timing::median(recalc);
    const double oursCopy = timing::median(copy);
    std::printf("%d offers, %lld articles written %lld ways, %d Descriptions changed; median of %d runs\n", offers,
                keys, distinct, changed, runs);
    std::printf("  search index rebuild:         %7.3f s, its log copied into the file %.3f s more\n", base,
                baseCopy);
    std::printf("  article recalculation (six):  %7.3f s, its log copied into the file %.3f s more (in the "
                "background), peak %.0f MB\n",
                ours, oursCopy, bench::peakMemoryMb());
    std::printf("  ratio %.2f without the copies, %.2f with both (target at most 2.00)\n", ours / base,
                (ours + oursCopy) / (base + baseCopy));
    return 0;
}
