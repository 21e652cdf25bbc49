#include "platform/spreadsheet/xlsx_parts.h"

#include "platform/spreadsheet/sheet_error.h"
#include "platform/spreadsheet/xlsx_styles.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace velmora::sheet::xlsx {

// ---- small parsing helpers

int toInt(const char* text, int fallback)
{
    if (!text)
        return fallback;
    int value = fallback;
    std::from_chars(text, text + std::strlen(text), value);
    return value;
}

double toDouble(const char* text, double fallback)
{
    if (!text)
        return fallback;
    double value = fallback;
    std::from_chars(text, text + std::strlen(text), value);
    return value;
}

bool toBool(const char* text, bool fallback)
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
namespace {

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

} // namespace

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

namespace {

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
        }
        // The table's uniqueCount reserves nothing: a file may state any
        // number there, and the strings that are really there say enough.
    }
    void endElement(const char* name) override
    {
        if (is(name, "rPr")) {
            inRunProperties_ = false;
        } else if (is(name, "t") && collectText) {
            appendCellText(current_, text);
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

} // namespace

void readSharedStrings(ZipArchive& zip, const QString& path, const std::string& part, StringPool& pool,
                       std::vector<StringPool::Span>& spans, std::map<int, std::vector<FileRichRun>>* runs)
{
    SharedStringsParser parser(path, part, pool, spans, runs);
    zip.stream(part, [&](const char* bytes, std::size_t size) {
        parser.feed(bytes, size, false);
        return true;
    });
    parser.feed("", 0, true);
}

} // namespace velmora::sheet::xlsx
