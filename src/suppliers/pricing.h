#pragma once

#include <QString>

#include <optional>

namespace velmora {

// How supplier prices are rounded when stored. Built once per load or
// re-pricing from SetupUser.ini [SetupUsers] DegreePricePostav and the
// client switch ClientModeOrmita, then passed to every ComputeStoredPrices.
struct PriceRounding {
    // Decimal places of Price and PriceOut; none = not rounded.
    std::optional<int> priceDigits = 2;
    // Decimal places of Pricemax; none = not rounded.
    std::optional<int> priceMaxDigits = 2;

    // DegreePricePostav: a number gives its places (negative rounds to tens,
    // hundreds ...), "X" switches rounding off, any other text means 2.
    // Under Ormita, Price and PriceOut are rounded whatever the setting,
    // to 2 places when it is "X".
    static PriceRounding fromDegreeText(const QString& degreePricePostav, bool ormita = false);
};

// One offer as quoted in its price list.
struct QuotedOffer {
    double price = 0;      // first price, in the offer's currency
    double priceMax = 0;   // second price, in the offer's currency
    double conversion = 1; // the price list's conversion factor (first price only)
    double markup = 0;     // percent; negative is a discount
};

// The three prices stored in AllTovarPostav.
struct StoredPrices {
    double price = 0;
    double priceMax = 0;
    double priceOut = 0;

    bool operator==(const StoredPrices&) const = default;
};

// The one rule from a quoted offer to its stored prices, used by the loader
// for each new offer and by the re-pricing for each loaded one, so both
// always agree. factor = rate of the offer's currency / rate of the display
// currency (CurrencyTable::factor).
//   Price    = round(price x conversion x factor), lowered by the markup
//              when the markup is negative
//   Pricemax = round(priceMax x factor), no conversion, no markup
//   PriceOut = round((1 + markup/100) x round(price x conversion x factor))
// Every value is then kept to four decimals, as a currency column holds it;
// a result that is not finite is stored as 0. Cheap: no allocation, no I/O.
StoredPrices ComputeStoredPrices(const QuotedOffer& offer, double factor, const PriceRounding& rounding);

} // namespace velmora
