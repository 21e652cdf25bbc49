// Times the older loading window's load of one supplier's 100,000-row
// workbook into a database holding 1,000,000 remainder items, 30,000
// correspondences and 20,000 trash items, then the remainder page over the
// result: shown, filtered by two words, ticked all. Each beside a plain
// baseline of the same run on a copy of the same database: the load as its
// statements stand (price_one filled row by row, the trash and the
// correspondences found through Price_temp by IN lists), the page as a
// full flag reset and a LIKE statement.
#include "offer_generator.h"

#include "catalogue/loading/data_load.h"
#include "catalogue/matching/item_lists.h"
#include "platform/db/day_numbers.h"
#include "platform/spreadsheet/reader.h"
#include "platform/spreadsheet/workbook.h"
#include "storage/schema.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <random>

using namespace velmora;
using namespace velmora::catalogue;

namespace {

constexpr int kItems = 1000000;
constexpr int kSuppliers = 50;
constexpr int kRows = 100000;
constexpr int kCorrespondences = 30000;
constexpr int kTrash = 20000;
constexpr int kScreen = 100;
const QString kSupplier = QStringLiteral("ООО Загрузка");

// Row i of the supplier's workbook: every 10th is in its trash, every 5th
// (not 10th) has a correspondence, the rest are new.
QString rowName(int i) { return QStringLiteral("Товар %1 поставщика загрузки").arg(i); }
QString rowArt(int i) { return QStringLiteral("ZG-%1").arg(i); }

void makeDatabase(const QString& path, const QString& workbook)
{
    createPriceDatabase(path);
    db::Connection db(path);
    db::Transaction transaction(db);
    std::mt19937 rng(20240611);
    const QStringList suppliers = search::bench::supplierNames(kSuppliers);
    db::Statement item = db.prepare(QStringLiteral(
        "INSERT INTO price_all (Art, Tovar, Price, Pricemax, Postavshik, Check_sootv, Check_obrab, Dates, Garant, "
        "Sklad) VALUES (?1, ?2, ?3, ?3 * 1.2, ?4, 'false', 'true', 45000, '12', 'есть')"));
    // The supplier's own earlier items among the others.
    for (int n = 1; n <= kItems; ++n) {
        QString brand;
        const bool own = n % 50 == 0;
        item.bindText(1, own ? rowArt(n) : brand.left(2) + QString::number(n));
        item.bindText(2, own ? rowName(n) + QStringLiteral(" старый") : search::bench::goodsName(rng, brand));
        item.bindDouble(3, double(rng() % 100000) / 100 + 1);
        item.bindText(4, own ? kSupplier : suppliers.at(int(rng() % kSuppliers)));
        item.execute();
        item.reset();
    }
    db::Statement sootv = db.prepare(QStringLiteral(
        "INSERT INTO sootv (Code, Art, Tovar, Postavshik, Art_obrab) VALUES (?1, ?2, ?3, ?4, 'False')"));
    db::Statement svod = db.prepare(QStringLiteral(
        "INSERT INTO svod (Art, Tovar, Price, Pricemax, Postavshik, Code_sootv, Obrab, Dates, Garant, Sklad) "
        "VALUES (?1, ?2, 10, 12, ?3, ?4, 'false', 45000, '12', 'есть')"));
    // 20,000 correspondences of this supplier's rows, 10,000 of others'.
    int made = 0;
    for (int i = 1; i <= kRows && made < 20000; ++i)
        if (i % 5 == 0 && i % 10 != 0) {
            ++made;
            sootv.bindInt(1, made).bindText(2, rowArt(i)).bindText(3, rowName(i)).bindText(4, kSupplier).execute();
            sootv.reset();
            svod.bindText(1, rowArt(i)).bindText(2, rowName(i)).bindText(3, kSupplier).bindInt(4, made).execute();
            svod.reset();
        }
    for (int g = made + 1; g <= kCorrespondences; ++g) {
        const QString supplier = suppliers.at(g % kSuppliers);
        sootv.bindInt(1, g).bindText(2, QStringLiteral("O-%1").arg(g)).bindText(3, QStringLiteral("Чужой товар %1").arg(g));
        sootv.bindText(4, supplier).execute();
        sootv.reset();
    }
    // 10,000 trash items of this supplier's rows, 10,000 of others'.
    db::Statement musor = db.prepare(QStringLiteral(
        "INSERT INTO musor (Art, Tovar, Price, Pricemax, Postavshik, Check_sootv, Check_obrab, Dates, Garant, Sklad) "
        "VALUES (?1, ?2, 1, 1, ?3, 'false', 'true', 45000, '', '')"));
    for (int i = 10; i <= kRows; i += 10) {
        musor.bindText(1, rowArt(i)).bindText(2, rowName(i)).bindText(3, kSupplier).execute();
        musor.reset();
    }
    for (int t = 1; t <= kTrash - kRows / 10; ++t) {
        musor.bindText(1, QStringLiteral("M-%1").arg(t)).bindText(2, QStringLiteral("Мусор %1").arg(t));
        musor.bindText(3, suppliers.at(t % kSuppliers)).execute();
        musor.reset();
    }
    db::Statement supplier = db.prepare(QStringLiteral(
        "INSERT INTO postavshik (Postavshik, Path, Column_art, Column_Tovar, Column_Price, Column_Pricemax, "
        "Column_Garant, Column_Sklad, Sheet, Art_obrab, Obrab, Dates, Obrab_Def) "
        "VALUES (?1, ?2, 1, 2, 3, 4, 0, 5, 1, 'false', 'False', 45000, 'True')"));
    supplier.bindText(1, kSupplier).bindText(2, workbook).execute();
    transaction.commit();
}

void writeWorkbook(const QString& path)
{
    std::mt19937 random(7);
    sheet::ValueBlock block(kRows + 1, 5);
    block.setText(1, 1, QStringLiteral("Артикул"));
    block.setText(1, 2, QStringLiteral("Наименование"));
    block.setText(1, 3, QStringLiteral("Цена"));
    block.setText(1, 4, QStringLiteral("Розница"));
    block.setText(1, 5, QStringLiteral("Склад"));
    for (int i = 1; i <= kRows; ++i) {
        const double price = double(random() % 100000) / 100 + 1;
        block.setText(i + 1, 1, rowArt(i));
        block.setText(i + 1, 2, rowName(i));
        block.setNumber(i + 1, 3, price);
        block.setNumber(i + 1, 4, price * 1.2);
        block.setText(i + 1, 5, i % 3 ? QStringLiteral("есть") : QStringLiteral("нет"));
    }
    sheet::Workbook book;
    book.sheet(1).setName(QStringLiteral("Прайс"));
    book.sheet(1).setValues(sheet::CellRef{1, 1}, block);
    book.saveAs(path);
}

double msSince(const QElapsedTimer& timer) { return timer.nsecsElapsed() / 1e6; }

QStringList queryTexts(db::Connection& db, const char* sql)
{
    QStringList rows;
    db::Statement select = db.prepare(QString::fromUtf8(sql));
    while (select.step())
        rows << select.text(0) + u'|' + select.text(1) + u'|' + select.text(2);
    return rows;
}

// The load as its statements stand, over the same rows in one transaction.
LoadCounts plainLoad(db::Connection& db, const QString& workbook)
{
    LoadCounts counts;
    const std::optional<SupplierSetup> setup = readSupplierSetup(db, kSupplier);
    sheet::WorkbookReader reader(workbook);
    const sheet::SheetData data = reader.readSheet(1, {0, 5});
    db::Transaction transaction(db);
    const qint64 day = db::dayNumber(QDate::currentDate());
    db.exec(QStringLiteral("DELETE FROM price_one"));
    db::Statement insert = db.prepare(QStringLiteral(
        "INSERT INTO price_one (Art, Tovar, Price, Pricemax, Postavshik, Check_sootv, Check_obrab, Dates, Garant, "
        "Sklad) VALUES (?1, ?2, ?3, ?4, ?5, 'false', 'true', ?6, ?7, ?8)"));
    for (int row = 1; row <= data.values.rows(); ++row) {
        const std::optional<LoadedItem> item = parseLoadRow(data.values, row, *setup, 1, {});
        if (!item)
            continue;
        insert.bindText(1, item->art).bindText(2, item->tovar).bindDouble(3, item->price).bindDouble(4, item->pricemax);
        insert.bindText(5, kSupplier).bindInt(6, day).bindText(7, item->garant).bindText(8, item->sklad);
        insert.execute();
        insert.reset();
        ++counts.loaded;
    }
    auto run = [&db](const char* sql) {
        db::Statement statement = db.prepare(QString::fromUtf8(sql));
        statement.bindText(1, kSupplier);
        statement.execute();
    };
    auto count = [&db](const char* sql) {
        db::Statement statement = db.prepare(QString::fromUtf8(sql));
        return statement.step() ? statement.integer(0) : 0;
    };
    // The trash.
    run("UPDATE price_one SET Check_obrab = 'False' WHERE ?1 IS NOT NULL");
    run("DELETE FROM Price_temp WHERE ?1 IS NOT NULL");
    run("INSERT INTO Price_temp (Art, Tovar, Postavshik) SELECT Art, Tovar, Postavshik FROM musor WHERE Postavshik = ?1");
    run("UPDATE price_one SET Check_obrab = 'True' WHERE Tovar IN (SELECT Tovar FROM Price_temp) AND ?1 IS NOT NULL");
    counts.trashed = count("SELECT count(*) FROM price_one WHERE Check_obrab = 'True'");
    run("DELETE FROM musor WHERE Postavshik = ?1 AND Tovar IN (SELECT Tovar FROM price_one WHERE Check_obrab = 'True')");
    run("INSERT INTO musor (Art, Tovar, Price, Pricemax, Postavshik, Check_sootv, Check_obrab, Dates, Garant, Sklad) "
        "SELECT DISTINCT Art, Tovar, Price, Pricemax, Postavshik, Check_sootv, Check_obrab, Dates, Garant, Sklad "
        "FROM price_one WHERE Check_obrab = 'True' AND ?1 IS NOT NULL");
    run("DELETE FROM price_one WHERE Check_obrab = 'True' AND ?1 IS NOT NULL");
    // The combined price.
    run("DELETE FROM svod WHERE Postavshik = ?1");
    run("UPDATE price_one SET Check_obrab = 'False' WHERE ?1 IS NOT NULL");
    run("DELETE FROM Price_temp WHERE ?1 IS NOT NULL");
    run("UPDATE sootv SET Art = price_one.Art FROM price_one WHERE sootv.Tovar = price_one.Tovar "
        "AND sootv.Postavshik = price_one.Postavshik AND sootv.Postavshik = ?1");
    run("INSERT INTO Price_temp (Code, Art, Tovar, Postavshik) SELECT Code, Art, Tovar, Postavshik FROM sootv "
        "WHERE Postavshik = ?1");
    run("UPDATE price_one SET Check_obrab = 'True' WHERE Tovar IN (SELECT Tovar FROM Price_temp) AND ?1 IS NOT NULL");
    counts.combined = count("SELECT count(*) FROM price_one WHERE Check_obrab = 'True'");
    run("INSERT INTO svod (Art, Tovar, Price, Pricemax, Postavshik, Code_sootv, Obrab, Dates, Garant, Sklad) "
        "SELECT DISTINCT Art, Tovar, Price, Pricemax, Postavshik, 0, 'false', Dates, Garant, Sklad FROM price_one "
        "WHERE Check_obrab = 'True' AND ?1 IS NOT NULL");
    run("UPDATE svod SET Code_sootv = Price_temp.Code FROM Price_temp WHERE svod.Art IS Price_temp.Art "
        "AND svod.Tovar = Price_temp.Tovar AND svod.Postavshik = Price_temp.Postavshik AND svod.Postavshik = ?1");
    run("DELETE FROM price_one WHERE Check_obrab = 'True' AND ?1 IS NOT NULL");
    // The remainder.
    counts.remainder = count("SELECT count(*) FROM price_one");
    run("DELETE FROM price_all WHERE Postavshik = ?1");
    run("INSERT INTO price_all (Art, Tovar, Price, Pricemax, Postavshik, Check_sootv, Check_obrab, Dates, Garant, "
        "Sklad) SELECT Art, Tovar, Price, Pricemax, Postavshik, Check_sootv, Check_obrab, Dates, Garant, Sklad "
        "FROM price_one WHERE ?1 IS NOT NULL");
    transaction.commit();
    return counts;
}

struct PageTimes {
    double show = 0;
    double filter = 0;
    double tickAll = 0;
    qint64 listed = 0;
};

const QString kFilter = QStringLiteral("болт оцинк");

PageTimes programPage(db::Connection& db)
{
    PageTimes times;
    QElapsedTimer timer;
    timer.start();
    clearItemTicks(db, ItemTable::Remainder);
    ItemList shown(db, shownItems(ItemTable::Remainder));
    itemCounterText(shown.size(), countItems(db, ItemTable::Remainder));
    shown.read(0, kScreen);
    times.show = msSince(timer);
    timer.restart();
    clearItemTicks(db, ItemTable::Remainder);
    ItemList filtered(db, filteredItems(ItemTable::Remainder, kFilter, allSuppliersEntry()));
    itemCounterText(filtered.size(), countItems(db, ItemTable::Remainder));
    filtered.read(0, kScreen);
    times.filter = msSince(timer);
    times.listed = filtered.size();
    timer.restart();
    filtered.tickAll(true);
    filtered.read(0, kScreen);
    times.tickAll = msSince(timer);
    return times;
}

PageTimes plainPage(db::Connection& db)
{
    PageTimes times;
    auto firstScreen = [&db](const QString& sql, const QStringList& words) {
        db::Statement select = db.prepare(sql);
        for (int i = 0; i < words.size(); ++i)
            select.bindText(i + 1, words.at(i));
        for (int n = 0; n < kScreen && select.step(); ++n) {
        }
    };
    auto total = [&db] {
        db::Statement select = db.prepare(QStringLiteral("SELECT count(*) FROM price_all"));
        select.step();
    };
    const QStringList words = kFilter.split(u' ');
    const QString where = QStringLiteral("WHERE (Tovar LIKE '%' || ?1 || '%' AND Tovar LIKE '%' || ?2 || '%')");
    QElapsedTimer timer;
    timer.start();
    db.exec(QStringLiteral("UPDATE price_all SET Check_sootv = 'false'"));
    firstScreen(QStringLiteral("SELECT * FROM price_all ORDER BY Number"), {});
    total();
    times.show = msSince(timer);
    timer.restart();
    db.exec(QStringLiteral("UPDATE price_all SET Check_sootv = 'false'"));
    {
        db::Statement count = db.prepare(QStringLiteral("SELECT count(*) FROM price_all ") + where);
        count.bindText(1, words.at(0)).bindText(2, words.at(1));
        count.step();
        times.listed = count.integer(0);
    }
    firstScreen(QStringLiteral("SELECT * FROM price_all ") + where + QStringLiteral(" ORDER BY Number"), words);
    total();
    times.filter = msSince(timer);
    timer.restart();
    {
        db::Statement tick = db.prepare(QStringLiteral("UPDATE price_all SET Check_sootv = 'True' WHERE Number IN "
                                                       "(SELECT Number FROM price_all ") + where + u')');
        tick.bindText(1, words.at(0)).bindText(2, words.at(1));
        tick.execute();
    }
    firstScreen(QStringLiteral("SELECT * FROM price_all ") + where + QStringLiteral(" ORDER BY Number"), words);
    times.tickAll = msSince(timer);
    return times;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString workbook = dir.filePath(QStringLiteral("supplier.xlsx"));
    const QString path = dir.filePath(QStringLiteral("PRICE.vdb"));
    const QString plainPath = dir.filePath(QStringLiteral("plain.vdb"));
    QElapsedTimer timer;
    timer.start();
    writeWorkbook(workbook);
    makeDatabase(path, workbook);
    QFile::copy(path, plainPath);
    std::printf("%d remainder items of %d suppliers, %d correspondences, %d trash items; a workbook of %d rows; "
                "made in %.1f s\n",
                kItems, kSuppliers + 1, kCorrespondences, kTrash, kRows, timer.elapsed() / 1000.0);

    db::Connection db(path);
    LoadQueueEntry entry{kSupplier, db::dayNumber(QDate::currentDate()), 1, std::nullopt};
    timer.restart();
    const EntryLoad load = loadQueueEntry(db, entry, {}, false, {});
    const double loadMs = msSince(timer);
    if (!load.loaded) {
        std::fprintf(stderr, "the load failed: %s\n", qPrintable(load.failure));
        return 1;
    }
    db::Connection plainDb(plainPath);
    timer.restart();
    const LoadCounts plain = plainLoad(plainDb, workbook);
    const double plainMs = msSince(timer);
    const LoadCounts& c = load.counts;
    std::printf("load:      program %8.1f ms   plain %10.1f ms   target <= 3000 ms   counts %lld/%lld/%lld/%lld "
                "(plain %lld/%lld/%lld/%lld)\n",
                loadMs, plainMs, static_cast<long long>(c.loaded), static_cast<long long>(c.trashed),
                static_cast<long long>(c.combined), static_cast<long long>(c.remainder),
                static_cast<long long>(plain.loaded), static_cast<long long>(plain.trashed),
                static_cast<long long>(plain.combined), static_cast<long long>(plain.remainder));

    const PageTimes ours = programPage(db);
    const PageTimes base = plainPage(plainDb);
    std::printf("remainder page shown:   program %8.1f ms   plain %8.1f ms   target <= 200 ms\n", ours.show, base.show);
    std::printf("two-word filter:        program %8.1f ms   plain %8.1f ms   target <= 300 ms   (%lld / %lld listed)\n",
                ours.filter, base.filter, static_cast<long long>(ours.listed), static_cast<long long>(base.listed));
    std::printf("tick-all on the filter: program %8.1f ms   plain %8.1f ms   target <= 500 ms\n", ours.tickAll,
                base.tickAll);
    const char* const svodRows = "SELECT Code_sootv, Tovar, Price FROM svod ORDER BY Code_sootv, Tovar";
    const bool sameSvod = queryTexts(db, svodRows) == queryTexts(plainDb, svodRows);
    const bool same = c.loaded == plain.loaded && c.trashed == plain.trashed && c.combined == plain.combined
        && c.remainder == plain.remainder && ours.listed == base.listed && sameSvod;
    std::printf("%s\n", same ? "both ways give the same counts and combined price rows" : "the two ways DIFFER");
    return same ? 0 : 1;
}
