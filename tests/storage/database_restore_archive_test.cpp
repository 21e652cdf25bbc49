// Restoring from an archive and from a file on a share: what is unpacked
// goes in every case, a bomb stops early, hostile archives write nothing,
// and nothing is ever written beside the chosen file.
#include "database_files_support.h"

#include "../common/gzip_bomb.h"
#include "../common/archive_fixtures.h"
#include "../common/empty_search_path.h"
#include "../common/leftovers.h"
#include "../common/packed_files.h"
#include "../common/unprivileged.h"
#include "storage/database_compaction.h"
#include "storage/database_restore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

using namespace velmora;
using namespace velmora::testing;

namespace {

const QString& fixtures() { return archiveFixtures(); }

// The working file in data/, the chosen archive in share/.
struct Folders {
    QTemporaryDir root;
    QString data = root.filePath(QStringLiteral("data")) + u'/';
    QString share = root.filePath(QStringLiteral("share")) + u'/';
    QString working = data + QStringLiteral("PRICE.vdb");

    Folders()
    {
        QDir().mkpath(data);
        QDir().mkpath(share);
        makeFilledPriceDatabase(working, 20, QStringLiteral("working"), FillExtras::NoSearchIndex);
    }
};

// Bytes this process has written through any call so far.
qint64 bytesWritten()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : io.readAll().split('\n'))
        if (line.startsWith("wchar:"))
            return line.mid(6).trimmed().toLongLong();
    return -1;
}

// The database of a zip or an ARJ archive, packed after a readme.
class DatabaseRestoreUnpacks : public ::testing::TestWithParam<const char*> {};

TEST_P(DatabaseRestoreUnpacks, TheNewestDatabaseOfTheArchiveIsRestoredAndNothingStaysUnpacked)
{
    Folders f;
    const QString pack = f.root.filePath(QStringLiteral("pack")) + u'/';
    QDir().mkpath(pack + QStringLiteral("base"));
    makeFilledPriceDatabase(pack + QStringLiteral("base/PRICE.vdb"), 40, QStringLiteral("packed"), FillExtras::NoSearchIndex);
    {
        QFile text(pack + QStringLiteral("readme.txt"));
        ASSERT_TRUE(text.open(QIODevice::WriteOnly));
        text.write("about the copy");
    }
    const QString archive = f.share + QLatin1String(GetParam());
    packFiles(archive, pack, {QStringLiteral("readme.txt"), QStringLiteral("base/PRICE.vdb")});
    RecordedReport recorded;

    EXPECT_TRUE(RestoreDatabase(archive, f.working, recorded.report()));

    EXPECT_TRUE(recorded.messages().isEmpty()) << recorded.events.join(u'|').toStdString();
    EXPECT_EQ(priceFileState(f.working).marker, QStringLiteral("packed"));
    EXPECT_EQ(priceFileState(f.working).offers, 40);
    EXPECT_EQ(everythingBelow(f.data), QStringList({"PRICE.vdb", "PRICE.vdb.bak"}));
    EXPECT_EQ(everythingBelow(f.share), QStringList{QLatin1String(GetParam())});
}

INSTANTIATE_TEST_SUITE_P(ZipAndArj, DatabaseRestoreUnpacks, ::testing::Values("copy.zip", "copy.arj"));

// With no 7-Zip program on the machine an ARJ archive is not unpacked, and
// the user learns why.
TEST(DatabaseRestoreArchive, AnArjWithoutSevenZipIsRefusedWithTheReason)
{
    Folders f;
    const QString archive = f.share + QStringLiteral("price.arj");
    ASSERT_TRUE(QFile::copy(fixtures() + QStringLiteral("price.arj"), archive));
    RecordedReport recorded;
    EmptySearchPath no7zz;

    EXPECT_FALSE(RestoreDatabase(archive, f.working, recorded.report()));

    EXPECT_EQ(recorded.messages(),
              QStringList{QStringLiteral("message: Архив ARJ не распакован: для него нужна программа 7zz из пакета 7zip, "
                                         "а её на этом компьютере нет.\r")
                          + archive});
    EXPECT_EQ(everythingBelow(f.root.path()), QStringList({"data", "data/PRICE.vdb", "share", "share/price.arj"}));
    EXPECT_EQ(priceFileState(f.working).marker, QStringLiteral("working"));
}

struct RefusedArchive {
    const char* fixture;
    const char* message; // before CR
    const char* entry;   // named after the archive in the message, or none
};

class DatabaseRestoreRefusesArchive : public ::testing::TestWithParam<RefusedArchive> {};

TEST_P(DatabaseRestoreRefusesArchive, AndLeavesNothingButTheWorkingFile)
{
    const RefusedArchive& c = GetParam();
    Folders f;
    const QString archive = f.share + QLatin1String(c.fixture);
    ASSERT_TRUE(QFile::copy(fixtures() + QLatin1String(c.fixture), archive));
    RecordedReport recorded;

    EXPECT_FALSE(RestoreDatabase(archive, f.working, recorded.report()));

    const QString shown = c.entry ? archive + u'/' + QLatin1String(c.entry) : archive;
    EXPECT_EQ(recorded.messages(), QStringList{QStringLiteral("message: ") + QString::fromUtf8(c.message) + u'\r' + shown});
    EXPECT_EQ(everythingBelow(f.root.path()), QStringList({"data", "data/PRICE.vdb", "share", QStringLiteral("share/") + QLatin1String(c.fixture)}));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/tmp/velmora-evil-absolute.txt")));
    EXPECT_EQ(priceFileState(f.working).marker, QStringLiteral("working"));
}

