// Text comparison, arithmetic and counters behave as the program's queries
// expect of the engine.

#include "db_test_support.h"

#include "platform/db/day_numbers.h"
#include "platform/db/db_error.h"
#include "platform/db/query.h"
#include "platform/db/sql_functions.h"

#include <QDate>

using namespace velmora::db;

namespace {

struct TextCase {
    const char* expression; // a SQL expression over ?1 and ?2
    const char* left;
    const char* right;
    bool expected;
};

class TextComparison : public DbTest, public ::testing::WithParamInterface<TextCase> {};

TEST_P(TextComparison, FoldsCaseForCyrillicAsForLatin)
{
    const TextCase& c = GetParam();
    db().exec(QStringLiteral("CREATE TABLE t (a VARCHAR(50) COLLATE UNOCASE)"));
    Statement insert = db().prepare(QStringLiteral("INSERT INTO t (a) VALUES (?1)"));
    insert.bindText(1, QString::fromUtf8(c.left)).execute();
    const QVariant found =
        db().scalar(QStringLiteral("SELECT count(*) FROM t WHERE ") + QString::fromUtf8(c.expression),
                    {QString::fromUtf8(c.right)});
    EXPECT_EQ(found.toInt() == 1, c.expected) << c.left << " " << c.expression << " " << c.right;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextComparison,
    ::testing::Values(TextCase{"a = ?1", "ПОСТАВЩИК", "поставщик", true},
                      TextCase{"a = ?1", "Ёлка", "ёЛКА", true},
                      TextCase{"a = ?1", "Ёлка", "Елка", false},
                      TextCase{"a = ?1", "Samsung", "SAMSUNG", true},
                      TextCase{"a = ?1", "поставщик", "поставщики", false},
                      TextCase{"a LIKE ?1", "Монитор Samsung", "%мониТОР%", true},
                      TextCase{"a LIKE ?1", "Монитор Samsung", "%samsung", true},
                      TextCase{"a LIKE ?1", "Монитор Samsung", "мон_тор%", true},
                      TextCase{"a LIKE ?1", "Монитор Samsung", "%Телевизор%", false},
                      TextCase{"a LIKE ?1", "O'Neil", "O_Neil", true},
                      // The text flags hold true/false in either capitalisation.
                      TextCase{"a = ?1", "True", "true", true},
                      TextCase{"a = ?1", "TRUE", "true", true},
                      TextCase{"a = ?1", "false", "true", false}));

TEST_F(DbTest, TextFlagColumnMatchesEitherCapitalisationThroughQuery)
{
    db().exec(QStringLiteral("CREATE TABLE AllTovarPostav (Number INTEGER PRIMARY KEY AUTOINCREMENT,"
                             " Check_obrab VARCHAR(5) COLLATE UNOCASE)"));
    db().exec(QStringLiteral("INSERT INTO AllTovarPostav (Check_obrab) VALUES ('True'), ('true'), ('False')"));
    Query q(db());
    q.setSql(QStringLiteral("select * from AllTovarPostav where Check_obrab='true'"));
    q.open();
    EXPECT_EQ(q.rowCount(), 2);
}

struct CompareCase {
    const char* a;
    const char* b;
    int sign;
};

class CompareNoCase : public ::testing::TestWithParam<CompareCase> {};

TEST_P(CompareNoCase, OrdersByFoldedCodePoints)
{
    const CompareCase& c = GetParam();
    const int result = compareNoCase(c.a, c.b);
    EXPECT_EQ((result > 0) - (result < 0), c.sign) << c.a << " vs " << c.b;
    const int reverse = compareNoCase(c.b, c.a);
    EXPECT_EQ((reverse > 0) - (reverse < 0), -c.sign) << c.b << " vs " << c.a;
}

// Pairs that share a byte prefix, also one ending inside a two-byte letter
// ("Б" D0 91 and "б" D0 B1 share their first byte).
INSTANTIATE_TEST_SUITE_P(Cases, CompareNoCase,
                         ::testing::Values(CompareCase{"ПОСТАВЩИК", "поставщик", 0},
                                           CompareCase{"Поставщик", "Поставщик", 0},
                                           CompareCase{"Б", "б", 0},
                                           CompareCase{"ООО Б", "ООО б", 0},
                                           CompareCase{"Ёлка", "ёлкА", 0},
                                           CompareCase{"Ёлка", "Ёлки", -1},
                                           CompareCase{"Пост", "Поставщик", -1},
                                           CompareCase{"", "а", -1},
                                           CompareCase{"Абрикос", "банан", -1},
                                           CompareCase{"яблоко", "Банан", 1},
                                           CompareCase{"Samsung A", "SAMSUNG b", -1},
                                           CompareCase{"Монитор LG", "Монитор Lg", 0},
                                           CompareCase{"Монитор Б", "Монитор а", 1}));

class CompareAlphabetic : public ::testing::TestWithParam<CompareCase> {};

TEST_P(CompareAlphabetic, IgnoresCaseAndPutsYoWithYe)
{
    const CompareCase& c = GetParam();
    const int result = compareAlphabetic(c.a, c.b);
    EXPECT_EQ((result > 0) - (result < 0), c.sign) << c.a << " vs " << c.b;
    const int reverse = compareAlphabetic(c.b, c.a);
    EXPECT_EQ((reverse > 0) - (reverse < 0), -c.sign) << c.b << " vs " << c.a;
}

INSTANTIATE_TEST_SUITE_P(Cases, CompareAlphabetic,
                         ::testing::Values(CompareCase{"ёлка", "жук", -1},
                                           CompareCase{"Ёлка", "ель", -1},
                                           CompareCase{"ёж", "Ежевика", -1},
                                           CompareCase{"елка", "ёлка", -1},
                                           CompareCase{"Ёлка", "ёЛКА", 0},
                                           CompareCase{"Арбуз", "банан", -1},
                                           CompareCase{"яблоко", "Яблоко", 0},
                                           CompareCase{"Samsung", "Асер", -1}));

TEST_F(DbTest, AlphabetCollationOrdersGoodsNames)
{
    db().exec(QStringLiteral("CREATE TABLE t (a VARCHAR(50) COLLATE NOCASE)"));
    Statement insert = db().prepare(QStringLiteral("INSERT INTO t (a) VALUES (?1)"));
    for (const char* name : {"яблоко", "Арбуз", "ёлка", "банан", "Ель"}) {
        insert.bindText(1, QString::fromUtf8(name)).execute();
        insert.reset();
    }
    QStringList order;
    Statement select = db().prepare(QStringLiteral("SELECT a FROM t ORDER BY a COLLATE ALPHABET"));
    while (select.step())
        order << select.text(0);
    EXPECT_EQ(order.join(u' '), QStringLiteral("Арбуз банан ёлка Ель яблоко"));
}

TEST(FoldingFunctions, LikeWithoutDatabase)
{
    EXPECT_TRUE(likeNoCase("%мониТОР%", "Монитор Samsung"));
    EXPECT_FALSE(likeNoCase("%монитор", "Монитор Samsung"));
}

// The folded form of a text is what LIKE and the collation compare it as:
// equal to the text without case, folded again unchanged, and contained in
// another folded text exactly where LIKE '%...%' finds it.
TEST(FoldingFunctions, FoldedTextsAreWhatLikeCompares)
{
    const char* const texts[] = {
        "ABCDEFGHIJKLMNOPQRSTUVWXYZ abc 0123456789 @[`{~",
        "АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ абвгдеёжзийклмнопрстуфхцчшщъыьэюя",
        "ЀЁЂЃЄЅІЇЈЉЊЋЌЍЎЏ ѐёђѓєѕіїјљњћќѝўџ Ѣѣ",
        "Straße ÄÖÜ Ωμέγα Ǆ",
        "Болт М6x20 DIN 933 оцинкованный BOSCH-Professional 12V",
        "\xff\xd0 stray bytes \xe0",
    };
    for (const char* text : texts) {
        const std::string_view original(text);
        const std::string folded = foldUtf8(original);
        EXPECT_EQ(compareNoCase(folded, original), 0) << text;
        EXPECT_TRUE(likeNoCase(folded, original)) << text;
        EXPECT_EQ(foldUtf8(folded), folded) << text;
        std::string buffer(3, 'x'); // a reused buffer gives the same
        EXPECT_EQ(foldUtf8(original, buffer), folded) << text;
    }
    const std::string name = foldUtf8("Кабель USB-удлинитель 2М");
    for (const char* word : {"КАБЕЛЬ", "usb-уд", "2м", "ль u"})
        EXPECT_NE(name.find(foldUtf8(word)), std::string::npos) << word;
    EXPECT_EQ(name.find(foldUtf8("кабели")), std::string::npos);
    EXPECT_TRUE(LikePattern("%usb_уд%").matches(name));
    EXPECT_FALSE(LikePattern("%usb_ыд%").matches("Кабель USB-удлинитель"));
}

TEST_F(DbTest, ReboundTextParametersKeepEachRowsValue)
{
    // One prepared insert, bound again per row with texts that grow and shrink.
    db().exec(QStringLiteral("CREATE TABLE t (n INTEGER, a TEXT, b TEXT)"));
    const QStringList texts = {QStringLiteral("Ёлка"), QStringLiteral("Монитор Samsung 27\" чёрный"), QString(),
                               QStringLiteral("x"), QString(QStringLiteral("длинный ")).repeated(40), QStringLiteral("€😀")};
    {
        Transaction transaction(db());
        Statement insert = db().prepare(QStringLiteral("INSERT INTO t VALUES (?1, ?2, ?3)"));
        for (int i = 0; i < texts.size(); ++i) {
            insert.bindInt(1, i).bindText(2, texts[i]).bindText(3, texts[texts.size() - 1 - i]);
            insert.execute();
            insert.reset();
        }
        transaction.commit();
    }
    Statement s = db().prepare(QStringLiteral("SELECT n, a, b, typeof(a) FROM t ORDER BY n"));
    int row = 0;
    while (s.step()) {
        EXPECT_EQ(s.text(1), texts[row]);
        EXPECT_EQ(s.text(2), texts[texts.size() - 1 - row]);
        EXPECT_EQ(s.text(3), QStringLiteral("text")) << "an empty text is not NULL";
        ++row;
    }
    EXPECT_EQ(row, texts.size());
    Statement bad = db().prepare(QStringLiteral("SELECT ?1"));
    EXPECT_THROW(bad.bindText(2, QStringLiteral("x")), DbError);
}

struct NumberCase {
    const char* expression;
    double expected;
};

class Arithmetic : public DbTest, public ::testing::WithParamInterface<NumberCase> {};

TEST_P(Arithmetic, IntFloorsToARealSoDivisionKeepsDecimals)
{
    const QVariant v = db().scalar(QStringLiteral("SELECT ") + QString::fromUtf8(GetParam().expression));
    EXPECT_EQ(v.typeId(), QMetaType::Double) << GetParam().expression;
    EXPECT_DOUBLE_EQ(v.toDouble(), GetParam().expected) << GetParam().expression;
}

INSTANTIATE_TEST_SUITE_P(Cases, Arithmetic,
                         ::testing::Values(NumberCase{"Int((1.234*100)+0.5)/100", 1.23},
                                           NumberCase{"Int((2.5*1)+0.5)/1", 3},
                                           NumberCase{"Int(-1.5)", -2},
                                           NumberCase{"Int(1.999)", 1},
                                           NumberCase{"Int((1234*0.01)+0.5)/0.01", 1200},
                                           NumberCase{"Int(7)/2", 3.5}));

TEST_F(DbTest, RoundingUpdateOverAPriceColumnKeepsDecimals)
{
    db().exec(QStringLiteral("CREATE TABLE p (Price REAL)"));
    db().exec(QStringLiteral("INSERT INTO p VALUES (1.234), (1234), (2.5)"));
    Query q(db());
    q.setSql(QStringLiteral("update p set Price=Int((Price*100)+0.5)/100"));
    q.execute();
    Statement s = db().prepare(QStringLiteral("SELECT Price FROM p ORDER BY rowid"));
    QList<double> prices;
    while (s.step())
        prices << s.number(0);
    EXPECT_EQ(prices, (QList<double>{1.23, 1234, 2.5}));
}

TEST_F(DbTest, IntOfNullIsNull)
{
    EXPECT_TRUE(db().scalar(QStringLiteral("SELECT Int(NULL)")).isNull());
}

TEST_F(DbTest, CounterNeverReusesADeletedNumber)
{
    db().exec(QStringLiteral("CREATE TABLE t (Number INTEGER PRIMARY KEY AUTOINCREMENT, a TEXT)"));
    db().exec(QStringLiteral("INSERT INTO t (a) VALUES ('x'), ('y'), ('z')"));
    db().exec(QStringLiteral("DELETE FROM t WHERE Number = 3"));
    db().exec(QStringLiteral("INSERT INTO t (a) VALUES ('w')"));
    EXPECT_EQ(db().lastInsertRowId(), 4);
}

TEST_F(DbTest, ApostropheAndCyrillicRoundTripThroughParameters)
{
    const QString value = QStringLiteral("O'Neil Ёлка");
    db().exec(QStringLiteral("CREATE TABLE t (a VARCHAR(50) COLLATE UNOCASE)"));
    Query insert(db());
    insert.setSql(QStringLiteral("insert into t (a) values (:a)"));
    insert.setParam(QStringLiteral(":a"), value);
    insert.execute();

    Query select(db());
    select.setSql(QStringLiteral("select a from t where a=:a"));
    select.setParam(QStringLiteral("a"), QStringLiteral("o'neil ёлка"));
    select.open();
    ASSERT_EQ(select.rowCount(), 1);
    EXPECT_EQ(select.text(QStringLiteral("a")), value);
}

TEST_F(DbTest, FirstTakesEachGroupsFirstValueInScanOrder)
{
    db().exec(QStringLiteral("CREATE TABLE t (g INTEGER, v REAL)"));
    db().exec(QStringLiteral("INSERT INTO t VALUES (1, 30), (2, 5), (1, 10), (2, 7), (1, 20)"));
    Statement s = db().prepare(QStringLiteral("SELECT g, First(v) FROM t GROUP BY g ORDER BY g"));
    ASSERT_TRUE(s.step());
    EXPECT_EQ(s.number(1), 30);
    ASSERT_TRUE(s.step());
    EXPECT_EQ(s.number(1), 5);
    EXPECT_FALSE(s.step());
    EXPECT_TRUE(db().scalar(QStringLiteral("SELECT First(v) FROM t WHERE g = 9")).isNull());
}

TEST_F(DbTest, NowAndDateAreDayNumbers)
{
    const double today = double(dayNumber(QDate::currentDate()));
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT Date()")).toDouble(), today);
    const double now = db().scalar(QStringLiteral("SELECT Now()")).toDouble();
    EXPECT_GE(now, today);
    EXPECT_LT(now, today + 1);
}

} // namespace
