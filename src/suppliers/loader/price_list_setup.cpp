#include "suppliers/loader/price_list_setup.h"

namespace velmora::loader {

std::optional<PriceListSetup> ReadPriceListSetup(db::Connection& priceDb, const QString& name)
{
    db::Statement select = priceDb.prepare(QStringLiteral(
        "SELECT Id, Postavshik, Path, SheetCount, PriceConversion FROM AllPostavSetup WHERE Postavshik = ?1"));
    select.bindText(1, name);
    if (!select.step())
        return std::nullopt;
    PriceListSetup setup;
    setup.id = select.integer(0);
    setup.name = select.text(1);
    setup.path = select.text(2);
    setup.path.replace(u'\\', u'/');
    setup.sheetCount = int(select.integer(3));
    setup.conversion = select.isNull(4) ? 1.0 : select.number(4);
    return setup;
}

std::vector<SheetSetup> ReadSheetSetups(db::Connection& priceDb, const QString& name)
{
    db::Statement select = priceDb.prepare(QStringLiteral(
        "SELECT SheetName, Column_art, Column_Tovar, Column_Price, Column_Pricemax, Column_Sklad,"
        " Column_Garant, Column_Description, Column_TextNoName, Nacen, Valuta, TovarPrefiks"
        " FROM AllPostavPage WHERE Postavshik = ?1 ORDER BY SheetName"));
    select.bindText(1, name);
    std::vector<SheetSetup> sheets;
    while (select.step()) {
        SheetSetup sheet;
        sheet.sheetName = select.text(0);
        sheet.columnArt = select.integer(1);
        sheet.columnTovar = select.integer(2);
        sheet.columnPrice = select.integer(3);
        sheet.columnPricemax = select.integer(4);
        sheet.columnSklad = select.integer(5);
        sheet.columnGarant = select.integer(6);
        sheet.columnDescription = select.integer(7);
        sheet.columnTextNoName = select.integer(8);
        sheet.nacen = int(select.integer(9));
        sheet.valuta = int(select.integer(10)); // NULL reads as 0, USD
        sheet.tovarPrefiks = select.text(11);
        sheets.push_back(std::move(sheet));
    }
    return sheets;
}

} // namespace velmora::loader
