#include "rate_entry.h"

#include "rate_refresh.h"
#include "rate_settings.h"

#include "storage/value_helpers.h"

#include <QLocale>

#include <cmath>

namespace velmora {

RateKeyDecision FilterRateKey(const QString& currentText, QChar key, QChar decimalSeparator)
{
    if (key == u'\b')
        return {true, key};
    const qsizetype separatorAt = [&] {
        const qsizetype comma = currentText.indexOf(u',');
        const qsizetype dot = currentText.indexOf(u'.');
        const qsizetype own = currentText.indexOf(decimalSeparator);
        qsizetype first = -1;
        for (qsizetype at : {comma, dot, own})
            if (at >= 0 && (first < 0 || at < first))
                first = at;
        return first;
    }();
    if (key == u',' || key == u'.') {
        if (currentText.isEmpty() || separatorAt >= 0)
            return {};
        return {true, decimalSeparator};
    }
    if (key.isDigit() && key.unicode() < 128) {
        if (separatorAt >= 0 && currentText.size() - separatorAt - 1 > 3)
            return {};
        return {true, key};
    }
    return {};
}

std::optional<double> ParseTypedRate(const QString& text)
{
    QString normal = text.trimmed();
    if (normal.isEmpty())
        return 1.0;
    normal.replace(u',', u'.');
    bool ok = false;
    const double value = QLocale::c().toDouble(normal, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    const double rounded = RoundValue(4, value);
    if (!(rounded > 0))
        return std::nullopt;
    return rounded;
}

TypedRateChange TakeTypedRate(db::Connection& priceDb, CurrencyTable& table, int currencyIndex, double rate)
{
    TypedRateChange change;
    if (!CurrencyTable::isCurrencyIndex(currencyIndex) || !(rate > 0))
        return change;
    change.storeDue = std::fabs(rate - rate_settings::storedRate(priceDb, currencyIndex)) > kRateTolerance;
    // The table may hold another value than the store (a failed download):
    // what the user typed is what prices must use.
    double& current = table.rates[size_t(currencyIndex)];
    if (std::fabs(rate - current) > kRateTolerance) {
        current = rate;
        change.tableChanged = true;
    }
    return change;
}

void StoreTypedRate(db::Connection& priceDb, int currencyIndex, double rate, const QString& extraSettingName)
{
    rate_settings::storeRate(priceDb, currencyIndex, rate);
    if (!extraSettingName.isEmpty())
        rate_settings::writeDouble(priceDb, extraSettingName, rate);
}

} // namespace velmora
