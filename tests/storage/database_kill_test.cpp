// Save, compaction and restore (from a file and from an archive) killed
// with SIGKILL at staggered moments: the working file stays whole with the
// old rows or the new ones, the published copy is the old one or the new
// one, whole, and the next run succeeds and leaves no temporary file of the
// program's behind.
#include "database_files_support.h"

#include "../common/kill_runs.h"

#include <QProcess>
#include <QTemporaryDir>

#include <memory>

using namespace velmora;
using namespace velmora::testing;

namespace {

constexpr int kOffers = 300000;
constexpr int kSmallOffers = 100;

// The files the cases start from, made once per test program: a large one
// and a small one, told apart by their markers and offer counts.
struct Templates {
    QTemporaryDir folder;
    QString large = folder.filePath(QStringLiteral("large.vdb"));
    QString small = folder.filePath(QStringLiteral("small.vdb"));
    // The large one packed by Python's zipfile, with a readme beside it.
    QString largeZip = folder.filePath(QStringLiteral("large.zip"));

    Templates()
    {
        makeFilledPriceDatabase(large, kOffers, QStringLiteral("large"), FillExtras::OffersOnly);
        makeFilledPriceDatabase(small, kSmallOffers, QStringLiteral("small"), FillExtras::OffersOnly);
        QProcess python;
        python.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral("-c"),
                      QStringLiteral("import sys, zipfile\n"
                                     "with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:\n"
                                     "    z.writestr('readme.txt', 'about the copy')\n"
                                     "    z.write(sys.argv[2], 'base/PRICE.vdb')\n"),
                      largeZip, large});
        if (!python.waitForFinished(60000) || python.exitCode() != 0)
            ADD_FAILURE() << "zip: " << python.readAllStandardError().toStdString();
    }
};

const Templates& templates()
{
    static const std::unique_ptr<Templates> made = std::make_unique<Templates>();
    return *made;
}

// A file that is one of the expected ones, whole; the full check only
// after a kill (a run that ended has shown its files sound already).
void expectOneOf(const QString& path, bool done, const QStringList& markers)
{
    const PriceFileState state = priceFileState(path, !done);
    if (!done) {
        EXPECT_EQ(state.integrity, QStringLiteral("ok")) << path.toStdString();
    }
    EXPECT_TRUE(markers.contains(state.marker)) << path.toStdString() << ": " << state.marker.toStdString();
    EXPECT_EQ(state.offers, state.marker == QLatin1String("large") ? kOffers : kSmallOffers);
}

TEST(DatabaseKill, Save)
{
    KillCase c;
    c.program = QStringLiteral(DATABASE_KILL_HELPER);
    c.prepare = [](const QString& folder) {
        copyTestFile(templates().large, folder + QStringLiteral("/data/PRICE.vdb"));
        copyTestFile(templates().small, folder + QStringLiteral("/share/PRICE.vdb"));
        // As the save publishes it: one self-contained file, which readers
        // open without a log beside it.
        db::Connection(folder + QStringLiteral("/share/PRICE.vdb")).scalar(QStringLiteral("PRAGMA journal_mode=DELETE"));
    };
    c.arguments = [](const QString& folder) {
        return QStringList{QStringLiteral("save"), folder + QStringLiteral("/data/PRICE.vdb"),
                           folder + QStringLiteral("/share/PRICE.vdb")};
    };
    c.check = [](const QString& folder, bool done) {
        expectOneOf(folder + QStringLiteral("/data/PRICE.vdb"), done, {QStringLiteral("large")});
        expectOneOf(folder + QStringLiteral("/share/PRICE.vdb"), done,
                    done ? QStringList{QStringLiteral("large")}
                         : QStringList{QStringLiteral("small"), QStringLiteral("large")});
    };
    c.files = QStringList{"data", "data/PRICE.vdb", "share", "share/PRICE.vdb"};
    runKillCase(c);
}

TEST(DatabaseKill, Compaction)
{
    KillCase c;
    c.program = QStringLiteral(DATABASE_KILL_HELPER);
    c.prepare = [](const QString& folder) { copyTestFile(templates().large, folder + QStringLiteral("/PRICE.vdb")); };
    c.arguments = [](const QString& folder) {
        return QStringList{QStringLiteral("compact"), folder + QStringLiteral("/PRICE.vdb")};
    };
    c.check = [](const QString& folder, bool done) {
        expectOneOf(folder + QStringLiteral("/PRICE.vdb"), done, {QStringLiteral("large")});
    };
    c.files = QStringList{"PRICE.vdb"};
    runKillCase(c);
}

TEST(DatabaseKill, Restore)
{
    KillCase c;
    c.program = QStringLiteral(DATABASE_KILL_HELPER);
    c.prepare = [](const QString& folder) {
        copyTestFile(templates().small, folder + QStringLiteral("/data/PRICE.vdb"));
        copyTestFile(templates().large, folder + QStringLiteral("/chosen.vdb"));
    };
    c.arguments = [](const QString& folder) {
        return QStringList{QStringLiteral("restore"), folder + QStringLiteral("/chosen.vdb"),
                           folder + QStringLiteral("/data/PRICE.vdb")};
    };
    c.check = [](const QString& folder, bool done) {
        expectOneOf(folder + QStringLiteral("/data/PRICE.vdb"), done,
                    done ? QStringList{QStringLiteral("large")}
                         : QStringList{QStringLiteral("small"), QStringLiteral("large")});
    };
    c.files = QStringList{"chosen.vdb", "data", "data/PRICE.vdb", "data/PRICE.vdb.bak"};
    runKillCase(c);
}

TEST(DatabaseKill, RestoreFromAnArchive)
{
    KillCase c;
    c.program = QStringLiteral(DATABASE_KILL_HELPER);
    c.prepare = [](const QString& folder) {
        copyTestFile(templates().small, folder + QStringLiteral("/data/PRICE.vdb"));
        copyTestFile(templates().largeZip, folder + QStringLiteral("/chosen.zip"));
    };
    c.arguments = [](const QString& folder) {
        return QStringList{QStringLiteral("restore"), folder + QStringLiteral("/chosen.zip"),
                           folder + QStringLiteral("/data/PRICE.vdb")};
    };
    c.check = [](const QString& folder, bool done) {
        expectOneOf(folder + QStringLiteral("/data/PRICE.vdb"), done,
                    done ? QStringList{QStringLiteral("large")}
                         : QStringList{QStringLiteral("small"), QStringLiteral("large")});
    };
    // Nothing is unpacked beside the archive, and nothing stays unpacked.
    c.files = QStringList{"chosen.zip", "data", "data/PRICE.vdb", "data/PRICE.vdb.bak"};
    runKillCase(c);
}

} // namespace
