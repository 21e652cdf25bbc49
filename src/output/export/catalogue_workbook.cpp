#include "catalogue_workbook.h"

#include "output/output_error.h"

#include "platform/spreadsheet/spreadsheet.h"

#include <QStringList>

namespace velmora::output {
namespace {

constexpr int kMaxLevels = 10;
constexpr int kHeaderRow = 3;
constexpr int kFirstDataRow = 4;
// Inner horizontal lines only from this last data row down, as the sheet
// has always been drawn.
constexpr int kInnerLinesFromRow = 13;

QString levelCaption(int level)
{
    static const char* const named[] = {"Категория", "Группа", "Подгруппа", "Раздел"};
    return level < 4 ? QString::fromUtf8(named[level]) : QStringLiteral("Подраздел %1").arg(level - 3);
}

void drawGrid(sheet::Range range, sheet::BorderWeight outer, bool innerHorizontal)
{
    using sheet::BorderEdge;
    using sheet::LineStyle;
    for (BorderEdge edge : {BorderEdge::Left, BorderEdge::Top, BorderEdge::Bottom, BorderEdge::Right})
        range.setBorder(edge, LineStyle::Continuous, outer);
    range.setBorder(BorderEdge::InsideVertical, LineStyle::Continuous, sheet::BorderWeight::Thin);
    if (innerHorizontal)
        range.setBorder(BorderEdge::InsideHorizontal, LineStyle::Continuous, sheet::BorderWeight::Thin);
}

} // namespace

int catalogueLevels(db::Connection& priceDb)
{
    for (int level = kMaxLevels - 1; level > 0; --level) {
        const QString probe =
            QStringLiteral("SELECT 1 FROM Price_Out WHERE NameKat%1 <> '' LIMIT 1").arg(level);
        if (priceDb.scalar(probe).isValid())
            return level + 1;
    }
    return 1;
}

CatalogueResult WriteCatalogueWorkbook(db::Connection& priceDb, const ExportParameters& parameters,
                                       const QString& path, const QDate& today, Progress* progress)
{
    CatalogueResult result;
    result.levels = catalogueLevels(priceDb);
    const int levels = result.levels;
    const int artColumn = levels + 1;
    const int firstPrice = levels + 3;
    const int columns = levels + 7;
    const qint64 rows = priceDb.scalar(QStringLiteral("SELECT count(*) FROM Price_Out")).toLongLong();

    sheet::Workbook book;
    sheet::Worksheet& ws = book.sheet(1);
    ws.setName(QString::fromUtf8(kCatalogueSheetName));
    for (int column = 1; column <= levels; ++column)
        ws.setColumnWidth(column, 15);
    ws.setColumnWidth(artColumn, 9);
    ws.setColumnWidth(artColumn + 1, 65);
    for (int column = firstPrice; column <= columns; ++column)
        ws.setColumnWidth(column, 10);

    ws.setText(1, 1, QStringLiteral("Каталог от:") + today.toString(QStringLiteral("dd.MM.yyyy")));
    sheet::Range title = ws.range(sheet::CellRef{1, 1}, sheet::CellRef{1, columns});
    title.merge();
    title.setBold(true);
    title.setFontSize(14);
    title.setHorizontalAlignment(sheet::HAlign::Center);
    title.setFillColorIndex(40);

    QStringList header;
    for (int level = 0; level < levels; ++level)
        header << levelCaption(level);
    header << QStringLiteral("Артикул") << QStringLiteral("Наименование");
    for (int price = 1; price <= kPriceColumnCount; ++price)
        header << parameters.priceColumnName(price);
    header << QStringLiteral("Гарантия");
    for (int column = 1; column <= columns; ++column)
        ws.setText(kHeaderRow, column, header.at(column - 1));
    sheet::Range head = ws.range(sheet::CellRef{kHeaderRow, 1}, sheet::CellRef{kHeaderRow, columns});
    head.setBold(true);
    head.setFontSize(10);
    head.setFontColor(sheet::Color());
    head.setHorizontalAlignment(sheet::HAlign::Center);
    head.setFillColorIndex(33);
    drawGrid(head, sheet::BorderWeight::Medium, false);

    startProgress(progress, QString(), int(rows));
    sheet::ValueBlock block(int(rows), columns);
    db::Statement select = priceDb.prepare(QStringLiteral(
        "SELECT NameKat0, NameKat1, NameKat2, NameKat3, NameKat4, NameKat5, NameKat6, NameKat7, NameKat8, "
        "NameKat9, Art, Tovar, Price_1, Price_2, Price_3, Price_4, Garant FROM Price_Out ORDER BY ID"));
    int row = 0;
    while (select.step() && row < rows) {
        ++row;
        for (int level = 0; level < levels; ++level)
            block.setText(row, level + 1, select.text(level));
        block.setText(row, artColumn, select.text(10));
        block.setText(row, artColumn + 1, select.text(11));
        for (int price = 0; price < kPriceColumnCount; ++price)
            if (!select.isNull(12 + price))
                block.setNumber(row, firstPrice + price, select.number(12 + price));
        block.setText(row, columns, select.text(16));
        stepProgress(progress);
    }
    result.rows = row;
    if (row > 0) {
        ws.setValues(sheet::CellRef{kFirstDataRow, 1}, block);
        const int lastRow = kFirstDataRow + row - 1;
        sheet::Range data = ws.range(sheet::CellRef{kFirstDataRow, 1}, sheet::CellRef{lastRow, columns});
        drawGrid(data, sheet::BorderWeight::Thin, lastRow >= kInnerLinesFromRow);
        data.setFillColorIndex(35);
        data.setFontSize(8);
        ws.range(sheet::CellRef{kFirstDataRow, artColumn}, sheet::CellRef{lastRow, artColumn})
            .setHorizontalAlignment(sheet::HAlign::Center);
        ws.range(sheet::CellRef{kFirstDataRow, firstPrice}, sheet::CellRef{lastRow, firstPrice + 3})
            .setNumberFormat(QStringLiteral("@"));
    }
    ws.setAutoFilter(sheet::CellRange{{kHeaderRow, 1}, {kHeaderRow + std::max(row, 0), columns}});

    try {
        book.saveAs(path);
    } catch (const sheet::SheetError&) {
        throw OutputError(kFileNotSaved);
    }
    return result;
}

} // namespace velmora::output
