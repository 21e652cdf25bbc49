#pragma once

// The styles part of an xlsx package: number formats, fonts, fills,
// borders and the cell formats (xf) made of them.

#include "platform/spreadsheet/xlsx_backend.h"
#include "platform/spreadsheet/xlsx_parts.h"
#include "platform/spreadsheet/xml_stream.h"

#include <map>
#include <optional>
#include <vector>

namespace velmora::sheet::xlsx {

// The colour of a <color>/<fgColor> element; nullopt for "automatic".
std::optional<Color> readColor(const char** attributes);
LineStyle lineStyleOf(const char* style, BorderWeight& weight);
HAlign hAlignOf(const char* text);
std::optional<VAlign> vAlignOf(const char* text);
// One element of a font description (<b/>, <sz val=.../>, ...) into `f`.
void readFontElement(Font& f, const char* name, const char** a);

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

XlsxBackend::Styles buildStyles(const StylesParser& p);

} // namespace velmora::sheet::xlsx
