// Matching supplier items to own goods: the rule, the criteria search, the
// criteria and exclusion commands, ticks and the correspondence commands.
#include "catalogue/matching/correspondence.h"
#include "catalogue/matching/criteria_lists.h"
#include "catalogue/matching/criteria_search.h"
#include "catalogue/matching/remainder_scan.h"
#include "matching_test_support.h"

using namespace velmora;
using namespace velmora::catalogue;
using namespace velmora::testing;

namespace {

constexpr qint64 kGood = 10;
constexpr qint64 kOtherGood = 20;

CriteriaWords words(std::initializer_list<const char*> list)
{
    CriteriaWords out;
    size_t i = 0;
    for (const char* w : list)
        out.at(i++) = QString::fromUtf8(w);
    return out;
}

// The remainder for the search cases, Numbers 1 to 8.
class CriteriaSearchTest : public MatchingTest {
protected:
    void SetUp() override
    {
        MatchingTest::SetUp();
        for (const char* name : {"Память DDR4 RAM 8Gb", "PROGRAM box", "Кабель USB 2м", "кабель HDMI",
                                 "Кабель USB удлинитель", "Кабель O'Neil", "Кабель патч-корд () 0,5м"})
            addItem(QString::fromUtf8(name));
        addItem(QVariant()); // an item without a name
    }

