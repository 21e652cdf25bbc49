#pragma once

#include <QString>
#include <QStringList>

namespace velmora {

// Column selectors: "Нет", "A" ... "Z" (item index = column number) and an
// item 27 that shows what those cannot: a column beyond Z, joined columns
// ("C+E") or a hyperlink column ("C (Hiper)").
inline constexpr int kSpecSelectorExtraItem = 27;
QStringList ColumnSelectorItems(); // the 27 fixed items

struct SelectorChoice {
    int index = 0;     // item to select
    QString extraText; // text of item 27 when index is 27
};
SelectorChoice SelectorChoiceForSpec(qint64 spec);

// The currency selector: "USD", "EUR", "RUB", "BYN", "UAH" and, for a
// per-row currency column (Valuta = column + 5), a sixth item with the
// column's letters.
inline constexpr int kCurrencyColumnItem = 5;
inline constexpr int kCurrencyColumnOffset = 5;
QStringList CurrencySelectorItems();
SelectorChoice SelectorChoiceForValuta(int valuta);

// Columns beyond this do not fit a two-digit group of a column spec.
inline constexpr int kMaxSpecColumn = 99;
// Joins suggested in the window: at most three columns (the loader reads four).
inline constexpr int kMaxJoinedColumns = 3;
inline constexpr qint64 kHyperlinkSpecBase = 100000000;

// "+": joins column c to the column spec shown. A spec of none (or a hyperlink
// spec) becomes c alone; a spec that holds three columns already is refused.
struct JoinResult {
    qint64 spec = 0;
    bool refused = false;
};
JoinResult JoinColumnSpec(qint64 currentSpec, int column);

QString JoinRefusedText();                // "Можно объединить только 3 колонки!"
QString ColumnTooFarText(int column);     // a column that does not fit a spec
QString NoWorkbookOpenQuestion();         // "У вас не открыт файл Excel ... Открыть?"
QString HyperlinkQuestion();              // "Ячейка содержит гиперссылку! ..."

// The link a picked cell offers for a hyperlink column: its first
// hyperlink's address, else the address in a HYPERLINK (ГИПЕРССЫЛКА)
// formula; "" when it has none.
QString PickedCellLink(const QString& hyperlinkAddress, const QString& formula);

} // namespace velmora
