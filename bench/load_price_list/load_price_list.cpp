// Loads a supplier price list through LoadPriceList into a fresh price
// database, runs the search index's catch-up the load thread runs after it,
// and prints the time until the offers are searchable and the peak memory,
// then the time the load thread spends afterwards copying the list's pages
// from the write-ahead log into the file.
//
//   load_price_list [--reader] [--peer] [--reload] [--database OUT] FILE
//                                         load FILE (.xlsx, .xls or .csv);
//                                         --reader also times the reader
//                                         alone streaming the sheet,
//                                         --peer the peer's read of FILE
//                                         (bench/peer_read.py), --reload a
//                                         second load over the first,
//                                         --database keeps the loaded price
//                                         database at OUT (written after the
//                                         timings, replacing OUT)
//   load_price_list --generate N OUT      write N rows to OUT (.xlsx or .csv)
//
// The supplier's sheet maps columns A-H: article, name, price, second price,
// stock, warranty, description, link.
#include "bench_peer.h"

#include "platform/db/backup.h"
#include "platform/db/background_checkpoint.h"
#include "platform/db/connection.h"
#include "platform/files/cp1251.h"
#include "platform/spreadsheet/reader.h"
#include "storage/goods_search_index.h"
#include "storage/schema.h"
#include "suppliers/loader/price_list_loader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <cstdio>
#include <fstream>
#include <string>

using namespace velmora;