    QList<qint64> listed()
    {
        CriteriaSearchResult result = runCriteriaSearch(priceDb, kGood);
        QList<qint64> numbers;
        for (const RemainderItem& item : result.fetch(100))
            numbers << item.number;
        EXPECT_TRUE(result.atEnd());
        return numbers;
    }
};

TEST_F(CriteriaSearchTest, ItemsListedForCriteriaRowsAndExclusions)
{
    struct Case {
        const char* what;
        QList<CriteriaWords> criteria;
        QStringList exclusions;
        QList<qint64> listed;
    };
    const Case cases[] = {
        {"inside a longer word, any case", {words({"ram"})}, {}, {1, 2}},
        {"a blank before the word counts", {words({" RAM"})}, {}, {1}},
        {"mixed-case Cyrillic and Latin", {words({"КАБЕЛЬ", "usb"})}, {}, {3, 5}},
        {"an exclusion", {words({"КАБЕЛЬ", "usb"})}, {QStringLiteral("удлин")}, {3}},
        {"any of two rows", {words({"кабель", "hdmi"}), words({"ddr4"})}, {}, {1, 4}},
        {"no criteria row: all less the exclusions", {}, {QStringLiteral("кабель")}, {1, 2}},
        {"no criteria row, no exclusion", {}, {}, {1, 2, 3, 4, 5, 6, 7}},
        {"a row of empty words", {words({})}, {QStringLiteral("program")}, {1, 3, 4, 5, 6, 7}},
        {"\"_\" stands for one character", {words({"к_бель", "u_b"})}, {}, {3, 5}},
        {"\"%\" stands for any run", {words({"usb%2м"})}, {}, {3}},
        {"an apostrophe matches itself", {words({"O'Neil"})}, {}, {6}},
        {"an apostrophe in an exclusion", {words({"кабель"})}, {QStringLiteral("o'neil")}, {3, 4, 5, 7}},
        {"an empty exclusion excludes nothing", {words({"кабель"})}, {QString()}, {3, 4, 5, 6, 7}},
        {"words in any order", {words({"box", "PRO"})}, {}, {2}},
        {"a word that stands nowhere", {words({"кабель", "vga"})}, {}, {}},
    };
    for (const Case& c : cases) {
        priceDb.exec(QStringLiteral("DELETE FROM krit; DELETE FROM kritiskl"));
        for (const CriteriaWords& row : c.criteria)
            addCriteria(kGood, row);
        for (const QString& word : c.exclusions)
            addExclusionWord(kGood, word);
        addCriteria(kOtherGood, words({"box"})); // another good's rows play no part
        EXPECT_EQ(listed(), c.listed) << c.what;
    }
}

TEST_F(CriteriaSearchTest, TheMatcherAgreesOnNamesInMemoryFoldedOrNot)
{
    const CriteriaMatcher matcher({words({"КАБЕЛЬ", "usb"}), words({"ddr_"})}, {QStringLiteral("удлин")});
    struct Case {
        const char* name;
        bool matches;
    };
    const Case cases[] = {{"Память DDR4 RAM 8Gb", true},   {"кабель usb", true}, {"Кабель USB удлинитель", false},
                          {"КАБЕЛЬ HDMI", false},          {"ddr", false},       {"ЁЛКА КАБЕЛЬ-USB", true}};
    for (const Case& c : cases) {
        const QString name = QString::fromUtf8(c.name);
        EXPECT_EQ(matcher.matches(name), c.matches) << c.name;
        std::string buffer;
        const std::string utf8 = name.toUtf8().toStdString();
        EXPECT_EQ(matcher.matchesFolded(CriteriaMatcher::foldName(utf8, buffer)), c.matches) << c.name;
    }
    EXPECT_FALSE(matcher.matches(QString()));
    EXPECT_TRUE(CriteriaMatcher({}, {}).matchesEveryName());
    EXPECT_FALSE(CriteriaMatcher({}, {QStringLiteral("x")}).matchesEveryName());
}

TEST_F(CriteriaSearchTest, ResultsAreReadChunkByChunkInNumberOrder)
{
    CriteriaSearchResult result = runCriteriaSearch(priceDb, kGood); // no criteria: every named item
    QList<qint64> numbers;
    for (const RemainderItem& item : result.fetch(3))
        numbers << item.number;
    EXPECT_EQ(numbers, (QList<qint64>{1, 2, 3}));
    EXPECT_FALSE(result.atEnd());
    priceDb.exec(QStringLiteral("DELETE FROM price_all WHERE Number = 4")); // moved away meanwhile
    numbers.clear();
    for (const RemainderItem& item : result.fetch(3))
        numbers << item.number;
    EXPECT_EQ(numbers, (QList<qint64>{5, 6, 7}));
    EXPECT_TRUE(result.fetch(3).isEmpty());
    EXPECT_TRUE(result.atEnd());
}

TEST_F(CriteriaSearchTest, SearchClearsTicksAndLetsEveryItemTakePartWritingOnlyWhatDiffers)
{
    priceDb.exec(QStringLiteral("UPDATE price_all SET Check_sootv = 'true' WHERE Number = 2;"
                                "UPDATE price_all SET Check_obrab = 'false' WHERE Number = 3;"
                                "UPDATE price_all SET Check_sootv = 'False', Check_obrab = 'TRUE' WHERE Number = 4;"
                                "UPDATE price_all SET Check_sootv = NULL WHERE Number = 5;"
                                "CREATE TEMP TABLE written (Number INTEGER);"
                                "CREATE TEMP TRIGGER log_writes AFTER UPDATE ON price_all "
                                "BEGIN INSERT INTO written VALUES (NEW.Number); END"));
    EXPECT_EQ(listed(), (QList<qint64>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(rows("SELECT Number FROM written ORDER BY Number"), (QStringList{"2", "3", "5"}));
    EXPECT_TRUE(rows("SELECT Number FROM price_all WHERE Check_sootv = 'true' OR Check_obrab = 'false'").isEmpty());
    priceDb.exec(QStringLiteral("DELETE FROM written"));
    listed();
    EXPECT_TRUE(rows("SELECT Number FROM written").isEmpty());
}

// A remainder spread over a wide range of Numbers is scanned in ranges side
// by side: the items, their order and the chunks are those of one scan.
TEST_F(MatchingTest, RangesScannedSideBySideListWhatOneScanLists)
{
    db::Statement insert = priceDb.prepare(QStringLiteral(
        "INSERT INTO price_all (Number, Tovar, Postavshik, Check_sootv, Check_obrab) VALUES (?1, ?2, 'А', 'false', ?3)"));
    for (int i = 1; i <= 600; ++i) {
        insert.bindInt(1, qint64(i) * 997);
        insert.bindText(2, i % 3 == 0 ? QStringLiteral("Кабель USB %1").arg(i) : QStringLiteral("Шнур %1").arg(i));
        insert.bindText(3, i % 50 == 0 ? QStringLiteral("false") : QStringLiteral("true")); // a few kept out
        insert.execute();
        insert.reset();
    }
    const CriteriaMatcher matcher({words({"кабель"})}, {QStringLiteral("USB 3")});
    auto scanAll = [&](int chunk) {
        QList<qint64> numbers;
        qint64 after = 0;
        for (;;) {
            const RemainderScan scan = scanRemainder(priceDb, matcher, after, chunk);
            EXPECT_LE(scan.numbers.size(), chunk);
            numbers += scan.numbers;
            after = scan.lastNumber;
            if (scan.atEnd)
                return numbers;
            EXPECT_EQ(scan.numbers.size(), chunk) << "only the last chunk is short";
        }
    };
    QList<qint64> expected;
    for (int i = 3; i <= 600; i += 3)
        if (i % 50 != 0 && !QStringLiteral("Кабель USB %1").arg(i).contains(QStringLiteral("USB 3")))
            expected << qint64(i) * 997;
    for (const int chunk : {1, 7, 50, 1000})
        EXPECT_EQ(scanAll(chunk), expected) << chunk;
    // Inside a transaction the scan keeps to its own connection, with the same result.
    db::Transaction transaction(priceDb);
    EXPECT_EQ(scanAll(7), expected);
}

class CriteriaListsTest : public MatchingTest {
protected:
    QStringList criteria(qint64 good)
    {
        QStringList out;
        for (const CriteriaRow& row : readCriteriaRows(priceDb, good))
            out << QStringList(row.words.begin(), row.words.end()).join(u'/');
        return out;
    }
    QStringList exclusions(qint64 good)
    {
        QStringList out;
        for (const ExclusionRow& row : readExclusionRows(priceDb, good))
            out << row.word;
        return out;
    }
};

TEST_F(CriteriaListsTest, AddingAnExistingRowLeavesOneAndReportsIt)
{
    EXPECT_EQ(addCriteriaRow(priceDb, kGood, words({"кабель", "usb"})).status, QString());
    EXPECT_EQ(addCriteriaRow(priceDb, kOtherGood, words({"кабель", "usb"})).status, QString()); // another good
    const ListEdit again = addCriteriaRow(priceDb, kGood, words({"Кабель", "USB"}));
    EXPECT_TRUE(again.done);
    EXPECT_EQ(again.status, QStringLiteral("Удалены повторяющиеся критерии: выбора - 1"));
    EXPECT_EQ(criteria(kGood), QStringList{"Кабель/USB///"});
    EXPECT_EQ(criteria(kOtherGood), QStringList{"кабель/usb///"});

    EXPECT_FALSE(addCriteriaRow(priceDb, kGood, words({})).done); // all five empty: nothing happens
    EXPECT_EQ(criteria(kGood).size(), 1);

    addExclusion(priceDb, kGood, QStringLiteral("удлин"));
    EXPECT_EQ(addExclusion(priceDb, kGood, QStringLiteral("удлин")).status,
              QStringLiteral("Удалены повторяющиеся критерии: исключения - 1"));
    EXPECT_FALSE(addExclusion(priceDb, kGood, QString()).done);
    EXPECT_EQ(exclusions(kGood), QStringList{"удлин"});
}

TEST_F(CriteriaListsTest, ReplaceAndDeleteWorkOnTheCurrentRow)
{
    addCriteriaRow(priceDb, kGood, words({"кабель"}));
    addCriteriaRow(priceDb, kGood, words({"шнур"}));
    const qint64 first = readCriteriaRows(priceDb, kGood).at(0).rowid;
    replaceCriteriaRow(priceDb, kGood, first, words({"провод", "usb"}));
    EXPECT_EQ(criteria(kGood), (QStringList{"шнур////", "провод/usb///"}));
    // Replacing with the words of another row leaves that one row.
    const qint64 second = readCriteriaRows(priceDb, kGood).at(1).rowid;
    EXPECT_EQ(replaceCriteriaRow(priceDb, kGood, second, words({"шнур"})).status,
              QStringLiteral("Удалены повторяющиеся критерии: выбора - 1"));
    EXPECT_EQ(criteria(kGood), QStringList{"шнур////"});

    EXPECT_EQ(deleteCriteriaRow(priceDb, kGood, readCriteriaRows(priceDb, kGood).at(0).rowid).status, QString());
    EXPECT_EQ(deleteCriteriaRow(priceDb, kGood, 0).status, QStringLiteral("Критерии отсутствуют, удаление невозможно."));
    EXPECT_EQ(deleteExclusion(priceDb, kGood, 0).status, QStringLiteral("Критерии отсутствуют, удаление невозможно."));

    addExclusion(priceDb, kGood, QStringLiteral("удлин"));
    replaceExclusion(priceDb, kGood, readExclusionRows(priceDb, kGood).at(0).rowid, QStringLiteral("перех"));
    EXPECT_EQ(exclusions(kGood), QStringList{"перех"});
    // A row of another good is never the current row of this one.
    addCriteriaRow(priceDb, kOtherGood, words({"чужой"}));
    deleteCriteriaRow(priceDb, kGood, readCriteriaRows(priceDb, kOtherGood).at(0).rowid);
    EXPECT_EQ(criteria(kOtherGood), QStringList{"чужой////"});
}

TEST_F(CriteriaListsTest, BufferCopiedOntoTheSameGoodCollapsesBackAndReportsTheGroups)
{
    addCriteriaRow(priceDb, kGood, words({"кабель", "usb"}));
    addCriteriaRow(priceDb, kGood, words({"шнур"}));
    addExclusion(priceDb, kGood, QStringLiteral("удлин"));
    const ListEdit copy = copyCriteriaFromBuffer(priceDb, kGood, kGood);
    EXPECT_EQ(copy.status, QStringLiteral("Удалены повторяющиеся критерии: выбора - 2;  исключения - 1"));
    QStringList sorted = criteria(kGood);
    sorted.sort();
    EXPECT_EQ(sorted, (QStringList{"кабель/usb///", "шнур////"}));
    EXPECT_EQ(exclusions(kGood), QStringList{"удлин"});

    // Onto another good with nothing in common: copied, nothing to report.
    const ListEdit other = copyCriteriaFromBuffer(priceDb, kGood, kOtherGood);
    EXPECT_TRUE(other.done);
    EXPECT_EQ(other.status, QString());
    EXPECT_EQ(criteria(kOtherGood).size(), 2);
    EXPECT_FALSE(copyCriteriaFromBuffer(priceDb, 0, kOtherGood).done); // an empty buffer
}

class CorrespondenceTest : public MatchingTest {
protected:
    void SetUp() override
    {
        MatchingTest::SetUp();
        alphaUsb = addItem(QStringLiteral("Кабель USB"));
        alphaUsbAgain = addItem(QStringLiteral("кабель usb"), QStringLiteral("ООО Альфа"));
        alphaHdmi = addItem(QStringLiteral("Кабель HDMI"));
        betaHdmi = addItem(QStringLiteral("Кабель HDMI"), QStringLiteral("ООО Бета"));
    }
    QStringList sootv() const { return rows("SELECT Code, Tovar, Postavshik FROM sootv ORDER BY Code, rowid"); }
    QStringList svod() const
    {
        return rows("SELECT Code_sootv, Tovar, Postavshik, Obrab, printf('%g', Price) FROM svod ORDER BY Code_sootv, rowid");
    }
    QStringList remainder() const
    {
        return rows("SELECT Tovar, Postavshik, Check_sootv, Check_obrab FROM price_all ORDER BY Number");
    }
    void addMatched(qint64 good, const QString& tovar, const QString& postavshik)
    {
        db::Statement s = priceDb.prepare(
            QStringLiteral("INSERT INTO sootv (Code, Art, Tovar, Postavshik) VALUES (?1, 'S', ?2, ?3)"));
        s.bindInt(1, good).bindText(2, tovar).bindText(3, postavshik);
        s.execute();
        db::Statement v = priceDb.prepare(QStringLiteral(
            "INSERT INTO svod (Art, Tovar, Price, Pricemax, Postavshik, Code_sootv, Obrab, Dates, Garant, Sklad) "
            "VALUES ('S', ?2, 5, 6, ?3, ?1, 'True', 44000, '', 'нет')"));
        v.bindInt(1, good).bindText(2, tovar).bindText(3, postavshik);
        v.execute();
    }

public:
    qint64 alphaUsb = 0, alphaUsbAgain = 0, alphaHdmi = 0, betaHdmi = 0;
};

TEST_F(CorrespondenceTest, AtMostOneNamePerSupplierCanBeTicked)
{
    struct Case {
        const char* what;
        qint64 CorrespondenceTest::*item;
        bool tick;
        bool allowed;
    };
    const Case cases[] = {
        {"a first item", &CorrespondenceTest::alphaUsb, true, true},
        {"the same name again, in another case", &CorrespondenceTest::alphaUsbAgain, true, true},
        {"another name of the same supplier", &CorrespondenceTest::alphaHdmi, true, false},
        {"that name of another supplier", &CorrespondenceTest::betaHdmi, true, true},
        {"unticking", &CorrespondenceTest::alphaUsb, false, true},
        {"unticking the other", &CorrespondenceTest::alphaUsbAgain, false, true},
        {"the other name, once the first is unticked", &CorrespondenceTest::alphaHdmi, true, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tickRemainderItem(priceDb, this->*c.item, c.tick), c.allowed) << c.what;
    EXPECT_EQ(remainder(), (QStringList{"Кабель USB|ООО Альфа|false|true", "кабель usb|ООО Альфа|false|true",
                                        "Кабель HDMI|ООО Альфа|true|true", "Кабель HDMI|ООО Бета|true|true"}));
    // A tick stored as "True" counts as well.
    priceDb.exec(QStringLiteral("UPDATE price_all SET Check_sootv = 'True' WHERE Check_sootv = 'true'"));
    EXPECT_FALSE(tickRemainderItem(priceDb, alphaUsb, true));
}

TEST_F(CorrespondenceTest, MovingReplacesTheTickedSuppliersCorrespondencesAndCombinedPriceRows)
{
    addMatched(kGood, QStringLiteral("Старый кабель"), QStringLiteral("ООО Альфа"));
    addMatched(kGood, QStringLiteral("Кабель Гамма"), QStringLiteral("ООО Гамма"));
    addMatched(kOtherGood, QStringLiteral("Кабель чужой"), QStringLiteral("ООО Альфа"));
    ASSERT_TRUE(tickRemainderItem(priceDb, alphaUsb, true));
    ASSERT_TRUE(tickRemainderItem(priceDb, betaHdmi, true));
    EXPECT_EQ(moveTickedItemsToGood(priceDb, kGood), 2);
    EXPECT_EQ(sootv(), (QStringList{"10|Кабель Гамма|ООО Гамма", "10|Кабель USB|ООО Альфа", "10|Кабель HDMI|ООО Бета",
                                    "20|Кабель чужой|ООО Альфа"}));
    EXPECT_EQ(svod(), (QStringList{"10|Кабель Гамма|ООО Гамма|True|5", "10|Кабель USB|ООО Альфа|false|10",
                                   "10|Кабель HDMI|ООО Бета|false|10", "20|Кабель чужой|ООО Альфа|True|5"}));
    EXPECT_EQ(remainder(), (QStringList{"кабель usb|ООО Альфа|false|true", "Кабель HDMI|ООО Альфа|false|true"}));
}

TEST_F(CorrespondenceTest, AFailedMoveLeavesEveryTableAsItWas)
{
    addMatched(kGood, QStringLiteral("Старый кабель"), QStringLiteral("ООО Альфа"));
    ASSERT_TRUE(tickRemainderItem(priceDb, alphaUsb, true));
    const QStringList before = sootv() + svod() + remainder();
    priceDb.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE DELETE ON price_all BEGIN SELECT RAISE(ABORT, 'x'); END"));
    EXPECT_ANY_THROW(moveTickedItemsToGood(priceDb, kGood));
    EXPECT_EQ(sootv() + svod() + remainder(), before);
}

TEST_F(CorrespondenceTest, DeletingCorrespondencesReturnsTheirItemsToTheRemainder)
{
    priceDb.exec(QStringLiteral("DELETE FROM price_all"));
    addMatched(kGood, QStringLiteral("Кабель USB"), QStringLiteral("ООО Альфа"));
    addMatched(kGood, QStringLiteral("Кабель HDMI"), QStringLiteral("ООО Бета"));
    addMatched(kOtherGood, QStringLiteral("Шнур"), QStringLiteral("ООО Альфа"));

    deleteGoodCorrespondence(priceDb, kGood, QStringLiteral("кабель usb"), QStringLiteral("ООО Альфа"));
    EXPECT_EQ(sootv(), (QStringList{"10|Кабель HDMI|ООО Бета", "20|Шнур|ООО Альфа"}));
    EXPECT_EQ(svod(), (QStringList{"10|Кабель HDMI|ООО Бета|True|5", "20|Шнур|ООО Альфа|True|5"}));
    EXPECT_EQ(remainder(), QStringList{"Кабель USB|ООО Альфа|false|true"});
    EXPECT_EQ(rows("SELECT Art, printf('%g|%g', Price, Pricemax), Dates, Sklad FROM price_all"), QStringList{"S|5|6|44000|нет"});

    deleteGoodCorrespondences(priceDb, kGood);
    EXPECT_EQ(sootv(), QStringList{"20|Шнур|ООО Альфа"});
    EXPECT_EQ(svod(), QStringList{"20|Шнур|ООО Альфа|True|5"});
    EXPECT_EQ(remainder(), (QStringList{"Кабель USB|ООО Альфа|false|true", "Кабель HDMI|ООО Бета|false|true"}));

    clearCorrespondenceTable(priceDb);
    EXPECT_TRUE(sootv().isEmpty());
    EXPECT_TRUE(svod().isEmpty());
    EXPECT_EQ(remainder(), (QStringList{"Кабель USB|ООО Альфа|false|true", "Кабель HDMI|ООО Бета|false|true",
                                        "Шнур|ООО Альфа|false|true"}));
}

} // namespace
