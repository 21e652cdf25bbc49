// Saving the price database: compaction, the twelve indexes, publishing to
// the save path; and the compaction command.
#include "database_files_support.h"

#include "platform/files/ini_file.h"
#include "storage/database_compaction.h"
#include "storage/database_save.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

using namespace velmora;
using namespace velmora::testing;

namespace {

const QString kIndexesDone = QStringLiteral("status: Обновление Индексов ЗАВЕРШЕНО!     Обновлено: %1  Добавлено: %2  ОШИБОК: %3");

// The program folder, the data folder with its working copy, and a share.
struct SaveFolders {
    QTemporaryDir root;
    QString program = root.filePath(QStringLiteral("program")) + u'/';
    QString data = root.filePath(QStringLiteral("data")) + u'/';
    QString share = root.filePath(QStringLiteral("share")) + u'/';
    QString working = data + QStringLiteral("PRICE.vdb");

    SaveFolders()
    {
        for (const QString& folder : {program, data, share})
            QDir().mkpath(folder);
        makeFilledPriceDatabase(working, 200, QStringLiteral("working"));
        makeFilledPriceDatabase(program + QStringLiteral("PRICE.vdb"), 3, QStringLiteral("default"));
    }

    DatabaseSaveFiles files() const { return {working, databaseSavePath(data, program)}; }

