// Times the shop's catalogue outputs on a generated price database of
// 100,000 goods in 2,000 groups (each good with its description row),
// 100,000 output price rows and 1,000,000 combined-price rows (20,000 goods,
// 50 suppliers each), each beside a plain baseline of the same run:
//
//   - the MySQL upload into a MariaDB server of its own, beside the server
//     client's LOAD DATA LOCAL INFILE of the same rows into tables of the
//     same columns (the tab-separated files written beforehand, untimed);
//   - the YML catalogue and the Shop-Script file of the 100,000 goods;
//   - the combined price list by category for the 50 suppliers, beside one
//     plain value block of the same cells written into a new workbook and
//     saved.
//
//   shop_upload [--keep FOLDER] [--only upload|files|combined]
//   (--keep keeps the database and the files; --only times one part)
#include "../bench_files.h"
#include "../bench_stats.h"
#include "mariadb_server.h"

#include "output/combined_price/combined_price_list.h"
#include "output/shop_script/shop_script_export.h"
#include "output/shop_upload/shop_data_source.h"
#include "output/shop_upload/shop_upload.h"
#include "output/yml/yml_export.h"

#include "platform/db/connection.h"
#include "platform/odbc/data_source.h"
#include "platform/spreadsheet/spreadsheet.h"
#include "storage/schema.h"
#include "storage/settings_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>

using namespace velmora;

