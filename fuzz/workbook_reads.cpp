#include "workbook_reads.h"

#include "fuzz_input.h"

#include "platform/spreadsheet/reader.h"
#include "platform/spreadsheet/sheet_error.h"
#include "platform/spreadsheet/workbook.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

namespace velmora::fuzz {

namespace {

using namespace velmora::sheet;

// A crafted file may name thousands of sheets; a few show every path.
constexpr int kSheetsRead = 4;
// As wide as the widest import reads, and deep enough for any seed.
const ReadOptions kBlockLimits{2000, 32};

QString rowColumn(CellRef cell) { return QStringLiteral("R%1C%2").arg(cell.row).arg(cell.column); }

void checkLastCell(CellRef last)
{
    if (last != CellRef{0, 0} && !last.isValid())
        broken("last used cell outside the sheet", rowColumn(last));
}

bool withinBlock(CellRef cell) { return cell.row <= kBlockLimits.maxRows && cell.column <= kBlockLimits.maxColumns; }

// The values of a sheet's cells within the block's limits, the last value
// of a cell that comes twice.
using Cells = std::map<CellRef, CellValue>;

struct Streamed {
    Cells cells;
    // A block read stops at the first row past its limit: what it holds is
    // comparable only when no row within comes after that.
    bool rowWithinAfterRowPast = false;
};

void checkValue(const CellValue& value, CellRef at)
{
    if ((value.isNumber() || value.isDate()) && !std::isfinite(value.toNumber()))
        broken("a number that is not finite", rowColumn(at));
}

Streamed streamEveryRow(WorkbookReader& reader, int index, RowTexts texts)
{
    Streamed streamed;
    bool pastLimit = false;
    // Rows come in the file's order, which a crafted file need not keep.
    const SheetInfo info = reader.streamSheet(
        index,
        [&](const RowData& row) {
            if (row.row > kBlockLimits.maxRows)
                pastLimit = true;
            else if (pastLimit)
                streamed.rowWithinAfterRowPast = true;
            int previousColumn = 0;
            for (const RowCell& cell : row.cells) {
                const CellRef at{row.row, cell.column};
                if (!at.isValid())
                    broken("cell outside the sheet", rowColumn(at));
                if (cell.column <= previousColumn)
                    broken("cells out of order", rowColumn(at));
                previousColumn = cell.column;
                if (cell.utf8 && texts != RowTexts::Utf8)
                    broken("bytes handed over unasked");
                const CellValue value =
                    cell.utf8 ? CellValue::text(QString::fromUtf8(cell.utf8, qsizetype(cell.utf8Size))) : cell.value;
                checkValue(value, at);
                if (withinBlock(at))
                    streamed.cells[at] = value;
            }
            return true;
        },
        texts);
    checkLastCell(info.lastUsedCell);
    return streamed;
}

void compare(const Cells& expected, const Cells& got, const char* what)
{
    if (expected == got)
        return;
    auto a = expected.begin();
    auto b = got.begin();
    while (a != expected.end() && b != got.end() && *a == *b)
        ++a, ++b;
    const CellRef at = a != expected.end() ? a->first : b->first;
    broken(what, rowColumn(at) + QStringLiteral(": \"%1\" / \"%2\"")
                                     .arg(a != expected.end() ? a->second.toText() : QStringLiteral("-"),
                                          b != got.end() ? b->second.toText() : QStringLiteral("-")));
}

Cells readBlock(WorkbookReader& reader, int index)
{
    const SheetData data = reader.readSheet(index, kBlockLimits);
    if (data.values.rows() > kBlockLimits.maxRows || data.values.columns() > kBlockLimits.maxColumns)
        broken("block over the limits asked for",
               QStringLiteral("%1x%2").arg(data.values.rows()).arg(data.values.columns()));
    checkLastCell(data.info.lastUsedCell);
    Cells cells;
    for (int row = 1; row <= data.values.rows(); ++row)
        for (int column = 1; column <= data.values.columns(); ++column) {
            const CellValue value = data.values.value(row, column);
            if (!value.isEmpty() || !data.formula(row, column).isEmpty())
                cells[CellRef{row, column}] = value;
        }
    for (const Hyperlink& link : data.info.hyperlinks)
        (void)data.hyperlink(link.range.first.row, link.range.first.column);
    return cells;
}

// Empty cells with a formula come in the stream and not in a block; the
// comparison leaves them out.
Cells withValues(Cells cells)
{
    std::erase_if(cells, [](const auto& cell) { return cell.second.isEmpty(); });
    return cells;
}

template <typename Step>
void refusedOrDone(Step step)
{
    try {
        step();
    } catch (const SheetError&) {
    }
}

} // namespace

void readWorkbookEveryWay(const QString& path)
{
    std::map<int, Cells> sheetCells; // the sheets read whole, by index
    refusedOrDone([&] {
        WorkbookReader reader(path);
        const int sheets = std::min(reader.sheetCount(), kSheetsRead);
        if (reader.sheetNames().size() != reader.sheetCount())
            broken("sheet count and names differ");
        for (int index = 1; index <= sheets; ++index) {
            std::optional<Streamed> values, bytes;
            refusedOrDone([&] { values = streamEveryRow(reader, index, RowTexts::Values); });
            refusedOrDone([&] { bytes = streamEveryRow(reader, index, RowTexts::Utf8); });
            if (values && bytes)
                compare(values->cells, bytes->cells, "texts as bytes differ from texts as values");
            std::optional<Cells> block;
            refusedOrDone([&] { block = readBlock(reader, index); });
            if (values && block && !values->rowWithinAfterRowPast) {
                compare(withValues(values->cells), withValues(*block), "the block differs from the stream");
                sheetCells[index] = withValues(*block);
            }
            refusedOrDone([&] { (void)reader.readSheetLook(index, kBlockLimits); });
        }
    });
    refusedOrDone([&] {
        const Workbook book = Workbook::open(path);
        for (int index = 1; index <= std::min(book.sheetCount(), kSheetsRead); ++index) {
            const Worksheet& sheet = book.sheet(index);
            checkLastCell(sheet.lastUsedCell());
            const auto read = sheetCells.find(index);
            if (read == sheetCells.end())
                continue;
            Cells model;
            const CellRef last = sheet.lastUsedCell();
            for (int row = 1; row <= std::min(last.row, kBlockLimits.maxRows); ++row)
                for (int column = 1; column <= std::min(last.column, kBlockLimits.maxColumns); ++column)
                    if (const CellValue value = sheet.value(row, column); !value.isEmpty())
                        model[CellRef{row, column}] = value;
            compare(read->second, model, "the workbook model differs from the reader");
        }
    });
}

} // namespace velmora::fuzz
