#include "workbook_reads.h"

#include "fuzz_input.h"

#include "platform/spreadsheet/reader.h"
#include "platform/spreadsheet/sheet_error.h"
#include "platform/spreadsheet/workbook.h"

#include <algorithm>

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

void streamEveryRow(WorkbookReader& reader, int index, RowTexts texts)
{
    // Rows come in the file's order, which a crafted file need not keep.
    const SheetInfo info = reader.streamSheet(
        index,
        [&](const RowData& row) {
            int previousColumn = 0;
            for (const RowCell& cell : row.cells) {
                if (!CellRef{row.row, cell.column}.isValid())
                    broken("cell outside the sheet", rowColumn(CellRef{row.row, cell.column}));
                if (cell.column <= previousColumn)
                    broken("cells out of order", QString::number(cell.column));
                previousColumn = cell.column;
                if (cell.utf8 && texts != RowTexts::Utf8)
                    broken("bytes handed over unasked");
                // Touch every byte handed over, so a dangling one shows.
                volatile char sum = 0;
                for (std::size_t i = 0; cell.utf8 && i < cell.utf8Size; ++i)
                    sum = char(sum + cell.utf8[i]);
                (void)cell.value.toText();
            }
            return true;
        },
        texts);
    checkLastCell(info.lastUsedCell);
}

void readBlock(WorkbookReader& reader, int index)
{
    const SheetData data = reader.readSheet(index, kBlockLimits);
    if (data.values.rows() > kBlockLimits.maxRows || data.values.columns() > kBlockLimits.maxColumns)
        broken("block over the limits asked for",
               QStringLiteral("%1x%2").arg(data.values.rows()).arg(data.values.columns()));
    checkLastCell(data.info.lastUsedCell);
    for (int row = 1; row <= data.values.rows(); ++row)
        for (int column = 1; column <= data.values.columns(); ++column)
            (void)data.values.text(row, column);
    for (const Hyperlink& link : data.info.hyperlinks)
        (void)data.hyperlink(link.range.first.row, link.range.first.column);
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
    refusedOrDone([&] {
        WorkbookReader reader(path);
        const int sheets = std::min(reader.sheetCount(), kSheetsRead);
        if (reader.sheetNames().size() != reader.sheetCount())
            broken("sheet count and names differ");
        for (int index = 1; index <= sheets; ++index) {
            refusedOrDone([&] { streamEveryRow(reader, index, RowTexts::Values); });
            refusedOrDone([&] { streamEveryRow(reader, index, RowTexts::Utf8); });
            refusedOrDone([&] { readBlock(reader, index); });
            refusedOrDone([&] { (void)reader.readSheetLook(index, kBlockLimits); });
        }
    });
    refusedOrDone([&] {
        const Workbook book = Workbook::open(path);
        for (int index = 1; index <= std::min(book.sheetCount(), kSheetsRead); ++index)
            checkLastCell(book.sheet(index).lastUsedCell());
    });
}

} // namespace velmora::fuzz
