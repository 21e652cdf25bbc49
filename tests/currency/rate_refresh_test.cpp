#include "currency_test_support.h"
#include "local_http_server.h"

#include "storage/settings_store.h"
#include "suppliers/currency/rate_feed.h"
#include "suppliers/currency/rate_refresh.h"
#include "suppliers/currency/rate_settings.h"

#include <QElapsedTimer>

#include <optional>

#include <gtest/gtest.h>

using namespace velmora;
using velmora::testing::currencyFixture;
using velmora::testing::LocalHttpServer;
using velmora::testing::PriceDatabase;

namespace {

using Rates = std::array<double, kCurrencyCount>;

const QDateTime kNow(QDate(2024, 3, 5), QTime(10, 30));

http::HttpOptions quickHttp()
{
    http::HttpOptions options;
    options.connectTimeout = std::chrono::milliseconds(500);
    options.totalTimeout = std::chrono::milliseconds(1000);
    return options;
}

class RefreshTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        server.setRoute(QStringLiteral("/scripts/XML_daily.asp"), {200, currencyFixture(QStringLiteral("cbr_daily.xml"))});
        server.setRoute(QStringLiteral("/export/currrate.xml"), {200, currencyFixture(QStringLiteral("bankua_currrate.xml"))});
        server.setRoute(QStringLiteral("/Services/XmlExRates.aspx"), {200, currencyFixture(QStringLiteral("nbrb_exrates.xml"))});
        server.setRoute(QStringLiteral("/rss/rates_all.xml"), {200, currencyFixture(QStringLiteral("nbk_rates_all.xml"))});
    }

    void useSource(int settingValue, int display = CurrencyRUB, bool download = true)
    {
        rate_settings::setSourceSetting(prices.db, settingValue);
        rate_settings::setDisplayIndex(prices.db, display);
        rate_settings::setDownloadEnabled(prices.db, download);
    }

    void storeRates(const Rates& rates)
    {
        for (int i = 0; i < kCurrencyCount; ++i)
            rate_settings::storeRate(prices.db, i, rates[size_t(i)]);
    }

    Rates storedRates()
    {
        Rates rates{};
        for (int i = 0; i < kCurrencyCount; ++i)
            rates[size_t(i)] = rate_settings::storedRate(prices.db, i);
        return rates;
    }

    RateRefreshResult refresh()
    {
        return RefreshCurrencyRates(prices.db, kNow, HttpRateFeedFetcher(quickHttp()), server.baseUrl());
    }

    LocalHttpServer server;
    PriceDatabase prices;
};

void expectRates(const Rates& got, const Rates& want, const char* what)
{
    for (int i = 0; i < kCurrencyCount; ++i)
        EXPECT_NEAR(got[size_t(i)], want[size_t(i)], 1e-9) << what << " " << CurrencyCode(i).toStdString();
}

struct SourceCase {
    int settingValue;
    const char* fixture;
    const char* requestStart;
    Rates rates;
    std::array<int, 2> lowerRows;
};

TEST(CurrencyTable, RoublesPerUnitOfTheDisplayCurrency)
{
    struct Case {
        const char* what;
        Rates rates; // USD, EUR, RUB, BYN, UAH
        int display;
        std::optional<double> roubles;
    };
    const Case cases[] = {
        {"roubles need no rate", {1, 1, 1, 1, 1}, CurrencyRUB, 1.0},
        {"the Russian bank's dollar", {90, 100, 1, 28, 2.5}, CurrencyUSD, 90.0},
        {"euros", {90, 100, 1, 28, 2.5}, CurrencyEUR, 100.0},
        // The Ukrainian service: half a hryvnia per rouble, 2 roubles per hryvnia.
        {"hryvnia", {37, 41, 0.5, 11, 1}, CurrencyUAH, 2.0},
        {"no rate set: all at par", {1, 1, 1, 1, 1}, CurrencyUSD, std::nullopt},
        {"no usable rate", {90, 100, 0, 28, 2.5}, CurrencyUSD, std::nullopt},
    };
    for (const Case& c : cases) {
        CurrencyTable table;
        table.rates = c.rates;
        table.displayIndex = c.display;
        EXPECT_EQ(table.roublesPerDisplayUnit(), c.roubles) << c.what;
    }
}

