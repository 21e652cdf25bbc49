// Makes a catalogue to export, or runs the export run on it to its end, for
// a test that kills the run on the way:
//   export_kill_helper make PRICE.vdb GOODS
//   export_kill_helper run PROGRAM_FOLDER PRICE.vdb
// The run writes price.dbf, the managers' database "managers.sqlite" and the
// catalogue workbook "catalogue.xlsx" under the program folder. Exits 0 when
// the run ended; its failure goes to standard error.
#include "../common/kill_helper_main.h"
#include "output/export/export_run.h"

#include "platform/db/connection.h"
#include "storage/schema.h"

using namespace velmora;

namespace {

// Ten categories of twenty groups each, the goods spread over the groups,
// one supplier offer per good.
void makeCatalogue(const QString& path, int goods)
{
    createPriceDatabase(path);
    db::Connection priceDb(path);
    db::Transaction transaction(priceDb);
    db::Statement group = priceDb.prepare(QStringLiteral(
        "INSERT INTO Tovar_tree (Code, Parent, Pos, HCh_T, Picture, Comment, Nacen, Garant) "
        "VALUES (?1, ?2, ?3, 0, 5, ?4, 10, '')"));
    constexpr int kCategories = 10;
    constexpr int kGroups = 200;
    for (int code = 1; code <= kCategories + kGroups; ++code) {
        const bool category = code <= kCategories;
        group.bindInt(1, code).bindInt(2, category ? 0 : 1 + (code - kCategories - 1) % kCategories);
        group.bindInt(3, category ? code : 1 + (code - kCategories - 1) / kCategories);
        group.bindText(4, category ? QStringLiteral("Категория %1").arg(code) : QStringLiteral("Группа %1").arg(code));
        group.execute();
        group.reset();
    }
    db::Statement good = priceDb.prepare(QStringLiteral(
        "INSERT INTO price_main (Code, Art, Kategor, Tovar, PriceBase, Nacen, Price_1, Dates, Garant, Sale, SuperPrice) "
        "VALUES (?1, 'ART-' || ?1, ?2, 'Товар номер ' || ?1 || ' серебристый', ?3, 15, ?3, 45000, '12 мес.', 0, 0)"));
    db::Statement offer = priceDb.prepare(QStringLiteral(
        "INSERT INTO svod (Art, Tovar, Price, Pricemax, Postavshik, Code_sootv, Obrab, Dates, Garant, Sklad) "
        "VALUES ('P' || ?1, 'Предложение ' || ?1, ?2, ?2, 'Поставщик', ?1, 'True', 45000, '', 'есть')"));
    for (int code = 1; code <= goods; ++code) {
        const double price = 100 + code % 1000;
        good.bindInt(1, code).bindText(2, QString::number(kCategories + 1 + code % kGroups)).bindDouble(3, price);
        good.execute();
        good.reset();
        offer.bindInt(1, code).bindDouble(2, price);
        offer.execute();
        offer.reset();
    }
    priceDb.exec(QStringLiteral("UPDATE parametr SET FileName = 'catalogue.xlsx' WHERE Id = 1;"
                                "UPDATE parametr SET FileName = 'managers' WHERE Id = 3;"
                                "UPDATE parametr SET Name_out = 'Цена ' || Id, Nacen_out = 5 * Id"));
    transaction.commit();
}

void runExport(const QString& programFolder, const QString& path)
{
    db::Connection priceDb(path);
    output::ExportRunInput input;
    input.programFolder = programFolder;
    input.today = QDate(2024, 3, 5);
    input.switches.recalcPrices = false;
    input.switches.dbf = true;
    input.switches.managersDatabase = true;
    input.switches.catalogue = true;
    output::RunExport(priceDb, input);
}

} // namespace

int main(int argc, char** argv)
{
    return testing::killHelperMain(
        argc, argv,
        {{"make", 2, [](const QStringList& a) { makeCatalogue(a[0], a[1].toInt()); }},
         {"run", 2, [](const QStringList& a) { runExport(a[0], a[1]); }}});
}
