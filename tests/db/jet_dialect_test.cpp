// The Jet forms of the program's query texts run on SQLite.

#include "db_test_support.h"

#include "platform/db/jet_dialect.h"
#include "platform/db/query.h"

using namespace velmora::db;

namespace {

struct Translation {
    const char* jet;
    const char* sqlite;
};

class JetTranslation : public ::testing::TestWithParam<Translation> {};

TEST_P(JetTranslation, GivesTheSqliteForm)
{
    EXPECT_EQ(translateJetSql(QString::fromUtf8(GetParam().jet)), QString::fromUtf8(GetParam().sqlite));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JetTranslation,
    ::testing::Values(
        Translation{"DELETE * FROM Krit WHERE Code_krit=:c", "DELETE FROM Krit WHERE Code_krit=:c"},
        Translation{"delete  *  from Svod", "DELETE FROM Svod"},
        Translation{"UPDATE A, B SET A.x=B.y WHERE A.k=B.k", "UPDATE A SET x =B.y FROM B WHERE A.k=B.k"},
        Translation{"select sklad from svod where sklad <> ALL (select text from price_sklad)",
                    "select sklad from svod where sklad NOT IN (select text from price_sklad)"},
        Translation{"select * from p where Tovar like '%'+Krit.Krit_1+'%'",
                    "select * from p where Tovar like '%'||Krit.Krit_1||'%'"},
        Translation{"select a+b from t", "select a+b from t"},
        Translation{"select * from t where a='1+2'", "select * from t where a='1+2'"},
        Translation{"CREATE TABLE T (ID COUNTER CONSTRAINT PrimaryKey PRIMARY KEY, B YESNO NOT NULL default NO)",
                    "CREATE TABLE T (ID INTEGER PRIMARY KEY AUTOINCREMENT, B INTEGER NOT NULL DEFAULT 0)"},
        Translation{"CREATE TABLE T (A VARCHAR(50) NOT NULL default '', D MEMO, H TEXT(10))",
                    "CREATE TABLE T (A VARCHAR(50) COLLATE UNOCASE NOT NULL default '', D TEXT COLLATE UNOCASE,"
                    " H TEXT(10) COLLATE UNOCASE)"},
        Translation{"CREATE TABLE T (C CURRENCY, F FLOAT, G DOUBLE, E DATE NOT NULL default now)",
                    "CREATE TABLE T (C REAL, F REAL, G REAL,"
                    " E REAL NOT NULL DEFAULT (julianday('now','localtime')-2415018.5))"},
        Translation{"CREATE INDEX Postav ON AllTovarPostav(Postavshik);",
                    "CREATE INDEX IF NOT EXISTS \"AllTovarPostav_Postav\" ON AllTovarPostav(Postavshik);"},
        Translation{"DROP INDEX Postav ON AllPostavPage;", "DROP INDEX IF EXISTS \"AllPostavPage_Postav\""},
        Translation{"select * from settings where ParName=:ParName",
                    "select * from settings where ParName=:ParName"},
        Translation{"select a/b, 'x/y' from t", "select a*1.0/b, 'x/y' from t"}));

TEST_F(DbTest, DivisionOfWholeNumbersKeepsItsFraction)
{
    db().exec(QStringLiteral("CREATE TABLE t (a INTEGER, b INTEGER); INSERT INTO t VALUES (7, 2);"));
    Query q(db());
    q.setSql(QStringLiteral("select a/b as r, (a+1)/b*2 as s from t"));
    q.open();
    EXPECT_DOUBLE_EQ(q.number(QStringLiteral("r")), 3.5);
    EXPECT_DOUBLE_EQ(q.number(QStringLiteral("s")), 8);
}

TEST_F(DbTest, TwoTableUpdateRunsForReal)
{
    db().exec(QStringLiteral("CREATE TABLE AllTovarPostav (Number INTEGER PRIMARY KEY, Price REAL);"
                             "CREATE TABLE AllTovarValuta (ID_Tovar INTEGER, Price REAL);"
                             "INSERT INTO AllTovarPostav VALUES (1, 0), (2, 0), (3, 9);"
                             "INSERT INTO AllTovarValuta VALUES (1, 10), (2, 20);"));
    Query q(db());
    q.addSql(QStringLiteral("UPDATE AllTovarPostav, AllTovarValuta"));
    q.addSql(QStringLiteral("SET AllTovarPostav.Price=AllTovarValuta.Price*:k"));
    q.addSql(QStringLiteral("WHERE AllTovarPostav.Number=AllTovarValuta.ID_Tovar"));
    q.setParam(QStringLiteral("k"), 2.5);
    EXPECT_EQ(q.execute(), 2);
    Statement s = db().prepare(QStringLiteral("SELECT Price FROM AllTovarPostav ORDER BY Number"));
    QList<double> prices;
    while (s.step())
        prices << s.number(0);
    EXPECT_EQ(prices, (QList<double>{25, 50, 9}));
}

TEST_F(DbTest, NotEqualAllAndStringPlusRunForReal)
{
    db().exec(QStringLiteral("CREATE TABLE svod (Sklad TEXT COLLATE UNOCASE);"
                             "CREATE TABLE Price_Sklad (Text TEXT COLLATE UNOCASE);"
                             "INSERT INTO svod VALUES ('есть'), ('нет'), ('мало');"
                             "INSERT INTO Price_Sklad VALUES ('ЕСТЬ'), ('нет');"));
    Query q(db());
    q.setSql(QStringLiteral("select distinct Sklad from svod where Sklad <> ALL (select Text from Price_Sklad)"));
    q.open();
    ASSERT_EQ(q.rowCount(), 1);
    EXPECT_EQ(q.text(QStringLiteral("Sklad")), QStringLiteral("мало"));

    q.setSql(QStringLiteral("select Sklad from svod where Sklad like '%'+:w+'%'"));
    q.setParam(QStringLiteral("w"), QStringLiteral("АЛ"));
    q.open();
    ASSERT_EQ(q.rowCount(), 1);
    EXPECT_EQ(q.text(QStringLiteral("Sklad")), QStringLiteral("мало"));
}

TEST_F(DbTest, JetDdlGivesTypedColumnsWithRealDefaults)
{
    Query q(db());
    q.addSql(QStringLiteral("CREATE TABLE AllTovarValuta ("));
    q.addSql(QStringLiteral("ID COUNTER CONSTRAINT PrimaryKey PRIMARY KEY,"));
    q.addSql(QStringLiteral("Valuta VARCHAR(5) NOT NULL default '',"));
    q.addSql(QStringLiteral("Obrab YESNO NOT NULL default NO,"));
    q.addSql(QStringLiteral("Kurs CURRENCY,"));
    q.addSql(QStringLiteral("Note MEMO,"));
    q.addSql(QStringLiteral("Dates DATE NOT NULL default now);"));
    q.execute();
    db().exec(QStringLiteral("INSERT INTO AllTovarValuta (Valuta) VALUES ('usd')"));
    Statement s = db().prepare(
        QStringLiteral("SELECT ID, typeof(Obrab), Obrab, typeof(Dates), Dates FROM AllTovarValuta WHERE Valuta = 'USD'"));
    ASSERT_TRUE(s.step());
    EXPECT_EQ(s.integer(0), 1);
    EXPECT_EQ(s.text(1), QStringLiteral("integer"));
    EXPECT_EQ(s.integer(2), 0);
    EXPECT_EQ(s.text(3), QStringLiteral("real"));
    const double today = double(QDate(1899, 12, 30).daysTo(QDate::currentDate()));
    EXPECT_GE(s.number(4), today);
    EXPECT_LT(s.number(4), today + 1);
}

TEST_F(DbTest, IndexNamesAreUniquePerTable)
{
    db().exec(QStringLiteral("CREATE TABLE AllTovarPostav (Postavshik TEXT); CREATE TABLE AllPostavPage (Postavshik TEXT)"));
    Query q(db());
    for (const char* table : {"AllTovarPostav", "AllPostavPage"}) {
        q.setSql(QStringLiteral("CREATE INDEX Postav ON %1(Postavshik);").arg(QLatin1String(table)));
        q.execute();
    }
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='index'")).toInt(), 2);
    q.setSql(QStringLiteral("DROP INDEX Postav ON AllTovarPostav;"));
    q.execute();
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT group_concat(name) FROM sqlite_master WHERE type='index'")).toString(),
              QStringLiteral("AllPostavPage_Postav"));
    EXPECT_EQ(uniqueIndexName(QStringLiteral("AllTovarPostav"), QStringLiteral("Art")),
              QStringLiteral("AllTovarPostav_Art"));
}

} // namespace
