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

bool shiftRowSpan(int& top, int& bottom, int row, int count)
{
    if (count >= 0) {
        if (top >= row)
            top = std::min(top + count, kMaxRows);
        if (bottom >= row)
            bottom = std::min(bottom + count, kMaxRows);
        return true;
    }
    const int first = row;
    const int last = row - count - 1; // deleted rows first..last
    const int removed = -count;
    if (top >= first && bottom <= last)
        return false;
    auto shift = [&](int r, bool isTop) {
        if (r > last)
            return r - removed;
        if (r >= first)
            return isTop ? first : first - 1;
        return r;
    };
    top = shift(top, true);
    bottom = shift(bottom, false);
    return top <= bottom;
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
