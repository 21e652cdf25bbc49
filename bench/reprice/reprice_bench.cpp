// Re-prices a generated price database of many offers, half of them in
// foreign currencies, and prints how long it took.
//
//   reprice [offers]     (default 1000000)
#include "platform/db/connection.h"
#include "storage/goods_search_index.h"
#include "storage/schema.h"
#include "suppliers/currency/reprice.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <random>

using namespace velmora;

namespace {

void generate(db::Connection& priceDb, int offers, const CurrencyTable& table, const PriceRounding& rounding)
{
    std::mt19937 random(12345);
    std::uniform_real_distribution<double> price(1, 5000);
    std::uniform_int_distribution<int> markup(-10, 40);
    // Half in the display currency (RUB), the other half spread over the
    // four foreign ones.
    const char* const foreign[] = {"USD", "EUR", "BYN", "UAH"};

    db::Transaction transaction(priceDb);
    // Indexed for the search in one pass after the commit, as the loader is.
    SupplierGoodsBulkInsert searchIndex(priceDb, offers);
    db::Statement offer = priceDb.prepare(QStringLiteral(
        "INSERT INTO AllTovarPostav (Number, Postavshik, Art, Tovar, Price, Pricemax, PriceOut, Check_sootv,"
        " Check_obrab, Dates) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, 'True', 'True', 45000)"));
    db::Statement currency = priceDb.prepare(QStringLiteral(
        "INSERT INTO AllTovarValuta VALUES (?1, ?2, ?3, ?4, ?5, ?6, 45000.5)"));
    const QString suppliers[] = {QStringLiteral("Alfa"), QStringLiteral("Beta"), QStringLiteral("Gamma")};
    for (int n = 1; n <= offers; ++n) {
        const char* code = n % 2 ? "RUB" : foreign[(n / 2) % 4];
        QuotedOffer quoted{std::round(price(random) * 100) / 100, 0, n % 3 ? 1.0 : 1.05, double(markup(random))};
        quoted.priceMax = quoted.price * 1.1;
        const StoredPrices stored =
            ComputeStoredPrices(quoted, table.factor(CurrencyIndexOfCode(QString::fromLatin1(code))), rounding);
        offer.bindInt(1, n).bindText(2, suppliers[n % 3]).bindText(3, QString::number(n));
        offer.bindText(4, QStringLiteral("Товар номер %1").arg(n));
        offer.bindDouble(5, stored.price).bindDouble(6, stored.priceMax).bindDouble(7, stored.priceOut);
        offer.execute();
        offer.reset();
        currency.bindInt(1, n).bindDouble(2, quoted.price).bindDouble(3, quoted.priceMax);
        currency.bindText(4, QString::fromLatin1(code)).bindDouble(5, quoted.conversion);
        currency.bindInt(6, qint64(quoted.markup));
        currency.execute();
        currency.reset();
    }
    searchIndex.finish();
    transaction.commit();
    catchUpSupplierGoodsIndex(priceDb);
    completeOfferIndexes(priceDb);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int offers = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000000;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("PRICE.vdb"));
    createPriceDatabase(path);
    db::Connection priceDb(path);
    priceDb.exec(QStringLiteral("PRAGMA journal_mode=WAL"));

    const PriceRounding rounding = PriceRounding::fromDegreeText(QStringLiteral("2"));
    CurrencyTable before;
    before.rates = {90.1234, 98.7654, 1, 28.4321, 2.3456};
    QElapsedTimer clock;
    clock.start();
    generate(priceDb, offers, before, rounding);
    std::printf("generated %d offers in %.2f s\n", offers, clock.elapsed() / 1000.0);

    CurrencyTable after = before;
    after.rates = {91.5678, 99.1234, 1, 28.9876, 2.4012};
    clock.restart();
    const RepriceResult moved = RepriceForeignGoods(priceDb, after, rounding);
    const double movedSeconds = clock.elapsed() / 1000.0;
    std::printf("re-priced %lld offers, %lld rewritten, in %.2f s\n", (long long)moved.offersExamined,
                (long long)moved.offersChanged, movedSeconds);

    // The pricing rule alone, as the loader calls it once per offer.
    clock.restart();
    double checksum = 0;
    for (int n = 0; n < offers; ++n) {
        const QuotedOffer quoted{1 + n % 5000 * 0.37, n % 7 * 1.5, 1.05, double(n % 50 - 10)};
        checksum += ComputeStoredPrices(quoted, after.factor(n % kCurrencyCount), rounding).priceOut;
    }
    std::printf("pricing rule alone: %d offers in %.3f s (checksum %.2f)\n", offers, clock.elapsed() / 1000.0,
                checksum);

    clock.restart();
    const RepriceResult same = RepriceForeignGoods(priceDb, after, rounding);
    std::printf("again with the same rates: %lld rewritten, in %.2f s\n", (long long)same.offersChanged,
                clock.elapsed() / 1000.0);
    return 0;
}
