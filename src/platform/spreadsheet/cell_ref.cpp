#include "platform/spreadsheet/cell_ref.h"

#include "platform/spreadsheet/sheet_error.h"

#include <algorithm>

namespace velmora::sheet {

QString columnLetters(int column)
{
    if (column < 1 || column > kMaxColumns)
        throw SheetError(QStringLiteral("Номер колонки вне листа: %1").arg(column));
    QString letters;
    while (column > 0) {
        const int rest = (column - 1) % 26;
        letters.prepend(QChar('A' + rest));
        column = (column - 1) / 26;
    }
    return letters;
}

int columnNumber(const QString& letters)
{
    if (letters.isEmpty() || letters.size() > 3)
        return 0;
    int column = 0;
    for (QChar ch : letters) {
        const char16_t c = ch.toUpper().unicode();
        if (c < 'A' || c > 'Z')
            return 0;
        column = column * 26 + (c - 'A' + 1);
    }
    return column <= kMaxColumns ? column : 0;
}

namespace {

// Parses "$B$7" at text[pos...]; advances pos. false on a malformed cell.
bool parseCellAt(const QString& text, qsizetype& pos, CellRef& cell)
{
    auto skipDollar = [&] {
        if (pos < text.size() && text[pos] == u'$')
            ++pos;
    };
    skipDollar();
    int column = 0;
    int letters = 0;
    while (pos < text.size()) {
        const char16_t c = text[pos].toUpper().unicode();
        if (c < 'A' || c > 'Z')
            break;
        column = column * 26 + (c - 'A' + 1);
        if (++letters > 3)
            return false;
        ++pos;
    }
    skipDollar();
    long long row = 0;
    int digits = 0;
    while (pos < text.size() && text[pos].isDigit() && text[pos].unicode() < 128) {
        row = row * 10 + (text[pos].unicode() - '0');
        if (++digits > 7)
            return false;
        ++pos;
    }
    if (letters == 0 || digits == 0)
        return false;
    cell = CellRef{int(row), column};
    return cell.isValid();
}

} // namespace

CellRef parseCell(const QString& a1)
{
    const QString text = a1.trimmed();
    qsizetype pos = 0;
    CellRef cell;
    if (!parseCellAt(text, pos, cell) || pos != text.size())
        throw SheetError(QStringLiteral("Неверный адрес ячейки: \"%1\"").arg(a1));
    return cell;
}

CellRange parseRange(const QString& a1)
{
    const QString text = a1.trimmed();
    qsizetype pos = 0;
    CellRef first;
    CellRef last;
    bool ok = parseCellAt(text, pos, first);
    if (ok && pos < text.size()) {
        ok = text[pos] == u':';
        ++pos;
        ok = ok && parseCellAt(text, pos, last);
    } else {
        last = first;
    }
    if (!ok || pos != text.size())
        throw SheetError(QStringLiteral("Неверный адрес диапазона: \"%1\"").arg(a1));
    return makeRange(first, last);
}

CellRange makeRange(CellRef a, CellRef b)
{
    return CellRange{{std::min(a.row, b.row), std::min(a.column, b.column)},
                     {std::max(a.row, b.row), std::max(a.column, b.column)}};
}

namespace {

// One axis of a sheet: the span first..last (first <= last) moved for
// `count` lines inserted (> 0) or deleted (< 0) at `at`; `limit` is the
// axis' last line.
bool shiftSpan(int& first, int& last, int at, int count, int limit)
{
    if (count >= 0) {
        if (first >= at)
            first = std::min(first + count, limit);
        if (last >= at)
            last = std::min(last + count, limit);
        return true;
    }
    const int gone = at - count - 1; // deleted lines at..gone
    const int removed = -count;
    if (first >= at && last <= gone)
        return false;
    auto shift = [&](int line, bool isFirst) {
        if (line > gone)
            return line - removed;
        if (line >= at)
            return isFirst ? at : at - 1;
        return line;
    };
    first = shift(first, true);
    last = shift(last, false);
    return first <= last;
}

} // namespace

bool shiftRowSpan(int& top, int& bottom, int row, int count)
{
    return shiftSpan(top, bottom, row, count, kMaxRows);
}

bool shiftColumnSpan(int& left, int& right, int column, int count)
{
    return shiftSpan(left, right, column, count, kMaxColumns);
}

QString toA1(CellRef cell)
{
    return columnLetters(cell.column) + QString::number(cell.row);
}

QString toA1(const CellRange& range)
{
    if (range.first == range.last)
        return toA1(range.first);
    return toA1(range.first) + u':' + toA1(range.last);
}

} // namespace velmora::sheet
