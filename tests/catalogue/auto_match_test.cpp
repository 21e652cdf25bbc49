// The automatic matching: the run in its three ways, the run window's
// supplier list, the review's ticks and the accept.
#include "auto_match_reference.h"
#include "catalogue/matching/auto_match.h"
#include "catalogue/matching/auto_match_index.h"
#include "catalogue/matching/proposals.h"
#include "catalogue/matching/remainder_move.h"
#include "matching_test_support.h"

#include <random>

using namespace velmora;
using namespace velmora::catalogue;
using namespace velmora::testing;

namespace {

const QString kAlfa = QStringLiteral("ООО Альфа");
const QString kBeta = QStringLiteral("ООО Бета");

CriteriaWords words(std::initializer_list<const char*> list)
{
    CriteriaWords out;
    size_t i = 0;
    for (const char* w : list)
        out.at(i++) = QString::fromUtf8(w);
    return out;
}

class AutoMatchTest : public MatchingTest {
protected:
    void addGroup(qint64 code, qint64 parent, qint64 pos, const QString& name)
    {
        db::Statement insert = priceDb.prepare(
            QStringLiteral("INSERT INTO Tovar_tree (Code, Parent, Pos, Comment) VALUES (?1, ?2, ?3, ?4)"));
        insert.bindInt(1, code).bindInt(2, parent).bindInt(3, pos).bindText(4, name);
        insert.execute();
    }
    void addGood(qint64 code, qint64 group, const QString& tovar, bool withInfo = true)
    {
        db::Statement insert = priceDb.prepare(QStringLiteral(
            "INSERT INTO price_main (Code, Art, Kategor, Tovar, PriceBase) VALUES (?1, 'G-' || ?1, ?2, ?3, 100)"));
        insert.bindInt(1, code).bindText(2, QString::number(group)).bindText(3, tovar);
        insert.execute();
        if (withInfo) {
            db::Statement info = priceDb.prepare(
                QStringLiteral("INSERT INTO Price_Tovar_Info (Code, Comment) VALUES (?1, 'инфо ' || ?1)"));
            info.bindInt(1, code);
            info.execute();
        }
    }
    MatchingRunResult runAll(bool withWait = false)
    {
        MatchingRun run;
        run.withWait = withWait;
        return RunCriteriaMatching(priceDb, run);
    }
    MatchingRunResult runGroup(qint64 group, bool clear)
    {
        MatchingRun run;
        run.groupCode = group;
        run.withWait = true;
        run.ask = [clear](const QString&) { return clear; };
        return RunCriteriaMatching(priceDb, run);
    }
    QStringList proposals() const
    {
        return rows("SELECT Code, Number_ost FROM Sootv_All ORDER BY Code, Number_ost");
    }
    qint64 proposalRowid(qint64 code, qint64 number) const
    {
        return priceDb
            .scalar(QStringLiteral("SELECT rowid FROM Sootv_All WHERE Code = ?1 AND Number_ost = ?2"), {code, number})
            .toLongLong();
    }
};

TEST_F(AutoMatchTest, TheRuleRowByRow)
{
    struct Case {
        const char* what;
        QVariant tovar;
        QString supplierFlag;
        QList<CriteriaWords> criteria;
        QStringList exclusions;
        bool proposed;
    };
    const Case cases[] = {
        {"all words anywhere, any case", QStringLiteral("Мышь оптическая USB"), "true", {words({"мыш", "usb"})}, {}, true},
        {"a word missing", QStringLiteral("мышка PS/2"), "true", {words({"мыш", "usb"})}, {}, false},
        {"inside a longer word", QStringLiteral("PROGRAM box"), "true", {words({"ram"})}, {}, true},
        {"an exclusion removes the hit", QStringLiteral("мышь usb PS/2"), "true", {words({"мыш", "usb"})},
         {QStringLiteral("ps/2")}, false},
        {"a row of empty words takes every name", QStringLiteral("что угодно"), "true", {words({})}, {}, true},
        {"no name is never taken", QVariant(), "true", {words({})}, {}, false},
        {"an item not taking part", QStringLiteral("Мышь USB"), "false", {words({"мыш"})}, {}, false},
        {"a wildcard inside a word", QStringLiteral("кабель USB 2м"), "True", {words({"к_бель", "usb%2м"})}, {}, true},
        {"a wildcard that does not fit", QStringLiteral("кабель USB"), "true", {words({"usb%2м"})}, {}, false},
        {"either of two rows", QStringLiteral("Клавиатура"), "true", {words({"мышь"}), words({"клав"})}, {}, true},
    };
    addGood(1, 10, QStringLiteral("Товар"));
    for (const Case& c : cases) {
        priceDb.exec(QStringLiteral("DELETE FROM price_all; DELETE FROM krit; DELETE FROM kritiskl"));
        const qint64 item = addItem(c.tovar, kAlfa, QStringLiteral("false"), c.supplierFlag);
        for (const CriteriaWords& row : c.criteria)
            addCriteria(1, row);
        for (const QString& word : c.exclusions)
            addExclusionWord(1, word);
        const MatchingRunResult result = runAll();
        EXPECT_EQ(result.proposals, c.proposed ? 1 : 0) << c.what;
        EXPECT_EQ(proposals(), c.proposed ? QStringList{QStringLiteral("1|%1").arg(item)} : QStringList()) << c.what;
    }
}

TEST_F(AutoMatchTest, TwoRowsGiveOneProposalAndTwoGoodsShareAnItem)
{
    addGood(1, 10, QStringLiteral("Мышь"));
    addGood(2, 10, QStringLiteral("Мышь USB"));
    addGood(3, 10, QStringLiteral("Без критериев"));
    addCriteria(1, words({"мышь"}));
    addCriteria(1, words({"usb"}));
    addCriteria(2, words({"мышь", "usb"}));
    const qint64 x = addItem(QStringLiteral("Мышь USB"), kAlfa);
    addItem(QStringLiteral("Клавиатура"), kAlfa);
    const MatchingRunResult result = runAll();
    EXPECT_EQ(result.hitItems, 1);
    EXPECT_EQ(rows("SELECT Number, Tovar, Code, KritNum FROM Sootv_temp ORDER BY Code, rowid"),
              QStringList({QStringLiteral("%1|Мышь USB|1|5").arg(x), QStringLiteral("%1|Мышь USB|1|5").arg(x),
                           QStringLiteral("%1|Мышь USB|2|5").arg(x)}));
    EXPECT_EQ(proposals(), QStringList({QStringLiteral("1|%1").arg(x), QStringLiteral("2|%1").arg(x)}));
    // Every column, the stock text carried.
    EXPECT_EQ(rows("SELECT Code, Art, Tovar, Postavshik, Check_sootv, Price, Pricemax, Tovar_main, Dates, Garant, "
                   "Sklad FROM Sootv_All WHERE Code = 2"),
              QStringList{QStringLiteral("2|A-1|Мышь USB|ООО Альфа|true|10.0|12.0|Мышь USB|45000|12|есть")});
}

TEST_F(AutoMatchTest, TheRunAgreesWithThePlainStatementsOnAGeneratedRemainder)
{
    std::mt19937 rng(7);
    const QStringList vocabulary = {"Болт", "гайка", "DIN", "933", "М6x20", "оцинк", "Кабель", "USB", "2м", "ПВС",
                                    "3x1,5", "белый", "Bosch", "bosch", "ключ", "набор", "(10)", "50%", "o'neil"};
    const QStringList wordsOf = {"болт", "гайк", "din 9", "м6", "x20", "оцинк", "кабел", "usb", "2м", "пвс", "3x1_5",
                                 "бел", "bosch", "люч", "на%р", "(10)", "50", "o'neil", "", " "};
    auto pick = [&rng](const QStringList& list) {
        return list.at(std::uniform_int_distribution<int>(0, int(list.size()) - 1)(rng));
    };
    for (int i = 0; i < 400; ++i) {
        QString name;
        const int n = std::uniform_int_distribution<int>(1, 5)(rng);
        for (int w = 0; w < n; ++w)
            name += (w ? QStringLiteral(" ") : QString()) + pick(vocabulary);
        addItem(i % 50 == 0 ? QVariant() : QVariant(name), i % 3 ? kAlfa : kBeta, QStringLiteral("false"),
                i % 7 ? QStringLiteral("true") : QStringLiteral("false"));
    }
    for (qint64 good = 1; good <= 40; ++good) {
        if (good <= 36)
            addGood(good, 10, QStringLiteral("Товар %1").arg(good));
        for (int r = 0; r < 2; ++r) {
            CriteriaWords row;
            for (int w = 0; w < 3; ++w)
                row.at(size_t(w)) = pick(wordsOf);
            addCriteria(good, row);
        }
        if (good % 4 == 0)
            addExclusionWord(good, pick(vocabulary).left(3));
    }
    runReferenceMatching(priceDb);
    const QStringList hits = matchingTableRows(priceDb, QStringLiteral("Sootv_temp"));
    const QStringList proposed = matchingTableRows(priceDb, QStringLiteral("Sootv_All"));
    ASSERT_GT(proposed.size(), 50);
    priceDb.exec(QStringLiteral("DELETE FROM Sootv_temp; DELETE FROM Sootv_All"));
    runAll();
    EXPECT_EQ(matchingTableRows(priceDb, QStringLiteral("Sootv_temp")), hits);
    EXPECT_EQ(matchingTableRows(priceDb, QStringLiteral("Sootv_All")), proposed);
}

TEST_F(AutoMatchTest, AGroupRunTakesItsSubgroupsAndKeepsOtherGroupsOnNo)
{
    addGroup(10, 0, 1, QStringLiteral("Крепеж"));
    addGroup(11, 10, 1, QStringLiteral("Болты"));
    addGroup(20, 0, 2, QStringLiteral("Кабели"));
    addGood(1, 10, QStringLiteral("Гайка"));
    addGood(2, 11, QStringLiteral("Болт"));
    addGood(3, 20, QStringLiteral("Кабель"));
    addGood(4, 99, QStringLiteral("Болт без группы"));
    for (const qint64 good : {1, 2, 3, 4})
        addCriteria(good, words({}));
    addItem(QStringLiteral("что-то"), kAlfa);

    // All groups with the wait window: group by group, goods in no group left out.
    QStringList texts;
    MatchingRun all;
    all.withWait = true;
    int steps = 0;
    bool closed = false;
    all.wait = {[&](int n) { steps = n; }, [&](const QString& t) { texts << t; }, [&] { closed = true; }};
    RunCriteriaMatching(priceDb, all);
    EXPECT_EQ(steps, 4);
    EXPECT_EQ(texts, QStringList({QStringLiteral("   Обрабатывается группа  -  Крепеж"),
                                  QStringLiteral("   Обрабатывается группа  -  Болты"),
                                  QStringLiteral("   Обрабатывается группа  -  Кабели"), exclusionStepText()}));
    EXPECT_TRUE(closed);
    EXPECT_EQ(proposals(), QStringList({"1|1", "2|1", "3|1"}));

    // Without the wait window (the loading window's run) every good with criteria.
    runAll();
    EXPECT_EQ(proposals(), QStringList({"1|1", "2|1", "3|1", "4|1"}));

    // One group with its subgroup: No keeps the others, Yes clears them.
    priceDb.exec(QStringLiteral("DELETE FROM krit WHERE Code_krit = 1"));
    runGroup(10, false);
    EXPECT_EQ(proposals(), QStringList({"2|1", "3|1", "4|1"}));
    runGroup(11, true);
    EXPECT_EQ(proposals(), QStringList({"2|1"}));
}

TEST_F(AutoMatchTest, ALoadsRunReplacesOnlyTheProposalsOfItsSuppliers)
{
    addGood(1, 10, QStringLiteral("Мышь"));
    addCriteria(1, words({"мышь"}));
    const qint64 alfa = addItem(QStringLiteral("мышь"), kAlfa);
    const qint64 beta = addItem(QStringLiteral("мышь"), kBeta);
    runAll();
    EXPECT_EQ(proposals().size(), 2);
    MarkSupplierForMatching(priceDb, QStringLiteral("Все поставщики"), QStringLiteral("false"));
    MarkSupplierForMatching(priceDb, kBeta, QStringLiteral("true"));
    priceDb.exec(QStringLiteral("DELETE FROM price_all WHERE Postavshik = 'ООО Бета'"));
    const qint64 newBeta = addItem(QStringLiteral("мышь"), kBeta);
    EXPECT_EQ(runAll().hitItems, 1);
    EXPECT_EQ(proposals(), QStringList({QStringLiteral("1|%1").arg(alfa), QStringLiteral("1|%1").arg(newBeta)}));
    Q_UNUSED(beta);
}

TEST_F(AutoMatchTest, TheRunWindowsSupplierList)
{
    addItem(QStringLiteral("a"), kBeta);
    addItem(QStringLiteral("b"), kAlfa, QStringLiteral("false"), QStringLiteral("false"));
    addItem(QStringLiteral("c"), kBeta);
    const QList<MatchingSupplier> list = readMatchingSuppliers(priceDb);
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list[0].name, kAlfa);
    EXPECT_FALSE(list[0].ticked);
    EXPECT_EQ(list[0].items, 1);
    EXPECT_TRUE(list[1].ticked);
    EXPECT_EQ(list[1].items, 2);
}

