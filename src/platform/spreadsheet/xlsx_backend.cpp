#include "platform/spreadsheet/xlsx_backend.h"

#include "platform/spreadsheet/color.h"
#include "platform/spreadsheet/formula.h"
#include "platform/spreadsheet/number_formats.h"
#include "platform/spreadsheet/sheet_error.h"
#include "platform/spreadsheet/xml_stream.h"

#include <QDateTime>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <unordered_map>

namespace velmora::sheet {

namespace {

// ---- small parsing helpers

int toInt(const char* text, int fallback = 0)
{
    if (!text)
        return fallback;
    int value = fallback;
    std::from_chars(text, text + std::strlen(text), value);
    return value;
}

double toDouble(const char* text, double fallback = 0)
{
    if (!text)
        return fallback;
    double value = fallback;
    std::from_chars(text, text + std::strlen(text), value);
    return value;
}

bool toBool(const char* text, bool fallback = false)
{
    if (!text)
        return fallback;
    return std::strcmp(text, "1") == 0 || std::strcmp(text, "true") == 0;
}

// "B7" -> {7, 2}; {0, 0} when malformed.
CellRef parseRef(const char* text)
{
    CellRef ref;
    if (!text)
        return ref;
    const char* p = text;
    if (*p == '$')
        ++p;
    int column = 0;
    int letters = 0;
    while ((*p >= 'A' && *p <= 'Z') || (*p >= 'a' && *p <= 'z')) {
        column = column * 26 + ((*p & ~0x20) - 'A' + 1);
        ++p;
        if (++letters > 3)
            return {};
    }
    if (*p == '$')
        ++p;
    long row = 0;
    int digits = 0;
    while (*p >= '0' && *p <= '9') {
        row = row * 10 + (*p - '0');
        ++p;
        if (++digits > 7)
            return {};
    }
    if (*p != '\0' && *p != ':')
        return {};
    ref.row = digits ? int(row) : 0;
    ref.column = letters ? column : 0;
    return ref;
}

std::optional<CellRange> parseRangeAttr(const char* text)
{
    if (!text)
        return std::nullopt;
    const char* colon = std::strchr(text, ':');
    const CellRef a = parseRef(text);
    const CellRef b = colon ? parseRef(colon + 1) : a;
    if (!a.isValid() || !b.isValid())
        return std::nullopt;
    return makeRange(a, b);
}

std::string folderOf(const std::string& part)
{
    const auto slash = part.rfind('/');
    return slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
}

// A relationship target relative to the folder of its source part.
std::string resolvePart(const std::string& baseFolder, const std::string& target)
{
    std::string path = target.empty() || target[0] != '/' ? baseFolder + target : target.substr(1);
    // Fold "a/../b" and "./".
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const auto end = path.find('/', start);
        const std::string piece = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (piece == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!piece.empty() && piece != ".") {
            parts.push_back(piece);
        }
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    std::string out;
    for (const auto& p : parts)
        out += (out.empty() ? "" : "/") + p;
    return out;
}

std::string relsPartFor(const std::string& part)
{
    return folderOf(part) + "_rels/" + part.substr(folderOf(part).size()) + ".rels";
}

// ---- relationships

struct Relationship {
    std::string type;
    std::string target;
    bool external = false;
};

class RelsParser : public XmlStream {
public:
    using XmlStream::XmlStream;
    std::map<std::string, Relationship> byId;

protected:
    void startElement(const char* name, const char** attributes) override
    {
        if (!is(name, "Relationship"))
            return;
        const char* id = attribute(attributes, "Id");
        const char* target = attribute(attributes, "Target");
        const char* type = attribute(attributes, "Type");
        const char* mode = attribute(attributes, "TargetMode");
        if (id && target)
            byId[id] = Relationship{type ? type : "", target, mode && std::strcmp(mode, "External") == 0};
    }
    void endElement(const char*) override {}
};

std::map<std::string, Relationship> readRels(ZipArchive& zip, const QString& path, const std::string& part)
{
    const std::string rels = relsPartFor(part);
    if (!zip.contains(rels))
        return {};
    RelsParser parser(path, rels);
    const std::string data = zip.read(rels);
    parser.feed(data.data(), data.size(), true);
    return parser.byId;
}

bool endsWith(const std::string& text, const char* tail)
{
    const std::size_t n = std::strlen(tail);
    return text.size() >= n && text.compare(text.size() - n, n, tail) == 0;
}

// ---- workbook part

class WorkbookParser : public XmlStream {
public:
    using XmlStream::XmlStream;
    struct Sheet {
        QString name;
        std::string relId;
    };
    std::vector<Sheet> sheets;
    bool date1904 = false;

protected:
    void startElement(const char* name, const char** attributes) override
    {
        if (is(name, "sheet")) {
            const char* sheetName = attribute(attributes, "name");
            const char* id = attribute(attributes, "id");
            if (sheetName && id)
                sheets.push_back(Sheet{QString::fromUtf8(sheetName), id});
        } else if (is(name, "workbookPr")) {
            date1904 = toBool(attribute(attributes, "date1904"));
        }
    }
    void endElement(const char*) override {}
};

// ---- shared strings

class SharedStringsParser : public XmlStream {
public:
    SharedStringsParser(const QString& path, const std::string& part, StringPool& pool,
                        std::vector<StringPool::Span>& spans)
        : XmlStream(path, part), pool_(pool), spans_(spans)
    {
    }

protected:
    void startElement(const char* name, const char** attributes) override
    {
        if (is(name, "si")) {
            current_.clear();
            inItem_ = true;
        } else if (is(name, "t") && inItem_ && phonetic_ == 0) {
            text.clear();
            collectText = true;
        } else if (is(name, "rPh")) {
            ++phonetic_;
        } else if (is(name, "sst")) {
            if (const char* unique = attribute(attributes, "uniqueCount"))
                spans_.reserve(std::size_t(std::max(0, toInt(unique))));
        }
    }
    void endElement(const char* name) override
    {
        if (is(name, "t") && collectText) {
            current_ += text;
            collectText = false;
        } else if (is(name, "rPh")) {
            --phonetic_;
        } else if (is(name, "si")) {
            const QString value = decodeXlsxString(current_);
            spans_.push_back(pool_.add(value));
            inItem_ = false;
        }
    }

private:
    StringPool& pool_;
    std::vector<StringPool::Span>& spans_;
    std::string current_;
    bool inItem_ = false;
    int phonetic_ = 0;
};

// ---- styles

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
            Font f;
            f.bold = false;
            fonts.push_back(f);
            return;
        }
        if (fonts.empty())
            return;
        Font& f = fonts.back();
        const char* val = attribute(a, "val");
        if (is(name, "b"))
            f.bold = toBool(val, true);
        else if (is(name, "i"))
            f.italic = toBool(val, true);
        else if (is(name, "strike"))
            f.strikeout = toBool(val, true);
        else if (is(name, "u"))
            f.underline = !val || std::strcmp(val, "none") != 0;
        else if (is(name, "sz"))
            f.size = toDouble(val, 11);
        else if (is(name, "name") || is(name, "rFont"))
            f.name = QString::fromUtf8(val ? val : "Calibri");
        else if (is(name, "color"))
            f.color = readColor(a).value_or(Color());
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

// ---- sheet part

double isoToDayNumber(const std::string& text)
{
    QDateTime dt = QDateTime::fromString(QString::fromStdString(text), Qt::ISODateWithMs);
    if (!dt.isValid())
        dt = QDateTime(QDate::fromString(QString::fromStdString(text), Qt::ISODate), QTime(0, 0));
    return dt.isValid() ? toDayNumber(dt) : 0;
}

// The file stores a column's width with the cell padding included; the
// spreadsheet's ColumnWidth (and the writer's input) is in characters of
// the default font's digit width, 7 pixels plus 5 pixels padding.
double userWidth(double fileWidth)
{
    if (fileWidth <= 0)
        return fileWidth;
    const int pixels = int(fileWidth * 7 + 0.5);
    const double characters = pixels >= 12 ? (pixels - 5) / 7.0 : pixels / 12.0;
    return std::round(characters * 100) / 100;
}

class SheetParser : public XmlStream {
public:
    SheetParser(const QString& path, const std::string& part, CellSink& sink, const std::vector<StringPool::Span>& sst,
                const StringPool* pool, const std::vector<bool>& isDate, bool date1904, SheetInfo& info,
                SheetLayout* layout)
        : XmlStream(path, part), sink_(sink), sst_(sst), pool_(pool), isDate_(isDate), date1904_(date1904),
          info_(info), layout_(layout), path_(path)
    {
    }
    std::vector<std::pair<CellRange, std::string>> linkIds; // hyperlinks waiting for their targets

protected:
    void startElement(const char* name, const char** a) override
    {
        if (inCell_) {
            if (is(name, "v")) {
                text.clear();
                collectText = true;
            } else if (is(name, "f")) {
                text.clear();
                collectText = true;
                const char* type = attribute(a, "t");
                sharedIndex_ = -1;
                sharedMaster_ = false;
                if (type && std::strcmp(type, "shared") == 0) {
                    sharedIndex_ = toInt(attribute(a, "si"), -1);
                    sharedMaster_ = attribute(a, "ref") != nullptr;
                }
                inFormula_ = true;
            } else if (is(name, "is")) {
                inline_.clear();
                inInline_ = true;
            } else if (is(name, "t") && inInline_ && phonetic_ == 0) {
                text.clear();
                collectText = true;
            } else if (is(name, "rPh")) {
                ++phonetic_;
            }
            return;
        }
        if (is(name, "c")) {
            startCell(a);
        } else if (is(name, "row")) {
            startRow(a);
        } else if (is(name, "dimension")) {
            if (auto r = parseRangeAttr(attribute(a, "ref")))
                sink_.dimension(r->last);
        } else if (is(name, "mergeCell")) {
            if (auto r = parseRangeAttr(attribute(a, "ref")))
                info_.merges.push_back(*r);
        } else if (is(name, "hyperlink")) {
            hyperlink(a);
        } else if (layout_) {
            layoutElement(name, a);
        }
    }

