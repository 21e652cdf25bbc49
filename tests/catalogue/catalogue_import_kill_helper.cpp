// Makes a database holding an old catalogue and the workbook of a new one,
// or imports that workbook to its end, for a test that kills the import on
// the way:
//   catalogue_import_kill_helper make PRICE.vdb catalogue.xlsx GOODS
//   catalogue_import_kill_helper run PRICE.vdb catalogue.xlsx
#include "../common/kill_helper_main.h"
#include "catalogue/import/catalogue_import.h"

#include "platform/db/connection.h"
#include "platform/spreadsheet/spreadsheet.h"
#include "storage/schema.h"

using namespace velmora;

namespace {

// The old catalogue: one group, three goods "OLD-n", two criteria rows and
// a proposal, all of which a whole import replaces or empties.
void makeDatabase(const QString& path)
{
    createPriceDatabase(path);
    db::Connection priceDb(path);
    priceDb.exec(QStringLiteral(
        "INSERT INTO Tovar_tree (Code, Parent, Pos, HCh_T, Picture, Comment, Nacen, Garant) "
        "VALUES (1, 0, 1, 0, 5, 'Старая группа', 0, '');"
        "INSERT INTO price_main (Code, Art, Kategor, Tovar, PriceBase) VALUES "
        "(1, 'OLD-1', '1', 'Старый товар 1', 10), (2, 'OLD-2', '1', 'Старый товар 2', 20), "
        "(3, 'OLD-3', '1', 'Старый товар 3', 30);"
        "INSERT INTO krit (Code_krit, Krit_1, Krit_2, Krit_3, Krit_4, Krit_5) VALUES "
        "(1, 'старый', '', '', '', ''), (2, 'товар', '', '', '', '');"
        "INSERT INTO Sootv_All (Code, Art, Tovar, Postavshik, Check_sootv, Number_ost) "
        "VALUES (1, 'x', 'Предложение', 'Поставщик', 'true', -1)"));
}

// GOODS rows: article, name, price, warranty.
void makeWorkbook(const QString& path, int goods)
{
    sheet::ValueBlock block(goods, 4);
    for (int row = 1; row <= goods; ++row) {
        block.setText(row, 1, QStringLiteral("N-%1").arg(row));
        block.setText(row, 2, QStringLiteral("Новый товар %1 с описанием модели").arg(row));
        block.setNumber(row, 3, 100 + row % 1000);
        block.setText(row, 4, QStringLiteral("12 мес."));
    }
    sheet::Workbook book;
    book.sheet(1).setName(QStringLiteral("Каталог"));
    book.sheet(1).setValues(sheet::CellRef{1, 1}, block);
    book.saveAs(path);
}

void runImport(const QString& path, const QString& workbook)
{
    db::Connection priceDb(path);
    catalogue::CatalogueImportSettings settings;
    settings.path = workbook;
    settings.sheetName = QStringLiteral("Каталог");
    settings.columnArt = 1;
    settings.columnTovar = 2;
    settings.columnPrice = 3;
    settings.columnGarant = 4;
    catalogue::importCatalogue(priceDb, settings, 46000);
}

} // namespace

int main(int argc, char** argv)
{
    return testing::killHelperMain(argc, argv,
                                   {{"make", 3,
                                     [](const QStringList& a) {
                                         makeDatabase(a[0]);
                                         makeWorkbook(a[1], a[2].toInt());
                                     }},
                                    {"run", 2, [](const QStringList& a) { runImport(a[0], a[1]); }}});
}