class ReviewTest : public AutoMatchTest {
protected:
    void SetUp() override
    {
        AutoMatchTest::SetUp();
        addGood(1, 10, QStringLiteral("Мышь A"));
        addGood(2, 10, QStringLiteral("Мышь A"), false); // the same name, no details
        addCriteria(1, words({"мышь"}));
        addCriteria(2, words({"мышь", "usb"}));
        x = addItem(QStringLiteral("мышь USB"), kAlfa);
        y = addItem(QStringLiteral("мышь PS/2"), kAlfa);
        z = addItem(QStringLiteral("мышь USB"), kBeta);
        runAll();
        prepareReview(priceDb);
    }
    qint64 x = 0, y = 0, z = 0;
};

TEST_F(ReviewTest, GoodsAreListedWithoutDetailsAndShowOnlyTheirOwnProposals)
{
    const QList<ProposedGood> goods = readProposedGoods(priceDb);
    ASSERT_EQ(goods.size(), 2);
    EXPECT_EQ(goods[0].comment, QStringLiteral("инфо 1"));
    EXPECT_EQ(goods[1].code, 2);
    EXPECT_TRUE(goods[1].comment.isEmpty());
    EXPECT_EQ(readProposals(priceDb, 1).size(), 3);
    EXPECT_EQ(readProposals(priceDb, 2).size(), 2);
    EXPECT_EQ(countProposals(priceDb), 5);
    EXPECT_EQ(rows("SELECT count(*) FROM Sootv_All WHERE Check_sootv = 'true'"), QStringList{"0"});
}