TEST_F(RefreshTest, EachSourceGivesItsRatesAndStoresThem)
{
    const SourceCase cases[] = {
        {1, "cbr_daily.xml", "/scripts/XML_daily.asp?date_req=05/03/2024", {73.4567, 80.1234, 1, 28.1234, 2.51234}, {CurrencyBYN, CurrencyUAH}},
        {2, "bankua_currrate.xml", "/export/currrate.xml", {37.9512, 41.2345, 0.41234, 11.6543, 1}, {CurrencyBYN, CurrencyRUB}},
        {3, "nbrb_exrates.xml", "/Services/XmlExRates.aspx?ondate=03/05/2024", {3.2551, 3.5234, 0.035123, 1, 0.085432}, {CurrencyRUB, CurrencyUAH}},
        // Kazakhstan: the home currency is not in the table, all five come from the feed.
        {4, "nbk_rates_all.xml", "/rss/rates_all.xml", {450.12, 488.70, 4.95, 138.5, 11.85}, {CurrencyBYN, CurrencyUAH}},
    };
    for (const SourceCase& c : cases) {
        storeRates({5, 5, 5, 5, 5});
        useSource(c.settingValue, CurrencyEUR);
        const RateRefreshResult result = refresh();
        EXPECT_TRUE(result.downloaded) << c.requestStart << " " << result.statusText.toStdString();
        EXPECT_FALSE(result.downloadFailed);
        EXPECT_TRUE(result.ratesChanged);
        EXPECT_EQ(result.feedText, currencyFixture(QString::fromLatin1(c.fixture))); // exactly as served
        EXPECT_EQ(result.source, c.settingValue - 1);
        EXPECT_EQ(result.lowerRows, c.lowerRows) << c.requestStart;
        EXPECT_EQ(result.table.displayIndex, CurrencyEUR);
        expectRates(result.table.rates, c.rates, c.requestStart);
        expectRates(storedRates(), c.rates, c.requestStart);
        // Display EUR: USD rows convert by USD / EUR, EUR rows by 1.
        EXPECT_NEAR(result.table.factor(CurrencyUSD), c.rates[CurrencyUSD] / c.rates[CurrencyEUR], 1e-12);
        EXPECT_DOUBLE_EQ(result.table.factor(CurrencyEUR), 1.0);
        ASSERT_FALSE(server.requests().isEmpty());
        EXPECT_EQ(server.requests().last(), QString::fromLatin1(c.requestStart));
    }
}

TEST_F(RefreshTest, CurrencyMissingFromTheFeedKeepsItsStoredRate)
{
    server.setRoute(QStringLiteral("/scripts/XML_daily.asp"), {200, currencyFixture(QStringLiteral("cbr_reordered.xml"))});
    storeRates({70, 75, 1, 0.3, 2});
    useSource(1);
    const RateRefreshResult result = refresh();
    ASSERT_TRUE(result.downloaded);
    // BYN is not listed: it keeps 0.3, not the rate parsed before it.
    expectRates(result.table.rates, {73.4567, 80.1234, 1, 0.3, 2.51234}, "reordered");
    EXPECT_NEAR(rate_settings::storedRate(prices.db, CurrencyBYN), 0.3, 1e-12);
    EXPECT_TRUE(result.statusText.contains(QStringLiteral("BYN"))) << result.statusText.toStdString();
}

TEST_F(RefreshTest, OnlyMovesAboveTheToleranceArmRepricing)
{
    const Rates feed{73.4567, 80.1234, 1, 28.1234, 2.51234};
    const struct {
        int currency;
        double delta;
        bool arms;
    } cases[] = {
        {CurrencyUSD, 0.00005, false},
        {CurrencyUSD, -0.00005, false},
        {CurrencyUSD, 0.0002, true},
        {CurrencyEUR, -0.0002, true},
        {CurrencyBYN, 0.0002, true}, // any currency, not only USD and EUR
        {CurrencyUAH, 0.0002, true},
        {CurrencyUAH, 0.0, false},
    };
    useSource(1);
    for (const auto& c : cases) {
        Rates stored = feed;
        stored[size_t(c.currency)] += c.delta;
        storeRates(stored);
        const RateRefreshResult result = refresh();
        EXPECT_EQ(result.ratesChanged, c.arms) << CurrencyCode(c.currency).toStdString() << " " << c.delta;
    }
}

