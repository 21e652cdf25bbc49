// Times the supplier price update: a generated .xlsx of 100,000 rows
// (article, name, price, quantity) of one supplier, against 100,000
// correspondences of that supplier (300,000 in all) and 1,000,000
// combined-price rows (100,000 goods, ten suppliers each), read and stored
// end to end. Nine rows in ten match by article, every tenth is new to the
// combined price or has no correspondence.
//
//   price_update [--keep FOLDER]   (keeps the workbook and database)
//
// Beside it, the plain way of the same run: the sheet read alone, and one
// UPDATE a row by rowid of the same number of combined-price rows.
#include "../bench_files.h"
#include "../bench_stats.h"

#include "catalogue/supplier_files/price_update.h"

#include "platform/db/connection.h"
#include "platform/spreadsheet/spreadsheet.h"
#include "storage/schema.h"

#include <QCoreApplication>

#include <cstdio>
#include <random>

using namespace velmora;
using namespace velmora::catalogue;

namespace {

constexpr int kGoods = 100000;
constexpr int kSuppliers = 10;
constexpr int kRows = 100000;
constexpr qint64 kToday = 46000;
const QString kSupplier = QStringLiteral("Поставщик 1");

QString art(int supplier, int good) { return QStringLiteral("P%1-%2").arg(supplier).arg(good, 6, 10, QLatin1Char('0')); }

void fillDatabase(db::Connection& priceDb)
{
    db::Transaction tx(priceDb);
    db::Statement sootv =
        priceDb.prepare(QStringLiteral("INSERT INTO sootv (Code, Art, Tovar, Postavshik) VALUES (?1, ?2, ?3, ?4)"));
    db::Statement svod = priceDb.prepare(QStringLiteral(
        "INSERT INTO svod (Art, Tovar, Price, Pricemax, Postavshik, Code_sootv, Obrab, Dates, Garant, Sklad)"
        " VALUES (?1, ?2, 10, 10, ?3, ?4, 'True', 45000, '', '1')"));
    for (int s = 1; s <= kSuppliers; ++s) {
        const QString supplier = QStringLiteral("Поставщик %1").arg(s);
        for (int good = 1; good <= kGoods; ++good) {
            const QString name = QStringLiteral("Товар %1 поставщика %2").arg(good).arg(s);
            // Supplier 1 misses the combined-price row of every tenth good.
            if (!(s == 1 && good % 10 == 5)) {
                svod.bindText(1, art(s, good)).bindText(2, name).bindText(3, supplier).bindInt(4, good).execute();
                svod.reset();
            }
            if (s <= 3) {
                sootv.bindInt(1, good).bindText(2, art(s, good)).bindText(3, name).bindText(4, supplier).execute();
                sootv.reset();
            }
        }
    }
    tx.commit();
}

void writeWorkbook(const QString& path)
{
    std::mt19937 random(7);
    sheet::ValueBlock block(kRows + 1, 4);
    block.setText(1, 1, QStringLiteral("Артикул"));
    block.setText(1, 2, QStringLiteral("Наименование"));
    block.setText(1, 3, QStringLiteral("Цена"));
    block.setText(1, 4, QStringLiteral("Кол-во"));
    for (int i = 1; i <= kRows; ++i) {
        // Every tenth row (from the 10th) names a good without correspondence.
        const int good = i % 10 == 0 ? kGoods + i : i;
        block.setText(i + 1, 1, art(1, good));
        block.setText(i + 1, 2, QStringLiteral("Товар %1 поставщика 1").arg(good));
        block.setNumber(i + 1, 3, double(random() % 100000) / 100 + 1);
        block.setNumber(i + 1, 4, double(random() % 50));
    }
    bench::saveBlockAsWorkbook(path, block, QStringLiteral("Прайс"));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bench::WorkFolder work(args);
    const QString& folder = work.path();
    const QString workbook = folder + QStringLiteral("/supplier.xlsx");
    const QString database = folder + QStringLiteral("/PRICE.vdb");
    std::printf("generating %d combined-price rows and a %d-row workbook ...\n", kGoods * kSuppliers, kRows);
    QFile::remove(database);
    createPriceDatabase(database);
    db::Connection priceDb(database);
    fillDatabase(priceDb);
    writeWorkbook(workbook);

    SupplierFileSettings s;
    s.path = workbook;
    s.sheetNames = {QStringLiteral("Прайс")};
    s.startRowItem = 1;
    s.columnArt = 1;
    s.columnTovar = 2;
    s.columnPrice = 3;
    s.columnQuantity = 4;
    s.byArticle = true;
    PriceUpdateResult result;
    double readPart = 0;
    const double whole = timing::timeMs([&] {
        SupplierFileRead read;
        readPart = timing::timeMs([&] { read = readSupplierFile(s); });
        result = updateSupplierPrices(priceDb, kSupplier, read.rows, s.byArticle, kToday);
    });

    const double plain = timing::timeMs([&] {
        db::Transaction tx(priceDb);
        db::Statement update = priceDb.prepare(QStringLiteral("UPDATE svod SET Price = ?1 WHERE rowid = ?2"));
        for (int i = 1; i <= kRows; ++i) {
            update.bindDouble(1, i).bindInt(2, qint64(i) * 7).execute();
            update.reset();
        }
        tx.commit();
    });

    std::printf("%s\n", qPrintable(priceUpdateMessage(result)));
    std::printf("price update end to end   %8.0f ms   (target 2000 ms)\n", whole);
    std::printf("  of which: read %.0f ms, look-ups and writes %.0f ms\n", readPart, whole - readPart);
    std::printf("plain: read %.0f ms + one UPDATE a row by rowid %.0f ms = %.0f ms\n", readPart, plain,
                readPart + plain);
    return 0;
}
