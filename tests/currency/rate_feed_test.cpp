#include "currency_test_support.h"

#include "suppliers/currency/rate_feed.h"

#include <QLocale>

#include <gtest/gtest.h>

using namespace velmora;
using velmora::testing::currencyFixture;

namespace {

struct QuoteCase {
    const char* fixture;
    int source;
    const char* code;
    double rate;    // 0: not in the feed
    double nominal;
    const char* name;
};

class FeedQuotes : public ::testing::TestWithParam<QuoteCase> {};

TEST_P(FeedQuotes, GiveRatePerUnitNominalAndName)
{
    const QuoteCase c = GetParam();
    const RateQuote quote = ParseRateFeed(QString::fromLatin1(c.code), currencyFixture(QString::fromLatin1(c.fixture)),
                                          c.source);
    EXPECT_NEAR(quote.rate, c.rate, 1e-12) << c.fixture << " " << c.code;
    if (c.rate > 0) {
        EXPECT_DOUBLE_EQ(quote.nominal, c.nominal);
        EXPECT_EQ(quote.name, QString::fromUtf8(c.name));
    }
}

INSTANTIATE_TEST_SUITE_P(
    AllSources, FeedQuotes,
    ::testing::Values(
        // Russia: one line, Windows-1251, "," decimals, UAH quoted per 10.
        QuoteCase{"cbr_daily.xml", RateSourceRussia, "USD", 73.4567, 1, "Доллар США"},
        QuoteCase{"cbr_daily.xml", RateSourceRussia, "EUR", 80.1234, 1, "Евро"},
        QuoteCase{"cbr_daily.xml", RateSourceRussia, "BYN", 28.1234, 1, "Белорусский рубль"},
        QuoteCase{"cbr_daily.xml", RateSourceRussia, "UAH", 2.51234, 10, "Украинских гривен"},
        QuoteCase{"cbr_daily.xml", RateSourceRussia, "RUB", 0, 0, ""},
        // The same feed pretty-printed with fields in other orders, extra
        // elements, a code wrapped in blanks, USD twice (the later wins)
        // and BYN missing.
        QuoteCase{"cbr_reordered.xml", RateSourceRussia, "USD", 73.4567, 1, "Доллар США"},
        QuoteCase{"cbr_reordered.xml", RateSourceRussia, "EUR", 80.1234, 1, "Евро"},
        QuoteCase{"cbr_reordered.xml", RateSourceRussia, "UAH", 2.51234, 10, "Украинских гривен"},
        QuoteCase{"cbr_reordered.xml", RateSourceRussia, "BYN", 0, 0, ""},
        // Ukraine: UTF-8, "." decimals, quoted per 100 and per 10.
        QuoteCase{"bankua_currrate.xml", RateSourceUkraine, "USD", 37.9512, 100, "Долар США"},
        QuoteCase{"bankua_currrate.xml", RateSourceUkraine, "EUR", 41.2345, 100, "Євро"},
        QuoteCase{"bankua_currrate.xml", RateSourceUkraine, "RUB", 0.41234, 10, "Російський рубль"},
        QuoteCase{"bankua_currrate.xml", RateSourceUkraine, "BYN", 11.6543, 1, "Білоруський рубль"},
        QuoteCase{"bankua_currrate.xml", RateSourceUkraine, "UAH", 0, 0, ""},
        // Belarus: Scale of 100 for RUB and UAH.
        QuoteCase{"nbrb_exrates.xml", RateSourceBelarus, "USD", 3.2551, 1, "Доллар США"},
        QuoteCase{"nbrb_exrates.xml", RateSourceBelarus, "RUB", 0.035123, 100, "Российских рублей"},
        QuoteCase{"nbrb_exrates.xml", RateSourceBelarus, "UAH", 0.085432, 100, "Гривен"},
        // Kazakhstan RSS: the title is the name, description the value.
        QuoteCase{"nbk_rates_all.xml", RateSourceKazakhstan, "USD", 450.12, 1, "USD"},
        QuoteCase{"nbk_rates_all.xml", RateSourceKazakhstan, "RUB", 4.95, 1, "RUB"},
        QuoteCase{"nbk_rates_all.xml", RateSourceKazakhstan, "UAH", 11.85, 1, "UAH"},
        // A feed read as another source's layout finds nothing.
        QuoteCase{"cbr_daily.xml", RateSourceUkraine, "USD", 0, 0, ""}));

TEST(RateFeed, BrokenBodiesGiveNoRecords)
{
    const QByteArray good = currencyFixture(QStringLiteral("cbr_daily.xml"));
    const struct {
        const char* what;
        QByteArray body;
    } cases[] = {
        {"empty", QByteArray()},
        {"blank", "  \r\n"},
        {"cut in the middle", good.left(good.size() / 2)},
        {"not XML", "Service Temporarily Unavailable"},
        {"HTML error page", "<html><body><p>Error<br></p></body></html>"},
        {"unknown encoding", "<?xml version=\"1.0\" encoding=\"x-no-such\"?><ValCurs/>"},
    };
    for (const auto& c : cases) {
        const ParsedRateFeed feed = ParseRateFeedRecords(c.body, RateSourceRussia);
        EXPECT_FALSE(feed.ok && !feed.quotes.empty()) << c.what;
        EXPECT_EQ(feed.find(QStringLiteral("USD")).rate, 0) << c.what;
    }
}

TEST(RateFeed, BadRecordsAreSkippedAlone)
{
    const QByteArray body =
        "<ValCurs>"
        "<Valute><CharCode>USD</CharCode><Nominal>0</Nominal><Name>a</Name><Value>73,1</Value></Valute>"
        "<Valute><CharCode>EUR</CharCode><Nominal>1</Nominal><Name>b</Name><Value></Value></Valute>"
        "<Valute><CharCode>UAH</CharCode><Name>c</Name><Value>2,5</Value></Valute>"
        "<Valute><CharCode>BYN</CharCode><Nominal>1</Nominal><Name>d</Name><Value>28,5</Value></Valute>"
        "<Valute><CharCode>KZT</CharCode><Nominal>1e-300</Nominal><Name>e</Name><Value>1e300</Value></Valute>"
        "<Valute><CharCode>CNY</CharCode><Nominal>1e300</Nominal><Name>f</Name><Value>1e-300</Value></Valute>"
        "</ValCurs>";
    const ParsedRateFeed feed = ParseRateFeedRecords(body, RateSourceRussia);
    ASSERT_TRUE(feed.ok);
    EXPECT_EQ(feed.find(QStringLiteral("USD")).rate, 0);
    EXPECT_EQ(feed.find(QStringLiteral("EUR")).rate, 0);
    EXPECT_EQ(feed.find(QStringLiteral("UAH")).rate, 0);
    EXPECT_DOUBLE_EQ(feed.find(QStringLiteral("BYN")).rate, 28.5);
    // A rate that would overflow or vanish leaves its record out.
    EXPECT_EQ(feed.find(QStringLiteral("KZT")).rate, 0);
    EXPECT_EQ(feed.find(QStringLiteral("CNY")).rate, 0);
    EXPECT_EQ(feed.quotes.size(), 1u);
}

TEST(RateFeed, RssItemsCountOnlyInsideTheChannel)
{
    const QByteArray body = "<rss><item><title>USD</title><description>1.5</description><quant>1</quant></item>"
                            "<channel><item><title>EUR</title><description>2.5</description><quant>1</quant></item>"
                            "</channel></rss>";
    const ParsedRateFeed feed = ParseRateFeedRecords(body, RateSourceKazakhstan);
    EXPECT_EQ(feed.find(QStringLiteral("USD")).rate, 0);
    EXPECT_DOUBLE_EQ(feed.find(QStringLiteral("EUR")).rate, 2.5);
}

TEST(RateFeed, DecimalsDoNotDependOnTheLocale)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    const double usd = ParseRateFeed(QStringLiteral("USD"), currencyFixture(QStringLiteral("nbrb_exrates.xml")),
                                     RateSourceBelarus).rate;
    const QChar separatorAfter = QLocale().decimalPoint().at(0);
    QLocale::setDefault(before);
    EXPECT_DOUBLE_EQ(usd, 3.2551);
    EXPECT_EQ(separatorAfter, u',');
}

