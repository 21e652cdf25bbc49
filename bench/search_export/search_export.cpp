// Times the export of the supplier goods search to a workbook on a large
// generated price database: a result of about 100,000 rows and the whole
// database, each against the same rows fetched by one plain statement and
// written by the spreadsheet layer alone (no formats), in the same run.
//
//     search_export [--offers N] [--runs R] [--database PATH]
//
// With --database the generated database is kept at PATH and used again
// by later runs (the offer count is then the file's).
#include "offer_generator.h"

#include "../bench_memory.h"
#include "../bench_stats.h"

#include "platform/spreadsheet/value_block.h"
#include "platform/spreadsheet/workbook.h"
#include "platform/spreadsheet/worksheet.h"
#include "storage/schema.h"
#include "suppliers/exports/search_export.h"
#include "suppliers/search/supplier_goods_search.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

using namespace velmora;
using velmora::timing::memoryKiB;
using velmora::timing::resetPeak;

namespace {

struct Run {
    double ms = 0;
    qint64 peakKiB = 0;
    qint64 rows = 0;
};

// The baseline: the rows of the visible suppliers in the search's order by
// one statement into one block, written as they are.
Run plainFetchAndWrite(db::Connection& db, const QString& path)
{
    resetPeak();
    QElapsedTimer timer;
    timer.start();
    db::Statement select = db.prepare(QStringLiteral(
        "SELECT Art, Tovar, Postavshik, PriceOut, Pricemax, Sklad, Garant, TextNoName, Description "
        "FROM AllTovarPostav WHERE Postavshik IN (SELECT Postavshik FROM AllPostavSetup WHERE PostavVisible <> 0) "
        "ORDER BY PriceOut, Number"));
    sheet::ValueBlock block(0, 9);
    int row = 0;
    while (select.step()) {
        block.resize(++row, 9);
        for (int c = 0; c < 9; ++c) {
            if (c == 3 || c == 4)
                block.setNumber(row, c + 1, select.number(c));
            else if (const std::string_view text = select.utf8(c); !text.empty())
                block.setTextUtf8(row, c + 1, text.data(), text.size());
        }
    }
    sheet::Workbook book;
    book.sheet(1).setValues(sheet::CellRef{2, 1}, block);
    book.saveAs(path);
    Run run;
    run.ms = timer.nsecsElapsed() / 1e6;
    run.peakKiB = memoryKiB("VmHWM:");
    run.rows = row;
    QFile::remove(path);
    return run;
}

// The export as the tool button runs it, on the grid's search statement.
Run exportSearch(db::Connection& db, const QString& folder)
{
    search::SearchState state;
    const search::SearchOutcome outcome =
        search::SearchSupplierGoods(db, search::SearchOptions{}, QStringLiteral("%"), state);
    if (outcome.status != search::SearchStatus::Opened)
        return {};
    exports::SearchExportInput input;
    input.query = outcome.query.get();
    input.programFolder = folder;
    resetPeak();
    QElapsedTimer timer;
    timer.start();
    const QString path = exports::ExportSearchToExcel(input);
    Run run;
    run.ms = timer.nsecsElapsed() / 1e6;
    run.peakKiB = memoryKiB("VmHWM:");
    run.rows = sheet::Workbook::open(path).sheet(1).lastUsedCell().row - 1;
    QFile::remove(path);
    return run;
}

void compare(db::Connection& db, const QString& folder, const char* label, int runs)
{
    std::vector<double> plain, exported;
    Run lastPlain, lastExport;
    for (int i = 0; i < runs; ++i) {
        lastPlain = plainFetchAndWrite(db, QDir(folder).filePath(QStringLiteral("plain.xlsx")));
        plain.push_back(lastPlain.ms);
        lastExport = exportSearch(db, folder);
        exported.push_back(lastExport.ms);
    }
    const double base = timing::median(plain);
    const double ours = timing::median(exported);
    std::printf("%s: %lld rows\n", label, lastExport.rows);
    std::printf("  plain fetch + layer write: %9.1f ms, peak %lld KiB (%lld rows)\n", base, lastPlain.peakKiB,
                lastPlain.rows);
    std::printf("  search export:             %9.1f ms, peak %lld KiB\n", ours, lastExport.peakKiB);
    std::printf("  ratio %.2f (target at most 1.30)\n", ours / base);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int offers = 1000000;
    int runs = 3;
    const QStringList args = app.arguments();
    if (const int i = int(args.indexOf(QStringLiteral("--offers"))); i > 0 && i + 1 < args.size())
        offers = args.at(i + 1).toInt();
    if (const int i = int(args.indexOf(QStringLiteral("--runs"))); i > 0 && i + 1 < args.size())
        runs = std::max(1, args.at(i + 1).toInt());

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("PRICE.vdb"));
    if (const int i = int(args.indexOf(QStringLiteral("--database"))); i > 0 && i + 1 < args.size())
        path = args.at(i + 1);
    constexpr int kSuppliers = 50;
    const bool generate = !QFile::exists(path);
    if (generate)
        createPriceDatabase(path);
    db::Connection db(path);
    if (generate) {
        QElapsedTimer timer;
        timer.start();
        search::bench::generateOffers(db, offers, kSuppliers);
        std::printf("generated %d offers of %d suppliers in %.1f s\n", offers, kSuppliers, timer.elapsed() / 1000.0);
    } else {
        std::printf("using %s: %lld offers\n", qPrintable(path),
                    db.scalar(QStringLiteral("SELECT count(*) FROM AllTovarPostav")).toLongLong());
    }

    // About 100,000 rows: the offers of a tenth of the suppliers.
    db.exec(QStringLiteral("UPDATE AllPostavSetup SET PostavVisible = (Id <= %1)").arg(kSuppliers / 10));
    compare(db, dir.path(), "a tenth of the suppliers", runs);
    db.exec(QStringLiteral("UPDATE AllPostavSetup SET PostavVisible = 1"));
    compare(db, dir.path(), "the whole database", runs);
    std::printf("memory: peak of the run %lld KiB\n", memoryKiB("VmHWM:"));
    return 0;
}