TEST_F(ReviewTest, TheTwoTickRefusals)
{
    priceDb.exec(QStringLiteral("UPDATE price_all SET Check_obrab = 'false'"));
    EXPECT_EQ(tickProposal(priceDb, proposalRowid(1, x), true), ProposalTick::Stored);
    EXPECT_EQ(rows("SELECT Check_obrab FROM price_all WHERE Number = 1"), QStringList{"true"});
    // Another name of the same supplier for the same good.
    EXPECT_EQ(tickProposal(priceDb, proposalRowid(1, y), true), ProposalTick::SupplierTaken);
    // A proposal of a second good while the first has ticks.
    EXPECT_EQ(tickProposal(priceDb, proposalRowid(2, z), true), ProposalTick::OtherGoodPending);
    EXPECT_EQ(rows("SELECT Code, Number_ost FROM Sootv_All WHERE Check_sootv = 'true'"),
              QStringList{QStringLiteral("1|%1").arg(x)});
    EXPECT_EQ(tickProposal(priceDb, proposalRowid(1, z), true), ProposalTick::Stored);
    EXPECT_EQ(tickProposal(priceDb, proposalRowid(1, x), false), ProposalTick::Stored);
    EXPECT_EQ(tickProposal(priceDb, proposalRowid(1, z), false), ProposalTick::Stored);
    EXPECT_EQ(tickProposal(priceDb, proposalRowid(2, z), true), ProposalTick::Stored);
}

