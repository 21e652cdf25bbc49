#include "platform/spreadsheet/range.h"

#include "platform/spreadsheet/formula.h"
#include "platform/spreadsheet/sheet_error.h"
#include "platform/spreadsheet/sheet_store.h"
#include "platform/spreadsheet/style_table.h"
#include "platform/spreadsheet/workbook.h"
#include "platform/spreadsheet/worksheet.h"

#include <algorithm>

namespace velmora::sheet {

Range::Range(Worksheet& sheet, CellRange area) : sheet_(&sheet), area_(area)
{
    if (!area_.isValid())
        throw SheetError(QStringLiteral("Неверный диапазон ячеек"));
}

bool Range::isWholeRows() const
{
    return area_.first.column == 1 && area_.last.column == kMaxColumns;
}

bool Range::isWholeColumns() const
{
    return area_.first.row == 1 && area_.last.row == kMaxRows;
}

// The part of the range that holds cells: whole rows and columns end where
// the sheet's stored cells end.
static CellRange storedPart(const Worksheet& sheet, const CellRange& area)
{
    CellRange part = area;
    const SheetStore& store = sheet.store();
    if (part.last.row == kMaxRows)
        part.last.row = std::max(part.first.row, int(store.rows.size()));
    if (part.last.column == kMaxColumns) {
        std::size_t widest = 0;
        for (const StoredRow& r : store.rows)
            widest = std::max(widest, r.cells.size());
        part.last.column = std::max(part.first.column, int(widest));
    }
    return part;
}

ValueBlock Range::values() const
{
    return sheet_->values(area_);
}

void Range::setValues(const ValueBlock& block)
{
    const int rows = std::min(block.rows(), area_.rowCount());
    const int columns = std::min(block.columns(), area_.columnCount());
    if (rows == block.rows() && columns == block.columns()) {
        sheet_->setValues(area_.first, block);
        return;
    }
    ValueBlock clipped(rows, columns);
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= columns; ++c)
            if (block.type(r, c) != CellType::Empty)
                clipped.set(r, c, block.value(r, c));
    sheet_->setValues(area_.first, clipped);
}

void Range::setValue(const CellValue& value)
{
    const CellRange part = (isWholeRows() || isWholeColumns()) ? storedPart(*sheet_, area_) : area_;
    for (int r = part.first.row; r <= part.last.row; ++r)
        for (int c = part.first.column; c <= part.last.column; ++c)
            sheet_->setValue(r, c, value);
}

CellValue Range::value() const
{
    return sheet_->value(area_.first.row, area_.first.column);
}

void Range::setFormula(const QString& a1Formula)
{
    for (int r = area_.first.row; r <= area_.last.row; ++r)
        for (int c = area_.first.column; c <= area_.last.column; ++c) {
            const int dr = r - area_.first.row;
            const int dc = c - area_.first.column;
            sheet_->setFormula(r, c, dr == 0 && dc == 0 ? a1Formula : moveA1Formula(a1Formula, dr, dc));
        }
}

void Range::setFormulaR1C1(const QString& r1c1Formula)
{
    for (int r = area_.first.row; r <= area_.last.row; ++r)
        for (int c = area_.first.column; c <= area_.last.column; ++c)
            sheet_->setFormulaR1C1(r, c, r1c1Formula);
}

QString Range::formula() const
{
    return sheet_->formula(area_.first.row, area_.first.column);
}

QString Range::hyperlinkAddress() const
{
    return sheet_->hyperlink(area_.first.row, area_.first.column);
}

void Range::clearContents()
{
    const CellRange part = storedPart(*sheet_, area_);
    for (int r = part.first.row; r <= part.last.row; ++r)
        for (int c = part.first.column; c <= part.last.column; ++c)
            if (sheet_->store().cell(r, c))
                sheet_->clearCell(r, c);
}

void Range::merge()
{
    sheet_->merge(area_);
}

void Range::unmerge()
{
    sheet_->unmerge(area_);
}

void Range::insertRows()
{
    sheet_->insertRows(area_.first.row, area_.rowCount());
}

void Range::deleteRows()
{
    sheet_->deleteRows(area_.first.row, area_.rowCount());
}

void Range::group()
{
    sheet_->groupRows(area_.first.row, area_.last.row);
}

