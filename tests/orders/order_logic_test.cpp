// Orders as plain logic: numbering, lines, totals, clients, the Zakaz rate
// update and the key filters, on real database files.
#include "order_test_support.h"

#include "orders/order_clients.h"
#include "orders/order_key_filters.h"
#include "orders/order_lines.h"
#include "orders/order_numbers.h"
#include "orders/order_rate.h"
#include "platform/files/cp1251.h"
#include "platform/files/ini_file.h"

#include <gtest/gtest.h>

namespace velmora::orders {
namespace {

using test::OrderFolder;

QString fileText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? decodeCp1251(file.readAll()) : QStringLiteral("<missing>");
}

void writeFile(const QString& path, const QString& text)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(encodeCp1251(text));
}

CardOffer offer(const QString& tovar, const QString& supplier)
{
    CardOffer o;
    o.number = QStringLiteral("17");
    o.art = QStringLiteral("ART-1");
    o.tovar = tovar;
    o.price = QStringLiteral("10,5");
    o.pricemax = QStringLiteral("12.25");
    o.priceOut = QStringLiteral("15,12345");
    o.supplier = supplier;
    o.garant = QStringLiteral("Китай");
    o.sklad = QStringLiteral("есть");
    o.description = QStringLiteral("Описание");
    o.textNoName = QStringLiteral("Завод");
    return o;
}

TEST(OrderNumbers, NewOrderIssuesTheFirstFreeNumberAboveTheCounter)
{
    struct Case {
        QList<int> stored;
        QString counter;
        int issued;
        QStringList list; // after the new-order command
    };
    const std::vector<Case> cases = {
        {{1, 2, 3, 7}, "1", 4, {"1", "2", "3", "7", "4"}},
        {{}, "0", 1, {"1"}},
        {{1, 2}, "x", 3, {"1", "2", "3"}},
        {{5}, "4", 6, {"5", "6"}},
        {{}, "", 1, {"1"}},
    };
    for (const Case& c : cases) {
        OrderFolder folder;
        writeFile(folder.userIni(), QStringLiteral("[SetupUsers]\r\nAdmin=anna\r\n[Zakaz]\r\nZakazNumber=") + c.counter +
                                        QStringLiteral("\r\n"));
        for (int number : c.stored)
            folder.addLine(number, QStringLiteral("A"), 1, 1);
        const int issued = IssueOrderNumber(folder.order, folder.userIni());
        EXPECT_EQ(issued, c.issued) << c.counter.toStdString();
        const OrderNumberList list = BuildOrderNumberList(StoredOrderNumbers(folder.order), issued, 0);
        EXPECT_EQ(list.entries, c.list);
        EXPECT_EQ(list.selected, int(list.entries.size()) - 1);
        EXPECT_FALSE(list.found);
        EXPECT_EQ(ReadOrderCounter(folder.userIni()), c.issued);
        // The other sections of the file are kept.
        EXPECT_TRUE(fileText(folder.userIni()).contains(QStringLiteral("Admin=anna\r\n")));
    }
}

TEST(OrderNumbers, TheListShowsStoredOrdersAndSelects)
{
    struct Case {
        QList<int> stored;
        int asked;
        int counter;
        QStringList entries;
        int selected;
        bool found;
    };
    const std::vector<Case> cases = {
        {{}, 0, 5, {"6"}, 0, false},              // no orders: the counter + 1
        {{1, 2, 7}, 0, 5, {"1", "2", "7"}, 2, false}, // none asked: the last
        {{1, 2, 7}, 2, 5, {"1", "2", "7"}, 1, true},
        {{1, 2, 7}, 9, 5, {"1", "2", "7", "9"}, 3, false},
        {{}, 4, 5, {"4"}, 0, false},
    };
    for (const Case& c : cases) {
        const OrderNumberList list = BuildOrderNumberList(c.stored, c.asked, c.counter);
        EXPECT_EQ(list.entries, c.entries) << c.asked;
        EXPECT_EQ(list.selected, c.selected) << c.asked;
        EXPECT_EQ(list.found, c.found) << c.asked;
    }
    // Reading the counter for the list writes nothing.
    OrderFolder folder;
    const QString text = QStringLiteral("[Zakaz]\r\nZakazNumber=5\r\n");
    writeFile(folder.userIni(), text);
    EXPECT_EQ(ReadOrderCounter(folder.userIni()), 5);
    EXPECT_EQ(fileText(folder.userIni()), text);
}