    void endElement(const char* name) override
    {
        if (!inCell_)
            return;
        if (is(name, "v")) {
            value_ = text;
            hasValue_ = true;
            collectText = false;
        } else if (is(name, "f")) {
            formulaText_ = text;
            collectText = false;
            inFormula_ = false;
        } else if (is(name, "t") && inInline_ && collectText) {
            inline_ += text;
            collectText = false;
        } else if (is(name, "rPh")) {
            --phonetic_;
        } else if (is(name, "is")) {
            inInline_ = false;
            hasInline_ = true;
        } else if (is(name, "c")) {
            endCell();
        }
    }

private:
    void startRow(const char** a)
    {
        const int r = toInt(attribute(a, "r"));
        row_ = r > 0 ? r : row_ + 1;
        column_ = 0;
        if (row_ > kMaxRows)
            throw SheetError(QStringLiteral("Книга \"%1\" повреждена: номер строки %2 вне листа").arg(path_).arg(row_));
        RowEvent e;
        e.row = row_;
        if (toBool(attribute(a, "customHeight")) || layout_)
            e.height = toDouble(attribute(a, "ht"));
        e.outlineLevel = std::uint8_t(std::clamp(toInt(attribute(a, "outlineLevel")), 0, 7));
        e.hidden = toBool(attribute(a, "hidden"));
        e.collapsed = toBool(attribute(a, "collapsed"));
        if (toBool(attribute(a, "customFormat")))
            e.xf = std::uint32_t(std::max(0, toInt(attribute(a, "s"))));
        if (!sink_.row(e))
            stop();
    }

