// Times the supplier goods search on a large generated price database: the
// plain statement without any extra index against the trigram-indexed path,
// each up to the grid's first screen of rows.
#include "offer_generator.h"

#include "../bench_stats.h"

#include "storage/schema.h"
#include "suppliers/search/goods_index.h"
#include "suppliers/search/supplier_goods_model.h"
#include "suppliers/search/supplier_goods_search.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using namespace velmora;
using namespace velmora::search;

namespace {

constexpr int kFirstScreenRows = 40;

struct BenchSearch {
    const char* text;
    SearchField field;
};

const BenchSearch kSearches[] = {
    {"болт", SearchField::Name},
    {"болт м6", SearchField::Name},
    {"гайка оцинк м8", SearchField::Name},
    {"кабель ввг", SearchField::Name},
    {"подшипник 6205", SearchField::Name},
    {"дрель ударная", SearchField::Name},
    {"лента светодиодная 12в", SearchField::Name},
    {"саморез 4,2x16", SearchField::Name},
    {"лампа e27", SearchField::Name},
    {"м6", SearchField::Name},
    {"ABB", SearchField::Name},
    {"нетакоготовара", SearchField::Name},
    {"MA-1234", SearchField::Article},
    {"2RS", SearchField::Article},
    {"12", SearchField::Article},
    {"bosch", SearchField::All},
    {"германия шуруповерт", SearchField::All},
    {"www.example.com/item/77", SearchField::All},
    {"makita под заказ", SearchField::All},
    {"[болт]&[оцинк]&![м6]", SearchField::Name},
};

qint64 memoryKiB(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

struct Timing {
    double ms = 0;
    int rows = 0;
    bool indexed = false;
    GoodsQuery::FetchCounts counts;
    QVector<qint64> numbers;  // the first chunk's offers, in their order
};

// Each search is timed this many times and its fastest run kept: on a
// shared machine one run may be held up by others.
constexpr int kRuns = 3;

// One search as the main window runs it: build and open, hand the first
// chunk to the grid model, draw the first screen's cells.
Timing timeSearch(const db::Connection& db, const QString& text, SearchField field, IndexUse index,
                  SupplierGoodsModel& model)
{
    SearchState state;
    SearchOptions options;
    options.field = field;
    options.index = index;
    QElapsedTimer timer;
    timer.start();
    SearchOutcome outcome = SearchSupplierGoods(db, options, text, state);
    Timing t;
    if (outcome.status == SearchStatus::Opened) {
        t.indexed = outcome.query->usesIndex();
        for (const GoodsRow& row : outcome.firstChunk.rows)
            t.numbers << outcome.query->keyOf(row).number;
        model.setResult(outcome.query, std::move(outcome.firstChunk));
        const int rows = std::min(kFirstScreenRows, model.rowCount());
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < model.columnCount(); ++c)
                model.data(model.index(r, c));
        }
        t.rows = model.rowCount();
        t.counts = model.query()->fetchCounts();
    } else {
        model.clear();
    }
    t.ms = timer.nsecsElapsed() / 1e6;
    return t;
}

std::vector<Timing> runSet(const db::Connection& db, IndexUse index, SupplierGoodsModel& model)
{
    std::vector<Timing> out;
    for (const BenchSearch& s : kSearches) {
        Timing best = timeSearch(db, QString::fromUtf8(s.text), s.field, index, model);
        for (int run = 1; run < kRuns; ++run)
            best.ms = std::min(best.ms, timeSearch(db, QString::fromUtf8(s.text), s.field, index, model).ms);
        out.push_back(best);
    }
    return out;
}

void printSummary(const char* label, const std::vector<Timing>& timings)
{
    std::vector<double> ms;
    for (const Timing& t : timings)
        ms.push_back(t.ms);
    std::printf("%-40s median %8.1f ms   slowest %8.1f ms\n", label, velmora::timing::median(ms), *std::max_element(ms.begin(), ms.end()));
}

