#pragma once

#include "platform/spreadsheet/chunk_pipe.h"
#include "platform/spreadsheet/xlsx_sheet_parser.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace velmora::sheet::xlsx {

// ---- parallel parsing of large sheets
//
// expat reads about 150 MB of XML a second; a sheet of a million rows is
// several hundred MB. Its rows are cut into chunks at row ends, each parsed
// by its own expat parser on a worker thread, and the results are handed to
// the sink in order on the calling thread. The part before the rows and the
// part after them (merges, hyperlinks) go through the main parser.

// Just past the sheetData start tag, or npos when it is not (yet) there.
std::size_t sheetDataStart(const std::string& b, bool& selfClosing);
// Where the sheetData end tag begins, at or after `from`; npos when none.
std::size_t sheetDataEnd(const std::string& b, std::size_t from);
// The end of the last complete row in b, outside comments and CDATA; 0
// when there is none. Only row ends whose tag starts at or after `from` are
// looked for: the caller knows that the bytes before hold none.
std::size_t lastRowEnd(const std::string& b, std::size_t from = 0);

// The chunk parsers' sink: they record their items instead.
class NullSink : public CellSink {
public:
    bool cell(const CellEvent&) override { return true; }
};

// Worker threads parsing chunks of rows, their results handed to the main
// parser's sink in sheet order.
class ParallelRows {
public:
    using MakeParser = std::function<std::unique_ptr<SheetParser>()>;
    ParallelRows(SheetParser& main, MakeParser make, int workers);

    // Queues a chunk of whole rows; hands finished chunks to the sink.
    // false once the sink asked to stop.
    bool dispatch(std::string xml) { return pipe_.dispatch(std::move(xml)); }
    // Waits for every chunk and hands it on.
    bool finish() { return pipe_.finish(); }
    bool stopped() const { return pipe_.stopped(); }

private:
    ChunkPipe pipe_;
};

constexpr std::uint64_t kParallelSheetSize = 8u << 20;
constexpr std::size_t kChunkSize = 512u << 10;
// Rows are held for the workers up to this size; a row longer than that
// (one huge cell, a run of blanks) goes through the main parser as it comes.
constexpr std::size_t kMaxHeldRows = 64u << 20;
// A tag split between two pieces: this many bytes before the bytes already
// searched are searched again.
constexpr std::size_t kTagOverlap = 64;

} // namespace velmora::sheet::xlsx
