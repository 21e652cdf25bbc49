#include "platform/spreadsheet/xlsx_backend.h"

#include "platform/spreadsheet/color.h"
#include "platform/spreadsheet/formula.h"
#include "platform/spreadsheet/number_formats.h"
#include "platform/spreadsheet/sheet_error.h"
#include "platform/spreadsheet/xml_stream.h"

#include <QDateTime>
#include <cctype>
#include <charconv>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <exception>
#include <thread>
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
    struct DefinedName {
        std::string name;
        int sheet = -1;
        std::string value;
    };
    std::vector<DefinedName> names;

protected:
    void startElement(const char* name, const char** attributes) override
    {
        if (is(name, "definedName")) {
            const char* n = attribute(attributes, "name");
            const char* local = attribute(attributes, "localSheetId");
            names.push_back(DefinedName{n ? n : "", local ? toInt(local, -1) : -1, {}});
            text.clear();
            collectText = true;
        } else if (is(name, "sheet")) {
            const char* sheetName = attribute(attributes, "name");
            const char* id = attribute(attributes, "id");
            if (sheetName && id)
                sheets.push_back(Sheet{QString::fromUtf8(sheetName), id});
        } else if (is(name, "workbookPr")) {
            date1904 = toBool(attribute(attributes, "date1904"));
        }
    }
    void endElement(const char* name) override
    {
        if (is(name, "definedName") && !names.empty()) {
            names.back().value = text;
            collectText = false;
        }
    }
};

// "'Заказ'!$13:$14" -> rows 13..14; "Лист1!$A$1:$H$40" -> that range.
std::optional<std::pair<int, int>> printTitleRows(const std::string& value)
{
    // Print titles may name rows and columns, joined by ",": take the rows.
    const QString all = QString::fromStdString(value);
    for (QString part : all.split(u',')) {
        const qsizetype bang = part.lastIndexOf(u'!');
        part = part.mid(bang + 1).remove(u'$');
        const QStringList ends = part.split(u':');
        bool ok1 = false, ok2 = false;
        const int first = ends.value(0).toInt(&ok1);
        const int last = ends.value(1).toInt(&ok2);
        if (ends.size() == 2 && ok1 && ok2 && first >= 1 && last >= first && last <= kMaxRows)
            return std::make_pair(first, last);
    }
    return std::nullopt;
}

std::optional<CellRange> printAreaRange(const std::string& value)
{
    QString part = QString::fromStdString(value).split(u',').value(0);
    part = part.mid(part.lastIndexOf(u'!') + 1).remove(u'$');
    try {
        return parseRange(part);
    } catch (const SheetError&) {
        return std::nullopt;
    }
}

// ---- shared strings

void readFontElement(Font& font, const char* name, const char** attributes);