TEST_F(ReviewTest, AcceptingMovesTheItemAndDropsItsOtherGoodsProposals)
{
    // An item flagged elsewhere (a criteria search lets every item take part).
    priceDb.exec(QStringLiteral("UPDATE price_all SET Check_obrab = 'true'"));
    tickProposal(priceDb, proposalRowid(2, x), true);
    const AcceptResult result = acceptProposals(priceDb, 2, {}, {});
    EXPECT_EQ(result.accepted, 1);
    EXPECT_EQ(result.goodsLeft, QList<qint64>{2});
    EXPECT_EQ(rows("SELECT Code, Art, Tovar, Postavshik, Art_obrab FROM sootv"),
              QStringList{QStringLiteral("2|A-1|мышь USB|ООО Альфа|")});
    EXPECT_EQ(rows("SELECT Art, Tovar, Price, Pricemax, Postavshik, Code_sootv, Obrab, Dates, Garant, Sklad FROM svod"),
              QStringList{QStringLiteral("A-1|мышь USB|10.0|12.0|ООО Альфа|2||45000|12|есть")});
    EXPECT_EQ(rows("SELECT Number FROM price_all ORDER BY Number"),
              QStringList({QString::number(y), QString::number(z)}));
    // X's proposal for good 1 is gone, the rest of good 1 stays; good 2 left.
    EXPECT_EQ(proposals(), QStringList({QStringLiteral("1|%1").arg(y), QStringLiteral("1|%1").arg(z)}));
}