TEST(RateFeed, UndeclaredWindows1251IsRead)
{
    QByteArray body = "<ValCurs><Valute><CharCode>USD</CharCode><Nominal>1</Nominal><Name>";
    body += QByteArray("\xc4\xee\xeb\xeb\xe0\xf0"); // "Доллар" in Windows-1251
    body += "</Name><Value>73,5</Value></Valute></ValCurs>";
    const RateQuote quote = ParseRateFeed(QStringLiteral("USD"), body, RateSourceRussia);
    EXPECT_DOUBLE_EQ(quote.rate, 73.5);
    EXPECT_EQ(quote.name, QStringLiteral("Доллар"));
}

TEST(RateFeedUrl, EachSourceWithItsDateForm)
{
    const QDateTime now(QDate(2024, 3, 5), QTime(23, 59));
    EXPECT_EQ(RateFeedUrl(RateSourceRussia, now), QStringLiteral("http://www.cbr.ru/scripts/XML_daily.asp?date_req=05/03/2024"));
    EXPECT_EQ(RateFeedUrl(RateSourceUkraine, now), QStringLiteral("http://bank-ua.com/export/currrate.xml"));
    EXPECT_EQ(RateFeedUrl(RateSourceBelarus, now),
              QStringLiteral("http://www.nbrb.by/Services/XmlExRates.aspx?ondate=03/05/2024"));
    EXPECT_EQ(RateFeedUrl(RateSourceKazakhstan, now), QStringLiteral("http://www.nationalbank.kz/rss/rates_all.xml"));
    EXPECT_EQ(RateFeedUrl(RateSourceNone, now), QString());
    EXPECT_EQ(RateFeedUrl(4, now), QString());
}

TEST(RateFeedUrl, BaseUrlReplacesSchemeAndHost)
{
    const QDateTime now(QDate(2024, 3, 5), QTime(8, 0));
    EXPECT_EQ(RateFeedUrl(RateSourceRussia, now, QStringLiteral("http://127.0.0.1:8080/")),
              QStringLiteral("http://127.0.0.1:8080/scripts/XML_daily.asp?date_req=05/03/2024"));
    EXPECT_EQ(RateFeedUrl(RateSourceKazakhstan, now, QStringLiteral("https://mirror.shop.local/rates")),
              QStringLiteral("https://mirror.shop.local/rates/rss/rates_all.xml"));
}

TEST(RateFeedUrl, SlashDatesWhateverTheLocale)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString url = RateFeedUrl(RateSourceBelarus, QDateTime(QDate(2024, 12, 1), QTime(0, 0)));
    QLocale::setDefault(before);
    EXPECT_TRUE(url.endsWith(QStringLiteral("ondate=12/01/2024"))) << url.toStdString();
}

} // namespace
