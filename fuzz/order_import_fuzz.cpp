// A customer's order workbook imported into the order list, matched by
// article and by name against a few own goods. The import's writes are
// rolled back after each input.
#include "fuzz_database.h"
#include "fuzz_input.h"
#include "workbook_name.h"

#include "orders/order_import.h"
#include "platform/db/statement.h"

namespace {

using namespace velmora;

db::Connection& databaseWithGoods()
{
    static db::Connection& db = [&]() -> db::Connection& {
        db::Connection& made = fuzz::priceDatabase();
        made.exec(QStringLiteral("INSERT INTO price_main (Code, Art, Kategor, Tovar, PriceBase, Nacen, Price_1)"
                                 " VALUES (1, 'A1', '0', 'Товар 1', 10, 5, 10.5),"
                                 " (2, 'АРТ-2', '0', 'Кабель ВВГ 3х2,5', 100, 0, 100),"
                                 " (3, '', '0', 'Без артикула', 1, 0, 1)"));
        return made;
    }();
    return db;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace velmora::orders;
    const QByteArray bytes = fuzz::inputBytes(data, size);
    const QString path = fuzz::writeInput(bytes, fuzz::workbookFileName(bytes));
    OrderImportSettings settings;
    sheet::ValueBlock cells;
    try {
        cells = ReadOrderCells(path, settings.sheetIndex, settings.quantityColumn);
    } catch (const OrderImportError&) {
        return 0;
    }
    db::Connection& db = databaseWithGoods();
    const db::Transaction rolledBack(db);
    for (const bool byArticle : {true, false}) {
        settings.matchByArticle = byArticle;
        settings.priceFromFile = byArticle;
        settings.addToOrder = true;
        const OrderImportResult result = ImportOrderCells(db, cells, settings, 2);
        if (result.loaded > result.found || result.found > cells.rows())
            fuzz::broken("more rows loaded than found",
                         QStringLiteral("%1 %2 %3").arg(result.loaded).arg(result.found).arg(cells.rows()));
    }
    return 0;
}
