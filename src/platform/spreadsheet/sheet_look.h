#pragma once

#include "platform/spreadsheet/cell_ref.h"
#include "platform/spreadsheet/cell_style.h"

#include <cstdint>
#include <map>
#include <vector>

namespace velmora::sheet {

// How the cells of a sheet look, as the file keeps it: the font, fill,
// borders and number format of each cell and the width of each column.
// The sheet view shows it and reports it with a picked cell; read with
// WorkbookReader::readSheetLook. An .xlsx file gives the formats of every
// cell it stores, styled blank cells too; an .xls file those of the cells
// that hold a value; a CSV file has none (every cell has the default look).
struct SheetLook {
    // The file's cell formats; a cell refers to one by its index, and index
    // 0 (the file's first format, or the default style) serves cells the
    // file gives no format.
    std::vector<CellStyle> formats;
    std::map<CellRef, std::uint32_t> cellFormats; // cells whose index is not 0
    // Widths in characters of the default font's digit (the spreadsheet's
    // ColumnWidth), without the cell padding the file stores with them.
    std::map<int, double> columnWidths; // columns that have a width of their own
    double defaultColumnWidth = 8.43;

    // The cell's format (the default style outside the sheet).
    CellStyle style(int row, int column) const;
    double columnWidth(int column) const;
};

// The width a file stores for a column (in characters, cell padding
// included, as both .xlsx and .xls keep it) as the spreadsheet's
// ColumnWidth: characters of 7 pixels after 5 pixels of padding.
double columnWidthFromFile(double fileWidth);

} // namespace velmora::sheet