class SharedStringsParser : public XmlStream {
public:
    // `runs`, when given, gets the rich-text runs of the strings that have
    // them, by string index.
    SharedStringsParser(const QString& path, const std::string& part, StringPool& pool,
                        std::vector<StringPool::Span>& spans, std::map<int, std::vector<FileRichRun>>* runs = nullptr)
        : XmlStream(path, part), pool_(pool), spans_(spans), runs_(runs)
    {
    }

protected:
    void startElement(const char* name, const char** attributes) override
    {
        if (is(name, "si")) {
            current_.clear();
            currentRuns_.clear();
            length_ = 0;
            inItem_ = true;
        } else if (runs_ && inItem_ && phonetic_ == 0 && is(name, "r")) {
            currentRuns_.push_back(FileRichRun{length_, 0, std::nullopt});
        } else if (runs_ && !currentRuns_.empty() && is(name, "rPr")) {
            currentRuns_.back().font = Font();
            inRunProperties_ = true;
        } else if (inRunProperties_) {
            readFontElement(*currentRuns_.back().font, name, attributes);
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
        if (is(name, "rPr")) {
            inRunProperties_ = false;
        } else if (is(name, "t") && collectText) {
            current_ += text;
            collectText = false;
            if (runs_) {
                const int units = int(decodeXlsxString(text).size());
                length_ += units;
                if (!currentRuns_.empty())
                    currentRuns_.back().length += units;
            }
        } else if (is(name, "rPh")) {
            --phonetic_;
        } else if (is(name, "si")) {
            if (current_.find("_x") == std::string::npos)
                spans_.push_back(pool_.addUtf8(current_.data(), current_.size()));
            else
                spans_.push_back(pool_.add(decodeXlsxString(current_)));
            if (runs_ && currentRuns_.size() > 1)
                (*runs_)[int(spans_.size() - 1)] = std::move(currentRuns_);
            inItem_ = false;
        }
    }

private:
    StringPool& pool_;
    std::vector<StringPool::Span>& spans_;
    std::map<int, std::vector<FileRichRun>>* runs_;
    std::vector<FileRichRun> currentRuns_;
    bool inRunProperties_ = false;
    int length_ = 0;
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

// A row or cell as the sheet parser met it, before its row number and
// shared formula are settled: that needs the rows in order, while chunks of
// a large sheet are parsed on several threads.
struct RawItem {
    bool isRow = false;
    bool hasRef = false; // the element had its own r attribute
    RowEvent row;
    CellEvent cell;
    int sharedSi = -1;
    bool sharedMaster = false;
};

// Numbers rows and cells that carry no address, expands shared formulas
// and hands each item to the sink, in sheet order.
class Delivery {
public:
    Delivery(CellSink& sink, const QString& path, bool keepStyledBlanks)
        : sink_(sink), path_(path), keepStyledBlanks_(keepStyledBlanks)
    {
    }
    // false when the sink asked to stop.
    bool deliver(RawItem& item)
    {
        if (item.isRow) {
            row_ = item.hasRef ? item.row.row : row_ + 1;
            column_ = 0;
            if (row_ < 1 || row_ > kMaxRows)
                throw SheetError(
                    QStringLiteral("Книга \"%1\" повреждена: номер строки %2 вне листа").arg(path_).arg(row_));
            item.row.row = row_;
            return sink_.row(item.row);
        }
        CellEvent& e = item.cell;
        if (!item.hasRef) {
            e.row = row_ > 0 ? row_ : 1;
            e.column = column_ + 1;
        } else if (e.row == 0) {
            e.row = row_ > 0 ? row_ : 1;
        }
        if (!CellRef{e.row, e.column}.isValid())
            throw SheetError(QStringLiteral("Книга \"%1\" повреждена: ячейка (%2, %3) вне листа")
                                 .arg(path_)
                                 .arg(e.row)
                                 .arg(e.column));
        row_ = e.row;
        column_ = e.column;
        if (!e.formula.isEmpty()) {
            if (item.sharedSi >= 0 && item.sharedMaster)
                shared_[item.sharedSi] = SharedFormula{e.formula, CellRef{row_, column_}};
        } else if (item.sharedSi >= 0) {
            auto it = shared_.find(item.sharedSi);
            if (it != shared_.end())
                e.formula =
                    moveA1Formula(it->second.text, row_ - it->second.origin.row, column_ - it->second.origin.column);
        }
        if (e.type == CellType::Empty && e.formula.isEmpty() && (!keepStyledBlanks_ || e.xf == 0))
            return true;
        return sink_.cell(e);
    }

private:
    struct SharedFormula {
        QString text;
        CellRef origin;
    };
    CellSink& sink_;
    QString path_;
    bool keepStyledBlanks_;
    int row_ = 0;
    int column_ = 0;
    std::unordered_map<int, SharedFormula> shared_;
};

class SheetParser : public XmlStream {
public:
    SheetParser(const QString& path, const std::string& part, CellSink& sink, const std::vector<StringPool::Span>* sst,
                const StringPool* pool, const std::vector<bool>& isDate, bool date1904, SheetInfo& info,
                SheetLayout* layout)
        : XmlStream(path, part), sink_(sink), sst_(sst), pool_(pool), isDate_(isDate), date1904_(date1904),
          info_(info), layout_(layout), path_(path), delivery_(sink, path, layout != nullptr)
    {
    }
    std::vector<std::pair<CellRange, std::string>> linkIds; // hyperlinks waiting for their targets

    // Rows and cells go to `items` instead of the sink (a chunk parsed on a
    // worker thread); deliver() hands them over later, in order.
    void recordInto(std::vector<RawItem>* items, StringPool* texts)
    {
        record_ = items;
        texts_ = texts;
    }
    bool deliver(RawItem& item) { return delivery_.deliver(item); }

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
        RawItem item;
        item.isRow = true;
        RowEvent& e = item.row;
        const char* ref = nullptr;
        const char* height = nullptr;
        const char* customHeight = nullptr;
        const char* level = nullptr;
        const char* hidden = nullptr;
        const char* collapsed = nullptr;
        const char* style = nullptr;
        const char* customFormat = nullptr;
        for (const char** p = a; *p; p += 2) {
            const char* n = localName(p[0]);
            if (is(n, "r"))
                ref = p[1];
            else if (is(n, "ht"))
                height = p[1];
            else if (is(n, "customHeight"))
                customHeight = p[1];
            else if (is(n, "outlineLevel"))
                level = p[1];
            else if (is(n, "hidden"))
                hidden = p[1];
            else if (is(n, "collapsed"))
                collapsed = p[1];
            else if (is(n, "s"))
                style = p[1];
            else if (is(n, "customFormat"))
                customFormat = p[1];
        }
        item.hasRef = ref != nullptr;
        e.row = toInt(ref);
        if (toBool(customHeight) || layout_)
            e.height = toDouble(height);
        e.outlineLevel = std::uint8_t(std::clamp(toInt(level), 0, 7));
        e.hidden = toBool(hidden);
        e.collapsed = toBool(collapsed);
        if (toBool(customFormat))
            e.xf = std::uint32_t(std::max(0, toInt(style)));
        put(item);
    }

    void put(RawItem& item)
    {
        if (record_)
            record_->push_back(std::move(item));
        else if (!delivery_.deliver(item))
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
        const char* ref = nullptr;
        const char* style = nullptr;
        const char* t = nullptr;
        for (const char** p = a; *p; p += 2) {
            const char* n = localName(p[0]);
            if (n[0] == 'r' && n[1] == 0)
                ref = p[1];
            else if (n[0] == 's' && n[1] == 0)
                style = p[1];
            else if (n[0] == 't' && n[1] == 0)
                t = p[1];
        }
        hasRef_ = ref != nullptr;
        ref_ = CellRef{};
        if (ref) {
            ref_ = parseRef(ref);
            if (ref_.column == 0)
                throw SheetError(QStringLiteral("Книга \"%1\" повреждена: неверный адрес ячейки \"%2\"")
                                     .arg(path_, QString::fromUtf8(ref)));
        }
        xf_ = std::uint32_t(std::max(0, toInt(style)));
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
        RawItem item;
        item.hasRef = hasRef_;
        CellEvent& e = item.cell;
        e.row = ref_.row;
        e.column = ref_.column;
        e.xf = xf_;
        e.pool = nullptr;
        e.sharedIndex = -1;
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
                if (!sst_) {
                    e.sharedIndex = index;
                    e.type = CellType::Text;
                    break;
                }
                if (index < 0 || std::size_t(index) >= sst_->size())
                    throw SheetError(QStringLiteral("Книга \"%1\" повреждена: нет общей строки %2 (ячейка %3)")
                                         .arg(path_)
                                         .arg(index)
                                         .arg(hasRef_ ? toA1(ref_) : QString()));
                e.pool = pool_;
                e.span = (*sst_)[std::size_t(index)];
                e.sharedIndex = index;
                e.type = CellType::Text;
            }
            break;
        case Type::String:
            if (hasValue_) {
                setText(e, value_);
                e.type = CellType::Text;
            }
            break;
        case Type::Inline:
            if (hasInline_) {
                setText(e, inline_);
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
        if (!formulaText_.empty())
            e.formula = u'=' + QString::fromUtf8(formulaText_.data(), qsizetype(formulaText_.size()));
        item.sharedSi = sharedIndex_;
        item.sharedMaster = sharedMaster_;
        if (e.type == CellType::Empty && e.formula.isEmpty() && sharedIndex_ < 0 && (!layout_ || xf_ == 0))
            return;
        put(item);
    }

    // A recorded chunk keeps its texts in its own pool: no allocation per
    // cell on the worker, none to free on the reading thread.
    void setText(CellEvent& e, const std::string& utf8)
    {
        if (texts_ && utf8.find("_x") == std::string::npos) {
            e.pool = texts_;
            e.span = texts_->addUtf8(utf8.data(), utf8.size());
        } else {
            e.text = decodeXlsxString(utf8);
        }
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
        } else if (is(name, "pageSetUpPr")) {
            layout_->page.fitToPages = toBool(attribute(a, "fitToPage"));
        } else if (is(name, "pageMargins")) {
            PageSetup& p = layout_->page;
            if (const char* v = attribute(a, "left"))
                p.marginLeft = toDouble(v);
            if (const char* v = attribute(a, "right"))
                p.marginRight = toDouble(v);
            if (const char* v = attribute(a, "top"))
                p.marginTop = toDouble(v);
            if (const char* v = attribute(a, "bottom"))
                p.marginBottom = toDouble(v);
            if (const char* v = attribute(a, "header"))
                p.marginHeader = toDouble(v);
            if (const char* v = attribute(a, "footer"))
                p.marginFooter = toDouble(v);
        } else if (is(name, "pageSetup")) {
            PageSetup& p = layout_->page;
            const char* orientation = attribute(a, "orientation");
            p.landscape = orientation && std::strcmp(orientation, "landscape") == 0;
            p.paperSize = toInt(attribute(a, "paperSize"));
            p.scale = std::clamp(toInt(attribute(a, "scale"), 100), 10, 400);
            p.fitWidth = toInt(attribute(a, "fitToWidth"), 1);
            p.fitHeight = toInt(attribute(a, "fitToHeight"), 1);
        } else if (is(name, "printOptions")) {
            layout_->page.centerHorizontally = toBool(attribute(a, "horizontalCentered"));
            layout_->page.centerVertically = toBool(attribute(a, "verticalCentered"));
        } else if (is(name, "pane")) {
            const char* state = attribute(a, "state");
            if (state && std::strcmp(state, "frozen") == 0) {
                layout_->freezeAt = CellRef{toInt(attribute(a, "ySplit")) + 1, toInt(attribute(a, "xSplit")) + 1};
            }
        }
    }

