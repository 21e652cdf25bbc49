// Times the combined stock export on a generated price database of
// 1,000,000 offers of 50 suppliers whose Description keys come from a pool
// of 300,000 articles, with an own stock of 20,000 and of 100,000 articles:
// the whole run (rows, template, workbook saved) with its peak memory,
// beside the plain read of every chosen offer ordered by Description that
// the export's first step would otherwise make, in the same run.
//
//     combined_export [--offers N] [--runs R] [--database PATH]
//
// With --database the generated database is kept at PATH and used again by
// later runs (the offer count is then the file's).
#include "offer_generator.h"

#include "../bench_memory.h"
#include "../bench_peer.h"
#include "../bench_stats.h"

#include "orders/user_export.h"
#include "storage/schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <random>
#include <vector>

using namespace velmora;

namespace {

constexpr int kArticlePool = 300000;

// Article keys for the offers, and the own stock's articles: `ownArticles`
// distinct keys of the pool, each with one offer.
void placeArticles(db::Connection& db, int ownArticles)
{
    db::Transaction transaction(db);
    db.exec(QStringLiteral("DELETE FROM AllTovarPostav WHERE Postavshik = '_Наш склад'"));
    db.exec(QStringLiteral("DELETE FROM AllPostavSetup WHERE Postavshik = '_Наш склад'"));
    db.exec(QStringLiteral("INSERT INTO AllPostavSetup (Id, Postavshik, Path, SheetCount, Obrab, PostavVisible, Dates,"
                           " PriceConversion, Valuta) VALUES (1000, '_Наш склад', '-', 1, '', 1, 45000, 1, 0)"));
    std::mt19937 rng(7);
    std::vector<int> pool(kArticlePool);
    for (int i = 0; i < kArticlePool; ++i)
        pool[i] = i;
    std::shuffle(pool.begin(), pool.end(), rng);
    db::Statement insert = db.prepare(QStringLiteral(
        "INSERT INTO AllTovarPostav (Postavshik, Art, Tovar, Description, TextNoName, Sklad, Price, PriceOut)"
        " VALUES ('_Наш склад', ?1, ?2, ?1, 'Bosch', ?3, 10, 12)"));
    for (int i = 0; i < ownArticles; ++i) {
        const QString key = QStringLiteral("ART-%1").arg(pool[i]);
        insert.bindText(1, key).bindText(2, QStringLiteral("Свой товар ") + key).bindText(3, QString::number(i % 40));
        insert.execute();
        insert.reset();
    }
    transaction.commit();
}

void assignKeys(db::Connection& db)
{
    db::Transaction transaction(db);
    db.exec(QStringLiteral("UPDATE AllTovarPostav SET Description = 'art-' || (abs(random()) % %1)").arg(kArticlePool));
    transaction.commit();
}

// The plain read: every offer of the chosen suppliers and the own stock,
// in Description order, each row's fields touched.
bench::Measure orderedRead(db::Connection& db, const QStringList& suppliers, qint64* rows)
{
    QStringList marks;
    for (int i = 0; i <= suppliers.size(); ++i)
        marks << QStringLiteral("?%1").arg(i + 1);
    timing::resetPeak();
    bench::Measure measure;
    measure.start();
    db::Statement select = db.prepare(QStringLiteral("SELECT * FROM AllTovarPostav WHERE Description <> '*****'"
                                                     " AND Postavshik IN (%1) ORDER BY Description")
                                          .arg(marks.join(QStringLiteral(", "))));
    for (int i = 0; i < suppliers.size(); ++i)
        select.bindText(i + 1, suppliers[i]);
    select.bindText(int(suppliers.size()) + 1, QStringLiteral("_Наш склад"));
    qint64 count = 0;
    while (select.step()) {
        // The fields the export takes from each row.
        if (!select.utf8(1).empty() || !select.utf8(10).empty() || !select.utf8(11).empty())
            ++count;
    }
    measure.stop();
    *rows = count;
    return measure;
}

bench::Measure exportOnce(const QString& pricePath, const QStringList& suppliers, const QString& folder, int* rows)
{
    db::Connection db(pricePath, db::OpenMode::ReadOnly);
    orders::UserExportRequest request;
    request.supplierNames = suppliers;
    request.folder = folder + u'/';
    request.programFolder = QStringLiteral(VELMORA_PROGRAM_DIR);
    timing::resetPeak();
    bench::Measure measure;
    measure.start();
    const orders::UserExportResult result = orders::RunUserExport(db, request);
    measure.stop();
    if (result.outcome != orders::UserExportOutcome::Finished) {
        std::printf("export failed: %s\n", qPrintable(result.errorText));
        return measure;
    }
    *rows = int(db.scalar(QStringLiteral("SELECT count(*) FROM AllTovarPostav WHERE Postavshik = '_Наш склад'")).toInt());
    std::printf("  file %.1f MB\n", QFileInfo(result.path).size() / 1e6);
    QFile::remove(result.path);
    return measure;
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
    QString pricePath = dir.filePath(QStringLiteral("PRICE.vdb"));
    if (const int i = int(args.indexOf(QStringLiteral("--database"))); i > 0 && i + 1 < args.size())
        pricePath = args.at(i + 1);
    QStringList suppliers;
    if (QFileInfo::exists(pricePath)) {
        db::Connection db(pricePath, db::OpenMode::ReadOnly);
        db::Statement select = db.prepare(QStringLiteral(
            "SELECT Postavshik FROM AllPostavSetup WHERE Postavshik <> '_Наш склад' ORDER BY Id"));
        while (select.step())
            suppliers << select.text(0);
    } else {
        createPriceDatabase(pricePath);
        db::Connection db(pricePath);
        std::printf("generating %d offers of 50 suppliers...\n", offers);
        suppliers = search::bench::generateOffers(db, offers, 50);
        assignKeys(db);
    }
    for (const int own : {20000, 100000}) {
        {
            db::Connection db(pricePath);
            placeArticles(db, own);
        }
        std::vector<double> plain, ours, oursCpu;
        double oursPeak = 0, plainPeak = 0;
        qint64 plainRows = 0;
        int rows = 0;
        for (int r = 0; r < runs; ++r) {
            {
                db::Connection db(pricePath, db::OpenMode::ReadOnly);
                const bench::Measure read = orderedRead(db, suppliers, &plainRows);
                plain.push_back(read.seconds);
                plainPeak = std::max(plainPeak, read.peakMb);
            }
            const bench::Measure run = exportOnce(pricePath, suppliers, dir.path(), &rows);
            ours.push_back(run.seconds);
            oursCpu.push_back(run.cpu);
            oursPeak = std::max(oursPeak, run.peakMb);
        }
        const double target = own == 20000 ? 3.0 : 12.0;
        std::printf("own stock %d articles (%d rows written), median of %d runs:\n", own, rows, runs);
        std::printf("  ordered full read of the chosen offers: %7.3f s, peak %.0f MB (%lld offers)\n",
                    timing::median(plain), plainPeak, plainRows);
        std::printf("  combined export end to end:             %7.3f s (cpu %.3f s), peak %.0f MB (target at most "
                    "%.0f s, under 1024 MB)\n",
                    timing::median(ours), timing::median(oursCpu), oursPeak, target);
    }
    return 0;
}
