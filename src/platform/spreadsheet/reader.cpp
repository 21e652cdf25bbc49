#include "platform/spreadsheet/reader.h"

#include "platform/spreadsheet/reader_backend.h"
#include "platform/spreadsheet/sheet_error.h"

#include <new>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace velmora::sheet {

FileFormat detectFormat(const QString& path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile())
        throw SheetError(QStringLiteral("Файл \"%1\" не найден").arg(path));
    if (!file.open(QIODevice::ReadOnly))
        throw SheetError(QStringLiteral("Файл \"%1\" не открывается: %2").arg(path, file.errorString()));
    const QByteArray head = file.read(8);
    if (head.isEmpty())
        throw SheetError(QStringLiteral("Файл \"%1\" пуст").arg(path));
    if (head.startsWith("PK\x03\x04") || head.startsWith("PK\x05\x06"))
        return FileFormat::Xlsx;
    if (head == QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8))
        return FileFormat::Xls;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("csv") || suffix == QLatin1String("txt"))
        return FileFormat::Csv;
    throw SheetError(QStringLiteral("Файл \"%1\" не является книгой Excel (xls, xlsx) или файлом CSV").arg(path));
}

QString SheetData::formula(int row, int column) const
{
    auto it = formulas.find(CellRef{row, column});
    return it == formulas.end() ? QString() : it->second;
}

const Hyperlink* SheetData::hyperlinkAt(int row, int column) const
{
    for (const Hyperlink& link : info.hyperlinks)
        if (link.range.contains(CellRef{row, column}))
            return &link;
    return nullptr;
}

QString SheetData::hyperlink(int row, int column) const
{
    const Hyperlink* link = hyperlinkAt(row, column);
    return link ? link->address : QString();
}

namespace {

// Running out of memory on a file is a message about that file, never a
// bare std::bad_alloc.
template <typename Work>
auto withinMemory(const QString& path, Work work)
{
    try {
        return work();
    } catch (const std::bad_alloc&) {
        throw SheetError(QStringLiteral("Недостаточно памяти для чтения файла \"%1\"").arg(path));
    }
}

} // namespace

WorkbookReader::WorkbookReader(const QString& path) : path_(path), format_(detectFormat(path))
{
    backend_ = withinMemory(path, [&]() -> std::unique_ptr<Backend> {
        switch (format_) {
        case FileFormat::Xlsx:
            return makeXlsxBackend(path);
        case FileFormat::Xls:
            return makeXlsBackend(path);
        case FileFormat::Csv:
            break;
        }
        return makeCsvBackend(path);
    });
}

WorkbookReader::~WorkbookReader() = default;
WorkbookReader::WorkbookReader(WorkbookReader&&) noexcept = default;
WorkbookReader& WorkbookReader::operator=(WorkbookReader&&) noexcept = default;

int WorkbookReader::sheetCount() const
{
    return int(backend_->sheetNames().size());
}

QStringList WorkbookReader::sheetNames() const
{
    return backend_->sheetNames();
}

int WorkbookReader::sheetIndex(const QString& name) const
{
    const QStringList names = backend_->sheetNames();
    const qsizetype i = names.indexOf(name);
    return i < 0 ? 0 : int(i + 1);
}

