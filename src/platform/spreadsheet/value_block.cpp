#include "platform/spreadsheet/value_block.h"

#include "platform/spreadsheet/sheet_error.h"

#include <algorithm>
#include <cstring>

namespace velmora::sheet {

char* StringPool::reserve(std::size_t length, Span& span)
{
    // A new chunk when this one is full, or when the text would start past
    // the positions a span can name (only a text longer than a chunk, alone
    // in a chunk of its own, goes beyond).
    if (chunks_.empty() || used_.back() + length > capacity_.back() ||
        (used_.back() > 0 && used_.back() + length > kChunkBytes)) {
        if (chunks_.size() >= (std::size_t(1) << (32 - kChunkBits)))
            throw SheetError(QStringLiteral("Слишком много текста в одном листе"));
        // The first chunks grow from a page to a whole chunk: most pools
        // hold a few short texts.
        const std::size_t grown = std::min(kChunkBytes, std::size_t(4096) << std::min<std::size_t>(chunks_.size(), 8));
        const std::size_t capacity = std::max(grown, length);
        chunks_.push_back(std::make_unique_for_overwrite<char[]>(capacity));
        used_.push_back(0);
        capacity_.push_back(capacity);
    }
    const std::size_t position = used_.back();
    span.offset = std::uint32_t(((chunks_.size() - 1) << kChunkBits) | position);
    span.length = std::uint32_t(length);
    used_.back() += length;
    count_ += length;
    return chunks_.back().get() + position;
}

StringPool::Span StringPool::addUtf8(const char* bytes, std::size_t size)
{
    Span span;
    if (size == 0)
        return span;
    std::memcpy(reserve(size, span), bytes, size);
    return span;
}

StringPool::Span StringPool::add(const QChar* chars, std::size_t length)
{
    Span span;
    if (length == 0)
        return span;
    // At most three bytes for each UTF-16 unit; what is not used goes back.
    char* out = reserve(length * 3, span);
    std::size_t n = 0;
    for (std::size_t i = 0; i < length; ++i) {
        char32_t c = chars[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < length && chars[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(char16_t(c), chars[i + 1].unicode());
            ++i;
        }
        if (c < 0x80) {
            out[n++] = char(c);
        } else if (c < 0x800) {
            out[n++] = char(0xC0 | (c >> 6));
            out[n++] = char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out[n++] = char(0xE0 | (c >> 12));
            out[n++] = char(0x80 | ((c >> 6) & 0x3F));
            out[n++] = char(0x80 | (c & 0x3F));
        } else {
            out[n++] = char(0xF0 | (c >> 18));
            out[n++] = char(0x80 | ((c >> 12) & 0x3F));
            out[n++] = char(0x80 | ((c >> 6) & 0x3F));
            out[n++] = char(0x80 | (c & 0x3F));
        }
    }
    used_.back() -= length * 3 - n;
    count_ -= length * 3 - n;
    span.length = std::uint32_t(n);
    return span;
}

const char* StringPool::bytes(Span span) const
{
    if (span.length == 0)
        return nullptr;
    return chunks_[span.offset >> kChunkBits].get() + (span.offset & (kChunkBytes - 1));
}

QString StringPool::text(Span span) const
{
    if (span.length == 0)
        return QString();
    return QString::fromUtf8(bytes(span), qsizetype(span.length));
}

ValueBlock::ValueBlock(int rows, int columns)
{
    resize(rows, columns);
}

const ValueBlock::Slot* ValueBlock::slotAt(int row, int column) const
{
    if (row < 1 || column < 1 || row > rows_ || column > columns_)
        return nullptr;
    const std::size_t r = std::size_t(row - 1);
    return &chunks_[r / kChunkRows][(r % kChunkRows) * std::size_t(columns_) + std::size_t(column - 1)];
}

ValueBlock::Slot& ValueBlock::slotFor(int row, int column)
{
    if (row < 1 || column < 1 || row > rows_ || column > columns_)
        throw SheetError(QStringLiteral("Ячейка (%1, %2) вне блока %3 x %4")
                             .arg(row)
                             .arg(column)
                             .arg(rows_)
                             .arg(columns_));
    const std::size_t r = std::size_t(row - 1);
    return chunks_[r / kChunkRows][(r % kChunkRows) * std::size_t(columns_) + std::size_t(column - 1)];
}

StringPool& ValueBlock::ownPool()
{
    if (!own_) {
        own_ = std::make_shared<StringPool>();
        ownIndex_ = sharePool(own_);
    }
    return *own_;
}

CellType ValueBlock::type(int row, int column) const
{
    const Slot* slot = slotAt(row, column);
    return slot ? slot->type : CellType::Empty;
}

CellValue ValueBlock::value(int row, int column) const
{
    const Slot* slot = slotAt(row, column);
    if (!slot)
        return {};
    switch (slot->type) {
    case CellType::Empty:
        return {};
    case CellType::Number:
        return CellValue::number(slot->number);
    case CellType::Date:
        return CellValue::date(slot->number);
    case CellType::Boolean:
        return CellValue::boolean(slot->number != 0);
    case CellType::Text:
        return CellValue::text(pools_[slot->pool]->text(slot->span));
    case CellType::Error:
        return CellValue::error(pools_[slot->pool]->text(slot->span));
    }
    return {};
}

QString ValueBlock::text(int row, int column) const
{
    const Slot* slot = slotAt(row, column);
    if (!slot)
        return {};
    if (slot->type == CellType::Text || slot->type == CellType::Error)
        return pools_[slot->pool]->text(slot->span);
    return value(row, column).toText();
}

double ValueBlock::number(int row, int column) const
{
    const Slot* slot = slotAt(row, column);
    if (!slot || slot->type == CellType::Text || slot->type == CellType::Error)
        return 0;
    return slot->type == CellType::Empty ? 0 : slot->number;
}

void ValueBlock::set(int row, int column, const CellValue& value)
{
    switch (value.type()) {
    case CellType::Empty:
        clear(row, column);
        return;
    case CellType::Text:
    case CellType::Error: {
        Slot& slot = slotFor(row, column);
        StringPool& pool = ownPool();
        slot.span = pool.add(value.textValue());
        slot.pool = std::uint8_t(ownIndex_);
        slot.type = value.type();
        return;
    }
    default: {
        Slot& slot = slotFor(row, column);
        slot.number = value.toNumber();
        slot.type = value.type();
        return;
    }
    }
}

void ValueBlock::setNumber(int row, int column, double value)
{
    Slot& slot = slotFor(row, column);
    slot.number = value;
    slot.type = CellType::Number;
}

void ValueBlock::setText(int row, int column, const QString& value)
{
    set(row, column, CellValue::text(value));
}

void ValueBlock::setTextUtf8(int row, int column, const char* bytes, std::size_t size)
{
    Slot& slot = slotFor(row, column);
    StringPool& pool = ownPool();
    slot.span = pool.addUtf8(bytes, size);
    slot.pool = std::uint8_t(ownIndex_);
    slot.type = CellType::Text;
}

void ValueBlock::clear(int row, int column)
{
    Slot& slot = slotFor(row, column);
    slot.number = 0;
    slot.type = CellType::Empty;
}

void ValueBlock::resize(int rows, int columns)
{
    if (rows < 0 || columns < 0)
        throw SheetError(QStringLiteral("Неверный размер блока %1 x %2").arg(rows).arg(columns));
    if (rows == 0 || columns == 0)
        rows = columns = 0;
    const std::size_t chunkCount = (std::size_t(rows) + kChunkRows - 1) / kChunkRows;
    const std::size_t width = std::size_t(columns);
    // A chunk holds only the block's own rows (the last one fewer than a
    // full chunk): a block of a few rows costs those rows, not a whole chunk.
    const std::size_t oldCount = chunks_.size();
    chunks_.resize(chunkCount);
    // At the same width only the last kept chunk and the new ones change.
    const std::size_t from = columns == columns_ && oldCount > 0 ? std::min(oldCount, chunkCount) - 1 : 0;
    for (std::size_t k = from; k < chunkCount; ++k) {
        std::vector<Slot>& chunk = chunks_[k];
        const std::size_t chunkRows = std::min<std::size_t>(kChunkRows, std::size_t(rows) - k * kChunkRows);
        if (columns != columns_ && !chunk.empty()) {
            // Re-lay a kept chunk at the new width, one chunk at a time.
            const std::size_t oldWidth = std::size_t(columns_);
            const std::size_t keepRows = std::min(chunkRows, chunk.size() / oldWidth);
            const std::size_t keepColumns = std::min(width, oldWidth);
            std::vector<Slot> wide(chunkRows * width);
            for (std::size_t r = 0; r < keepRows; ++r)
                for (std::size_t c = 0; c < keepColumns; ++c)
                    wide[r * width + c] = chunk[r * oldWidth + c];
            chunk.swap(wide);
        } else {
            // Rows cut off go with their slots: grown back, they read empty.
            chunk.resize(chunkRows * width);
        }
    }
    rows_ = rows;
    columns_ = columns;
}

void ValueBlock::setPooledText(int row, int column, int poolIndex, StringPool::Span span)
{
    Slot& slot = slotFor(row, column);
    slot.span = span;
    slot.pool = std::uint8_t(poolIndex);
    slot.type = CellType::Text;
}

int ValueBlock::sharePool(std::shared_ptr<const StringPool> pool)
{
    for (std::size_t i = 0; i < pools_.size(); ++i)
        if (pools_[i] == pool)
            return int(i);
    if (pools_.size() >= 255)
        throw SheetError(QStringLiteral("Слишком много источников текста в одном блоке"));
    pools_.push_back(std::move(pool));
    return int(pools_.size() - 1);
}

} // namespace velmora::sheet

namespace velmora::sheet {

bool ValueBlock::resolvePooledIndices(int placeholder, std::shared_ptr<const StringPool> pool,
                                      const std::vector<StringPool::Span>& spans)
{
    if (placeholder < 0 || std::size_t(placeholder) >= pools_.size())
        return false;
    bool ok = true;
    for (auto& chunk : chunks_)
        for (Slot& slot : chunk) {
            if (slot.type != CellType::Text || slot.pool != placeholder)
                continue;
            if (slot.span.offset < spans.size()) {
                slot.span = spans[slot.span.offset];
            } else {
                slot.span = StringPool::Span{};
                ok = false;
            }
        }
    pools_[std::size_t(placeholder)] = std::move(pool);
    return ok;
}

} // namespace velmora::sheet
