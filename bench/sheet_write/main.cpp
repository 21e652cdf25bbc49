// sheet_write [--rows N] [--title] [OUT]: writes a formatted price-list
// workbook of N rows (default 100000) by 8 columns with Cyrillic text and
// prints the time taken. The file also serves as input for sheet_read.
// --title adds a merged title row above the header; a workbook with merges
// is written in full at the end, with a shared-string table, as the
// spreadsheet program's own files are (without it, rows stream out and
// texts are stored inline).
#include "platform/spreadsheet/spreadsheet.h"

#include <QDir>
#include <QElapsedTimer>
#include <QString>
#include <cstdio>
#include <cstring>

using namespace velmora::sheet;

namespace {

// The rows as a loader or exporter would hold them.
ValueBlock makeRows(int rows)
{
    static const char* stock[] = {"Есть", "Нет", "Под заказ", "1-2 дня", "Много"};
    static const char* country[] = {"Россия", "Китай", "Германия", "Беларусь", "Тайвань", "Корея"};
    static const char* kind[] = {"Ноутбук", "Монитор", "Клавиатура", "Мышь", "Принтер", "Накопитель"};
    ValueBlock block(rows, 8);
    for (int r = 1; r <= rows; ++r) {
        block.setText(r, 1, QStringLiteral("АРТ-%1").arg(r, 7, 10, QLatin1Char('0')));
        block.setText(r, 2, QStringLiteral("%1 модель %2 серебристый, гарантия 12 мес.")
                                 .arg(QString::fromUtf8(kind[r % 6]))
                                 .arg(r));
        block.setNumber(r, 3, 100 + (r % 997) * 1.25);
        block.setNumber(r, 4, 90 + (r % 991) * 1.1);
        block.setText(r, 5, QString::fromUtf8(stock[r % 5]));
        block.setText(r, 6, QString::fromUtf8(country[r % 6]));
        block.set(r, 7, CellValue::date(45000 + r % 400));
        block.setText(r, 8, QStringLiteral("Описание товара группы %1").arg(r % 5000));
    }
    return block;
}

// A formatted price-list sheet around the rows.
void fill(Workbook& book, const ValueBlock& block, bool title)
{
    const int rows = block.rows();
    Worksheet& ws = book.sheet(1);
    ws.setName(QStringLiteral("Прайс-лист"));
    if (title) {
        ws.insertRows(1);
        ws.setText(1, 1, QStringLiteral("Прайс-лист от 15.03.2024"));
        ws.range(QStringLiteral("A1:H1")).merge();
        ws.range(QStringLiteral("A1:H1")).setFontSize(14);
    }
    const int top = title ? 2 : 1;
    const QStringList header{QStringLiteral("Артикул"), QStringLiteral("Наименование"), QStringLiteral("Цена"),
                             QStringLiteral("Цена опт"), QStringLiteral("Склад"), QStringLiteral("Страна"),
                             QStringLiteral("Дата"), QStringLiteral("Описание")};
    for (int c = 0; c < header.size(); ++c)
        ws.setText(top, c + 1, header[c]);
    Range head = ws.range(CellRef{top, 1}, CellRef{top, 8});
    head.setBold(true);
    head.setFillColorIndex(33);
    head.setHorizontalAlignment(HAlign::Center);
    head.setBorder(BorderEdge::Bottom, LineStyle::Continuous, BorderWeight::Medium);
    ws.columns(3, 4).setNumberFormat(QStringLiteral("0.00"));
    ws.columns(7, 7).setNumberFormat(QStringLiteral("dd.mm.yyyy"));
    const double widths[] = {14, 45, 10, 10, 10, 12, 11, 50};
    for (int c = 0; c < 8; ++c)
        ws.setColumnWidth(c + 1, widths[c]);
    ws.setValues(CellRef{top + 1, 1}, block);
    ws.range(CellRef{top + 1, 1}, CellRef{top + rows, 8})
        .setBorder(BorderEdge::InsideHorizontal, LineStyle::Continuous, BorderWeight::Hairline);
    ws.setAutoFilter(CellRange{{top, 1}, {top + rows, 8}});
}

} // namespace

int main(int argc, char** argv)
{
    int rows = 100000;
    bool title = false;
    QString out = QDir::temp().filePath(QStringLiteral("sheet_write.xlsx"));
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--rows") == 0 && i + 1 < argc)
            rows = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--title") == 0)
            title = true;
        else
            out = QString::fromLocal8Bit(argv[i]);
    }
    if (rows < 1 || rows > kMaxRows - 1) {
        std::fprintf(stderr, "usage: sheet_write [--rows N] [--title] [OUT]\n");
        return 2;
    }
    try {
        const ValueBlock block = makeRows(rows);
        QElapsedTimer timer;
        timer.start();
        Workbook book;
        fill(book, block, title);
        const double built = timer.nsecsElapsed() / 1e9;
        book.saveAs(out);
        const double total = timer.nsecsElapsed() / 1e9;
        std::printf("wrote %d rows x 8 columns with formatting to %s in %.3f s (filling the sheet %.3f s, "
                    "saving %.3f s)\n",
                    rows, qPrintable(out), total, built, total - built);
    } catch (const SheetError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
