// sheet_read FILE: reads every sheet of a workbook into value blocks and
// prints the rows per second and the peak memory (VmHWM).
#include "platform/spreadsheet/spreadsheet.h"

#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <cstdio>

namespace {

QString peakMemory()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return QString::fromLatin1(line.mid(6).trimmed());
    return QStringLiteral("?");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: sheet_read FILE\n");
        return 2;
    }
    using namespace velmora::sheet;
    try {
        QElapsedTimer timer;
        timer.start();
        WorkbookReader reader(QString::fromLocal8Bit(argv[1]));
        long long rows = 0;
        long long cells = 0;
        for (int i = 1; i <= reader.sheetCount(); ++i) {
            const SheetData data = reader.readSheet(i);
            rows += data.values.rows();
            cells += static_cast<long long>(data.values.rows()) * data.values.columns();
            std::printf("sheet %d \"%s\": %d rows x %d columns, last used cell %s\n", i,
                        qPrintable(data.info.name), data.values.rows(), data.values.columns(),
                        data.info.lastUsedCell.row ? qPrintable(toA1(data.info.lastUsedCell)) : "-");
        }
        const double seconds = timer.nsecsElapsed() / 1e9;
        std::printf("read %lld rows (%lld cells) in %.3f s: %.0f rows/s; peak memory %s\n", rows, cells, seconds,
                    seconds > 0 ? rows / seconds : 0.0, qPrintable(peakMemory()));
    } catch (const SheetError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
