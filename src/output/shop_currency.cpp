#include "shop_currency.h"

namespace velmora::output {
namespace {

bool isRouble(const QString& code) { return code.trimmed().compare(QLatin1String("RUB"), Qt::CaseInsensitive) == 0; }

} // namespace

int ymlCurrencyFor(const QString& displayCode)
{
    if (isRouble(displayCode))
        return 0;
    return displayCode.trimmed().compare(QLatin1String("EUR"), Qt::CaseInsensitive) == 0 ? 2 : 1;
}

int priceColumnCurrencyFor(const QString& displayCode) { return isRouble(displayCode) ? 1 : 0; }

} // namespace velmora::output