TEST_F(ReviewTest, DecliningKeepsTheItemAndItsOtherProposals)
{
    priceDb.exec(QStringLiteral("INSERT INTO svod (Tovar, Price, Postavshik, Code_sootv) VALUES ('старая', 5, "
                                "'ООО Альфа', 1)"));
    tickProposal(priceDb, proposalRowid(1, x), true);
    tickProposal(priceDb, proposalRowid(1, z), true);
    QStringList asked;
    QStringList told;
    const AcceptResult result = acceptProposals(
        priceDb, 1,
        [&](const QString& q) {
            asked << q;
            return false;
        },
        [&](const QString& t) { told << t; });
    EXPECT_EQ(asked, QStringList{replaceItemQuestion(kAlfa, false, true)});
    EXPECT_EQ(told, QStringList{moveDeclinedMessage()});
    EXPECT_EQ(result.accepted, 1);
    EXPECT_EQ(result.declined, 1);
    EXPECT_EQ(rows("SELECT Tovar, Postavshik FROM svod ORDER BY rowid"),
              QStringList({QStringLiteral("старая|ООО Альфа"), QStringLiteral("мышь USB|ООО Бета")}));
    // X stays in the remainder with its proposal for good 2; good 1 has none left.
    EXPECT_EQ(rows("SELECT Number FROM price_all ORDER BY Number"),
              QStringList({QString::number(x), QString::number(y)}));
    EXPECT_EQ(proposals(), QStringList({QStringLiteral("2|%1").arg(x)}));
    EXPECT_EQ(rows("SELECT Check_obrab FROM price_all WHERE Number = 1"), QStringList{"false"});
}

TEST_F(ReviewTest, ProposalsWhoseItemLeftAreDropped)
{
    tickProposal(priceDb, proposalRowid(1, x), true);
    priceDb.exec(QStringLiteral("DELETE FROM price_all WHERE Number = 1"));
    const AcceptResult result = acceptProposals(priceDb, 1, {}, {});
    EXPECT_EQ(result.accepted, 0);
    EXPECT_EQ(rows("SELECT count(*) FROM svod"), QStringList{"0"});
    prepareReview(priceDb);
    EXPECT_EQ(proposals(), QStringList{QStringLiteral("2|%1").arg(z)});
}

TEST(LiteralParts, WhatEveryTakenNameHolds)
{
    struct Case {
        CriteriaWords words;
        std::vector<std::string> parts;
    };
    const Case cases[] = {
        {words({"Кабель", "usb"}), {"кабель", "usb"}},
        {words({"к_бель", "usb%2м"}), {"бель", "2м", "usb"}},
        {words({"ab", "c"}), {"ab"}},
        {words({"usb", "us"}), {"usb"}},
        {words({"%", "_"}), {}},
        {words({}), {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(literalPartsOfRow(c.words), c.parts) << c.words[0].toStdString();
}

} // namespace
