// Times the shop's spreadsheet price list on a generated catalogue: 100,000
// goods in 2,000 groups over three levels, Cyrillic names, a comment for a
// third of the goods, the default columns placed A ... H. ExportPriceExcel
// end to end (template, header rows formatted by level, goods blocks,
// outlines, save) against the baseline of the same rows and columns read
// by one plain statement and written as one plain value block through the
// spreadsheet layer, then saved, in the same run. Time and peak memory of
// each are printed; the target is at most twice the baseline.
//
//     price_list_excel [--goods N] [--groups G] [--runs R]
#include "../bench_memory.h"
#include "../bench_stats.h"

#include "output/price_list/price_list_excel.h"

#include "platform/db/connection.h"
#include "platform/spreadsheet/value_block.h"
#include "platform/spreadsheet/workbook.h"
#include "platform/spreadsheet/worksheet.h"
#include "storage/schema.h"
#include "storage/settings_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <vector>

using namespace velmora;
using velmora::timing::memoryKiB;
using velmora::timing::resetPeak;

namespace {

struct Run {
    double ms = 0;
    qint64 peakKiB = 0;
    qint64 rows = 0;
};

const char* const kWords[] = {"Мышь", "Клавиатура", "Ёлочная гирлянда", "Монитор", "Кабель", "Жёсткий диск",
                              "Блок питания", "Щётка", "Шнур", "Адаптер", "Яблоко", "Эмаль"};

// Three levels: categories, groups under them, subgroups under those; the
// goods spread over the groups and subgroups.
void generate(db::Connection& priceDb, int goods, int groups)
{
    db::Transaction transaction(priceDb);
    const int categories = std::max(1, groups / 100);
    const int middle = std::max(1, groups / 10);
    db::Statement group = priceDb.prepare(QStringLiteral(
        "INSERT INTO Tovar_tree (Code, Parent, Pos, HCh_T, Picture, Comment, Nacen, Garant) "
        "VALUES (?1, ?2, ?3, 0, 5, ?4, 0, '')"));
    std::vector<int> holders;
    for (int code = 1; code <= groups; ++code) {
        int parent = 0;
        int pos = code;
        QString name;
        if (code <= categories) {
            name = QStringLiteral("Категория %1").arg(code);
        } else if (code <= categories + middle) {
            parent = 1 + (code - categories - 1) % categories;
            pos = 1 + (code - categories - 1) / categories;
            name = QStringLiteral("Группа %1").arg(code);
        } else {
            parent = categories + 1 + (code - categories - middle - 1) % middle;
            pos = 1 + (code - categories - middle - 1) / middle;
            name = QStringLiteral("Подгруппа %1").arg(code);
        }
        group.bindInt(1, code).bindInt(2, parent).bindInt(3, pos).bindText(4, name);
        group.execute();
        group.reset();
        if (code > categories)
            holders.push_back(code);
    }
    db::Statement good = priceDb.prepare(QStringLiteral(
        "INSERT INTO price_main (Code, Art, Kategor, Tovar, PriceBase, Nacen, Price_1, Dates, Garant, Sale, SuperPrice) "
        "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?5, 1, '12 мес.', 0, ?7)"));
    db::Statement info = priceDb.prepare(QStringLiteral(
        "INSERT INTO Price_Tovar_Info (Code, Art, URL, pictures, Comment) VALUES (?1, ?2, '', '', ?3)"));
    for (int code = 1; code <= goods; ++code) {
        const QString art = QStringLiteral("ART-%1").arg(code, 8, 10, QLatin1Char('0'));
        good.bindInt(1, code).bindText(2, art).bindText(3, QString::number(holders[size_t(code) % holders.size()]));
        good.bindText(4, QStringLiteral("%1 модель %2, серебристый").arg(QString::fromUtf8(kWords[code % 12])).arg(code));
        good.bindDouble(5, 10 + (code * 37) % 5000 + 0.25).bindInt(6, code % 30).bindInt(7, code % 100 == 0 ? 1 : 0);
        good.execute();
        good.reset();
        if (code % 3 == 0) {
            info.bindInt(1, code).bindText(2, art).bindText(3, QStringLiteral("Гарантия производителя, доставка по городу"));
            info.execute();
            info.reset();
        }
    }
    transaction.commit();
}

// Article A, name B, presence C, prices D ... G, warranty H; from row 4.
void placeColumns(db::Connection& orderDb)
{
    SettingsStore settings(orderDb);
    const char* names[] = {"ComboBox_Art", "ComboBox_Tovar", "ComboBox_Presence", "ComboBox_Price1",
                           "ComboBox_Price2", "ComboBox_Price3", "ComboBox_Price4", "ComboBox_Garant"};
    for (int i = 0; i < 8; ++i)
        settings.write(QLatin1String(names[i]), QStringLiteral("TypeInteger"), QString::number(i + 1));
    settings.write(QStringLiteral("ComboBox_StartRowItemIndex"), QStringLiteral("TypeInteger"), QStringLiteral("4"));
}

// The baseline: the group rows and the goods, read by one plain statement,
// as one value block of the same rows and columns (A ... I), saved.
Run plainBlock(db::Connection& priceDb, const QString& path)
{
    resetPeak();
    QElapsedTimer timer;
    timer.start();
    constexpr int kColumns = 9;
    db::Statement select = priceDb.prepare(QStringLiteral(
        "SELECT t.Code, t.Comment, m.Art, m.Tovar, m.Price_1, m.Nacen, m.Garant "
        "FROM Tovar_tree t LEFT JOIN price_main m ON m.Kategor = CAST(t.Code AS TEXT) AND m.Price_1 > 0 "
        "ORDER BY t.Code"));
    sheet::ValueBlock block(0, kColumns);
    int row = 0;
    qint64 lastGroup = -1;
    while (select.step()) {
        const qint64 code = select.integer(0);
        if (code != lastGroup) {
            lastGroup = code;
            block.resize(++row, kColumns);
            block.setNumber(row, 1, 1);
            block.setNumber(row, 2, double(code));
            block.setText(row, 3, select.text(1));
        }
        if (select.isNull(2))
            continue;
        block.resize(++row, kColumns);
        block.setText(row, 1, select.text(2));
        block.setText(row, 2, select.text(3));
        block.setText(row, 3, QStringLiteral("Есть"));
        const double price = select.number(4) * (1 + select.number(5) / 100);
        for (int k = 0; k < 4; ++k)
            block.setNumber(row, 4 + k, std::round(price * (1 + k * 0.05) * 100) / 100);
        block.setText(row, 8, select.text(6));
    }
    sheet::Workbook book;
    book.sheet(1).setValues(sheet::CellRef{4, 1}, block);
    book.saveAs(path);
    Run run;
    run.ms = timer.nsecsElapsed() / 1e6;
    run.peakKiB = memoryKiB("VmHWM:");
    run.rows = row;
    QFile::remove(path);
    return run;
}

Run priceList(db::Connection& priceDb, db::Connection& orderDb, const QString& programFolder)
{
    output::PriceExcelInput input;
    input.programFolder = programFolder;
    resetPeak();
    QElapsedTimer timer;
    timer.start();
    const output::PriceExcelResult result = output::ExportPriceExcel(priceDb, orderDb, input);
    Run run;
    run.ms = timer.nsecsElapsed() / 1e6;
    run.peakKiB = memoryKiB("VmHWM:");
    run.rows = result.goods + result.groups;
    if (!result.saved)
        std::printf("not saved: %s\n", qPrintable(result.message));
    QFile::remove(result.savedPath);
    return run;
}

int option(const QStringList& args, const char* name, int fallback)
{
    const int i = int(args.indexOf(QLatin1String(name)));
    return i > 0 && i + 1 < args.size() ? args.at(i + 1).toInt() : fallback;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int goods = option(args, "--goods", 100000);
    const int groups = option(args, "--groups", 2000);
    const int runs = std::max(1, option(args, "--runs", 3));

    QTemporaryDir dir;
    const QString programFolder = dir.path();
    if (!QFile::copy(QStringLiteral(VELMORA_PROGRAM_DIR "/Price-List.xlsx"),
                     QDir(programFolder).filePath(QStringLiteral("Price-List.xlsx")))) {
        std::printf("no template in %s\n", VELMORA_PROGRAM_DIR);
        return 1;
    }
    createPriceDatabase(dir.filePath(QStringLiteral("PRICE.vdb")));
    createOrderDatabase(dir.filePath(QStringLiteral("BaseZakaz.vdb")));
    db::Connection priceDb(dir.filePath(QStringLiteral("PRICE.vdb")));
    db::Connection orderDb(dir.filePath(QStringLiteral("BaseZakaz.vdb")));
    QElapsedTimer timer;
    timer.start();
    generate(priceDb, goods, groups);
    placeColumns(orderDb);
    std::printf("generated %d goods in %d groups in %.1f s\n", goods, groups, timer.elapsed() / 1000.0);

    std::vector<double> plain, ours;
    Run lastPlain, lastOurs;
    for (int i = 0; i < runs; ++i) {
        lastPlain = plainBlock(priceDb, dir.filePath(QStringLiteral("plain.xlsx")));
        plain.push_back(lastPlain.ms);
        lastOurs = priceList(priceDb, orderDb, programFolder);
        ours.push_back(lastOurs.ms);
    }
    const double base = timing::median(plain);
    const double mine = timing::median(ours);
    std::printf("plain value block + save: %9.1f ms, peak %lld KiB (%lld rows)\n", base, lastPlain.peakKiB,
                lastPlain.rows);
    std::printf("ExportPriceExcel:         %9.1f ms, peak %lld KiB (%lld rows)\n", mine, lastOurs.peakKiB,
                lastOurs.rows);
    std::printf("ratio %.2f (target at most 2.00), median of %d runs\n", mine / base, runs);
    return 0;
}
