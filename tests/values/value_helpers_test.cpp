#include "platform/db/connection.h"
#include "storage/value_helpers.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace velmora;

TEST(RoundValue, HalfUpAtAnyPlaces)
{
    struct Case {
        int places;
        double value;
        double expected;
    };
    const Case cases[] = {
        {-2, 1234, 1200},
        {-1, 15, 20},
        {0, 2.5, 3},
        {2, 1.234, 1.23},
        {2, 1.005, 1.01},   // a decimal half that binary holds as 1.00499...
        {2, 2.675, 2.68},
        {0, -1.5, -1},      // half up is towards plus infinity
        {0, -1.7, -2},      // not truncated towards zero
        {1, -0.06, -0.1},
        {4, 27.123456, 27.1235},
        {2, 5000000.123, 5000000.12}, // large values keep the digits below the kept ones
        {4, 1234567.1, 1234567.1},
        {4, 83141.22, 83141.22},  // never 83141.2201
        {0, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(RoundValue(c.places, c.value), c.expected) << c.places << " " << c.value;
}

// The decimal text of mantissa x 10^-places: (314, 2) "3.14", (314, -2)
// "31400", (5, 3) "0.005".
QString decimalText(qint64 mantissa, int places)
{
    QString digits = QString::number(mantissa);
    if (places <= 0)
        return digits + QString(-places, u'0');
    if (digits.size() <= places)
        digits = QString(places - digits.size() + 1, u'0') + digits;
    return digits.left(digits.size() - places) + u'.' + digits.right(places);
}

// Every magnitude from 0.01 to 10^9 at every number of places from -2 to 4:
// a value already at n places comes back exactly as its text reads (also
// negative), and the same value with a 5 after its last place rounds up to
// the next unit of that place.
TEST(RoundValue, ValuesAtItsPlacesStayAndHalvesRoundUpAtEveryMagnitude)
{
    const QString digits = QStringLiteral("83141223456789");
    for (int places = -2; places <= 4; ++places) {
        for (int exponent = -2; exponent <= 9; ++exponent) {
            const int mantissaDigits = exponent + places + 1;
            if (mantissaDigits < 1)
                continue; // no value of that size has a digit at this place
            const qint64 mantissa = digits.left(mantissaDigits).toLongLong();
            const QString text = decimalText(mantissa, places);
            SCOPED_TRACE(testing::Message() << "places " << places << ": " << text.toStdString());
            const double value = text.toDouble();
            EXPECT_EQ(RoundValue(places, value), value);
            EXPECT_EQ(RoundValue(places, -value), -value);
            const QString half = decimalText(mantissa * 10 + 5, places + 1);
            EXPECT_EQ(RoundValue(places, half.toDouble()), decimalText(mantissa + 1, places).toDouble())
                << half.toStdString();
        }
    }
}

TEST(RoundPriceColumn, RoundsEveryRowInOneStatement)
{
    QTemporaryDir dir;
    db::Connection connection(dir.filePath("p.db"), db::OpenMode::Create);
    connection.exec("CREATE TABLE t (Price REAL)");
    connection.exec("INSERT INTO t VALUES (1.234), (1234), (2.5)");
    ASSERT_TRUE(RoundPriceColumn(connection, "t", "Price", 2));
    EXPECT_DOUBLE_EQ(connection.scalar("SELECT Price FROM t WHERE rowid=1").toDouble(), 1.23);
    ASSERT_TRUE(RoundPriceColumn(connection, "t", "Price", -2));
    EXPECT_DOUBLE_EQ(connection.scalar("SELECT Price FROM t WHERE rowid=2").toDouble(), 1200);
    EXPECT_DOUBLE_EQ(connection.scalar("SELECT Price FROM t WHERE rowid=3").toDouble(), 0);
    EXPECT_FALSE(RoundPriceColumn(connection, "missing", "Price", 2));
    EXPECT_FALSE(RoundPriceColumn(connection, "t; DROP TABLE t", "Price", 2));
    EXPECT_TRUE(connection.tableExists("t"));
}

TEST(ColumnSpec, TextAndNumbers)
{
    struct Case {
        qint64 spec;
        QString text;
        int groups;
    };
    const Case cases[] = {
        {0, QStringLiteral("Нет"), 1},
        {3, QStringLiteral("C"), 1},
        {305, QStringLiteral("C+E"), 2},
        {10203, QStringLiteral("A+B+C"), 3},
        {1020304, QStringLiteral("A+B+C+D"), 4},
        {100000003, QStringLiteral("C (Hiper)"), 0},
        {100000027, QStringLiteral("AA (Hiper)"), 0},
        {2627, QStringLiteral("Z+AA"), 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ColumnSpecToText(c.spec), c.text) << c.spec;
        EXPECT_EQ(TextToColumnSpec(c.text), c.spec) << c.text.toStdString();
        EXPECT_EQ(ColumnSpecGroupCount(c.spec), c.groups) << c.spec;
    }
    EXPECT_EQ(TextToColumnSpec(QString()), 0);
    EXPECT_EQ(ColumnSpecGroup(305, 1), 5);
    EXPECT_EQ(ColumnSpecGroup(305, 2), 3);
    EXPECT_EQ(ColumnSpecGroup(305, 0), 0);
    EXPECT_EQ(ColumnSpecGroup(100000007, 1), 7);
    EXPECT_EQ(ColumnSpecGroup(0, 1), 0);
}

TEST(ColumnSpec, Letters)
{
    const std::pair<int, const char*> cases[] = {{1, "A"}, {26, "Z"}, {27, "AA"}, {52, "AZ"}, {53, "BA"}, {0, ""}};
    for (const auto& [column, letters] : cases)
        EXPECT_EQ(ColumnToLetters(column), QString::fromLatin1(letters)) << column;
}

TEST(ValueHelpers, DatesAndElapsedTime)
{
    EXPECT_EQ(DateToDottedText(QDateTime(QDate(2026, 3, 7), QTime(23, 59))), QStringLiteral("07.03.2026"));
    ElapsedTimer timer;
    const QDateTime start(QDate(2026, 1, 1), QTime(10, 0));
    EXPECT_EQ(timer.ElapsedTimeText(true, start), QStringLiteral("00:00:00"));
    EXPECT_EQ(timer.ElapsedTimeText(false, start.addSecs(3725)), QStringLiteral("01:02:05"));
    EXPECT_EQ(timer.ElapsedTimeText(false, start.addSecs(25 * 3600)), QStringLiteral("01:00:00"));
}

TEST(RussianCount, TheNounAgreesWithTheNumber)
{
    const struct {
        qint64 n;
        const char* text;
    } cases[] = {{0, "0 прайс-листов"},    {1, "1 прайс-лист"},     {2, "2 прайс-листа"},   {4, "4 прайс-листа"},
                 {5, "5 прайс-листов"},    {11, "11 прайс-листов"}, {12, "12 прайс-листов"}, {14, "14 прайс-листов"},
                 {21, "21 прайс-лист"},    {22, "22 прайс-листа"},  {111, "111 прайс-листов"},
                 {1001, "1001 прайс-лист"}};
    for (const auto& c : cases)
        EXPECT_EQ(velmora::RussianCount(c.n, QStringLiteral("прайс-лист"), QStringLiteral("прайс-листа"),
                                        QStringLiteral("прайс-листов")),
                  QString::fromUtf8(c.text))
            << c.n;
}
