// The log of a large write copied into the file off the writer's thread.

#include "db_test_support.h"

#include "platform/db/background_checkpoint.h"

#include <QFile>

using namespace velmora::db;

namespace {

// What the database file holds on its own, without its log.
int rowsInTheFileAlone(const QString& file, const QString& copy)
{
    QFile::remove(copy);
    EXPECT_TRUE(QFile::copy(file, copy));
    Connection alone(copy, OpenMode::ReadOnly);
    return alone.scalar(QStringLiteral("SELECT count(*) FROM t")).toInt();
}

TEST_F(DbTest, APausedWriterLeavesTheLogToTheBackgroundCopy)
{
    Connection& writer = db();
    writer.exec(QStringLiteral("CREATE TABLE t (v TEXT)"));
    writer.scalar(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    const int limit = writer.scalar(QStringLiteral("PRAGMA wal_autocheckpoint")).toInt();
    BackgroundCheckpoint checkpoint;
    {
        AutoCheckpointPause paused(writer);
        Transaction transaction(writer);
        // Past the automatic copy's limit of pages.
        writer.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
                                   "INSERT INTO t SELECT printf('%0200d', i) FROM n"));
        transaction.commit();
    }
    EXPECT_EQ(writer.scalar(QStringLiteral("PRAGMA wal_autocheckpoint")).toInt(), limit);
    const QString copy = path(QStringLiteral("alone.db"));
    EXPECT_EQ(rowsInTheFileAlone(path(QStringLiteral("test.db")), copy), 0);

    checkpoint.start(path(QStringLiteral("test.db")));
    checkpoint.wait();
    EXPECT_EQ(rowsInTheFileAlone(path(QStringLiteral("test.db")), copy), 20000);
    // A file that is gone is no failure of the writer's.
    checkpoint.start(path(QStringLiteral("missing.db")));
    checkpoint.wait();
}

} // namespace
