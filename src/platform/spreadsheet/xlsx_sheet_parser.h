#pragma once

// The cell parser of an xlsx worksheet part: rows, cells, merges,
// hyperlinks and the sheet's layout, handed to a CellSink in sheet order.

#include "platform/spreadsheet/chunk_pipe.h"
#include "platform/spreadsheet/xlsx_backend.h"
#include "platform/spreadsheet/xml_stream.h"

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace velmora::sheet::xlsx {

// Numbers rows and cells that carry no address, expands shared formulas
// and hands each item to the sink, in sheet order.
class Delivery {
public:
    Delivery(CellSink& sink, const QString& path, bool keepStyledBlanks)
        : sink_(sink), path_(path), keepStyledBlanks_(keepStyledBlanks)
    {
    }
    // false when the sink asked to stop.
    bool deliver(RawItem& item);

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

// A worksheet part, streamed: cells and rows to the sink (or recorded, for a
// chunk), merges, hyperlinks and, when asked for, the sheet's layout.
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
    void recordInto(std::vector<RawItem>* items, StringPool* texts);
    bool deliver(RawItem& item) { return delivery_.deliver(item); }

protected:
    void startElement(const char* name, const char** a) override;
    void endElement(const char* name) override;

private:
    void startRow(const char** a);
    void put(RawItem& item);
    void startCell(const char** a);
    void endCell();

    // A recorded chunk keeps its texts in its own pool: no allocation per
    // cell on the worker, none to free on the reading thread.
    void setText(CellEvent& e, const std::string& utf8);
    void hyperlink(const char** a);
    void layoutElement(const char* name, const char** a);

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

} // namespace velmora::sheet::xlsx
