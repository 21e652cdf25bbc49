// Prices a generated catalogue and runs the export's outputs on it, against
// plain baselines in the same run, printing the time and peak memory of
// each:
//   - the minimum-price recalculation of all goods (group thresholds and
//     group suppliers on, stock criteria on); baseline: one plain scan of
//     the offers for each good's cheapest price;
//   - the output price table, price.dbf, the managers' database and the
//     catalogue workbook; baseline: a plain copy of the goods and offers
//     into a new file;
//   - the managers' catalogue DBF_for_manager.DBF; baseline: reading its
//     goods.
//
//   pricing [goods] [groups] [offers] [suppliers]   (default 100000 2000 1000000 50)
#include "bench_peer.h"

#include "output/dbase/managers_dbf.h"
#include "output/export/export_run.h"
#include "catalogue/group_settings/markup_thresholds.h"
#include "output/pricing/recalc_min_prices.h"

#include "platform/db/connection.h"
#include "platform/db/day_numbers.h"
#include "storage/schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <random>

using namespace velmora;
using namespace velmora::bench;

namespace {

const QDate kToday(2024, 3, 5);

struct Size {
    int goods = 100000;
    int groups = 2000;
    int offers = 1000000;
    int suppliers = 50;
};

void generate(db::Connection& priceDb, const Size& size)
{
    std::mt19937 random(2024);
    const qint64 today = db::dayNumber(kToday);
    db::Transaction transaction(priceDb);

    // Twenty categories, the other groups spread under them.
    const int categories = 20;
    db::Statement group = priceDb.prepare(QStringLiteral(
        "INSERT INTO Tovar_tree (Code, Parent, Pos, HCh_T, Picture, Comment, Nacen, Garant) "
        "VALUES (?1, ?2, ?3, 0, 5, ?4, 10, '')"));
    std::vector<int> leaves;
    for (int code = 1; code <= size.groups; ++code) {
        const bool category = code <= categories;
        const int parent = category ? 0 : 1 + (code - categories - 1) % categories;
        const int pos = category ? code : 1 + (code - categories - 1) / categories;
        group.bindInt(1, code).bindInt(2, parent).bindInt(3, pos);
        group.bindText(4, category ? QStringLiteral("Категория %1").arg(code) : QStringLiteral("Группа товаров %1").arg(code));
        group.execute();
        group.reset();
        if (!category || size.groups <= categories)
            leaves.push_back(code);
    }

    std::uniform_real_distribution<double> price(10, 50000);
    db::Statement good = priceDb.prepare(QStringLiteral(
        "INSERT INTO price_main (Code, Art, Kategor, Tovar, PriceBase, Nacen, Price_1, Dates, Garant, Sale, SuperPrice) "
        "VALUES (?1, ?2, ?3, ?4, 0, ?5, 0, ?6, '12 мес.', 0, ?7)"));
    db::Statement info = priceDb.prepare(QStringLiteral(
        "INSERT INTO Price_Tovar_Info (Code, Art, URL, pictures, Comment) VALUES (?1, ?2, '', '', '')"));
    for (int code = 1; code <= size.goods; ++code) {
        const QString art = QStringLiteral("ART-%1").arg(code, 8, 10, QLatin1Char('0'));
        good.bindInt(1, code).bindText(2, art).bindText(3, QString::number(leaves[size_t(code) % leaves.size()]));
        good.bindText(4, QStringLiteral("Товар номер %1 серебристый, модель %2").arg(code).arg(code % 97));
        good.bindInt(5, code % 30).bindInt(6, today).bindInt(7, code % 100 == 0 ? 1 : 0);
        good.execute();
        good.reset();
        info.bindInt(1, code).bindText(2, art);
        info.execute();
        info.reset();
    }

    // Two suppliers' lists are out of date; the last supplier is the sale.
    db::Statement supplier = priceDb.prepare(QStringLiteral(
        "INSERT INTO postavshik (Postavshik, Obrab, Dates, Obrab_Def) VALUES (?1, 'True', ?2, ?3)"));
    for (int s = 1; s <= size.suppliers; ++s) {
        supplier.bindText(1, QStringLiteral("Поставщик %1").arg(s));
        supplier.bindInt(2, s <= 2 ? today - 30 : today - s % 5);
        supplier.bindText(3, s % 10 == 0 ? QStringLiteral("False") : QStringLiteral("True"));
        supplier.execute();
        supplier.reset();
    }
    const char* const stock[] = {"есть", "ЕСТЬ", "под заказ", "нет", ""};
    db::Statement offer = priceDb.prepare(QStringLiteral(
        "INSERT INTO svod (Art, Tovar, Price, Pricemax, Postavshik, Code_sootv, Obrab, Dates, Garant, Sklad) "
        "VALUES (?1, ?2, ?3, ?3, ?4, ?5, 'True', ?6, '', ?7)"));
    std::uniform_int_distribution<int> anySupplier(1, size.suppliers);
    for (int n = 0; n < size.offers; ++n) {
        const int code = 1 + n % size.goods;
        const int s = anySupplier(random);
        offer.bindText(1, QStringLiteral("P%1").arg(n)).bindText(2, QStringLiteral("Предложение %1").arg(n));
        offer.bindDouble(3, std::round(price(random) * 100) / 100);
        offer.bindText(4, QStringLiteral("Поставщик %1").arg(s)).bindInt(5, code);
        offer.bindInt(6, s <= 2 ? today - 30 : today - s % 5);
        offer.bindText(7, QString::fromUtf8(stock[n % 5]));
        offer.execute();
        offer.reset();
    }
    priceDb.exec(QStringLiteral("INSERT INTO Price_Sklad (Sklad, Text) VALUES ('Yes', 'есть'), ('No', 'нет')"));
    transaction.commit();

    // General thresholds and those of one group in ten; the supplier choice
    // of one group in ten.
    const catalogue::MarkupThresholds general{{{100, 30}, {1000, 20}, {5000, 15}, {20000, 10}, {40000, 5}}};
    catalogue::storeThresholds(priceDb, {0}, general);
    std::vector<qint64> own;
    for (int code : leaves)
        if (code % 10 == 0)
            own.push_back(code);
    const catalogue::MarkupThresholds special{{{100, 40}, {1000, 25}, {5000, 15}, {20000, 8}, {40000, 3}}};
    catalogue::storeThresholds(priceDb, own, special);
    db::Transaction choice(priceDb);
    db::Statement chosen = priceDb.prepare(QStringLiteral(
        "INSERT INTO MinPrice_Group (Kategor, Postavshik, Obrab, Dates) "
        "SELECT ?1, Postavshik, CASE WHEN rowid % 3 = 0 THEN 'False' ELSE 'True' END, Dates FROM postavshik"));
    for (qint64 code : own) {
        chosen.bindInt(1, code);
        chosen.execute();
        chosen.reset();
    }
    choice.commit();
}

Measure measure(const std::function<void()>& work)
{
    Measure m;
    m.start();
    work();
    m.stop();
    return m;
}

void print(const char* what, const Measure& m, double limit = 0)
{
    if (limit > 0)
        std::printf("%-44s %s  (target %.0f s: %s)\n", what, qPrintable(m.text()), limit,
                    m.seconds <= limit ? "met" : "MISSED");
    else
        std::printf("%-44s %s\n", what, qPrintable(m.text()));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    Size size;
    if (argc > 1)
        size.goods = std::max(1, std::atoi(argv[1]));
    if (argc > 2)
        size.groups = std::max(1, std::atoi(argv[2]));
    if (argc > 3)
        size.offers = std::max(0, std::atoi(argv[3]));
    if (argc > 4)
        size.suppliers = std::max(3, std::atoi(argv[4]));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("PRICE.vdb"));
    createPriceDatabase(path);
    db::Connection priceDb(path);
    priceDb.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    print("generated", measure([&] { generate(priceDb, size); }));
    std::printf("  %d goods in %d groups, %d offers from %d suppliers\n", size.goods, size.groups, size.offers,
                size.suppliers);

