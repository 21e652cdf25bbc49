#include "platform/spreadsheet/xlsx_parallel_rows.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string_view>

namespace velmora::sheet::xlsx {

namespace {

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

} // namespace

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
std::size_t lastRowEnd(const std::string& b, std::size_t from)
{
    if (b.size() < 6 || b.size() - 4 < from)
        return 0;
    const std::string_view searched = std::string_view(b).substr(from);
    std::size_t before = b.size() - 4; // the last position a tag may start at
    for (;;) {
        const std::size_t found = searched.rfind("row>", before - from);
        if (found == std::string_view::npos)
            return 0;
        const std::size_t r = from + found;
        if (tagStartsBefore(b, r, "</")) {
            const std::size_t end = r + 4;
            const std::size_t open = b.rfind("<!", r);
            if (open != std::string::npos) {
                const bool cdata = b.compare(open, 9, "<![CDATA[") == 0;
                const std::size_t closing = b.find(cdata ? "]]>" : "-->", open);
                if (closing == std::string::npos || closing + 3 > end) {
                    if (open <= from)
                        return 0;
                    before = open - 1; // the cut would fall inside it
                    continue;
                }
            }
            return end;
        }
        if (r <= from)
            return 0;
        before = r - 1;
    }
}

ParallelRows::ParallelRows(SheetParser& main, MakeParser make, int workers)
    : pipe_(
          [make = std::move(make)](SheetChunk& chunk) {
              chunk.items.reserve(chunk.bytes.size() / 24);
              std::unique_ptr<SheetParser> parser = make();
              parser->recordInto(&chunk.items, &chunk.texts);
              static const char open[] = "<sheetData>";
              static const char close[] = "</sheetData>";
              parser->feed(open, sizeof open - 1, false);
              parser->feed(chunk.bytes.data(), chunk.bytes.size(), false);
              parser->feed(close, sizeof close - 1, true);
          },
          [&main](SheetChunk& chunk) {
              for (RawItem& item : chunk.items)
                  if (!main.deliver(item))
                      return false;
              return true;
          },
          workers)
{
}

} // namespace velmora::sheet::xlsx
