#include "currency_test_support.h"

#include "suppliers/currency/rate_entry.h"
#include "suppliers/currency/rate_settings.h"

#include <gtest/gtest.h>

using namespace velmora;
using velmora::testing::PriceDatabase;

namespace {

struct KeyCase {
    const char* text;
    char16_t key;
    char16_t separator;
    bool accept;
    char16_t inserted;
};

TEST(RateKeyFilter, TypedCharacters)
{
    const KeyCase cases[] = {
        {"12", u'.', u',', true, u','},   // a full stop becomes the decimal comma
        {"12", u',', u',', true, u','},
        {"12", u',', u'.', true, u'.'},   // under a "." locale the comma becomes "."
        {"12,", u',', u',', false, 0},    // a second separator
        {"12.", u',', u',', false, 0},
        {"", u',', u',', false, 0},       // no separator into an empty box
        {"12,345", u'6', u',', true, u'6'},
        {"12,3456", u'7', u',', false, 0}, // four digits after the comma at most
        {"1.2345", u'7', u'.', false, 0},
        {"", u'7', u',', true, u'7'},
        {"12", u'a', u',', false, 0},
        {"12", u'-', u',', false, 0},
        {"12", u' ', u',', false, 0},
        {"12,3456", u'\b', u',', true, u'\b'},
    };
    for (const KeyCase& c : cases) {
        const RateKeyDecision decision = FilterRateKey(QString::fromLatin1(c.text), QChar(c.key), QChar(c.separator));
        EXPECT_EQ(decision.accept, c.accept) << c.text << " + " << char(c.key);
        if (c.accept) {
            EXPECT_EQ(decision.insert, QChar(c.inserted)) << c.text << " + " << char(c.key);
        }
    }
}

TEST(TypedRate, TextToRate)
{
    EXPECT_EQ(ParseTypedRate(QStringLiteral("")), 1.0);
    EXPECT_EQ(ParseTypedRate(QStringLiteral("73,4567")), 73.4567);
    EXPECT_EQ(ParseTypedRate(QStringLiteral("73.45678")), 73.4568);
    EXPECT_EQ(ParseTypedRate(QStringLiteral("0")), std::nullopt);
    EXPECT_EQ(ParseTypedRate(QStringLiteral("0,00001")), std::nullopt);
    EXPECT_EQ(ParseTypedRate(QStringLiteral("abc")), std::nullopt);
}

TEST(TypedRate, TakenByTheTableAndDueForTheStoreOnlyBeyondTheTolerance)
{
    PriceDatabase prices;
    rate_settings::storeRate(prices.db, CurrencyUSD, 90);
    CurrencyTable table;
    table.rates = {90, 100, 1, 28, 2.5};

    EXPECT_FALSE(TakeTypedRate(prices.db, table, CurrencyUSD, 90.00005).any());
    EXPECT_DOUBLE_EQ(table.rate(CurrencyUSD), 90);

    const TypedRateChange moved = TakeTypedRate(prices.db, table, CurrencyUSD, 90.0002);
    EXPECT_TRUE(moved.tableChanged);
    EXPECT_TRUE(moved.storeDue);
    EXPECT_DOUBLE_EQ(table.rate(CurrencyUSD), 90.0002);
    EXPECT_DOUBLE_EQ(rate_settings::storedRate(prices.db, CurrencyUSD), 90) << "taking reads the store only";
    StoreTypedRate(prices.db, CurrencyUSD, 90.0002);
    EXPECT_DOUBLE_EQ(rate_settings::storedRate(prices.db, CurrencyUSD), 90.0002);

    // A lower row keeps writing its old setting name as well.
    EXPECT_TRUE(TakeTypedRate(prices.db, table, CurrencyBYN, 27.5).storeDue);
    StoreTypedRate(prices.db, CurrencyBYN, 27.5, QStringLiteral("KursValuta_BYR"));
    EXPECT_DOUBLE_EQ(table.rate(CurrencyBYN), 27.5);
    EXPECT_DOUBLE_EQ(rate_settings::storedRate(prices.db, CurrencyBYN), 27.5);
    EXPECT_DOUBLE_EQ(rate_settings::readDouble(prices.db, QStringLiteral("KursValuta_BYR"), 0), 27.5);

    // The table may differ from the store (a failed download): the typed
    // value reaches it even when the store already holds it.
    table.rates[CurrencyEUR] = 1;
    rate_settings::storeRate(prices.db, CurrencyEUR, 100);
    const TypedRateChange euro = TakeTypedRate(prices.db, table, CurrencyEUR, 100);
    EXPECT_TRUE(euro.tableChanged);
    EXPECT_FALSE(euro.storeDue);
    EXPECT_DOUBLE_EQ(table.rate(CurrencyEUR), 100);
}

} // namespace