    void startCell(const char** a)
    {
        inCell_ = true;
        hasValue_ = false;
        hasInline_ = false;
        value_.clear();
        formulaText_.clear();
        sharedIndex_ = -1;
        sharedMaster_ = false;
        const char* ref = attribute(a, "r");
        CellRef cell = ref ? parseRef(ref) : CellRef{row_, column_ + 1};
        if (cell.row == 0)
            cell.row = row_ > 0 ? row_ : 1;
        if (!cell.isValid())
            throw SheetError(QStringLiteral("Книга \"%1\" повреждена: неверный адрес ячейки \"%2\"")
                                 .arg(path_, QString::fromUtf8(ref ? ref : "")));
        row_ = cell.row;
        column_ = cell.column;
        xf_ = std::uint32_t(std::max(0, toInt(attribute(a, "s"))));
        const char* t = attribute(a, "t");
        type_ = !t                            ? Type::Number
                : std::strcmp(t, "s") == 0    ? Type::Shared
                : std::strcmp(t, "str") == 0  ? Type::String
                : std::strcmp(t, "inlineStr") == 0 ? Type::Inline
                : std::strcmp(t, "b") == 0    ? Type::Bool
                : std::strcmp(t, "e") == 0    ? Type::Error
                : std::strcmp(t, "d") == 0    ? Type::IsoDate
                                              : Type::Number;
    }

