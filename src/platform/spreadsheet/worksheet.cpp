#include "platform/spreadsheet/worksheet.h"

#include "platform/spreadsheet/formula.h"
#include "platform/spreadsheet/sheet_error.h"
#include "platform/spreadsheet/sheet_store.h"
#include "platform/spreadsheet/style_table.h"
#include "platform/spreadsheet/workbook.h"

#include <algorithm>
#include <cmath>

namespace velmora::sheet {

namespace {

void checkCell(int row, int column)
{
    if (!CellRef{row, column}.isValid())
        throw SheetError(QStringLiteral("Ячейка (%1, %2) вне листа").arg(row).arg(column));
}

bool overlaps(const CellRange& a, const CellRange& b)
{
    return a.first.row <= b.last.row && b.first.row <= a.last.row && a.first.column <= b.last.column &&
           b.first.column <= a.last.column;
}

bool shiftRange(CellRange& range, int row, int count)
{
    return shiftRowSpan(range.first.row, range.last.row, row, count);
}

bool shiftColumnRange(CellRange& range, int column, int count)
{
    return shiftColumnSpan(range.first.column, range.last.column, column, count);
}

} // namespace

Worksheet::Worksheet(Workbook& workbook, const QString& name)
    : workbook_(&workbook), store_(std::make_unique<SheetStore>())
{
    store_->name = name;
}

Worksheet::~Worksheet() = default;

int Worksheet::index() const
{
    return workbook_->indexOf(*this);
}

const QString& Worksheet::name() const
{
    return store_->name;
}

void Worksheet::setName(const QString& name)
{
    if (name.isEmpty() || name.size() > 31)
        throw SheetError(QStringLiteral("Недопустимое имя листа (от 1 до 31 знака): \"%1\"").arg(name));
    for (QChar ch : QStringLiteral(":\\/?*[]"))
        if (name.contains(ch))
            throw SheetError(QStringLiteral("Недопустимый знак \"%1\" в имени листа \"%2\"").arg(ch).arg(name));
    if (name.startsWith(u'\'') || name.endsWith(u'\''))
        throw SheetError(QStringLiteral("Имя листа не может начинаться или кончаться апострофом: \"%1\"").arg(name));
    for (int i = 1; i <= workbook_->sheetCount(); ++i) {
        const Worksheet& other = workbook_->sheet(i);
        if (&other != this && other.name().compare(name, Qt::CaseInsensitive) == 0)
            throw SheetError(QStringLiteral("Лист с именем \"%1\" уже есть в книге").arg(name));
    }
    store_->name = name;
}

void Worksheet::activate()
{
    workbook_->setActiveSheet(index());
}

// --- ranges

Range Worksheet::range(const QString& a1)
{
    return Range(*this, parseRange(a1));
}

Range Worksheet::range(const QString& firstCell, const QString& lastCell)
{
    return Range(*this, makeRange(parseCell(firstCell), parseCell(lastCell)));
}

Range Worksheet::range(CellRef first, CellRef last)
{
    checkCell(first.row, first.column);
    checkCell(last.row, last.column);
    return Range(*this, makeRange(first, last));
}

Range Worksheet::cells(int row, int column)
{
    checkCell(row, column);
    return Range(*this, CellRange{{row, column}, {row, column}});
}

Range Worksheet::rows(int first, int last)
{
    checkCell(first, 1);
    checkCell(last, 1);
    return Range(*this, CellRange{{std::min(first, last), 1}, {std::max(first, last), kMaxColumns}});
}

Range Worksheet::rows(const QString& span)
{
    const QStringList parts = span.trimmed().split(u':');
    bool ok1 = false;
    bool ok2 = parts.size() == 1;
    const int first = parts.value(0).trimmed().remove(u'$').toInt(&ok1);
    const int last = parts.size() == 2 ? parts[1].trimmed().remove(u'$').toInt(&ok2) : first;
    if (!ok1 || !ok2 || parts.size() > 2 || first < 1 || last < 1 || first > kMaxRows || last > kMaxRows)
        throw SheetError(QStringLiteral("Неверный диапазон строк: \"%1\"").arg(span));
    return rows(first, last);
}

Range Worksheet::columns(int first, int last)
{
    checkCell(1, first);
    checkCell(1, last);
    return Range(*this, CellRange{{1, std::min(first, last)}, {kMaxRows, std::max(first, last)}});
}

// --- single cells

CellValue Worksheet::value(int row, int column) const
{
    checkCell(row, column);
    const StoredCell* cell = store_->cell(row, column);
    return cell ? cell->value : CellValue();
}

static std::uint32_t inheritedStyle(const SheetStore& store, int row, int column)
{
    return store.inheritedStyle(row, column);
}

static StoredCell& touch(SheetStore& store, int row, int column)
{
    const bool existed = store.cell(row, column) && !store.cell(row, column)->isBlank();
    StoredCell& cell = store.cellFor(row, column);
    if (!existed && cell.style == 0)
        cell.style = inheritedStyle(store, row, column);
    return cell;
}

void Worksheet::setValue(int row, int column, const CellValue& value)
{
    checkCell(row, column);
    StoredCell& cell = touch(*store_, row, column);
    cell.value = value;
    cell.formula.clear();
    store_->richText.erase(CellRef{row, column});
    if (value.isDate() && workbook_->styles().at(cell.style).numberFormat.isEmpty()) {
        // A date put into a General cell shows as a date, as the
        // spreadsheet does on assignment.
        CellStyle style = workbook_->styles().at(cell.style);
        const double fraction = value.toNumber() - std::floor(value.toNumber());
        style.numberFormat = fraction == 0 ? QStringLiteral("dd.mm.yyyy") : QStringLiteral("dd.mm.yyyy hh:mm");
        cell.style = workbook_->styles().intern(style);
    }
}

QString Worksheet::formula(int row, int column) const
{
    checkCell(row, column);
    const StoredCell* cell = store_->cell(row, column);
    return cell ? cell->formula : QString();
}

void Worksheet::setFormula(int row, int column, const QString& a1Formula)
{
    checkCell(row, column);
    QString f = a1Formula.trimmed();
    if (f.isEmpty()) {
        setValue(row, column, CellValue());
        return;
    }
    if (!f.startsWith(u'=')) {
        // Not a formula: the spreadsheet stores such text as a constant.
        setValue(row, column, CellValue::text(a1Formula));
        return;
    }
    StoredCell& cell = touch(*store_, row, column);
    cell.formula = f;
    store_->richText.erase(CellRef{row, column});
}

void Worksheet::setFormulaR1C1(int row, int column, const QString& r1c1Formula)
{
    setFormula(row, column, r1c1ToA1(r1c1Formula, row, column));
}

QString Worksheet::hyperlink(int row, int column) const
{
    checkCell(row, column);
    for (const Hyperlink& link : store_->hyperlinks)
        if (link.range.contains(CellRef{row, column}))
            return link.address;
    return {};
}

void Worksheet::setHyperlink(int row, int column, const QString& address, const QString& text)
{
    checkCell(row, column);
    auto& links = store_->hyperlinks;
    links.erase(std::remove_if(links.begin(), links.end(),
                               [&](const Hyperlink& l) { return l.range.contains(CellRef{row, column}); }),
                links.end());
    if (!address.isEmpty()) {
        Hyperlink link;
        link.range = CellRange{{row, column}, {row, column}};
        const qsizetype hash = address.indexOf(u'#');
        if (hash == 0) {
            link.subAddress = address.mid(1);
        } else {
            link.address = address;
        }
        links.push_back(link);
    }
    if (!text.isEmpty())
        setValue(row, column, CellValue::text(text));
}

CellStyle Worksheet::style(int row, int column) const
{
    checkCell(row, column);
    const StoredCell* cell = store_->cell(row, column);
    std::uint32_t index = cell && cell->style ? cell->style : inheritedStyle(*store_, row, column);
    return workbook_->styles().at(index);
}

void Worksheet::setStyle(int row, int column, const CellStyle& style)
{
    checkCell(row, column);
    store_->cellFor(row, column).style = workbook_->styles().intern(style);
}

std::vector<RichRun> Worksheet::richText(int row, int column) const
{
    auto it = store_->richText.find(CellRef{row, column});
    return it == store_->richText.end() ? std::vector<RichRun>() : it->second;
}

void Worksheet::setRichText(int row, int column, const std::vector<RichRun>& runs)
{
    checkCell(row, column);
    if (runs.empty())
        store_->richText.erase(CellRef{row, column});
    else
        store_->richText[CellRef{row, column}] = runs;
}

void Worksheet::clearCell(int row, int column)
{
    checkCell(row, column);
    if (store_->cell(row, column)) {
        StoredCell& cell = store_->cellFor(row, column);
        cell.value = CellValue();
        cell.formula.clear();
    }
    store_->richText.erase(CellRef{row, column});
}

// --- blocks

ValueBlock Worksheet::values(const CellRange& area) const
{
    if (!area.isValid())
        throw SheetError(QStringLiteral("Неверный диапазон"));
    // Whole rows or columns: only as far as the sheet is used.
    CellRange clipped = area;
    const CellRef last = lastUsedCell();
    if (area.last.row == kMaxRows)
        clipped.last.row = std::max(area.first.row, last.row);
    if (area.last.column == kMaxColumns)
        clipped.last.column = std::max(area.first.column, last.column);
    ValueBlock block(clipped.rowCount(), clipped.columnCount());
    for (int r = clipped.first.row; r <= clipped.last.row; ++r) {
        if (std::size_t(r) > store_->rows.size())
            break;
        const auto& cells = store_->rows[std::size_t(r - 1)].cells;
        for (int c = clipped.first.column; c <= clipped.last.column && std::size_t(c) <= cells.size(); ++c) {
            const CellValue& v = cells[std::size_t(c - 1)].value;
            if (!v.isEmpty())
                block.set(r - clipped.first.row + 1, c - clipped.first.column + 1, v);
        }
    }
    return block;
}

void Worksheet::setValues(CellRef topLeft, const ValueBlock& block)
{
    checkCell(topLeft.row, topLeft.column);
    if (block.isEmpty())
        return;
    const int bottom = topLeft.row + block.rows() - 1;
    const int right = topLeft.column + block.columns() - 1;
    checkCell(bottom, right);

    // An export puts a whole table here at once: the storage grows once, the
    // column formats are looked up once, and a date's format is derived once
    // per style, not once per cell.
    if (store_->rows.size() < std::size_t(bottom))
        store_->rows.resize(std::size_t(bottom));
    std::vector<std::uint32_t> columnStyles(std::size_t(block.columns()), 0);
    for (int c = 0; c < block.columns(); ++c) {
        auto it = store_->columns.find(topLeft.column + c);
        if (it != store_->columns.end() && it->second.style)
            columnStyles[std::size_t(c)] = *it->second.style;
    }
    std::vector<std::pair<std::uint32_t, std::uint32_t>> dateStyles[2]; // [has a time]: style -> with date format
    auto dateStyle = [&](std::uint32_t style, double day) {
        const bool withTime = day != std::floor(day);
        auto& memo = dateStyles[withTime ? 1 : 0];
        for (const auto& [from, to] : memo)
            if (from == style)
                return to;
        std::uint32_t to = style;
        const CellStyle& current = workbook_->styles().at(style);
        if (current.numberFormat.isEmpty()) {
            // A date put into a General cell shows as a date, as the
            // spreadsheet does on assignment.
            CellStyle dated = current;
            dated.numberFormat = withTime ? QStringLiteral("dd.mm.yyyy hh:mm") : QStringLiteral("dd.mm.yyyy");
            to = workbook_->styles().intern(dated);
        }
        memo.emplace_back(style, to);
        return to;
    };
    const bool anyRichText = !store_->richText.empty();

    for (int r = 1; r <= block.rows(); ++r) {
        const int rowNumber = topLeft.row + r - 1;
        StoredRow& row = store_->rows[std::size_t(rowNumber - 1)];
        for (int c = 1; c <= block.columns(); ++c) {
            const int column = topLeft.column + c - 1;
            const CellType type = block.type(r, c);
            if (type == CellType::Empty) {
                if (std::size_t(column) <= row.cells.size()) {
                    StoredCell& cell = row.cells[std::size_t(column - 1)];
                    cell.value = CellValue();
                    cell.formula.clear();
                }
            } else {
                if (row.cells.size() < std::size_t(right))
                    row.cells.resize(std::size_t(right));
                StoredCell& cell = row.cells[std::size_t(column - 1)];
                if (cell.isBlank())
                    cell.style = row.style ? *row.style : columnStyles[std::size_t(c - 1)];
                cell.value = block.value(r, c);
                cell.formula.clear();
                if (type == CellType::Date)
                    cell.style = dateStyle(cell.style, cell.value.toNumber());
            }
            if (anyRichText)
                store_->richText.erase(CellRef{rowNumber, column});
        }
    }
}

CellRange Worksheet::usedRange() const
{
    int top = 0, left = 0, bottom = 0, right = 0;
    for (std::size_t r = 0; r < store_->rows.size(); ++r) {
        const auto& cells = store_->rows[r].cells;
        for (std::size_t c = 0; c < cells.size(); ++c) {
            if (cells[c].isBlank())
                continue;
            const int row = int(r + 1);
            const int column = int(c + 1);
            if (top == 0)
                top = row;
            bottom = row;
            left = left == 0 ? column : std::min(left, column);
            right = std::max(right, column);
        }
    }
    if (top == 0)
        return CellRange{};
    return CellRange{{top, left}, {bottom, right}};
}

CellRef Worksheet::lastUsedCell() const
{
    return usedRange().last;
}

// --- structure

void Worksheet::merge(const CellRange& area)
{
    if (!area.isValid())
        throw SheetError(QStringLiteral("Неверный диапазон объединения"));
    if (area.first == area.last)
        return;
    for (const CellRange& m : store_->merges) {
        if (m == area)
            return;
        if (overlaps(m, area))
            throw SheetError(QStringLiteral("Объединение %1 пересекается с %2").arg(toA1(area), toA1(m)));
    }
    // Only the top-left value survives a merge.
    for (int r = area.first.row; r <= area.last.row && std::size_t(r) <= store_->rows.size(); ++r)
        for (int c = area.first.column; c <= area.last.column; ++c)
            if (!(r == area.first.row && c == area.first.column) && store_->cell(r, c))
                clearCell(r, c);
    store_->merges.push_back(area);
}

void Worksheet::unmerge(const CellRange& area)
{
    auto& m = store_->merges;
    m.erase(std::remove_if(m.begin(), m.end(), [&](const CellRange& x) { return overlaps(x, area); }), m.end());
}

const std::vector<CellRange>& Worksheet::merges() const
{
    return store_->merges;
}

// Moves the sheet's ranges (merges, links, rich text, the filter, the print
// area) by `shift`, which returns false for a range that goes with deleted
// rows or columns; such ranges, and merges left one cell, are dropped.
template <typename Shift>
static void shiftRanges(SheetStore& store, Shift shift)
{
    auto& merges = store.merges;
    for (auto it = merges.begin(); it != merges.end();) {
        if (!shift(*it) || it->first == it->last)
            it = merges.erase(it);
        else
            ++it;
    }
    auto& links = store.hyperlinks;
    for (auto it = links.begin(); it != links.end();) {
        if (!shift(it->range))
            it = links.erase(it);
        else
            ++it;
    }
    std::map<CellRef, std::vector<RichRun>> rich;
    for (auto& [cell, runs] : store.richText) {
        CellRange r{cell, cell};
        if (shift(r))
            rich[r.first] = std::move(runs);
    }
    store.richText.swap(rich);
    if (store.autoFilter && !shift(*store.autoFilter))
        store.autoFilter.reset();
    if (store.page.printArea && !shift(*store.page.printArea))
        store.page.printArea.reset();
}

// Moves everything keyed by row for rows inserted or deleted at `row`.
static void shiftSheetForRows(SheetStore& store, int row, int count)
{
    shiftRanges(store, [row, count](CellRange& range) { return shiftRange(range, row, count); });
    if (store.page.repeatRows) {
        CellRange titles{{store.page.repeatRows->first, 1}, {store.page.repeatRows->second, 1}};
        if (shiftRange(titles, row, count))
            store.page.repeatRows = std::make_pair(titles.first.row, titles.last.row);
        else
            store.page.repeatRows.reset();
    }
    for (StoredRow& r : store.rows)
        for (StoredCell& cell : r.cells)
            if (!cell.formula.isEmpty())
                cell.formula = adjustFormulaForRows(cell.formula, row, count);
}

void Worksheet::insertRows(int row, int count)
{
    checkCell(row, 1);
    if (count < 1)
        return;
    shiftSheetForRows(*store_, row, count);
    if (std::size_t(row) > store_->rows.size() + 1) {
        // Past the used rows: nothing moves, only the formats of the row above
        // would be taken, and an empty row has none.
        return;
    }
    StoredRow fresh;
    if (row > 1 && std::size_t(row - 1) <= store_->rows.size()) {
        const StoredRow& above = store_->rows[std::size_t(row - 2)];
        fresh.height = above.height;
        fresh.style = above.style;
        fresh.hidden = false;
        const std::uint8_t below =
            std::size_t(row) <= store_->rows.size() ? store_->rows[std::size_t(row - 1)].outlineLevel : 0;
        fresh.outlineLevel = std::min(above.outlineLevel, below);
        fresh.cells.resize(above.cells.size());
        for (std::size_t c = 0; c < above.cells.size(); ++c)
            fresh.cells[c].style = above.cells[c].style;
    }
    store_->rows.insert(store_->rows.begin() + (row - 1), std::size_t(count), fresh);
    if (store_->rows.size() > std::size_t(kMaxRows))
        store_->rows.resize(std::size_t(kMaxRows));
    if (store_->activeCell.row >= row)
        store_->activeCell.row = std::min(store_->activeCell.row + count, kMaxRows);
}

void Worksheet::deleteRows(int row, int count)
{
    checkCell(row, 1);
    if (count < 1)
        return;
    count = std::min(count, kMaxRows - row + 1);
    shiftSheetForRows(*store_, row, -count);
    if (std::size_t(row) <= store_->rows.size()) {
        const std::size_t end = std::min(store_->rows.size(), std::size_t(row - 1 + count));
        store_->rows.erase(store_->rows.begin() + (row - 1), store_->rows.begin() + std::ptrdiff_t(end));
    }
    if (store_->activeCell.row >= row + count)
        store_->activeCell.row -= count;
    else if (store_->activeCell.row >= row)
        store_->activeCell.row = row;
}

void Worksheet::insertRowCopy(int sourceRow, int atRow, int count)
{
    checkCell(sourceRow, 1);
    checkCell(atRow, 1);
    if (count < 1)
        return;
    count = std::min(count, kMaxRows - atRow + 1);
    StoredRow copy;
    if (std::size_t(sourceRow) <= store_->rows.size())
        copy = store_->rows[std::size_t(sourceRow - 1)];
    std::vector<CellRange> rowMerges;
    for (const CellRange& m : store_->merges)
        if (m.first.row == sourceRow && m.last.row == sourceRow)
            rowMerges.push_back(m);
    std::vector<Hyperlink> rowLinks;
    for (const Hyperlink& l : store_->hyperlinks)
        if (l.range.first.row == sourceRow && l.range.last.row == sourceRow)
            rowLinks.push_back(l);
    std::vector<std::pair<int, std::vector<RichRun>>> rowRich;
    for (const auto& [cell, runs] : store_->richText)
        if (cell.row == sourceRow)
            rowRich.emplace_back(cell.column, runs);

    // One shift for all the copies: the rows below move once.
    insertRows(atRow, count);
    if (store_->rows.size() < std::size_t(atRow + count - 1))
        store_->rows.resize(std::size_t(atRow + count - 1));
    for (int k = 0; k < count; ++k) {
        const int row = atRow + k;
        // The copy's formulas move as a paste moves them, from the source row
        // to the new one; the source itself may have moved down.
        StoredRow& target = store_->rows[std::size_t(row - 1)];
        target = copy;
        for (StoredCell& cell : target.cells)
            if (!cell.formula.isEmpty())
                cell.formula = moveA1Formula(cell.formula, row - sourceRow, 0);
        for (CellRange m : rowMerges) {
            m.first.row = m.last.row = row;
            store_->merges.push_back(m);
        }
        for (Hyperlink l : rowLinks) {
            l.range.first.row = l.range.last.row = row;
            store_->hyperlinks.push_back(l);
        }
        for (const auto& [column, runs] : rowRich)
            store_->richText[CellRef{row, column}] = runs;
    }
}

// Moves everything keyed by column for columns inserted or deleted at
// `column`: merges, links, rich text, the filter, the print area, the
// selection and every formula's references.
static void shiftSheetForColumns(SheetStore& store, int column, int count)
{
    shiftRanges(store, [column, count](CellRange& range) { return shiftColumnRange(range, column, count); });
    CellRange active{store.activeCell, store.activeCell};
    if (shiftColumnRange(active, column, count))
        store.activeCell = active.first;
    else
        store.activeCell.column = column;
    for (StoredRow& r : store.rows)
        for (StoredCell& cell : r.cells)
            if (!cell.formula.isEmpty())
                cell.formula = adjustFormulaForColumns(cell.formula, column, count);
}

void Worksheet::insertColumns(int column, int count)
{
    checkCell(1, column);
    if (count < 1)
        return;
    count = std::min(count, kMaxColumns - column + 1);
    shiftSheetForColumns(*store_, column, count);

    // Widths and column formats move right; the new columns take those of
    // the column on their left.
    std::map<int, StoredColumn> layout;
    for (const auto& [c, settings] : store_->columns) {
        const int to = c >= column ? c + count : c;
        if (to <= kMaxColumns)
            layout.emplace(to, settings);
    }
    if (auto left = store_->columns.find(column - 1); left != store_->columns.end()) {
        StoredColumn fresh = left->second;
        fresh.hidden = false;
        for (int k = 0; k < count; ++k)
            layout[column + k] = fresh;
    }
    store_->columns.swap(layout);

    for (StoredRow& row : store_->rows) {
        if (row.cells.size() < std::size_t(column))
            continue;
        StoredCell fresh;
        if (column > 1)
            fresh.style = row.cells[std::size_t(column - 2)].style;
        row.cells.insert(row.cells.begin() + (column - 1), std::size_t(count), fresh);
        if (row.cells.size() > std::size_t(kMaxColumns))
            row.cells.resize(std::size_t(kMaxColumns));
    }
}

void Worksheet::deleteColumns(int column, int count)
{
    checkCell(1, column);
    if (count < 1)
        return;
    count = std::min(count, kMaxColumns - column + 1);
    shiftSheetForColumns(*store_, column, -count);

    std::map<int, StoredColumn> layout;
    for (const auto& [c, settings] : store_->columns) {
        if (c < column)
            layout.emplace(c, settings);
        else if (c >= column + count)
            layout.emplace(c - count, settings);
    }
    store_->columns.swap(layout);

    for (StoredRow& row : store_->rows) {
        if (row.cells.size() < std::size_t(column))
            continue;
        const std::size_t end = std::min(row.cells.size(), std::size_t(column - 1 + count));
        row.cells.erase(row.cells.begin() + (column - 1), row.cells.begin() + std::ptrdiff_t(end));
    }
}

void Worksheet::insertColumnCopy(int sourceColumn, int atColumn)
{
    checkCell(1, sourceColumn);
    checkCell(1, atColumn);
    std::vector<std::pair<int, StoredCell>> cells; // by row
    for (std::size_t r = 0; r < store_->rows.size(); ++r)
        if (const StoredCell* cell = store_->cell(int(r + 1), sourceColumn))
            cells.emplace_back(int(r + 1), *cell);
    std::optional<StoredColumn> settings;
    if (auto it = store_->columns.find(sourceColumn); it != store_->columns.end())
        settings = it->second;
    std::vector<CellRange> columnMerges;
    for (const CellRange& m : store_->merges)
        if (m.first.column == sourceColumn && m.last.column == sourceColumn)
            columnMerges.push_back(m);
    std::vector<Hyperlink> columnLinks;
    for (const Hyperlink& l : store_->hyperlinks)
        if (l.range.first.column == sourceColumn && l.range.last.column == sourceColumn)
            columnLinks.push_back(l);
    std::vector<std::pair<int, std::vector<RichRun>>> columnRich;
    for (const auto& [cell, runs] : store_->richText)
        if (cell.column == sourceColumn)
            columnRich.emplace_back(cell.row, runs);

    insertColumns(atColumn, 1);
    // The new column is the copy alone, not the format of its left neighbour.
    for (StoredRow& row : store_->rows)
        if (row.cells.size() >= std::size_t(atColumn))
            row.cells[std::size_t(atColumn - 1)] = StoredCell{};
    // The copy's formulas move as a paste moves them, from the source column
    // to the new one.
    const int delta = atColumn - sourceColumn;
    for (auto& [row, cell] : cells) {
        if (!cell.formula.isEmpty())
            cell.formula = moveA1Formula(cell.formula, 0, delta);
        store_->cellFor(row, atColumn) = cell;
    }
    if (settings)
        store_->columns[atColumn] = *settings;
    else
        store_->columns.erase(atColumn);
    for (CellRange m : columnMerges) {
        m.first.column = m.last.column = atColumn;
        store_->merges.push_back(m);
    }
    for (Hyperlink l : columnLinks) {
        l.range.first.column = l.range.last.column = atColumn;
        store_->hyperlinks.push_back(l);
    }
    for (const auto& [row, runs] : columnRich)
        store_->richText[CellRef{row, atColumn}] = runs;
}

void Worksheet::groupRows(int first, int last)
{
    checkCell(first, 1);
    checkCell(last, 1);
    if (first > last)
        std::swap(first, last);
    for (int r = first; r <= last; ++r) {
        StoredRow& row = store_->row(r);
        if (row.outlineLevel < 7)
            ++row.outlineLevel;
    }
}

void Worksheet::ungroupRows(int first, int last)
{
    checkCell(first, 1);
    checkCell(last, 1);
    if (first > last)
        std::swap(first, last);
    for (int r = first; r <= last && std::size_t(r) <= store_->rows.size(); ++r) {
        StoredRow& row = store_->rows[std::size_t(r - 1)];
        if (row.outlineLevel > 0)
            --row.outlineLevel;
    }
}

int Worksheet::outlineLevel(int row) const
{
    checkCell(row, 1);
    return std::size_t(row) <= store_->rows.size() ? store_->rows[std::size_t(row - 1)].outlineLevel : 0;
}

void Worksheet::setOutlineSummaryAbove(bool above)
{
    store_->summaryAbove = above;
}

bool Worksheet::outlineSummaryAbove() const
{
    return store_->summaryAbove;
}

void Worksheet::setAutoFilter(const CellRange& area)
{
    if (!area.isValid())
        throw SheetError(QStringLiteral("Неверный диапазон автофильтра"));
    store_->autoFilter = area;
}

std::optional<CellRange> Worksheet::autoFilter() const
{
    return store_->autoFilter;
}

void Worksheet::setColumnWidth(int column, double width)
{
    checkCell(1, column);
    if (width < 0 || width > 255)
        throw SheetError(QStringLiteral("Недопустимая ширина колонки: %1").arg(width));
    store_->columns[column].width = width;
}

double Worksheet::columnWidth(int column) const
{
    checkCell(1, column);
    auto it = store_->columns.find(column);
    if (it == store_->columns.end() || it->second.width < 0)
        return store_->defaultColumnWidth;
    return it->second.width;
}

void Worksheet::setRowHeight(int row, double height)
{
    checkCell(row, 1);
    if (height < 0 || height > 409)
        throw SheetError(QStringLiteral("Недопустимая высота строки: %1").arg(height));
    store_->row(row).height = height;
}

double Worksheet::rowHeight(int row) const
{
    checkCell(row, 1);
    if (std::size_t(row) <= store_->rows.size() && store_->rows[std::size_t(row - 1)].height > 0)
        return store_->rows[std::size_t(row - 1)].height;
    return store_->defaultRowHeight;
}

std::optional<CellStyle> Worksheet::rowStyle(int row) const
{
    checkCell(row, 1);
    if (std::size_t(row) <= store_->rows.size() && store_->rows[std::size_t(row - 1)].style)
        return workbook_->styles().at(*store_->rows[std::size_t(row - 1)].style);
    return std::nullopt;
}

std::optional<CellStyle> Worksheet::columnStyle(int column) const
{
    checkCell(1, column);
    auto it = store_->columns.find(column);
    if (it != store_->columns.end() && it->second.style)
        return workbook_->styles().at(*it->second.style);
    return std::nullopt;
}

void Worksheet::setActiveCell(CellRef cell)
{
    checkCell(cell.row, cell.column);
    store_->activeCell = cell;
}

CellRef Worksheet::activeCell() const
{
    return store_->activeCell;
}

void Worksheet::freezePanes(CellRef cell)
{
    if (cell != CellRef{0, 0})
        checkCell(cell.row, cell.column);
    store_->freezeAt = cell;
}

const PageSetup& Worksheet::pageSetup() const
{
    return store_->page;
}

void Worksheet::setPageSetup(const PageSetup& setup)
{
    if (setup.scale < 10 || setup.scale > 400)
        throw SheetError(QStringLiteral("Недопустимый масштаб печати: %1").arg(setup.scale));
    if (setup.repeatRows && (setup.repeatRows->first < 1 || setup.repeatRows->second < setup.repeatRows->first ||
                             setup.repeatRows->second > kMaxRows))
        throw SheetError(QStringLiteral("Неверные строки для печати на каждой странице"));
    store_->page = setup;
}

} // namespace velmora::sheet
