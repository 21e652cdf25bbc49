// Makes a remainder and a catalogue with criteria, or runs the automatic
// matching over all groups to its end, for a test that kills the run on the
// way:
//   matching_kill_helper make PRICE.vdb ITEMS
//   matching_kill_helper run PRICE.vdb
// Exits 0 when the run ended; its failure goes to standard error.
#include "../common/kill_helper_main.h"
#include "catalogue/matching/auto_match.h"

#include "platform/db/connection.h"
#include "storage/schema.h"

using namespace velmora;

namespace {

const char* const kTypes[] = {"Кабель", "Мышь", "Клавиатура", "Монитор", "Колонки", "Наушники", "Фильтр", "Роутер",
                              "Адаптер", "Диск"};
const char* const kColours[] = {"чёрный", "белый", "серый", "синий", "красный"};

// ITEMS remainder items of five suppliers, named by type, colour and model;
// one own good per type, colour and model of a hundred, each with one
// criteria row of its three words; a marker proposal that any run replaces.
void makeData(const QString& path, int items)
{
    createPriceDatabase(path);
    db::Connection priceDb(path);
    db::Transaction transaction(priceDb);
    db::Statement item = priceDb.prepare(QStringLiteral(
        "INSERT INTO price_all (Art, Tovar, Price, Pricemax, Postavshik, Dates, Garant, Sklad, Check_obrab) "
        "VALUES ('A' || ?1, ?2, 100, 100, 'Поставщик ' || (?1 % 5), 45000, '', 'есть', 'true')"));
    auto name = [](int n) {
        return QStringLiteral("%1 %2 модель M%3 вариант %4")
            .arg(QString::fromUtf8(kTypes[n % 10]), QString::fromUtf8(kColours[(n / 10) % 5]))
            .arg((n / 50) % 100)
            .arg(n);
    };
    for (int n = 0; n < items; ++n) {
        item.bindInt(1, n).bindText(2, name(n));
        item.execute();
        item.reset();
    }
    priceDb.exec(QStringLiteral("INSERT INTO Tovar_tree (Code, Parent, Pos, Comment) VALUES (1, 0, 1, 'Всё')"));
    db::Statement good = priceDb.prepare(QStringLiteral(
        "INSERT INTO price_main (Code, Art, Kategor, Tovar, PriceBase) VALUES (?1, 'G-' || ?1, '1', ?2, 100)"));
    db::Statement krit = priceDb.prepare(QStringLiteral(
        "INSERT INTO krit (Code_krit, Krit_1, Krit_2, Krit_3, Krit_4, Krit_5) VALUES (?1, ?2, ?3, ?4, '', '')"));
    for (int g = 0; g < 5000; ++g) {
        const QString type = QString::fromUtf8(kTypes[g % 10]);
        const QString colour = QString::fromUtf8(kColours[(g / 10) % 5]);
        const QString model = QStringLiteral("M%1 ").arg((g / 50) % 100);
        good.bindInt(1, g + 1).bindText(2, type + u' ' + colour + u' ' + model);
        good.execute();
        good.reset();
        krit.bindInt(1, g + 1).bindText(2, type.toLower()).bindText(3, colour.left(4)).bindText(4, model);
        krit.execute();
        krit.reset();
    }
    priceDb.exec(QStringLiteral("INSERT INTO Sootv_All (Code, Art, Tovar, Postavshik, Check_sootv, Number_ost) "
                                "VALUES (-1, 'old', 'Прежнее предложение', 'Поставщик 0', 'true', -1)"));
    transaction.commit();
}

} // namespace

int main(int argc, char** argv)
{
    return testing::killHelperMain(argc, argv,
                                   {{"make", 2, [](const QStringList& a) { makeData(a[0], a[1].toInt()); }},
                                    {"run", 1, [](const QStringList& a) {
                                         db::Connection priceDb(a[0]);
                                         catalogue::MatchingRun run;
                                         run.withWait = true; // all groups, the whole proposal table replaced
                                         catalogue::RunCriteriaMatching(priceDb, run);
                                     }}});
}
