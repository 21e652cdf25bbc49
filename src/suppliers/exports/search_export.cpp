#include "search_export.h"

#include "platform/files/file_helpers.h"
#include "platform/spreadsheet/cell_ref.h"
#include "platform/spreadsheet/sheet_error.h"
#include "platform/spreadsheet/workbook.h"
#include "platform/spreadsheet/worksheet.h"
#include "storage/value_helpers.h"
#include "platform/db/statement.h"
#include "suppliers/search/goods_query.h"

#include <QDateTime>
#include <QDir>

#include <algorithm>
#include <iterator>
#include <optional>
#include <vector>

namespace velmora::exports {
namespace {

enum class Header { Title, Fixed, DisplayPrice };

struct LayoutColumn {
    double width;
    Header header;
    QString search::ColumnTitles::*title; // Header::Title
    const char* fixed;                    // Header::Fixed
    const char* field;                    // the search statement's column
    bool price;                           // written as a number; else as text
    bool textFormat;                      // formatted "@"
};

using Titles = search::ColumnTitles;

const LayoutColumn kStandardLayout[] = {
    {20, Header::Title, &Titles::ColumnTitleArt, nullptr, "Art", false, true},
    {50, Header::Title, &Titles::ColumnTitleTovar, nullptr, "Tovar", false, true},
    {12, Header::Fixed, nullptr, "Поставщик", "Postavshik", false, true},
    {10, Header::DisplayPrice, nullptr, nullptr, "PriceOut", true, false},
    {10, Header::Title, &Titles::ColumnTitlePricemax, nullptr, "Pricemax", true, false},
    {8, Header::Title, &Titles::ColumnTitleSklad, nullptr, "Sklad", false, false},
    {10, Header::Title, &Titles::ColumnTitleGarant, nullptr, "Garant", false, false},
    {20, Header::Title, &Titles::ColumnTitleTextNoName, nullptr, "TextNoName", false, false},
    {10, Header::Title, &Titles::ColumnTitleDescription, nullptr, "Description", false, false},
};

const LayoutColumn kQuorvelLayout[] = {
    {15, Header::Title, &Titles::ColumnTitleArt, nullptr, "Art", false, true},
    {30, Header::Title, &Titles::ColumnTitleTextNoName, nullptr, "TextNoName", false, true},
    {17, Header::Fixed, nullptr, "Цена (поставщика)", "PricePostav", true, false},
    {50, Header::Title, &Titles::ColumnTitleTovar, nullptr, "Tovar", false, false},
    {15, Header::Fixed, nullptr, "Поставщик", "Postavshik", false, false},
    {10, Header::Title, &Titles::ColumnTitleSklad, nullptr, "Sklad", false, false},
};

QString headerText(const LayoutColumn& column, const SearchExportInput& input)
{
    switch (column.header) {
    case Header::Title: return input.titles.*column.title;
    case Header::Fixed: return QString::fromUtf8(column.fixed);
    case Header::DisplayPrice: return QStringLiteral("Цена (") + input.currencyCode + u')';
    }
    return QString();
}

// One value of a row into its cell: a price as a number, the rest as text;
// an empty value leaves the cell empty.
void putValue(sheet::ValueBlock& block, int row, int column, const db::Statement& values, int field, bool price)
{
    if (values.isNull(field))
        return;
    if (price) {
        bool ok = false;
        const double number = values.value(field).toDouble(&ok);
        if (ok) {
            block.setNumber(row, column, number);
            return;
        }
    }
    const std::string_view text = values.utf8(field);
    if (!text.empty())
        block.setTextUtf8(row, column, text.data(), text.size());
}

// The header row, then the search's rows a block of `chunkRows` at a time;
// the cells of the text columns get "@" over the header and every row.
sheet::Workbook searchWorkbook(const SearchExportInput& input, const std::vector<LayoutColumn>& layout)
{
    sheet::Workbook book;
    sheet::Worksheet& ws = book.sheet(1);
    ws.setName(kSearchExportSheet);
    const int columns = int(layout.size());
    for (int c = 0; c < columns; ++c)
        ws.setColumnWidth(c + 1, layout[size_t(c)].width);
    sheet::Range header = ws.rows(1, 1);
    header.setBold(true);
    header.setFontSize(10);
    header.setFontColor(sheet::Color::fromBgr(0));
    header.setHorizontalAlignment(sheet::HAlign::Center);
    for (int c = 0; c < columns; ++c)
        ws.setText(1, c + 1, headerText(layout[size_t(c)], input));

    int written = 0;
    if (input.query) {
        QStringList fields;
        for (const LayoutColumn& column : layout)
            fields << QLatin1String(column.field);
        const int chunkRows = std::max(1, input.chunkRows);
        qint64 total = 0;
        sheet::ValueBlock block;
        int filled = 0;
        auto flush = [&] {
            if (filled == 0)
                return;
            block.resize(filled, columns);
            ws.setValues(sheet::CellRef{2 + written, 1}, block);
            written += filled;
            filled = 0;
        };
        input.query->forEachRow(fields, [&](const db::Statement& row) {
            // Past the sheet's last row the rest is only counted, for the refusal.
            if (++total > input.sheetRows)
                return true;
            if (filled == 0)
                block = sheet::ValueBlock(chunkRows, columns);
            ++filled;
            for (int c = 0; c < columns; ++c)
                putValue(block, filled, c + 1, row, c, layout[size_t(c)].price);
            if (filled == chunkRows)
                flush();
            return true;
        });
        flush();
        if (total > input.sheetRows)
            throw ExportError(searchTooLongMessage(total, input.sheetRows));
    }

    int textColumns = 0;
    while (textColumns < columns && layout[size_t(textColumns)].textFormat)
        ++textColumns;
    if (textColumns > 0)
        ws.range(sheet::CellRef{1, 1}, sheet::CellRef{written + 1, textColumns}).setNumberFormat(QStringLiteral("@"));
    ws.setActiveCell(sheet::CellRef{1, 1});
    return book;
}

QString exportSearch(const SearchExportInput& input, const std::vector<LayoutColumn>& layout)
{
    const sheet::Workbook book = searchWorkbook(input, layout);
    const QString folder = QDir(input.programFolder).filePath(kSearchExportFolder) + u'/';
    EnsureFolder(folder);
    const QString stem = QStringLiteral("Search_Tovar_") + DateToDottedText(QDateTime(input.today, QTime(0, 0)));
    const QString path = FreeNumberedFileName(folder, stem, QStringLiteral(".xlsx"));
    try {
        book.saveAs(path);
    } catch (const sheet::SheetError&) {
        throw ExportError(sheet::kFileNotSaved);
    }
    return path;
}

} // namespace

QString searchTooLongMessage(qint64 rows, qint64 sheetRows)
{
    return QStringLiteral("Товаров в результате поиска: %1.\rНа лист Excel помещается не более %2.\r"
                          "Выгрузка невозможна!")
        .arg(rows)
        .arg(sheetRows);
}

QString ExportSearchToExcel(const SearchExportInput& input)
{
    return exportSearch(input, {std::begin(kStandardLayout), std::end(kStandardLayout)});
}

QString ExportSearchToExcelQuorvel(const SearchExportInput& input)
{
    return exportSearch(input, {std::begin(kQuorvelLayout), std::end(kQuorvelLayout)});
}

} // namespace velmora::exports
