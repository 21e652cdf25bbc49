// The remainder and the trash bin: filters, counters, ticks, sending to the
// trash, moving to a good with the replace question; the combined price's
// colours and diagram.
#include "catalogue/matching/combined_price.h"
#include "catalogue/matching/item_lists.h"
#include "catalogue/matching/remainder_move.h"
#include "matching_test_support.h"

using namespace velmora;
using namespace velmora::catalogue;
using namespace velmora::testing;

namespace {

const QString kAlfa = QStringLiteral("ООО Альфа");
const QString kBeta = QStringLiteral("ООО Бета");

QStringList u8(std::initializer_list<const char*> list)
{
    QStringList out;
    for (const char* s : list)
        out << QString::fromUtf8(s);
    return out;
}

TEST(FilterWords, CutAtEveryBlank)
{
    struct Case {
        const char* text;
        QStringList words;
    };
    const Case cases[] = {
        {"", u8({""})},
        {"мышь usb", u8({"мышь", "usb"})},
        {"мышь  usb", u8({"мышь", "", "usb"})},
        {"мышь ", u8({"мышь"})},
        {"мышь  ", u8({"мышь", ""})},
        {" usb", u8({"", "usb"})},
        {"O'Neil", u8({"O'Neil"})},
    };
    for (const Case& c : cases)
        EXPECT_EQ(filterWords(QString::fromUtf8(c.text)), c.words) << c.text;
}

TEST(ItemCounter, AllOrShownOfTotal)
{
    EXPECT_EQ(itemCounterText(5, 5), QStringLiteral("Всего - 5"));
    EXPECT_EQ(itemCounterText(2, 5), QStringLiteral("Показано 2 из 5"));
    EXPECT_EQ(itemCounterText(0, 0), QStringLiteral("Всего - 0"));
}

class RemainderTest : public MatchingTest {
protected:
    void SetUp() override
    {
        MatchingTest::SetUp();
        addItem(QStringLiteral("Мышь оптическая A4"), kAlfa);  // 1
        addItem(QStringLiteral("МЫШЬ USB"), kAlfa);            // 2
        addItem(QStringLiteral("Клавиатура"), kBeta);          // 3
        addItem(QStringLiteral("мышь usb беспроводная"), kBeta); // 4
        addItem(QStringLiteral("Кабель O'Neil 50%"), kBeta);   // 5
        addItem(QVariant(), kBeta);                            // 6: no name
    }

