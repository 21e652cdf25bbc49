#pragma once

#include "platform/spreadsheet/cell_style.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace velmora::sheet {

// The distinct cell styles of a workbook; cells hold an index. Index 0 is
// the default style.
class StyleTable {
public:
    StyleTable();
    std::uint32_t intern(const CellStyle& style);
    const CellStyle& at(std::uint32_t index) const { return styles_[index]; }
    std::size_t size() const { return styles_.size(); }

private:
    std::vector<CellStyle> styles_;
    std::unordered_multimap<std::size_t, std::uint32_t> byHash_;
};

std::size_t styleHash(const CellStyle& style);

} // namespace velmora::sheet
