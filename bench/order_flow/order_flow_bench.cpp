// The road of a customer's order: its workbook imported into the order
// list, the distribution window shown over it, its comparison sheet written;
// each beside a plain baseline of the same run on the same data.
//
//   order_flow [own goods] [svod rows] [suppliers] [workbook rows] [order lines]
//              (defaults 100000 500000 50 10000 1000)
#include "orders/comparison_sheet.h"
#include "orders/order_import.h"
#include "orders/ui/form_postav_zakaz.h"
#include "platform/db/connection.h"
#include "platform/spreadsheet/reader.h"
#include "platform/spreadsheet/workbook.h"
#include "storage/schema.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <random>

using namespace velmora;

namespace {

struct Sizes {
    int goods = 100000;
    int svodRows = 500000;
    int suppliers = 50;
    int workbookRows = 10000;
    int orderLines = 1000;
};

QString supplierName(int n) { return QStringLiteral("Поставщик %1").arg(n, 2, 10, QChar(u'0')); }

// Own goods with articles "A<code>"; svod spreads its rows over the goods,
// each row a random supplier, price and stock text.
void generateCatalogue(db::Connection& priceDb, const Sizes& sizes)
{
    std::mt19937 random(2024);
    std::uniform_real_distribution<double> price(10, 5000);
    std::uniform_int_distribution<int> supplier(1, sizes.suppliers);
    std::uniform_int_distribution<int> stock(0, 12);
    db::Transaction transaction(priceDb);
    db::Statement good = priceDb.prepare(QStringLiteral(
        "INSERT INTO price_main (Code, Art, Kategor, Tovar, Price_1, Nacen) VALUES (?1, ?2, '1', ?3, ?4, 15)"));
    for (int code = 1; code <= sizes.goods; ++code) {
        good.bindInt(1, code).bindText(2, QStringLiteral("A%1").arg(code));
        good.bindText(3, QStringLiteral("Товар номер %1").arg(code)).bindDouble(4, std::round(price(random)));
        good.execute();
        good.reset();
    }
    db::Statement offer = priceDb.prepare(QStringLiteral(
        "INSERT INTO svod (Art, Tovar, Price, Postavshik, Code_sootv, Obrab, Sklad) VALUES (?1, ?2, ?3, ?4, ?5, 'False', ?6)"));
    for (int n = 0; n < sizes.svodRows; ++n) {
        const int code = n % sizes.goods + 1;
        offer.bindText(1, QStringLiteral("S%1").arg(n)).bindText(2, QStringLiteral("Товар поставщика %1").arg(n));
        offer.bindDouble(3, std::round(price(random) * 100) / 100).bindText(4, supplierName(supplier(random)));
        offer.bindInt(5, code);
        const int units = stock(random);
        offer.bindText(6, units == 12 ? QStringLiteral("есть") : QString::number(units));
        offer.execute();
        offer.reset();
    }
    transaction.commit();
}

// A customer's order: rows of distinct goods spread over the catalogue.
void writeOrderWorkbook(const QString& path, int rows, int goods)
{
    sheet::Workbook book;
    sheet::Worksheet& sheet = book.sheet(1);
    sheet.setText(1, 2, QStringLiteral("Артикул"));
    sheet.setText(1, 3, QStringLiteral("Наименование"));
    sheet.setText(1, 4, QStringLiteral("Цена"));
    sheet.setText(1, 5, QStringLiteral("Кол-во"));
    const int stride = std::max(goods / rows, 1);
    for (int r = 0; r < rows; ++r) {
        const int code = (r * stride) % goods + 1;
        sheet.setNumber(r + 2, 1, r + 1);
        sheet.setText(r + 2, 2, QStringLiteral("A%1").arg(code));
        sheet.setText(r + 2, 3, QStringLiteral("Товар номер %1").arg(code));
        sheet.setNumber(r + 2, 4, 100 + r % 50);
        sheet.setNumber(r + 2, 5, 1 + r % 20);
    }
    book.saveAs(path);
}

double seconds(QElapsedTimer& clock) { return clock.nsecsElapsed() / 1e9; }

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Sizes sizes;
    int* fields[] = {&sizes.goods, &sizes.svodRows, &sizes.suppliers, &sizes.workbookRows, &sizes.orderLines};
    for (int i = 1; i < argc && i <= 5; ++i)
        *fields[i - 1] = std::max(1, std::atoi(argv[i]));

