#include "currency_table.h"

#include <cmath>

namespace velmora {

QString CurrencyCode(int index)
{
    static const std::array<QString, kCurrencyCount> codes{
        QStringLiteral("USD"), QStringLiteral("EUR"), QStringLiteral("RUB"),
        QStringLiteral("BYN"), QStringLiteral("UAH")};
    return CurrencyTable::isCurrencyIndex(index) ? codes[size_t(index)] : QString();
}

int CurrencyIndexOfCode(const QString& code)
{
    const QString wanted = code.trimmed();
    for (int i = 0; i < kCurrencyCount; ++i)
        if (wanted.compare(CurrencyCode(i), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

namespace {

bool usableRate(double rate) { return rate > 0 && std::isfinite(rate); }

} // namespace

std::optional<double> CurrencyTable::roublesPerDisplayUnit() const
{
    if (displayIndex == CurrencyRUB)
        return 1.0;
    const double display = rate(displayIndex);
    const double rouble = rate(CurrencyRUB);
    if (!usableRate(display) || !usableRate(rouble) || std::fabs(display - rouble) <= 1e-9 * display)
        return std::nullopt;
    return display / rouble;
}

double CurrencyTable::factor(int index) const
{
    if (!isCurrencyIndex(index))
        return 1.0;
    const double from = rate(index);
    const double to = rate(displayIndex);
    if (!usableRate(from) || !usableRate(to))
        return 1.0;
    return from / to;
}

} // namespace velmora
