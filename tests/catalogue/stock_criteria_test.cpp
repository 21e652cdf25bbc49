// Stock criteria: the two lists of stock texts, the texts in neither, the
// switches of KritSklad and the judging of the combined price's offers.
#include "../common/program_databases.h"
#include "catalogue/stock/stock_criteria.h"
#include "storage/settings_store.h"

using namespace velmora;
using namespace velmora::catalogue;
using namespace velmora::testing;

namespace {

class StockCriteriaTest : public ProgramDatabasesTest {
protected:
    void addOffer(const QVariant& sklad, const QString& obrab = QStringLiteral("Mark"))
    {
        db::Statement insert = priceDb.prepare(QStringLiteral(
            "INSERT INTO svod (Art, Tovar, Price, Pricemax, Postavshik, Code_sootv, Obrab, Dates, Garant, Sklad) "
            "VALUES ('A', 'Товар', 1, 1, 'ООО Альфа', 1, ?1, 0, '', ?2)"));
        insert.bind(1, obrab).bind(2, sklad);
        insert.execute();
    }
    QStringList texts(StockList list)
    {
        QStringList out;
        for (const StockCriterion& c : readStockCriteria(priceDb, list))
            out << c.text;
        return out;
    }
    qint64 idOf(const QString& text)
    {
        return priceDb.scalar(QStringLiteral("SELECT ID FROM Price_Sklad WHERE Text = ?1"), {text}).toLongLong();
    }
};

TEST_F(StockCriteriaTest, ATextStandsInOneListOnlyWhateverItsCase)
{
    // Kept without the blanks around it.
    ASSERT_EQ(addStockCriterion(priceDb, StockList::Presence, QStringLiteral(" В наличии ")), StockEdit::Done);
    struct Case {
        const char* what;
        std::function<StockEdit()> edit;
        StockEdit result;
    };
    const Case cases[] = {
        {"same text, other list, other case",
         [&] { return addStockCriterion(priceDb, StockList::Absence, QStringLiteral("в НАЛИЧИИ")); },
         StockEdit::Duplicate},
        {"same text, same list",
         [&] { return addStockCriterion(priceDb, StockList::Presence, QStringLiteral("В наличии")); },
         StockEdit::Duplicate},
        {"same text with a trailing blank and a no-break space",
         [&] { return addStockCriterion(priceDb, StockList::Absence, QStringLiteral("\u00a0В наличии ")); },
         StockEdit::Duplicate},
        {"empty text", [&] { return addStockCriterion(priceDb, StockList::Absence, QString()); }, StockEdit::Nothing},
        {"blank text", [&] { return addStockCriterion(priceDb, StockList::Absence, QStringLiteral("  ")); },
         StockEdit::Nothing},
        {"a row to its own text",
         [&] { return changeStockCriterion(priceDb, idOf(QStringLiteral("В наличии")), QStringLiteral("В наличии")); },
         StockEdit::Duplicate},
        {"no current row", [&] { return changeStockCriterion(priceDb, 0, QStringLiteral("есть")); }, StockEdit::Nothing},
        {"a row to an empty text",
         [&] { return changeStockCriterion(priceDb, idOf(QStringLiteral("В наличии")), QString()); },
         StockEdit::Nothing},
        {"a new text", [&] { return addStockCriterion(priceDb, StockList::Absence, QStringLiteral("нет")); },
         StockEdit::Done},
        {"a row to a new text",
         [&] { return changeStockCriterion(priceDb, idOf(QStringLiteral("В наличии")), QStringLiteral("есть")); },
         StockEdit::Done},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.edit(), c.result) << c.what;
    EXPECT_EQ(texts(StockList::Presence), QStringList{QStringLiteral("есть")});
    EXPECT_EQ(texts(StockList::Absence), QStringList{QStringLiteral("нет")});
    deleteStockCriterion(priceDb, idOf(QStringLiteral("нет")));
    EXPECT_TRUE(texts(StockList::Absence).isEmpty());
}

TEST_F(StockCriteriaTest, MissingTextsAreTheStockTextsInNeitherList)
{
    for (const QVariant& sklad :
         {QVariant(QStringLiteral("есть")), QVariant(QStringLiteral("Есть")), QVariant(QStringLiteral("есть ")),
          QVariant(QStringLiteral("под заказ")), QVariant(QStringLiteral("\tпод заказ")), QVariant(),
          QVariant(QStringLiteral(" ")), QVariant(QStringLiteral("ожидается"))})
        addOffer(sklad);
    // "есть", "Есть" and "есть " are one text, listed without its blank; no
    // stock text is never listed.
    const QStringList before = missingStockTexts(priceDb);
    ASSERT_EQ(before.size(), 3) << before.join(u'|').toStdString();
    EXPECT_EQ(before.at(0).toLower(), QStringLiteral("есть"));
    EXPECT_EQ(before.at(1), QStringLiteral("ожидается"));
    EXPECT_EQ(before.at(2), QStringLiteral("под заказ"));
    addStockCriterion(priceDb, StockList::Presence, QStringLiteral("есть"));
    EXPECT_EQ(missingStockTexts(priceDb), (QStringList{QStringLiteral("ожидается"), QStringLiteral("под заказ")}));
    addStockCriterion(priceDb, StockList::Absence, QStringLiteral("ПОД ЗАКАЗ"));
    // A criterion kept with a blank before texts were trimmed matches too.
    priceDb.exec(QStringLiteral("INSERT INTO Price_Sklad (Sklad, Text) VALUES ('No', 'ожидается ')"));
    EXPECT_TRUE(missingStockTexts(priceDb).isEmpty());
    EXPECT_EQ(addStockCriterion(priceDb, StockList::Presence, QStringLiteral("ожидается")), StockEdit::Duplicate);
}

TEST_F(StockCriteriaTest, FreshDatabaseStoresAllThreeDefaultsTogether)
{
    SettingsStore settings(orderDb);
    const StockSwitches switches = readStockSwitches(settings);
    EXPECT_FALSE(switches.apply);
    EXPECT_EQ(switches.judgeBy, StockList::Presence);
    EXPECT_TRUE(switches.noTextInStock);
    EXPECT_EQ(queryRows(orderDb, QStringLiteral("SELECT TypeBoolean, TypeText, TypeInteger FROM settings "
                                                "WHERE ParName = 'KritSklad'")),
              QStringList{QStringLiteral("0|Yes|1")});
}

TEST_F(StockCriteriaTest, SwitchesWriteTheirValues)
{
    SettingsStore settings(orderDb);
    readStockSwitches(settings);
    auto stored = [&] {
        return queryRows(orderDb, QStringLiteral("SELECT TypeBoolean, TypeText, TypeInteger FROM settings "
                                                 "WHERE ParName = 'KritSklad'"))
            .value(0);
    };
    writeStockApply(settings, true);
    EXPECT_EQ(stored(), QStringLiteral("1|Yes|1"));
    writeStockJudgeBy(settings, StockList::Absence);
    writeStockNoTextInStock(settings, false);
    EXPECT_EQ(stored(), QStringLiteral("1|No|0"));
    const StockSwitches read = readStockSwitches(settings);
    EXPECT_TRUE(read.apply);
    EXPECT_EQ(read.judgeBy, StockList::Absence);
    EXPECT_FALSE(read.noTextInStock);
    writeStockApply(settings, false);
    EXPECT_EQ(stored(), QStringLiteral("0|No|0"));
}

TEST_F(StockCriteriaTest, JudgingTheOffersStockTexts)
{
    struct Case {
        const char* what;
        StockList judgeBy;
        QStringList presence;
        QStringList absence;
        bool noTextInStock;
        QVariant sklad;
        const char* obrab; // after judging; "Mark" is unchanged
    };
    const QStringList yes{QStringLiteral("есть")};
    const QStringList no{QStringLiteral("нет")};
    const Case cases[] = {
        {"in the presence list, other case", StockList::Presence, yes, no, true, QStringLiteral("Есть"), "Mark"},
        {"in the presence list with a trailing blank", StockList::Presence, yes, no, true, QStringLiteral("есть "),
         "Mark"},
        {"not in the presence list", StockList::Presence, yes, no, true, QStringLiteral("нет"), "False"},
        {"no text counts as in stock: kept", StockList::Presence, yes, no, true, QVariant(), "Mark"},
        {"no text counts as not in stock", StockList::Presence, yes, no, false, QVariant(), "False"},
        {"a blank text is no text", StockList::Presence, yes, no, true, QStringLiteral("  "), "Mark"},
        {"empty presence list", StockList::Presence, {}, {}, true, QStringLiteral("есть"), "False"},
        {"in the absence list, other case", StockList::Absence, yes, no, true, QStringLiteral("НЕТ"), "False"},
        {"in the absence list between blanks", StockList::Absence, yes, no, true, QStringLiteral(" нет\u00a0"),
         "False"},
        {"not in the absence list", StockList::Absence, yes, no, true, QStringLiteral("есть"), "Mark"},
        {"absence mode, no text, integer 0", StockList::Absence, yes, no, false, QVariant(), "False"},
    };
    for (const Case& c : cases) {
        priceDb.exec(QStringLiteral("DELETE FROM svod; DELETE FROM Price_Sklad"));
        for (const QString& text : c.presence)
            addStockCriterion(priceDb, StockList::Presence, text);
        for (const QString& text : c.absence)
            addStockCriterion(priceDb, StockList::Absence, text);
        addOffer(c.sklad);
        ApplyStockCriteria(priceDb, StockSwitches{true, c.judgeBy, c.noTextInStock});
        EXPECT_EQ(priceDb.scalar(QStringLiteral("SELECT Obrab FROM svod")).toString(), QLatin1String(c.obrab))
            << c.what;
    }
}

TEST_F(StockCriteriaTest, JudgingIsOffWhileTheSwitchIsOff)
{
    addOffer(QStringLiteral("нет"));
    addOffer(QVariant());
    ApplyStockCriteria(priceDb, StockSwitches{false, StockList::Presence, true});
    EXPECT_EQ(queryRows(priceDb, QStringLiteral("SELECT Obrab FROM svod")),
              (QStringList{QStringLiteral("Mark"), QStringLiteral("Mark")}));
}

TEST_F(StockCriteriaTest, FailedJudgingLeavesTheOffersAsTheyWereInsideTheCallersTransaction)
{
    addOffer(QStringLiteral("нет"));
    addOffer(QVariant());
    priceDb.exec(QStringLiteral("CREATE TRIGGER refuse_no_text BEFORE UPDATE OF Obrab ON svod WHEN OLD.Sklad IS NULL "
                                "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    db::Transaction callers(priceDb);
    priceDb.exec(QStringLiteral("UPDATE svod SET Garant = '12'"));
    EXPECT_ANY_THROW(ApplyStockCriteria(priceDb, StockSwitches{true, StockList::Presence, false}));
    // The judging is undone; what the caller did before stays for it to commit.
    EXPECT_EQ(queryRows(priceDb, QStringLiteral("SELECT Obrab, Garant FROM svod")),
              (QStringList{QStringLiteral("Mark|12"), QStringLiteral("Mark|12")}));
    callers.commit();
}

} // namespace
