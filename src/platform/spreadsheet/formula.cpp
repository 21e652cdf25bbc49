#include "platform/spreadsheet/formula.h"

#include "platform/spreadsheet/cell_ref.h"
#include "platform/spreadsheet/sheet_error.h"

#include <algorithm>
#include <functional>
#include <optional>

namespace velmora::sheet {

namespace {

// One coordinate of an A1 reference: its number and whether it is absolute.
struct Coord {
    int value = 0;
    bool absolute = false;
};

// An A1 reference as written: a cell (row and column), a whole column
// (column only) or a whole row (row only); `sheet` is the "Name!" prefix
// including the "!", empty for the formula's own sheet.
struct A1Ref {
    QString sheet;
    std::optional<Coord> row1, col1, row2, col2;
    bool isRange = false;
};

bool isNameChar(QChar ch)
{
    return ch.isLetterOrNumber() || ch == u'_' || ch == u'.' || ch == u'\\';
}

bool isAsciiLetter(QChar ch)
{
    const char16_t c = ch.unicode();
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isAsciiDigit(QChar ch)
{
    return ch.unicode() >= '0' && ch.unicode() <= '9';
}

// Reads "$AB" / "AB" at pos; the column number or nullopt.
std::optional<Coord> readColumn(const QString& f, qsizetype& pos)
{
    qsizetype p = pos;
    Coord c;
    if (p < f.size() && f[p] == u'$') {
        c.absolute = true;
        ++p;
    }
    int letters = 0;
    int column = 0;
    while (p < f.size() && isAsciiLetter(f[p])) {
        if (++letters > 3)
            return std::nullopt; // a name, not a column
        column = column * 26 + (f[p].toUpper().unicode() - 'A' + 1);
        ++p;
    }
    if (letters == 0 || letters > 3 || column > kMaxColumns)
        return std::nullopt;
    c.value = column;
    pos = p;
    return c;
}

std::optional<Coord> readRow(const QString& f, qsizetype& pos)
{
    qsizetype p = pos;
    Coord c;
    if (p < f.size() && f[p] == u'$') {
        c.absolute = true;
        ++p;
    }
    long long row = 0;
    int digits = 0;
    while (p < f.size() && isAsciiDigit(f[p])) {
        row = row * 10 + (f[p].unicode() - '0');
        if (++digits > 7)
            return std::nullopt;
        ++p;
    }
    if (digits == 0 || row < 1 || row > kMaxRows)
        return std::nullopt;
    c.value = int(row);
    pos = p;
    return c;
}

// A cell "$A$1", with nothing name-like right after it.
bool readCell(const QString& f, qsizetype& pos, std::optional<Coord>& row, std::optional<Coord>& col)
{
    qsizetype p = pos;
    auto c = readColumn(f, p);
    if (!c)
        return false;
    auto r = readRow(f, p);
    if (!r)
        return false;
    if (p < f.size() && (isNameChar(f[p]) || f[p] == u'(' || f[p] == u'!'))
        return false;
    row = r;
    col = c;
    pos = p;
    return true;
}

// The position of the quote that closes the literal opened at `open`
// (a doubled quote stands for one quote inside it), or the text's size when
// the literal runs to the end.
qsizetype closingQuote(const QString& f, qsizetype open)
{
    const QChar quote = f[open];
    qsizetype q = open + 1;
    while (q < f.size()) {
        if (f[q] == quote) {
            if (q + 1 < f.size() && f[q + 1] == quote) {
                q += 2;
                continue;
            }
            break;
        }
        ++q;
    }
    return q;
}

// Copies the literal opened at `open` to out unchanged; returns the
// position after it.
qsizetype appendQuoted(QString& out, const QString& f, qsizetype open)
{
    const qsizetype end = closingQuote(f, open) + 1;
    out += f.mid(open, end - open);
    return end;
}

// Tries to read a reference at pos (a name boundary). Returns it and moves
// pos past it, or nullopt.
std::optional<A1Ref> readA1Ref(const QString& f, qsizetype& pos)
{
    qsizetype p = pos;
    A1Ref ref;
    // Sheet prefix: 'quoted name'! or plain name!
    if (p < f.size() && f[p] == u'\'') {
        const qsizetype q = closingQuote(f, p);
        if (q + 1 >= f.size() || f[q + 1] != u'!')
            return std::nullopt;
        ref.sheet = f.mid(p, q + 2 - p);
        p = q + 2;
    } else {
        qsizetype q = p;
        while (q < f.size() && isNameChar(f[q]))
            ++q;
        if (q > p && q < f.size() && f[q] == u'!') {
            ref.sheet = f.mid(p, q + 1 - p);
            p = q + 1;
        }
    }
    const qsizetype start = p;
    if (readCell(f, p, ref.row1, ref.col1)) {
        qsizetype q = p;
        if (q < f.size() && f[q] == u':') {
            ++q;
            if (readCell(f, q, ref.row2, ref.col2)) {
                ref.isRange = true;
                p = q;
            }
        }
        pos = p;
        return ref;
    }
    // Whole columns "A:C" or whole rows "3:5".
    p = start;
    if (auto c1 = readColumn(f, p); c1 && p < f.size() && f[p] == u':') {
        qsizetype q = p + 1;
        if (auto c2 = readColumn(f, q); c2 && (q >= f.size() || (!isNameChar(f[q]) && f[q] != u'('))) {
            ref.col1 = c1;
            ref.col2 = c2;
            ref.isRange = true;
            pos = q;
            return ref;
        }
    }
    p = start;
    if (auto r1 = readRow(f, p); r1 && p < f.size() && f[p] == u':') {
        qsizetype q = p + 1;
        if (auto r2 = readRow(f, q); r2 && (q >= f.size() || !isNameChar(f[q]))) {
            ref.row1 = r1;
            ref.row2 = r2;
            ref.isRange = true;
            pos = q;
            return ref;
        }
    }
    return std::nullopt;
}

QString coordText(const Coord& c, bool column)
{
    QString text = c.absolute ? QStringLiteral("$") : QString();
    return text + (column ? columnLetters(c.value) : QString::number(c.value));
}

QString refText(const A1Ref& ref)
{
    QString text = ref.sheet;
    auto part = [](const std::optional<Coord>& col, const std::optional<Coord>& row) {
        QString t;
        if (col)
            t += coordText(*col, true);
        if (row)
            t += coordText(*row, false);
        return t;
    };
    text += part(ref.col1, ref.row1);
    if (ref.isRange)
        text += u':' + part(ref.col2, ref.row2);
    return text;
}

// Walks the formula, copying strings and everything that is no reference;
// each reference goes through `change`, which returns its new text.
QString transformA1(const QString& formula, const std::function<QString(A1Ref&)>& change)
{
    QString out;
    out.reserve(formula.size() + 8);
    qsizetype pos = 0;
    const qsizetype n = formula.size();
    while (pos < n) {
        const QChar ch = formula[pos];
        if (ch == u'"') {
            pos = appendQuoted(out, formula, pos);
            continue;
        }
        const bool boundary = pos == 0 || !isNameChar(formula[pos - 1]);
        if (boundary && (ch == u'$' || ch == u'\'' || isNameChar(ch))) {
            qsizetype q = pos;
            if (auto ref = readA1Ref(formula, q)) {
                out += change(*ref);
                pos = q;
                continue;
            }
            // Not a reference: copy the whole name so that its tail is not
            // taken for one.
            if (ch == u'\'') {
                out += ch;
                ++pos;
                continue;
            }
            qsizetype e = pos;
            while (e < n && (isNameChar(formula[e]) || formula[e] == u'$'))
                ++e;
            if (e == pos)
                e = pos + 1;
            out += formula.mid(pos, e - pos);
            pos = e;
            continue;
        }
        out += ch;
        ++pos;
    }
    return out;
}

const QString kRefError = QStringLiteral("#REF!");

} // namespace

QString moveA1Formula(const QString& formula, int rowDelta, int columnDelta)
{
    return transformA1(formula, [&](A1Ref& ref) {
        bool ok = true;
        auto moveRow = [&](std::optional<Coord>& c) {
            if (c && !c->absolute) {
                c->value += rowDelta;
                ok = ok && c->value >= 1 && c->value <= kMaxRows;
            }
        };
        auto moveCol = [&](std::optional<Coord>& c) {
            if (c && !c->absolute) {
                c->value += columnDelta;
                ok = ok && c->value >= 1 && c->value <= kMaxColumns;
            }
        };
        moveRow(ref.row1);
        moveRow(ref.row2);
        moveCol(ref.col1);
        moveCol(ref.col2);
        return ok ? refText(ref) : ref.sheet + kRefError;
    });
}

namespace {

// References to this sheet whose rows (or columns) are at or beyond `at`
// move by `count`; a span that loses all its lines becomes #REF!.
QString adjustFormulaLines(const QString& formula, int at, int count, bool columns)
{
    if (count == 0)
        return formula;
    return transformA1(formula, [&](A1Ref& ref) -> QString {
        std::optional<Coord>& one = columns ? ref.col1 : ref.row1;
        std::optional<Coord>& two = columns ? ref.col2 : ref.row2;
        if (!ref.sheet.isEmpty() || !one)
            return refText(ref);
        const bool span = ref.isRange && two;
        int first = one->value;
        int last = span ? two->value : first;
        const bool reversed = first > last;
        if (reversed)
            std::swap(first, last);
        const bool kept = columns ? shiftColumnSpan(first, last, at, count) : shiftRowSpan(first, last, at, count);
        if (!kept)
            return kRefError;
        if (reversed)
            std::swap(first, last);
        one->value = first;
        if (span)
            two->value = last;
        return refText(ref);
    });
}

} // namespace

QString adjustFormulaForRows(const QString& formula, int row, int count)
{
    return adjustFormulaLines(formula, row, count, false);
}

QString adjustFormulaForColumns(const QString& formula, int column, int count)
{
    return adjustFormulaLines(formula, column, count, true);
}

namespace {

// One R1C1 coordinate: "R", "R[-3]", "R5" (absolute).
struct R1C1Coord {
    bool present = false;
    bool absolute = false;
    int value = 0; // offset when relative
};

bool readR1C1Part(const QString& f, qsizetype& pos, char16_t letter, R1C1Coord& coord)
{
    if (pos >= f.size() || f[pos].toUpper().unicode() != letter)
        return false;
    qsizetype p = pos + 1;
    coord = R1C1Coord{true, false, 0};
    if (p < f.size() && f[p] == u'[') {
        qsizetype q = p + 1;
        bool negative = false;
        if (q < f.size() && (f[q] == u'-' || f[q] == u'+')) {
            negative = f[q] == u'-';
            ++q;
        }
        long long v = 0;
        int digits = 0;
        while (q < f.size() && isAsciiDigit(f[q])) {
            v = v * 10 + (f[q].unicode() - '0');
            if (++digits > 7)
                return false;
            ++q;
        }
        if (digits == 0 || q >= f.size() || f[q] != u']')
            return false;
        coord.value = int(negative ? -v : v);
        p = q + 1;
    } else if (p < f.size() && isAsciiDigit(f[p])) {
        long long v = 0;
        int digits = 0;
        while (p < f.size() && isAsciiDigit(f[p])) {
            v = v * 10 + (f[p].unicode() - '0');
            if (++digits > 7)
                return false;
            ++p;
        }
        coord.absolute = true;
        coord.value = int(v);
    }
    pos = p;
    return true;
}

// A reference "R[-1]C", "R2C3", "R[1]" (whole row) or "C[2]" (whole column).
bool readR1C1Ref(const QString& f, qsizetype& pos, R1C1Coord& row, R1C1Coord& col)
{
    qsizetype p = pos;
    row = {};
    col = {};
    readR1C1Part(f, p, 'R', row);
    readR1C1Part(f, p, 'C', col);
    if (!row.present && !col.present)
        return false;
    if (p < f.size() && (isNameChar(f[p]) || f[p] == u'(' || f[p] == u'!'))
        return false;
    pos = p;
    return true;
}

Coord resolve(const R1C1Coord& c, int base, int limit, const QString& formula)
{
    Coord out{c.absolute ? c.value : base + c.value, c.absolute};
    if (out.value < 1 || out.value > limit)
        throw SheetError(QStringLiteral("Ссылка формулы вне листа: \"%1\"").arg(formula));
    return out;
}

} // namespace

QString r1c1ToA1(const QString& formula, int row, int column)
{
    if (row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns)
        throw SheetError(QStringLiteral("Ячейка формулы вне листа: (%1, %2)").arg(row).arg(column));
    QString out;
    out.reserve(formula.size() + 8);
    const qsizetype n = formula.size();
    qsizetype pos = 0;
    while (pos < n) {
        const QChar ch = formula[pos];
        if (ch == u'"' || ch == u'\'') {
            pos = appendQuoted(out, formula, pos);
            continue;
        }
        const bool boundary = pos == 0 || (!isNameChar(formula[pos - 1]) && formula[pos - 1] != u']');
        const char16_t up = ch.toUpper().unicode();
        if (boundary && (up == 'R' || up == 'C')) {
            qsizetype q = pos;
            R1C1Coord r1, c1;
            if (readR1C1Ref(formula, q, r1, c1)) {
                R1C1Coord r2, c2;
                bool range = false;
                qsizetype q2 = q;
                if (q2 < n && formula[q2] == u':') {
                    ++q2;
                    if (readR1C1Ref(formula, q2, r2, c2) && r2.present == r1.present && c2.present == c1.present) {
                        range = true;
                        q = q2;
                    }
                }
                if (!range && (!r1.present || !c1.present)) {
                    // A lone "R" or "C" part is a name, not a reference.
                    out += formula.mid(pos, q - pos);
                    pos = q;
                    continue;
                }
                std::optional<Coord> ar1, ac1, ar2, ac2;
                if (r1.present)
                    ar1 = resolve(r1, row, kMaxRows, formula);
                if (c1.present)
                    ac1 = resolve(c1, column, kMaxColumns, formula);
                if (range) {
                    if (r2.present)
                        ar2 = resolve(r2, row, kMaxRows, formula);
                    if (c2.present)
                        ac2 = resolve(c2, column, kMaxColumns, formula);
                    if (ar1 && ar2 && ar1->value > ar2->value)
                        std::swap(ar1, ar2);
                    if (ac1 && ac2 && ac1->value > ac2->value)
                        std::swap(ac1, ac2);
                }
                A1Ref ref;
                ref.row1 = ar1;
                ref.col1 = ac1;
                ref.row2 = ar2;
                ref.col2 = ac2;
                ref.isRange = range;
                out += refText(ref);
                pos = q;
                continue;
            }
        }
        if (boundary && isNameChar(ch)) {
            // Copy a whole name ("ROUND", "COUNT") at once.
            qsizetype e = pos;
            while (e < n && isNameChar(formula[e]))
                ++e;
            out += formula.mid(pos, e - pos);
            pos = e;
            continue;
        }
        out += ch;
        ++pos;
    }
    return out;
}

namespace {

struct LocalName {
    const char* english;
    const char* russian;
};

const LocalName kLocalNames[] = {
    {"HYPERLINK", "ГИПЕРССЫЛКА"}, {"SUM", "СУММ"}, {"SUBTOTAL", "ПРОМЕЖУТОЧНЫЕ.ИТОГИ"}, {"IF", "ЕСЛИ"},
    {"ROUND", "ОКРУГЛ"}, {"ROUNDUP", "ОКРУГЛВВЕРХ"}, {"ROUNDDOWN", "ОКРУГЛВНИЗ"}, {"AVERAGE", "СРЗНАЧ"},
    {"MIN", "МИН"}, {"MAX", "МАКС"}, {"COUNT", "СЧЁТ"}, {"COUNTA", "СЧЁТЗ"}, {"COUNTIF", "СЧЁТЕСЛИ"},
    {"SUMIF", "СУММЕСЛИ"}, {"SUMPRODUCT", "СУММПРОИЗВ"}, {"PRODUCT", "ПРОИЗВЕД"}, {"CONCATENATE", "СЦЕПИТЬ"},
    {"VLOOKUP", "ВПР"}, {"HLOOKUP", "ГПР"}, {"INDEX", "ИНДЕКС"}, {"MATCH", "ПОИСКПОЗ"}, {"LEFT", "ЛЕВСИМВ"},
    {"RIGHT", "ПРАВСИМВ"}, {"MID", "ПСТР"}, {"LEN", "ДЛСТР"}, {"TRIM", "СЖПРОБЕЛЫ"}, {"UPPER", "ПРОПИСН"},
    {"LOWER", "СТРОЧН"}, {"SUBSTITUTE", "ПОДСТАВИТЬ"}, {"FIND", "НАЙТИ"}, {"SEARCH", "ПОИСК"},
    {"TEXT", "ТЕКСТ"}, {"VALUE", "ЗНАЧЕН"}, {"TODAY", "СЕГОДНЯ"}, {"NOW", "ТДАТА"}, {"DATE", "ДАТА"},
    {"YEAR", "ГОД"}, {"MONTH", "МЕСЯЦ"}, {"DAY", "ДЕНЬ"}, {"AND", "И"}, {"OR", "ИЛИ"}, {"NOT", "НЕ"},
    {"TRUE", "ИСТИНА"}, {"FALSE", "ЛОЖЬ"}, {"INT", "ЦЕЛОЕ"}, {"MOD", "ОСТАТ"}, {"ISBLANK", "ЕПУСТО"},
    {"ISERROR", "ЕОШИБКА"}, {"ISNUMBER", "ЕЧИСЛО"}, {"ROW", "СТРОКА"}, {"COLUMN", "СТОЛБЕЦ"},
};

} // namespace

QString toLocalFormula(const QString& a1Formula)
{
    QString out;
    out.reserve(a1Formula.size() + 8);
    const qsizetype n = a1Formula.size();
    qsizetype pos = 0;
    while (pos < n) {
        const QChar ch = a1Formula[pos];
        if (ch == u'"' || ch == u'\'') {
            pos = appendQuoted(out, a1Formula, pos);
            continue;
        }
        if (isNameChar(ch) && (pos == 0 || !isNameChar(a1Formula[pos - 1]))) {
            qsizetype e = pos;
            while (e < n && isNameChar(a1Formula[e]))
                ++e;
            QString name = a1Formula.mid(pos, e - pos);
            const bool call = e < n && a1Formula[e] == u'(';
            const bool constant = name.compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0 ||
                                  name.compare(QLatin1String("FALSE"), Qt::CaseInsensitive) == 0;
            if (call || constant) {
                for (const LocalName& l : kLocalNames)
                    if (name.compare(QLatin1String(l.english), Qt::CaseInsensitive) == 0) {
                        name = QString::fromUtf8(l.russian);
                        break;
                    }
            } else if (!name.isEmpty() && name[0].isDigit()) {
                name.replace(u'.', u','); // a number: the decimal comma
            }
            out += name;
            pos = e;
            continue;
        }
        out += ch == u',' ? QChar(u';') : ch;
        ++pos;
    }
    return out;
}

} // namespace velmora::sheet