void Range::ungroup()
{
    sheet_->ungroupRows(area_.first.row, area_.last.row);
}

void Range::autoFilter()
{
    sheet_->setAutoFilter(area_);
}

static void copyRange(const Range& source, const Range& destination, bool formatsOnly)
{
    Worksheet& from = source.sheet();
    Worksheet& to = destination.sheet();
    if (&from.workbook() != &to.workbook())
        throw SheetError(QStringLiteral("Копирование между книгами не поддерживается"));
    const CellRange src = storedPart(from, source.area());
    const CellRange dst = destination.area();
    const int srcRows = src.rowCount();
    const int srcColumns = src.columnCount();
    // One copy, or the source repeated over the destination when it fits a
    // whole number of times.
    int tilesDown = 1;
    int tilesAcross = 1;
    if (dst.rowCount() % srcRows == 0 && dst.rowCount() > srcRows)
        tilesDown = dst.rowCount() / srcRows;
    if (!source.isWholeRows() && dst.columnCount() % srcColumns == 0 && dst.columnCount() > srcColumns)
        tilesAcross = dst.columnCount() / srcColumns;

    // Take the source first: the destination may overlap it.
    struct Item {
        int dr, dc;
        StoredCell cell;
    };
    std::vector<Item> items;
    for (int r = src.first.row; r <= src.last.row; ++r)
        for (int c = src.first.column; c <= src.last.column; ++c) {
            const StoredCell* cell = from.store().cell(r, c);
            items.push_back({r - src.first.row, c - src.first.column, cell ? *cell : StoredCell()});
        }
    std::vector<std::pair<int, StoredRow>> rowProps;
    if (source.isWholeRows())
        for (int r = src.first.row; r <= src.last.row; ++r)
            if (std::size_t(r) <= from.store().rows.size())
                rowProps.emplace_back(r - src.first.row, from.store().rows[std::size_t(r - 1)]);
    std::vector<CellRange> merges;
    for (const CellRange& m : from.store().merges)
        if (src.contains(m.first) && src.contains(m.last))
            merges.push_back(m);

    SheetStore& store = to.store();
    for (int ty = 0; ty < tilesDown; ++ty)
        for (int tx = 0; tx < tilesAcross; ++tx) {
            const int baseRow = dst.first.row + ty * srcRows;
            const int baseColumn = dst.first.column + tx * srcColumns;
            if (baseRow > kMaxRows || baseColumn > kMaxColumns)
                continue;
            for (const auto& [dr, props] : rowProps) {
                if (baseRow + dr > kMaxRows)
                    continue;
                StoredRow& row = store.row(baseRow + dr);
                row.height = props.height;
                row.style = props.style;
                if (!formatsOnly)
                    row.outlineLevel = props.outlineLevel;
            }
            for (const Item& item : items) {
                const int r = baseRow + item.dr;
                const int c = baseColumn + item.dc;
                if (r > kMaxRows || c > kMaxColumns)
                    continue;
                if (formatsOnly) {
                    if (item.cell.style != 0 || store.cell(r, c))
                        store.cellFor(r, c).style = item.cell.style;
                    continue;
                }
                if (item.cell.isBlank() && !store.cell(r, c))
                    continue;
                StoredCell& target = store.cellFor(r, c);
                target = item.cell;
                if (!target.formula.isEmpty())
                    target.formula = moveA1Formula(target.formula, r - (src.first.row + item.dr),
                                                   c - (src.first.column + item.dc));
            }
            for (CellRange m : merges) {
                const int dr = baseRow - src.first.row;
                const int dc = baseColumn - src.first.column;
                m.first.row += dr;
                m.last.row += dr;
                m.first.column += dc;
                m.last.column += dc;
                if (!m.isValid())
                    continue;
                to.unmerge(m);
                to.merge(m);
            }
        }
}

void Range::copyTo(const Range& destination) const
{
    copyRange(*this, destination, false);
}

void Range::copyFormatsTo(const Range& destination) const
{
    copyRange(*this, destination, true);
}