TEST(OrderLines, AnOfferIsAddedOncePerGoodsNameAndSupplier)
{
    OrderFolder folder;
    const AddedOffer first =
        AddOfferToOrder(folder.order, 3, QStringLiteral("Иванов"), offer(QStringLiteral("Монитор"), QStringLiteral("Альфа")),
                        QStringLiteral("3"));
    EXPECT_FALSE(first.duplicate);
    // The same offer, the name in another case: the line that holds it.
    const AddedOffer again = AddOfferToOrder(folder.order, 3, QStringLiteral("Иванов"),
                                             offer(QStringLiteral("МОНИТОР"), QStringLiteral("альфа")), QStringLiteral("1"));
    EXPECT_TRUE(again.duplicate);
    EXPECT_EQ(again.lineId, first.lineId);
    EXPECT_EQ(kDuplicateOfferMessage, QStringLiteral("Товар уже есть в списке"));
    // The same name from another supplier, or in another order: new lines.
    EXPECT_FALSE(AddOfferToOrder(folder.order, 3, QString(), offer(QStringLiteral("Монитор"), QStringLiteral("Бета")),
                                 QStringLiteral("1"))
                     .duplicate);
    EXPECT_FALSE(AddOfferToOrder(folder.order, 4, QString(), offer(QStringLiteral("Монитор"), QStringLiteral("Альфа")),
                                 QStringLiteral("1"))
                     .duplicate);
    EXPECT_EQ(folder.lineCount(), 3);
    EXPECT_EQ(HighestLineId(folder.order), folder.order.lastInsertRowId());

    const QVector<OrderLine> lines = ReadOrderLines(folder.order, 3);
    ASSERT_EQ(lines.size(), 2);
    const OrderLine& line = lines[0];
    EXPECT_EQ(line.clientName, QStringLiteral("Иванов"));
    EXPECT_EQ(line.tovarNumber, 17);
    EXPECT_EQ(line.art, QStringLiteral("ART-1"));
    EXPECT_DOUBLE_EQ(line.price, 10.5);
    EXPECT_DOUBLE_EQ(line.pricemax, 12.25);
    EXPECT_DOUBLE_EQ(line.quantity, 3);
    EXPECT_DOUBLE_EQ(line.priceOut, 15.1235); // a currency value: four decimals
    EXPECT_EQ(line.postavshik, QStringLiteral("Альфа"));
    EXPECT_EQ(line.garant, QStringLiteral("Китай"));
    EXPECT_EQ(line.sklad, QStringLiteral("есть"));
    EXPECT_EQ(line.textNoName, QStringLiteral("Завод"));
    EXPECT_EQ(folder.order.scalar(QStringLiteral("SELECT MIN(Obrab) FROM AllZakazFull")).toInt(), 1);
}

TEST(OrderLines, TextsThatDoNotConvertStoreNothing)
{
    struct Case {
        const char* field;
        QString quantity;
        std::function<void(CardOffer&)> spoil;
        QString message;
    };
    const std::vector<Case> cases = {
        {"quantity", QStringLiteral("три"), [](CardOffer&) {}, QStringLiteral("Значение \"три\" не является числом")},
        {"empty quantity", QString(), [](CardOffer&) {}, QStringLiteral("Значение \"\" не является числом")},
        {"sale price", QStringLiteral("1"), [](CardOffer& o) { o.priceOut = QStringLiteral("12 руб"); },
         QStringLiteral("Значение \"12 руб\" не является числом")},
        {"offer number", QStringLiteral("1"), [](CardOffer& o) { o.number.clear(); },
         QStringLiteral("Значение \"\" не является целым числом")},
    };
    for (const Case& c : cases) {
        OrderFolder folder;
        CardOffer o = offer(QStringLiteral("Монитор"), QStringLiteral("Альфа"));
        c.spoil(o);
        try {
            AddOfferToOrder(folder.order, 1, QString(), o, c.quantity);
            ADD_FAILURE() << c.field << ": no error";
        } catch (const OrderError& error) {
            EXPECT_EQ(error.message(), c.message) << c.field;
        }
        EXPECT_EQ(folder.lineCount(), 0) << c.field;
    }
}

TEST(OrderLines, LongDescriptionsAreCutTo255)
{
    OrderFolder folder;
    CardOffer o = offer(QStringLiteral("Монитор"), QStringLiteral("Альфа"));
    o.description = QString(300, QChar(u'ж'));
    AddOfferToOrder(folder.order, 1, QString(), o, QStringLiteral("1"));
    EXPECT_EQ(ReadOrderLines(folder.order, 1).value(0).description, QString(255, QChar(u'ж')));
}

