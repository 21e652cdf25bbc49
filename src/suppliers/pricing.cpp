#include "pricing.h"

#include "storage/value_helpers.h"

#include <cmath>

namespace velmora {
namespace {

inline double roundTo(const std::optional<int>& digits, double x)
{
    return digits ? RoundValue(*digits, x) : x;
}

// A currency column keeps four decimals; non-finite arithmetic stores 0.
inline double asCurrency(double x)
{
    return std::isfinite(x) ? RoundValue(4, x) : 0.0;
}

} // namespace

PriceRounding PriceRounding::fromDegreeText(const QString& degreePricePostav, bool ormita)
{
    const QString text = degreePricePostav.trimmed();
    PriceRounding rounding;
    if (text.compare(QLatin1String("X"), Qt::CaseInsensitive) == 0) {
        rounding.priceMaxDigits.reset();
        if (ormita)
            rounding.priceDigits = 2;
        else
            rounding.priceDigits.reset();
        return rounding;
    }
    bool ok = false;
    const int digits = text.toInt(&ok);
    // Beyond 10 places rounding means nothing for a 4-decimal column, and
    // a huge count would make the scale overflow.
    const int places = ok && digits >= -10 && digits <= 10 ? digits : 2;
    rounding.priceDigits = places;
    rounding.priceMaxDigits = places;
    return rounding;
}

StoredPrices ComputeStoredPrices(const QuotedOffer& offer, double factor, const PriceRounding& rounding)
{
    const double converted = roundTo(rounding.priceDigits, offer.price * offer.conversion * factor);
    const double marked = roundTo(rounding.priceDigits, (offer.markup / 100.0 + 1.0) * converted);

    StoredPrices prices;
    prices.price = asCurrency(offer.markup < 0 ? marked : converted);
    prices.priceMax = asCurrency(roundTo(rounding.priceMaxDigits, offer.priceMax * factor));
    prices.priceOut = asCurrency(marked);
    return prices;
}

} // namespace velmora
