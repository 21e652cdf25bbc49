#pragma once

// Reading the parts of an xlsx package: attribute values, part names and
// relationships, the workbook part and the shared-string table.

#include "platform/spreadsheet/xlsx_backend.h"
#include "platform/spreadsheet/xml_stream.h"

#include <QString>

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace velmora::sheet::xlsx {

int toInt(const char* text, int fallback = 0);
double toDouble(const char* text, double fallback = 0);
bool toBool(const char* text, bool fallback = false);
// "B7" -> {7, 2}; {0, 0} when malformed.
CellRef parseRef(const char* text);
std::optional<CellRange> parseRangeAttr(const char* text);

std::string folderOf(const std::string& part);
// A relationship target relative to the folder of its source part.
std::string resolvePart(const std::string& baseFolder, const std::string& target);
std::string relsPartFor(const std::string& part);

struct Relationship {
    std::string type;
    std::string target;
    bool external = false;
};

// The relationships of a part, by id; none when it has no .rels part.
std::map<std::string, Relationship> readRels(ZipArchive& zip, const QString& path, const std::string& part);
bool endsWith(const std::string& text, const char* tail);

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

// Print titles and print area from the workbook's defined names.
std::optional<std::pair<int, int>> printTitleRows(const std::string& value);
std::optional<CellRange> printAreaRange(const std::string& value);

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

} // namespace velmora::sheet::xlsx