// Loads `suppliers` lists again the way the loader does, leaving their
// offers to the catch-up (their numbers, as a load's, new and above the
// rest). Returns how many offers now wait for the index.
qint64 reloadWithoutCatchUp(db::Connection& db, int suppliers)
{
    db::Transaction transaction(db);
    QStringList names;
    db::Statement select = db.prepare(QStringLiteral("SELECT Postavshik FROM AllPostavSetup ORDER BY Id LIMIT ?1"));
    select.bindInt(1, suppliers);
    while (select.step())
        names << select.text(0);
    const QString columns = QStringLiteral("Art, Tovar, Price, Pricemax, Postavshik, Check_sootv, Check_obrab, Dates, "
                                           "Garant, Sklad, Description, TextNoName, PriceOut");
    db.exec(QStringLiteral("CREATE TEMP TABLE Reloaded AS SELECT %1 FROM AllTovarPostav WHERE 0").arg(columns));
    qint64 offers = 0;
    for (const QString& name : names) {
        for (const QString& sql :
             {QStringLiteral("INSERT INTO Reloaded SELECT %1 FROM AllTovarPostav WHERE Postavshik = ?1").arg(columns),
              QStringLiteral("DELETE FROM AllTovarValuta WHERE ID_Tovar IN "
                             "(SELECT Number FROM AllTovarPostav WHERE Postavshik = ?1)")}) {
            db::Statement statement = db.prepare(sql);
            statement.bindText(1, name);
            statement.execute();
        }
        offers += deleteSupplierOffers(db, name);
    }
    SupplierGoodsBulkInsert bulk(db, offers);
    db.exec(QStringLiteral("INSERT INTO AllTovarPostav (%1) SELECT %1 FROM Reloaded").arg(columns));
    bulk.finish();
    db::Statement rates = db.prepare(QStringLiteral(
        "INSERT INTO AllTovarValuta (ID_Tovar, Price, Pricemax, Valuta, PriceConversion, Nacen, Dates) "
        "SELECT Number, Price, Pricemax, 'RUB', 1, 20, 45000.5 FROM AllTovarPostav WHERE Number > ?1"));
    rates.bindInt(1, supplierGoodsIndexPendingAbove(db).value_or(0));
    rates.execute();
    db.exec(QStringLiteral("DROP TABLE Reloaded"));
    transaction.commit();
    return offers;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int offers = 1000000;
    const QStringList args = app.arguments();
    if (const int i = int(args.indexOf(QStringLiteral("--offers"))); i > 0 && i + 1 < args.size())
        offers = args.at(i + 1).toInt();

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("PRICE.vdb"));
    createPriceDatabase(path);
    db::Connection db(path);
    db.setMappedReads(kSearchMappedReadBytes);  // as the main window's connection
    // The plain statement is measured first, on the schema's own indexes
    // only; the search index is built afresh after it.
    dropSupplierGoodsIndex(db);

    QElapsedTimer timer;
    timer.start();
    bench::generateOffers(db, offers, 50);
    std::printf("generated %d offers of 50 suppliers in %.1f s (%.0f MB)\n", offers, timer.elapsed() / 1000.0,
                QFileInfo(path).size() / 1048576.0);

    SupplierGoodsModel model;
    const std::vector<Timing> plain = runSet(db, IndexUse::Never, model);
    const Timing plainAll = timeSearch(db, QStringLiteral("%"), SearchField::Name, IndexUse::Never, model);

    timer.restart();
    ensureSupplierGoodsIndex(db);
    std::printf("search index built in %.1f s (database now %.0f MB)\n", timer.elapsed() / 1000.0,
                QFileInfo(path).size() / 1048576.0);
    db.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));

    const std::vector<Timing> indexed = runSet(db, IndexUse::Auto, model);

    std::printf("\n%-28s %-5s %8s %12s %12s %8s\n", "search", "field", "rows", "plain ms", "indexed ms", "ratio");
    int differing = 0;
    for (size_t i = 0; i < indexed.size(); ++i) {
        const bool same = indexed[i].numbers == plain[i].numbers;
        differing += same ? 0 : 1;
        const char* field = kSearches[i].field == SearchField::Name ? "name"
            : kSearches[i].field == SearchField::Article              ? "art"
                                                                      : "all";
        const QByteArray text = QString::fromUtf8(kSearches[i].text).leftJustified(28).toUtf8();
        std::printf("%s %-5s %8d %12.1f %12.1f %7.1fx%s%s\n", text.constData(), field, indexed[i].rows,
                    plain[i].ms, indexed[i].ms, plain[i].ms / std::max(indexed[i].ms, 0.001),
                    !indexed[i].indexed              ? "  plain (words too short for the index)"
                        : indexed[i].counts.window     ? "  window of the price order"
                        : indexed[i].counts.candidates ? "  rarest trigram's candidates in the price order"
                                                       : "  trigram candidates",
                    same ? "" : "  FIRST CHUNK DIFFERS FROM THE PLAIN STATEMENT'S");
    }
    std::printf("\nfirst chunks equal to the plain statement's: %d of %zu (best of %d runs each)\n",
                int(indexed.size()) - differing, indexed.size(), kRuns);
    printSummary("plain statement, no extra index:", plain);
    printSummary("search as built (index where it serves):", indexed);

    // Right after a load, before its catch-up: the loaded offers are tested
    // on the rows.
    for (const int lists : {1, 25}) {
        const qint64 waiting = reloadWithoutCatchUp(db, lists);
        const std::vector<Timing> pending = runSet(db, IndexUse::Auto, model);
        const QByteArray label =
            QStringLiteral("after a load, %1 offers waiting:").arg(waiting).toUtf8();
        printSummary(label.constData(), pending);
        timer.restart();
        catchUpSupplierGoodsIndex(db);
        completeOfferIndexes(db);
        std::printf("  their catch-up: %.2f s\n", timer.elapsed() / 1000.0);
        printSummary("  search after the catch-up:", runSet(db, IndexUse::Auto, model));
    }

    // Start-up: the box holds its placeholder, which searches nothing; the
    // widest search there is lists every visible offer.
    SearchState state;
    timer.restart();
    const SearchOutcome startup = SearchSupplierGoods(db, SearchOptions{}, kFindPlaceholder, state);
    std::printf("start-up search (placeholder = empty): %.2f ms, status %s\n", timer.nsecsElapsed() / 1e6,
                startup.status == SearchStatus::NotRun ? "not run" : "ran");
    const Timing all = timeSearch(db, QStringLiteral("%"), SearchField::Name, IndexUse::Auto, model);
    std::printf("every offer (\"%%\") first screen: %.1f ms (plain statement without the price index %.1f ms)\n",
                all.ms, plainAll.ms);

    // Scrolling: 50 further chunks of the widest result.
    timer.restart();
    for (int i = 0; i < 50 && model.canFetchMore(QModelIndex()); ++i)
        model.fetchMore(QModelIndex());
    std::printf("scrolling to row %d: %.1f ms for 50 chunks; %d chunks of %d rows held\n", model.rowCount(),
                timer.nsecsElapsed() / 1e6, model.cache().loadedChunks(), model.cache().chunkSize());
    timer.restart();
    model.data(model.index(0, 1));  // back to the top: that chunk is read again
    std::printf("back to the first row (chunk read again): %.1f ms\n", timer.nsecsElapsed() / 1e6);

    std::printf("memory: resident %lld KiB, peak %lld KiB\n", memoryKiB("VmRSS:"), memoryKiB("VmHWM:"));

    // What the index costs a writer: one load of 100,000 offers, inserted
    // one statement each as the loader does.
    const char* loads[] = {"without the search index", "with the index kept by its triggers",
                           "with the index, in a bulk-insert scope"};
    for (int mode = 0; mode < 3; ++mode) {
        const QString loadPath = dir.filePath(QStringLiteral("load-%1.vdb").arg(mode));
        createPriceDatabase(loadPath);
        db::Connection loadDb(loadPath);
        if (mode == 0)
            dropSupplierGoodsIndex(loadDb);
        timer.restart();
        bench::generateOffers(loadDb, 100000, 5, 20240305, mode == 2);
        std::printf("loading 100,000 offers %s: %.1f s\n", loads[mode], timer.elapsed() / 1000.0);
    }
    return 0;
}
