#include "schema.h"

namespace velmora {
namespace {

using namespace column;

// The `settings` table of both databases.
TableDef settingsTable()
{
    return {QStringLiteral("settings"),
            {{"ParName", text(50)},
             {"TypeText", text(255)},
             {"TypeInteger", integer()},
             {"TypeDouble", real()},
             {"TypeCurrency", currency()},
             {"TypeDate", dateTime()},
             {"TypeBoolean", yesNo()}},
            {{"ParName", {"ParName"}, true}}};
}

QList<TableDef> makePriceTables()
{
    QList<TableDef> tables;
    tables << settingsTable();

    // Supplier price lists and their sheets.
    tables << TableDef{"AllPostavSetup",
                       {{"Id", integer()},
                        {"Postavshik", text(50)},
                        {"Path", text(255)},
                        {"SheetCount", integer()},
                        {"Obrab", text(5)},
                        {"PostavVisible", yesNo()},
                        {"Dates", integer()},
                        {"PriceConversion", real()},
                        {"Valuta", integer()}},
                       {{"ID_Postav", {"Id"}}, {"Postav", {"Postavshik"}}}};
    tables << TableDef{"AllPostavPage",
                       {{"Postavshik", text(50)},
                        {"SheetName", text(50)},
                        {"Column_art", integer()},
                        {"Column_Tovar", integer()},
                        {"Column_Price", integer()},
                        {"Column_Pricemax", integer()},
                        {"Column_Sklad", integer()},
                        {"Column_Garant", integer()},
                        {"Column_Description", integer()},
                        {"Column_TextNoName", integer()},
                        {"Obrab", text(5)},
                        {"Nacen", integer()},
                        {"Valuta", integer()},
                        {"PriceSet", integer()},
                        {"TovarPrefiks", text(255)}},
                       {{"Postav", {"Postavshik"}}}};

    // Supplier offers, their quoted prices and price history.
    tables << TableDef{"AllTovarPostav",
                       {{"Number", counter()},
                        {"Art", text(50)},
                        {"Tovar", text(200)},
                        {"Price", real()},
                        {"Pricemax", real()},
                        {"Postavshik", text(100)},
                        {"Check_sootv", text(5)},
                        {"Check_obrab", text(5)},
                        {"Dates", integer()},
                        {"Garant", text(50)},
                        {"Sklad", text(50)},
                        {"Description", memo()},
                        {"TextNoName", text(255)},
                        {"PriceOut", real()}},
                       {{"Art", {"Art"}}, {"Tovar", {"Tovar"}}, {"Postav", {"Postavshik"}}}};
    tables << TableDef{"AllTovarValuta",
                       {{"ID_Tovar", integerNotNull(0)},
                        {"Price", realNotNull(0)},
                        {"Pricemax", realNotNull(0)},
                        {"Valuta", textNotNull(5)},
                        {"PriceConversion", realNotNull(0)},
                        {"Nacen", integerNotNull(0)},
                        {"Dates", dateTimeNow()}},
                       {{"ID_Tovar", {"ID_Tovar"}}, {"Valuta", {"Valuta"}}}};
    tables << TableDef{"AllPriceHistory",
                       {{"ID", counter()},
                        {"Postavshik", textNotNull(100)},
                        {"Art", textNotNull(50)},
                        {"Tovar", textNotNull(200)},
                        {"Price", realNotNull(0)},
                        {"Pricemax", realNotNull(0)},
                        {"PriceOut", realNotNull(0)},
                        {"Dates", dateTimeNow()}},
                       {{"ID_Tovar", {"ID"}},
                        {"Postav", {"Postavshik"}},
                        {"Postav_Art", {"Postavshik", "Art"}},
                        {"Postav_Tovar", {"Postavshik", "Tovar"}},
                        // A supplier's stored loads and one load's offers.
                        {"Postav_Dates", {"Postavshik", "Dates"}}}};
    tables << TableDef{"postav_info",
                       {{"Postavshik", text(50)},
                        {"Name_full", text(250)},
                        {"Address", text(250)},
                        {"Person", text(100)},
                        {"Phones", text(100)},
                        {"Mail", text(100)}},
                       {{"Postav", {"Postavshik"}}}};

    // Supplier brands, article conversions and priority brands.
    tables << TableDef{"BrandNamePostav",
                       {{"Postavshik", text(100)}, {"BrandNamePostav", text(255)}, {"BrandNameEtalon", text(255)}},
                       {{"Postav", {"Postavshik"}}}};
    tables << TableDef{"ArtOldtoNew", {{"ArtOld", text(50)}, {"ArtNew", text(50)}, {"TypeArt", integer()}},
                       {{"ArtOld", {"ArtOld"}}}};
    tables << TableDef{"BrendPriory", {{"ID", counter()}, {"BrendName", textNotNull(255)}}};

    // The order list of the distribution window and the order import.
    tables << TableDef{"Zakaz",
                       {{"Id", counter()},
                        {"Code", integer()},
                        {"Art", text(30)},
                        {"Tovar", text(200)},
                        {"Price_1", currency()},
                        {"PriceOut", currency()},
                        {"Quantity", integer()},
                        {"Obrab", text(5)},
                        {"Postav", text(100)}}};
    // The units of each ordered good given to each supplier offering it in
    // svod (Obrab: units as digits, "0" considered and none given, "-"
    // nothing could be given or the supplier was deselected), kept apart
    // from svod's own flags.
    tables << TableDef{"ZakazPostav",
                       {{"Code", integer()}, {"Postavshik", text(50)}, {"Obrab", text(5)}},
                       {{"Code_Postav", {"Code", "Postavshik"}, true}}};

    // The shop's own catalogue.
    const TableDef priceMain{"price_main",
                            {{"Code", integer()},
                             {"Art", text(15)},
                             {"Kategor", text(50)},
                             {"Tovar", text(200)},
                             {"PriceBase", real()},
                             {"Nacen", integer()},
                             {"Price_1", real()},
                             {"Dates", integer()},
                             {"Garant", text(50)},
                             {"Sale", yesNo()},
                             {"SuperPrice", yesNo()}},
                            // A group's goods in name order; article look-ups.
                            {{"Code", {"Code"}}, {"Kategor_Tovar", {"Kategor", "Tovar"}}, {"Art", {"Art"}}}};
    tables << priceMain;
    const TableDef tovarTree{"Tovar_tree",
                            {{"Code", integer()},
                             {"Parent", integer()},
                             {"Pos", integer()},
                             {"HCh_T", integer()},
                             {"Picture", integer()},
                             {"Comment", text(135)},
                             {"Nacen", integer()},
                             {"Garant", text(50)}},
                            {{"Code", {"Code"}}, {"Parent_Pos", {"Parent", "Pos"}}}};
    tables << tovarTree;
    tables << TableDef{"Price_Tovar_Info",
                       {{"Code", integer()},
                        {"Art", text(15)},
                        {"URL", text(255)},
                        {"pictures", text(255)},
                        {"Comment", text(255)}},
                       {{"Code", {"Code"}}}};
    // The catalogue as it stood before the last import, for its restore.
    tables << TableDef{"Tovar_tree_history", tovarTree.columns};
    tables << TableDef{"price_main_history", priceMain.columns};
    // Goods with their group names by level, filled by other programs.
    tables << TableDef{"New_tovar",
                       {{"id", integer()},
                        {"kategoria", text(135)},
                        {"gr", text(135)},
                        {"podgr1", text(135)},
                        {"podgr2", text(135)},
                        {"podgr3", text(135)},
                        {"art", text(15)},
                        {"name", text(200)},
                        {"price1", real()}},
                       {{"id", {"id"}}}};

    // Matching: each good's criteria and exclusion words (an empty word is
    // '', never NULL), the supplier items waiting to be matched, the trash
    // bin, the correspondences, the combined price, the automatic
    // matching's proposals and scratch tables, the loading windows'
    // suppliers.
    tables << TableDef{"krit",
                       {{"Code_krit", integer()},
                        {"Krit_1", textNotNull(60)},
                        {"Krit_2", textNotNull(50)},
                        {"Krit_3", textNotNull(50)},
                        {"Krit_4", textNotNull(50)},
                        {"Krit_5", textNotNull(50)}},
                       {{"Code_krit", {"Code_krit"}}}};
    tables << TableDef{"kritiskl", {{"Code_KritIskl", integer()}, {"KritIskl", textNotNull(50)}},
                       {{"Code_KritIskl", {"Code_KritIskl"}}}};
    const QList<ColumnDef> supplierItem = {{"Art", text(30)},
                                           {"Tovar", text(200)},
                                           {"Price", real()},
                                           {"Pricemax", real()},
                                           {"Postavshik", text(50)},
                                           {"Check_sootv", text(5)},
                                           {"Check_obrab", text(5)},
                                           {"Dates", integer()},
                                           {"Garant", text(50)},
                                           {"Sklad", text(50)}};
    // Flags_to_reset holds the few items whose flags differ from those a
    // criteria search starts from, so that resetting them reads no others.
    tables << TableDef{"price_all", QList<ColumnDef>{{"Number", counter()}} + supplierItem,
                       {{"Postav_Check_sootv", {"Postavshik", "Check_sootv"}},
                        {"Flags_to_reset", {"Number"}, false, kPriceAllFlagsToReset}}};
    tables << TableDef{"price_one", supplierItem};
    tables << TableDef{"musor", supplierItem};
    tables << TableDef{"sootv",
                       {{"Code", integer()},
                        {"Art", text(30)},
                        {"Tovar", text(200)},
                        {"Postavshik", text(50)},
                        {"Art_obrab", text(5)}},
                       {{"Code", {"Code"}},
                        {"Postav_Art", {"Postavshik", "Art"}},
                        {"Postav_Tovar", {"Postavshik", "Tovar"}}}};
    tables << TableDef{"svod",
                       {{"Art", text(30)},
                        {"Tovar", text(200)},
                        {"Price", real()},
                        {"Pricemax", real()},
                        {"Postavshik", text(50)},
                        {"Code_sootv", integer()},
                        {"Obrab", text(5)},
                        {"Dates", integer()},
                        {"Garant", text(50)},
                        {"Sklad", text(50)}},
                       {{"Code_sootv_Postav", {"Code_sootv", "Postavshik"}}, {"Postav", {"Postavshik"}}}};
    tables << TableDef{"Sootv_All",
                       {{"Code", integer()},
                        {"Art", text(30)},
                        {"Tovar", text(200)},
                        {"Postavshik", text(50)},
                        {"Check_sootv", text(5)},
                        {"Price", real()},
                        {"Pricemax", real()},
                        {"Tovar_main", text(200)},
                        {"Number_ost", integer()},
                        {"Dates", integer()},
                        {"Garant", text(50)},
                        {"Sklad", text(50)}},
                       {{"Code", {"Code"}}, {"Number_ost", {"Number_ost"}}}};
    tables << TableDef{"Sootv_temp",
                       {{"Number", integer()}, {"Tovar", text(200)}, {"Code", integer()}, {"KritNum", text(5)}}};
    tables << TableDef{"Price_temp",
                       {{"Code", integer()}, {"Art", text(30)}, {"Tovar", text(200)}, {"Postavshik", text(50)}}};
    tables << TableDef{"postavshik",
                       {{"Postavshik", text(50)},
                        {"Path", text(250)},
                        {"Column_art", integer()},
                        {"Column_Tovar", integer()},
                        {"Column_Price", integer()},
                        {"Column_Pricemax", integer()},
                        {"Column_Garant", integer()},
                        {"Column_Sklad", integer()},
                        {"Sheet", integer()},
                        {"Art_obrab", text(5)},
                        {"Obrab", text(5)},
                        {"Dates", integer()},
                        {"Obrab_Def", text(5)}},
                       {{"Postav", {"Postavshik"}}}};
    tables << TableDef{"Price_Sklad", {{"ID", counter()}, {"Sklad", text(5)}, {"Text", text(50)}}};

    // Pricing and output.
    tables << TableDef{"MinPrice_Nacen",
                       {{"Kategor", integer()},
                        {"Price1", integer()},
                        {"Price2", integer()},
                        {"Price3", integer()},
                        {"Price4", integer()},
                        {"Price5", integer()},
                        {"Nacen1", integer()},
                        {"Nacen2", integer()},
                        {"Nacen3", integer()},
                        {"Nacen4", integer()},
                        {"Nacen5", integer()}},
                       {{"Kategor", {"Kategor"}}}};
    tables << TableDef{"MinPrice_Group",
                       {{"Kategor", integer()}, {"Postavshik", text(50)}, {"Obrab", text(5)}, {"Dates", integer()}},
                       // The recalculation looks up each offer's supplier in its good's group.
                       {{"Kategor_Postav", {"Kategor", "Postavshik"}}}};

    // The four output price columns and the export targets, rows 1 to 6;
    // a new database holds them blank, as the parameters window makes them.
    TableDef parametr{"parametr",
                      {{"Id", integer()},
                       {"Name_out", text(50)},
                       {"Nacen_out", integer()},
                       {"Path", text(250)},
                       {"FileName", text(50)},
                       {"SheetName", text(50)},
                       {"Dates", integer()}},
                      {{"Id", {"Id"}, true}}};
    for (int id = 1; id <= 6; ++id)
        parametr.seedRows << QVariantList{id, QStringLiteral(" "), 0, QStringLiteral(" "), QStringLiteral(" "),
                                          QStringLiteral(" "), 0};
    tables << parametr;

    // The output price table, rebuilt by every export run: the goods in
    // group-walk order with their group names by level and the four
    // output prices.
    QList<ColumnDef> priceOut = {{"ID", counter()}, {"Code", integer()}, {"Kategor", text(50)}};
    for (int level = 0; level <= 9; ++level)
        priceOut << ColumnDef{QStringLiteral("NameKat%1").arg(level), text(50)};
    priceOut << ColumnDef{"Art", text(50)} << ColumnDef{"Tovar", text(200)} << ColumnDef{"Nacen", integer()}
             << ColumnDef{"PriceBase", real()};
    for (int price = 1; price <= 4; ++price)
        priceOut << ColumnDef{QStringLiteral("Price_%1").arg(price), real()};
    priceOut << ColumnDef{"Dates", integer()} << ColumnDef{"Garant", text(50)} << ColumnDef{"SuperPrice", yesNo()};
    tables << TableDef{"Price_Out", priceOut};
    return tables;
}

} // namespace

const QList<TableDef>& priceTables()
{
    static const QList<TableDef> tables = makePriceTables();
    return tables;
}

TableDef settingsTableDef() { return settingsTable(); }

} // namespace velmora
