#include "suppliers/setup/column_picking.h"

#include "storage/value_helpers.h"
#include "suppliers/loader/sheet_columns.h"

namespace velmora {

QStringList ColumnSelectorItems()
{
    QStringList items{QStringLiteral("Нет")};
    for (int c = 1; c <= 26; ++c)
        items << ColumnToLetters(c);
    return items;
}

SelectorChoice SelectorChoiceForSpec(qint64 spec)
{
    if (spec >= 0 && spec <= 26)
        return {int(spec), {}};
    return {kSpecSelectorExtraItem, ColumnSpecToText(spec)};
}

QStringList CurrencySelectorItems()
{
    return {QStringLiteral("USD"), QStringLiteral("EUR"), QStringLiteral("RUB"), QStringLiteral("BYN"),
            QStringLiteral("UAH")};
}

SelectorChoice SelectorChoiceForValuta(int valuta)
{
    if (valuta > kCurrencyColumnOffset)
        return {kCurrencyColumnItem, ColumnToLetters(valuta - kCurrencyColumnOffset)};
    if (valuta < 0 || valuta >= kCurrencyColumnItem)
        return {0, {}};
    return {valuta, {}};
}

JoinResult JoinColumnSpec(qint64 currentSpec, int column)
{
    if (currentSpec <= 0 || currentSpec >= kHyperlinkSpecBase)
        return {column, false};
    if (ColumnSpecGroupCount(currentSpec) >= kMaxJoinedColumns)
        return {currentSpec, true};
    return {TextToColumnSpec(ColumnSpecToText(currentSpec) + u'+' + ColumnToLetters(column)), false};
}

QString JoinRefusedText() { return QStringLiteral("Можно объединить только 3 колонки!"); }

QString ColumnTooFarText(int column)
{
    return QStringLiteral("Колонка %1 не может быть выбрана: допускаются колонки от A до %2.")
        .arg(ColumnToLetters(column), ColumnToLetters(kMaxSpecColumn));
}

QString NoWorkbookOpenQuestion() { return QStringLiteral("У вас не открыт файл Excel\r\r               Открыть?"); }

QString HyperlinkQuestion()
{
    return QStringLiteral("      Ячейка содержит гиперссылку!\r\rЗагружать гиперссылку вместо данных?");
}

QString PickedCellLink(const QString& hyperlinkAddress, const QString& formula)
{
    if (!hyperlinkAddress.isEmpty())
        return hyperlinkAddress;
    return loader::LinkFromFormula(formula);
}

} // namespace velmora
