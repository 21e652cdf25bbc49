#pragma once

#include "platform/spreadsheet/worksheet.h"

#include <QString>
#include <memory>
#include <vector>

namespace velmora::sheet {

class StyleTable;

// A workbook held in memory: sheets by index from 1 or by name, written to
// .xlsx by saveAs(). Made empty (one sheet "Лист1", like a new workbook), or
// opened from a file: an .xlsx keeps its cells, styles, merges, column
// widths, row heights, outline, autofilter and hyperlinks (so the project's
// own templates can be filled); an .xls or .csv gives values, formulas,
// merges and hyperlinks.
class Workbook {
public:
    Workbook();
    ~Workbook();
    Workbook(Workbook&&) noexcept;
    Workbook& operator=(Workbook&&) noexcept;

    // Throws SheetError when the file cannot be read.
    static Workbook open(const QString& path);
    // As open(), and remembers the file as a template: saveAs() refuses to
    // write over it.
    static Workbook openTemplate(const QString& path);

    int sheetCount() const;
    // 1-based; throws SheetError outside 1..sheetCount().
    Worksheet& sheet(int index);
    const Worksheet& sheet(int index) const;
    // Exact name, then without case; throws SheetError when none matches.
    Worksheet& sheet(const QString& name);
    const Worksheet& sheet(const QString& name) const;
    Worksheet* findSheet(const QString& name);
    int indexOf(const Worksheet& sheet) const;

    // Appends a sheet; an empty name gives "ЛистN" with the next free N.
    Worksheet& addSheet(const QString& name = {});
    // A full copy of sheet `index` placed right after it; an empty name
    // gives the source name + " (2)", " (3)"...
    Worksheet& copySheet(int index, const QString& name = {});
    void removeSheet(int index); // a workbook keeps at least one sheet
    Worksheet& activeSheet();
    void setActiveSheet(int index);

    // The file this workbook was opened from, "" for a new one.
    const QString& sourcePath() const { return sourcePath_; }

    // Writes the workbook as .xlsx (whatever the extension) through a
    // temporary file beside `path` and a rename: on failure nothing is left
    // and an existing file of that name is untouched. An existing file is
    // replaced. Throws SheetError when the folder is missing or unwritable,
    // when `path` is the template this workbook came from, or on any write
    // error.
    void saveAs(const QString& path) const;

    // Internal: the workbook's shared style table.
    StyleTable& styles() { return *styles_; }
    const StyleTable& styles() const { return *styles_; }

private:
    QString uniqueSheetName(const QString& base) const;
    friend class Worksheet;
    std::vector<std::unique_ptr<Worksheet>> sheets_;
    std::unique_ptr<StyleTable> styles_;
    QString sourcePath_;
    bool sourceIsTemplate_ = false;
    int activeSheet_ = 1;
};

// The .xlsx name that stands for a spreadsheet name ending in ".xls"
// ("Заказ 5.xls" -> "Заказ 5.xlsx"); other names are returned unchanged.
QString xlsxNameFor(const QString& fileName);

} // namespace velmora::sheet
