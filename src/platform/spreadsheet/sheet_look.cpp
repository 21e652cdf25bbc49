// How a sheet's cells look: the file's cell formats and column widths,
// read beside (not into) the values, for the sheet view and the windows
// that take a cell's look.
#include "platform/spreadsheet/sheet_look.h"

#include "platform/spreadsheet/reader.h"
#include "platform/spreadsheet/reader_backend.h"
#include "platform/spreadsheet/sheet_error.h"

#include <cmath>

namespace velmora::sheet {

double columnWidthFromFile(double fileWidth)
{
    if (fileWidth <= 0)
        return fileWidth;
    const int pixels = int(fileWidth * 7 + 0.5);
    const double characters = pixels >= 12 ? (pixels - 5) / 7.0 : pixels / 12.0;
    return std::round(characters * 100) / 100;
}

CellStyle SheetLook::style(int row, int column) const
{
    auto it = cellFormats.find(CellRef{row, column});
    const std::size_t index = it == cellFormats.end() ? 0 : it->second;
    return index < formats.size() ? formats[index] : CellStyle();
}

double SheetLook::columnWidth(int column) const
{
    auto it = columnWidths.find(column);
    return it == columnWidths.end() ? defaultColumnWidth : it->second;
}

namespace {

// Keeps each cell's format index, within the rows and columns asked for.
class LookSink : public CellSink {
public:
    LookSink(SheetLook& look, const ReadOptions& options) : look_(look), options_(options) {}
    bool cell(const CellEvent& e) override
    {
        if (options_.maxRows > 0 && e.row > options_.maxRows)
            return false;
        if ((options_.maxColumns > 0 && e.column > options_.maxColumns) || e.xf == 0)
            return true;
        look_.cellFormats[CellRef{e.row, e.column}] = e.xf;
        return true;
    }

private:
    SheetLook& look_;
    const ReadOptions& options_;
};

} // namespace

SheetLook WorkbookReader::readSheetLook(int index, const ReadOptions& options)
{
    if (index < 1 || index > sheetCount())
        throw SheetError(QStringLiteral("В книге \"%1\" нет листа с номером %2 (листов: %3)")
                             .arg(path_)
                             .arg(index)
                             .arg(sheetCount()));
    SheetLook look;
    look.formats = backend_->cellFormats();
    LookSink sink(look, options);
    SheetLayout layout;
    backend_->readWithLayout(index, sink, layout);
    // Indices the file does not define read as the default.
    for (auto it = look.cellFormats.begin(); it != look.cellFormats.end();)
        it = it->second < look.formats.size() ? std::next(it) : look.cellFormats.erase(it);
    for (const auto& [column, c] : layout.columns)
        if (c.hidden || c.width >= 0)
            look.columnWidths[column] = c.hidden ? 0 : c.width;
    look.defaultColumnWidth = layout.defaultColumnWidth;
    return look;
}

} // namespace velmora::sheet