    // Names left in a folder by the save's temporary files.
    static QStringList leftovers(const QString& folder)
    {
        QStringList found;
        for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
            if (name.contains(QLatin1String("BaseTemp")) || name.endsWith(QLatin1String(".part"))
                || name.endsWith(QLatin1String("-wal")) || name.endsWith(QLatin1String("-journal")))
                found << name;
        return found;
    }
};

// The twelve indexes each on its own table, under its own name.
QStringList indexesOf(const QString& path)
{
    db::Connection c(path, db::OpenMode::ReadOnly);
    db::Statement s = c.prepare(QStringLiteral(
        "SELECT m.name || ' ON ' || m.tbl_name || '(' || group_concat(i.name, ',') || ')'"
        " FROM sqlite_master m, pragma_index_info(m.name) i"
        " WHERE m.type = 'index' AND m.tbl_name IN ('AllTovarPostav', 'AllTovarValuta', 'AllPostavSetup',"
        " 'AllPostavPage', 'AllPriceHistory') AND m.name NOT LIKE 'sqlite_%' AND m.name NOT LIKE '%PriceOut%'"
        " GROUP BY m.name ORDER BY m.name"));
    QStringList out;
    while (s.step())
        out << s.text(0);
    return out;
}

const QStringList kTwelveIndexes = {
    "AllPostavPage_Postav ON AllPostavPage(Postavshik)",
    "AllPostavSetup_ID_Postav ON AllPostavSetup(Id)",
    "AllPostavSetup_Postav ON AllPostavSetup(Postavshik)",
    "AllPriceHistory_ID_Tovar ON AllPriceHistory(ID)",
    "AllPriceHistory_Postav ON AllPriceHistory(Postavshik)",
    "AllPriceHistory_Postav_Art ON AllPriceHistory(Postavshik,Art)",
    "AllPriceHistory_Postav_Tovar ON AllPriceHistory(Postavshik,Tovar)",
    "AllTovarPostav_Art ON AllTovarPostav(Art)",
    "AllTovarPostav_Postav ON AllTovarPostav(Postavshik)",
    "AllTovarPostav_Tovar ON AllTovarPostav(Tovar)",
    "AllTovarValuta_ID_Tovar ON AllTovarValuta(ID_Tovar)",
    "AllTovarValuta_Valuta ON AllTovarValuta(Valuta)",
};

// The twelve with the schema's own index of the stored loads, which the
// save leaves as it is.
QStringList withLoadsIndex()
{
    QStringList indexes = kTwelveIndexes;
    indexes << QStringLiteral("AllPriceHistory_Postav_Dates ON AllPriceHistory(Postavshik,Dates)");
    indexes.sort();
    return indexes;
}

TEST(DatabaseSave, WithoutPathDatTheProgramFoldersCopyIsReplaced)
{
    SaveFolders f;
    const QString target = f.program + QStringLiteral("PRICE.vdb");
    ASSERT_EQ(f.files().savePath, target);
    RecordedReport recorded;

    EXPECT_TRUE(SaveDatabaseFiles(f.files(), recorded.report()));

    EXPECT_EQ(recorded.events,
              QStringList({QStringLiteral("status: Сжатие базы данных..."),
                           QStringLiteral("status: Обновление Индексов в базе данных"), kIndexesDone.arg(12).arg(0).arg(0),
                           QStringLiteral("pause: 1000"), QStringLiteral("status: Копирование базы данных..."),
                           QStringLiteral("status: База данных успешно сохраненена!  ") + target,
                           QStringLiteral("message: База данных успешно сохраненена!\r") + target}));
    const PriceFileState published = priceFileState(target);
    EXPECT_EQ(published.integrity, QStringLiteral("ok"));
    EXPECT_EQ(published.marker, QStringLiteral("working"));
    EXPECT_EQ(published.offers, 200);
    EXPECT_EQ(fileHeader(target).mid(18, 2), QByteArray("\x01\x01", 2)) << "one self-contained file for readers";
    EXPECT_EQ(SaveFolders::leftovers(f.data), QStringList());
    EXPECT_EQ(SaveFolders::leftovers(f.program), QStringList());
    EXPECT_EQ(priceFileState(f.working).offers, 200);
}

TEST(DatabaseSave, PathDatNamesTheSharedFile)
{
    SaveFolders f;
    const QString shared = f.share + QStringLiteral("PRICE.vdb");
    WritePathDat(f.data + QStringLiteral("Path.dat"), shared);
    RecordedReport recorded;

    EXPECT_TRUE(SaveDatabaseFiles(f.files(), recorded.report()));

    EXPECT_EQ(recorded.events.last(), QStringLiteral("message: База данных успешно сохраненена!\r") + shared);
    EXPECT_EQ(priceFileState(shared).marker, QStringLiteral("working"));
    EXPECT_EQ(priceFileState(f.program + QStringLiteral("PRICE.vdb")).marker, QStringLiteral("default"));
    EXPECT_EQ(SaveFolders::leftovers(f.share), QStringList());
}

struct IndexCase {
    const char* name;
    std::function<void(db::Connection&)> change;
    QStringList expected; // the events between the status texts of the indexes and of the copy
    QStringList indexesAfter;
};

class DatabaseSaveIndexes : public ::testing::TestWithParam<IndexCase> {};

TEST_P(DatabaseSaveIndexes, AreCountedAndEachTableKeepsItsOwn)
{
    const IndexCase& c = GetParam();
    SaveFolders f;
    {
        db::Connection working(f.working);
        c.change(working);
    }
    RecordedReport recorded;

    EXPECT_TRUE(SaveDatabaseFiles(f.files(), recorded.report()));

    const qsizetype from = recorded.events.indexOf(QStringLiteral("status: Обновление Индексов в базе данных"));
    const qsizetype to = recorded.events.indexOf(QStringLiteral("status: Копирование базы данных..."));
    ASSERT_TRUE(from >= 0 && to > from) << recorded.events.join(u'\n').toStdString();
    EXPECT_EQ(recorded.events.mid(from + 1, to - from - 1), c.expected);
    EXPECT_TRUE(recorded.events.last().startsWith(QStringLiteral("message: База данных успешно сохраненена!")))
        << "the copy runs in every case";
    EXPECT_EQ(indexesOf(f.working), c.indexesAfter);
    EXPECT_EQ(indexesOf(f.program + QStringLiteral("PRICE.vdb")), c.indexesAfter);
    EXPECT_EQ(priceFileState(f.working).integrity, QStringLiteral("ok"));
}

QStringList withoutHistory()
{
    QStringList indexes = kTwelveIndexes;
    indexes.removeIf([](const QString& index) { return index.startsWith(QLatin1String("AllPriceHistory")); });
    return indexes;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DatabaseSaveIndexes,
    ::testing::Values(
        IndexCase{"all_present", [](db::Connection&) {},
                  {kIndexesDone.arg(12).arg(0).arg(0), QStringLiteral("pause: 1000")}, withLoadsIndex()},
        IndexCase{"one_missing",
                  [](db::Connection& c) { c.exec(QStringLiteral("DROP INDEX AllTovarPostav_Tovar")); },
                  {kIndexesDone.arg(11).arg(1).arg(0), QStringLiteral("pause: 1000")}, withLoadsIndex()},
        IndexCase{"one_on_other_columns",
                  [](db::Connection& c) {
                      c.exec(QStringLiteral("DROP INDEX AllTovarPostav_Art"));
                      c.exec(QStringLiteral("CREATE INDEX AllTovarPostav_Art ON AllTovarPostav (Tovar, Art)"));
                  },
                  {kIndexesDone.arg(12).arg(0).arg(0), QStringLiteral("pause: 1000")}, withLoadsIndex()},
        IndexCase{"no_history_table",
                  [](db::Connection& c) { c.exec(QStringLiteral("DROP TABLE AllPriceHistory")); },
                  {QStringLiteral("message: ОШИБКИ добавления индексов:\r- AllPriceHistory(ID)\r"
                                  "- AllPriceHistory(Postavshik)\r- AllPriceHistory(Postavshik,Art)\r"
                                  "- AllPriceHistory(Postavshik,Tovar)")},
                  withoutHistory()}),
    [](const ::testing::TestParamInfo<IndexCase>& info) { return std::string(info.param.name); });

// The stock sqlite3 shell with the program's text extension checks and reads
// the published copy as any other client would.
TEST(DatabaseSave, TheStockShellReadsThePublishedCopy)
{
    SaveFolders f;
    RecordedReport recorded;
    ASSERT_TRUE(SaveDatabaseFiles(f.files(), recorded.report()));

    QStringList arguments{QStringLiteral("-readonly"), QStringLiteral("-batch"), QStringLiteral("-cmd"),
                          QStringLiteral(".load " VELMORA_PROGRAM_DIR "/velmora_text")};
    arguments << f.program + QStringLiteral("PRICE.vdb")
              << QStringLiteral("PRAGMA integrity_check;"
                                " SELECT count(*) FROM AllTovarPostav; SELECT count(*) FROM AllTovarValuta;"
                                " SELECT count(*) FROM AllPriceHistory; SELECT count(*) FROM AllPostavSetup;"
                                " SELECT m.name || ' ON ' || m.tbl_name || '(' || group_concat(i.name, ',') || ')'"
                                " FROM sqlite_master m, pragma_index_info(m.name) i WHERE m.type = 'index'"
                                " AND m.tbl_name IN ('AllTovarPostav', 'AllTovarValuta', 'AllPostavSetup', 'AllPostavPage',"
                                " 'AllPriceHistory') AND m.name NOT LIKE '%PriceOut%' GROUP BY m.name ORDER BY m.name;");
    QProcess shell;
    shell.start(QStringLiteral("sqlite3"), arguments);
    ASSERT_TRUE(shell.waitForFinished(30000));
    EXPECT_EQ(shell.readAllStandardError(), QByteArray());
    const QStringList lines = QString::fromUtf8(shell.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines, QStringList({"ok", "200", "200", "200", "2"}) + withLoadsIndex());
}

TEST(DatabaseSave, FailuresReportTheirTextAndKeepTheWorkingFile)
{
    {
        SaveFolders f;
        QFile::remove(f.working);
        RecordedReport recorded;
        EXPECT_FALSE(SaveDatabaseFiles(f.files(), recorded.report()));
        EXPECT_EQ(recorded.events, QStringList{QStringLiteral("message: Отсутствует База данных: \r") + f.working});
        EXPECT_EQ(priceFileState(f.program + QStringLiteral("PRICE.vdb")).marker, QStringLiteral("default"));
    }
    const QString failed = QStringLiteral("message: Произошла ошибка при сохранение базы данных\rпопробуйте ещё раз!");
    for (const QString& savePath : {QStringLiteral("%1missing/PRICE.vdb"), QStringLiteral("C:\\Base\\PRICE.vdb"),
                                    QStringLiteral("\\\\server\\share\\PRICE.vdb")}) {
        SaveFolders f;
        RecordedReport recorded;
        const DatabaseSaveFiles files{f.working, savePath.contains(u'%') ? savePath.arg(f.root.path() + u'/') : savePath};
        EXPECT_FALSE(SaveDatabaseFiles(files, recorded.report()));
        EXPECT_EQ(recorded.messages(), QStringList{failed}) << savePath.toStdString();
        EXPECT_EQ(priceFileState(f.working).integrity, QStringLiteral("ok"));
        EXPECT_EQ(priceFileState(f.working).offers, 200);
        EXPECT_FALSE(QFileInfo::exists(f.root.filePath(QStringLiteral("missing"))));
        EXPECT_FALSE(QFileInfo::exists(files.savePath));
    }
    {
        // Not a database at all: the compaction fails.
        SaveFolders f;
        QFile::remove(f.working);
        QFile junk(f.working);
        ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(8192, 'x'));
        junk.close();
        RecordedReport recorded;
        EXPECT_FALSE(SaveDatabaseFiles(f.files(), recorded.report()));
        EXPECT_EQ(recorded.messages(), QStringList{QStringLiteral("message: Не удалось сжать базу данных...\r") + f.working});
        EXPECT_EQ(QFileInfo(f.working).size(), 8192);
        EXPECT_EQ(SaveFolders::leftovers(f.data), QStringList());
    }
}

