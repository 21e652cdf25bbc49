#pragma once

#include "platform/spreadsheet/cell_ref.h"
#include "platform/spreadsheet/cell_style.h"
#include "platform/spreadsheet/cell_value.h"
#include "platform/spreadsheet/page_setup.h"
#include "platform/spreadsheet/range.h"
#include "platform/spreadsheet/value_block.h"

#include <QString>
#include <memory>
#include <optional>
#include <vector>

namespace velmora::sheet {

class Workbook;
struct SheetStore;
class StyleTable;

// One sheet of a Workbook (see workbook.h), owned by it. Cells are addressed
// (row, column) from 1 or by "A1" addresses through range(). Reading a cell
// that was never written gives Empty and the default style. Addresses
// outside the sheet throw SheetError.
class Worksheet {
public:
    Worksheet(const Worksheet&) = delete;
    Worksheet& operator=(const Worksheet&) = delete;
    ~Worksheet();

    Workbook& workbook() const { return *workbook_; }
    // 1-based position in the workbook.
    int index() const;
    const QString& name() const;
    // Throws SheetError for an empty name, one over 31 characters, one with
    // any of : \ / ? * [ ] or one another sheet of the workbook has
    // (compared without case).
    void setName(const QString& name);
    // Makes this the sheet shown when the workbook is opened.
    void activate();

    // --- ranges (see range.h)
    Range range(const QString& a1);                           // "A1:H5" or "B7"
    Range range(const QString& firstCell, const QString& lastCell);
    Range range(CellRef first, CellRef last);
    Range cells(int row, int column);
    Range rows(int first, int last);
    Range rows(const QString& span);                          // "14:20" or "14"
    Range columns(int first, int last);

    // --- single cells
    CellValue value(int row, int column) const;
    void setValue(int row, int column, const CellValue& value);
    void setNumber(int row, int column, double value) { setValue(row, column, CellValue::number(value)); }
    void setText(int row, int column, const QString& value) { setValue(row, column, CellValue::text(value)); }
    // "=..." in A1 form, "" for a constant. Setting one keeps the cell's
    // value as the cached result shown until the file is recalculated.
    QString formula(int row, int column) const;
    void setFormula(int row, int column, const QString& a1Formula);
    // Converts to A1 for this cell ("=SUM(R[-3]C:R[-2]C)" at F10 becomes
    // "=SUM(F7:F8)"); throws SheetError when a reference leaves the sheet.
    void setFormulaR1C1(int row, int column, const QString& r1c1Formula);
    // The cell's hyperlink address, "" when it has none.
    QString hyperlink(int row, int column) const;
    // Links the cell to `address`; a non-empty `text` also becomes its value.
    void setHyperlink(int row, int column, const QString& address, const QString& text = {});
    CellStyle style(int row, int column) const;
    void setStyle(int row, int column, const CellStyle& style);
    std::vector<RichRun> richText(int row, int column) const;
    void setRichText(int row, int column, const std::vector<RichRun>& runs);
    void clearCell(int row, int column);

    // --- blocks
    ValueBlock values(const CellRange& area) const;
    // Writes the block with its (1, 1) at topLeft.
    void setValues(CellRef topLeft, const ValueBlock& block);

    // The rectangle of the cells with a value, a formula or a format of
    // their own, starting at its top-left such cell; {{0,0},{0,0}} when the
    // sheet is empty.
    CellRange usedRange() const;
    // usedRange().last (the spreadsheet's "last cell").
    CellRef lastUsedCell() const;

    // --- structure and layout
    void merge(const CellRange& area);   // throws when it overlaps another merge
    void unmerge(const CellRange& area); // removes merges that overlap area
    const std::vector<CellRange>& merges() const;
    // Inserts `count` empty rows before `row`; cells, merges, hyperlinks and
    // formulas below move down (references in formulas follow). New rows take
    // the row format of the row above.
    void insertRows(int row, int count = 1);
    void deleteRows(int row, int count = 1);
    // Inserts `count` copies of row `sourceRow` (values, formulas, formats,
    // height, outline level, merges within the row) before row `atRow`: the
    // "copy row, insert copied cells" step that extends a formatted data
    // row. The rows below move once, however many copies.
    void insertRowCopy(int sourceRow, int atRow, int count = 1);
    // Inserts `count` empty columns before `column`; cells, merges,
    // hyperlinks, widths, column formats and formulas right of it move right
    // (references in formulas follow). New columns take the width and
    // format of the column on their left.
    void insertColumns(int column, int count = 1);
    // Deletes `count` columns from `column`; what stood right of them moves
    // left, and a reference to a deleted column becomes #REF!.
    void deleteColumns(int column, int count = 1);
    // Inserts a copy of column `sourceColumn` (values, formulas, formats,
    // width, merges within the column) before column `atColumn`: the "copy
    // column, insert copied cells" step that repeats a formatted column.
    void insertColumnCopy(int sourceColumn, int atColumn);
    void groupRows(int first, int last);   // one outline level deeper (max 7)
    void ungroupRows(int first, int last);
    int outlineLevel(int row) const;
    // false (the default) puts summary rows below their detail; true above
    // (Outline.SummaryRow := 0).
    void setOutlineSummaryAbove(bool above);
    bool outlineSummaryAbove() const;
    void setAutoFilter(const CellRange& area);
    std::optional<CellRange> autoFilter() const;
    // Width in characters of the default font (the spreadsheet's
    // ColumnWidth); 8.43 by default.
    void setColumnWidth(int column, double width);
    double columnWidth(int column) const;
    // Height in points; 0 means the default (15).
    void setRowHeight(int row, double height);
    double rowHeight(int row) const;
    // The format a whole row or column was given (through rows()/columns()),
    // if any.
    std::optional<CellStyle> rowStyle(int row) const;
    std::optional<CellStyle> columnStyle(int column) const;
    void setActiveCell(CellRef cell); // the selected cell when opened
    CellRef activeCell() const;
    // Rows and columns frozen above and left of `cell`; {0, 0} for none.
    void freezePanes(CellRef cell);
    const PageSetup& pageSetup() const;
    void setPageSetup(const PageSetup& setup);

    // Internal storage, for the reader and the writer of this layer.
    SheetStore& store() { return *store_; }
    const SheetStore& store() const { return *store_; }

private:
    friend class Workbook;
    Worksheet(Workbook& workbook, const QString& name);
    Workbook* workbook_;
    std::unique_ptr<SheetStore> store_;
};

} // namespace velmora::sheet