TEST(OrderLines, TotalIsTheUnroundedSumWhileLineSumsAreRounded)
{
    OrderFolder folder;
    EXPECT_FALSE(OrderTotal(folder.order, 2).has_value());
    folder.addLine(2, QStringLiteral("A"), 0.333, 3, QStringLiteral("Первый"));
    folder.addLine(2, QStringLiteral("B"), 0.333, 3, QStringLiteral("Второй"));
    folder.addLine(5, QStringLiteral("A"), 100, 1); // another order
    ASSERT_TRUE(OrderTotal(folder.order, 2).has_value());
    EXPECT_NEAR(*OrderTotal(folder.order, 2), 1.998, 1e-9);
    for (const OrderLine& line : ReadOrderLines(folder.order, 2))
        EXPECT_EQ(LineSumText(line), QStringLiteral("1,00"));
}

// The price beside the sum reads like it: "12490,50", not "12490,5".
TEST(OrderLines, ThePriceShowsAtLeastTwoDecimalsLikeTheSum)
{
    const struct {
        double price;
        const char* shown;
    } cases[] = {{12490.5, "12490,50"}, {5, "5,00"}, {0.3512, "0,3512"}, {2.12345, "2,1235"}, {-1.5, "-1,50"}};
    for (const auto& c : cases) {
        OrderLine line;
        line.priceOut = c.price;
        line.quantity = 1;
        EXPECT_EQ(LinePriceText(line), QString::fromUtf8(c.shown)) << c.price;
    }
}

TEST(OrderLines, BlankLinesEditsDeletesAndTheClientName)
{
    OrderFolder folder;
    const qint64 blank = AddBlankLine(folder.order, 8, QStringLiteral("Петров"));
    const qint64 other = folder.addLine(8, QStringLiteral("A"), 5, 2);
    folder.addLine(9, QStringLiteral("A"), 5, 2);
    OrderLine line = ReadOrderLines(folder.order, 8).value(0);
    EXPECT_EQ(line.id, blank);
    EXPECT_EQ(line.tovarNumber, 0);
    EXPECT_DOUBLE_EQ(line.quantity, 1);
    EXPECT_EQ(OrderClientName(folder.order, 8), QStringLiteral("Петров"));

    UpdateLineField(folder.order, blank, LineField::Tovar, QStringLiteral("Кабель"));
    UpdateLineField(folder.order, blank, LineField::PriceOut, QStringLiteral("12,5"));
    UpdateLineField(folder.order, blank, LineField::Quantity, QStringLiteral("4"));
    UpdateLineField(folder.order, blank, LineField::Postavshik, QStringLiteral("Гамма"));
    EXPECT_THROW(UpdateLineField(folder.order, blank, LineField::Quantity, QStringLiteral("x")), OrderError);
    line = ReadOrderLines(folder.order, 8).value(0);
    EXPECT_EQ(line.tovar, QStringLiteral("Кабель"));
    EXPECT_DOUBLE_EQ(line.priceOut, 12.5);
    EXPECT_DOUBLE_EQ(line.quantity, 4);
    EXPECT_EQ(line.postavshik, QStringLiteral("Гамма"));

    StoreOrderClientName(folder.order, 8, QStringLiteral("Сидоров"));
    for (const OrderLine& l : ReadOrderLines(folder.order, 8))
        EXPECT_EQ(l.clientName, QStringLiteral("Сидоров"));
    EXPECT_EQ(ReadOrderLines(folder.order, 9).value(0).clientName, QStringLiteral("Клиент"));

    DeleteLine(folder.order, other);
    EXPECT_EQ(ReadOrderLines(folder.order, 8).size(), 1);
    DeleteOrder(folder.order, 8);
    EXPECT_EQ(StoredOrderNumbers(folder.order), QList<int>{9});
}

TEST(OrderLines, SuppliersOfOneOrderOnly)
{
    OrderFolder folder;
    folder.addLine(5, QStringLiteral("Бета"), 1, 1);
    folder.addLine(5, QStringLiteral("Альфа"), 1, 1);
    folder.addLine(5, QStringLiteral("альфа"), 1, 1);
    folder.addLine(5, QString(), 1, 1);
    folder.addLine(6, QStringLiteral("Гамма"), 1, 1);
    EXPECT_EQ(OrderSuppliers(folder.order, 5), (QStringList{"Альфа", "Бета"}));
    EXPECT_EQ(ReadSupplierLines(folder.order, 5, QStringLiteral("АЛЬФА")).size(), 2);
    EXPECT_TRUE(ReadSupplierLines(folder.order, 5, QStringLiteral("Гамма")).isEmpty());
}

