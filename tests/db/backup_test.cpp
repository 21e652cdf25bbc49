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

} // namespace
