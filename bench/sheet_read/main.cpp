// sheet_read [--block | --values] [--no-peer] [--runs N] FILE: reads every sheet of a
// workbook and prints the time and the peak memory (VmHWM), then the same
// for the peer a shop could use instead (bench/peer_read.py: xlrd for .xls,
// openpyxl read-only for .xlsx, Python's csv module for .csv), run after
// ours in a process of its own, and the ratios.
//
// By default each sheet is streamed row by row, as the loader reads it (text
// cells as the file's UTF-8 bytes where the reader has them so); --values
// streams the texts as values, --block reads each sheet into one value
// block, as the sheet view does.
// With --runs N each side reads N times and the fastest run counts (on a
// busy machine the others mostly measure the neighbours).
#include "bench_peer.h"

#include "platform/spreadsheet/spreadsheet.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QString>
#include <algorithm>
#include <cstdio>

namespace {

using namespace velmora::sheet;

struct Counts {
    long long rows = 0;
    long long cells = 0;
};

// One read of every sheet; the first run prints each sheet's size.
velmora::bench::Measure readOnce(const QString& file, bool block, RowTexts texts, bool print, Counts& counts)
{
    velmora::bench::Measure measure;
    counts = {};
    measure.start();
    WorkbookReader reader(file);
    for (int i = 1; i <= reader.sheetCount(); ++i) {
        Counts sheet;
        SheetInfo info;
        if (block) {
            const SheetData data = reader.readSheet(i);
            info = data.info;
            sheet.rows = data.values.rows();
            sheet.cells = sheet.rows * data.values.columns();
        } else {
            info = reader.streamSheet(
                i,
                [&](const RowData& row) {
                    ++sheet.rows;
                    sheet.cells += long(row.cells.size());
                    return true;
                },
                texts);
        }
        counts.rows += sheet.rows;
        counts.cells += sheet.cells;
        if (print)
            std::printf("sheet %d \"%s\": %lld rows, %lld cells, last used cell %s\n", i, qPrintable(info.name),
                        sheet.rows, sheet.cells, info.lastUsedCell.row ? qPrintable(toA1(info.lastUsedCell)) : "-");
    }
    measure.stop();
    return measure;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool block = args.removeAll(QStringLiteral("--block")) > 0;
    const RowTexts texts = args.removeAll(QStringLiteral("--values")) > 0 ? RowTexts::Values : RowTexts::Utf8;
    const bool peer = args.removeAll(QStringLiteral("--no-peer")) == 0;
    int runs = 1;
    if (const qsizetype at = args.indexOf(QStringLiteral("--runs")); at >= 0 && at + 1 < args.size()) {
        runs = std::max(1, args[at + 1].toInt());
        args.remove(at, 2);
    }
    if (args.size() != 1 || args[0].startsWith(u'-')) {
        std::fprintf(stderr, "usage: sheet_read [--block | --values] [--no-peer] [--runs N] FILE\n");
        return 2;
    }
    const QString file = args[0];
    velmora::bench::Measure ours;
    Counts counts;
    try {
        for (int run = 0; run < runs; ++run) {
            const velmora::bench::Measure measure = readOnce(file, block, texts, run == 0, counts);
            if (run == 0 || measure.seconds < ours.seconds)
                ours = measure;
        }
    } catch (const SheetError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::printf("file   %s (%.1f MB)\n", qPrintable(file), double(QFileInfo(file).size()) / 1e6);
    std::printf("read   %lld rows, %lld cells (%s)\n", counts.rows, counts.cells,
                block ? "each sheet into one value block"
                      : texts == RowTexts::Utf8 ? "streamed row by row, texts as bytes"
                                                : "streamed row by row, texts as values");
    std::printf("ours   %s; %.0f rows/s%s\n", qPrintable(ours.text()), ours.seconds > 0 ? counts.rows / ours.seconds : 0.0,
                runs > 1 ? qPrintable(QStringLiteral(" (fastest of %1)").arg(runs)) : "");
    if (peer)
        velmora::bench::runPeer(file, ours, runs);
    return 0;
}
