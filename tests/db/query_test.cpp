// The query dataset: rows read once, edited and written through.

#include "db_test_support.h"

#include "platform/db/db_error.h"
#include "platform/db/query.h"

using namespace velmora::db;

namespace {

class QueryTest : public DbTest {
protected:
    void SetUp() override
    {
        db().exec(QStringLiteral(
            "CREATE TABLE AllPostavSetup (Id INTEGER, Postavshik VARCHAR(50) COLLATE UNOCASE, PostavVisible INTEGER);"
            "INSERT INTO AllPostavSetup VALUES (1, 'Альфа', 1), (2, 'Бета', 0), (3, 'Гамма', -1);"));
    }

    QStringList names()
    {
        QStringList out;
        Statement s = db().prepare(QStringLiteral("SELECT Postavshik FROM AllPostavSetup ORDER BY Id"));
        while (s.step())
            out << s.text(0);
        return out;
    }
};

TEST_F(QueryTest, NavigatesAndReadsTypedFields)
{
    Query q(db());
    q.setSql(QStringLiteral("select * from AllPostavSetup order by Id"));
    q.open();
    ASSERT_EQ(q.rowCount(), 3);
    EXPECT_TRUE(q.bof());
    EXPECT_EQ(q.text(QStringLiteral("postavshik")), QStringLiteral("Альфа"));
    q.last();
    EXPECT_EQ(q.integer(QStringLiteral("Id")), 3);
    EXPECT_TRUE(q.flag(QStringLiteral("PostavVisible"))) << "Jet's -1 reads as true";
    q.prior();
    EXPECT_FALSE(q.flag(QStringLiteral("PostavVisible")));
    q.next();
    q.next();
    EXPECT_TRUE(q.eof());
    EXPECT_THROW(q.value(QStringLiteral("Id")), DbError);
    EXPECT_THROW(q.value(QStringLiteral("NoSuchField")), DbError);
}

TEST_F(QueryTest, EditPostsOneColumnOfTheCurrentRow)
{
    Query q(db());
    q.setSql(QStringLiteral("select * from AllPostavSetup where Postavshik=:Postav"));
    q.setParam(QStringLiteral("Postav"), QStringLiteral("БЕТА"));
    q.open();
    ASSERT_EQ(q.rowCount(), 1);
    q.edit();
    q.setValue(QStringLiteral("Postavshik"), QStringLiteral("Бета-2"));
    EXPECT_EQ(q.text(QStringLiteral("Postavshik")), QStringLiteral("Бета-2")) << "pending value is visible";
    q.post();
    EXPECT_EQ(q.text(QStringLiteral("Postavshik")), QStringLiteral("Бета-2"));
    EXPECT_EQ(names(), (QStringList{"Альфа", "Бета-2", "Гамма"}));
}

TEST_F(QueryTest, CancelWritesNothing)
{
    Query q(db());
    q.setSql(QStringLiteral("select * from AllPostavSetup"));
    q.open();
    q.edit();
    q.setValue(QStringLiteral("Postavshik"), QStringLiteral("X"));
    q.cancel();
    EXPECT_EQ(names(), (QStringList{"Альфа", "Бета", "Гамма"}));
}

TEST_F(QueryTest, InsertAppendsARowAndMakesItCurrent)
{
    Query q(db());
    q.setSql(QStringLiteral("select * from AllPostavSetup order by Id"));
    q.open();
    q.insert();
    q.setValue(QStringLiteral("Id"), 4);
    q.setValue(QStringLiteral("Postavshik"), QStringLiteral("Дельта"));
    q.post();
    EXPECT_EQ(q.rowCount(), 4);
    EXPECT_EQ(q.text(QStringLiteral("Postavshik")), QStringLiteral("Дельта"));
    EXPECT_TRUE(q.value(QStringLiteral("PostavVisible")).isNull());
    EXPECT_EQ(names(), (QStringList{"Альфа", "Бета", "Гамма", "Дельта"}));
}

TEST_F(QueryTest, RemoveDeletesTheCurrentRowOnly)
{
    Query q(db());
    q.setSql(QStringLiteral("select * from AllPostavSetup order by Id"));
    q.open();
    q.next();
    q.remove();
    EXPECT_EQ(q.rowCount(), 2);
    EXPECT_EQ(q.text(QStringLiteral("Postavshik")), QStringLiteral("Гамма"));
    EXPECT_EQ(names(), (QStringList{"Альфа", "Гамма"}));
}

TEST_F(QueryTest, LocateFindsTextWithoutCase)
{
    Query q(db());
    q.setSql(QStringLiteral("select * from AllPostavSetup order by Id"));
    q.open();
    EXPECT_TRUE(q.locate({QStringLiteral("Postavshik")}, {QStringLiteral("гамма")}));
    EXPECT_EQ(q.integer(QStringLiteral("Id")), 3);
    EXPECT_TRUE(q.locate({QStringLiteral("Id"), QStringLiteral("Postavshik")}, {qlonglong(2), QStringLiteral("бета")}));
    EXPECT_EQ(q.recNo(), 1);
    EXPECT_FALSE(q.locate({QStringLiteral("Postavshik")}, {QStringLiteral("Омега")}));
}

TEST_F(QueryTest, FilterHidesRowsAndBookmarksSurviveIt)
{
    Query q(db());
    q.setSql(QStringLiteral("select * from AllPostavSetup order by Id"));
    q.open();
    q.last();
    const int gamma = q.bookmark();
    q.setFilter([](const Query& row) { return row.flag(QStringLiteral("PostavVisible")); });
    EXPECT_EQ(q.rowCount(), 2);
    q.gotoBookmark(gamma);
    EXPECT_EQ(q.text(QStringLiteral("Postavshik")), QStringLiteral("Гамма"));
    q.setFilter({});
    EXPECT_EQ(q.rowCount(), 3);
}

TEST_F(QueryTest, EditsOneOfTwoIdenticalRowsOfAKeylessTable)
{
    db().exec(QStringLiteral("CREATE TABLE SelectTempPostav (TemplateName TEXT, Postavshik TEXT, Obrab INTEGER);"
                             "INSERT INTO SelectTempPostav VALUES ('Шаблон', 'Альфа', 1), ('Шаблон', 'Альфа', 1);"));
    Query q(db());
    q.setSql(QStringLiteral("select * from SelectTempPostav"));
    q.open();
    q.last();
    q.edit();
    q.setValue(QStringLiteral("Postavshik"), QStringLiteral("Бета"));
    q.post();
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT count(*) FROM SelectTempPostav WHERE Postavshik='Альфа'")).toInt(), 1);
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT count(*) FROM SelectTempPostav WHERE Postavshik='Бета'")).toInt(), 1);
    q.first();
    q.remove();
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT group_concat(Postavshik) FROM SelectTempPostav")).toString(),
              QStringLiteral("Бета"));
}

TEST_F(QueryTest, ResultOfAJoinCannotBeEdited)
{
    Query q(db());
    q.setSql(QStringLiteral("select a.Id from AllPostavSetup a join AllPostavSetup b on a.Id = b.Id"));
    q.open();
    EXPECT_EQ(q.rowCount(), 3);
    EXPECT_THROW(q.edit(), DbError);
}

TEST_F(QueryTest, MissingParameterAndBadSqlAreErrors)
{
    Query q(db());
    q.setSql(QStringLiteral("select * from AllPostavSetup where Id=:id"));
    EXPECT_THROW(q.open(), DbError);
    q.setSql(QStringLiteral("select * from NoSuchTable"));
    try {
        q.open();
        FAIL() << "no error";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("NoSuchTable"))) << e.what();
    }
}

} // namespace
