#pragma once

#include "platform/spreadsheet/value_block.h"

#include <QString>

namespace velmora::catalogue {

// Cells as the catalogue's workbook imports read them (the own catalogue,
// supplier price updates, invoices). Column 0 means "none chosen" and reads
// as empty; so does a cell outside the block or one whose value cannot be
// read: an import never takes a value from another row.

// The cell as it shows, trimmed: a number as plain digits
// (4600000000000, not 4.6E+12).
QString importCellText(const sheet::ValueBlock& cells, int row, int column);

// The cell's number: a number cell's value, or the number a text cell
// holds ("123,45" reads 123.45) through the program's price-text reader;
// 0 for any other cell. `present` (when given) is false for an empty cell.
double importCellNumber(const sheet::ValueBlock& cells, int row, int column, bool* present = nullptr);

} // namespace velmora::catalogue
