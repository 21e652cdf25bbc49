#include "goods_prices.h"

#include "storage/value_helpers.h"

namespace velmora::catalogue {

GoodPriceTexts goodPriceTexts(const Good& good, const GoodsPricing& pricing)
{
    const int digits = pricing.roundDigits;
    auto shown = [digits](double value) { return RoundedDecimalText(value, digits, u','); };
    GoodPriceTexts texts;
    if (good.price1 == 0) {
        texts.Price_nacen = QStringLiteral("нет");
        texts.NacenAll = QString::number(good.nacen);
        texts.NacenDollars = QStringLiteral("-");
        texts.Price_RUB = QStringLiteral(" - ");
        return texts;
    }
    const double selling = good.superPrice ? RoundValue(digits, good.price1)
                                           : RoundValue(digits, good.price1 + good.price1 * good.nacen / 100.0);
    texts.Price_nacen = shown(selling);
    if (good.superPrice || good.priceBase == 0) {
        texts.NacenAll = QStringLiteral("-");
        texts.NacenDollars = QStringLiteral("-");
    } else {
        texts.NacenAll = RoundedDecimalText((selling / good.priceBase - 1) * 100, 1, u',');
        texts.NacenDollars = shown(selling - good.priceBase);
    }
    texts.Price_RUB = shown(selling * pricing.kursRub);
    return texts;
}

} // namespace velmora::catalogue
