#pragma once

// Commands run to their end in a child process and killed with SIGKILL at
// moments spread over a whole run: after each kill the files are checked
// (each old or new, whole), then the next run of the same command must
// succeed and leave the folder with its files and no temporary of the
// program's.

#include "leftovers.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace velmora::testing {

// A copy of a template file for a case, the folders on its way made.
inline void copyTestFile(const QString& from, const QString& to)
{
    QDir().mkpath(QFileInfo(to).path());
    ASSERT_TRUE(QFile::copy(from, to)) << to.toStdString();
    QFile::setPermissions(to, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

struct HelperRun {
    bool killed = false;
    int exitCode = -1;
    QString errors;
};

// Runs the helper; with a delay, kills it that many milliseconds after its
// start unless it ended before.
inline HelperRun runHelper(const QString& program, const QStringList& arguments, qint64 killAfterMs = -1)
{
    QProcess helper;
    QElapsedTimer clock;
    clock.start();
    helper.start(program, arguments);
    HelperRun run;
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

// Files the helper makes once per test program for every case to copy: its
// command "make" runs on their paths in a folder of their own, then on
// `extra`.
class HelperTemplate {
public:
    HelperTemplate(const QString& program, const QStringList& files, const QStringList& extra)
    {
        QStringList arguments{QStringLiteral("make")};
        for (const QString& file : files)
            arguments << path(file);
        const HelperRun made = runHelper(program, arguments + extra);
        EXPECT_EQ(made.exitCode, 0) << made.errors.toStdString();
    }
    QString path(const QString& file) const { return folder_.filePath(file); }

private:
    QTemporaryDir folder_;
};

// One command of `program` on fresh files in a folder: `prepare` makes
// them, `arguments` names the command; `check` looks at the files after a
// kill (each old or new, whole) or, with `done`, after a run that ended
// (new). After a run that ended the folder holds `files` and nothing else.
struct KillCase {
    QString program;
    std::function<void(const QString& folder)> prepare;
    std::function<QStringList(const QString& folder)> arguments;
    std::function<void(const QString& folder, bool done)> check;
    QStringList files;
    int kills = 20;
    int workers = 4; // kills run side by side, each on its own files
};

inline void expectOnlyTheFiles(const KillCase& c, const QString& folder)
{
    expectNoTemporariesBelow(folder);
    QStringList files = c.files;
    files.sort();
    EXPECT_EQ(everythingBelow(folder), files);
}

inline void runKillCase(const KillCase& c)
{
    // The kills fall at moments spread over a whole run. A run that ends
    // before its kill (the machine got faster) is checked all the same and
    // its moment is tried again on a shorter estimate.
    qint64 fullRunMs = 0;
    {
        QTemporaryDir folder;
        c.prepare(folder.path());
        QElapsedTimer clock;
        clock.start();
        const HelperRun run = runHelper(c.program, c.arguments(folder.path()));
        fullRunMs = clock.elapsed();
        ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
        c.check(folder.path(), true);
        expectOnlyTheFiles(c, folder.path());
    }
    std::mutex lock;
    std::deque<int> moments;
    for (int i = 0; i < c.kills; ++i)
        moments.push_back(i);
    double scale = 0.9;
    int attempts = 0;
    auto work = [&] {
        for (;;) {
            int moment = 0;
            qint64 at = 0;
            {
                const std::lock_guard<std::mutex> guard(lock);
                if (moments.empty() || attempts >= 3 * c.kills)
                    return;
                ++attempts;
                moment = moments.front();
                moments.pop_front();
                at = qint64(double(fullRunMs) * scale * (2 * moment + 1) / (2 * c.kills));
            }
            SCOPED_TRACE(QStringLiteral("killed %1 ms into a %2 ms run").arg(at).arg(fullRunMs).toStdString());
            QTemporaryDir folder;
            c.prepare(folder.path());
            const HelperRun run = runHelper(c.program, c.arguments(folder.path()), at);
            if (!run.killed) {
                const std::lock_guard<std::mutex> guard(lock);
                moments.push_back(moment);
                scale *= 0.8;
            }
            c.check(folder.path(), !run.killed);
            const HelperRun again = runHelper(c.program, c.arguments(folder.path()));
            EXPECT_EQ(again.exitCode, 0) << again.errors.toStdString();
            c.check(folder.path(), true);
            expectOnlyTheFiles(c, folder.path());
        }
    };
    std::vector<std::thread> workers;
    for (int w = 0; w < c.workers; ++w)
        workers.emplace_back(work);
    for (std::thread& worker : workers)
        worker.join();
    EXPECT_TRUE(moments.empty()) << moments.size() << " moments were never reached by a kill";
}

} // namespace velmora::testing
