// Saving and restoring a large price database, each beside a plain baseline
// of the same run on the same file:
//   save     SaveDatabaseFiles (compaction, indexes, checked publish)
//            against VACUUM INTO plus a plain file copy;
//   restore  RestoreDatabase from a zip and from an ARJ archive of it
//            against unzip (7zz for the ARJ) plus a plain file copy;
//   settings SavePriceListSettingsToIni of 200 price lists.
// The save's one-second pause for the user to read its index count is left
// out. Each side runs twice; the faster run counts.
//
//   db_save [offers] [history rows]   (defaults 1000000 2000000)
#include "offer_generator.h"
#include "platform/db/backup.h"
#include "platform/db/connection.h"
#include "storage/database_compaction.h"
#include "storage/database_restore.h"
#include "storage/database_save.h"
#include "storage/schema.h"
#include "suppliers/setup/price_list_ini.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

using namespace velmora;

namespace {

double seconds(const std::function<void()>& work)
{
    QElapsedTimer clock;
    clock.start();
    work();
    return clock.nsecsElapsed() / 1e9;
}

double fastestOfTwo(const std::function<void()>& prepare, const std::function<void()>& work)
{
    double best = 1e300;
    for (int run = 0; run < 2; ++run) {
        prepare();
        best = std::min(best, seconds(work));
    }
    return best;
}

void fail(const char* what)
{
    std::fprintf(stderr, "db_save: %s\n", what);
    std::exit(1);
}

void run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitCode() != 0)
        fail(qPrintable(program + QStringLiteral(" failed: ") + QString::fromUtf8(process.readAllStandardError())));
}

void plainCopy(const QString& from, const QString& to)
{
    QFile::remove(to);
    if (!QFile::copy(from, to))
        fail("plain copy failed");
}

void generateDatabase(const QString& path, int offers, int historyRows)
{
    createPriceDatabase(path);
    db::Connection priceDb(path);
    const QStringList suppliers = search::bench::generateOffers(priceDb, offers, 50, 20240305, true);
    db::Transaction transaction(priceDb);
    db::Statement history = priceDb.prepare(QStringLiteral(
        "INSERT INTO AllPriceHistory (Postavshik, Art, Tovar, Price, Pricemax, PriceOut, Dates)"
        " SELECT Postavshik, Art, Tovar, Price, Pricemax, PriceOut, 45000 + ?1 FROM AllTovarPostav"
        " WHERE Number > ?2 AND Number <= ?3"));
    for (int done = 0, round = 0; done < historyRows; ++round) {
        const int take = std::min(offers, historyRows - done);
        history.bindInt(1, round).bindInt(2, 0).bindInt(3, take).execute();
        history.reset();
        done += take;
    }
    transaction.commit();
}

// RestoreDatabase from an archive of the working file made by `packer`
// (whose extension it bears), against the unpacker plus a plain copy.
void restoreFromArchive(const QString& packer, const QStringList& packArguments, const QString& unpacker,
                        const std::function<QStringList(const QString& archive, const QString& folder)>& unpackArguments,
                        const QString& root, const QString& working)
{
    const QString archive = root + QStringLiteral("/archive/PRICE.") + packer;
    QDir().mkpath(QFileInfo(archive).path());
    run(packer, packArguments + QStringList{archive, working});
    const QString plain = root + QStringLiteral("/plain");
    const QString unpacked = plain + QStringLiteral("/unpacked");
    const double baseline = fastestOfTwo([&] { QDir(unpacked).removeRecursively(); },
                                         [&] {
                                             run(unpacker, unpackArguments(archive, unpacked));
                                             plainCopy(unpacked + QStringLiteral("/PRICE.vdb"), plain + QStringLiteral("/restored.vdb"));
                                         });
    QDir(unpacked).removeRecursively();
    QFile::remove(plain + QStringLiteral("/restored.vdb"));
    const double restore = fastestOfTwo([] {},
                                        [&] {
                                            if (!RestoreDatabase(archive, working, {}))
                                                fail("restore failed");
                                        });
    std::printf("restore %s: %.2f s   baseline %s + copy %.2f s   ratio %.2f (target <= 2)\n", qPrintable(packer), restore,
                qPrintable(unpacker), baseline, restore / baseline);
}