namespace {

const char* kSheetName = "Прайс";

struct Row {
    std::string art, name, stock, warranty, description, link;
    double price, price2;
};

Row makeRow(long i)
{
    Row r;
    r.art = "A" + std::to_string(1000000 + i);
    r.name = "Товар номер " + std::to_string(i) + ", модель X-" + std::to_string(i % 977);
    r.price = double((i * 7919) % 100000) / 100.0 + 1;
    r.price2 = r.price * 1.2;
    r.stock = (i % 3) ? std::to_string(i % 50) : "есть";
    r.warranty = std::to_string(6 + i % 4 * 6) + " мес";
    r.description = "Описание товара " + std::to_string(i);
    r.link = "http://example.com/item/" + std::to_string(i);
    return r;
}

std::string commaDecimal(double value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.2f", value);
    std::string text(buffer);
    for (char& c : text)
        if (c == '.')
            c = ',';
    return text;
}

int generate(long rows, const QString& out)
{
    if (out.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) {
        QFile file(out);
        if (!file.open(QIODevice::WriteOnly))
            return std::fprintf(stderr, "cannot write %s\n", qPrintable(out)), 1;
        QString chunk;
        for (long i = 1; i <= rows; ++i) {
            const Row r = makeRow(i);
            chunk += QString::fromStdString(r.art + ";" + r.name + ";" + commaDecimal(r.price) + ";" +
                                            commaDecimal(r.price2) + ";" + r.stock + ";" + r.warranty + ";" +
                                            r.description + ";" + r.link + "\r\n");
            if (chunk.size() > 1 << 20) {
                file.write(encodeCp1251(chunk));
                chunk.clear();
            }
        }
        file.write(encodeCp1251(chunk));
        return 0;
    }
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* book = workbook_new_opt(out.toUtf8().constData(), &options);
    lxw_worksheet* sheet = workbook_add_worksheet(book, kSheetName);
    for (long i = 1; i <= rows; ++i) {
        const Row r = makeRow(i);
        const lxw_row_t row = lxw_row_t(i - 1);
        worksheet_write_string(sheet, row, 0, r.art.c_str(), nullptr);
        worksheet_write_string(sheet, row, 1, r.name.c_str(), nullptr);
        worksheet_write_number(sheet, row, 2, r.price, nullptr);
        worksheet_write_number(sheet, row, 3, r.price2, nullptr);
        worksheet_write_string(sheet, row, 4, r.stock.c_str(), nullptr);
        worksheet_write_string(sheet, row, 5, r.warranty.c_str(), nullptr);
        worksheet_write_string(sheet, row, 6, r.description.c_str(), nullptr);
        worksheet_write_string(sheet, row, 7, r.link.c_str(), nullptr);
    }
    return workbook_close(book) == LXW_NO_ERROR ? 0 : 1;
}

// The reader alone: every row of the first sheet streamed, nothing parsed.
bench::Measure readerAlone(const QString& file)
{
    bench::Measure measure;
    measure.start();
    sheet::WorkbookReader reader(file);
    long cells = 0;
    reader.streamSheet(1, [&](const sheet::RowData& row) {
        cells += long(row.cells.size());
        return true;
    });
    measure.stop();
    return measure;
}

struct Options {
    bool reader = false;
    bool peer = false;
    bool reload = false;
    QString database; // where the loaded price database is kept; "" for nowhere
};

int load(const QString& file, const Options& options)
{
    QTemporaryDir dir;
    const QString pricePath = dir.filePath(QStringLiteral("PRICE.vdb"));
    const QString orderPath = dir.filePath(QStringLiteral("BaseZakaz.vdb"));
    createPriceDatabase(pricePath);
    createOrderDatabase(orderPath);
    db::Connection priceDb(pricePath);
    // As on the load thread: the list's pages are copied from the
    // write-ahead log into the file once it is searchable.
    const db::AutoCheckpointPause deferred(priceDb);
    db::Connection orderDb(orderPath);

    const QString name = QStringLiteral("Бенчмарк");
    db::Statement list = priceDb.prepare(QStringLiteral(
        "INSERT INTO AllPostavSetup (Id, Postavshik, Path, SheetCount, Obrab, PostavVisible, Dates, PriceConversion, Valuta)"
        " VALUES (1, ?1, ?2, 1, '', 1, 0, 1, 2)"));
    list.bindText(1, name).bindText(2, QFileInfo(file).absoluteFilePath());
    list.execute();
    db::Statement sheet = priceDb.prepare(QStringLiteral(
        "INSERT INTO AllPostavPage (Postavshik, SheetName, Column_art, Column_Tovar, Column_Price, Column_Pricemax,"
        " Column_Sklad, Column_Garant, Column_Description, Column_TextNoName, Obrab, Nacen, Valuta, PriceSet, TovarPrefiks)"
        " VALUES (?1, ?2, 1, 2, 3, 4, 5, 6, 7, 8, '', 10, 0, 0, '')"));
    sheet.bindText(1, name).bindText(2, QString::fromUtf8(kSheetName));
    sheet.execute();

    loader::LoadRequest request;
    request.name = name;
    request.rates.rates = {90, 100, 1, 30, 2.5};
    request.rates.displayIndex = CurrencyRUB;

    // The load (its offers searchable once it commits, tested on the rows),
    // then the search index's catch-up; then the index on the articles and
    // the copy of the list's pages from the write-ahead log into the file,
    // as the load thread does them.
    struct Searchable {
        double load = 0;
        double catchUp = 0;
        bench::Measure total;
        double articleIndex = 0;
        double checkpoint = 0;
    };
    auto loadAndCatchUp = [&](Searchable& s) {
        s.total.start();
        QElapsedTimer timer;
        timer.start();
        const loader::LoadResult result = loader::LoadPriceList(priceDb, orderDb, request);
        s.load = double(timer.nsecsElapsed()) / 1e9;
        if (!result.loaded) {
            std::fprintf(stderr, "load failed: %s\n", qPrintable(result.errorText));
            std::exit(1);
        }
        timer.restart();
        catchUpSupplierGoodsIndex(priceDb);
        s.catchUp = double(timer.nsecsElapsed()) / 1e9;
        s.total.stop();
        timer.restart();
        completeOfferIndexes(priceDb);
        s.articleIndex = double(timer.nsecsElapsed()) / 1e9;
        timer.restart();
        priceDb.checkpoint();
        s.checkpoint = double(timer.nsecsElapsed()) / 1e9;
        return result.offerCount;
    };
    Searchable first;
    const int offers = loadAndCatchUp(first);
    std::printf("file        %s (%.1f MB)\n", qPrintable(file), double(QFileInfo(file).size()) / 1e6);
    std::printf("offers      %d\n", offers);
    std::printf("load        %.3f s (offers searchable on their rows); %.0f offers/s\n", first.load,
                offers / first.load);
    std::printf("catch-up    %.3f s (search index)\n", first.catchUp);
    std::printf("searchable  %s\n", qPrintable(first.total.text()));
    std::printf("article     %.3f s afterwards (the index ordering the grid by article)\n", first.articleIndex);
    std::printf("checkpoint  %.3f s afterwards (the pages copied from the write-ahead log into the file)\n",
                first.checkpoint);
    std::printf("database    %.1f MB\n", double(QFileInfo(pricePath).size()) / 1e6);
    if (options.reload) {
        // A reload replaces the supplier's offers: the old ones leave the
        // tables and the search index first.
        Searchable again;
        loadAndCatchUp(again);
        std::printf("reload      %.3f s + catch-up %.3f s = %.3f s (the same list over the first); article index %.3f s,"
                    " checkpoint %.3f s\n",
                    again.load, again.catchUp, again.total.seconds, again.articleIndex, again.checkpoint);
    }
    // Each afterwards, so the peak above is the load's own.
    if (options.reader) {
        const bench::Measure reader = readerAlone(file);
        std::printf("reader      %.3f s (cpu %.3f s) alone, streaming the sheet; searchable in %.1fx that\n",
                    reader.seconds, reader.cpu, first.total.seconds / reader.seconds);
    }
    if (options.peer) {
        if (const std::optional<bench::PeerResult> peer = bench::readWithPeer(file))
            std::printf("ratio       searchable in 1/%.1f of the peer's read\n", peer->measure.seconds / first.total.seconds);
    }
    if (!options.database.isEmpty()) {
        try {
            db::copyDatabase(pricePath, options.database);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "cannot keep the database at %s: %s\n", qPrintable(options.database), error.what());
            return 1;
        }
        std::printf("kept        %s\n", qPrintable(QFileInfo(options.database).absoluteFilePath()));
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.size() == 3 && args[0] == u"--generate")
        return generate(args[1].toLong(), args[2]);
    Options options;
    options.reader = args.removeAll(QStringLiteral("--reader")) > 0;
    options.peer = args.removeAll(QStringLiteral("--peer")) > 0;
    options.reload = args.removeAll(QStringLiteral("--reload")) > 0;
    if (const qsizetype at = args.indexOf(QStringLiteral("--database")); at >= 0) {
        if (at + 1 >= args.size())
            args.clear(); // usage
        else
            options.database = args.takeAt(at + 1);
        if (!args.isEmpty())
            args.removeAt(at);
    }
    if (args.size() == 1 && !args[0].startsWith(u'-'))
        return load(args[0], options);
    std::fprintf(stderr, "usage: load_price_list [--reader] [--peer] [--reload] [--database OUT] FILE\n"
                         "       load_price_list --generate N OUT.xlsx|OUT.csv\n");
    return 2;
}
