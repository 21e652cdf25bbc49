#include "goods_prices.h"

#include "storage/value_helpers.h"

namespace velmora::catalogue {

double sellingPrice(double price1, double nacen, bool superPrice)
{
    return superPrice ? price1 : price1 + price1 * nacen / 100.0;
}

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
    const double selling = RoundValue(digits, sellingPrice(good.price1, good.nacen, good.superPrice));
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
