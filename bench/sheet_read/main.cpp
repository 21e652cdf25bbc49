// sheet_read [--block] [--no-peer] FILE: reads every sheet of a workbook and
// prints the time and the peak memory (VmHWM), then the same for the peer a
// shop could use instead (bench/peer_read.py: xlrd for .xls, openpyxl
// read-only for .xlsx, Python's csv module for .csv), run after ours in a
// process of its own, and the ratios.
//
// By default each sheet is streamed row by row, as the loader reads it;
// --block reads each sheet into one value block, as the sheet view does.
#include "bench_peer.h"

#include "platform/spreadsheet/spreadsheet.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QString>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool block = args.removeAll(QStringLiteral("--block")) > 0;
    const bool peer = args.removeAll(QStringLiteral("--no-peer")) == 0;
    if (args.size() != 1 || args[0].startsWith(u'-')) {
        std::fprintf(stderr, "usage: sheet_read [--block] [--no-peer] FILE\n");
        return 2;
    }
    const QString file = args[0];
    using namespace velmora::sheet;
    velmora::bench::Measure ours;
    long long rows = 0;
    long long cells = 0;
    try {
        ours.start();
        WorkbookReader reader(file);
        for (int i = 1; i <= reader.sheetCount(); ++i) {
            long long sheetRows = 0;
            long long sheetCells = 0;
            SheetInfo info;
            if (block) {
                const SheetData data = reader.readSheet(i);
                info = data.info;
                sheetRows = data.values.rows();
                sheetCells = sheetRows * data.values.columns();
            } else {
                info = reader.streamSheet(i, [&](const RowData& row) {
                    ++sheetRows;
                    sheetCells += long(row.cells.size());
                    return true;
                });
            }
            rows += sheetRows;
            cells += sheetCells;
            std::printf("sheet %d \"%s\": %lld rows, %lld cells, last used cell %s\n", i, qPrintable(info.name),
                        sheetRows, sheetCells, info.lastUsedCell.row ? qPrintable(toA1(info.lastUsedCell)) : "-");
        }
        ours.stop();
    } catch (const SheetError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::printf("file   %s (%.1f MB)\n", qPrintable(file), double(QFileInfo(file).size()) / 1e6);
    std::printf("read   %lld rows, %lld cells (%s)\n", rows, cells,
                block ? "each sheet into one value block" : "streamed row by row");
    std::printf("ours   %s; %.0f rows/s\n", qPrintable(ours.text()), ours.seconds > 0 ? rows / ours.seconds : 0.0);
    if (peer)
        velmora::bench::runPeer(file, ours);
    return 0;
}
