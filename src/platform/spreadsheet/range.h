#pragma once

#include "platform/spreadsheet/cell_ref.h"
#include "platform/spreadsheet/cell_style.h"
#include "platform/spreadsheet/value_block.h"

#include <QString>
#include <functional>

namespace velmora::sheet {

class Worksheet;

// A rectangle of one worksheet, got from Worksheet::range / cells / rows /
// columns: the handle through which values and formats are set. A range of
// whole rows (rows()) or whole columns (columns()) formats the rows or
// columns themselves, so cells written there later take that format. The
// range refers to its sheet; it must not outlive it.
class Range {
public:
    Range(Worksheet& sheet, CellRange area);

    Worksheet& sheet() const { return *sheet_; }
    const CellRange& area() const { return area_; }
    QString address() const { return toA1(area_); }
    bool isWholeRows() const;
    bool isWholeColumns() const;

    // --- values
    // The range's values as one block (rows x columns of the range).
    ValueBlock values() const;
    // Writes `block` from the range's top-left cell, clipped to the range;
    // cells of the range outside the block keep their values. Formulas of
    // the written cells are dropped.
    void setValues(const ValueBlock& block);
    // Every cell of the range gets the value.
    void setValue(const CellValue& value);
    // The top-left cell's value.
    CellValue value() const;
    // An A1 formula ("=SUM(F7:F8)") for the top-left cell; the other cells
    // get it with relative references moved, as a fill would.
    void setFormula(const QString& a1Formula);
    // An R1C1 formula ("=RC[-2]*RC[-1]") for every cell of the range, each
    // converted to A1 for its own position.
    void setFormulaR1C1(const QString& r1c1Formula);
    // The top-left cell's formula ("=..."), "" for a constant.
    QString formula() const;
    // The address of the top-left cell's hyperlink, "" when it has none.
    QString hyperlinkAddress() const;
    void clearContents();

    // --- structure
    void merge();
    void unmerge();
    // Inserts as many whole rows as the range spans, above its first row;
    // the rows below move down. New rows take the format of the row above.
    void insertRows();
    // Deletes the rows the range spans; the rows below move up.
    void deleteRows();
    // Makes the rows the range spans one outline level deeper.
    void group();
    void ungroup();
    void autoFilter();
    // Copies values, formulas (references moved), formats and merges to
    // `destination`, repeating the range over it when it is a multiple of
    // the range's size (as pasting one row over a block does).
    void copyTo(const Range& destination) const;
    // The same, formats only.
    void copyFormatsTo(const Range& destination) const;

    // --- formats (all cells of the range)
    void setColumnWidth(double width);
    void setRowHeight(double height);
    void setNumberFormat(const QString& format);
    void setHorizontalAlignment(HAlign alignment);
    void setVerticalAlignment(VAlign alignment);
    void setWrapText(bool wrap);
    void setFontName(const QString& name);
    void setFontSize(double size);
    void setBold(bool on);
    void setItalic(bool on);
    void setUnderline(bool on);
    void setFontColor(Color color);
    void setFillColor(Color color);
    // ColorIndex 1..56 of the default palette; -4142 (none) clears the fill.
    void setFillColorIndex(int colorIndex);
    void clearFill();
    void setBorder(BorderEdge edge, LineStyle style, BorderWeight weight = BorderWeight::Thin, Color color = {});
    // Any change to the style of every cell.
    void changeStyle(const std::function<void(CellStyle&)>& change);
    // Partial rich text of the top-left cell: `length` characters from
    // `start` (from 1, as Characters(start, length)) get the changed font.
    void changeCharactersFont(int start, int length, const std::function<void(Font&)>& change);

private:
    Worksheet* sheet_;
    CellRange area_;
};

} // namespace velmora::sheet