void Range::changeStyle(const std::function<void(CellStyle&)>& change)
{
    SheetStore& store = sheet_->store();
    StyleTable& styles = sheet_->workbook().styles();
    auto changed = [&](std::uint32_t index) {
        CellStyle style = styles.at(index);
        change(style);
        return styles.intern(style);
    };
    if (isWholeRows()) {
        for (int r = area_.first.row; r <= area_.last.row; ++r) {
            StoredRow& row = store.row(r);
            const std::uint32_t before = row.style.value_or(0);
            row.style = changed(before);
            for (StoredCell& cell : row.cells)
                if (cell.style != 0 || !cell.isBlank())
                    cell.style = changed(cell.style ? cell.style : before);
        }
        return;
    }
    if (isWholeColumns()) {
        for (int c = area_.first.column; c <= area_.last.column; ++c) {
            StoredColumn& column = store.columns[c];
            column.style = changed(column.style.value_or(0));
            for (std::size_t r = 0; r < store.rows.size(); ++r) {
                auto& cells = store.rows[r].cells;
                if (std::size_t(c) <= cells.size() && !cells[std::size_t(c - 1)].isBlank()) {
                    StoredCell& cell = cells[std::size_t(c - 1)];
                    const std::uint32_t before = cell.style ? cell.style : styles.intern(sheet_->style(int(r + 1), c));
                    cell.style = changed(before);
                }
            }
        }
        return;
    }
    // Cells of a range share few styles: change each distinct one once.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> memo;
    for (int r = area_.first.row; r <= area_.last.row; ++r)
        for (int c = area_.first.column; c <= area_.last.column; ++c) {
            const StoredCell* existing = store.cell(r, c);
            const std::uint32_t before =
                existing && existing->style ? existing->style : store.inheritedStyle(r, c);
            auto it = std::find_if(memo.begin(), memo.end(), [&](const auto& p) { return p.first == before; });
            std::uint32_t after;
            if (it != memo.end()) {
                after = it->second;
            } else {
                after = changed(before);
                memo.emplace_back(before, after);
            }
            store.cellFor(r, c).style = after;
        }
}

void Range::setColumnWidth(double width)
{
    for (int c = area_.first.column; c <= area_.last.column; ++c)
        sheet_->setColumnWidth(c, width);
}

void Range::setRowHeight(double height)
{
    for (int r = area_.first.row; r <= area_.last.row; ++r)
        sheet_->setRowHeight(r, height);
}

void Range::setNumberFormat(const QString& format)
{
    changeStyle([&](CellStyle& s) { s.numberFormat = format == QLatin1String("General") ? QString() : format; });
}

void Range::setHorizontalAlignment(HAlign alignment)
{
    changeStyle([&](CellStyle& s) { s.hAlign = alignment; });
}

void Range::setVerticalAlignment(VAlign alignment)
{
    changeStyle([&](CellStyle& s) { s.vAlign = alignment; });
}

void Range::setWrapText(bool wrap)
{
    changeStyle([&](CellStyle& s) { s.wrapText = wrap; });
}

void Range::setFontName(const QString& name)
{
    changeStyle([&](CellStyle& s) { s.font.name = name; });
}

void Range::setFontSize(double size)
{
    if (size < 1 || size > 409)
        throw SheetError(QStringLiteral("Недопустимый размер шрифта: %1").arg(size));
    changeStyle([&](CellStyle& s) { s.font.size = size; });
}

void Range::setBold(bool on)
{
    changeStyle([&](CellStyle& s) { s.font.bold = on; });
}

void Range::setItalic(bool on)
{
    changeStyle([&](CellStyle& s) { s.font.italic = on; });
}

void Range::setUnderline(bool on)
{
    changeStyle([&](CellStyle& s) { s.font.underline = on; });
}

void Range::setFontColor(Color color)
{
    changeStyle([&](CellStyle& s) { s.font.color = color; });
}

void Range::setFillColor(Color color)
{
    changeStyle([&](CellStyle& s) { s.fill = color; });
}

void Range::setFillColorIndex(int colorIndex)
{
    if (colorIndex == -4142 || colorIndex == 0) {
        clearFill();
        return;
    }
    const Color color = paletteColor(colorIndex);
    changeStyle([&](CellStyle& s) { s.fill = color; });
}

void Range::clearFill()
{
    changeStyle([&](CellStyle& s) { s.fill.reset(); });
}