TEST(OrderClients, EachQuestionAndItsAnswers)
{
    const OrderClient ivanov{QStringLiteral("Иванов"), QStringLiteral("111"), QStringLiteral("Москва"),
                             QStringLiteral("после 18")};
    const QString saveQuestion = QStringLiteral(
        "Клиент с именем \"Иванов\" уже есть в базе!\r\r            Сохранить по нему новые значения?");
    const QString addQuestion =
        QStringLiteral("Клиента с именем \"Петров\" нет в базе!\r\r                  Добавить его в базу?");
    for (const bool yes : {true, false}) {
        OrderFolder folder;
        QStringList asked;
        const Question answer = [&](const QString& text) {
            asked << text;
            return yes;
        };
        // A new name is stored without a question; the same fields again ask nothing.
        SaveOrderClient(folder.order, ivanov, answer);
        SaveOrderClient(folder.order, ivanov, answer);
        EXPECT_TRUE(asked.isEmpty());
        OrderClient changed = ivanov;
        changed.phone = QStringLiteral("222");
        SaveOrderClient(folder.order, changed, answer);
        EXPECT_EQ(asked, QStringList{saveQuestion});
        EXPECT_EQ(FindClient(folder.order, QStringLiteral("иванов"))->phone, yes ? "222" : "111");

        asked.clear();
        const OrderClient petrov{QStringLiteral("Петров"), QStringLiteral("333"), QString(), QString()};
        EXPECT_EQ(EditOrderClient(folder.order, petrov, answer), yes);
        EXPECT_EQ(asked, QStringList{addQuestion});
        EXPECT_EQ(FindClient(folder.order, QStringLiteral("Петров")).has_value(), yes);
        // A known name is changed at once.
        asked.clear();
        changed.address = QStringLiteral("Тула");
        EXPECT_TRUE(EditOrderClient(folder.order, changed, answer));
        EXPECT_TRUE(asked.isEmpty());
        EXPECT_EQ(FindClient(folder.order, QStringLiteral("Иванов"))->address, QStringLiteral("Тула"));

        EXPECT_EQ(DeleteOrderClient(folder.order, QStringLiteral("Иванов"), answer), yes);
        EXPECT_EQ(asked.last(), QStringLiteral("Удалить Клиента \"Иванов\" из базы?"));
        EXPECT_EQ(FindClient(folder.order, QStringLiteral("Иванов")).has_value(), !yes);
    }
}

TEST(OrderClients, EmptyNamesNeverEnterTheRegisterAndLongOnesAreCut)
{
    OrderFolder folder;
    int questions = 0;
    const Question yes = [&](const QString&) {
        ++questions;
        return true;
    };
    SaveOrderClient(folder.order, OrderClient{QString(), QStringLiteral("1"), QString(), QString()}, yes);
    SaveOrderClient(folder.order, OrderClient{QStringLiteral("   "), QStringLiteral("1"), QString(), QString()}, yes);
    EXPECT_FALSE(EditOrderClient(folder.order, OrderClient{}, yes));
    EXPECT_EQ(questions, 0);
    EXPECT_TRUE(ClientNames(folder.order).isEmpty());
    EXPECT_TRUE(AddClient(folder.order, OrderClient{QString(60, QChar(u'я')), {}, {}, {}}));
    EXPECT_EQ(ClientNames(folder.order), QStringList{QString(50, QChar(u'я'))});

    QStringList told;
    EXPECT_FALSE(SelectOrderClient(folder.order, QStringLiteral("Никто"), [&](const QString& t) { told << t; }));
    EXPECT_EQ(told, QStringList{QStringLiteral("Клиента с именем \"Никто\" нет в базе!")});
}

TEST(OrderClients, TheListHasAnEmptyFirstEntry)
{
    const QStringList names = {QStringLiteral("Альфа"), QStringLiteral("Бета")};
    struct Case {
        QString name;
        QStringList entries;
        int selected;
    };
    const std::vector<Case> cases = {
        {QString(), {"", "Альфа", "Бета"}, 0},
        {QStringLiteral("бета"), {"", "Альфа", "Бета"}, 2},
        {QStringLiteral("Гамма"), {"", "Альфа", "Бета", "Гамма"}, 3},
    };
    for (const Case& c : cases) {
        const ClientList list = BuildClientList(names, c.name);
        EXPECT_EQ(list.entries, c.entries) << c.name.toStdString();
        EXPECT_EQ(list.selected, c.selected) << c.name.toStdString();
    }
}

