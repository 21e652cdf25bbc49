#pragma once

#include <QString>

namespace velmora::output {

// The currency choices of the outputs follow the shop's currency, the
// display currency of the rates ("RUB", "USD" ...), until the user stores
// one of their own: a missing setting reads as the value below and is not
// stored, so a later change of the display currency still counts.

// ComboBox_Currency of the YML catalogue: 0 roubles, 1 dollars, 2 euros;
// dollars for a currency the catalogue cannot name.
int ymlCurrencyFor(const QString& displayCode);

// CheckBox_Price<k>Kurs of the price list: 1 "руб." for the rouble, else
// 0 " $" (the prices as they stand, in the display currency).
int priceColumnCurrencyFor(const QString& displayCode);

} // namespace velmora::output
