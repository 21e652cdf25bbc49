#include "platform/spreadsheet/color.h"

#include "platform/spreadsheet/sheet_error.h"

#include <array>

namespace velmora::sheet {

namespace {
// The default palette, RGB, ColorIndex 1..56.
constexpr std::array<std::uint32_t, 56> kPalette = {
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,
    0x800000, 0x008000, 0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080,
    0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF, 0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF,
    0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000, 0x008080, 0x0000FF,
    0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,
    0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696,
    0x003366, 0x339966, 0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333,
};
} // namespace

Color paletteColor(int colorIndex)
{
    if (colorIndex < 1 || colorIndex > 56)
        throw SheetError(QStringLiteral("Номер цвета вне палитры (1..56): %1").arg(colorIndex));
    return Color::fromRgb(kPalette[std::size_t(colorIndex - 1)]);
}

int nearestPaletteIndex(Color color)
{
    const std::uint32_t rgb = color.rgb();
    int best = 1;
    long bestDistance = -1;
    for (int i = 0; i < 56; ++i) {
        const std::uint32_t p = kPalette[std::size_t(i)];
        const long dr = long((p >> 16) & 0xFF) - long((rgb >> 16) & 0xFF);
        const long dg = long((p >> 8) & 0xFF) - long((rgb >> 8) & 0xFF);
        const long db = long(p & 0xFF) - long(rgb & 0xFF);
        const long distance = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || distance < bestDistance) {
            bestDistance = distance;
            best = i + 1;
        }
    }
    return best;
}

} // namespace velmora::sheet