void Range::setBorder(BorderEdge edge, LineStyle style, BorderWeight weight, Color color)
{
    const Border border{style, weight, color};
    const Border none{};
    const CellRange a = area_;
    const Border value = style == LineStyle::None ? none : border;
    // Inside lines belong to the cells on either side of each line.
    if (edge == BorderEdge::InsideVertical) {
        if (a.first.column < a.last.column) {
            Range(*sheet_, CellRange{a.first, {a.last.row, a.last.column - 1}})
                .changeStyle([&](CellStyle& s) { s.right = value; });
            Range(*sheet_, CellRange{{a.first.row, a.first.column + 1}, a.last})
                .changeStyle([&](CellStyle& s) { s.left = value; });
        }
        return;
    }
    if (edge == BorderEdge::InsideHorizontal) {
        if (a.first.row < a.last.row) {
            Range(*sheet_, CellRange{a.first, {a.last.row - 1, a.last.column}})
                .changeStyle([&](CellStyle& s) { s.bottom = value; });
            Range(*sheet_, CellRange{{a.first.row + 1, a.first.column}, a.last})
                .changeStyle([&](CellStyle& s) { s.top = value; });
        }
        return;
    }
    auto side = [&](CellRange part, auto apply) { Range(*sheet_, part).changeStyle(apply); };
    switch (edge) {
    case BorderEdge::Left:
        side(CellRange{a.first, {a.last.row, a.first.column}}, [&](CellStyle& s) { s.left = value; });
        break;
    case BorderEdge::Right:
        side(CellRange{{a.first.row, a.last.column}, a.last}, [&](CellStyle& s) { s.right = value; });
        break;
    case BorderEdge::Top:
        side(CellRange{a.first, {a.first.row, a.last.column}}, [&](CellStyle& s) { s.top = value; });
        break;
    case BorderEdge::Bottom:
        side(CellRange{{a.last.row, a.first.column}, a.last}, [&](CellStyle& s) { s.bottom = value; });
        break;
    case BorderEdge::DiagonalDown:
        changeStyle([&](CellStyle& s) {
            s.diagonal = value;
            s.diagonalDown = style != LineStyle::None;
        });
        break;
    case BorderEdge::DiagonalUp:
        changeStyle([&](CellStyle& s) {
            s.diagonal = value;
            s.diagonalUp = style != LineStyle::None;
        });
        break;
    default:
        break;
    }
}

void Range::changeCharactersFont(int start, int length, const std::function<void(Font&)>& change)
{
    const int row = area_.first.row;
    const int column = area_.first.column;
    const QString text = sheet_->value(row, column).toText();
    if (start < 1 || length < 1 || start > text.size())
        return;
    length = std::min<int>(length, int(text.size()) - start + 1);
    const Font base = sheet_->style(row, column).font;
    // Per-character fonts, then runs of equal fonts.
    std::vector<Font> fonts(std::size_t(text.size()), base);
    for (const RichRun& run : sheet_->richText(row, column))
        for (int i = run.start; i < run.start + run.length && i < text.size(); ++i)
            fonts[std::size_t(i)] = run.font;
    for (int i = start - 1; i < start - 1 + length; ++i)
        change(fonts[std::size_t(i)]);
    std::vector<RichRun> runs;
    for (int i = 0; i < int(fonts.size()); ++i) {
        if (!runs.empty() && runs.back().font == fonts[std::size_t(i)])
            ++runs.back().length;
        else
            runs.push_back(RichRun{i, 1, fonts[std::size_t(i)]});
    }
    sheet_->setRichText(row, column, runs);
}

BorderEdge borderEdgeFromIndex(int index)
{
    switch (index) {
    case 1:
    case 7:
    case -4131:
        return BorderEdge::Left;
    case 2:
    case 10:
    case -4152:
        return BorderEdge::Right;
    case 3:
    case 8:
    case -4160:
        return BorderEdge::Top;
    case 4:
    case 9:
    case -4107:
        return BorderEdge::Bottom;
    case 5:
        return BorderEdge::DiagonalDown;
    case 6:
        return BorderEdge::DiagonalUp;
    case 11:
        return BorderEdge::InsideVertical;
    case 12:
        return BorderEdge::InsideHorizontal;
    default:
        throw SheetError(QStringLiteral("Неизвестный номер границы: %1").arg(index));
    }
}

} // namespace velmora::sheet