    // Baseline: one scan of the offers for each good's cheapest price.
    print("baseline: cheapest offer per good (scan)", measure([&] {
              priceDb.scalar(QStringLiteral("SELECT count(*) FROM (SELECT Code_sootv, min(Price) FROM svod "
                                            "WHERE Obrab = 'True' AND Price > 0 GROUP BY Code_sootv)"));
          }));

    output::MinPriceSettings settings;
    settings.thresholds = settings.perGroup = settings.groupThresholds = settings.groupSuppliers = true;
    settings.stock = {true, catalogue::StockList::Presence, true};
    settings.rounding = true;
    settings.saleSupplierName = QStringLiteral("Поставщик %1").arg(size.suppliers);
    output::RecalcRequest request;
    request.today = kToday;
    output::RecalcResult recalc;
    print("RecalcMinPrices (all goods)", measure([&] { recalc = output::RecalcMinPrices(priceDb, settings, request); }), 5);
    std::printf("  %d active suppliers; %lld goods priced\n", recalc.activeSuppliers,
                priceDb.scalar(QStringLiteral("SELECT count(*) FROM price_main WHERE PriceBase > 0")).toLongLong());

    // Baseline: a plain copy of the goods and offers into a new file.
    const QString plain = dir.filePath(QStringLiteral("plain.sqlite"));
    print("baseline: goods and offers copied to a file", measure([&] {
              db::Connection(plain, db::OpenMode::Create);
              db::Statement attach = priceDb.prepare(QStringLiteral("ATTACH DATABASE ?1 AS plain"));
              attach.bindText(1, plain);
              attach.execute();
              priceDb.exec(QStringLiteral("CREATE TABLE plain.g AS SELECT * FROM price_main; "
                                          "CREATE TABLE plain.o AS SELECT * FROM svod; DETACH DATABASE plain"));
          }));

