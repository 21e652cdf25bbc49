#include "platform/spreadsheet/xls_styles.h"

#include "platform/spreadsheet/color.h"
#include "platform/spreadsheet/number_formats.h"

namespace velmora::sheet::xls {

namespace {

std::uint16_t u16(const unsigned char* p) { return std::uint16_t(p[0] | (p[1] << 8)); }

std::uint32_t u32(const unsigned char* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

constexpr std::size_t kXfSize = 20;

// A border's line number (0 none, 1 thin, 2 medium ... 13 slanted dash-dot).
Border borderOf(unsigned line, Color color)
{
    struct Entry {
        LineStyle style;
        BorderWeight weight;
    };
    static const Entry entries[] = {
        {LineStyle::None, BorderWeight::Thin},           {LineStyle::Continuous, BorderWeight::Thin},
        {LineStyle::Continuous, BorderWeight::Medium},   {LineStyle::Dash, BorderWeight::Thin},
        {LineStyle::Dot, BorderWeight::Thin},            {LineStyle::Continuous, BorderWeight::Thick},
        {LineStyle::Double, BorderWeight::Thick},        {LineStyle::Continuous, BorderWeight::Hairline},
        {LineStyle::Dash, BorderWeight::Medium},         {LineStyle::DashDot, BorderWeight::Thin},
        {LineStyle::DashDot, BorderWeight::Medium},      {LineStyle::DashDotDot, BorderWeight::Thin},
        {LineStyle::DashDotDot, BorderWeight::Medium},   {LineStyle::SlantDashDot, BorderWeight::Medium},
    };
    Border border;
    if (line == 0)
        return border;
    const Entry& e = line < sizeof entries / sizeof entries[0] ? entries[line] : entries[1];
    border.style = e.style;
    border.weight = e.weight;
    border.color = color;
    return border;
}

HAlign hAlignOf(unsigned alc)
{
    static const HAlign map[] = {HAlign::General, HAlign::Left,    HAlign::Center,
                                 HAlign::Right,   HAlign::Fill,    HAlign::Justify,
                                 HAlign::CenterAcrossSelection, HAlign::Distributed};
    return map[alc & 7];
}

std::optional<VAlign> vAlignOf(unsigned alcV)
{
    switch (alcV) {
    case 0:
        return VAlign::Top;
    case 1:
        return VAlign::Center;
    case 3:
        return VAlign::Justify;
    case 4:
        return VAlign::Distributed;
    default:
        return std::nullopt; // bottom
    }
}

} // namespace

void StyleRecords::font(const unsigned char* d, std::size_t n)
{
    if (n < 16)
        return;
    Font f;
    f.size = u16(d) / 20.0;
    const std::uint16_t flags = u16(d + 2);
    f.italic = flags & 0x02;
    f.strikeout = flags & 0x08;
    f.color = color(u16(d + 4));
    f.bold = u16(d + 6) >= 700;
    f.underline = d[10] != 0;
    const std::size_t chars = d[14];
    const bool wide = d[15] & 1;
    QString name;
    for (std::size_t i = 0; i < chars; ++i) {
        const std::size_t at = 16 + i * (wide ? 2 : 1);
        if (at + (wide ? 2 : 1) > n)
            break;
        name += QChar(wide ? u16(d + at) : d[at]);
    }
    f.name = name;
    fonts_.push_back(f);
}

void StyleRecords::xf(const unsigned char* d, std::size_t n)
{
    if (n < kXfSize)
        return;
    xfs_.emplace_back(d, d + kXfSize);
}

void StyleRecords::palette(const unsigned char* d, std::size_t n)
{
    if (n < 2)
        return;
    palette_.clear();
    const std::size_t count = u16(d);
    for (std::size_t i = 0; i < count && 2 + (i + 1) * 4 <= n; ++i) {
        const unsigned char* c = d + 2 + i * 4;
        palette_.push_back(Color::fromRgb((std::uint32_t(c[0]) << 16) | (std::uint32_t(c[1]) << 8) | c[2]));
    }
}

// The colour of an index: 0 ... 7 fixed, 8 ... 63 the palette (the file's
// own or the default one), 64 and 0x7FFF "automatic" (the window text:
// black), 65 the window background (white).
Color StyleRecords::color(int index) const
{
    if (index >= 0 && index < 8)
        return paletteColor(index + 1);
    if (index >= 8 && index <= 63) {
        const std::size_t own = std::size_t(index - 8);
        return own < palette_.size() ? palette_[own] : paletteColor(index - 7);
    }
    if (index == 65)
        return Color::fromRgb(0xFFFFFF);
    return Color();
}

std::vector<CellStyle> StyleRecords::cellStyles(const std::map<int, QString>& numberFormats) const
{
    std::vector<CellStyle> styles;
    styles.reserve(xfs_.size());
    for (const std::vector<unsigned char>& raw : xfs_) {
        const unsigned char* d = raw.data();
        CellStyle s;
        // Font 4 is never written: indices above it are one too high.
        const std::size_t font = u16(d) < 4 ? u16(d) : std::size_t(u16(d)) - 1;
        if (font < fonts_.size())
            s.font = fonts_[font];
        const int format = u16(d + 2);
        auto custom = numberFormats.find(format);
        s.numberFormat = custom != numberFormats.end() ? custom->second : builtinNumberFormat(format);
        s.locked = u16(d + 4) & 0x01;
        s.hAlign = hAlignOf(d[6] & 0x07);
        s.wrapText = d[6] & 0x08;
        s.vAlign = vAlignOf((d[6] >> 4) & 0x07);
        s.indent = d[8] & 0x0F;
        const std::uint32_t lines = u32(d + 10);
        const std::uint32_t more = u32(d + 14);
        s.left = borderOf(lines & 0x0F, color(int((lines >> 16) & 0x7F)));
        s.right = borderOf((lines >> 4) & 0x0F, color(int((lines >> 23) & 0x7F)));
        s.top = borderOf((lines >> 8) & 0x0F, color(int(more & 0x7F)));
        s.bottom = borderOf((lines >> 12) & 0x0F, color(int((more >> 7) & 0x7F)));
        s.diagonal = borderOf((more >> 21) & 0x0F, color(int((more >> 14) & 0x7F)));
        s.diagonalDown = lines & 0x40000000u;
        s.diagonalUp = lines & 0x80000000u;
        if ((more >> 26) != 0) // any pattern: its foreground colour fills the cell
            s.fill = color(u16(d + 18) & 0x7F);
        styles.push_back(s);
    }
    return styles;
}

} // namespace velmora::sheet::xls
