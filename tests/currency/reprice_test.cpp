#include "currency_test_support.h"

#include "suppliers/currency/reprice.h"

#include <gtest/gtest.h>

#include <map>

using namespace velmora;
using velmora::testing::PriceDatabase;

namespace {

struct Offer {
    const char* supplier;
    const char* code; // nullptr: no currency row
    QuotedOffer quoted;
};

// Offers of every currency with markups up, down and none, conversion
// factors, and the rows re-pricing must leave alone.
const Offer kOffers[] = {
    {"Alfa", "USD", {10, 12, 1.1, 25}},
    {"Alfa", "USD", {99.99, 0, 1, -10}},
    {"Alfa", "EUR", {5.5, 6, 1, 0}},
    {"Alfa", "RUB", {1234.5, 1300, 1.05, 15}},
    {"Alfa", "BYN", {33.3, 35, 1, 7}},
    {"Alfa", "UAH", {777, 800, 0.97, -3}},
    {"Beta", "usd", {42, 50, 1, 20}}, // codes compare without case
    {"Beta", "EUR", {0, 10, 1, 10}},  // Price 0: kept as it is
    {"Beta", "KZT", {1000, 0, 1, 0}}, // no currency of the table
    {"Gamma", nullptr, {15, 0, 1, 0}}, // loaded without a currency row
};

class RepriceTest : public ::testing::Test {
protected:
    // Loads every offer as the loader would with `table`.
    void load(const CurrencyTable& table, const PriceRounding& rounding)
    {
        db::Statement offer = prices.db.prepare(QStringLiteral(
            "INSERT INTO AllTovarPostav (Postavshik, Art, Tovar, Price, Pricemax, PriceOut, Check_sootv, Check_obrab,"
            " Dates) VALUES (?1, ?2, ?3, ?4, ?5, ?6, 'True', 'True', 45000)"));
        db::Statement currency = prices.db.prepare(QStringLiteral(
            "INSERT INTO AllTovarValuta VALUES (?1, ?2, ?3, ?4, ?5, ?6, 45000.5)"));
        int n = 0;
        for (const Offer& o : kOffers) {
            const int index = o.code ? CurrencyIndexOfCode(QString::fromLatin1(o.code)) : -1;
            StoredPrices stored = ComputeStoredPrices(o.quoted, table.factor(index), rounding);
            if (o.quoted.price == 0)
                stored = {0, 5, 0};
            offer.bindText(1, QString::fromLatin1(o.supplier)).bindText(2, QString::number(++n));
            offer.bindText(3, QStringLiteral("Товар %1").arg(n));
            offer.bindDouble(4, stored.price).bindDouble(5, stored.priceMax).bindDouble(6, stored.priceOut);
            offer.execute();
            offer.reset();
            const qint64 number = prices.db.lastInsertRowId();
            numbers.push_back(number);
            if (!o.code)
                continue;
            currency.bindInt(1, number).bindDouble(2, o.quoted.price).bindDouble(3, o.quoted.priceMax);
            currency.bindText(4, QString::fromLatin1(o.code)).bindDouble(5, o.quoted.conversion);
            currency.bindInt(6, qint64(o.quoted.markup));
            currency.execute();
            currency.reset();
        }
    }

    std::map<qint64, StoredPrices> storedPrices()
    {
        std::map<qint64, StoredPrices> rows;
        db::Statement select =
            prices.db.prepare(QStringLiteral("SELECT Number, Price, Pricemax, PriceOut FROM AllTovarPostav"));
        while (select.step())
            rows[select.integer(0)] = {select.number(1), select.number(2), select.number(3)};
        return rows;
    }

    PriceDatabase prices;
    std::vector<qint64> numbers;
};

CurrencyTable makeTable(std::array<double, kCurrencyCount> rates, int display)
{
    CurrencyTable table;
    table.rates = rates;
    table.displayIndex = display;
    return table;
}

TEST_F(RepriceTest, EveryOfferEqualsTheSharedRuleForItsCurrency)
{
    const struct {
        const char* what;
        const char* degree;
        int newDisplay;
    } cases[] = {
        {"two places", "2", CurrencyRUB},
        {"whole numbers", "0", CurrencyRUB},
        {"unrounded", "X", CurrencyRUB},
        {"display changed to EUR", "2", CurrencyEUR},
    };
    const CurrencyTable before = makeTable({90, 100, 1, 28, 2.5}, CurrencyRUB);
    for (const auto& c : cases) {
        prices.db.exec(QStringLiteral("DELETE FROM AllTovarPostav; DELETE FROM AllTovarValuta;"));
        numbers.clear();
        const PriceRounding rounding = PriceRounding::fromDegreeText(QString::fromLatin1(c.degree));
        load(before, rounding);
        const auto old = storedPrices();

        const CurrencyTable after = makeTable({92.1234, 99.5, 1, 28.75, 2.4321}, c.newDisplay);
        const RepriceResult result = RepriceForeignGoods(prices.db, after, rounding);
        const auto now = storedPrices();

        EXPECT_EQ(result.offersExamined, 8) << c.what; // currency rows with Price above 0
        for (size_t i = 0; i < std::size(kOffers); ++i) {
            const Offer& o = kOffers[i];
            const qint64 number = numbers[i];
            const int index = o.code ? CurrencyIndexOfCode(QString::fromLatin1(o.code)) : -1;
            if (index < 0 || o.quoted.price == 0) {
                EXPECT_EQ(now.at(number), old.at(number)) << c.what << " offer " << i << " must be untouched";
                continue;
            }
            const StoredPrices want = ComputeStoredPrices(o.quoted, after.factor(index), rounding);
            EXPECT_EQ(now.at(number), want) << c.what << " offer " << i << " (" << o.code << ")";
            if (index == after.displayIndex && after.displayIndex == before.displayIndex) {
                EXPECT_EQ(now.at(number), old.at(number)) << c.what << " display-currency offer " << i;
            }
        }
    }
}

TEST_F(RepriceTest, UnchangedRatesRewriteNothing)
{
    const CurrencyTable table = makeTable({90, 100, 1, 28, 2.5}, CurrencyRUB);
    load(table, PriceRounding{});
    EXPECT_EQ(RepriceForeignGoods(prices.db, table, PriceRounding{}).offersChanged, 0);
    const CurrencyTable moved = makeTable({91, 100, 1, 28, 2.5}, CurrencyRUB);
    EXPECT_EQ(RepriceForeignGoods(prices.db, moved, PriceRounding{}).offersChanged, 3); // the USD offers
}

TEST_F(RepriceTest, AFailureLeavesEveryPriceAsItWas)
{
    load(makeTable({90, 100, 1, 28, 2.5}, CurrencyRUB), PriceRounding{});
    const auto old = storedPrices();
    // The last foreign offer cannot be written: the ones before it must
    // not stay changed either.
    prices.db.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON AllTovarPostav WHEN NEW.Number = %1"
                                  " BEGIN SELECT RAISE(ABORT, 'refused'); END")
                       .arg(numbers[6]));
    EXPECT_THROW(RepriceForeignGoods(prices.db, makeTable({95, 105, 1, 29, 2.6}, CurrencyRUB), PriceRounding{}),
                 std::exception);
    EXPECT_EQ(storedPrices(), old);
}

} // namespace
