// Save, compaction and restore (from a file and from an archive) killed
// with SIGKILL at staggered moments: the working file stays whole with the
// old rows or the new ones, the published copy is the old one or the new
// one, whole, and the next run succeeds and leaves no temporary file of the
// program's behind.
#include "database_files_support.h"

#include "../common/leftovers.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <deque>
#include <csignal>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

using namespace velmora;
using namespace velmora::testing;

namespace {

constexpr int kOffers = 300000;
constexpr int kSmallOffers = 100;
constexpr int kKills = 20;
// Kills run side by side, each on its own files.
constexpr int kWorkers = 4;

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

void copyFile(const QString& from, const QString& to)
{
    QDir().mkpath(QFileInfo(to).path());
    ASSERT_TRUE(QFile::copy(from, to)) << to.toStdString();
    QFile::setPermissions(to, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

struct Run {
    bool killed = false;
    int exitCode = -1;
    QString errors;
};

// Runs the helper; with a delay, kills it that many milliseconds after its
// start unless it ended before.
Run runHelper(const QStringList& arguments, qint64 killAfterMs = -1)
{
    QProcess helper;
    QElapsedTimer clock;
    clock.start();
    helper.start(QStringLiteral(DATABASE_KILL_HELPER), arguments);
    Run run;
    if (!helper.waitForStarted())
        return run;
    if (killAfterMs >= 0) {
        while (clock.elapsed() < killAfterMs && helper.state() == QProcess::Running)
            QThread::usleep(500);
        if (helper.state() == QProcess::Running)
            ::kill(pid_t(helper.processId()), SIGKILL);
    }
    helper.waitForFinished(120000);
    run.killed = helper.exitStatus() == QProcess::CrashExit;
    run.exitCode = helper.exitCode();
    run.errors = QString::fromUtf8(helper.readAllStandardError());
    return run;
}

// One command on fresh files in a folder: `prepare` makes them, `arguments`
// names the command; `check` looks at the files after a kill (each old or
// new, whole) or, with `done`, after a run that ended (new). After a run
// that ended the folder holds `files` and nothing else.
struct KillCase {
    std::function<void(const QString& folder)> prepare;
    std::function<QStringList(const QString& folder)> arguments;
    std::function<void(const QString& folder, bool done)> check;
    QStringList files;
};

void expectOnlyTheFiles(const KillCase& c, const QString& folder)
{
    expectNoTemporariesBelow(folder);
    EXPECT_EQ(everythingBelow(folder), c.files);
}

void runKillCase(const KillCase& c)
{
    templates();
    // The kills fall at twenty moments spread over a whole run. A run that
    // ends before its kill (the machine got faster) is checked all the same
    // and its moment is tried again on a shorter estimate.
    qint64 fullRunMs = 0;
    {
        QTemporaryDir folder;
        c.prepare(folder.path());
        QElapsedTimer clock;
        clock.start();
        const Run run = runHelper(c.arguments(folder.path()));
        fullRunMs = clock.elapsed();
        ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
        c.check(folder.path(), true);
        expectOnlyTheFiles(c, folder.path());
    }
    std::mutex lock;
    std::deque<int> moments;
    for (int i = 0; i < kKills; ++i)
        moments.push_back(i);
    double scale = 0.9;
    int attempts = 0;
    auto work = [&] {
        for (;;) {
            int moment = 0;
            qint64 at = 0;
            {
                const std::lock_guard<std::mutex> guard(lock);
                if (moments.empty() || attempts >= 3 * kKills)
                    return;
                ++attempts;
                moment = moments.front();
                moments.pop_front();
                at = qint64(double(fullRunMs) * scale * (2 * moment + 1) / (2 * kKills));
            }
            SCOPED_TRACE(QStringLiteral("killed %1 ms into a %2 ms run").arg(at).arg(fullRunMs).toStdString());
            QTemporaryDir folder;
            c.prepare(folder.path());
            const Run run = runHelper(c.arguments(folder.path()), at);
            if (!run.killed) {
                const std::lock_guard<std::mutex> guard(lock);
                moments.push_back(moment);
                scale *= 0.8;
            }
            c.check(folder.path(), !run.killed);
            const Run again = runHelper(c.arguments(folder.path()));
            EXPECT_EQ(again.exitCode, 0) << again.errors.toStdString();
            c.check(folder.path(), true);
            expectOnlyTheFiles(c, folder.path());
        }
    };
    std::vector<std::thread> workers;
    for (int w = 0; w < kWorkers; ++w)
        workers.emplace_back(work);
    for (std::thread& worker : workers)
        worker.join();
    EXPECT_TRUE(moments.empty()) << moments.size() << " moments were never reached by a kill";
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
    c.prepare = [](const QString& folder) {
        copyFile(templates().large, folder + QStringLiteral("/data/PRICE.vdb"));
        copyFile(templates().small, folder + QStringLiteral("/share/PRICE.vdb"));
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
    c.prepare = [](const QString& folder) { copyFile(templates().large, folder + QStringLiteral("/PRICE.vdb")); };
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
    c.prepare = [](const QString& folder) {
        copyFile(templates().small, folder + QStringLiteral("/data/PRICE.vdb"));
        copyFile(templates().large, folder + QStringLiteral("/chosen.vdb"));
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
    c.prepare = [](const QString& folder) {
        copyFile(templates().small, folder + QStringLiteral("/data/PRICE.vdb"));
        copyFile(templates().largeZip, folder + QStringLiteral("/chosen.zip"));
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
