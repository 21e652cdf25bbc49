// Unpacking chosen archives: every kind on archives from other writers, the
// file a choice resolves to, and archives that must write nothing.
#include "platform/archive/resolve_archive_file.h"

#include "../common/archive_fixtures.h"
#include "../common/empty_search_path.h"
#include "../common/leftovers.h"
#include "../common/unprivileged.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace velmora;
using velmora::archive::UnpackLimits;
using namespace velmora::testing;

namespace {

const QString& fixtures() { return archiveFixtures(); }

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray databaseBytes() { return bytesOf(fixtures() + QStringLiteral("database.bin")); }

// A case's own folders: root/inner/d holds the archive, so that an entry
// climbing two levels out of d/<name>/ still lands inside root.
struct Place {
    QTemporaryDir root;
    QString d = root.filePath(QStringLiteral("inner/d")) + u'/';

    Place() { QDir().mkpath(d); }

    QString copy(const QString& fixture)
    {
        const QString to = d + fixture;
        EXPECT_TRUE(QFile::copy(fixtures() + fixture, to)) << fixture.toStdString();
        return to;
    }
};

struct Unpacked {
    const char* archive;
    const char* resolved; // relative to the archive's folder
    const char* content = "database.bin"; // the fixture with the resolved file's bytes
};

class ResolveUnpacked : public ::testing::TestWithParam<Unpacked> {};

TEST_P(ResolveUnpacked, GivesTheNewestFileOfTheUnpack)
{
    const Unpacked& c = GetParam();
    Place place;
    const QString archive = place.copy(QLatin1String(c.archive));
    const QDateTime before = QDateTime::currentDateTime().addSecs(-2);

    const QString resolved = ResolveArchiveFile(archive);

    EXPECT_EQ(resolved, place.d + QString::fromUtf8(c.resolved));
    EXPECT_EQ(bytesOf(resolved), bytesOf(fixtures() + QLatin1String(c.content)));
    // The time of the unpack, not the one stored in the archive.
    EXPECT_GE(QFileInfo(resolved).lastModified(), before);
    expectNoTemporariesBelow(place.d);
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, ResolveUnpacked,
    ::testing::Values(Unpacked{"price.zip", "price/price.vdb"},
                      Unpacked{"nested.zip", "nested/base/deep/price.vdb"},
                      Unpacked{"folders_last.zip", "folders_last/price.vdb"},
                      Unpacked{"cp866.zip", "cp866/прайс.vdb"},
                      Unpacked{"readme_only.zip", "readme_only/readme.txt", "readme.bin"},
                      Unpacked{"price.tgz", "price/price/price.vdb"},
                      Unpacked{"price.tar", "price/price.vdb"},
                      Unpacked{"price.vdb.gz", "price.vdb/price.vdb"},
                      Unpacked{"renamed.gz", "renamed/база.vdb"},
                      Unpacked{"noname.vdb.gz", "noname.vdb/noname.vdb"},
                      Unpacked{"zeros_first.vdb.gz", "zeros_first.vdb/zeros_first.vdb", "zeros_first.bin"},
                      Unpacked{"price.rar", "price/base/price.vdb"},
                      Unpacked{"price.7z", "price/base/price.vdb"},
                      Unpacked{"price.arj", "price/base/price.vdb"},
                      Unpacked{"dos.arj", "dos/БАЗА/прайс.vdb"},
                      Unpacked{"big.arj", "big/big.bin", "zeros.bin"},
                      Unpacked{"many.arj", "many/f10.txt", "x.bin"},
                      Unpacked{"link_in.tar", "link_in/base/price.vdb"}));

struct Refused {
    const char* archive;
    UnpackLimits limits;
};

UnpackLimits limitsWith(qint64 maxBytes, qint64 keepFree, int maxEntries, qint64 ratioGrace = qint64(16) << 20)
{
    UnpackLimits limits;
    limits.maxBytes = maxBytes;
    limits.keepFreeBytes = keepFree;
    limits.maxEntries = maxEntries;
    limits.ratioGraceBytes = ratioGrace;
    return limits;
}

class ResolveRefused : public ::testing::TestWithParam<Refused> {};

TEST_P(ResolveRefused, GivesTheArchiveBackAndLeavesNothing)
{
    const Refused& c = GetParam();
    Place place;
    const QString archive = place.copy(QLatin1String(c.archive));

    ResolveArchiveOptions options;
    options.limits = c.limits;
    EXPECT_EQ(ResolveArchiveFile(archive, options), archive);

    EXPECT_EQ(everythingBelow(place.root.path()), QStringList({QStringLiteral("inner"), QStringLiteral("inner/d"),
                                                               QStringLiteral("inner/d/") + QLatin1String(c.archive)}));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/tmp/velmora-evil-absolute.txt")));
}

const UnpackLimits kDefaultLimits;

INSTANTIATE_TEST_SUITE_P(
    Unsafe, ResolveRefused,
    ::testing::Values(Refused{"dotdot.zip", kDefaultLimits}, Refused{"dotdot_inner.zip", kDefaultLimits},
                      Refused{"absolute.tar", kDefaultLimits}, Refused{"link_out.tar", kDefaultLimits},
                      Refused{"truncated.zip", kDefaultLimits}, Refused{"encrypted.zip", kDefaultLimits},
                      Refused{"garbage.zip", kDefaultLimits}, Refused{"fake.gz", kDefaultLimits},
                      Refused{"old.arj", kDefaultLimits}, Refused{"dotdot.arj", kDefaultLimits},
                      Refused{"absolute.arj", kDefaultLimits}, Refused{"truncated.arj", kDefaultLimits},
                      Refused{"encrypted.arj", kDefaultLimits}, Refused{"dos_truncated.arj", kDefaultLimits},
                      Refused{"big.zip", limitsWith(64 * 1024, 0, 10000)},
                      Refused{"many.zip", limitsWith(qint64(1) << 30, 0, 10)},
                      Refused{"big.zip", limitsWith(qint64(1) << 30, 0, 10000, 16 * 1024)},
                      Refused{"big.arj", limitsWith(64 * 1024, 0, 10000)},
                      Refused{"many.arj", limitsWith(qint64(1) << 30, 0, 10)},
                      Refused{"big.arj", limitsWith(qint64(1) << 30, 0, 10000, 16 * 1024)},
                      Refused{"price.arj", limitsWith(qint64(1) << 30, qint64(1) << 60, 10000)},
                      Refused{"price.zip", limitsWith(qint64(1) << 30, qint64(1) << 60, 10000)}));

TEST(ResolveArchiveFile, AnArjWithoutSevenZipComesBackAsItIsWithTheReason)
{
    Place place;
    const QString arj = place.copy(QStringLiteral("price.arj"));
    const QString zip = place.copy(QStringLiteral("price.zip"));
    EXPECT_EQ(archiveReaderMissing(arj), QString()) << "7zz is installed";
    {
        EmptySearchPath no7zz;
        EXPECT_EQ(ResolveArchiveFile(arj), arj);
        EXPECT_EQ(archiveReaderMissing(arj),
                  QStringLiteral("Архив ARJ не распакован: для него нужна программа 7zz из пакета 7zip, "
                                 "а её на этом компьютере нет.\r")
                      + arj);
        EXPECT_EQ(archiveReaderMissing(zip), QString()) << "libarchive reads it";
        EXPECT_EQ(archiveReaderMissing(place.d + QStringLiteral("missing.arj")), QString());
        EXPECT_EQ(ResolveArchiveFile(zip), place.d + QStringLiteral("price/price.vdb"));
    }
    EXPECT_EQ(everythingBelow(place.d), QStringList({"price", "price.arj", "price.zip", "price/price.vdb"}));
}

// 7-Zip's program stopped at the time bound: one that never ends, writing
// its process id first.
TEST(ResolveArchiveFile, AnArjUnpackThatOverrunsItsTimeIsStopped)
{
    Place place;
    const QString arj = place.copy(QStringLiteral("price.arj"));
    QTemporaryDir bin;
    const QString program = bin.filePath(QStringLiteral("7zz"));
    const QString pidFile = bin.filePath(QStringLiteral("pid"));
    {
        QFile script(program);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\necho $$ > '%1'\nexec sleep 60\n").arg(pidFile).toUtf8());
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    ResolveArchiveOptions options;
    options.limits.sevenZipProgram = program;
    options.limits.programTimeoutMs = 300;
    QElapsedTimer clock;
    clock.start();

    EXPECT_EQ(ResolveArchiveFile(arj, options), arj);

    EXPECT_LT(clock.elapsed(), 5000);
    QFile pid(pidFile);
    ASSERT_TRUE(pid.open(QIODevice::ReadOnly));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/proc/%1").arg(QString::fromLatin1(pid.readAll().trimmed()))))
        << "the program is stopped";
    EXPECT_EQ(everythingBelow(place.d), QStringList{"price.arj"});
}

TEST(ResolveArchiveFile, NamesThatAreNoArchive)
{
    Place place;
    EXPECT_EQ(ResolveArchiveFile(QString()), QString()) << "a cancelled choice";
    const QString missing = place.d + QStringLiteral("nothing.zip");
    EXPECT_EQ(ResolveArchiveFile(missing), missing);
    EXPECT_FALSE(QFileInfo::exists(place.d + QStringLiteral("nothing")));

    auto touch = [&](const QString& name, int secondsAgo) {
        QFile file(place.d + name);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("x");
        file.flush();
        file.setFileTime(QDateTime::currentDateTime().addSecs(-secondsAgo), QFileDevice::FileModificationTime);
    };
    touch(QStringLiteral("a.vdb"), 100);
    touch(QStringLiteral("B.VDB"), 10);
    touch(QStringLiteral("c.xls"), 1);
    EXPECT_EQ(ResolveArchiveFile(place.d + QStringLiteral("a.vdb")), place.d + QStringLiteral("a.vdb"));
    EXPECT_EQ(ResolveArchiveFile(place.d + QStringLiteral("*.vdb")), place.d + QStringLiteral("B.VDB"))
        << "the newest match of a mask, whatever the case";
    EXPECT_EQ(everythingBelow(place.d), QStringList({"B.VDB", "a.vdb", "c.xls"}));
}

TEST(ResolveArchiveFile, AMaskPicksTheNewestArchiveAndUnpacksIt)
{
    Place place;
    QFile older(place.copy(QStringLiteral("readme_only.zip")));
    ASSERT_TRUE(older.open(QIODevice::ReadWrite));
    older.setFileTime(QDateTime::currentDateTime().addSecs(-100), QFileDevice::FileModificationTime);
    place.copy(QStringLiteral("price.zip"));
    EXPECT_EQ(ResolveArchiveFile(place.d + QStringLiteral("*.ZIP")), place.d + QStringLiteral("price/price.vdb"));
}

TEST(ResolveArchiveFile, FilesAlreadyInTheTargetFolder)
{
    Place place;
    const QString archive = place.copy(QStringLiteral("price.zip"));
    QDir().mkpath(place.d + QStringLiteral("price"));
    auto write = [](const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.flush();
        // Newer than anything the unpack writes.
        file.setFileTime(QDateTime::currentDateTime().addDays(1), QFileDevice::FileModificationTime);
    };
    write(place.d + QStringLiteral("price/stale.vdb"), "stale");
    write(place.d + QStringLiteral("price/price.vdb"), "old copy");

    EXPECT_EQ(ResolveArchiveFile(archive), place.d + QStringLiteral("price/price.vdb"))
        << "only a file of this unpack counts";
    EXPECT_EQ(bytesOf(place.d + QStringLiteral("price/price.vdb")), databaseBytes()) << "replaced";
    EXPECT_EQ(bytesOf(place.d + QStringLiteral("price/stale.vdb")), QByteArray("stale"));

    // A refused archive replaces nothing that was there.
    const QString refused = place.copy(QStringLiteral("dotdot.zip"));
    QDir().mkpath(place.d + QStringLiteral("dotdot"));
    write(place.d + QStringLiteral("dotdot/price.vdb"), "keep me");
    EXPECT_EQ(ResolveArchiveFile(refused), refused);
    EXPECT_EQ(bytesOf(place.d + QStringLiteral("dotdot/price.vdb")), QByteArray("keep me"));
    EXPECT_EQ(everythingBelow(place.d + QStringLiteral("dotdot")), QStringList{QStringLiteral("price.vdb")});
}

// An unpack that cannot place every entry puts back the files it replaced:
// "small.txt" is placed over an older copy, then "big.bin" meets a folder of
// that name and cannot be placed.
TEST(ResolveArchiveFile, AFailedPlacementPutsBackTheFilesItReplaced)
{
    Place place;
    const QString archive = place.copy(QStringLiteral("big.zip"));
    const QString target = place.d + QStringLiteral("big/");
    QDir().mkpath(target + QStringLiteral("big.bin"));
    QFile inFolder(target + QStringLiteral("big.bin/mine.txt"));
    ASSERT_TRUE(inFolder.open(QIODevice::WriteOnly));
    inFolder.write("mine");
    inFolder.close();
    QFile older(target + QStringLiteral("small.txt"));
    ASSERT_TRUE(older.open(QIODevice::WriteOnly));
    older.write("older copy");
    older.close();

    EXPECT_EQ(ResolveArchiveFile(archive), archive);
    EXPECT_EQ(bytesOf(target + QStringLiteral("small.txt")), QByteArray("older copy"));
    EXPECT_EQ(bytesOf(target + QStringLiteral("big.bin/mine.txt")), QByteArray("mine"));
    EXPECT_EQ(everythingBelow(place.d),
              (QStringList{QStringLiteral("big"), QStringLiteral("big.zip"), QStringLiteral("big/big.bin"),
                           QStringLiteral("big/big.bin/mine.txt"), QStringLiteral("big/small.txt")}));
}

TEST(ResolveArchiveFile, AnArchiveInAReadOnlyFolderUnpacksInTheDataFolder)
{
    Place place;
    const QString archive = place.copy(QStringLiteral("price.zip"));
    const QString data = place.root.filePath(QStringLiteral("data")) + u'/';
    QDir().mkpath(data);
    for (const QString& folder : {place.root.path(), place.root.filePath(QStringLiteral("inner")), data})
        openToEveryone(folder);
    makeReadOnlyForEveryone(place.d);

    const QString expected = data + QStringLiteral("price/price.vdb");
    const QByteArray database = databaseBytes();
    EXPECT_TRUE(runUnprivileged([&] {
        ResolveArchiveOptions options;
        options.fallbackFolder = data;
        return ResolveArchiveFile(archive, options) == expected && bytesOf(expected) == database;
    }));
    EXPECT_FALSE(QFileInfo::exists(place.d + QStringLiteral("price")));
    EXPECT_TRUE(runUnprivileged([&] { return ResolveArchiveFile(archive) == archive; }))
        << "no data folder to fall back on";
    openToEveryone(place.d);
}

} // namespace
