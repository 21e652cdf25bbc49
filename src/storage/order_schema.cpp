#include "schema.h"

namespace velmora {
namespace {

using namespace column;

QList<TableDef> makeOrderTables()
{
    QList<TableDef> tables;
    tables << settingsTableDef();

    // Order lines and clients.
    tables << TableDef{"AllZakazFull",
                       {{"ID", counter()},
                        {"ZakazNumber", integer()},
                        {"ClientName", text(255)},
                        {"TovarNumber", integer()},
                        {"Art", textNotNull(50)},
                        {"Tovar", textNotNull(200)},
                        {"Price", realNotNull(0)},
                        {"Pricemax", realNotNull(0)},
                        {"Quantity", realNotNull(1)},
                        {"PriceOut", realNotNull(0)},
                        {"Postavshik", textNotNull(100)},
                        {"Garant", textNotNull(50)},
                        {"Sklad", textNotNull(50)},
                        {"Description", textNotNull(255)},
                        {"TextNoName", textNotNull(255)},
                        {"Obrab", yesNo()}},
                       {{"ZakazNumber", {"ZakazNumber"}}}};
    tables << TableDef{"AllClientZakaz",
                       {{"ID", counter()},
                        {"ClientName", textNotNull(50)},
                        {"ClientPhone", textNotNull(100)},
                        {"ClientAddress", textNotNull(255)},
                        {"ClientText", textNotNull(255)}},
                       {{"ClientName", {"ClientName"}}}};
    tables << TableDef{"AllTovarZakaz",
                       {{"Code", integer()},
                        {"Garant", text(50)},
                        {"Sklad", text(50)},
                        {"Description", text(255)},
                        {"TextNoName", text(255)},
                        {"Price", real()},
                        {"Pricemax", real()},
                        {"Price2", real()}}};

    // Supplier selection templates.
    tables << TableDef{"SelectTempPostav",
                       {{"TemplateName", textNotNull(50)}, {"Postavshik", textNotNull(50)}, {"Obrab", yesNo()}},
                       {{"TemplateName", {"TemplateName"}}}};
    return tables;
}

} // namespace

const QList<TableDef>& orderTables()
{
    static const QList<TableDef> tables = makeOrderTables();
    return tables;
}

} // namespace velmora
