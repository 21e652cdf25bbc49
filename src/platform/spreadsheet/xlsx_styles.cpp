#include "platform/spreadsheet/xlsx_styles.h"

#include "platform/spreadsheet/color.h"
#include "platform/spreadsheet/number_formats.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace velmora::sheet::xlsx {

// ---- styles
namespace {

Color themeColor(int theme)
{
    // The default Office theme; Excel maps 0/1 to the light/dark pair.
    static const std::uint32_t rgb[] = {0xFFFFFF, 0x000000, 0xEEECE1, 0x1F497D, 0x4F81BD, 0xC0504D,
                                        0x9BBB59, 0x8064A2, 0x4BACC6, 0xF79646, 0x0000FF, 0x800080};
    if (theme < 0 || theme >= int(sizeof rgb / sizeof rgb[0]))
        return Color();
    return Color::fromRgb(rgb[theme]);
}

Color applyTint(Color color, double tint)
{
    if (tint == 0)
        return color;
    const std::uint32_t rgb = color.rgb();
    auto channel = [&](int shift) {
        double c = double((rgb >> shift) & 0xFF);
        c = tint < 0 ? c * (1 + tint) : c + (255 - c) * tint;
        return std::uint32_t(std::clamp(int(c + 0.5), 0, 255)) << shift;
    };
    return Color::fromRgb(channel(16) | channel(8) | channel(0));
}

} // namespace

// The colour of a <color>/<fgColor> element; nullopt for "automatic".
std::optional<Color> readColor(const char** attributes)
{
    const double tint = toDouble(xmlAttribute(attributes, "tint"));
    if (const char* rgb = xmlAttribute(attributes, "rgb")) {
        const unsigned long v = std::strtoul(rgb, nullptr, 16);
        return applyTint(Color::fromRgb(std::uint32_t(v & 0xFFFFFF)), tint);
    }
    if (const char* theme = xmlAttribute(attributes, "theme"))
        return applyTint(themeColor(toInt(theme)), tint);
    if (const char* indexed = xmlAttribute(attributes, "indexed")) {
        const int i = toInt(indexed);
        if (i >= 8 && i <= 63)
            return paletteColor(i - 7);
        if (i >= 0 && i < 8)
            return paletteColor(i + 1);
        return std::nullopt; // 64/65: system foreground/background
    }
    return std::nullopt;
}

LineStyle lineStyleOf(const char* style, BorderWeight& weight)
{
    weight = BorderWeight::Thin;
    if (!style || std::strcmp(style, "none") == 0)
        return LineStyle::None;
    struct Entry {
        const char* name;
        LineStyle style;
        BorderWeight weight;
    };
    static const Entry entries[] = {
        {"thin", LineStyle::Continuous, BorderWeight::Thin},
        {"medium", LineStyle::Continuous, BorderWeight::Medium},
        {"thick", LineStyle::Continuous, BorderWeight::Thick},
        {"hair", LineStyle::Continuous, BorderWeight::Hairline},
        {"dashed", LineStyle::Dash, BorderWeight::Thin},
        {"mediumDashed", LineStyle::Dash, BorderWeight::Medium},
        {"dotted", LineStyle::Dot, BorderWeight::Thin},
        {"double", LineStyle::Double, BorderWeight::Thick},
        {"dashDot", LineStyle::DashDot, BorderWeight::Thin},
        {"mediumDashDot", LineStyle::DashDot, BorderWeight::Medium},
        {"dashDotDot", LineStyle::DashDotDot, BorderWeight::Thin},
        {"mediumDashDotDot", LineStyle::DashDotDot, BorderWeight::Medium},
        {"slantDashDot", LineStyle::SlantDashDot, BorderWeight::Medium},
    };
    for (const Entry& e : entries)
        if (std::strcmp(style, e.name) == 0) {
            weight = e.weight;
            return e.style;
        }
    return LineStyle::Continuous;
}

HAlign hAlignOf(const char* text)
{
    if (!text)
        return HAlign::General;
    static const std::pair<const char*, HAlign> map[] = {
        {"left", HAlign::Left},       {"center", HAlign::Center},
        {"right", HAlign::Right},     {"fill", HAlign::Fill},
        {"justify", HAlign::Justify}, {"centerContinuous", HAlign::CenterAcrossSelection},
        {"distributed", HAlign::Distributed},
    };
    for (const auto& [name, value] : map)
        if (std::strcmp(text, name) == 0)
            return value;
    return HAlign::General;
}

std::optional<VAlign> vAlignOf(const char* text)
{
    if (!text)
        return std::nullopt;
    static const std::pair<const char*, VAlign> map[] = {
        {"top", VAlign::Top},         {"center", VAlign::Center},           {"bottom", VAlign::Bottom},
        {"justify", VAlign::Justify}, {"distributed", VAlign::Distributed},
    };
    for (const auto& [name, value] : map)
        if (std::strcmp(text, name) == 0)
            return value == VAlign::Bottom ? std::nullopt : std::optional<VAlign>(value);
    return std::nullopt;
}

// One element of a font description (<b/>, <sz val=.../>, ...) into `f`.
void readFontElement(Font& f, const char* name, const char** a)
{
    const char* val = xmlAttribute(a, "val");
    if (std::strcmp(name, "b") == 0)
        f.bold = toBool(val, true);
    else if (std::strcmp(name, "i") == 0)
        f.italic = toBool(val, true);
    else if (std::strcmp(name, "strike") == 0)
        f.strikeout = toBool(val, true);
    else if (std::strcmp(name, "u") == 0)
        f.underline = !val || std::strcmp(val, "none") != 0;
    else if (std::strcmp(name, "sz") == 0)
        f.size = toDouble(val, 11);
    else if (std::strcmp(name, "name") == 0 || std::strcmp(name, "rFont") == 0)
        f.name = QString::fromUtf8(val ? val : "Calibri");
    else if (std::strcmp(name, "color") == 0)
        f.color = readColor(a).value_or(Color());
}

XlsxBackend::Styles buildStyles(const StylesParser& p)
{
    XlsxBackend::Styles styles;
    for (const auto& xf : p.xfs) {
        CellStyle s;
        if (xf.font >= 0 && std::size_t(xf.font) < p.fonts.size())
            s.font = p.fonts[std::size_t(xf.font)];
        if (xf.fill >= 0 && std::size_t(xf.fill) < p.fills.size())
            s.fill = p.fills[std::size_t(xf.fill)].color;
        if (xf.border >= 0 && std::size_t(xf.border) < p.borders.size()) {
            const auto& b = p.borders[std::size_t(xf.border)];
            s.left = b.left;
            s.top = b.top;
            s.right = b.right;
            s.bottom = b.bottom;
            s.diagonal = b.diagonal;
            s.diagonalUp = b.up;
            s.diagonalDown = b.down;
        }
        auto custom = p.numberFormats.find(xf.numFmt);
        s.numberFormat = custom != p.numberFormats.end() ? custom->second : builtinNumberFormat(xf.numFmt);
        s.hAlign = xf.h;
        s.vAlign = xf.v;
        s.wrapText = xf.wrap;
        s.indent = xf.indent;
        s.locked = xf.locked;
        styles.isDate.push_back(custom != p.numberFormats.end() ? isDateFormat(custom->second)
                                                                 : isBuiltinDateFormat(xf.numFmt));
        styles.cells.push_back(s);
    }
    if (styles.cells.empty()) {
        styles.cells.emplace_back();
        styles.isDate.push_back(false);
    }
    return styles;
}

} // namespace velmora::sheet::xlsx
