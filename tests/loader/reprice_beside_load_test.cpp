// A rate typed while a load holds the price database's write lock: the
// main window never waits for the load, and once the load has committed
// every foreign offer, the loaded ones too, is at the new rate.
#include "loader_test_support.h"

#include "platform/db/db_error.h"

#include "suppliers/currency/currency_panel.h"
#include "suppliers/currency/rate_settings.h"
#include "suppliers/loader/price_list_loader.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMap>
#include <QTest>

#include <atomic>
#include <thread>

namespace velmora::loader::test {
namespace {

SheetSetup UsdSheet()
{
    SheetSetup sheet;
    sheet.sheetName = QStringLiteral("Прайс");
    sheet.columnArt = 1;
    sheet.columnTovar = 2;
    sheet.columnPrice = 3;
    sheet.columnPricemax = 4;
    sheet.valuta = CurrencyUSD;
    sheet.nacen = 10;
    return sheet;
}

// Holds the load inside its write transaction at its first progress report
// until released.
class HeldLoad : public LoadProgress {
public:
    bool offersStored(int) override
    {
        holding = true;
        for (int waited = 0; !released && waited < 30000; waited += 5)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return true;
    }
    std::atomic<bool> holding{false};
    std::atomic<bool> released{false};
};

using Prices = QMap<QString, std::array<double, 3>>; // by article: Price, Pricemax, PriceOut

Prices ReadPrices(db::Connection& priceDb)
{
    Prices prices;
    db::Statement select = priceDb.prepare(QStringLiteral("SELECT Postavshik, Art, Price, Pricemax, PriceOut FROM AllTovarPostav"));
    while (select.step())
        prices.insert(select.text(0) + u'/' + select.text(1), {select.number(2), select.number(3), select.number(4)});
    return prices;
}

LoadResult Load(TestDatabases& dbs, const QString& name, const CurrencyTable& rates, LoadProgress* progress = nullptr)
{
    LoadRequest request;
    request.name = name;
    request.rates = rates;
    request.progress = progress;
    return LoadPriceList(dbs.price, dbs.order, request);
}

TEST(RepriceBesideLoad, ARateTypedDuringALoadNeverWaitsForItAndReachesEveryOfferAfterIt)
{
    QCoreApplication& app = *QCoreApplication::instance();
    const QString loaded = QStringLiteral("Загруженный");
    const QString loading = QStringLiteral("Загружаемый");
    const auto setUp = [&](TestDatabases& dbs) {
        for (const auto& [name, rows] : {std::pair{loaded, 300}, std::pair{loading, 3000}}) {
            const QString file = dbs.dir.filePath(name + QStringLiteral(".xlsx"));
            WriteLargeXlsx(file, rows);
            AddPriceList(dbs.price, name, file);
            AddSheet(dbs.price, name, UsdSheet());
        }
    };
    const CurrencyTable before = TestRates(); // USD 90 against RUB shown
    CurrencyTable after = before;
    after.rates[CurrencyUSD] = 95.5;

    TestDatabases dbs;
    setUp(dbs);
    ASSERT_TRUE(Load(dbs, loaded, before).loaded);
    for (int i = 0; i < kCurrencyCount; ++i)
        rate_settings::storeRate(dbs.price, i, before.rates[size_t(i)]);
    rate_settings::setSourceSetting(dbs.price, 0); // no download: the typed rates serve

    CurrencyPanel panel(dbs.price, RateFeedOptions{});
    panel.setEditLocale(QLocale(QLocale::Russian, QLocale::Russia));
    panel.setAdministrator(true);
    panel.RefreshCurrencyRates();
    ASSERT_EQ(panel.currencyTable(), before);

    // The load on a thread of its own with its own connections, held while
    // it owns the write lock.
    HeldLoad held;
    LoadResult loadResult;
    std::thread loadThread([&] {
        db::Connection price(dbs.pricePath);
        db::Connection order(dbs.orderPath);
        LoadRequest request;
        request.name = loading;
        request.rates = before; // copied when the load was asked for
        request.progress = &held;
        loadResult = LoadPriceList(price, order, request);
    });
    struct Release {
        HeldLoad& held;
        std::thread& thread;
        ~Release()
        {
            held.released = true;
            if (thread.joinable())
                thread.join();
        }
    } release{held, loadThread};
    for (int waited = 0; !held.holding && waited < 20000; waited += 5)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(held.holding);
    {
        db::ShortLockWait noWait(dbs.price, 0);
        EXPECT_THROW({ db::Transaction probe(dbs.price); }, db::DbError) << "the load holds the write lock";
    }

    // Typing the rate, and the re-pricing timer's ticks while the load goes
    // on: no step of the main thread waits for the lock.
    qint64 longestStep = 0;
    QLineEdit* dollar = panel.findChild<QLineEdit*>(QStringLiteral("Edit_Dollar"));
    ASSERT_NE(dollar, nullptr);
    dollar->clear();
    for (QChar key : QStringLiteral("95,5")) {
        QElapsedTimer step;
        step.start();
        QTest::keyClicks(dollar, QString(key));
        longestStep = std::max(longestStep, step.elapsed());
    }
    EXPECT_EQ(panel.currencyTable(), after);
    QElapsedTimer window;
    window.start();
    while (window.elapsed() < 3500) { // two ticks of the timer
        QElapsedTimer step;
        step.start();
        app.processEvents(QEventLoop::AllEvents, 20);
        longestStep = std::max(longestStep, step.elapsed());
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_LT(longestStep, 100) << "ms the main thread waited";
    EXPECT_DOUBLE_EQ(rate_settings::storedRate(dbs.price, CurrencyUSD), 90) << "stored with the re-pricing";

    // The load commits at the old rate; the next tick re-prices everything.
    held.released = true;
    loadThread.join();
    ASSERT_TRUE(loadResult.loaded) << loadResult.errorText.toStdString();

    TestDatabases fresh;
    setUp(fresh);
    ASSERT_TRUE(Load(fresh, loaded, after).loaded);
    ASSERT_TRUE(Load(fresh, loading, after).loaded);
    const Prices expected = ReadPrices(fresh.price);
    ASSERT_EQ(expected.size(), 3300);
    QElapsedTimer settle;
    settle.start();
    while (ReadPrices(dbs.price) != expected && settle.elapsed() < 15000)
        app.processEvents(QEventLoop::AllEvents, 50);
    const Prices got = ReadPrices(dbs.price);
    EXPECT_EQ(got.size(), expected.size());
    int wrong = 0;
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        wrong += got.value(it.key()) != it.value();
    EXPECT_EQ(wrong, 0) << "offers not at the new rate";
    EXPECT_DOUBLE_EQ(rate_settings::storedRate(dbs.price, CurrencyUSD), 95.5);
}

} // namespace
} // namespace velmora::loader::test