    enum class Type { Number, Shared, String, Inline, Bool, Error, IsoDate };

    CellSink& sink_;
    const std::vector<StringPool::Span>* sst_; // nullptr: shared strings go by index
    const StringPool* pool_;
    const std::vector<bool>& isDate_;
    bool date1904_;
    SheetInfo& info_;
    SheetLayout* layout_;
    QString path_;

    Delivery delivery_;
    std::vector<RawItem>* record_ = nullptr;
    StringPool* texts_ = nullptr; // where recorded texts are kept
    bool hasRef_ = false;
    CellRef ref_;
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
};

// ---- parallel parsing of large sheets
//
// expat reads about 150 MB of XML a second; a sheet of a million rows is
// several hundred MB. Its rows are cut into chunks at row ends, each parsed
// by its own expat parser on a worker thread, and the results are handed to
// the sink in order on the calling thread. The part before the rows and the
// part after them (merges, hyperlinks) go through the main parser.

bool isXmlNameChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.';
}

// Whether the name at `at` in b is directly preceded by `opener` ("<" or
// "</"), allowing a namespace prefix in between.
bool tagStartsBefore(const std::string& b, std::size_t at, const char* opener)
{
    std::size_t k = at;
    if (k >= 1 && b[k - 1] == ':') {
        --k;
        while (k > 0 && isXmlNameChar(b[k - 1]))
            --k;
    }
    const std::size_t n = std::strlen(opener);
    return k >= n && b.compare(k - n, n, opener) == 0;
}