double settingsWrite(const QString& folder)
{
    const QString path = folder + QStringLiteral("/settings.vdb");
    createPriceDatabase(path);
    db::Connection priceDb(path);
    {
        db::Transaction transaction(priceDb);
        db::Statement list = priceDb.prepare(QStringLiteral(
            "INSERT INTO AllPostavSetup (Id, Postavshik, Path, SheetCount, Obrab, PostavVisible, Dates, PriceConversion,"
            " Valuta) VALUES (?1, ?2, ?3, 2, '', 1, 45000, 1.25, 0)"));
        db::Statement sheet = priceDb.prepare(QStringLiteral(
            "INSERT INTO AllPostavPage VALUES (?1, ?2, 1, 2, 305, 4, 5, 6, 100000007, 8, 'True', 12, 1, 0, 'Префикс')"));
        for (int id = 1; id <= 200; ++id) {
            const QString name = QStringLiteral("Поставщик %1").arg(id);
            list.bindInt(1, id).bindText(2, name).bindText(3, QStringLiteral("/prices/прайс %1.xls").arg(id)).execute();
            list.reset();
            for (const char* sheetName : {"Лист1", "Лист2"}) {
                sheet.bindText(1, name).bindText(2, QString::fromUtf8(sheetName)).execute();
                sheet.reset();
            }
        }
        transaction.commit();
    }
    const QString ini = folder + QStringLiteral("/SetupPriceList.ini");
    PriceListIniExtras extras;
    extras.loadQueue = {QStringLiteral("Поставщик 1"), QStringLiteral("Поставщик 7")};
    return fastestOfTwo([&] { QFile::remove(ini); },
                        [&] {
                            if (!SavePriceListSettingsToIni(priceDb, ini, extras, {}))
                                fail("settings file not written");
                        });
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int offers = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const int historyRows = argc > 2 ? std::atoi(argv[2]) : 2000000;
    QTemporaryDir root;
    const QString data = root.filePath(QStringLiteral("data"));
    const QString share = root.filePath(QStringLiteral("share"));
    const QString plain = root.filePath(QStringLiteral("plain"));
    for (const QString& folder : {data, share, plain})
        QDir().mkpath(folder);
    const QString working = data + QStringLiteral("/PRICE.vdb");

    const double generated = seconds([&] { generateDatabase(working, offers, historyRows); });
    std::printf("price database: %d offers with currency rows, %d history rows, %.0f MB (made in %.1f s)\n", offers,
                historyRows, QFileInfo(working).size() / 1e6, generated);

    const QString plainCompacted = plain + QStringLiteral("/compacted.vdb");
    const QString plainPublished = share + QStringLiteral("/plain.vdb");
    const double saveBaseline = fastestOfTwo(
        [&] {
            removeDatabaseFiles(plainCompacted);
            QFile::remove(plainPublished);
        },
        [&] {
            db::compactDatabase(working, plainCompacted);
            plainCopy(plainCompacted, plainPublished);
        });
    removeDatabaseFiles(plainCompacted);
    QFile::remove(plainPublished);
    const double save = fastestOfTwo([] {},
                                     [&] {
                                         if (!SaveDatabaseFiles({working, share + QStringLiteral("/PRICE.vdb")}, {}))
                                             fail("save failed");
                                     });
    std::printf("save:     %.2f s   baseline VACUUM INTO + copy %.2f s   ratio %.2f (target <= 2)\n", save, saveBaseline,
                save / saveBaseline);

    restoreFromArchive(QStringLiteral("zip"), {QStringLiteral("-q"), QStringLiteral("-j")}, QStringLiteral("unzip"),
                       [](const QString& archive, const QString& folder) {
                           return QStringList{QStringLiteral("-q"), QStringLiteral("-o"), archive, QStringLiteral("-d"), folder};
                       },
                       root.path(), working);
    restoreFromArchive(QStringLiteral("arj"), {QStringLiteral("a"), QStringLiteral("-e"), QStringLiteral("-y")},
                       QStringLiteral("7zz"),
                       [](const QString& archive, const QString& folder) {
                           return QStringList{QStringLiteral("x"), QStringLiteral("-y"), QStringLiteral("-bso0"),
                                              QStringLiteral("-o") + folder, archive};
                       },
                       root.path(), working);

    const double settings = settingsWrite(root.path());
    std::printf("settings: 200 price lists written in %.3f s (target <= 0.5 s)\n", settings);
    return 0;
}
