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

// Reads the shared-string table into `pool` and `spans` (one per string,
// by index); `runs`, when given, gets the rich-text runs of the strings
// that have them.
void readSharedStrings(ZipArchive& zip, const QString& path, const std::string& part, StringPool& pool,
                       std::vector<StringPool::Span>& spans, std::map<int, std::vector<FileRichRun>>* runs);

} // namespace velmora::sheet::xlsx
