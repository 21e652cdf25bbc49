#include "rate_refresh.h"

#include "rate_feed.h"
#include "rate_settings.h"

#include "storage/value_helpers.h"

#include <QStringList>

#include <cmath>

namespace velmora {

RateFeedOptions RateFeedOptions::fromEnvironment()
{
    RateFeedOptions options;
    options.baseUrl = qEnvironmentVariable("VELMORA_RATES_BASE_URL").trimmed();
    return options;
}

RateFeedFetcher HttpRateFeedFetcher(const http::HttpOptions& options)
{
    return [options](const QString& url) { return http::HttpGetText(url, options); };
}

std::array<int, 2> LowerRateRows(int source)
{
    switch (source) {
    case RateSourceUkraine: return {CurrencyBYN, CurrencyRUB};
    case RateSourceBelarus: return {CurrencyRUB, CurrencyUAH};
    default: return {CurrencyBYN, CurrencyUAH};
    }
}

RateRefreshResult RefreshCurrencyRates(db::Connection& priceDb, const QDateTime& now,
                                       const RateFeedFetcher& fetch, const QString& baseUrl)
{
    RateRefreshResult result;
    result.table.displayIndex = rate_settings::displayIndex(priceDb);
    result.source = rate_settings::sourceOfSetting(rate_settings::sourceSetting(priceDb));
    result.lowerRows = LowerRateRows(result.source);

    // Also with no source: the rates typed under it are the stored ones, and
    // they stay in force until the user types others (1 when never stored).
    std::array<double, kCurrencyCount> stored{};
    for (int i = 0; i < kCurrencyCount; ++i)
        stored[size_t(i)] = rate_settings::storedRate(priceDb, i);
    result.table.rates = stored;

    if (result.source == RateSourceNone || !rate_settings::downloadEnabled(priceDb))
        return result;

    const QString sourceName = RateSourceName(result.source);
    const QString url = RateFeedUrl(result.source, now, baseUrl);
    QString failure;
    if (url.isEmpty()) {
        failure = QStringLiteral("нет адреса для источника %1").arg(result.source);
    } else {
        const http::HttpResult answer = fetch(url);
        result.feedText = answer.body;
        if (!answer.ok()) {
            failure = answer.error;
        } else {
            const ParsedRateFeed feed = ParseRateFeedRecords(answer.body, result.source);
            if (!feed.ok) {
                failure = feed.error;
            } else {
                QStringList missing;
                int found = 0;
                auto rates = stored;
                for (int i = 0; i < kCurrencyCount; ++i) {
                    const RateQuote quote = feed.find(CurrencyCode(i));
                    if (quote.rate > 0) {
                        rates[size_t(i)] = quote.rate;
                        ++found;
                    } else if (i != RateSourceHomeCurrency(result.source)) {
                        missing << CurrencyCode(i);
                    }
                }
                if (found == 0) {
                    failure = QStringLiteral("в ответе нет курсов валют");
                } else {
                    if (const int home = RateSourceHomeCurrency(result.source); home >= 0)
                        rates[size_t(home)] = 1.0;
                    result.table.rates = rates;
                    result.downloaded = true;
                    for (int i = 0; i < kCurrencyCount; ++i)
                        rate_settings::storeRate(priceDb, i, rates[size_t(i)]);
                    result.statusText = QStringLiteral("Курсы валют загружены (%1)").arg(sourceName);
                    if (!missing.isEmpty())
                        result.statusText += QStringLiteral("; нет в источнике, оставлен прежний курс: %1")
                                                 .arg(missing.join(QStringLiteral(", ")));
                }
            }
        }
    }
    if (!failure.isEmpty()) {
        result.downloadFailed = true;
        result.statusText = QStringLiteral("Курсы валют не загружены (%1): %2. Оставлены сохранённые курсы.")
                                .arg(sourceName, failure);
        return result;
    }

    for (int i = 0; i < kCurrencyCount; ++i)
        if (std::fabs(result.table.rates[size_t(i)] - stored[size_t(i)]) > kRateTolerance)
            result.ratesChanged = true;
    if (result.ratesChanged) {
        // USD and EUR are kept as four-decimal currency values.
        rate_settings::storeRate(priceDb, CurrencyUSD, RoundValue(4, result.table.rates[CurrencyUSD]));
        rate_settings::storeRate(priceDb, CurrencyEUR, RoundValue(4, result.table.rates[CurrencyEUR]));
    }
    return result;
}

} // namespace velmora