    QList<qint64> keys(ItemList& list)
    {
        QList<qint64> out;
        for (qint64 row = 0; row < list.size(); ++row)
            out << list.keyAt(row);
        return out;
    }
    QList<qint64> ticked(const char* table = "price_all", const char* key = "Number")
    {
        QList<qint64> out;
        for (const QString& row : queryRows(priceDb, QStringLiteral("SELECT %1 FROM %2 WHERE Check_sootv = 'true' "
                                                                    "ORDER BY %1")
                                                         .arg(QLatin1String(key), QLatin1String(table))))
            out << row.toLongLong();
        return out;
    }
    void addGood(qint64 code, const QString& tovar, double priceBase = 0, double price1 = 0, int nacen = 0)
    {
        db::Statement insert = priceDb.prepare(QStringLiteral(
            "INSERT INTO price_main (Code, Art, Kategor, Tovar, PriceBase, Nacen, Price_1) VALUES (?1, 'G', '1', ?2, ?3, "
            "?4, ?5)"));
        insert.bindInt(1, code).bindText(2, tovar).bindDouble(3, priceBase).bindInt(4, nacen).bindDouble(5, price1);
        insert.execute();
    }
};

TEST_F(RemainderTest, FilterListsItemsHoldingEveryWordOfTheChosenSupplier)
{
    struct Case {
        const char* filter;
        QString supplier;
        QList<qint64> listed;
    };
    const QString all = allSuppliersEntry();
    const Case cases[] = {
        {"", all, {1, 2, 3, 4, 5}}, // an empty word: every name, none without
        {"мышь usb", all, {2, 4}},
        {"мышь  usb", all, {2, 4}},
        {"мышь ", all, {1, 2, 4}},
        {"мышь", kBeta, {4}},
        {"O'Neil", all, {5}},
        {"50%", all, {5}},
        {"м_шь", kAlfa, {1, 2}},
        {"usb%проводная", all, {4}},
        {"клавиатура мышь", all, {}},
    };
    for (const Case& c : cases) {
        ItemList list(priceDb, filteredItems(ItemTable::Remainder, QString::fromUtf8(c.filter), c.supplier));
        EXPECT_EQ(keys(list), c.listed) << c.filter << " / " << c.supplier.toStdString();
    }
}

TEST_F(RemainderTest, TheShownListsAndTheirOrders)
{
    ItemList shown(priceDb, shownItems(ItemTable::Remainder));
    EXPECT_EQ(shown.size(), 6);
    EXPECT_EQ(keys(shown), (QList<qint64>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(shown.rowOf(4), 3);
    EXPECT_EQ(shown.rowOf(99), -1);
    const QList<RemainderItem> rows = shown.read(1, 2);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].tovar, QStringLiteral("МЫШЬ USB"));
    EXPECT_EQ(rows[1].postavshik, kBeta);

    ItemList bySupplier(priceDb, allItemsAfterCancel(ItemTable::Remainder));
    EXPECT_EQ(keys(bySupplier), (QList<qint64>{1, 2, 3, 4, 5, 6}));

    sendTickedItemsToTrash(priceDb); // nothing ticked: nothing sent
    EXPECT_EQ(countItems(priceDb, ItemTable::Trash), 0);
}

TEST_F(RemainderTest, TickAllTicksOnlyTheFilteredRowsAndASecondUseUnticksThem)
{
    tickItem(priceDb, ItemTable::Remainder, 3, true);
    ItemList list(priceDb, filteredItems(ItemTable::Remainder, QStringLiteral("мышь usb"), allSuppliersEntry()));
    list.tickAll(true);
    EXPECT_EQ(ticked(), (QList<qint64>{2, 3, 4}));
    list.tickAll(false);
    EXPECT_EQ(ticked(), (QList<qint64>{3}));

    // The whole list at once, writing only what differs.
    ItemList all(priceDb, shownItems(ItemTable::Remainder));
    all.tickAll(true);
    EXPECT_EQ(ticked().size(), 6);
    clearItemTicks(priceDb, ItemTable::Remainder);
    EXPECT_TRUE(ticked().isEmpty());
}

TEST_F(RemainderTest, TrashSendEraseAndEmpty)
{
    tickItem(priceDb, ItemTable::Remainder, 2, true);
    tickItem(priceDb, ItemTable::Remainder, 4, true);
    EXPECT_EQ(sendTickedItemsToTrash(priceDb), 2);
    EXPECT_EQ(rows("SELECT Number FROM price_all ORDER BY Number"), u8({"1", "3", "5", "6"}));
    EXPECT_TRUE(ticked().isEmpty());
    // All ten columns, ticked as they were.
    EXPECT_EQ(rows("SELECT Art, Tovar, Price, Pricemax, Postavshik, Check_sootv, Check_obrab, Dates, Garant, Sklad "
                   "FROM musor ORDER BY rowid"),
              QStringList({QStringLiteral("A-2|МЫШЬ USB|10.0|12.0|ООО Альфа|true|true|45000|12|есть"),
                           QStringLiteral("A-4|мышь usb беспроводная|10.0|12.0|ООО Бета|true|true|45000|12|есть")}));

    // The trash page: shown by name, its ticks cleared, filtered, ticked all, erased.
    clearItemTicks(priceDb, ItemTable::Trash);
    ItemList trash(priceDb, shownItems(ItemTable::Trash));
    EXPECT_EQ(trash.read(0, 5).value(0).tovar, QStringLiteral("МЫШЬ USB"));
    ItemList beta(priceDb, filteredItems(ItemTable::Trash, QStringLiteral("usb"), kBeta));
    ASSERT_EQ(beta.size(), 1);
    beta.tickAll(true);
    EXPECT_EQ(ticked("musor", "rowid"), (QList<qint64>{beta.keyAt(0)}));
    EXPECT_EQ(eraseTickedTrashItems(priceDb), 1);
    EXPECT_EQ(rows("SELECT Tovar FROM musor"), QStringList{QStringLiteral("МЫШЬ USB")});
    emptyTrash(priceDb);
    EXPECT_EQ(countItems(priceDb, ItemTable::Trash), 0);
}

TEST_F(RemainderTest, MovingAsksBeforeReplacingYesAndNoInOneBatch)
{
    constexpr qint64 kGood = 7;
    addGood(kGood, QStringLiteral("Мышь"));
    priceDb.exec(QStringLiteral("INSERT INTO postavshik (Postavshik, Art_obrab) VALUES ('ООО Альфа', 'yes'), "
                                "('ООО Бета', 'false')"));
    // Alfa already has an item for the good in both tables.
    priceDb.exec(QStringLiteral("INSERT INTO sootv (Code, Art, Tovar, Postavshik) VALUES (7, 'OLD', 'старая мышь', "
                                "'ООО Альфа'); INSERT INTO svod (Art, Tovar, Price, Postavshik, Code_sootv) "
                                "VALUES ('OLD', 'старая мышь', 5, 'ООО Альфа', 7)"));
    for (const qint64 number : {1, 2, 3, 4})
        tickItem(priceDb, ItemTable::Remainder, number, true);

    QStringList asked;
    QStringList told;
    QList<bool> answers{true, false, false}; // Alfa 1: Yes; Alfa 2: No; Beta 4 (after Beta 3): No
    const MoveResult result = moveTickedItemsWithQuestion(
        priceDb, kGood,
        [&](const QString& q) {
            asked << q;
            return answers.takeFirst();
        },
        [&](const QString& t) { told << t; });
    EXPECT_EQ(result.moved, 2);
    EXPECT_EQ(result.declined, 2);
    ASSERT_EQ(asked.size(), 3);
    EXPECT_EQ(asked[0], QStringLiteral("Для поставщика: ООО Альфа уже есть товар в:\r   - в таблице соответствия\r"
                                       "   - в сводном прайс-листе\r\rЗаменить существующий товар новым?"));
    EXPECT_TRUE(asked[2].startsWith(QStringLiteral("Для поставщика: ООО Бета")));
    EXPECT_EQ(told, QStringList(2, moveDeclinedMessage()));
    // Alfa's old rows replaced by item 1; Beta's first item moved without a question.
    EXPECT_EQ(rows("SELECT Art, Tovar, Postavshik, Art_obrab FROM sootv WHERE Code = 7 ORDER BY rowid"),
              QStringList({QStringLiteral("A-1|Мышь оптическая A4|ООО Альфа|True"),
                           QStringLiteral("A-3|Клавиатура|ООО Бета|False")}));
    EXPECT_EQ(rows("SELECT Art, Price, Pricemax, Postavshik, Code_sootv, Obrab, Dates, Garant, Sklad FROM svod "
                   "ORDER BY rowid"),
              QStringList({QStringLiteral("A-1|10.0|12.0|ООО Альфа|7|True|45000|12|есть"),
                           QStringLiteral("A-3|10.0|12.0|ООО Бета|7|False|45000|12|есть")}));
    // The declined items stay in the remainder, their ticks cleared.
    EXPECT_EQ(rows("SELECT Number FROM price_all ORDER BY Number"), u8({"2", "4", "5", "6"}));
    EXPECT_TRUE(ticked().isEmpty());
}

TEST_F(RemainderTest, MovingWithoutAGoodIsRefused)
{
    tickItem(priceDb, ItemTable::Remainder, 1, true);
    QStringList told;
    const MoveResult result =
        moveTickedItemsWithQuestion(priceDb, 0, [](const QString&) { return true; }, [&](const QString& t) { told << t; });
    EXPECT_EQ(result.moved, 0);
    EXPECT_EQ(told, QStringList{QStringLiteral("Не выбран собственный товар!")});
    EXPECT_EQ(countItems(priceDb, ItemTable::Remainder), 6);
    EXPECT_EQ(rows("SELECT count(*) FROM svod"), QStringList{QStringLiteral("0")});
}

TEST(CombinedPriceColours, ARuleOfRowGoodAndSaleSupplier)
{
    struct Case {
        const char* what;
        const char* obrab;
        double price;
        const char* supplier;
        bool priceColumn;
        double priceBase;
        CellColours colours;
    };
    const Case cases[] = {
        {"True, price at the base", "True", 100, "A", true, 100.0005, {kFuchsia, kBlack}},
        {"True, price 0", "True", 0, "A", true, 0, {kSkyBlue, kBlack}},
        {"True, another column", "True", 100, "A", false, 100, {kSkyBlue, kBlack}},
        {"lower-case true is not sky blue", "true", 100, "A", false, 100, {}},
        {"below the base, price column", "False", 90, "A", true, 100, {kRed, std::nullopt}},
        {"below the base, name column", "False", 90, "A", false, 100, {}},
        {"the sale supplier overrides", "False", 90, "Sale", true, 100, {kLightYellow, kBlack}},
        {"the sale supplier over sky blue", "True", 100, "Sale", true, 100, {kLightYellow, kBlack}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(combinedPriceCellColours(QLatin1String(c.obrab), c.price, QLatin1String(c.supplier), c.priceColumn,
                                           c.priceBase, QStringLiteral("Sale")),
                  c.colours)
            << c.what;
}

TEST_F(RemainderTest, DiagramBarsOwnPriceFirstThenTheOffersByPrice)
{
    priceDb.exec(QStringLiteral("UPDATE parametr SET Name_out = 'Розница', Nacen_out = 5 WHERE Id = 1; "
                                "UPDATE parametr SET Name_out = 'Опт', Nacen_out = 0 WHERE Id = 2"));
    addGood(1, QStringLiteral("С ценой"), 80, 100, 10);
    addGood(2, QStringLiteral("Без базы"), 0, 100, 10);
    addGood(3, QStringLiteral("Без цены"), 80, 0, 10);
    priceDb.exec(QStringLiteral("INSERT INTO svod (Tovar, Price, Pricemax, Postavshik, Code_sootv) VALUES "
                                "('x', 90, 99, 'Б', 1), ('y', 85, 120, 'А', 1), ('z', 1, 1, 'В', 2)"));
    EXPECT_EQ(outputPriceColumnNames(priceDb), (QStringList{"Розница", "Опт", " ", " "}));

    const auto bars = [this](qint64 good, bool minimum) {
        DiagramRequest request;
        request.goodCode = good;
        request.ownName = QStringLiteral("My Price");
        request.minimum = minimum;
        QStringList out;
        for (const DiagramBar& bar : combinedPriceDiagram(priceDb, request))
            out << bar.label + u'=' + QString::number(bar.value);
        return out;
    };
    EXPECT_EQ(bars(1, true), (QStringList{"My Price=115.5", "А=85", "Б=90"}));
    EXPECT_EQ(bars(1, false), (QStringList{"My Price=115.5", "А=120", "Б=99"}));
    EXPECT_EQ(bars(2, true), (QStringList{"My Price=0", "В=1"}));
    EXPECT_EQ(bars(3, true), QStringList());
}

} // namespace
