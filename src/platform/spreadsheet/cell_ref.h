#pragma once

#include <QString>
#include <compare>

namespace velmora::sheet {

// Rows and columns count from 1, as in the spreadsheet's own addresses.
// The largest sheet is 1,048,576 rows by 16,384 columns (XFD).
inline constexpr int kMaxRows = 1048576;
inline constexpr int kMaxColumns = 16384;

struct CellRef {
    int row = 0;
    int column = 0;

    bool isValid() const { return row >= 1 && column >= 1 && row <= kMaxRows && column <= kMaxColumns; }
    auto operator<=>(const CellRef&) const = default;
};

// An inclusive rectangle of cells, first = top left, last = bottom right.
struct CellRange {
    CellRef first;
    CellRef last;

    int rowCount() const { return last.row - first.row + 1; }
    int columnCount() const { return last.column - first.column + 1; }
    bool contains(CellRef cell) const {
        return cell.row >= first.row && cell.row <= last.row && cell.column >= first.column &&
               cell.column <= last.column;
    }
    bool isValid() const { return first.isValid() && last.isValid() && first.row <= last.row && first.column <= last.column; }
    auto operator<=>(const CellRange&) const = default;
};

// 1 "A", 26 "Z", 27 "AA", 16384 "XFD". Throws SheetError outside 1..16384.
QString columnLetters(int column);
// "A" 1 ... "XFD" 16384, case-insensitive; 0 for anything else.
int columnNumber(const QString& letters);

// "B7" (or "$B$7", any case) to {7, 2}; throws SheetError on a bad address.
CellRef parseCell(const QString& a1);
// "A1:H5", "A1" (one cell), "$A$1:$H$5"; corners are normalised so that first
// is top left. Throws SheetError on a bad address.
CellRange parseRange(const QString& a1);
// Normalised rectangle of two corners given in any order.
CellRange makeRange(CellRef a, CellRef b);

// Moves the rows top..bottom (top <= bottom) as the spreadsheet moves them
// for `count` rows inserted (> 0) or deleted (< 0) at `row`: a span that
// loses rows shrinks; false when every row of it is deleted.
bool shiftRowSpan(int& top, int& bottom, int row, int count);
// The same for the columns left..right and columns inserted or deleted at
// `column`.
bool shiftColumnSpan(int& left, int& right, int column, int count);

QString toA1(CellRef cell);     // "B7"
QString toA1(const CellRange&); // "A1:H5", or "A1" for a single cell

} // namespace velmora::sheet
