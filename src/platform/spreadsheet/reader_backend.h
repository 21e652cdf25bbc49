#pragma once

#include "platform/spreadsheet/reader.h"
#include "platform/spreadsheet/sheet_store.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>

namespace velmora::sheet {

// One cell as a format reader meets it. Texts come as `text`, as pool +
// span (an xlsx file's shared strings, a parsed chunk's texts) or as raw
// UTF-8 bytes.
struct CellEvent {
    int row = 0;
    int column = 0;
    CellType type = CellType::Empty;
    double number = 0;
    QString text;
    const StringPool* pool = nullptr;
    StringPool::Span span;
    // Or the text as UTF-8 bytes, valid during the call only.
    const char* utf8 = nullptr;
    std::size_t utf8Size = 0;
    QString formula;
    std::uint32_t xf = 0; // the file's cell format index (xlsx, xls), 0 otherwise
    // For sinks that take shared strings by index (wantsSharedIndices): the
    // index of a Text cell's string, -1 otherwise.
    int sharedIndex = -1;

    QString textValue() const
    {
        if (utf8)
            return QString::fromUtf8(utf8, qsizetype(utf8Size));
        return pool ? pool->text(span) : text;
    }
    // A number or date the file gives as an infinity or NaN (a damaged
    // record, "1e400", "nan") is no number: the cell is the error a
    // spreadsheet shows for it, so no reader hands such a value on.
    void settleNumber()
    {
        if ((type == CellType::Number || type == CellType::Date) && !std::isfinite(number)) {
            type = CellType::Error;
            number = 0;
            pool = nullptr;
            utf8 = nullptr;
            text = QStringLiteral("#NUM!");
        }
    }

    CellValue value() const
    {
        switch (type) {
        case CellType::Empty:
            return {};
        case CellType::Number:
            return CellValue::number(number);
        case CellType::Date:
            return CellValue::date(number);
        case CellType::Boolean:
            return CellValue::boolean(number != 0);
        case CellType::Text:
            return CellValue::text(textValue());
        case CellType::Error:
            return CellValue::error(textValue());
        }
        return {};
    }
};

struct RowEvent {
    int row = 0;
    double height = 0; // 0: default
    std::uint8_t outlineLevel = 0;
    bool hidden = false;
    bool collapsed = false;
    std::optional<std::uint32_t> xf; // the row's own format
};

// Receives a sheet's cells in row order. Returning false stops the read.
class CellSink {
public:
    virtual ~CellSink() = default;
    // The sheet's stated size, when the file gives one: a hint only.
    virtual void dimension(CellRef last) {}
    virtual bool row(const RowEvent& row) { return true; }
    virtual bool cell(const CellEvent& cell) = 0;
    // A sink that answers true gets shared strings as CellEvent::sharedIndex
    // and, after the sheet, the table through resolveShared.
    virtual bool wantsSharedIndices() const { return false; }
    // A sink that answers true may get whole rows through takeRow (cells
    // with a value, in column order, each row once) in place of their
    // cells, from a backend that assembles rows on worker threads.
    virtual bool takesRows() const { return false; }
    // A sink that takes rows and answers true may get their text cells as
    // UTF-8 bytes (RowCell::utf8, its value an empty text), valid during
    // takeRow.
    virtual bool takesUtf8Texts() const { return false; }
    virtual bool takeRow(const RowData& row) { return true; }
    virtual void resolveShared(std::shared_ptr<const StringPool> pool, const std::vector<StringPool::Span>& spans) {}
};

class WorkbookReader::Backend {
public:
    virtual ~Backend() = default;
    virtual QStringList sheetNames() const = 0;
    // Reads sheet `index` (1-based, checked by the caller) into the sink;
    // the info's lastUsedCell is filled by the caller.
    virtual SheetInfo read(int index, CellSink& sink) = 0;
    // The file's cell formats, indexed by CellEvent::xf; empty for a format
    // that keeps none.
    virtual std::vector<CellStyle> cellFormats() { return {}; }
    // As read(), and the sheet's column widths and default width into
    // `layout`; cells with a format but no value may come as Empty cells.
    virtual SheetInfo readWithLayout(int index, CellSink& sink, SheetLayout& layout) { return read(index, sink); }
};

std::unique_ptr<WorkbookReader::Backend> makeXlsxBackend(const QString& path);
std::unique_ptr<WorkbookReader::Backend> makeXlsBackend(const QString& path);
std::unique_ptr<WorkbookReader::Backend> makeCsvBackend(const QString& path);

} // namespace velmora::sheet
