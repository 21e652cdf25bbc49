#pragma once

#include "platform/spreadsheet/cell_value.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace velmora::sheet {

// Text storage shared between value blocks: one flat UTF-16 buffer, so a
// million short texts cost their characters and not a heap block each. An
// xlsx file's shared-string table is one pool that every block of the file
// refers to.
class StringPool {
public:
    struct Span {
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
    };
    Span add(const QChar* chars, std::size_t length);
    Span add(const QString& text) { return add(text.constData(), std::size_t(text.size())); }
    QString text(Span span) const;
    std::size_t characterCount() const { return chars_.size(); }
    void reserve(std::size_t characters) { chars_.reserve(characters); }

private:
    std::vector<QChar> chars_;
};

// A rectangle of cell values, rows x columns, addressed from 1 like the
// sheet's own cells: the result of reading a range and the input of writing
// one in one go. Reading outside the rectangle gives Empty; writing outside
// it throws SheetError. Each cell takes 16 bytes plus its text.
class ValueBlock {
public:
    ValueBlock() = default;
    ValueBlock(int rows, int columns);

    int rows() const { return rows_; }
    int columns() const { return columns_; }
    bool isEmpty() const { return rows_ == 0 || columns_ == 0; }

    CellType type(int row, int column) const;
    CellValue value(int row, int column) const;
    // value(row, column).toText(); "" outside the block.
    QString text(int row, int column) const;
    // value(row, column).toNumber().
    double number(int row, int column) const;

    void set(int row, int column, const CellValue& value);
    void setNumber(int row, int column, double value);
    void setText(int row, int column, const QString& value);
    void clear(int row, int column);

    // Changes the size keeping the values that stay inside.
    void resize(int rows, int columns);

    // Fast path for readers: a text already held in `pool`, which must be
    // one the block shares (see sharePool).
    void setPooledText(int row, int column, int poolIndex, StringPool::Span span);
    // Makes `pool` one of the block's text pools and returns its index.
    int sharePool(std::shared_ptr<const StringPool> pool);

private:
    struct Slot {
        union {
            double number;
            StringPool::Span span;
        };
        CellType type = CellType::Empty;
        std::uint8_t pool = 0;
        Slot() : number(0) {}
    };
    const Slot* slotAt(int row, int column) const;
    Slot& slotFor(int row, int column);
    StringPool& ownPool();

    // Rows are kept in chunks of kChunkRows so a growing block never copies
    // all its cells at once (a reader does not know a sheet's size ahead).
    static constexpr int kChunkRows = 4096;
    int rows_ = 0;
    int columns_ = 0;
    std::vector<std::vector<Slot>> chunks_; // row-major within a chunk
    // The pools the slots' texts live in: the block's own one (made on the
    // first text set) and those readers share.
    std::vector<std::shared_ptr<const StringPool>> pools_;
    std::shared_ptr<StringPool> own_;
    int ownIndex_ = -1;
};

} // namespace velmora::sheet
