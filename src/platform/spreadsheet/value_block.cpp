#include "platform/spreadsheet/value_block.h"

#include "platform/spreadsheet/sheet_error.h"

namespace velmora::sheet {

StringPool::Span StringPool::add(const QChar* chars, std::size_t length)
{
    if (chars_.size() + length > 0xFFFFFFFFu)
        throw SheetError(QStringLiteral("Слишком много текста в одном листе"));
    Span span{std::uint32_t(chars_.size()), std::uint32_t(length)};
    chars_.insert(chars_.end(), chars, chars + length);
    return span;
}

QString StringPool::text(Span span) const
{
    if (span.length == 0)
        return QString();
    return QString(chars_.data() + span.offset, qsizetype(span.length));
}

ValueBlock::ValueBlock(int rows, int columns)
{
    resize(rows, columns);
}

const ValueBlock::Slot* ValueBlock::slotAt(int row, int column) const
{
    if (row < 1 || column < 1 || row > rows_ || column > columns_)
        return nullptr;
    return &slots_[std::size_t(row - 1) * std::size_t(columns_) + std::size_t(column - 1)];
}

ValueBlock::Slot& ValueBlock::slotFor(int row, int column)
{
    if (row < 1 || column < 1 || row > rows_ || column > columns_)
        throw SheetError(QStringLiteral("Ячейка (%1, %2) вне блока %3 x %4")
                             .arg(row)
                             .arg(column)
                             .arg(rows_)
                             .arg(columns_));
    return slots_[std::size_t(row - 1) * std::size_t(columns_) + std::size_t(column - 1)];
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
    if (rows == 0 || columns == 0) {
        rows = columns = 0;
    }
    if (columns == columns_) {
        slots_.resize(std::size_t(rows) * std::size_t(columns));
    } else {
        std::vector<Slot> grown(std::size_t(rows) * std::size_t(columns));
        const int keepRows = std::min(rows, rows_);
        const int keepColumns = std::min(columns, columns_);
        for (int r = 0; r < keepRows; ++r)
            for (int c = 0; c < keepColumns; ++c)
                grown[std::size_t(r) * std::size_t(columns) + std::size_t(c)] =
                    slots_[std::size_t(r) * std::size_t(columns_) + std::size_t(c)];
        slots_.swap(grown);
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
