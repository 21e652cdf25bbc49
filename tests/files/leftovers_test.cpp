// What a killed run left: the next run removes its own temporaries, never
// one a running program still claims, never any other file.
#include "platform/files/leftovers.h"

#include "../common/leftovers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace velmora;
using namespace velmora::testing;

namespace {

void touch(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write("x");
}

TEST(Leftovers, TheTemporariesBesideAFileGoOthersStay)
{
    QTemporaryDir root;
    const QString d = root.path() + u'/';
    QDir().mkpath(d + QStringLiteral("PRICE.vdb.QwErTy.part"));
    touch(d + QStringLiteral("PRICE.vdb.QwErTy.part/inside"));
    const QStringList leftovers = {
        QStringLiteral("PRICE.vdb.AbCdEf.part"),         QStringLiteral("PRICE.vdb.AbCdEf.part-journal"),
        QStringLiteral("PRICE.vdb.GhIjKl.part-wal"), // its file is gone
        QStringLiteral("PRICE.vdb.MnOpQr.part"),         QStringLiteral("PRICE.vdb.MnOpQr.part-shm"),
    };
    const QStringList others = {
        QStringLiteral("PRICE.vdb"),
        QStringLiteral("PRICE.vdb-wal"), // the working file's own log
        QStringLiteral("PRICE.vdb.bak"),
        QStringLiteral("PRICE.vdb.part"),
        QStringLiteral("PRICE.vdb.AbCdE.part"),    // five letters
        QStringLiteral("PRICE.vdb.AbCdEf.partial"),
        QStringLiteral("price.vdb.AbCdEf.part"),   // another file's
        QStringLiteral("BaseZakaz.vdb.AbCdEf.part"),
        QStringLiteral("my PRICE.vdb.AbCdEf.part"),
    };
    for (const QString& name : leftovers + others)
        touch(d + name);
    const QString claimed = d + QStringLiteral("PRICE.vdb.StIlLo.part");
    touch(claimed);
    touch(claimed + QStringLiteral("-journal"));
    const TemporaryClaim claim(claimed);
    ASSERT_TRUE(claim.isHeld());
    // A link named like a temporary is not the program's and is not followed.
    touch(d + QStringLiteral("target"));
    ASSERT_EQ(::symlink("target", QFile::encodeName(d + QStringLiteral("PRICE.vdb.LiNkEd.part")).constData()), 0);

    removeLeftoversBeside(d + QStringLiteral("PRICE.vdb"));

    QStringList expected = others;
    expected << QStringLiteral("PRICE.vdb.StIlLo.part") << QStringLiteral("PRICE.vdb.StIlLo.part-journal")
             << QStringLiteral("target") << QStringLiteral("PRICE.vdb.LiNkEd.part");
    expected.sort();
    EXPECT_EQ(everythingBelow(d), expected);
}

TEST(Leftovers, AClaimEndsWithItsProcess)
{
    QTemporaryDir root;
    const QString temporary = root.filePath(QStringLiteral("a.vdb.AbCdEf.part"));
    touch(temporary);
    std::fflush(nullptr);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        const TemporaryClaim claim(temporary);
        const char held = claim.isHeld() ? 'y' : 'n';
        (void)!::write(ready[1], &held, 1);
        ::pause();
        ::_exit(0);
    }
    char held = 0;
    ASSERT_EQ(::read(ready[0], &held, 1), 1);
    EXPECT_EQ(held, 'y');
    EXPECT_FALSE(removeLeftover(temporary)) << "claimed by a running process";
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(removeLeftover(temporary)) << "its process was killed";
    EXPECT_FALSE(QFile::exists(temporary));
    ::close(ready[0]);
    ::close(ready[1]);
}

} // namespace