TEST(DatabaseSave, AWorkingFileAnotherProgramHoldsIsNotReplaced)
{
    SaveFolders f;
    db::Connection other(f.working); // its log stays while it is open
    other.exec(QStringLiteral("UPDATE settings SET TypeText = 'held' WHERE ParName = 'Marker'"));
    RecordedReport recorded;

    EXPECT_FALSE(SaveDatabaseFiles(f.files(), recorded.report()));

    EXPECT_EQ(recorded.messages(), QStringList{QStringLiteral("message: Невозможно удалить базу: \r") + f.working});
    other.close();
    EXPECT_EQ(SaveFolders::leftovers(f.data), QStringList());
    EXPECT_EQ(priceFileState(f.working).marker, QStringLiteral("held"));
    EXPECT_EQ(priceFileState(f.program + QStringLiteral("PRICE.vdb")).marker, QStringLiteral("default"));
}

TEST(DatabaseSave, AConnectionOfItsOwnThatLetsGoSoonIsWaitedFor)
{
    // As the copy of a large log into the file holds it for a moment after
    // a big rewrite has committed.
    SaveFolders f;
    std::atomic<bool> holding{false};
    std::thread copy([&] {
        db::Connection c(f.working);
        c.exec(QStringLiteral("UPDATE settings SET TypeText = 'rewritten' WHERE ParName = 'Marker'"));
        holding = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
    });
    while (!holding)
        std::this_thread::yield();
    RecordedReport recorded;

    const bool saved = SaveDatabaseFiles(f.files(), recorded.report());
    copy.join();

    EXPECT_TRUE(saved) << recorded.messages().join(u'\n').toStdString();
    EXPECT_EQ(priceFileState(f.program + QStringLiteral("PRICE.vdb")).marker, QStringLiteral("rewritten"));
    EXPECT_EQ(SaveFolders::leftovers(f.data), QStringList());
}

