#include "orders/order_rate.h"

#include "storage/settings_store.h"

#include <cmath>
#include <optional>
#include <vector>

namespace velmora::orders {

namespace {
const QString kRateSetting = QStringLiteral("Edit_KursDollar");
const QString kRoublesSetting = QStringLiteral("GroupBox_PriceName");

// A currency value as a count of ten-thousandths.
qint64 tenThousandths(double value) { return qint64(std::llround(value * 10000.0)); }
} // namespace

double ReadDollarRate(db::Connection& orderDb)
{
    return SettingsStore(orderDb).readCurrency(kRateSetting, QStringLiteral("30"));
}

double StoreDollarRateText(db::Connection& orderDb, const QString& text, double current)
{
    try {
        parseDecimal(text);
    } catch (const SettingsError&) {
        return current;
    }
    WriteSetting(orderDb, kRateSetting, QStringLiteral("TypeCurrency"), text);
    return ReadDollarRate(orderDb);
}

bool ReadPricesInRoubles(db::Connection& orderDb)
{
    return SettingsStore(orderDb).readBoolean(kRoublesSetting, QStringLiteral("-1"));
}

void StorePricesInRoubles(db::Connection& orderDb, bool roubles)
{
    WriteSetting(orderDb, kRoublesSetting, QStringLiteral("TypeBoolean"), roubles ? QStringLiteral("-1") : QStringLiteral("0"));
}

double ReadZakazRate(db::Connection& orderDb) { return ReadPricesInRoubles(orderDb) ? ReadDollarRate(orderDb) : 1; }

double TruncatedToCents(double price1, double rate)
{
    // Both are four-decimal values: their product is an exact count of
    // 10^-8; whole cents are 10^6 of those, floored as Int() floors.
    const __int128 product = __int128(tenThousandths(price1)) * tenThousandths(rate);
    const __int128 unit = 1000000;
    __int128 cents = product / unit;
    if (product % unit != 0 && product < 0)
        --cents;
    return double(cents) / 100.0;
}

void UpdateZakazPrices(db::Connection& priceDb, double rate)
{
    db::Transaction transaction(priceDb);
    std::vector<std::pair<qint64, std::optional<double>>> prices;
    {
        db::Statement select = priceDb.prepare(QStringLiteral("SELECT rowid, Price_1 FROM Zakaz"));
        while (select.step())
            prices.emplace_back(select.integer(0), select.isNull(1) ? std::nullopt : std::optional(select.number(1)));
    }
    db::Statement update = priceDb.prepare(QStringLiteral("UPDATE Zakaz SET PriceOut = ?1 WHERE rowid = ?2"));
    for (const auto& [row, price1] : prices) {
        // A row without a price keeps none, as NULL * rate is NULL.
        if (price1)
            update.bindDouble(1, TruncatedToCents(*price1, rate));
        else
            update.bindNull(1);
        update.bindInt(2, row);
        update.execute();
        update.reset();
    }
    transaction.commit();
}

} // namespace velmora::orders
