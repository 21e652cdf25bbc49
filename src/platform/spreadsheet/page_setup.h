#pragma once

#include "platform/spreadsheet/cell_ref.h"

#include <optional>

namespace velmora::sheet {

// How a sheet prints: kept from a template into the workbooks made from it
// (order forms are printed), and settable.
struct PageSetup {
    bool landscape = false;
    int paperSize = 0; // the spreadsheet's paper number: 9 is A4; 0 the printer's default
    int scale = 100;   // percent, when not fitted to pages
    // Fit to this many pages across and down (0: as many as needed); only
    // when fitToPages is set.
    bool fitToPages = false;
    int fitWidth = 1;
    int fitHeight = 1;
    // Margins in inches; unset means the defaults.
    std::optional<double> marginLeft, marginRight, marginTop, marginBottom, marginHeader, marginFooter;
    bool centerHorizontally = false;
    bool centerVertically = false;
    // Rows printed at the top of every page (first and last, from 1).
    std::optional<std::pair<int, int>> repeatRows;
    std::optional<CellRange> printArea;
    bool operator==(const PageSetup&) const = default;
};

} // namespace velmora::sheet