TEST(DatabaseSave, ALogACrashLeftIsFoldedInBeforeTheCompaction)
{
    SaveFolders f;
    // A copy of the working file and its log as a killed program leaves them.
    {
        db::Connection c(f.working);
        c.exec(QStringLiteral("PRAGMA wal_autocheckpoint=0"));
        c.exec(QStringLiteral("UPDATE settings SET TypeText = 'in the log' WHERE ParName = 'Marker'"));
        ASSERT_TRUE(QFile::copy(f.working, f.root.filePath(QStringLiteral("crashed.vdb"))));
        ASSERT_TRUE(QFile::copy(f.working + QStringLiteral("-wal"), f.root.filePath(QStringLiteral("crashed.vdb-wal"))));
    }
    QFile::remove(f.working);
    ASSERT_TRUE(QFile::rename(f.root.filePath(QStringLiteral("crashed.vdb")), f.working));
    ASSERT_TRUE(QFile::rename(f.root.filePath(QStringLiteral("crashed.vdb-wal")), f.working + QStringLiteral("-wal")));
    RecordedReport recorded;

    EXPECT_TRUE(SaveDatabaseFiles(f.files(), recorded.report()));

    EXPECT_EQ(priceFileState(f.working).marker, QStringLiteral("in the log"));
    EXPECT_EQ(priceFileState(f.program + QStringLiteral("PRICE.vdb")).marker, QStringLiteral("in the log"));
}

