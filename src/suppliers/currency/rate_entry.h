#pragma once

#include "currency_table.h"

#include "platform/db/connection.h"

#include <QChar>
#include <QString>

#include <optional>

namespace velmora {

// The key rule of the rate edits for one typed character. Backspace
// passes; "," or "." becomes the decimal separator unless the text is
// empty or already holds one; a digit is refused once four characters
// follow the separator (the whole text counts, not the caret); anything
// else is refused.
struct RateKeyDecision {
    bool accept = false;
    QChar insert; // the character to put in its place when accepted
};
RateKeyDecision FilterRateKey(const QString& currentText, QChar key, QChar decimalSeparator);

// A rate edit's text as a fixed-point number with four decimals: an empty
// text counts as 1; "," or "." separates decimals. None when the text is no
// number or not above 0 (such a rate would divide by zero).
std::optional<double> ParseTypedRate(const QString& text);

// What a rate typed for the currency at currencyIndex changes. The table
// takes it at once when it differs from the table's rate by more than the
// tolerance; storeDue says it differs from the stored "ValutaKurs_" setting,
// which StoreTypedRate then writes. Reads the store only, so the main window
// can take a typed rate while a load holds the write lock.
struct TypedRateChange {
    bool tableChanged = false;
    bool storeDue = false;
    bool any() const { return tableChanged || storeDue; } // re-pricing is due
};
TypedRateChange TakeTypedRate(db::Connection& priceDb, CurrencyTable& table, int currencyIndex, double rate);

// Stores a typed rate under its "ValutaKurs_" setting, and under
// extraSettingName too when given.
void StoreTypedRate(db::Connection& priceDb, int currencyIndex, double rate, const QString& extraSettingName = QString());

} // namespace velmora