    void endCell()
    {
        inCell_ = false;
        CellEvent& e = event_;
        e.row = row_;
        e.column = column_;
        e.xf = xf_;
        e.pool = nullptr;
        e.text.clear();
        e.type = CellType::Empty;
        e.number = 0;
        switch (type_) {
        case Type::Number:
            if (hasValue_ && !value_.empty()) {
                e.number = 0;
                const auto res = std::from_chars(value_.data(), value_.data() + value_.size(), e.number);
                if (res.ec != std::errc())
                    e.number = std::atof(value_.c_str());
                const bool date = xf_ < isDate_.size() && isDate_[xf_];
                if (date && date1904_)
                    e.number += 1462;
                e.type = date ? CellType::Date : CellType::Number;
            }
            break;
        case Type::Shared:
            if (hasValue_) {
                const int index = std::atoi(value_.c_str());
                if (index < 0 || std::size_t(index) >= sst_.size())
                    throw SheetError(QStringLiteral("Книга \"%1\" повреждена: нет общей строки %2 (ячейка %3)")
                                         .arg(path_)
                                         .arg(index)
                                         .arg(toA1(CellRef{row_, column_})));
                e.pool = pool_;
                e.span = sst_[std::size_t(index)];
                e.type = CellType::Text;
            }
            break;
        case Type::String:
            if (hasValue_) {
                e.text = decodeXlsxString(value_);
                e.type = CellType::Text;
            }
            break;
        case Type::Inline:
            if (hasInline_) {
                e.text = decodeXlsxString(inline_);
                e.type = CellType::Text;
            }
            break;
        case Type::Bool:
            if (hasValue_) {
                e.number = value_ == "1" || value_ == "true" ? 1 : 0;
                e.type = CellType::Boolean;
            }
            break;
        case Type::Error:
            if (hasValue_) {
                e.text = QString::fromStdString(value_);
                e.type = CellType::Error;
            }
            break;
        case Type::IsoDate:
            if (hasValue_) {
                e.number = isoToDayNumber(value_);
                e.type = CellType::Date;
            }
            break;
        }
        e.formula.clear();
        if (!formulaText_.empty()) {
            e.formula = u'=' + QString::fromUtf8(formulaText_.data(), qsizetype(formulaText_.size()));
            if (sharedIndex_ >= 0 && sharedMaster_)
                shared_[sharedIndex_] = SharedFormula{e.formula, CellRef{row_, column_}};
        } else if (sharedIndex_ >= 0) {
            auto it = shared_.find(sharedIndex_);
            if (it != shared_.end())
                e.formula = moveA1Formula(it->second.text, row_ - it->second.origin.row,
                                          column_ - it->second.origin.column);
        }
        if (e.type == CellType::Empty && e.formula.isEmpty() && (!layout_ || xf_ == 0))
            return;
        if (!sink_.cell(e))
            stop();
    }

