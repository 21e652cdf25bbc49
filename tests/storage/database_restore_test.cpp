// Restoring the price database from a chosen file: what is taken, what is
// refused, and the backup of the file it replaces.
#include "database_files_support.h"

#include "storage/database_restore.h"

#include <QDir>
#include <QTemporaryDir>

#include <functional>

using namespace velmora;
using namespace velmora::testing;

namespace {

struct RestoreFolders {
    QTemporaryDir root;
    QString data = root.filePath(QStringLiteral("data")) + u'/';
    QString working = data + QStringLiteral("PRICE.vdb");
    QString chosen = root.filePath(QStringLiteral("chosen.vdb"));

    RestoreFolders()
    {
        QDir().mkpath(data);
        makeFilledPriceDatabase(working, 50, QStringLiteral("working"), FillExtras::NoSearchIndex);
    }
};

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

TEST(DatabaseRestore, TheChosenDatabaseReplacesTheWorkingFileWhichIsKept)
{
    RestoreFolders f;
    makeFilledPriceDatabase(f.chosen, 120, QStringLiteral("chosen"));
    RecordedReport recorded;

    EXPECT_TRUE(RestoreDatabaseFile(f.chosen, f.working, recorded.report()));

    EXPECT_TRUE(recorded.messages().isEmpty());
    EXPECT_EQ(QDir(f.data).entryList(QDir::Files | QDir::Hidden),
              QStringList({QStringLiteral("PRICE.vdb"), QStringLiteral("PRICE.vdb.bak")}));
    const PriceFileState restored = priceFileState(f.working);
    EXPECT_EQ(restored.integrity, QStringLiteral("ok"));
    EXPECT_EQ(restored.marker, QStringLiteral("chosen"));
    EXPECT_EQ(restored.offers, 120);
    EXPECT_EQ(priceFileState(f.working + QStringLiteral(".bak")).marker, QStringLiteral("working"));
    EXPECT_EQ(priceFileState(f.chosen).offers, 120) << "the chosen file is only read";
}

struct RefusedFile {
    const char* name;
    std::function<void(const QString& path)> make;
    const char* message; // before CR and the path
};

class DatabaseRestoreRefuses : public ::testing::TestWithParam<RefusedFile> {};

TEST_P(DatabaseRestoreRefuses, WithAMessageAndLeavesTheWorkingFile)
{
    const RefusedFile& c = GetParam();
    RestoreFolders f;
    c.make(f.chosen);
    RecordedReport recorded;

    EXPECT_FALSE(RestoreDatabaseFile(f.chosen, f.working, recorded.report()));

    EXPECT_EQ(recorded.events, QStringList{QStringLiteral("message: ") + QString::fromUtf8(c.message) + u'\r' + f.chosen});
    EXPECT_EQ(QDir(f.data).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("PRICE.vdb")});
    EXPECT_EQ(priceFileState(f.working).marker, QStringLiteral("working"));
}

INSTANTIATE_TEST_SUITE_P(
    Files, DatabaseRestoreRefuses,
    ::testing::Values(
        RefusedFile{"missing", [](const QString&) {}, "Не удалось найти базу данных:"},
        RefusedFile{"garbage", [](const QString& p) { writeBytes(p, QByteArray(5000, 'g')); },
                    "Файл не является базой данных с прайс-листами:"},
        RefusedFile{"readme", [](const QString& p) { writeBytes(p, "Прочти меня\r\n"); },
                    "Файл не является базой данных с прайс-листами:"},
        RefusedFile{"older_format",
                    [](const QString& p) {
                        writeBytes(p, QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20) + QByteArray(4076, '\0'));
                    },
                    "База данных в старом формате, программа её не читает:"},
        RefusedFile{"truncated",
                    [](const QString& p) {
                        makeFilledPriceDatabase(p, 2000, QStringLiteral("chosen"), FillExtras::NoSearchIndex);
                        QFile file(p);
                        ASSERT_TRUE(file.resize(file.size() / 2));
                    },
                    "База данных повреждена:"},
        RefusedFile{"other_database",
                    [](const QString& p) {
                        db::Connection c(p, db::OpenMode::Create);
                        c.exec(QStringLiteral("CREATE TABLE Zakaz (Id INTEGER)"));
                    },
                    "Файл не является базой данных с прайс-листами:"}),
    [](const ::testing::TestParamInfo<RefusedFile>& info) { return std::string(info.param.name); });

TEST(DatabaseRestore, AWorkingFileAnotherProgramHoldsIsNotReplaced)
{
    RestoreFolders f;
    makeFilledPriceDatabase(f.chosen, 10, QStringLiteral("chosen"), FillExtras::NoSearchIndex);
    db::Connection other(f.working);
    other.exec(QStringLiteral("UPDATE settings SET TypeText = 'held' WHERE ParName = 'Marker'"));
    RecordedReport recorded;

    EXPECT_FALSE(RestoreDatabaseFile(f.chosen, f.working, recorded.report()));

    EXPECT_EQ(recorded.messages(), QStringList{QStringLiteral("message: Невозможно удалить базу: \r") + f.working});
    other.close();
    EXPECT_EQ(QDir(f.data).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("PRICE.vdb")});
    EXPECT_EQ(priceFileState(f.working).marker, QStringLiteral("held"));
}

} // namespace