// Just past the sheetData start tag, or npos when it is not (yet) there.
std::size_t sheetDataStart(const std::string& b, bool& selfClosing)
{
    std::size_t p = 0;
    while ((p = b.find("sheetData", p)) != std::string::npos) {
        const std::size_t after = p + 9;
        if (tagStartsBefore(b, p, "<") && after < b.size() &&
            (b[after] == '>' || b[after] == '/' || std::isspace(static_cast<unsigned char>(b[after])))) {
            const std::size_t close = b.find('>', after);
            if (close == std::string::npos)
                return std::string::npos;
            selfClosing = b[close - 1] == '/';
            return close + 1;
        }
        p = after;
    }
    return std::string::npos;
}

// Where the sheetData end tag begins, at or after `from`; npos when none.
std::size_t sheetDataEnd(const std::string& b, std::size_t from)
{
    std::size_t p = from;
    while ((p = b.find("sheetData>", p)) != std::string::npos) {
        if (tagStartsBefore(b, p, "</")) {
            std::size_t k = p;
            if (b[k - 1] == ':') {
                --k;
                while (k > 0 && isXmlNameChar(b[k - 1]))
                    --k;
            }
            return k - 2;
        }
        p += 10;
    }
    return std::string::npos;
}

// The end of the last complete row in b, outside comments and CDATA; 0
// when there is none.
std::size_t lastRowEnd(const std::string& b)
{
    if (b.size() < 6)
        return 0;
    std::size_t from = b.size() - 4;
    for (;;) {
        const std::size_t r = b.rfind("row>", from);
        if (r == std::string::npos)
            return 0;
        if (tagStartsBefore(b, r, "</")) {
            const std::size_t end = r + 4;
            const std::size_t open = b.rfind("<!", r);
            if (open != std::string::npos) {
                const bool cdata = b.compare(open, 9, "<![CDATA[") == 0;
                const std::size_t closing = b.find(cdata ? "]]>" : "-->", open);
                if (closing == std::string::npos || closing + 3 > end) {
                    if (open == 0)
                        return 0;
                    from = open - 1; // the cut would fall inside it
                    continue;
                }
            }
            return end;
        }
        if (r == 0)
            return 0;
        from = r - 1;
    }
}

