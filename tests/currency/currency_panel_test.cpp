#include "currency_test_support.h"
#include "local_http_server.h"

#include "suppliers/currency/currency_panel.h"
#include "suppliers/currency/rate_feed.h"
#include "suppliers/currency/rate_settings.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>

using namespace velmora;
using velmora::testing::currencyFixture;
using velmora::testing::PriceDatabase;

namespace {

double RoundValueForTest(double x)
{
    return std::floor(x * 100 + 0.5) / 100;
}

class PanelTest : public ::testing::Test {
protected:
    PanelTest()
    {
        panel = std::make_unique<CurrencyPanel>(prices.db, RateFeedOptions{});
        panel->setEditLocale(QLocale(QLocale::Russian, QLocale::Russia));
        panel->setFeedFetcher([this](const QString& url) {
            requests << url;
            http::HttpResult result;
            if (failDownloads)
                result.error = QStringLiteral("no network");
            else
                result.body = currencyFixture(feedFile);
            return result;
        });
    }

    template <typename T>
    T* child(const char* name)
    {
        T* found = panel->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    QTimer* timer() { return child<QTimer>("Timer_ValutaKursUpdate"); }
    // The timer's tick without waiting 1.5 s for it.
    void fireTimer() { QMetaObject::invokeMethod(timer(), "timeout", Qt::DirectConnection); }

    void addUsdOffer(double quoted)
    {
        prices.db.exec(QStringLiteral("INSERT INTO AllTovarPostav (Number, Postavshik, Tovar, Price, Pricemax, PriceOut)"
                                      " VALUES (1, 'Alfa', 'Товар', 1, 1, 1)"));
        db::Statement currency = prices.db.prepare(
            QStringLiteral("INSERT INTO AllTovarValuta VALUES (1, ?1, 0, 'USD', 1, 10, 45000)"));
        currency.bindDouble(1, quoted).execute();
    }

    double storedOfferPrice()
    {
        return prices.db.scalar(QStringLiteral("SELECT Price FROM AllTovarPostav WHERE Number = 1")).toDouble();
    }

    PriceDatabase prices;
    std::unique_ptr<CurrencyPanel> panel;
    QString feedFile = QStringLiteral("cbr_daily.xml");
    bool failDownloads = false;
    QStringList requests;
};

TEST_F(PanelTest, HoldsTheNamedControls)
{
    for (const char* name : {"ComboBox_ValutaName", "ComboBox_ValutaSite"})
        child<QComboBox>(name);
    child<QCheckBox>("CheckBox_ValutaKurs");
    for (const char* name : {"Edit_Dollar", "Edit_Evro", "Edit_Grivna", "Edit_BYR"})
        child<QLineEdit>(name);
    for (const char* name : {"Label29", "Label_Evro", "Label_UAH", "Label_BYR"})
        child<QLabel>(name);
    EXPECT_EQ(timer()->interval(), 1500);
    EXPECT_TRUE(timer()->isSingleShot());
    EXPECT_FALSE(timer()->isActive());
    EXPECT_EQ(child<QCheckBox>("CheckBox_ValutaKurs")->text(), QStringLiteral("Загружать курсы валют"));
    const QStringList sites{QStringLiteral("НЕТ!"), QStringLiteral("ЦБ России"), QStringLiteral("ЦБ Украины"),
                            QStringLiteral("НБ Белоруссии")};
    auto* site = child<QComboBox>("ComboBox_ValutaSite");
    for (int i = 0; i < sites.size(); ++i)
        EXPECT_EQ(site->itemText(i), sites[i]);
}

TEST_F(PanelTest, BeforeTheFirstRefreshTheTimerWaitsAndNothingActs)
{
    panel->setAdministrator(true);
    addUsdOffer(10);
    EXPECT_TRUE(panel->ratesRefreshRunning());
    // Start-up filling the edits stores nothing.
    child<QLineEdit>("Edit_Dollar")->setText(QStringLiteral("95"));
    EXPECT_DOUBLE_EQ(rate_settings::storedRate(prices.db, CurrencyUSD), 1.0);
    // A tick while refreshing keeps the timer going and prices nothing.
    timer()->start();
    fireTimer();
    EXPECT_TRUE(timer()->isActive());
    EXPECT_DOUBLE_EQ(storedOfferPrice(), 1.0);
}

TEST_F(PanelTest, RefreshShowsTheRatesAndRelabelsTheLowerRows)
{
    struct Case {
        int site;
        const char* feed;
        const char* byrLabel;
        const char* byrText;
        const char* uahLabel;
        const char* uahText;
    };
    const Case cases[] = {
        {1, "cbr_daily.xml", "BYN", "28,1234", "UAH", "2,51234"},
        {2, "bankua_currrate.xml", "BYN", "11,6543", "RUB", "0,41234"},
        {3, "nbrb_exrates.xml", "RUB", "0,035123", "UAH", "0,085432"},
        {4, "nbk_rates_all.xml", "BYN", "138,5", "UAH", "11,85"},
        // No source after another: BYN and UAH again, at the rates last stored.
        {0, "cbr_daily.xml", "BYN", "138,5", "UAH", "11,85"},
    };
    QSignalSpy titles(panel.get(), &CurrencyPanel::priceColumnTitleChanged);
    for (const Case& c : cases) {
        rate_settings::setSourceSetting(prices.db, c.site);
        feedFile = QString::fromLatin1(c.feed);
        panel->RefreshCurrencyRates();
        EXPECT_FALSE(panel->ratesRefreshRunning());
        EXPECT_EQ(child<QLabel>("Label_BYR")->text(), QString::fromLatin1(c.byrLabel)) << c.feed;
        EXPECT_EQ(child<QLineEdit>("Edit_BYR")->text(), QString::fromLatin1(c.byrText)) << c.feed;
        EXPECT_EQ(child<QLabel>("Label_UAH")->text(), QString::fromLatin1(c.uahLabel)) << c.feed;
        EXPECT_EQ(child<QLineEdit>("Edit_Grivna")->text(), QString::fromLatin1(c.uahText)) << c.feed;
        auto* site = child<QComboBox>("ComboBox_ValutaSite");
        EXPECT_EQ(site->currentIndex(), c.site < site->count() ? c.site : -1) << c.feed;
    }
    ASSERT_FALSE(titles.isEmpty());
    EXPECT_EQ(titles.last().at(0).toString(), QStringLiteral("Цена (RUB)"));
    EXPECT_EQ(child<QLineEdit>("Edit_Dollar")->text(), QStringLiteral("450,12"));
    EXPECT_EQ(requests.size(), 4) << "no download without a source";
}

// With no source the rates are the user's own: what is typed stays in
// force after the next refresh and after a restart.
TEST_F(PanelTest, RatesTypedWithNoSourceStayAfterRefreshAndRestart)
{
    panel->setAdministrator(true);
    rate_settings::setSourceSetting(prices.db, 0);
    panel->RefreshCurrencyRates();
    EXPECT_EQ(child<QLineEdit>("Edit_Dollar")->text(), QStringLiteral("1"));
    for (const char* name : {"Edit_Dollar", "Edit_Evro"}) {
        QLineEdit* edit = child<QLineEdit>(name);
        edit->clear();
        QTest::keyClicks(edit, QString::fromLatin1(name) == u"Edit_Dollar" ? QStringLiteral("92,5") : QStringLiteral("101"));
    }
    panel->RefreshCurrencyRates();
    EXPECT_DOUBLE_EQ(panel->currencyTable().rate(CurrencyUSD), 92.5);
    EXPECT_DOUBLE_EQ(panel->currencyTable().rate(CurrencyEUR), 101);
    EXPECT_EQ(child<QLineEdit>("Edit_Dollar")->text(), QStringLiteral("92,5"));

    CurrencyPanel restarted(prices.db, RateFeedOptions{});
    restarted.setFeedFetcher([this](const QString& url) {
        requests << url;
        return http::HttpResult{};
    });
    restarted.RefreshCurrencyRates();
    EXPECT_DOUBLE_EQ(restarted.currencyTable().rate(CurrencyUSD), 92.5);
    EXPECT_DOUBLE_EQ(restarted.currencyTable().rate(CurrencyEUR), 101);
    EXPECT_DOUBLE_EQ(restarted.currencyTable().factor(CurrencyUSD), 92.5);
    EXPECT_TRUE(requests.isEmpty());
}

TEST_F(PanelTest, FailedDownloadIsReportedAndKeepsTheRates)
{
    rate_settings::setSourceSetting(prices.db, 1);
    rate_settings::storeRate(prices.db, CurrencyUSD, 90);
    failDownloads = true;
    QSignalSpy status(panel.get(), &CurrencyPanel::statusMessage);
    panel->RefreshCurrencyRates();
    ASSERT_EQ(status.size(), 1);
    EXPECT_TRUE(status[0][0].toString().contains(QStringLiteral("не загружены")));
    EXPECT_EQ(child<QLineEdit>("Edit_Dollar")->text(), QStringLiteral("90"));
    EXPECT_FALSE(timer()->isActive());
    // The rate fields show that their rates were not downloaded (a 1 there
    // is no real rate); a good download takes the mark away.
    EXPECT_TRUE(panel->ratesUnconfirmed());
    for (const char* name : {"Edit_Dollar", "Edit_Evro"}) {
        EXPECT_FALSE(child<QLineEdit>(name)->styleSheet().isEmpty()) << name;
        EXPECT_TRUE(child<QLineEdit>(name)->toolTip().startsWith(QStringLiteral("Курс не загружен"))) << name;
    }
    failDownloads = false;
    panel->RefreshCurrencyRates();
    EXPECT_FALSE(panel->ratesUnconfirmed());
    EXPECT_TRUE(child<QLineEdit>("Edit_Dollar")->styleSheet().isEmpty());
}

TEST_F(PanelTest, TypedRateReachesTheTableOfTheShownCurrency)
{
    panel->setAdministrator(true);
    rate_settings::setSourceSetting(prices.db, 2); // Ukraine: the UAH row shows RUB
    feedFile = QStringLiteral("bankua_currrate.xml");
    panel->RefreshCurrencyRates();
    timer()->stop();

    QLineEdit* edit = child<QLineEdit>("Edit_Grivna");
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("0.5"));
    EXPECT_EQ(edit->text(), QStringLiteral("0,5"));
    EXPECT_DOUBLE_EQ(panel->currencyTable().rate(CurrencyRUB), 0.5);
    EXPECT_DOUBLE_EQ(rate_settings::storedRate(prices.db, CurrencyRUB), 0.5);
    EXPECT_DOUBLE_EQ(rate_settings::readDouble(prices.db, QStringLiteral("KursValuta_Grivna"), 0), 0.5);
    EXPECT_TRUE(timer()->isActive());
}

TEST_F(PanelTest, KeyRuleOfTheRateEdits)
{
    panel->RefreshCurrencyRates();
    QSignalSpy edited(panel.get(), &CurrencyPanel::priceListSettingsChanged);
    QLineEdit* edit = child<QLineEdit>("Edit_Dollar");
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral(",12.,3456789x-"));
    EXPECT_EQ(edit->text(), QStringLiteral("12,3456"));
    EXPECT_EQ(edited.size(), 14);
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), QStringLiteral("12,345"));
}

