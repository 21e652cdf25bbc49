#pragma once

#include "platform/spreadsheet/cell_value.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace velmora::sheet {

// Text storage shared between value blocks: UTF-8 in large chunks, so a
// million short texts cost their bytes and not a heap block each. An xlsx
// file's shared-string table is one pool that every block of the file
// refers to.
class StringPool {
public:
    struct Span {
        std::uint32_t offset = 0; // chunk number << kChunkBits | position in it
        std::uint32_t length = 0; // bytes
    };
    Span add(const QChar* chars, std::size_t length);
    Span add(const QString& text) { return add(text.constData(), std::size_t(text.size())); }
    Span addUtf8(const char* bytes, std::size_t size);
    QString text(Span span) const;
    // The UTF-8 bytes of a span; valid while the pool lives.
    const char* bytes(Span span) const;
    std::size_t byteCount() const { return count_; }

private:
    // Texts live in chunks that are never moved, so the pool grows without
    // copying what it holds (a million rows of text would need twice their
    // size for a moment otherwise). A text never straddles two chunks.
    static constexpr int kChunkBits = 20;
    static constexpr std::size_t kChunkBytes = std::size_t(1) << kChunkBits;
    char* reserve(std::size_t length, Span& span);
    std::vector<std::unique_ptr<char[]>> chunks_;
    std::vector<std::size_t> used_;
    std::vector<std::size_t> capacity_;
    std::size_t count_ = 0;
};

// A rectangle of cell values, rows x columns, addressed from 1 like the
// sheet's own cells: the result of reading a range and the input of writing
// one in one go. Reading outside the rectangle gives Empty; writing outside
// it throws SheetError. Each cell takes 12 bytes plus its text in UTF-8.
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
    void setTextUtf8(int row, int column, const char* bytes, std::size_t size);
    void clear(int row, int column);

    // Changes the size keeping the values that stay inside.
    void resize(int rows, int columns);

    // Fast path for readers: a text already held in `pool`, which must be
    // one the block shares (see sharePool).
    void setPooledText(int row, int column, int poolIndex, StringPool::Span span);
    // Makes `pool` one of the block's text pools and returns its index.
    int sharePool(std::shared_ptr<const StringPool> pool);
    // For readers that meet string indices before the strings: the texts
    // set in pool `placeholder` hold an index into `spans` as their offset;
    // they become those spans of `pool`. false when an index is out of range.
    bool resolvePooledIndices(int placeholder, std::shared_ptr<const StringPool> pool,
                              const std::vector<StringPool::Span>& spans);

private:
    // 12 bytes: packed to 4-byte alignment, which costs nothing on the
    // machines the program runs on and saves a quarter of a big block.
#pragma pack(push, 4)
    struct Slot {
        union {
            double number;
            StringPool::Span span;
        };
        CellType type = CellType::Empty;
        std::uint8_t pool = 0;
        Slot() : number(0) {}
    };
#pragma pack(pop)
    static_assert(sizeof(Slot) == 12);
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