namespace {

void checkIndex(const QString& path, int index, int count)
{
    if (index < 1 || index > count)
        throw SheetError(
            QStringLiteral("В книге \"%1\" нет листа с номером %2 (листов: %3)").arg(path).arg(index).arg(count));
}

// Keeps the bottom-right corner of the cells with a value or formula.
struct LastCellTracker {
    CellRef first{0, 0};
    CellRef last{0, 0};
    void see(const CellEvent& e)
    {
        if (e.type == CellType::Empty && e.formula.isEmpty())
            return;
        first.row = first.row == 0 ? e.row : std::min(first.row, e.row);
        first.column = first.column == 0 ? e.column : std::min(first.column, e.column);
        last.row = std::max(last.row, e.row);
        last.column = std::max(last.column, e.column);
    }
    void seeRow(const RowData& row)
    {
        if (row.cells.empty())
            return;
        first.row = first.row == 0 ? row.row : std::min(first.row, row.row);
        first.column = first.column == 0 ? row.cells.front().column : std::min(first.column, row.cells.front().column);
        last.row = std::max(last.row, row.row);
        last.column = std::max(last.column, row.cells.back().column);
    }
    void fill(SheetInfo& info) const
    {
        info.lastUsedCell = last;
        info.usedRange = CellRange{first, last};
    }
};

class RowStreamSink : public CellSink {
public:
    RowStreamSink(const std::function<bool(const RowData&)>& onRow, RowTexts texts)
        : onRow_(onRow), utf8_(texts == RowTexts::Utf8)
    {
    }
    bool cell(const CellEvent& e) override
    {
        tracker.see(e);
        if (e.type == CellType::Empty && e.formula.isEmpty())
            return true;
        if (e.row != current_.row) {
            if (!flush())
                return false;
            current_.row = e.row;
        }
        if (!current_.cells.empty() && e.column <= current_.cells.back().column)
            unsorted_ = true;
        RowCell& cell = current_.cells.emplace_back();
        cell.column = e.column;
        cell.formula = e.formula;
        if (utf8_ && e.type == CellType::Text && (e.utf8 || e.pool)) {
            // Copied: a chunk's texts may be gone by the time the row is
            // complete. The pointers are set once the row's bytes stop growing.
            const char* bytes = e.utf8 ? e.utf8 : e.pool->bytes(e.span);
            const std::size_t size = e.utf8 ? e.utf8Size : e.span.length;
            cell.value = CellValue::text(QString());
            cell.utf8Size = size;
            utf8Offsets_.emplace_back(current_.cells.size() - 1, bytes_.size());
            bytes_.append(bytes, size);
        } else {
            cell.value = e.value();
        }
        return true;
    }
    bool takesRows() const override { return true; }
    bool takesUtf8Texts() const override { return utf8_; }
    bool takeRow(const RowData& row) override
    {
        if (!flush())
            return false;
        tracker.seeRow(row);
        if (row.cells.empty())
            return true;
        stopped = !onRow_(row);
        return !stopped;
    }
    bool flush()
    {
        if (current_.cells.empty())
            return true;
        for (const auto& [cell, offset] : utf8Offsets_)
            current_.cells[cell].utf8 = bytes_.data() + offset;
        if (unsorted_) {
            std::vector<RowCell>& cells = current_.cells;
            std::stable_sort(cells.begin(), cells.end(),
                             [](const RowCell& a, const RowCell& b) { return a.column < b.column; });
            // A cell the file gives twice counts once, its last value, as a
            // block read keeps it.
            const auto firstKept = std::unique(cells.rbegin(), cells.rend(), [](const RowCell& a, const RowCell& b) {
                return a.column == b.column;
            });
            cells.erase(cells.begin(), firstKept.base());
        }
        unsorted_ = false;
        const bool goOn = onRow_(current_);
        current_.cells.clear();
        utf8Offsets_.clear();
        bytes_.clear();
        stopped = !goOn;
        return goOn;
    }
    LastCellTracker tracker;
    bool stopped = false;

private:
    const std::function<bool(const RowData&)>& onRow_;
    const bool utf8_;
    RowData current_;
    bool unsorted_ = false; // a cell came before one already in the row, or twice
    // With texts as bytes: the row's text bytes, and which cell starts where.
    std::string bytes_;
    std::vector<std::pair<std::size_t, std::size_t>> utf8Offsets_;
};

class BlockSink : public CellSink {
public:
    BlockSink(SheetData& data, const ReadOptions& options) : data_(data), options_(options)
    {
        // Shared strings arrive as indices, kept in a placeholder pool until
        // the table is known.
        placeholder_ = data_.values.sharePool(std::make_shared<StringPool>());
    }
    bool wantsSharedIndices() const override { return true; }
    void resolveShared(std::shared_ptr<const StringPool> pool, const std::vector<StringPool::Span>& spans) override
    {
        if (!data_.values.resolvePooledIndices(placeholder_, std::move(pool), spans))
            throw SheetError(QStringLiteral("Книга повреждена: ячейка ссылается на несуществующую общую строку"));
    }
    void dimension(CellRef last) override
    {
        // Reserve what the file says, within the limits asked for.
        int rows = std::min(last.row, kMaxRows);
        int columns = std::min(last.column, kMaxColumns);
        if (options_.maxRows > 0)
            rows = std::min(rows, options_.maxRows);
        if (options_.maxColumns > 0)
            columns = std::min(columns, options_.maxColumns);
        if (rows > 0 && columns > 0 && data_.values.isEmpty())
            data_.values.resize(rows, columns);
    }
    bool cell(const CellEvent& e) override
    {
        if (options_.maxRows > 0 && e.row > options_.maxRows)
            return false;
        if (options_.maxColumns > 0 && e.column > options_.maxColumns)
            return true;
        tracker.see(e);
        if (e.type == CellType::Empty && e.formula.isEmpty())
            return true;
        ValueBlock& block = data_.values;
        if (e.row > block.rows() || e.column > block.columns()) {
            int columns = block.columns();
            if (e.column > columns) {
                columns = std::max(e.column, columns * 2);
                if (options_.maxColumns > 0)
                    columns = std::min(columns, options_.maxColumns);
                columns = std::min(columns, kMaxColumns);
            }
            block.resize(std::max(block.rows(), e.row), std::max(columns, 1));
        }
        if (!e.formula.isEmpty())
            data_.formulas.emplace(CellRef{e.row, e.column}, e.formula);
        switch (e.type) {
        case CellType::Empty:
            break;
        case CellType::Number:
            block.setNumber(e.row, e.column, e.number);
            break;
        case CellType::Text:
            if (e.sharedIndex >= 0) {
                block.setPooledText(e.row, e.column, placeholder_,
                                    StringPool::Span{std::uint32_t(e.sharedIndex), 0});
                break;
            }
            if (e.pool) {
                block.setTextUtf8(e.row, e.column, e.pool->bytes(e.span), e.span.length);
                break;
            }
            if (e.utf8) {
                block.setTextUtf8(e.row, e.column, e.utf8, e.utf8Size);
                break;
            }
            [[fallthrough]];
        default:
            block.set(e.row, e.column, e.value());
        }
        return true;
    }
    LastCellTracker tracker;

private:
    SheetData& data_;
    const ReadOptions& options_;
    int placeholder_ = 0;
};

} // namespace

