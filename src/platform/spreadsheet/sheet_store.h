#pragma once

#include "platform/spreadsheet/cell_ref.h"
#include "platform/spreadsheet/cell_style.h"
#include "platform/spreadsheet/cell_value.h"
#include "platform/spreadsheet/page_setup.h"
#include "platform/spreadsheet/reader.h"

#include <QString>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace velmora::sheet {

// The storage behind a Worksheet, shared by the model, the template loader
// and the writer. Rows and cells are dense vectors indexed from 0.
struct StoredCell {
    CellValue value;
    QString formula; // "=..." in A1 form, "" for a constant
    std::uint32_t style = 0;
    bool isBlank() const { return value.isEmpty() && formula.isEmpty() && style == 0; }
};

struct StoredRow {
    std::vector<StoredCell> cells;
    double height = 0; // 0: default
    std::optional<std::uint32_t> style;
    std::uint8_t outlineLevel = 0;
    bool hidden = false;
    bool collapsed = false;
};

struct StoredColumn {
    double width = -1; // < 0: default
    std::optional<std::uint32_t> style;
    std::uint8_t outlineLevel = 0;
    bool hidden = false;
};

// A sheet's layout beyond its cells. An xlsx file's reader fills one of
// these with the file's own style numbers when a workbook is opened as a
// model (templates).
struct SheetLayout {
    std::map<int, StoredColumn> columns; // by column number
    std::optional<CellRange> autoFilter;
    bool summaryAbove = false;
    bool summaryLeft = false;
    CellRef activeCell{1, 1};
    double defaultRowHeight = 15;
    double defaultColumnWidth = 8.43;
    CellRef freezeAt{0, 0}; // first unfrozen cell; {0, 0} none
    PageSetup page;
};

struct SheetStore : SheetLayout {
    QString name;
    std::vector<StoredRow> rows;
    std::vector<CellRange> merges;
    std::vector<Hyperlink> hyperlinks;
    std::map<CellRef, std::vector<RichRun>> richText;

    const StoredCell* cell(int row, int column) const
    {
        if (row < 1 || std::size_t(row) > rows.size())
            return nullptr;
        const auto& cells = rows[std::size_t(row - 1)].cells;
        if (column < 1 || std::size_t(column) > cells.size())
            return nullptr;
        return &cells[std::size_t(column - 1)];
    }
    // The style a cell without its own takes: the row's format, else the
    // column's, else the default (0).
    std::uint32_t inheritedStyle(int row, int column) const
    {
        if (row >= 1 && std::size_t(row) <= rows.size() && rows[std::size_t(row - 1)].style)
            return *rows[std::size_t(row - 1)].style;
        if (!columns.empty()) {
            auto it = columns.find(column);
            if (it != columns.end() && it->second.style)
                return *it->second.style;
        }
        return 0;
    }
    StoredRow& row(int row)
    {
        if (std::size_t(row) > rows.size())
            rows.resize(std::size_t(row));
        return rows[std::size_t(row - 1)];
    }
    StoredCell& cellFor(int rowNumber, int column)
    {
        StoredRow& r = row(rowNumber);
        if (std::size_t(column) > r.cells.size())
            r.cells.resize(std::size_t(column));
        return r.cells[std::size_t(column - 1)];
    }
};

} // namespace velmora::sheet
