#pragma once

#include "platform/spreadsheet/cell_style.h"
#include "platform/spreadsheet/reader_backend.h"
#include "platform/spreadsheet/sheet_store.h"
#include "platform/spreadsheet/zip_archive.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace velmora::sheet {

// A run of rich text in the shared-string table: its characters (UTF-16
// units) and, when the run has its own properties, its font.
struct FileRichRun {
    int start = 0;
    int length = 0;
    std::optional<Font> font;
};

// Reads .xlsx: the workbook part and relationships at opening, the shared
// strings and styles on the first sheet read, each sheet streamed (SAX).
class XlsxBackend : public WorkbookReader::Backend {
public:
    explicit XlsxBackend(const QString& path);
    QStringList sheetNames() const override;
    SheetInfo read(int index, CellSink& sink) override { return read(index, sink, nullptr); }
    SheetInfo read(int index, CellSink& sink, SheetLayout* layout);
    std::vector<CellStyle> cellFormats() override { return cellStyles(); }
    SheetInfo readWithLayout(int index, CellSink& sink, SheetLayout& layout) override
    {
        return read(index, sink, &layout);
    }
    // The styles of the file's cell formats (xf), index = the cells' xf.
    const std::vector<CellStyle>& cellStyles();
    // Keep the rich-text runs of shared strings (before the first read).
    void keepRichText(bool keep) { keepRichText_ = keep; }
    const std::map<int, std::vector<FileRichRun>>& richRuns() const { return richRuns_; }

    struct SheetEntry {
        QString name;
        std::string part; // "xl/worksheets/sheet1.xml"
        int position = 0; // among all the workbook's sheets, from 0 (defined names count so)
    };
    struct Styles {
        std::vector<bool> isDate; // per xf
        std::vector<CellStyle> cells; // per xf
    };

private:
    void loadStyles();
    // Reads the shared-string table through `zip` (the backend's own, or
    // another opened on the same file by a second thread).
    void loadStrings(ZipArchive& zip);
    QString path_;
    std::unique_ptr<ZipArchive> zip_;
    std::vector<SheetEntry> sheets_;
    // Print titles and areas from the workbook's defined names, by sheet
    // position.
    std::map<int, std::pair<int, int>> printTitles_;
    std::map<int, CellRange> printAreas_;
    bool keepRichText_ = false;
    std::map<int, std::vector<FileRichRun>> richRuns_;
    std::string sharedStringsPart_;
    std::string stylesPart_;
    bool date1904_ = false;
    bool stylesLoaded_ = false;
    bool stringsLoaded_ = false;
    std::shared_ptr<StringPool> pool_;
    std::vector<StringPool::Span> strings_;
    Styles styles_;
};

} // namespace velmora::sheet
