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

// A rate typed for the currency at currencyIndex. When it differs from the
// stored "ValutaKurs_" setting by more than the tolerance it is stored there
// (and under extraSettingName too, when given); when it differs from the
// table's rate it becomes that rate. True when either changed, so
// re-pricing is due.
bool ApplyTypedRate(db::Connection& priceDb, CurrencyTable& table, int currencyIndex, double rate,
                    const QString& extraSettingName = QString());

} // namespace velmora
