// Opening files, and two connections side by side.

#include "db_test_support.h"

#include "platform/db/db_error.h"
#include "platform/db/query.h"

#include <QFile>

using namespace velmora::db;

namespace {

TEST_F(DbTest, MissingFileGivesAClearError)
{
    const QString missing = path(QStringLiteral("нет.vdb"));
    try {
        Connection c(missing);
        FAIL() << "opened a missing file";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.message().contains(missing)) << e.what();
    }
    EXPECT_FALSE(QFile::exists(missing)) << "nothing is created";
}

TEST_F(DbTest, FileThatIsNotADatabaseGivesAClearErrorAndStaysAsItWas)
{
    const QString file = path(QStringLiteral("PRICE.vdb"));
    const QByteArray content = QByteArray("Standard Jet DB\0\0 not sqlite", 28).repeated(100);
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    try {
        Connection c(file);
        FAIL() << "opened a file that is not a database";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("not a database"))) << e.what();
    }
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), content);
}

TEST_F(DbTest, AnOpenReadDoesNotBlockAWriteOnASecondConnection)
{
    db().exec(QStringLiteral("CREATE TABLE t (a INTEGER); INSERT INTO t VALUES (1), (2), (3)"));
    Connection second(path(QStringLiteral("test.db")));

    // A query keeps its rows, not the statement.
    Query grid(db());
    grid.setSql(QStringLiteral("select * from t"));
    grid.open();
    {
        Transaction write(second);
        second.exec(QStringLiteral("INSERT INTO t VALUES (4)"));
        write.commit();
    }
    EXPECT_EQ(grid.rowCount(), 3);

    // Even a statement in the middle of its rows lets the other connection commit.
    Statement reading = db().prepare(QStringLiteral("SELECT a FROM t"));
    ASSERT_TRUE(reading.step());
    {
        Transaction write(second);
        second.exec(QStringLiteral("INSERT INTO t VALUES (5)"));
        write.commit();
    }
    int seen = 1;
    while (reading.step())
        ++seen;
    EXPECT_EQ(seen, 4) << "the reader keeps its snapshot";
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT count(*) FROM t")).toInt(), 5);
}

TEST_F(DbTest, TransactionRollsBackUnlessCommitted)
{
    db().exec(QStringLiteral("CREATE TABLE t (a INTEGER)"));
    try {
        Transaction t(db());
        db().exec(QStringLiteral("INSERT INTO t VALUES (1)"));
        db().exec(QStringLiteral("INSERT INTO no_such_table VALUES (1)"));
        t.commit();
    } catch (const DbError&) {
    }
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT count(*) FROM t")).toInt(), 0);
}

TEST_F(DbTest, CatalogueLookupsIgnoreCase)
{
    db().exec(QStringLiteral("CREATE TABLE AllZakazFull (ID INTEGER, Art TEXT)"));
    EXPECT_TRUE(db().tableExists(QStringLiteral("allzakazfull")));
    EXPECT_FALSE(db().tableExists(QStringLiteral("AllClientZakaz")));
    EXPECT_TRUE(db().columnExists(QStringLiteral("AllZakazFull"), QStringLiteral("art")));
    EXPECT_FALSE(db().columnExists(QStringLiteral("AllZakazFull"), QStringLiteral("TovarNumber")));
    EXPECT_EQ(db().columnNames(QStringLiteral("AllZakazFull")), (QStringList{"ID", "Art"}));
}

} // namespace
