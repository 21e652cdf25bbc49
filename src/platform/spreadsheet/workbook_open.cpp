// Workbook::open: a file read into the model. An .xlsx keeps its formats
// and layout (templates); .xls and .csv give values, formulas, merges and
// hyperlinks.
#include "platform/spreadsheet/reader_backend.h"
#include "platform/spreadsheet/sheet_error.h"
#include "platform/spreadsheet/sheet_store.h"
#include "platform/spreadsheet/style_table.h"
#include "platform/spreadsheet/workbook.h"
#include "platform/spreadsheet/xlsx_backend.h"

#include <QFileInfo>

namespace velmora::sheet {

namespace {

class ModelSink : public CellSink {
public:
    ModelSink(SheetStore& store, StyleTable& styles, const std::vector<CellStyle>& fileStyles,
              const std::map<int, std::vector<FileRichRun>>& richRuns)
        : store_(store), styles_(styles), fileStyles_(fileStyles), richRuns_(richRuns),
          map_(fileStyles.size(), kUnmapped)
    {
    }
    std::uint32_t style(std::uint32_t xf)
    {
        if (xf >= fileStyles_.size())
            return 0;
        if (map_[xf] == kUnmapped)
            map_[xf] = styles_.intern(fileStyles_[xf]);
        return map_[xf];
    }
    bool row(const RowEvent& e) override
    {
        const bool special = e.height > 0 || e.outlineLevel || e.hidden || e.collapsed || e.xf;
        if (!special)
            return true;
        StoredRow& row = store_.row(e.row);
        row.height = e.height;
        row.outlineLevel = e.outlineLevel;
        row.hidden = e.hidden;
        row.collapsed = e.collapsed;
        if (e.xf)
            row.style = style(*e.xf);
        return true;
    }
    bool cell(const CellEvent& e) override
    {
        StoredCell& cell = store_.cellFor(e.row, e.column);
        cell.value = e.value();
        cell.formula = e.formula;
        cell.style = style(e.xf);
        if (e.sharedIndex >= 0 && !richRuns_.empty()) {
            auto runs = richRuns_.find(e.sharedIndex);
            if (runs != richRuns_.end()) {
                // Runs without properties of their own show in the cell's font.
                const Font cellFont = styles_.at(cell.style).font;
                std::vector<RichRun> resolved;
                for (const FileRichRun& run : runs->second)
                    resolved.push_back(RichRun{run.start, run.length, run.font.value_or(cellFont)});
                store_.richText[CellRef{e.row, e.column}] = std::move(resolved);
            }
        }
        return true;
    }

private:
    static constexpr std::uint32_t kUnmapped = 0xFFFFFFFFu;
    SheetStore& store_;
    StyleTable& styles_;
    const std::vector<CellStyle>& fileStyles_;
    const std::map<int, std::vector<FileRichRun>>& richRuns_;
    std::vector<std::uint32_t> map_;
};

} // namespace

Workbook Workbook::open(const QString& path)
{
    const FileFormat format = detectFormat(path);
    Workbook book;
    book.sheets_.clear();
    book.sourcePath_ = QFileInfo(path).absoluteFilePath();
    if (format == FileFormat::Xlsx) {
        XlsxBackend backend(path);
        backend.keepRichText(true);
        const QStringList names = backend.sheetNames();
        const std::vector<CellStyle>& fileStyles = backend.cellStyles();
        for (int i = 1; i <= names.size(); ++i) {
            book.sheets_.push_back(std::unique_ptr<Worksheet>(new Worksheet(book, names[i - 1])));
            SheetStore& store = book.sheets_.back()->store();
            ModelSink sink(store, *book.styles_, fileStyles, backend.richRuns());
            SheetLayout layout;
            SheetInfo info = backend.read(i, sink, &layout);
            store.merges = std::move(info.merges);
            store.hyperlinks = std::move(info.hyperlinks);
            static_cast<SheetLayout&>(store) = std::move(layout);
            // The file's style numbers become the workbook's styles.
            for (auto& [column, c] : store.columns) {
                if (c.style)
                    c.style = sink.style(*c.style);
                if (c.style == 0u)
                    c.style.reset();
            }
        }
        return book;
    }
    WorkbookReader reader(path);
    for (int i = 1; i <= reader.sheetCount(); ++i) {
        book.sheets_.push_back(std::unique_ptr<Worksheet>(new Worksheet(book, reader.sheetNames()[i - 1])));
        Worksheet& sheet = *book.sheets_.back();
        SheetInfo info = reader.streamSheet(i, [&](const RowData& row) {
            for (const RowCell& cell : row.cells) {
                sheet.setValue(row.row, cell.column, cell.value);
                if (!cell.formula.isEmpty())
                    sheet.store().cellFor(row.row, cell.column).formula = cell.formula;
            }
            return true;
        });
        sheet.store().merges = std::move(info.merges);
        sheet.store().hyperlinks = std::move(info.hyperlinks);
    }
    return book;
}

} // namespace velmora::sheet
