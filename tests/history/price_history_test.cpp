// The price history's statements: loads, deletes, searches read in chunks.
#include "history_test_support.h"

#include "suppliers/history/price_history.h"

namespace velmora::history::test {
namespace {

QStringList tovarOf(const QVector<HistoryRow>& rows)
{
    QStringList names;
    for (const HistoryRow& row : rows)
        names << row.tovar;
    return names;
}

// Every row of a result, read `chunk` rows at a time.
QVector<HistoryRow> readAll(db::Connection& priceDb, const HistoryResult& result, int chunk)
{
    QVector<HistoryRow> rows;
    for (;;) {
        const QVector<HistoryRow> more =
            result.fetch(priceDb, rows.isEmpty() ? std::nullopt : std::optional(rows.constLast()), chunk);
        rows += more;
        if (more.size() < chunk)
            return rows;
    }
}

TEST_F(ThreeLoadsTest, LoadsNewestFirstAndDeletedByTheStampAsRead)
{
    const QVector<StoredLoad> listed = ReadStoredLoads(priceDb, kSupplier);
    ASSERT_EQ(listed.size(), 3);
    EXPECT_EQ(listed[0].countTovar, 3);
    EXPECT_EQ(listed[2].countTovar, 2);
    EXPECT_EQ(LoadStampText(listed[0].dates), QStringLiteral("03.03.2025 10:15:30"));
    EXPECT_EQ(DeleteLoadQuestion(listed[0].dates), QStringLiteral("Удалить прайс \"03.03.2025 10:15:30\" из базы?"));
    EXPECT_EQ(LoadStampText(db::dayNumberTime(QDateTime(QDate(2025, 3, 1), QTime(0, 0)))), QStringLiteral("01.03.2025"));

    // The stamp goes back exactly as it was read: the load's rows go, the
    // other supplier's at the same moment stay.
    DeleteStoredLoad(priceDb, kSupplier, listed[0].dates);
    EXPECT_EQ(ReadStoredLoads(priceDb, kSupplier).size(), 2);
    EXPECT_EQ(stored(QStringLiteral("Другой")), 1);
    EXPECT_TRUE(HasStoredOffers(priceDb, kSupplier));
    DeleteWholeHistory(priceDb, kSupplier);
    EXPECT_TRUE(ReadStoredLoads(priceDb, kSupplier).isEmpty());
    EXPECT_FALSE(HasStoredOffers(priceDb, kSupplier));
    EXPECT_EQ(stored(QStringLiteral("Другой")), 1);
    EXPECT_EQ(ClearHistoryQuestion(kSupplier),
              QStringLiteral("Очистить историю загруженный прайс-листов\rпо поставщику \"O'Neil\" ?"));
}

TEST_F(ThreeLoadsTest, SearchesBindTheirTextAndKeepTheWildcards)
{
    struct Case {
        const char* text;
        int found;
    };
    const Case cases[] = {
        {"", 8},          // the whole history of the supplier
        {"  ", 8},
        {"O'Neil", 2},    // a quote is just a character
        {"o'1", 2},       // the article, without case
        {"яблоко", 3},    // Cyrillic without case
        {"50%_ск", 2},    // "%" and "_" are wildcards
        {"Я%о", 3},
        {"нет такого", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(readAll(priceDb, HistoryResult::search(kSupplier, QString::fromUtf8(c.text), false), 100).size(),
                  c.found)
            << c.text;
}

TEST_F(ThreeLoadsTest, ResultsReadInChunksAsInOneGo)
{
    for (const bool byName : {false, true}) {
        SCOPED_TRACE(byName ? "by name" : "by ID");
        const HistoryResult all = HistoryResult::search(kSupplier, QString(), byName);
        const QVector<HistoryRow> whole = readAll(priceDb, all, 1000);
        const QVector<HistoryRow> chunked = readAll(priceDb, all, 3);
        EXPECT_EQ(tovarOf(chunked), tovarOf(whole));
        ASSERT_EQ(whole.size(), 8);
        for (qsizetype i = 1; i < whole.size(); ++i) {
            if (byName)
                EXPECT_LE(whole[i - 1].tovar.localeAwareCompare(whole[i].tovar), 0);
            else
                EXPECT_LT(whole[i - 1].id, whole[i].id);
        }
    }
    const QVector<HistoryRow> first = readAll(priceDb, HistoryResult::oneLoad(kSupplier, loads[0], true), 1);
    EXPECT_EQ(tovarOf(first), (QStringList{QStringLiteral("Арбуз"), QStringLiteral("Яблоко")}));
}

} // namespace
} // namespace velmora::history::test
