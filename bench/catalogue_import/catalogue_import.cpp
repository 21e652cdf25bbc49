// Times the own catalogue's import from a workbook: a generated .xlsx of
// 100,000 goods in the layout "categories and goods in one row", its
// 2,072 groups four levels deep (8 categories, 6 groups under each, and so
// on), imported end to end (read, built, stored) into a new database and
// then again over that catalogue (which goes to the history tables).
//
//   catalogue_import [--keep FOLDER]   (keeps the workbook and database)
//
// Beside it, the plain way of the same run: the sheet read alone, and the
// same goods inserted one row each into a table without indexes.
#include "../bench_files.h"
#include "../bench_stats.h"

#include "catalogue/import/catalogue_import.h"

#include "platform/db/connection.h"
#include "platform/spreadsheet/spreadsheet.h"
#include "storage/schema.h"

#include <QCoreApplication>

#include <cstdio>
#include <random>

using namespace velmora;
using namespace velmora::catalogue;

namespace {

constexpr int kBranching[] = {8, 6, 6, 6};
constexpr int kGoods = 100000;
constexpr qint64 kToday = 46000;

// Rows: category, group, subgroup, sub-subgroup, article, name, price;
// the goods of each leaf group follow each other, as a catalogue lists them.
void writeWorkbook(const QString& path)
{
    std::mt19937 random(20261210);
    std::vector<std::array<int, 4>> leaves;
    for (int a = 0; a < kBranching[0]; ++a)
        for (int b = 0; b < kBranching[1]; ++b)
            for (int c = 0; c < kBranching[2]; ++c)
                for (int d = 0; d < kBranching[3]; ++d)
                    leaves.push_back({a, b, c, d});
    sheet::ValueBlock block(kGoods + 1, 7);
    const char* titles[] = {"Категория", "Группа", "Подгруппа", "Раздел", "Артикул", "Наименование", "Цена"};
    for (int c = 0; c < 7; ++c)
        block.setText(1, c + 1, QString::fromUtf8(titles[c]));
    for (int i = 0; i < kGoods; ++i) {
        const auto& leaf = leaves[size_t(i) * leaves.size() / kGoods];
        const int row = i + 2;
        block.setText(row, 1, QStringLiteral("Категория %1").arg(leaf[0] + 1));
        block.setText(row, 2, QStringLiteral("Группа %1.%2").arg(leaf[0] + 1).arg(leaf[1] + 1));
        block.setText(row, 3, QStringLiteral("Подгруппа %1").arg(leaf[2] + 1));
        block.setText(row, 4, QStringLiteral("Раздел %1").arg(leaf[3] + 1));
        block.setText(row, 5, QStringLiteral("ART-%1").arg(i + 1, 6, 10, QLatin1Char('0')));
        block.setText(row, 6, QStringLiteral("Товар номер %1 модель %2").arg(i + 1).arg(random() % 1000));
        block.setNumber(row, 7, double(random() % 100000) / 100 + 1);
    }
    bench::saveBlockAsWorkbook(path, block, QStringLiteral("Каталог"));
}

CatalogueImportSettings settings(const QString& path)
{
    CatalogueImportSettings s;
    s.path = path;
    s.sheetName = QStringLiteral("Каталог");
    s.startRow = 2;
    s.layout = CatalogueLayout::CategoriesInColumns;
    const char* levels[] = {"A", "B", "C", "D"};
    for (int level = 1; level <= 4; ++level)
        s.levels[size_t(level)].column = QLatin1String(levels[level - 1]);
    s.columnArt = 5;
    s.columnTovar = 6;
    s.columnPrice = 7;
    return s;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bench::WorkFolder work(args);
    const QString& folder = work.path();
    const QString workbook = folder + QStringLiteral("/catalogue.xlsx");
    const QString database = folder + QStringLiteral("/PRICE.vdb");
    std::printf("writing %d goods ...\n", kGoods);
    writeWorkbook(workbook);
    QFile::remove(database);
    createPriceDatabase(database);
    db::Connection priceDb(database);

    const CatalogueImportSettings s = settings(workbook);
    CatalogueImportResult result;
    const double first = timing::timeMs([&] { result = importCatalogue(priceDb, s, kToday); });
    const double second = timing::timeMs([&] { result = importCatalogue(priceDb, s, kToday); });

    // The parts and the plain way.
    sheet::SheetData data;
    const double read = timing::timeMs([&] {
        sheet::WorkbookReader reader(workbook);
        data = reader.readSheet(1, sheet::ReadOptions{0, 7});
    });
    ImportedCatalogue built;
    const double build = timing::timeMs([&] { built = buildImportedCatalogue(data.values, s); });
    const double store = timing::timeMs([&] { storeImportedCatalogue(priceDb, built, kToday); });
    priceDb.exec(QStringLiteral("CREATE TABLE plain (Code INTEGER, Art TEXT, Kategor TEXT, Tovar TEXT, Price REAL)"));
    const double plain = timing::timeMs([&] {
        db::Transaction tx(priceDb);
        db::Statement insert = priceDb.prepare(QStringLiteral("INSERT INTO plain VALUES (?1, ?2, ?3, ?4, ?5)"));
        for (int row = 2; row <= data.values.rows(); ++row) {
            insert.bindInt(1, row - 1).bindText(2, data.values.text(row, 5)).bindText(3, data.values.text(row, 4));
            insert.bindText(4, data.values.text(row, 6)).bindDouble(5, data.values.number(row, 7)).execute();
            insert.reset();
        }
        tx.commit();
    });

    std::printf("%s\n", qPrintable(catalogueImportedMessage(result)));
    std::printf("import into a new database     %8.0f ms   (target 2000 ms)\n", first);
    std::printf("import over that catalogue     %8.0f ms   (target 2000 ms)\n", second);
    std::printf("  of which: read %.0f ms, build %.0f ms, store %.0f ms\n", read, build, store);
    std::printf("plain: read %.0f ms + one insert a row into an unindexed table %.0f ms = %.0f ms\n", read, plain,
                read + plain);
    return 0;
}
