#pragma once

#include "platform/spreadsheet/cell_ref.h"
#include "platform/spreadsheet/cell_value.h"
#include "platform/spreadsheet/sheet_look.h"
#include "platform/spreadsheet/value_block.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace velmora::sheet {

enum class FileFormat { Xlsx, Xls, Csv };

// The format by content (zip, OLE compound file) and, for plain text, by the
// ".csv" or ".txt" extension. Throws SheetError for a missing or empty file,
// or a file that is none of the three (e.g. text named ".xlsx").
FileFormat detectFormat(const QString& path);

// A hyperlink on a cell or block: `address` is the target as the
// spreadsheet's Address shows it (URL, mail or file); `subAddress` is the
// place inside a document ("Лист2!A1"), empty when there is none.
struct Hyperlink {
    CellRange range;
    QString address;
    QString subAddress;
};

// One cell of a streamed row. `formula` is the formula text in A1 form with
// its leading "=" ("=HYPERLINK(\"http://a/b\",\"x\")"), empty for a constant;
// `value` is then the cached result.
struct RowCell {
    int column = 0;
    CellValue value;
    QString formula;
    // Streamed with RowTexts::Utf8: a text cell's UTF-8 bytes when the
    // reader has them as such (valid during the row's call), its value then
    // an empty text; nullptr otherwise.
    const char* utf8 = nullptr;
    std::size_t utf8Size = 0;
};

// How a streamed row hands over its text cells: as values, or as the UTF-8
// bytes the file holds, for a caller that stores them so and would only
// convert them twice.
enum class RowTexts { Values, Utf8 };

// One row of a streamed sheet: its cells in column order, only those with a
// value or a formula.
struct RowData {
    int row = 0;
    std::vector<RowCell> cells;
};

// What the file says about a sheet beyond its cells.
struct SheetInfo {
    QString name;
    // The bottom-right corner of the cells that hold a value or a formula
    // (row = largest such row, column = largest such column), found from the
    // cells themselves and not from the file's stated dimension; {0, 0} for
    // a sheet without values.
    CellRef lastUsedCell;
    // The used range as the spreadsheet names it: from the first row and
    // first column holding a value or formula to lastUsedCell. Its row
    // count is lastUsedCell.row only when row 1 is used.
    CellRange usedRange;
    std::vector<CellRange> merges;
    std::vector<Hyperlink> hyperlinks;
};

// A whole sheet read at once.
struct SheetData {
    SheetInfo info;
    // Cells (1, 1) to lastUsedCell, clipped by ReadOptions (with a limit,
    // lastUsedCell and usedRange are those of the part read).
    ValueBlock values;
    std::map<CellRef, QString> formulas;

    // The formula of a cell ("=..."), empty when the cell holds a constant.
    QString formula(int row, int column) const;
    // The address of the first hyperlink that covers the cell, or "".
    QString hyperlink(int row, int column) const;
    // The full first hyperlink that covers the cell, or nullptr.
    const Hyperlink* hyperlinkAt(int row, int column) const;
};

struct ReadOptions {
    int maxRows = 0;    // 0: all rows
    int maxColumns = 0; // 0: all columns
};

// Reads a price-list workbook: .xlsx, .xls (BIFF8) or .csv. Opening reads
// only what listing sheets needs; each sheet is streamed when asked for, so
// memory holds one sheet's values at most (plus an xlsx file's shared-string
// table). A CSV file is one sheet named after the file's base name.
// Every failure throws SheetError with the file name in the message.
class WorkbookReader {
public:
    explicit WorkbookReader(const QString& path);
    ~WorkbookReader();
    WorkbookReader(WorkbookReader&&) noexcept;
    WorkbookReader& operator=(WorkbookReader&&) noexcept;

    const QString& path() const { return path_; }
    FileFormat format() const { return format_; }
    int sheetCount() const;
    // Names in workbook order; sheetNames()[0] is sheet 1.
    QStringList sheetNames() const;
    // 1-based index of the sheet with exactly this name; 0 when none.
    int sheetIndex(const QString& name) const;

    // Calls onRow for each row holding values, top to bottom; onRow returns
    // false to stop early. Returns the sheet's info (merges and hyperlinks
    // are complete only when the whole sheet was read). Throws SheetError for
    // an index outside 1..sheetCount() or a damaged sheet.
    SheetInfo streamSheet(int index, const std::function<bool(const RowData&)>& onRow,
                          RowTexts texts = RowTexts::Values);

    // The whole sheet (1-based index) as one block with its formulas,
    // hyperlinks and merges.
    SheetData readSheet(int index, const ReadOptions& options = {});
    SheetData readSheet(const QString& name, const ReadOptions& options = {});

    // How the cells of sheet `index` look (fonts, fills, borders, number
    // formats, column widths), within the same limits as readSheet; see
    // sheet_look.h.
    SheetLook readSheetLook(int index, const ReadOptions& options = {});

    class Backend;

private:
    QString path_;
    FileFormat format_ = FileFormat::Xlsx;
    std::unique_ptr<Backend> backend_;
};

// The sheet names of a workbook, cheaply (no cell is read).
QStringList listSheetNames(const QString& path);

} // namespace velmora::sheet