TEST_F(RefreshTest, FailedDownloadsKeepTheStoredRates)
{
    const QByteArray good = currencyFixture(QStringLiteral("cbr_daily.xml"));
    const struct {
        const char* what;
        LocalHttpServer::Route route;
    } cases[] = {
        {"404", {404, "<html><body>Not found</body></html>"}},
        {"no answer", {200, {}, LocalHttpServer::Mode::Hang}},
        {"cut-off transfer", {200, good.left(300), LocalHttpServer::Mode::Truncate}},
        {"truncated XML", {200, good.left(good.size() - 40)}},
        {"not XML", {200, "Service Temporarily Unavailable"}},
        {"empty body", {200, ""}},
        {"XML without rates", {200, "<?xml version=\"1.0\"?><ValCurs Date=\"05.03.2024\"/>"}},
    };
    // Stored on another base than the source's home currency: a failure
    // must not force RUB to 1 over them.
    const Rates stored{70, 75, 0.9, 25, 2};
    useSource(1);
    for (const auto& c : cases) {
        server.setRoute(QStringLiteral("/scripts/XML_daily.asp"), c.route);
        storeRates(stored);
        QElapsedTimer clock;
        clock.start();
        const RateRefreshResult result = refresh();
        EXPECT_LT(clock.elapsed(), 3000) << c.what;
        EXPECT_TRUE(result.downloadFailed) << c.what;
        EXPECT_FALSE(result.downloaded) << c.what;
        EXPECT_FALSE(result.ratesChanged) << c.what;
        EXPECT_TRUE(result.statusText.contains(QStringLiteral("не загружены"))) << c.what;
        expectRates(result.table.rates, stored, c.what);
        expectRates(storedRates(), stored, c.what);
    }
}

// With no source nothing is downloaded and the stored rates (the typed
// ones) serve; a database that never stored a rate has all at 1.
TEST_F(RefreshTest, NoSourceTakesTheStoredRatesAndDownloadsNothing)
{
    useSource(0);
    expectRates(refresh().table.rates, {1, 1, 1, 1, 1}, "never stored");
    storeRates({70, 75, 1, 25, 2});
    const RateRefreshResult result = refresh();
    expectRates(result.table.rates, {70, 75, 1, 25, 2}, "no source");
    EXPECT_FALSE(result.ratesChanged);
    EXPECT_TRUE(server.requests().isEmpty());
    EXPECT_EQ(result.lowerRows, (std::array<int, 2>{CurrencyBYN, CurrencyUAH}));
    expectRates(storedRates(), {70, 75, 1, 25, 2}, "stored untouched");
}

TEST_F(RefreshTest, DownloadSwitchedOffUsesTheStoredRates)
{
    storeRates({70, 75, 1, 25, 2});
    useSource(1, CurrencyUSD, false);
    const RateRefreshResult result = refresh();
    expectRates(result.table.rates, {70, 75, 1, 25, 2}, "download off");
    EXPECT_EQ(result.table.displayIndex, CurrencyUSD);
    EXPECT_TRUE(server.requests().isEmpty());
    EXPECT_TRUE(result.statusText.isEmpty());
}

TEST_F(RefreshTest, DefaultsOfAnEmptySettingsTable)
{
    // Russia as source, RUB as display, downloading on, every rate 1.
    const RateRefreshResult result = refresh();
    EXPECT_EQ(result.source, RateSourceRussia);
    EXPECT_EQ(result.table.displayIndex, CurrencyRUB);
    EXPECT_TRUE(result.downloaded);
    EXPECT_TRUE(result.ratesChanged);
}

TEST_F(RefreshTest, UnusableStoredRatesReadAsOne)
{
    useSource(1, CurrencyRUB, false);
    rate_settings::storeRate(prices.db, CurrencyUSD, 0);
    rate_settings::storeRate(prices.db, CurrencyEUR, -3);
    const RateRefreshResult result = refresh();
    EXPECT_DOUBLE_EQ(result.table.rate(CurrencyUSD), 1.0);
    EXPECT_DOUBLE_EQ(result.table.rate(CurrencyEUR), 1.0);
}

TEST(RateFeedOptions, BaseUrlComesFromTheEnvironment)
{
    qputenv("VELMORA_RATES_BASE_URL", " http://mirror.local:8080 ");
    const RateFeedOptions options = RateFeedOptions::fromEnvironment();
    qunsetenv("VELMORA_RATES_BASE_URL");
    EXPECT_EQ(options.baseUrl, QStringLiteral("http://mirror.local:8080"));
    EXPECT_EQ(options.http.connectTimeout, std::chrono::milliseconds(5000));
    EXPECT_EQ(options.http.totalTimeout, std::chrono::milliseconds(15000));
    EXPECT_TRUE(RateFeedOptions::fromEnvironment().baseUrl.isEmpty());
}

} // namespace