namespace {

constexpr int kGroups = 2000;
constexpr int kGoods = 100000;
constexpr int kOfferedGoods = 20000;
constexpr int kSuppliers = 50;

void fillDatabase(db::Connection& priceDb)
{
    db::Transaction tx(priceDb);
    db::Statement group = priceDb.prepare(QStringLiteral("INSERT INTO Tovar_tree (Code, Parent, Pos, HCh_T, "
                                                         "Picture, Comment, Nacen, Garant) "
                                                         "VALUES (?1, ?2, ?3, 0, 0, ?4, 0, '')"));
    // 20 categories of 99 groups each below them.
    for (int code = 1; code <= kGroups; ++code) {
        const bool top = code <= 20;
        const int parent = top ? 0 : 1 + (code - 21) % 20;
        const int pos = top ? code : 1 + (code - 21) / 20;
        group.bindInt(1, code)
            .bindInt(2, parent)
            .bindInt(3, pos)
            .bindText(4, QStringLiteral("Группа товаров №%1").arg(code))
            .execute();
        group.reset();
    }
    db::Statement good
        = priceDb.prepare(QStringLiteral("INSERT INTO price_main (Code, Art, Kategor, Tovar, PriceBase, Nacen, "
                                         "Price_1, Dates, Garant, Sale, SuperPrice) "
                                         "VALUES (?1, ?2, ?3, ?4, ?5, 10, ?5, 45000, '12 мес.', 0, 0)"));
    db::Statement info = priceDb.prepare(QStringLiteral("INSERT INTO Price_Tovar_Info (Code, Art, URL, pictures, "
                                                        "Comment) VALUES (?1, ?2, ?3, ?4, ?5)"));
    db::Statement out
        = priceDb.prepare(QStringLiteral("INSERT INTO Price_Out (Code, Kategor, NameKat0, NameKat1, Art, Tovar, "
                                         "Nacen, PriceBase, Price_1, Price_2, "
                                         "Price_3, Price_4, Dates, Garant, SuperPrice) VALUES (?1, ?2, "
                                         "'Категория', ?3, ?4, ?5, 10, ?6, ?6 * 1.1, "
                                         "?6 * 1.15, ?6 * 1.2, ?6 * 1.3, 45000, '12 мес.', 0)"));
    for (int code = 1; code <= kGoods; ++code) {
        const QString art = QStringLiteral("AR-%1").arg(code, 6, 10, QLatin1Char('0'));
        const QString kategor = QString::number(1 + code % kGroups);
        const QString name = QStringLiteral("Товар «Образец» №%1, исполнение %2").arg(code).arg(code % 7);
        const double price = 10 + (code % 5000) * 0.37;
        good.bindInt(1, code).bindText(2, art).bindText(3, kategor).bindText(4, name).bindDouble(5, price).execute();
        good.reset();
        info.bindInt(1, code)
            .bindText(2, art)
            .bindText(3, QStringLiteral("http://shop.example/item/%1").arg(code))
            .bindText(4, QStringLiteral("http://shop.example/img/%1.jpg").arg(code))
            .bindText(5, QStringLiteral("Описание товара %1").arg(code))
            .execute();
        info.reset();
        out.bindInt(1, code)
            .bindText(2, kategor)
            .bindText(3, QStringLiteral("Группа товаров №") + kategor)
            .bindText(4, art)
            .bindText(5, name)
            .bindDouble(6, price)
            .execute();
        out.reset();
    }
    db::Statement supplier = priceDb.prepare(QStringLiteral("INSERT INTO postavshik (Postavshik, Obrab, Dates, "
                                                            "Obrab_Def) VALUES (?1, 'True', 45000, 'True')"));
    db::Statement svod
        = priceDb.prepare(QStringLiteral("INSERT INTO svod (Art, Tovar, Price, Pricemax, Postavshik, Code_sootv, "
                                         "Obrab, Dates, Garant, Sklad) "
                                         "VALUES (?1, ?2, ?3, ?3, ?4, ?5, 'True', 45000, '12 мес.', 'есть')"));
    for (int s = 1; s <= kSuppliers; ++s) {
        const QString name = QStringLiteral("Поставщик %1").arg(s);
        supplier.bindText(1, name).execute();
        supplier.reset();
        for (int code = 1; code <= kOfferedGoods; ++code) {
            svod.bindText(1, QStringLiteral("S%1-%2").arg(s).arg(code))
                .bindText(2, QStringLiteral("Предложение %1 поставщика %2").arg(code).arg(s))
                .bindDouble(3, 10 + ((code * 31 + s * 17) % 5000) * 0.41)
                .bindText(4, name)
                .bindInt(5, code)
                .execute();
            svod.reset();
        }
    }
    priceDb.exec(QStringLiteral("UPDATE parametr SET Name_out = 'Цена', Nacen_out = 5"));
    tx.commit();
}

// Writes a table of the price database as the server client's tab-separated
// rows (\N for NULL); the number of rows.
qint64 writeRows(db::Connection& priceDb, const QString& select, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return 0;
    db::Statement rows = priceDb.prepare(select);
    qint64 count = 0;
    QByteArray line;
    while (rows.step()) {
        line.clear();
        for (int c = 0; c < rows.columnCount(); ++c) {
            if (c)
                line += '\t';
            line += rows.isNull(c) ? QByteArray("\\N") : rows.text(c).toUtf8();
        }
        line += '\n';
        file.write(line);
        ++count;
    }
    return count;
}

struct Table {
    const char* name;
    const char* columns;
    const char* select;
};

const Table kTables[] = {
    { "price_main",
        "Code int(11), Art varchar(15), Kategor varchar(50), Tovar varchar(200), "
        "PriceBase float, Nacen int(11), "
        "Price_1 double, Price_2 double, Price_3 double, Price_4 double, Dates "
        "int(11), Garant varchar(50)",
        "SELECT Code, Art, Kategor, Tovar, PriceBase, Nacen, Price_1, Price_2, "
        "Price_3, Price_4, Dates, Garant "
        "FROM Price_Out ORDER BY ID" },
    { "parametr",
        "Id int(11), Name_out varchar(50), Nacen_out int(11), Path varchar(250), "
        "FileName varchar(50), "
        "SheetName varchar(50), Dates int(11)",
        "SELECT Id, Name_out, Nacen_out, Path, FileName, SheetName, Dates FROM "
        "parametr ORDER BY rowid" },
    { "svod",
        "Art varchar(30), Tovar varchar(200), Price double, Pricemax double, "
        "Postavshik varchar(50), "
        "Code_sootv int(11), Obrab varchar(5), Dates int(11), Garant varchar(50)",
        "SELECT Art, Tovar, Price, Pricemax, Postavshik, Code_sootv, Obrab, "
        "Dates, Garant FROM svod ORDER BY rowid" },
    { "tovar_tree",
        "Code int(11), Parent int(11), Pos int(11), HCh_T int(11), Picture "
        "int(11), Comment varchar(135)",
        "SELECT Code, Parent, Pos, HCh_T, Picture, Comment FROM Tovar_tree ORDER "
        "BY rowid" },
};

// One plain value block of the combined list's cells, into a new workbook.
double plainCombinedBlock(const QString& path)
{
    return timing::timeMs([&] {
        const int width = 2 * kSuppliers + 7;
        const int rows = kGroups + kGoods;
        sheet::ValueBlock block(rows, width);
        int offered = 0;
        for (int r = 1; r <= rows; ++r) {
            block.setText(r, 1, QStringLiteral("AR-%1").arg(r, 6, 10, QLatin1Char('0')));
            block.setText(r, 2, QStringLiteral("Товар «Образец» №%1, исполнение %2").arg(r).arg(r % 7));
            block.setNumber(r, 3, 10 + r % 97);
            if (r % 6 == 0 && offered < kOfferedGoods) {
                ++offered;
                for (int c = 4; c <= width; ++c)
                    block.setNumber(r, c, c * 0.5 + r % 13);
            }
        }
        bench::saveBlockAsWorkbook(path, block, {}, sheet::CellRef{6, 1});
    });
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bench::WorkFolder work(args);
    const QString& folder = work.path();
    QString only;
    if (const qsizetype at = args.indexOf(QStringLiteral("--only")); at >= 0 && at + 1 < args.size())
        only = args[at + 1];
    const auto wanted = [&only](const char* part) { return only.isEmpty() || only == QLatin1String(part); };
    const QString program = folder + QStringLiteral("/program");
    QDir().mkpath(program);
    for (const char* name : { "Svod_Price_Kat.xlsx", "shops.dtd" })
        QFile::copy(
            QStringLiteral(VELMORA_PROGRAM_DIR "/") + QLatin1String(name), program + u'/' + QLatin1String(name));

    std::printf("generating %d goods in %d groups, %d output rows, %d "
                "combined-price rows ...\n",
        kGoods, kGroups, kGoods, kOfferedGoods * kSuppliers);
    const QString database = folder + QStringLiteral("/PRICE.vdb");
    QFile::remove(database);
    createPriceDatabase(database);
    db::Connection priceDb(database);
    fillDatabase(priceDb);
    const QString orderFile = folder + QStringLiteral("/BaseZakaz.vdb");
    QFile::remove(orderFile);
    createOrderDatabase(orderFile);
    db::Connection orderDb(orderFile);

    // --- the MySQL upload
    if (wanted("upload")) {
        std::printf("starting a MariaDB server ...\n");
        test::MariaDbServer server;
        server.createDatabase(QStringLiteral("shop"));
        server.createDatabase(QStringLiteral("plain"));
        qputenv("ODBCINI", QFile::encodeName(folder + QStringLiteral("/odbc.ini")));
        output::RegisterShopDataSource(
            server.host(), QStringLiteral("shop"), odbc::MariaDbDriverPath(), QString::number(server.port()));
        priceDb.exec(QStringLiteral("UPDATE parametr SET Path = '") + output::shopConnectionString()
            + QStringLiteral("' WHERE Id = 6"));

        QStringList loads;
        qint64 plainRows = 0;
        for (const Table& table : kTables) {
            const QString file = folder + QStringLiteral("/%1.tsv").arg(QLatin1String(table.name));
            plainRows += writeRows(priceDb, QLatin1String(table.select), file);
            server.clientQuery(QStringLiteral("CREATE TABLE %1 (%2) ENGINE=MyISAM")
                                   .arg(QLatin1String(table.name), QLatin1String(table.columns)),
                QStringLiteral("plain"));
            loads << QStringLiteral("LOAD DATA LOCAL INFILE '%1' INTO TABLE %2 "
                                    "CHARACTER SET utf8mb4")
                         .arg(file, QLatin1String(table.name));
        }
        // Three rounds each, one after the other; the medians are compared.
        std::vector<double> plainRuns, uploadRuns;
        output::ShopUploadResult upload;
        for (int round = 0; round < 3; ++round) {
            QStringList truncates;
            for (const Table& table : kTables)
                truncates << QStringLiteral("TRUNCATE TABLE %1").arg(QLatin1String(table.name));
            server.clientQuery(truncates.join(u';'), QStringLiteral("plain"));
            plainRuns.push_back(timing::timeMs([&] { server.clientQuery(loads.join(u';'), QStringLiteral("plain")); }));
            uploadRuns.push_back(timing::timeMs([&] { upload = output::UploadShopTables(priceDb); }));
            if (!upload.done) {
                std::printf("upload failed: %s\n", upload.message.toUtf8().constData());
                return 1;
            }
        }
        const double plainMs = timing::median(plainRuns);
        const double uploadMs = timing::median(uploadRuns);
        const qint64 uploaded = upload.priceMainRows + upload.parametrRows + upload.svodRows + upload.tovarTreeRows;
        std::printf("MySQL upload of %lld rows:            %8.0f ms   (LOAD DATA "
                    "LOCAL INFILE of %lld rows: %8.0f ms, medians of 3, "
                    "ratio %.2f, target <= 2)\n",
            qlonglong(uploaded), uploadMs, qlonglong(plainRows), plainMs, uploadMs / plainMs);
    }

    // --- the YML catalogue and the Shop-Script file
    if (wanted("files")) {
        SettingsStore settings(orderDb);
        output::YmlExportInput yml;
        yml.programFolder = program;
        yml.dataFolder = folder;
        output::YmlExportResult ymlResult;
        std::vector<double> ymlRuns, shopScriptRuns;
        for (int round = 0; round < 3; ++round) {
            ymlRuns.push_back(timing::timeMs([&] { ymlResult = output::ExportYmlCatalogFile(priceDb, settings, yml); }));
            shopScriptRuns.push_back(timing::timeMs([&] { output::WriteShopScriptCatalog(priceDb, program, 2); }));
        }
        std::printf("YML catalogue of %d goods:             %8.0f ms   (median of 3, target <= 1000 ms)%s\n", kGoods,
            timing::median(ymlRuns), ymlResult.written ? "" : "  FAILED");
        std::printf("Shop-Script file of %d goods:          %8.0f ms   (median of 3, target <= 1000 ms)\n", kGoods,
            timing::median(shopScriptRuns));
    }

    // --- the combined price list for 50 suppliers
    if (wanted("combined")) {
        output::CombinedPriceInput combined;
        combined.programFolder = program;
        combined.today = QDate::currentDate();
        output::CombinedPriceResult combinedResult;
        std::vector<double> combinedRuns, blockRuns;
        for (int round = 0; round < 3; ++round) {
            combinedRuns.push_back(
                timing::timeMs([&] { combinedResult = output::ExportCombinedPriceList(priceDb, orderDb, combined); }));
            blockRuns.push_back(plainCombinedBlock(folder + QStringLiteral("/plain.xlsx")));
        }
        const double combinedMs = timing::median(combinedRuns);
        const double blockMs = timing::median(blockRuns);
        std::printf("combined list, %d suppliers, %lld goods: %8.0f ms   (one plain value block saved: %8.0f ms, "
                    "medians of 3, ratio %.2f, target <= 2)%s\n",
            kSuppliers, qlonglong(combinedResult.goods), combinedMs, blockMs, combinedMs / blockMs,
            combinedResult.saved ? "" : "  FAILED");
    }
    return 0;
}