TEST_F(PanelTest, DisplayCurrencyChangeRepricesWithTheNewTable)
{
    panel->setAdministrator(true);
    rate_settings::setSourceSetting(prices.db, 1);
    panel->RefreshCurrencyRates(); // USD 73.4567, EUR 80.1234 against RUB
    addUsdOffer(10);

    QSignalSpy repriced(panel.get(), &CurrencyPanel::goodsRepriced);
    auto* name = child<QComboBox>("ComboBox_ValutaName");
    name->setCurrentIndex(CurrencyEUR);
    emit name->activated(CurrencyEUR);
    EXPECT_EQ(rate_settings::displayIndex(prices.db), CurrencyEUR);
    EXPECT_EQ(panel->currencyTable().displayIndex, CurrencyEUR);
    EXPECT_TRUE(timer()->isActive());

    fireTimer();
    EXPECT_FALSE(timer()->isActive());
    EXPECT_EQ(repriced.size(), 1);
    EXPECT_DOUBLE_EQ(storedOfferPrice(), RoundValueForTest(10 * 73.4567 / 80.1234));
}

TEST_F(PanelTest, OnlyTheAdministratorReprices)
{
    rate_settings::setSourceSetting(prices.db, 1);
    panel->RefreshCurrencyRates();
    addUsdOffer(10);
    EXPECT_FALSE(child<QComboBox>("ComboBox_ValutaSite")->isEnabled());
    panel->RepriceForeignGoods();
    EXPECT_DOUBLE_EQ(storedOfferPrice(), 1.0);
    panel->setAdministrator(true);
    panel->RepriceForeignGoods();
    EXPECT_DOUBLE_EQ(storedOfferPrice(), 734.57);
}

TEST(CurrencyPanelFeeds, EnvironmentPointsEveryFeedElsewhere)
{
    velmora::testing::LocalHttpServer server;
    server.setRoute(QStringLiteral("/Services/XmlExRates.aspx"), {200, currencyFixture(QStringLiteral("nbrb_exrates.xml"))});
    PriceDatabase prices;
    rate_settings::setSourceSetting(prices.db, 3);
    qputenv("VELMORA_RATES_BASE_URL", server.baseUrl().toUtf8());
    CurrencyPanel panel(prices.db);
    qunsetenv("VELMORA_RATES_BASE_URL");
    panel.RefreshCurrencyRates();
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_TRUE(server.requests()[0].startsWith(QStringLiteral("/Services/XmlExRates.aspx?ondate=")));
    EXPECT_DOUBLE_EQ(panel.currencyTable().rate(CurrencyUSD), 3.2551);
    EXPECT_FALSE(panel.lastFeedText().isEmpty());
}

} // namespace
