#include "platform/spreadsheet/xlsx_styles.h"

#include "platform/spreadsheet/color.h"
#include "platform/spreadsheet/number_formats.h"
#include "platform/spreadsheet/xlsx_parts.h"
#include "platform/spreadsheet/xml_stream.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <vector>

namespace velmora::sheet::xlsx {

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

class StylesParser : public XmlStream {
public:
    using XmlStream::XmlStream;

    std::map<int, QString> numberFormats;
    std::vector<Font> fonts;
    struct FillEntry {
        std::optional<Color> color;
    };
    std::vector<FillEntry> fills;
    struct BorderEntry {
        Border left, top, right, bottom, diagonal;
        bool up = false, down = false;
    };
    std::vector<BorderEntry> borders;
    struct Xf {
        int numFmt = 0, font = 0, fill = 0, border = 0;
        HAlign h = HAlign::General;
        std::optional<VAlign> v;
        bool wrap = false;
        int indent = 0;
        bool locked = true;
    };
    std::vector<Xf> xfs;

protected:
    void startElement(const char* name, const char** a) override
    {
        if (is(name, "numFmt")) {
            if (const char* code = attribute(a, "formatCode"))
                numberFormats[toInt(attribute(a, "numFmtId"))] = QString::fromUtf8(code);
        } else if (is(name, "fonts")) {
            section_ = Section::Fonts;
        } else if (is(name, "fills")) {
            section_ = Section::Fills;
        } else if (is(name, "borders")) {
            section_ = Section::Borders;
        } else if (is(name, "cellXfs")) {
            section_ = Section::CellXfs;
        } else if (is(name, "cellStyleXfs") || is(name, "dxfs") || is(name, "cellStyles")) {
            section_ = Section::Other;
        } else if (section_ == Section::Fonts) {
            fontElement(name, a);
        } else if (section_ == Section::Fills) {
            if (is(name, "fill")) {
                fills.emplace_back();
                solid_ = false;
            } else if (is(name, "patternFill")) {
                const char* type = attribute(a, "patternType");
                solid_ = type && std::strcmp(type, "none") != 0 && std::strcmp(type, "gray125") != 0;
            } else if (is(name, "fgColor") && solid_ && !fills.empty()) {
                fills.back().color = readColor(a);
                if (!fills.back().color)
                    fills.back().color = Color::fromRgb(0x000000);
            }
        } else if (section_ == Section::Borders) {
            borderElement(name, a);
        } else if (section_ == Section::CellXfs) {
            if (is(name, "xf")) {
                Xf xf;
                xf.numFmt = toInt(attribute(a, "numFmtId"));
                xf.font = toInt(attribute(a, "fontId"));
                xf.fill = toInt(attribute(a, "fillId"));
                xf.border = toInt(attribute(a, "borderId"));
                xfs.push_back(xf);
            } else if (is(name, "alignment") && !xfs.empty()) {
                xfs.back().h = hAlignOf(attribute(a, "horizontal"));
                xfs.back().v = vAlignOf(attribute(a, "vertical"));
                xfs.back().wrap = toBool(attribute(a, "wrapText"));
                xfs.back().indent = toInt(attribute(a, "indent"));
            } else if (is(name, "protection") && !xfs.empty()) {
                xfs.back().locked = toBool(attribute(a, "locked"), true);
            }
        }
    }
    void endElement(const char* name) override
    {
        if (is(name, "fonts") || is(name, "fills") || is(name, "borders") || is(name, "cellXfs") ||
            is(name, "cellStyleXfs") || is(name, "dxfs"))
            section_ = Section::None;
        else if (section_ == Section::Borders && (is(name, "left") || is(name, "right") || is(name, "top") ||
                                                  is(name, "bottom") || is(name, "diagonal")))
            side_ = nullptr;
    }

private:
    void fontElement(const char* name, const char** a)
    {
        if (is(name, "font")) {
            fonts.emplace_back();
            return;
        }
        if (!fonts.empty())
            readFontElement(fonts.back(), name, a);
    }
    void borderElement(const char* name, const char** a)
    {
        if (is(name, "border")) {
            BorderEntry b;
            b.up = toBool(attribute(a, "diagonalUp"));
            b.down = toBool(attribute(a, "diagonalDown"));
            borders.push_back(b);
            return;
        }
        if (borders.empty())
            return;
        BorderEntry& b = borders.back();
        Border* side = is(name, "left") || is(name, "start")    ? &b.left
                       : is(name, "right") || is(name, "end")   ? &b.right
                       : is(name, "top")                        ? &b.top
                       : is(name, "bottom")                     ? &b.bottom
                       : is(name, "diagonal")                   ? &b.diagonal
                                                                : nullptr;
        if (side) {
            BorderWeight weight;
            side->style = lineStyleOf(attribute(a, "style"), weight);
            side->weight = weight;
            side_ = side;
        } else if (is(name, "color") && side_) {
            side_->color = readColor(a).value_or(Color());
        }
    }

    enum class Section { None, Fonts, Fills, Borders, CellXfs, Other } section_ = Section::None;
    bool solid_ = false;
    Border* side_ = nullptr;
};

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

} // namespace

XlsxBackend::Styles readStyles(const QString& path, const std::string& part, const std::string& data)
{
    StylesParser parser(path, part);
    parser.feed(data.data(), data.size(), true);
    return buildStyles(parser);
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

} // namespace velmora::sheet::xlsx
