// A currency-rate feed as each of the four sources' parsers reads it.
#include "fuzz_input.h"

#include "suppliers/currency/rate_feed.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace velmora;
    const QByteArray feed = fuzz::inputBytes(data, size);
    for (int source = RateSourceRussia; source <= RateSourceKazakhstan; ++source) {
        const ParsedRateFeed parsed = ParseRateFeedRecords(feed, source);
        if (!parsed.ok && !parsed.quotes.empty())
            fuzz::broken("a broken feed with quotes");
        for (const RateQuote& quote : parsed.quotes)
            if (!(quote.rate > 0) || !std::isfinite(quote.rate) || !(quote.nominal > 0))
                fuzz::broken("a quote without a usable rate", quote.code + u' ' + QString::number(quote.rate));
        (void)ParseRateFeed(QStringLiteral("USD"), feed, source);
    }
    (void)DecodeFeedText(feed);
    return 0;
}
