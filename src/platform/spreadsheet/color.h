#pragma once

#include <cstdint>

namespace velmora::sheet {

// A colour as Windows colour numbers hold it: 0x00BBGGRR, so 0x0000FF is red.
// The program's colour texts ("$0000FF") are these numbers.
class Color {
public:
    constexpr Color() = default;
    static constexpr Color fromBgr(std::uint32_t bgr) { return Color(bgr & 0xFFFFFF); }
    static constexpr Color fromRgb(std::uint32_t rgb) {
        return Color(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
    }
    constexpr std::uint32_t bgr() const { return bgr_; }
    constexpr std::uint32_t rgb() const {
        return ((bgr_ & 0xFF) << 16) | (bgr_ & 0xFF00) | ((bgr_ >> 16) & 0xFF);
    }
    constexpr bool operator==(const Color&) const = default;

private:
    explicit constexpr Color(std::uint32_t bgr) : bgr_(bgr) {}
    std::uint32_t bgr_ = 0;
};

// The spreadsheet's 56-colour index palette (ColorIndex 1..56, the default
// palette: 1 black, 2 white, 3 red, 4 bright green, 5 blue, 6 yellow, ...).
// Throws SheetError outside 1..56.
Color paletteColor(int colorIndex);
// The palette index of the nearest palette colour.
int nearestPaletteIndex(Color color);

} // namespace velmora::sheet