    const QString program = dir.filePath(QStringLiteral("program"));
    QDir().mkpath(program);
    output::ExportRunInput input;
    input.programFolder = program;
    input.today = kToday;
    input.switches.recalcPrices = false;
    input.switches.dbf = input.switches.managersDatabase = input.switches.catalogue = true;
    output::ExportRunResult result;
    print("Price_Out, price.dbf, managers' db, catalogue",
          measure([&] { result = output::RunExport(priceDb, input); }), 6);
    std::printf("  %lld goods in Price_Out, %lld dBase records, %lld offers copied, %lld catalogue rows\n",
                result.priceOut.goods, result.dbf ? result.dbf->records : 0,
                result.managers ? result.managers->offers : 0, result.catalogue ? result.catalogue->rows : 0);

    print("baseline: reading the managers' goods", measure([&] {
              db::Statement select = priceDb.prepare(QStringLiteral(
                  "SELECT price_main.Code, price_main.Art, price_main.Kategor, price_main.Tovar, price_main.PriceBase, "
                  "price_main.Nacen, price_main.Price_1, price_main.Garant, price_main.Dates FROM price_main "
                  "JOIN Price_Tovar_Info ON price_main.Code = Price_Tovar_Info.Code WHERE price_main.Price_1 > -1"));
              qint64 rows = 0;
              while (select.step())
                  rows += select.text(3).size() > 0;
          }));
    qint64 records = 0;
    print("DBF1Click (DBF_for_manager.DBF)",
          measure([&] { records = output::WriteManagersDbf(priceDb, program, kToday); }), 1);
    std::printf("  %lld records\n", records);
    std::printf("peak memory of the run: %.1f MB\n", peakMemoryMb());
    return 0;
}
