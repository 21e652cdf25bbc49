// Times the price history of one supplier with 30 stored loads of 100,000
// offers (and 10 loads of another supplier beside them): the list of its
// loads and the delete of one load, each beside a plain statement over the
// same rows in the same run (a count of the supplier's rows; a delete of
// as many rows by their ID range). Targets: the list within 1 s, one load
// deleted within 2 s.
//
//     price_history [--loads N] [--offers N]
#include "../bench_peer.h"
#include "../bench_stats.h"

#include "storage/schema.h"
#include "suppliers/history/price_history.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdio>

using namespace velmora;

namespace {

void storeLoads(db::Connection& db, const QString& supplier, int loads, int offers, double firstDay)
{
    db::Transaction transaction(db);
    db::Statement insert = db.prepare(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?2)"
        " INSERT INTO AllPriceHistory (Postavshik, Art, Tovar, Price, Pricemax, PriceOut, Dates)"
        " SELECT ?1, 'AR-' || i, 'Товар номер ' || i || ' для истории цен', i % 1000 + 0.5, i % 1000 + 1.5,"
        " i % 1000 + 2.5, ?3 FROM n"));
    for (int load = 0; load < loads; ++load) {
        // Loads a few days apart, each at its own time of day.
        insert.bindText(1, supplier).bindInt(2, offers).bindDouble(3, firstDay + load * 3 + 0.4375 + load / 1000.0);
        insert.execute();
        insert.reset();
    }
    transaction.commit();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int loads = 30;
    int offers = 100000;
    const QStringList args = app.arguments();
    loads = timing::intOption(args, "--loads", loads);
    offers = timing::intOption(args, "--offers", offers);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("PRICE.vdb"));
    createPriceDatabase(path);
    db::Connection db(path);
    const QString supplier = QStringLiteral("ООО Крепеж");
    std::printf("storing %d loads of %d offers (and 10 of another supplier)...\n", loads, offers);
    // Written without the indexes, which are made again afterwards.
    QStringList indexes, names;
    {
        db::Statement select = db.prepare(QStringLiteral(
            "SELECT name, sql FROM sqlite_master WHERE type = 'index' AND tbl_name = 'AllPriceHistory' AND sql IS NOT NULL"));
        while (select.step()) {
            names << select.text(0);
            indexes << select.text(1);
        }
    }
    for (const QString& name : names)
        db.exec(QStringLiteral("DROP INDEX \"%1\"").arg(name));
    storeLoads(db, QStringLiteral("Другой поставщик"), 10, offers, 45000);
    storeLoads(db, supplier, loads, offers, 45100);
    for (const QString& sql : indexes)
        db.exec(sql);

    bench::Measure plainCount;
    plainCount.start();
    const qint64 rows =
        db.scalar(QStringLiteral("SELECT count(*) FROM AllPriceHistory WHERE Postavshik = ?1"), {supplier}).toLongLong();
    plainCount.stop();

    bench::Measure list;
    list.start();
    const QVector<history::StoredLoad> stored = history::ReadStoredLoads(db, supplier);
    list.stop();

    // The plain delete takes the other supplier's oldest load by its IDs.
    bench::Measure plainDelete;
    plainDelete.start();
    {
        db::Transaction transaction(db);
        db::Statement remove = db.prepare(QStringLiteral("DELETE FROM AllPriceHistory WHERE ID <= ?1"));
        remove.bindInt(1, offers);
        remove.execute();
        transaction.commit();
    }
    plainDelete.stop();

    bench::Measure deleteOne;
    deleteOne.start();
    history::DeleteStoredLoad(db, supplier, stored.isEmpty() ? 0 : stored.first().dates);
    deleteOne.stop();
    const int left = int(history::ReadStoredLoads(db, supplier).size());

    std::printf("%lld stored offers of the supplier in %d loads\n", rows, int(stored.size()));
    std::printf("  plain count of its rows:     %7.3f s (cpu %.3f s)\n", plainCount.seconds, plainCount.cpu);
    std::printf("  its loads listed:            %7.3f s (cpu %.3f s; target at most 1 s)\n", list.seconds, list.cpu);
    std::printf("  plain delete of %d rows:  %7.3f s (cpu %.3f s)\n", offers, plainDelete.seconds, plainDelete.cpu);
    std::printf("  one load deleted:            %7.3f s (cpu %.3f s; target at most 2 s); %d loads left\n",
                deleteOne.seconds, deleteOne.cpu, left);
    return 0;
}