class NullSink : public CellSink {
public:
    bool cell(const CellEvent&) override { return true; }
};

class ParallelRows {
public:
    using MakeParser = std::function<std::unique_ptr<SheetParser>()>;
    ParallelRows(SheetParser& main, MakeParser make, int workers) : main_(main), make_(std::move(make))
    {
        for (int i = 0; i < workers; ++i)
            threads_.emplace_back([this] { work(); });
        maxInFlight_ = std::size_t(workers) + 1;
    }
    ~ParallelRows() { shutdown(); }

    // Queues a chunk of whole rows; hands finished chunks to the sink.
    // false once the sink asked to stop.
    bool dispatch(std::string xml)
    {
        {
            std::lock_guard lock(mutex_);
            jobs_.push_back(std::make_unique<Job>());
            jobs_.back()->xml = std::move(xml);
            pending_.push_back(jobs_.back().get());
        }
        work_.notify_one();
        return drain(false);
    }
    // Waits for every chunk and hands it on.
    bool finish() { return drain(true); }
    bool stopped() const { return stopped_; }

private:
    struct Job {
        std::string xml;
        std::vector<RawItem> items;
        StringPool texts;
        std::exception_ptr error;
        bool done = false;
    };

    void work()
    {
        for (;;) {
            Job* job = nullptr;
            {
                std::unique_lock lock(mutex_);
                work_.wait(lock, [&] { return quit_ || !pending_.empty(); });
                if (quit_)
                    return;
                job = pending_.front();
                pending_.pop_front();
            }
            try {
                job->items.reserve(job->xml.size() / 24);
                std::unique_ptr<SheetParser> parser = make_();
                parser->recordInto(&job->items, &job->texts);
                static const char open[] = "<sheetData>";
                static const char close[] = "</sheetData>";
                parser->feed(open, sizeof open - 1, false);
                parser->feed(job->xml.data(), job->xml.size(), false);
                parser->feed(close, sizeof close - 1, true);
            } catch (...) {
                job->error = std::current_exception();
            }
            {
                std::lock_guard lock(mutex_);
                job->xml.clear();
                job->xml.shrink_to_fit();
                job->done = true;
            }
            done_.notify_all();
        }
    }

