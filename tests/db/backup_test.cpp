// Copies and compaction of database files.

#include "db_test_support.h"

#include "platform/db/backup.h"
#include "platform/db/db_error.h"

#include <QFile>

using namespace velmora::db;

namespace {

class BackupTest : public DbTest {
protected:
    void SetUp() override
    {
        db().exec(QStringLiteral("CREATE TABLE t (a TEXT)"));
        Transaction t(db());
        Statement insert = db().prepare(QStringLiteral("INSERT INTO t VALUES (?1)"));
        for (int i = 0; i < 500; ++i) {
            insert.bindText(1, QStringLiteral("Товар %1").arg(i)).execute();
            insert.reset();
        }
        t.commit();
    }

    static int rows(const QString& file)
    {
        Connection c(file, OpenMode::ReadOnly);
        return c.scalar(QStringLiteral("SELECT count(*) FROM t")).toInt();
    }
};

TEST_F(BackupTest, CompactionIntoANewFileCopiesEveryRow)
{
    const QString target = path(QStringLiteral("compact.vdb"));
    compactDatabase(path(QStringLiteral("test.db")), target);
    EXPECT_EQ(rows(target), 500);
}

TEST_F(BackupTest, CompactionRefusesAnExistingFileAndLeavesItAlone)
{
    const QString target = path(QStringLiteral("taken.vdb"));
    {
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("keep me");
    }
    EXPECT_THROW(compactDatabase(path(QStringLiteral("test.db")), target), DbError);
    QFile f(target);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("keep me"));
}

TEST_F(BackupTest, CopyOfAnOpenDatabaseHoldsItsCommittedRows)
{
    // The source stays open with its latest rows still in the write-ahead log.
    db().exec(QStringLiteral("INSERT INTO t VALUES ('последний')"));
    const QString target = path(QStringLiteral("copy.vdb"));
    {
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old copy");
    }
    copyDatabase(path(QStringLiteral("test.db")), target);
    EXPECT_EQ(rows(target), 501);
    EXPECT_FALSE(QFile::exists(target + QStringLiteral("-wal")));
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT count(*) FROM t")).toInt(), 501) << "the source is still usable";
}

TEST_F(BackupTest, FailedCopyLeavesTheTargetUntouched)
{
    const QString target = path(QStringLiteral("copy.vdb"));
    {
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old copy");
    }
    EXPECT_THROW(copyDatabase(path(QStringLiteral("missing.vdb")), target), DbError);
    QFile f(target);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("old copy"));
}

TEST_F(BackupTest, CopyOverADatabaseThatAnotherConnectionHoldsOpen)
{
    const QString target = path(QStringLiteral("working.vdb"));
    Connection working(target, OpenMode::Create);
    working.exec(QStringLiteral("CREATE TABLE old (x)"));
    working.exec(QStringLiteral("INSERT INTO old VALUES (1)"));

    copyDatabase(path(QStringLiteral("test.db")), target);

    // The open connection sees the new database whole, not a torn file.
    EXPECT_EQ(working.scalar(QStringLiteral("SELECT count(*) FROM t")).toInt(), 500);
    EXPECT_FALSE(working.tableExists(QStringLiteral("old")));
    EXPECT_EQ(working.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
}

// Files made before new databases took larger pages still copy both ways:
// the copy takes the source's pages, in WAL mode as before.
TEST_F(BackupTest, CopiesBetweenFilesOfDifferentPageSizes)
{
    const QString older = path(QStringLiteral("older.vdb"));
    {
        Connection c(older, OpenMode::Create);
        c.exec(QStringLiteral("PRAGMA journal_mode=DELETE; PRAGMA page_size=4096; VACUUM;"
                              " CREATE TABLE t (a TEXT); INSERT INTO t VALUES ('старый')"));
        ASSERT_EQ(c.scalar(QStringLiteral("PRAGMA page_size")).toInt(), 4096);
    }
    const QString current = path(QStringLiteral("test.db"));
    ASSERT_NE(db().scalar(QStringLiteral("PRAGMA page_size")).toInt(), 4096);
    db_.close();

    const QString fresh = path(QStringLiteral("fresh.vdb"));
    copyDatabase(older, fresh);
    EXPECT_EQ(rows(fresh), 1);
    copyDatabase(older, current); // over an existing file nobody holds open
    EXPECT_EQ(rows(current), 1);
    for (const QString& file : {fresh, current}) {
        Connection c(file, OpenMode::ReadWrite);
        EXPECT_EQ(c.scalar(QStringLiteral("PRAGMA page_size")).toInt(), 4096) << file.toStdString();
        EXPECT_EQ(c.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    }
    EXPECT_EQ(Connection(current, OpenMode::ReadWrite).scalar(QStringLiteral("PRAGMA journal_mode")).toString(),
              QStringLiteral("wal"));

    // A file with other pages that another connection holds cannot take the
    // copy: a clear error, and its rows stay.
    const QString held = path(QStringLiteral("held.vdb"));
    Connection holder(held, OpenMode::Create);
    holder.exec(QStringLiteral("CREATE TABLE old (x); INSERT INTO old VALUES (1)"));
    try {
        copyDatabase(older, held);
        ADD_FAILURE() << "copied over a file held open with other pages";
    } catch (const DbError& e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains(QStringLiteral("занята"))) << e.what();
    }
    EXPECT_EQ(holder.scalar(QStringLiteral("SELECT count(*) FROM old")).toInt(), 1);
}

} // namespace