SheetInfo WorkbookReader::streamSheet(int index, const std::function<bool(const RowData&)>& onRow, RowTexts texts)
{
    checkIndex(path_, index, sheetCount());
    RowStreamSink sink(onRow, texts);
    SheetInfo info = withinMemory(path_, [&] { return backend_->read(index, sink); });
    if (!sink.stopped)
        sink.flush();
    sink.tracker.fill(info);
    return info;
}

SheetData WorkbookReader::readSheet(int index, const ReadOptions& options)
{
    checkIndex(path_, index, sheetCount());
    SheetData data;
    BlockSink sink(data, options);
    data.info = withinMemory(path_, [&] { return backend_->read(index, sink); });
    sink.tracker.fill(data.info);
    // The block ends at the last used cell (within the limits asked for).
    data.values.resize(sink.tracker.last.row, sink.tracker.last.column);
    return data;
}

SheetData WorkbookReader::readSheet(const QString& name, const ReadOptions& options)
{
    const int index = sheetIndex(name);
    if (index == 0)
        throw SheetError(QStringLiteral("В книге \"%1\" нет листа \"%2\"").arg(path_, name));
    return readSheet(index, options);
}

QStringList listSheetNames(const QString& path)
{
    return WorkbookReader(path).sheetNames();
}

} // namespace velmora::sheet