    void hyperlink(const char** a)
    {
        auto range = parseRangeAttr(attribute(a, "ref"));
        if (!range)
            return;
        Hyperlink link;
        link.range = *range;
        if (const char* location = attribute(a, "location"))
            link.subAddress = QString::fromUtf8(location);
        info_.hyperlinks.push_back(link);
        if (const char* id = attribute(a, "id"))
            linkIds.emplace_back(*range, id);
    }

    void layoutElement(const char* name, const char** a)
    {
        if (is(name, "col")) {
            const int first = std::max(1, toInt(attribute(a, "min"), 1));
            const int last = std::min(kMaxColumns, toInt(attribute(a, "max"), first));
            StoredColumn column;
            if (const char* width = attribute(a, "width"))
                column.width = userWidth(toDouble(width, -1));
            if (const char* style = attribute(a, "style"))
                column.style = std::uint32_t(std::max(0, toInt(style)));
            column.hidden = toBool(attribute(a, "hidden"));
            column.outlineLevel = std::uint8_t(std::clamp(toInt(attribute(a, "outlineLevel")), 0, 7));
            // A span over the whole width (a default for all columns) is kept
            // only up to a sensible width.
            for (int c = first; c <= std::min(last, first + 1024); ++c)
                layout_->columns[c] = column;
        } else if (is(name, "outlinePr")) {
            layout_->summaryAbove = !toBool(attribute(a, "summaryBelow"), true);
            layout_->summaryLeft = !toBool(attribute(a, "summaryRight"), true);
        } else if (is(name, "autoFilter")) {
            layout_->autoFilter = parseRangeAttr(attribute(a, "ref"));
        } else if (is(name, "selection")) {
            const CellRef active = parseRef(attribute(a, "activeCell"));
            if (active.isValid())
                layout_->activeCell = active;
        } else if (is(name, "sheetFormatPr")) {
            layout_->defaultRowHeight = toDouble(attribute(a, "defaultRowHeight"), 15);
            if (const char* width = attribute(a, "defaultColWidth"))
                layout_->defaultColumnWidth = toDouble(width, 8.43);
        } else if (is(name, "pane")) {
            const char* state = attribute(a, "state");
            if (state && std::strcmp(state, "frozen") == 0) {
                layout_->freezeAt = CellRef{toInt(attribute(a, "ySplit")) + 1, toInt(attribute(a, "xSplit")) + 1};
            }
        }
    }

    enum class Type { Number, Shared, String, Inline, Bool, Error, IsoDate };
    struct SharedFormula {
        QString text;
        CellRef origin;
    };

    CellSink& sink_;
    const std::vector<StringPool::Span>& sst_;
    const StringPool* pool_;
    const std::vector<bool>& isDate_;
    bool date1904_;
    SheetInfo& info_;
    SheetLayout* layout_;
    QString path_;

    int row_ = 0;
    int column_ = 0;
    bool inCell_ = false;
    bool inFormula_ = false;
    bool inInline_ = false;
    int phonetic_ = 0;
    bool hasValue_ = false;
    bool hasInline_ = false;
    Type type_ = Type::Number;
    std::uint32_t xf_ = 0;
    std::string value_;
    std::string formulaText_;
    std::string inline_;
    int sharedIndex_ = -1;
    bool sharedMaster_ = false;
    std::unordered_map<int, SharedFormula> shared_;
    CellEvent event_;
};

} // namespace