    bool drain(bool all)
    {
        while (!stopped_) {
            std::unique_ptr<Job> job;
            {
                std::unique_lock lock(mutex_);
                if (jobs_.empty())
                    break;
                if (!jobs_.front()->done) {
                    if (!all && jobs_.size() < maxInFlight_)
                        break;
                    done_.wait(lock, [&] { return jobs_.front()->done; });
                }
                job = std::move(jobs_.front());
                jobs_.pop_front();
            }
            if (job->error)
                std::rethrow_exception(job->error);
            for (RawItem& item : job->items)
                if (!main_.deliver(item)) {
                    stopped_ = true;
                    break;
                }
        }
        return !stopped_;
    }

    void shutdown()
    {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        work_.notify_all();
        for (auto& t : threads_)
            if (t.joinable())
                t.join();
    }

    SheetParser& main_;
    MakeParser make_;
    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable work_, done_;
    std::deque<std::unique_ptr<Job>> jobs_;
    std::deque<Job*> pending_;
    std::size_t maxInFlight_ = 6;
    bool quit_ = false;
    bool stopped_ = false;
};

constexpr std::uint64_t kParallelSheetSize = 8u << 20;
constexpr std::size_t kChunkSize = 512u << 10;

int parallelWorkers()
{
    const int cores = int(std::thread::hardware_concurrency());
    return std::clamp(cores - 2, 0, 4);
}

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
    for (std::size_t i = 0; i < book.sheets.size(); ++i) {
        const auto& sheet = book.sheets[i];
        auto rel = rels.find(sheet.relId);
        // Chart sheets and dialog sheets are not worksheets.
        if (rel == rels.end() || !endsWith(rel->second.type, "/worksheet"))
            continue;
        sheets_.push_back(SheetEntry{sheet.name, resolvePart(base, rel->second.target), int(i)});
    }
    for (const auto& n : book.names) {
        if (n.name == "_xlnm.Print_Titles") {
            if (auto rows = printTitleRows(n.value))
                printTitles_[n.sheet] = *rows;
        } else if (n.name == "_xlnm.Print_Area") {
            if (auto area = printAreaRange(n.value))
                printAreas_[n.sheet] = *area;
        }
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

void XlsxBackend::loadStyles()
{
    if (stylesLoaded_)
        return;
    if (!stylesPart_.empty() && zip_->contains(stylesPart_)) {
        StylesParser parser(path_, stylesPart_);
        const std::string data = zip_->read(stylesPart_);
        parser.feed(data.data(), data.size(), true);
        styles_ = buildStyles(parser);
    } else {
        styles_.cells.emplace_back();
        styles_.isDate.push_back(false);
    }
    stylesLoaded_ = true;
}

void XlsxBackend::loadStrings(ZipArchive& zip)
{
    auto pool = std::make_shared<StringPool>();
    std::vector<StringPool::Span> spans;
    if (!sharedStringsPart_.empty() && zip.contains(sharedStringsPart_)) {
        SharedStringsParser parser(path_, sharedStringsPart_, *pool, spans, keepRichText_ ? &richRuns_ : nullptr);
        zip.stream(sharedStringsPart_, [&](const char* bytes, std::size_t size) {
            parser.feed(bytes, size, false);
            return true;
        });
        parser.feed("", 0, true);
    }
    pool_ = std::move(pool);
    strings_ = std::move(spans);
    stringsLoaded_ = true;
}

const std::vector<CellStyle>& XlsxBackend::cellStyles()
{
    loadStyles();
    return styles_.cells;
}

SheetInfo XlsxBackend::read(int index, CellSink& sink, SheetLayout* layout)
{
    loadStyles();
    const bool indices = sink.wantsSharedIndices();
    // A block reader takes shared strings by index, so the string table can
    // be read on a second thread while this one reads the sheet.
    std::thread strings;
    std::exception_ptr stringsError;
    if (!stringsLoaded_) {
        if (indices && !sharedStringsPart_.empty()) {
            strings = std::thread([this, &stringsError] {
                try {
                    ZipArchive own(path_);
                    loadStrings(own);
                } catch (...) {
                    stringsError = std::current_exception();
                }
            });
        } else {
            loadStrings(*zip_);
        }
    }
    struct Joiner {
        std::thread& thread;
        ~Joiner()
        {
            if (thread.joinable())
                thread.join();
        }
    } joiner{strings};

    const SheetEntry& entry = sheets_[std::size_t(index - 1)];
    SheetInfo info;
    info.name = entry.name;
    const std::vector<StringPool::Span>* sst = indices ? nullptr : &strings_;
    const StringPool* pool = indices ? nullptr : pool_.get();
    SheetParser parser(path_, entry.part, sink, sst, pool, styles_.isDate, date1904_, info, layout);
    const int workers = parallelWorkers();
    if (workers < 1 || zip_->entrySize(entry.part) < kParallelSheetSize) {
        zip_->stream(entry.part, [&](const char* bytes, std::size_t size) {
            parser.feed(bytes, size, false);
            return !parser.stopped();
        });
        if (!parser.stopped())
            parser.feed("", 0, true);
    } else {
        NullSink nullSink;
        SheetInfo chunkInfo;
        SheetLayout chunkLayout;
        ParallelRows rows(
            parser,
            [&] {
                return std::make_unique<SheetParser>(path_, entry.part, nullSink, sst, pool, styles_.isDate, date1904_,
                                                     chunkInfo, layout ? &chunkLayout : nullptr);
            },
            workers);
        enum class Mode { Prefix, Rows, Sequential } mode = Mode::Prefix;
        std::string pending;
        auto process = [&](bool final) {
            if (mode == Mode::Prefix) {
                bool selfClosing = false;
                const std::size_t start = sheetDataStart(pending, selfClosing);
                if (start != std::string::npos) {
                    parser.feed(pending.data(), start, false);
                    pending.erase(0, start);
                    mode = selfClosing ? Mode::Sequential : Mode::Rows;
                } else if (final || pending.size() > (64u << 20)) {
                    mode = Mode::Sequential;
                }
            }
            if (mode == Mode::Rows) {
                const std::size_t end = sheetDataEnd(pending, 0);
                if (end != std::string::npos) {
                    if (end > 0 && !rows.dispatch(pending.substr(0, end)))
                        return false;
                    pending.erase(0, end);
                    mode = Mode::Sequential;
                    if (!rows.finish())
                        return false;
                } else {
                    while (pending.size() >= kChunkSize) {
                        const std::size_t cut = lastRowEnd(pending);
                        if (cut == 0)
                            break;
                        if (!rows.dispatch(pending.substr(0, cut)))
                            return false;
                        pending.erase(0, cut);
                    }
                    if (final) {
                        if (!rows.finish())
                            return false;
                        mode = Mode::Sequential;
                    }
                }
            }
            if (mode == Mode::Sequential && !pending.empty()) {
                parser.feed(pending.data(), pending.size(), false);
                pending.clear();
            }
            return !parser.stopped();
        };
        bool goOn = true;
        zip_->stream(entry.part, [&](const char* bytes, std::size_t size) {
            pending.append(bytes, size);
            goOn = process(false);
            return goOn;
        });
        if (goOn)
            goOn = process(true);
        if (goOn && !rows.stopped() && !parser.stopped())
            parser.feed("", 0, true);
    }
    if (strings.joinable())
        strings.join();
    if (stringsError)
        std::rethrow_exception(stringsError);
    if (indices)
        sink.resolveShared(pool_, strings_);
    if (layout) {
        auto titles = printTitles_.find(entry.position);
        if (titles != printTitles_.end())
            layout->page.repeatRows = titles->second;
        auto area = printAreas_.find(entry.position);
        if (area != printAreas_.end())
            layout->page.printArea = area->second;
    }
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