TEST(OrderRate, TruncatesToCentsExactly)
{
    struct Case {
        double price1, rate, priceOut;
    };
    const std::vector<Case> cases = {
        {10.0199, 28.5, 285.56}, // rounding would give 285,57
        {1.15, 1, 1.15},         // a double product gives 114,999...
        {0.29, 100, 29},
        {19.99, 1, 19.99},
        {33.3333, 3, 99.99},
        {-1.005, 1, -1.01}, // Int() floors
        {0, 30, 0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(TruncatedToCents(c.price1, c.rate), c.priceOut) << c.price1 << " x " << c.rate;

    OrderFolder folder;
    folder.price.exec(QStringLiteral(
        "INSERT INTO Zakaz (Id, Code, Art, Tovar, Price_1, PriceOut, Quantity, Obrab, Postav) VALUES"
        " (1, 10, 'a', 'Первый', 10.0199, 0, 1, 'True', ''), (2, 11, 'b', 'Второй', 1.15, 0, 2, 'True', ''),"
        " (3, 12, 'c', 'Третий', NULL, 5, 1, 'True', '')"));
    UpdateZakazPrices(folder.price, 28.5);
    const auto priceOut = [&](int id) { return folder.price.scalar(QStringLiteral("SELECT PriceOut FROM Zakaz WHERE Id = ?1"), {id}); };
    EXPECT_DOUBLE_EQ(priceOut(1).toDouble(), 285.56);
    EXPECT_DOUBLE_EQ(priceOut(2).toDouble(), 32.77);
    EXPECT_TRUE(priceOut(3).isNull());
    UpdateZakazPrices(folder.price, 1);
    EXPECT_DOUBLE_EQ(priceOut(2).toDouble(), 1.15);
}

TEST(OrderRate, OnlyARateThatParsesIsStored)
{
    OrderFolder folder;
    EXPECT_DOUBLE_EQ(ReadDollarRate(folder.order), 30);
    EXPECT_TRUE(ReadPricesInRoubles(folder.order));
    struct Case {
        QString text;
        double rate;
    };
    const std::vector<Case> cases = {
        {QStringLiteral("28,5"), 28.5}, {QStringLiteral("28,"), 28}, {QString(), 28},
        {QStringLiteral(","), 28},      {QStringLiteral("abc"), 28}, {QStringLiteral("31.1234"), 31.1234},
    };
    double rate = 30;
    for (const Case& c : cases) {
        rate = StoreDollarRateText(folder.order, c.text, rate);
        EXPECT_DOUBLE_EQ(rate, c.rate) << c.text.toStdString();
        EXPECT_DOUBLE_EQ(ReadDollarRate(folder.order), c.rate) << c.text.toStdString();
    }
    StorePricesInRoubles(folder.order, false);
    EXPECT_FALSE(ReadPricesInRoubles(folder.order));
}

TEST(OrderKeyFilters, RateAndOrderNumberFields)
{
    struct RateCase {
        QString text;
        QChar key;
        std::optional<QChar> result;
    };
    const std::vector<RateCase> rateCases = {
        {"", u',', std::nullopt}, {"28", u'.', QChar(u',')}, {"28", u',', QChar(u',')},
        {"28,1", u',', std::nullopt}, {"28,12", u'3', QChar(u'3')}, {"28,123", u'4', std::nullopt},
        {"28", u'5', QChar(u'5')}, {"", u'7', QChar(u'7')}, {"28", u'a', std::nullopt},
        {"28", u'-', std::nullopt}, {"28", u' ', std::nullopt},
    };
    for (const RateCase& c : rateCases)
        EXPECT_EQ(FilterRateKey(c.text, c.key), c.result) << c.text.toStdString() << " + " << int(c.key.unicode());

    struct NumberCase {
        QString text;
        QChar key;
        OrderNumberKey result;
    };
    const std::vector<NumberCase> numberCases = {
        {"", u'1', OrderNumberKey::Accept},     {"9999", u'9', OrderNumberKey::Accept},
        {"99999", u'0', OrderNumberKey::TooLarge}, {"10000", u'0', OrderNumberKey::TooLarge},
        {"12", u'a', OrderNumberKey::Refuse},   {"12", u',', OrderNumberKey::Refuse},
    };
    for (const NumberCase& c : numberCases)
        EXPECT_EQ(FilterOrderNumberKey(c.text, c.key), c.result) << c.text.toStdString();
    EXPECT_EQ(kOrderNumberTooLargeMessage, QStringLiteral("  Номер заказа не может быть более 99999!"));
}

} // namespace
} // namespace velmora::orders