    QTemporaryDir dir;
    const QString program = dir.path() + u'/';
    for (const char* name : {"Svod_Price.xlsx", "order.xlsx", "notzakaz.xlsx"})
        QFile::copy(QStringLiteral(VELMORA_PROGRAM_DIR "/") + QLatin1String(name), program + QLatin1String(name));
    createPriceDatabase(program + QStringLiteral("PRICE.vdb"));
    createOrderDatabase(program + QStringLiteral("BaseZakaz.vdb"));
    db::Connection priceDb(program + QStringLiteral("PRICE.vdb"));
    db::Connection orderDb(program + QStringLiteral("BaseZakaz.vdb"));
    priceDb.exec(QStringLiteral("PRAGMA journal_mode=WAL"));

    QElapsedTimer clock;
    clock.start();
    generateCatalogue(priceDb, sizes);
    const QString bigOrder = program + QStringLiteral("big.xlsx");
    const QString order = program + QStringLiteral("order.in.xlsx");
    writeOrderWorkbook(bigOrder, sizes.workbookRows, sizes.goods);
    writeOrderWorkbook(order, sizes.orderLines, sizes.goods);
    std::printf("generated %d own goods, %d svod rows from %d suppliers, workbooks of %d and %d rows in %.2f s\n",
                sizes.goods, sizes.svodRows, sizes.suppliers, sizes.workbookRows, sizes.orderLines, seconds(clock));

    // The import, beside reading the workbook alone.
    clock.restart();
    const sheet::ValueBlock cells = orders::ReadOrderCells(bigOrder, 1, 5);
    const double readOnly = seconds(clock);
    orders::OrderImportSettings settings;
    settings.startRow = 2;
    clock.restart();
    const orders::OrderImportResult imported = orders::ImportOrder(priceDb, bigOrder, settings, 2);
    const double importTime = seconds(clock);
    std::printf("import of %d rows: %.3f s (loaded %d of %d); baseline, reading the workbook alone: %.3f s (%d rows)\n",
                sizes.workbookRows, importTime, imported.loaded, imported.found, readOnly, cells.rows() - 1);

    // The distribution window over an order of its own size.
    orders::ImportOrder(priceDb, order, settings, 2);
    clock.restart();
    const qint64 offers =
        priceDb.scalar(QStringLiteral("SELECT count(*) FROM Zakaz z JOIN svod s ON s.Code_sootv = z.Code")).toLongLong();
    const double joinOnly = seconds(clock);
    orders::PostavZakazEnvironment environment;
    environment.priceDb = &priceDb;
    environment.orderDb = &orderDb;
    environment.programFolder = program;
    environment.roundDigits = [] { return 2; };
    const auto showWindow = [&] {
        QElapsedTimer shown;
        shown.start();
        orders::Form_PostavZakaz window(environment);
        window.show();
        QCoreApplication::processEvents();
        const double time = seconds(shown);
        window.close();
        return time;
    };
    const double firstShow = showWindow();
    const double secondShow = showWindow();
    std::printf("distribution window over %d lines (%lld offers): shown and distributed %.3f s, shown again %.3f s;"
                " baseline, the order joined with svod: %.3f s\n",
                sizes.orderLines, offers, firstShow, secondShow, joinOnly);

    // The comparison sheet with every supplier, beside a plain workbook of
    // the same values.
    const QString ini = orders::ComparisonIniPath(program);
    orders::ComparisonTemplate t;
    t.folder = program + QStringLiteral("out/");
    t.templatePath = program + QStringLiteral("Svod_Price.xlsx");
    QVector<std::pair<QString, bool>> all;
    for (const QString& supplier : orders::ComparisonSuppliers(priceDb))
        all.append({supplier, true});
    orders::SaveComparisonTemplate(ini, orders::kComparisonTemplateName, t, all);
    orders::ComparisonInput input;
    input.priceDb = &priceDb;
    input.iniPath = ini;
    input.programFolder = program;
    clock.restart();
    const QString sheetPath = orders::WriteComparisonSheet(input);
    const double sheetTime = seconds(clock);
    clock.restart();
    {
        const sheet::SheetData written = sheet::WorkbookReader(sheetPath).readSheet(1);
        sheet::Workbook plain;
        plain.sheet(1).setValues({1, 1}, written.values);
        plain.saveAs(program + QStringLiteral("plain.xlsx"));
    }
    const double plainTime = seconds(clock);
    std::printf("comparison sheet of %d lines, %lld suppliers: %.3f s; baseline, reading it back and writing its"
                " values as a plain workbook: %.3f s\n",
                sizes.orderLines, qint64(all.size()), sheetTime, plainTime);
    return 0;
}