TEST(DatabaseSave, NothingIsCopiedWhenTheSavePathIsTheWorkingFile)
{
    SaveFolders f;
    WritePathDat(f.data + QStringLiteral("Path.dat"), f.working);
    RecordedReport recorded;
    EXPECT_TRUE(SaveDatabaseFiles(f.files(), recorded.report()));
    EXPECT_EQ(recorded.events.last(), QStringLiteral("message: База данных успешно сохраненена!\r") + f.working);
    EXPECT_EQ(SaveFolders::leftovers(f.data), QStringList());
    EXPECT_EQ(priceFileState(f.working).offers, 200);
}

TEST(DatabaseCompaction, CompactsInPlaceOrReportsOneMessage)
{
    SaveFolders f;
    {
        db::Connection c(f.working);
        c.exec(QStringLiteral("DELETE FROM AllPriceHistory"));
    }
    const qint64 before = QFileInfo(f.working).size();
    RecordedReport recorded;
    EXPECT_TRUE(CompactWorkingDatabase(f.working, recorded.report()));
    EXPECT_TRUE(recorded.messages().isEmpty());
    EXPECT_LT(QFileInfo(f.working).size(), before);
    EXPECT_EQ(priceFileState(f.working).integrity, QStringLiteral("ok"));
    EXPECT_EQ(priceFileState(f.working).offers, 200);
    EXPECT_TRUE(QDir(f.data).entryList({QStringLiteral("mdb*")}).isEmpty());

    db::Connection other(f.working);
    other.exec(QStringLiteral("UPDATE settings SET TypeText = 'held' WHERE ParName = 'Marker'"));
    RecordedReport refused;
    EXPECT_FALSE(CompactWorkingDatabase(f.working, refused.report()));
    EXPECT_EQ(refused.messages(), QStringList{QStringLiteral("message: Ошибка при сжатии базы данных!")});
    other.close();
    EXPECT_EQ(priceFileState(f.working).marker, QStringLiteral("held"));
    EXPECT_TRUE(QDir(f.data).entryList({QStringLiteral("mdb*")}).isEmpty());
}

TEST(DatabaseCompaction, CompactJetDatabaseIntoADestinationReplacesItWhole)
{
    SaveFolders f;
    const QString destination = f.share + QStringLiteral("copy.vdb");
    {
        QFile old(destination);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old copy");
    }
    QStringList messages;
    EXPECT_TRUE(CompactJetDatabase(f.working, destination, QStringLiteral("any password"),
                                   [&](const QString& text) { messages << text; }));
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(priceFileState(destination).offers, 200);
    EXPECT_FALSE(CompactJetDatabase(f.root.filePath(QStringLiteral("missing.vdb")), destination, QString(),
                                    [&](const QString& text) { messages << text; }));
    EXPECT_EQ(messages.size(), 1) << "the error's own text";
    EXPECT_EQ(priceFileState(destination).offers, 200);
    EXPECT_EQ(QDir(f.share).entryList(QDir::Files), QStringList{QStringLiteral("copy.vdb")});
}

} // namespace
