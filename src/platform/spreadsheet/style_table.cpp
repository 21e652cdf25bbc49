#include "platform/spreadsheet/style_table.h"

#include "platform/spreadsheet/sheet_error.h"

#include <QHash>
#include <functional>

namespace velmora::sheet {

namespace {
void mix(std::size_t& seed, std::size_t value)
{
    seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
}
void mixFont(std::size_t& seed, const Font& f)
{
    mix(seed, qHash(f.name));
    mix(seed, std::hash<double>{}(f.size));
    mix(seed, (f.bold ? 1 : 0) | (f.italic ? 2 : 0) | (f.underline ? 4 : 0) | (f.strikeout ? 8 : 0));
    mix(seed, f.color.bgr());
}
void mixBorder(std::size_t& seed, const Border& b)
{
    mix(seed, std::size_t(int(b.style) + 5000) * 31 + std::size_t(int(b.weight) + 5000));
    mix(seed, b.color.bgr());
}
} // namespace

std::size_t styleHash(const CellStyle& s)
{
    std::size_t seed = 0;
    mixFont(seed, s.font);
    mix(seed, s.fill ? s.fill->bgr() + 1 : 0);
    mix(seed, qHash(s.numberFormat));
    mix(seed, std::size_t(int(s.hAlign) + 5000));
    mix(seed, s.vAlign ? std::size_t(int(*s.vAlign) + 5000) : 0);
    mix(seed, (s.wrapText ? 1 : 0) | (s.diagonalDown ? 2 : 0) | (s.diagonalUp ? 4 : 0) | (s.locked ? 8 : 0));
    mix(seed, std::size_t(s.indent));
    for (const Border* b : {&s.left, &s.top, &s.right, &s.bottom, &s.diagonal})
        mixBorder(seed, *b);
    return seed;
}

StyleTable::StyleTable()
{
    styles_.emplace_back();
    byHash_.emplace(styleHash(styles_[0]), 0);
}

std::uint32_t StyleTable::intern(const CellStyle& style)
{
    const std::size_t hash = styleHash(style);
    auto [begin, end] = byHash_.equal_range(hash);
    for (auto it = begin; it != end; ++it)
        if (styles_[it->second] == style)
            return it->second;
    if (styles_.size() >= 64000)
        throw SheetError(QStringLiteral("Слишком много разных форматов ячеек в книге"));
    styles_.push_back(style);
    const auto index = std::uint32_t(styles_.size() - 1);
    byHash_.emplace(hash, index);
    return index;
}

} // namespace velmora::sheet