const char* const kNotUnpacked = "Не удалось распаковать архив:";
const char* const kNoPriceDatabase = "Файл не является базой данных с прайс-листами:";

INSTANTIATE_TEST_SUITE_P(
    Hostile, DatabaseRestoreRefusesArchive,
    ::testing::Values(RefusedArchive{"readme_only.zip", kNoPriceDatabase, "readme.txt"},
                      RefusedArchive{"price.zip", "База данных повреждена:", "price.vdb"},
                      RefusedArchive{"dotdot.zip", kNotUnpacked, nullptr},
                      RefusedArchive{"dotdot_inner.zip", kNotUnpacked, nullptr},
                      RefusedArchive{"absolute.tar", kNotUnpacked, nullptr},
                      RefusedArchive{"link_out.tar", kNotUnpacked, nullptr},
                      RefusedArchive{"truncated.zip", kNotUnpacked, nullptr},
                      RefusedArchive{"encrypted.zip", kNotUnpacked, nullptr},
                      RefusedArchive{"readme_only.arj", kNoPriceDatabase, "readme.txt"},
                      RefusedArchive{"price.arj", "База данных повреждена:", "base/price.vdb"},
                      RefusedArchive{"dotdot.arj", kNotUnpacked, nullptr},
                      RefusedArchive{"absolute.arj", kNotUnpacked, nullptr},
                      RefusedArchive{"truncated.arj", kNotUnpacked, nullptr},
                      RefusedArchive{"dos_truncated.arj", kNotUnpacked, nullptr},
                      RefusedArchive{"encrypted.arj", kNotUnpacked, nullptr}));

struct Bomb {
    const char* name;
    QByteArray head; // the rest is zero bytes
};

class DatabaseRestoreBomb : public ::testing::TestWithParam<Bomb> {};

// 10 GiB unpacked from a 10 MB gzip: refused long before the disk fills.
TEST_P(DatabaseRestoreBomb, IsRefusedWithinSecondsHavingWrittenLittle)
{
    Folders f;
    const QString bomb = f.share + QStringLiteral("PRICE.vdb.gz");
    writeGzipBomb(bomb, GetParam().head, 10240);
    RecordedReport recorded;
    const qint64 writtenBefore = bytesWritten();
    QElapsedTimer clock;
    clock.start();

    EXPECT_FALSE(RestoreDatabase(bomb, f.working, recorded.report()));

    const qint64 ms = clock.elapsed();
    const qint64 written = bytesWritten() - writtenBefore;
    std::printf("%s: refused in %lld ms, %lld bytes written\n", GetParam().name, qlonglong(ms), qlonglong(written));
    EXPECT_LT(ms, 10000);
    EXPECT_LT(written, qint64(200) << 20);
    EXPECT_EQ(recorded.messages(), QStringList{QStringLiteral("message: ") + QString::fromUtf8(kNotUnpacked) + u'\r' + bomb});
    EXPECT_EQ(everythingBelow(f.share), QStringList{"PRICE.vdb.gz"});
    EXPECT_EQ(everythingBelow(f.data), QStringList{"PRICE.vdb"});
}

INSTANTIATE_TEST_SUITE_P(
    TenGibibytes, DatabaseRestoreBomb,
    ::testing::Values(Bomb{"like_a_database", QByteArray("SQLite format 3\0", 16)}, Bomb{"zero_bytes", QByteArray()}),
    [](const ::testing::TestParamInfo<Bomb>& info) { return std::string(info.param.name); });

// The chosen file on a share nobody may write to, with a log the engine
// has not folded into it yet: the restore takes both and writes nothing
// there.
TEST(DatabaseRestoreArchive, AFileOnAReadOnlyShareIsReadWithItsLogAndLeftAsItWas)
{
    Folders f;
    const QString chosen = f.share + QStringLiteral("PRICE.vdb");
    makeFilledPriceDatabase(chosen, 30, QStringLiteral("shared"), FillExtras::NoSearchIndex);
    {
        db::Connection writer(chosen);
        writer.exec(QStringLiteral("PRAGMA wal_autocheckpoint=0"));
        writer.exec(QStringLiteral("UPDATE settings SET TypeText = 'from the log' WHERE ParName = 'Marker'"));
        // The file and its log as a crash of the writer leaves them.
        ASSERT_TRUE(QFile::copy(chosen, f.root.filePath(QStringLiteral("crashed.vdb"))));
        ASSERT_TRUE(QFile::copy(chosen + QStringLiteral("-wal"), f.root.filePath(QStringLiteral("crashed.vdb-wal"))));
    }
    removeDatabaseFiles(chosen);
    ASSERT_TRUE(QFile::rename(f.root.filePath(QStringLiteral("crashed.vdb")), chosen));
    ASSERT_TRUE(QFile::rename(f.root.filePath(QStringLiteral("crashed.vdb-wal")), chosen + QStringLiteral("-wal")));
    const QStringList shareBefore = everythingBelow(f.share);
    ASSERT_EQ(shareBefore, QStringList({"PRICE.vdb", "PRICE.vdb-wal"}));
    for (const QString& folder : {f.root.path(), f.data})
        openToEveryone(folder);
    openToEveryone(f.working);
    makeReadOnlyForEveryone(f.share);

    EXPECT_TRUE(runUnprivileged([&] { return RestoreDatabase(chosen, f.working, {}); }));

    openToEveryone(f.share);
    EXPECT_EQ(everythingBelow(f.share), shareBefore);
    EXPECT_EQ(priceFileState(f.working).marker, QStringLiteral("from the log"));
    EXPECT_EQ(priceFileState(f.working).offers, 30);
}

} // namespace
