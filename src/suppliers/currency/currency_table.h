#pragma once

#include <QString>

#include <array>
#include <optional>

namespace velmora {

// Positions in the currency table; a sheet's currency setting, the
// currency combo boxes and the display-currency setting hold these.
enum CurrencyIndex : int {
    CurrencyUSD = 0,
    CurrencyEUR = 1,
    CurrencyRUB = 2,
    CurrencyBYN = 3,
    CurrencyUAH = 4,
};
inline constexpr int kCurrencyCount = 5;

// "USD", "EUR", "RUB", "BYN", "UAH" for indexes 0..4; empty otherwise.
QString CurrencyCode(int index);
// The index of a code (case and surrounding blanks ignored); -1 when it is
// none of the five.
int CurrencyIndexOfCode(const QString& code);

// The five currencies with their rates: each rate is the value of one unit
// in the rate source's home currency, so only ratios between rates matter.
// A plain value; copy it to hand it to a worker thread.
struct CurrencyTable {
    std::array<double, kCurrencyCount> rates{1, 1, 1, 1, 1};
    int displayIndex = CurrencyRUB;

    double rate(int index) const { return isCurrencyIndex(index) ? rates[size_t(index)] : 1.0; }
    QString code(int index) const { return CurrencyCode(index); }
    QString displayCode() const { return CurrencyCode(displayIndex); }

    // The factor that converts a price in the currency at index into the
    // display currency: rate(index) / rate(display). 1 for an index that is
    // no currency, or when either rate is not a usable positive number.
    double factor(int index) const;

    // Roubles per unit of the display currency: 1 when it is the rouble,
    // else rate(display) / rate(RUB). None when the table does not know it:
    // a rate that is not a usable positive number, or both at the same rate
    // (two currencies at par means one was never set, as a rate never
    // downloaded nor typed is 1).
    std::optional<double> roublesPerDisplayUnit() const;

    static bool isCurrencyIndex(int index) { return index >= 0 && index < kCurrencyCount; }

    bool operator==(const CurrencyTable&) const = default;
};

} // namespace velmora