XlsxBackend::XlsxBackend(const QString& path) : path_(path), zip_(std::make_unique<ZipArchive>(path))
{
    // The main part, from the package relationships (normally xl/workbook.xml).
    std::string workbookPart = "xl/workbook.xml";
    for (const auto& [id, rel] : readRels(*zip_, path, ""))
        if (endsWith(rel.type, "/officeDocument"))
            workbookPart = resolvePart("", rel.target);
    if (!zip_->contains(workbookPart)) {
        if (zip_->contains("EncryptedPackage"))
            throw SheetError(QStringLiteral("Книга \"%1\" защищена паролем").arg(path));
        throw SheetError(QStringLiteral("Файл \"%1\" не является книгой Excel (xlsx): нет части %2")
                             .arg(path, QString::fromStdString(workbookPart)));
    }
    WorkbookParser book(path, workbookPart);
    const std::string data = zip_->read(workbookPart);
    book.feed(data.data(), data.size(), true);
    date1904_ = book.date1904;
    const auto rels = readRels(*zip_, path, workbookPart);
    const std::string base = folderOf(workbookPart);
    for (const auto& [id, rel] : rels) {
        if (endsWith(rel.type, "/sharedStrings"))
            sharedStringsPart_ = resolvePart(base, rel.target);
        else if (endsWith(rel.type, "/styles"))
            stylesPart_ = resolvePart(base, rel.target);
    }
    for (const auto& sheet : book.sheets) {
        auto rel = rels.find(sheet.relId);
        // Chart sheets and dialog sheets are not worksheets.
        if (rel == rels.end() || !endsWith(rel->second.type, "/worksheet"))
            continue;
        sheets_.push_back(SheetEntry{sheet.name, resolvePart(base, rel->second.target)});
    }
    if (sheets_.empty())
        throw SheetError(QStringLiteral("В книге \"%1\" нет ни одного листа").arg(path));
}

QStringList XlsxBackend::sheetNames() const
{
    QStringList names;
    for (const auto& s : sheets_)
        names << s.name;
    return names;
}

void XlsxBackend::loadShared()
{
    if (sharedLoaded_)
        return;
    pool_ = std::make_shared<StringPool>();
    if (!sharedStringsPart_.empty() && zip_->contains(sharedStringsPart_)) {
        SharedStringsParser parser(path_, sharedStringsPart_, *pool_, strings_);
        zip_->stream(sharedStringsPart_, [&](const char* bytes, std::size_t size) {
            parser.feed(bytes, size, false);
            return true;
        });
        parser.feed("", 0, true);
    }
    if (!stylesPart_.empty() && zip_->contains(stylesPart_)) {
        StylesParser parser(path_, stylesPart_);
        const std::string data = zip_->read(stylesPart_);
        parser.feed(data.data(), data.size(), true);
        styles_ = buildStyles(parser);
    } else {
        styles_.cells.emplace_back();
        styles_.isDate.push_back(false);
    }
    sharedLoaded_ = true;
}

std::shared_ptr<const StringPool> XlsxBackend::sharedPool() const
{
    const_cast<XlsxBackend*>(this)->loadShared();
    return pool_;
}

const std::vector<CellStyle>& XlsxBackend::cellStyles()
{
    loadShared();
    return styles_.cells;
}

SheetInfo XlsxBackend::read(int index, CellSink& sink, SheetLayout* layout)
{
    loadShared();
    const SheetEntry& entry = sheets_[std::size_t(index - 1)];
    SheetInfo info;
    info.name = entry.name;
    SheetParser parser(path_, entry.part, sink, strings_, pool_.get(), styles_.isDate, date1904_, info, layout);
    zip_->stream(entry.part, [&](const char* bytes, std::size_t size) {
        parser.feed(bytes, size, false);
        return !parser.stopped();
    });
    if (!parser.stopped())
        parser.feed("", 0, true);
    if (!parser.linkIds.empty()) {
        const auto rels = readRels(*zip_, path_, entry.part);
        for (const auto& [range, id] : parser.linkIds) {
            auto rel = rels.find(id);
            if (rel == rels.end())
                continue;
            for (Hyperlink& link : info.hyperlinks)
                if (link.range == range && link.address.isEmpty())
                    link.address = QString::fromStdString(rel->second.target);
        }
    }
    return info;
}

std::unique_ptr<WorkbookReader::Backend> makeXlsxBackend(const QString& path)
{
    return std::make_unique<XlsxBackend>(path);
}

} // namespace velmora::sheet
