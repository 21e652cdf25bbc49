#pragma once

#include "currency_table.h"

#include "platform/db/connection.h"
#include "platform/http/http_client.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <array>
#include <functional>

namespace velmora {

// How feeds are reached. The defaults are the sources' own hosts and the
// HTTP layer's timeouts.
struct RateFeedOptions {
    // Replaces the scheme and host of every feed address when not empty.
    QString baseUrl;
    http::HttpOptions http;

    // The defaults, with baseUrl from the environment variable
    // VELMORA_RATES_BASE_URL (for a proxy mirror, or a test server).
    static RateFeedOptions fromEnvironment();
};

// Fetches one feed address. The default goes over HTTP; tests may pass
// their own.
using RateFeedFetcher = std::function<http::HttpResult(const QString& url)>;
RateFeedFetcher HttpRateFeedFetcher(const http::HttpOptions& options);

// What one refresh found. The caller shows it: rates in the edits, the
// lower rows' currencies, the status text, and arms the re-pricing timer
// when ratesChanged.
struct RateRefreshResult {
    CurrencyTable table;
    int source = -1;          // the source number, -1 for none
    bool downloaded = false;  // a feed was fetched and gave rates
    bool downloadFailed = false;
    QByteArray feedText;      // the last download as received
    QString statusText;       // for the status bar; empty when nothing to say
    // Some rate differs from its stored value by more than 0.0001.
    bool ratesChanged = false;
    // The currencies shown by the lower two rate rows: Edit_BYR / Label_BYR
    // first, Edit_Grivna / Label_UAH second.
    std::array<int, 2> lowerRows{CurrencyBYN, CurrencyUAH};
};

// Rebuilds the currency table: reads the display currency and source, takes
// the stored rates (also with no source, where they are the typed ones), and
// when downloading is on and there is a source
// fetches the source's feed for `now` and takes every currency it lists.
// After a good download the source's home currency is 1 and all five rates
// are stored. A failed, empty or unreadable download changes nothing
// stored and says so in statusText. Throws only on database errors.
RateRefreshResult RefreshCurrencyRates(db::Connection& priceDb, const QDateTime& now,
                                       const RateFeedFetcher& fetch, const QString& baseUrl = QString());

// The two lower rows' currencies for a source: the two that are neither
// USD, EUR nor the home currency (BYN and UAH when there is no home).
std::array<int, 2> LowerRateRows(int source);

// Rates closer than this count as unchanged.
inline constexpr double kRateTolerance = 0.0001;

} // namespace velmora
